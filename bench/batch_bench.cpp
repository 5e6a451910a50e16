// A batch conversion of a generated file: time per line and peak memory.
//
//   batch_bench [LINES] [ENGINE]
//
// LINES defaults to 1000; ENGINE to orlam-ephem beside this program (then on PATH). No target
// is checked here: run it with 1,000 and with 100,000 lines and compare the peak memory, which
// should not grow. Exit status 1, with "batch_bench: FAILED: why" on standard error, when the
// batch failed or did not write a line for every line read.

#include "calculate_benchhost.h"

#include "reports/batch.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using namespace orlam;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int lines = std::max(1, args.value(1, QStringLiteral("1000")).toInt());
    const QString engine = AstrologRunner::resolveProgram(args.value(2));

    QTemporaryDir work;
    if (!work.isValid())
        bench::fail(QStringLiteral("cannot make a work folder: %1").arg(work.errorString()));
    const QString inPath = work.filePath(QStringLiteral("batch-in.txt"));
    const QString outPath = work.filePath(QStringLiteral("batch-out.txt"));
    {
        QFile input(inPath);
        const QByteArray bytes = bench::batchInput(lines);
        if (!input.open(QIODevice::WriteOnly) || input.write(bytes) != bytes.size())
            bench::fail(QStringLiteral("cannot write %1").arg(inPath));
    }

    bench::BenchRig rig(engine, work.path());
    const long before = bench::peakResidentKiB();
    QElapsedTimer timer;
    timer.start();
    qint64 converted = 0;
    const Status status =
        BatchConvert(rig.calc, inPath, outPath, QString(), Calculator::Output::Silent, &converted);
    const double ms = timer.nsecsElapsed() / 1e6;
    const long after = bench::peakResidentKiB();
    if (!status)
        bench::fail(status.message);
    if (converted != lines)
        bench::fail(QStringLiteral("%1 of %2 lines were converted").arg(converted).arg(lines));

    std::printf("engine: %s\nlines: %d\n", qPrintable(engine), lines);
    std::printf("total %.1f ms, %.3f ms per line\n", ms, ms / lines);
    std::printf(
        "peak resident memory: %ld KiB before the run, %ld KiB after (input %lld KiB, output %lld KiB)\n",
        before, after, QFileInfo(inPath).size() / 1024, QFileInfo(outPath).size() / 1024);
    QFile out(outPath);
    if (out.open(QIODevice::ReadOnly))
        std::printf("first line: %s", out.readLine().constData());
    return 0;
}
