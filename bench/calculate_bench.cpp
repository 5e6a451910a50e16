// One Calculate (chart job, reading, composition) with the engine, repeated; prints the median
// and spread, and the engine's own run for comparison.
//
//   calculate_bench [ENGINE] [RUNS]
//
// ENGINE defaults to orlam-ephem beside this program (then on PATH); RUNS to 200.

#include "calculate_benchhost.h"

#include "astrocalls/astrocalls.h"
#include "astrocalls/runner.h"
#include "common/clocktime.h"
#include "settings/localefacts.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimeZone>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace orlam;

namespace {

struct Spread {
    double median, p90, min;
};

Spread spread(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.front()};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString engine = AstrologRunner::resolveProgram(args.value(1));
    const int runs = std::max(1, args.value(2, QStringLiteral("200")).toInt());

    QTemporaryDir work;
    QDir::setCurrent(work.path());

    bench::BenchRig rig(engine);
    TSettings &settings = rig.settings;
    bench::BenchHost &host = rig.host;
    Astrocalls &astro = rig.astro;
    Calculator &calc = rig.calc;

    // A failed run would time nothing worth reporting.
    const auto check = [](const Status &status) {
        if (!status) {
            std::fprintf(stderr, "%s\n", qPrintable(status.message));
            std::exit(1);
        }
    };
    // Warm the file cache and the engine's ephemeris files once.
    check(calc.calculate(Calculator::Output::Show));
    std::printf("engine: %s\nfirst result: %s\n", qPrintable(engine),
                qPrintable(QString(host.view()).replace(QLatin1Char('\n'), QLatin1String(" / "))));

    std::vector<double> whole, jobOnly;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        host.setPickers(clockTime(2026, 6, 15, 14, 30).addSecs(3600LL * 7 * i), QTime(14, 30));
        timer.start();
        check(calc.calculate(Calculator::Output::Show));
        whole.push_back(timer.nsecsElapsed() / 1e6);

        timer.start();
        check(astro.ChartJob(settings.TimeZone, settings.Longitude, settings.Latitude, host.datePickerValue(),
                             host.timePickerValue()));
        jobOnly.push_back(timer.nsecsElapsed() / 1e6);
    }
    const Spread w = spread(whole), j = spread(jobOnly);
    std::printf("runs: %d\n", runs);
    std::printf("Calculate      median %.3f ms  p90 %.3f ms  min %.3f ms\n", w.median, w.p90, w.min);
    std::printf("chart job only median %.3f ms  p90 %.3f ms  min %.3f ms\n", j.median, j.p90, j.min);
    std::printf("our share of the median: %.3f ms\n", w.median - j.median);
    std::printf("messages: %d\n", host.messages);
    return host.messages == 0 ? 0 : 1;
}
