// One Calculate (chart job, reading, composition) with the engine, repeated; prints the median
// and spread, and the engine's own run for comparison. No target: our share is printed.
//
//   calculate_bench [ENGINE] [RUNS]
//
// ENGINE defaults to orlam-ephem beside this program (then on PATH); RUNS to 200. Exit status 1,
// with "calculate_bench: FAILED: why" on standard error, when a run did not chart: the engine
// could not be run or failed, or left no chart with the Sun.

#include "calculate_benchhost.h"

#include "common/clocktime.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

using namespace orlam;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString engine = AstrologRunner::resolveProgram(args.value(1));
    const int runs = std::max(1, args.value(2, QStringLiteral("200")).toInt());

    QTemporaryDir work;
    if (!work.isValid())
        bench::fail(QStringLiteral("cannot make a work folder: %1").arg(work.errorString()));
    bench::BenchRig rig(engine, work.path());
    TSettings &settings = rig.settings;
    test::FakeHost &host = rig.host;
    Calculator &calc = rig.calc;

    // A run that failed would time nothing worth reporting.
    const auto charted = [&](const Status &status) {
        if (!status)
            bench::fail(status.message);
        if (rig.runner.failedRuns() != 0)
            bench::fail(rig.runner.lastFailure());
        if (!host.messages.isEmpty())
            bench::fail(host.messages.join(QLatin1String(" | ")));
    };
    // Warm the file cache and the engine's ephemeris files once, and see that it charts.
    charted(calc.calculate(Calculator::Output::Show));
    if (calc.texts.SunSign.isEmpty() || !QFileInfo::exists(rig.astro.filePath(QStringLiteral("chart.txt"))))
        bench::fail(QStringLiteral("%1 left no chart with the Sun in %2").arg(engine, work.path()));
    std::printf("engine: %s\nfirst result: %s\n", qPrintable(engine),
                qPrintable(QString(host.view).replace(QLatin1Char('\n'), QLatin1String(" / "))));

    std::vector<double> whole, jobOnly;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        host.setPickers(clockTime(2026, 6, 15, 14, 30).addSecs(3600LL * 7 * i), QTime(14, 30));
        timer.start();
        charted(calc.calculate(Calculator::Output::Show));
        whole.push_back(timer.nsecsElapsed() / 1e6);

        timer.start();
        charted(rig.astro.ChartJob(settings.TimeZone, settings.Longitude, settings.Latitude,
                                   host.datePickerValue(), host.timePickerValue()));
        jobOnly.push_back(timer.nsecsElapsed() / 1e6);
    }
    const bench::Spread w = bench::spread(whole), j = bench::spread(jobOnly);
    std::printf("runs: %d\n", runs);
    std::printf("Calculate      median %.3f ms  p90 %.3f ms  min %.3f ms\n", w.median, w.p90, w.min);
    std::printf("chart job only median %.3f ms  p90 %.3f ms  min %.3f ms\n", j.median, j.p90, j.min);
    std::printf("our share of the median: %.3f ms (no target)\n", w.median - j.median);
    return 0;
}
