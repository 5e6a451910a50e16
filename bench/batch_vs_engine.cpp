// A batch conversion by the program, side by side with the same number of bare engine runs
// started from a shell loop: what a batch line costs beyond the engine run it needs.
//
//   batch_vs_engine [LINES] [ROUNDS] [PROGRAM]
//
// LINES defaults to 500, ROUNDS to 5, PROGRAM to orlam beside this benchmark (another build
// of it, to compare). Each round runs "orlam IN OUT" (headless, in a work
// folder, settings file and runtime folder of its own) and then a shell loop that runs
// orlam-ephem LINES times on the chart job the batch left behind; the two alternate, so that a
// busy machine slows both alike. The target is a ratio of at most 1.25.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QString Engine = QStringLiteral(ORLAM_BIN_DIR "/orlam-ephem");

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Milliseconds the process took, or a negative number when it failed.
double timed(QProcess &process)
{
    QElapsedTimer clock;
    clock.start();
    process.start();
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(process.program()),
                     process.readAllStandardError().left(400).constData());
        return -1;
    }
    return clock.nsecsElapsed() / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int lines = std::max(1, args.value(1, QStringLiteral("500")).toInt());
    const int rounds = std::max(1, args.value(2, QStringLiteral("5")).toInt());
    const QString program = args.value(3, QStringLiteral(ORLAM_BIN_DIR "/orlam"));

    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("run"));
    QDir(dir.path()).mkpath(QStringLiteral("loop"));
    QByteArray input;
    for (int i = 0; i < lines; ++i) {
        const QDate d = QDate(2026, 1, 1).addDays(i % 3650);
        input += QStringLiteral("id%1,\"Place %1\",%2/%3/%4,%5:%6,6,93W21,45N05\r\n")
                     .arg(i)
                     .arg(d.month())
                     .arg(d.day())
                     .arg(d.year())
                     .arg(i % 24)
                     .arg(i % 60, 2, 10, QLatin1Char('0'))
                     .toLatin1();
    }
    if (!writeFile(dir.filePath(QStringLiteral("in.csv")), input) ||
        !writeFile(dir.filePath(QStringLiteral("Orlam.ini")),
                   "[orlam]\r\nAstrolog=" + Engine.toUtf8() + "\r\n"))
        return 2;

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
        orlam.setStandardErrorFile(QProcess::nullDevice());
        const double batchMs = timed(orlam);
        if (batchMs < 0)
            return 1;

        // The bare runs take the chart job the batch wrote, in a folder of their own.
        const QString job = dir.filePath(QStringLiteral("loop/input.txt"));
        QFile::remove(job);
        // (A build from before the work folder left it in the folder it was started in.)
        if (!QFile::copy(dir.filePath(QStringLiteral("data/Orlam/input.txt")), job) &&
            !QFile::copy(dir.filePath(QStringLiteral("input.txt")), job))
            return 2;
        QProcess shell;
        shell.setWorkingDirectory(dir.filePath(QStringLiteral("loop")));
        shell.setProgram(QStringLiteral("/bin/sh"));
        shell.setArguments({QStringLiteral("-c"),
                            QStringLiteral("i=0; while [ $i -lt %1 ]; do \"$0\" -i input.txt || exit 1; "
                                           "i=$((i+1)); done")
                                .arg(lines),
                            Engine});
        shell.setStandardErrorFile(QProcess::nullDevice());
        const double loopMs = timed(shell);
        if (loopMs < 0)
            return 1;
        batch.push_back(batchMs);
        loop.push_back(loopMs);
        std::printf("round %d: batch %.0f ms, bare engine loop %.0f ms, ratio %.3f\n", round + 1, batchMs,
                    loopMs, batchMs / loopMs);
    }
    const double b = median(batch);
    const double l = median(loop);
    std::printf("lines: %d, rounds: %d\n", lines, rounds);
    std::printf("median: batch %.0f ms (%.2f ms per line), bare engine loop %.0f ms (%.2f ms per run)\n", b,
                b / lines, l, l / lines);
    std::printf("ratio batch / bare engine runs: %.3f (target at most 1.25)\n", b / l);
    return 0;
}
