// A batch conversion by the program, side by side with the same number of bare engine runs
// started from a shell loop: what a batch line costs beyond the engine run it needs.
//
//   batch_vs_engine [LINES] [ROUNDS] [PROGRAM]
//
// LINES defaults to 500, ROUNDS to 5, PROGRAM to orlam beside this benchmark (another build
// of it, to compare). Each round runs "orlam IN OUT" (headless, in a work
// folder, settings file and runtime folder of its own) and then a shell loop that runs
// orlam-ephem LINES times on the chart job the batch left behind; the two alternate, so that a
// busy machine slows both alike. The target is a ratio of at most 1.25: exit status 0 within
// it, 2 outside ("OUTSIDE TARGET"), 1 with "batch_vs_engine: FAILED: why" on standard error
// when a run failed or the batch did not convert every line.

#include "benchsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

using orlam::bench::fail;

constexpr double TargetRatio = 1.25;
const QString Engine = QStringLiteral(ORLAM_BIN_DIR "/orlam-ephem");

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fail(QStringLiteral("cannot write %1").arg(path));
}

// Milliseconds the process took; a process that cannot start or fails ends the benchmark.
double timed(QProcess &process)
{
    QElapsedTimer clock;
    clock.start();
    process.start();
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        fail(QStringLiteral("%1 %2 failed (%3, exit code %4): %5")
                 .arg(process.program(), process.arguments().join(QLatin1Char(' ')), process.errorString())
                 .arg(process.exitCode())
                 .arg(QString::fromLocal8Bit(process.readAllStandardError().left(400)).trimmed()));
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int lines = std::max(1, args.value(1, QStringLiteral("500")).toInt());
    const int rounds = std::max(1, args.value(2, QStringLiteral("5")).toInt());
    const QString program = args.value(3, QStringLiteral(ORLAM_BIN_DIR "/orlam"));

    if (!QFileInfo(program).isExecutable())
        fail(QStringLiteral("%1 is not an executable program").arg(program));
    if (!QFileInfo(Engine).isExecutable())
        fail(QStringLiteral("%1 is not an executable program").arg(Engine));
    QTemporaryDir dir;
    if (!dir.isValid())
        fail(QStringLiteral("cannot make a work folder: %1").arg(dir.errorString()));
    QDir(dir.path()).mkpath(QStringLiteral("run"));
    QDir(dir.path()).mkpath(QStringLiteral("loop"));
    writeFile(dir.filePath(QStringLiteral("in.csv")), orlam::bench::batchInput(lines));
    writeFile(dir.filePath(QStringLiteral("Orlam.ini")), "[orlam]\r\nAstrolog=" + Engine.toUtf8() + "\r\n");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
    environment.insert(QStringLiteral("ORLAM_SETTINGS"), dir.filePath(QStringLiteral("Orlam.ini")));

    std::vector<double> batch, loop;
    for (int round = 0; round < rounds; ++round) {
        QProcess orlam;
        orlam.setProcessEnvironment(environment);
        orlam.setWorkingDirectory(dir.path());
        orlam.setProgram(program);
        orlam.setArguments({QStringLiteral("in.csv"), QStringLiteral("out.csv")});
        const double batchMs = timed(orlam);
        const QByteArray converted = [&] {
            QFile out(dir.filePath(QStringLiteral("out.csv")));
            return out.open(QIODevice::ReadOnly) ? out.readAll() : QByteArray();
        }();
        if (converted.count('\n') != lines)
            fail(QStringLiteral("the batch wrote %1 of %2 lines").arg(converted.count('\n')).arg(lines));

        // The bare runs take the chart job the batch wrote, in a folder of their own.
        const QString job = dir.filePath(QStringLiteral("loop/input.txt"));
        QFile::remove(job);
        if (!QFile::copy(dir.filePath(QStringLiteral("data/Orlam/input.txt")), job))
            fail(QStringLiteral("the batch left no job file in its work folder"));
        QProcess shell;
        shell.setWorkingDirectory(dir.filePath(QStringLiteral("loop")));
        shell.setProgram(QStringLiteral("/bin/sh"));
        shell.setArguments({QStringLiteral("-c"),
                            QStringLiteral("i=0; while [ $i -lt %1 ]; do \"$0\" -i input.txt || exit 1; "
                                           "i=$((i+1)); done")
                                .arg(lines),
                            Engine});
        const double loopMs = timed(shell);
        batch.push_back(batchMs);
        loop.push_back(loopMs);
        std::printf("round %d: batch %.0f ms, bare engine loop %.0f ms, ratio %.3f\n", round + 1, batchMs,
                    loopMs, batchMs / loopMs);
    }
    const double b = orlam::bench::median(batch);
    const double l = orlam::bench::median(loop);
    std::printf("lines: %d, rounds: %d\n", lines, rounds);
    std::printf("median: batch %.0f ms (%.2f ms per line), bare engine loop %.0f ms (%.2f ms per run)\n", b,
                b / lines, l, l / lines);
    std::printf("ratio batch / bare engine runs: %.3f (target at most %.2f)\n", b / l, TargetRatio);
    return orlam::bench::verdict(b / l <= TargetRatio);
}
