// A year's calendar export against one day's hours, each as a script runs it: "orlam --ics" of
// 365 days with every planet's hours, the Sun's and Moon's events and the transits, and "orlam
// --hours" of one day, from process start to exit. The export may cost at most five times the
// day.
//
//   yearexport_bench [runs] [program]
//
// runs defaults to 5; program to orlam beside this benchmark's build. Prints the medians in
// milliseconds, the processor time per run (the program and its engines), the target and the
// ratio of the medians.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double TargetRatio = 5.0;

double childrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

struct Figures {
    double median = 0;
    double cpu = 0;
    QByteArray output;
};

Figures run(const QString &program, const QStringList &arguments, const QTemporaryDir &dir, int runs)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ORLAM_SETTINGS"), dir.filePath(QStringLiteral("Orlam.ini")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    std::vector<double> times;
    Figures figures;
    const double cpuBefore = childrenCpuMs();
    for (int i = 0; i < runs; ++i) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir.path());
        QElapsedTimer clock;
        clock.start();
        process.start(program, arguments);
        process.waitForFinished(300000);
        times.push_back(clock.nsecsElapsed() / 1e6);
        figures.output = process.readAllStandardOutput() + process.readAllStandardError();
    }
    std::sort(times.begin(), times.end());
    figures.median = times[times.size() / 2];
    figures.cpu = (childrenCpuMs() - cpuBefore) / runs;
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = std::max(1, args.size() > 1 ? args.at(1).toInt() : 5);
    const QString program =
        args.size() > 2 ? args.at(2)
                        : QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("orlam"));

    QTemporaryDir dir;
    QFile settings(dir.filePath(QStringLiteral("Orlam.ini")));
    if (!settings.open(QIODevice::WriteOnly))
        return 1;
    settings.write("[orlam]\r\nTime=2\r\nTime Zone=6\r\nLongitude=87W39\r\nLatitude=41N51\r\n"
                   "Zone Name=America/Chicago\r\n");
    settings.close();

    const Figures day = run(program, {QStringLiteral("--hours"), QStringLiteral("2026-06-15")}, dir, runs);
    std::printf("orlam --hours 2026-06-15             median %8.1f ms   cpu %7.1f ms   (%lld lines)\n",
                day.median, day.cpu, static_cast<long long>(day.output.count('\n')));
    const QString file = dir.filePath(QStringLiteral("year.ics"));
    const Figures year = run(
        program, {QStringLiteral("--ics"), QStringLiteral("2026-01-01"), QStringLiteral("2026-12-31"), file},
        dir, runs);
    std::printf("orlam --ics 2026-01-01 2026-12-31    median %8.1f ms   cpu %7.1f ms\n  %s", year.median,
                year.cpu, year.output.constData());
    const double ratio = year.median / day.median;
    std::printf("target: a year's export at most %.0fx one day's --hours; ratio %.2fx (cpu %.2fx) %s\n",
                TargetRatio, ratio, year.cpu / day.cpu, ratio <= TargetRatio ? "met" : "NOT MET");
    return 0;
}
