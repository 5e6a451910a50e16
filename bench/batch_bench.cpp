// A batch conversion of a generated file: time per line and peak memory.
//
//   batch_bench [LINES] [ENGINE]
//
// LINES defaults to 1000; ENGINE to orlam-ephem beside this program (then on PATH). With an
// engine that writes nothing (/bin/true) the run measures our own cost and memory only.
// Run it with 1,000 and with 100,000 lines and compare the peak memory: it should not grow.

#include "calculate_benchhost.h"

#include "astrocalls/astrocalls.h"
#include "astrocalls/runner.h"
#include "common/clocktime.h"
#include "reports/batch.h"
#include "settings/localefacts.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimeZone>
#include <cstdio>

using namespace orlam;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int lines = std::max(1, args.value(1, QStringLiteral("1000")).toInt());
    const QString engine = AstrologRunner::resolveProgram(args.value(2));

    QTemporaryDir work;
    QDir::setCurrent(work.path());
    {
        QFile input(QStringLiteral("batch-in.txt"));
        if (!input.open(QIODevice::WriteOnly))
            return 2;
        QDate date(2026, 1, 1);
        for (int i = 0; i < lines; ++i) {
            const QDate d = date.addDays(i % 3650);
            input.write(QStringLiteral("id%1,\"Place %1\",%2/%3/%4,%5:%6,6,93W21,45N05\r\n")
                            .arg(i)
                            .arg(d.month())
                            .arg(d.day())
                            .arg(d.year())
                            .arg(i % 24)
                            .arg(i % 60, 2, 10, QLatin1Char('0'))
                            .toLatin1());
        }
    }

    bench::BenchRig rig(engine);
    Calculator &calc = rig.calc;

    const long before = bench::peakResidentKiB();
    QElapsedTimer timer;
    timer.start();
    const Status status = BatchConvert(calc, QStringLiteral("batch-in.txt"), QStringLiteral("batch-out.txt"));
    const double ms = timer.nsecsElapsed() / 1e6;
    const long after = bench::peakResidentKiB();

    std::printf("engine: %s\nlines: %d\nstatus: %s\n", qPrintable(engine), lines,
                status ? "ok" : qPrintable(status.message));
    std::printf("total %.1f ms, %.3f ms per line\n", ms, ms / lines);
    std::printf(
        "peak resident memory: %ld KiB before the run, %ld KiB after (input %lld KiB, output %lld KiB)\n",
        before, after, QFileInfo(QStringLiteral("batch-in.txt")).size() / 1024,
        QFileInfo(QStringLiteral("batch-out.txt")).size() / 1024);
    QFile out(QStringLiteral("batch-out.txt"));
    if (out.open(QIODevice::ReadOnly))
        std::printf("first line: %s", out.readLine().constData());
    return status ? 0 : 1;
}
