// Start-up of the program as a user sees it: from starting the process to the first Thelemic date
// in the view, and the memory of the running program.
//
// The program is started in a work folder of its own with a settings file that asks for "td.txt"
// ("Local File Save"), which Calculate writes right after it has put the date into the view, so
// the file's appearance marks the moment without any hook in the program. Then the resident
// memory is read from /proc, once at that moment and once after the clock has ticked for a while.
//
//   startup_window [runs] [program]
//
// runs defaults to 10; program to orlam beside this benchmark's build. Uses the display of the
// environment (DISPLAY), else Qt's offscreen platform. Also times "orlam x" end to end.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

long residentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QProcessEnvironment environmentFor(const QTemporaryDir &dir)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ORLAM_SETTINGS"), dir.filePath(QStringLiteral("Orlam.ini")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    if (environment.value(QStringLiteral("DISPLAY")).isEmpty() &&
        environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty())
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    const QString program =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(ORLAM_BIN_DIR "/orlam");
    if (!QFileInfo(program).isExecutable()) {
        std::fprintf(stderr, "startup_window: no program %s\n", qPrintable(program));
        return 1;
    }

    std::vector<double> toDate, copyRuns;
    long rssAtDate = 0, rssLater = 0;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir dir;
        dir.setAutoRemove(true);
        QFile settings(dir.filePath(QStringLiteral("Orlam.ini")));
        settings.open(QIODevice::WriteOnly);
        settings.write("[orlam]\r\nLocal File Save=1\r\n");
        settings.close();
        const QString marker = dir.filePath(QStringLiteral("td.txt"));

        QProcess orlam;
        orlam.setProcessEnvironment(environmentFor(dir));
        orlam.setWorkingDirectory(dir.path());
        orlam.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer clock;
        clock.start();
        orlam.start(program, {});
        if (!orlam.waitForStarted()) {
            std::fprintf(stderr, "startup_window: cannot start %s\n", qPrintable(program));
            return 1;
        }
        while (!QFileInfo::exists(marker) && clock.elapsed() < 20000 && orlam.state() == QProcess::Running)
            QThread::usleep(200);
        const double ms = clock.nsecsElapsed() / 1e6;
        if (!QFileInfo::exists(marker)) {
            std::fprintf(stderr, "startup_window: no date after %.0f ms\n", ms);
            return 1;
        }
        toDate.push_back(ms);
        if (run == 0) {
            rssAtDate = residentKiB(orlam.processId());
            QThread::sleep(3); // three clock ticks
            rssLater = residentKiB(orlam.processId());
        }
        orlam.kill();
        orlam.waitForFinished();

        QProcess copy;
        copy.setProcessEnvironment(environmentFor(dir));
        copy.setWorkingDirectory(dir.path());
        QElapsedTimer copyClock;
        copyClock.start();
        copy.start(program, {QStringLiteral("x")});
        copy.waitForFinished(20000);
        copyRuns.push_back(copyClock.nsecsElapsed() / 1e6);
    }

    std::printf("platform: %s\n", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "display");
    std::printf("start to first date in the view: median %.1f ms, min %.1f ms, max %.1f ms (%d runs)\n",
                median(toDate), *std::min_element(toDate.begin(), toDate.end()),
                *std::max_element(toDate.begin(), toDate.end()), runs);
    std::printf("\"orlam x\" end to end: median %.1f ms\n", median(copyRuns));
    std::printf("resident memory: %ld KiB at the first date, %ld KiB three seconds later\n", rssAtDate,
                rssLater);
    return 0;
}
