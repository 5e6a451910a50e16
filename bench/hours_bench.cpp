// The hour commands as a script or a status bar runs them: "orlam --hours" and "orlam
// --next-hour" from process start to exit, and a 30-day calendar export with every planet's
// hours, the Sun's and Moon's events and the transit calendar, both through the command line and
// inside one process (the window's export).
//
//   hours_bench [runs] [program]
//
// runs defaults to 20; program to orlam beside this benchmark's build. Prints medians and the
// slowest run in milliseconds, and for the commands the processor time per run of the program
// and the engines it started (on a busy machine the wall time is mostly waiting for a core).

#include "astrocalls/scratchjobs.h"
#include "hours/hoursspan.h"
#include "reports/calendarexport.h"

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

using namespace orlam;

namespace {

struct Figures {
    double median = 0;
    double slowest = 0;
    double cpu = 0; // processor time per run (the program and its engines), independent of load
};

double childrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

Figures figures(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.back()};
}

Figures timeProcess(const QString &program, const QStringList &arguments, const QTemporaryDir &dir, int runs,
                    QByteArray *lastOutput)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ORLAM_SETTINGS"), dir.filePath(QStringLiteral("Orlam.ini")));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    std::vector<double> times;
    const double cpuBefore = childrenCpuMs();
    for (int i = 0; i < runs; ++i) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir.path());
        QElapsedTimer clock;
        clock.start();
        process.start(program, arguments);
        process.waitForFinished(120000);
        times.push_back(clock.nsecsElapsed() / 1e6);
        *lastOutput = process.readAllStandardOutput() + process.readAllStandardError();
    }
    Figures result = figures(times);
    result.cpu = (childrenCpuMs() - cpuBefore) / runs;
    return result;
}

void print(const char *what, const Figures &f)
{
    std::printf("%-52s median %8.1f ms   slowest %8.1f ms", what, f.median, f.slowest);
    if (f.cpu > 0)
        std::printf("   cpu %6.1f ms", f.cpu);
    std::printf("\n");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = args.size() > 1 ? args.at(1).toInt() : 20;
    const QString program =
        args.size() > 2 ? args.at(2)
                        : QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("orlam"));
    const QString engine = QDir(QFileInfo(program).absolutePath()).filePath(QStringLiteral("orlam-ephem"));

    QTemporaryDir dir;
    QFile settingsFile(dir.filePath(QStringLiteral("Orlam.ini")));
    if (!settingsFile.open(QIODevice::WriteOnly))
        return 1;
    settingsFile.write("[orlam]\r\nTime=1\r\nTime Zone=6\r\nLongitude=93W21\r\nLatitude=45N05\r\n");
    settingsFile.close();

    QByteArray output;
    print(
        "orlam --hours 2026-06-15",
        timeProcess(program, {QStringLiteral("--hours"), QStringLiteral("2026-06-15")}, dir, runs, &output));
    std::printf("  (%lld lines)\n", static_cast<long long>(output.count('\n')));
    print("orlam --next-hour Venus",
          timeProcess(program, {QStringLiteral("--next-hour"), QStringLiteral("Venus")}, dir, runs, &output));
    const QString file = dir.filePath(QStringLiteral("month.ics"));
    const int exportRuns = std::max(3, runs / 4);
    print("orlam --ics 2026-06-01 2026-06-30 (30 days, all)",
          timeProcess(
              program,
              {QStringLiteral("--ics"), QStringLiteral("2026-06-01"), QStringLiteral("2026-06-30"), file},
              dir, exportRuns, &output));
    std::printf("  %s", output.constData());

    // The same export inside one process, as the window makes it.
    TSettings settings;
    settings.TimeMode = 1;
    DerivedValues derived;
    std::vector<double> times;
    int events = 0;
    for (int i = 0; i < exportRuns; ++i) {
        QElapsedTimer clock;
        clock.start();
        ScratchJobs jobs(settings, derived, engine);
        CalendarSelection selection;
        selection.first = QDate(2026, 6, 1);
        QByteArray ics;
        CalendarCounts counts;
        const HoursPlace place = settingsPlace(settings, QTimeZone::systemTimeZone());
        if (!buildCalendar(jobs, place, selection, QDateTime::currentDateTimeUtc(), &ics, &counts))
            return 1;
        times.push_back(clock.nsecsElapsed() / 1e6);
        events = counts.total();
    }
    print("30-day export in process (window)", figures(times));
    std::printf("  (%d events)\n", events);
    return 0;
}
