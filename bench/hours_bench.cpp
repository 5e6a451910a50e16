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
// There is no target: compare builds. A run that fails stops it with exit status 1.

#include "astrocalls/scratchjobs.h"
#include "hourcommands.h"
#include "hours/hoursspan.h"
#include "reports/calendarexport.h"

#include <QCoreApplication>
#include <QFileInfo>

using namespace orlam;
using namespace orlam::bench;

namespace {

void print(const char *what, const std::vector<double> &ms, const std::vector<double> &cpu = {})
{
    std::printf("%-52s median %8.1f ms   slowest %8.1f ms", what, median(ms), slowest(ms));
    if (!cpu.empty())
        std::printf("   cpu %6.1f ms", median(cpu));
    std::printf("\n");
}

// Runs `arguments` `runs` times and prints the figures; gives the last run's standard output.
QByteArray timeCommand(const HourCommands &orlam, const char *what, const QStringList &arguments, int runs)
{
    std::vector<double> ms, cpu;
    QByteArray output;
    for (int i = 0; i < runs; ++i) {
        const CommandRun run = orlam.run(arguments);
        ms.push_back(run.ms);
        cpu.push_back(run.cpuMs);
        output = run.output;
    }
    print(what, ms, cpu);
    return output;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = std::max(1, args.size() > 1 ? args.at(1).toInt() : 20);
    const HourCommands orlam(programArgument(args, 2, QCoreApplication::applicationDirPath()),
                             "[orlam]\r\nTime=1\r\nTime Zone=6\r\nLongitude=93W21\r\nLatitude=45N05\r\n");
    const QString engine =
        QDir(QFileInfo(orlam.program()).absolutePath()).filePath(QStringLiteral("orlam-ephem"));

    const QByteArray hours = timeCommand(orlam, "orlam --hours 2026-06-15",
                                         {QStringLiteral("--hours"), QStringLiteral("2026-06-15")}, runs);
    std::printf("  (%lld lines)\n", static_cast<long long>(hours.count('\n')));
    timeCommand(orlam, "orlam --next-hour Venus", {QStringLiteral("--next-hour"), QStringLiteral("Venus")},
                runs);

    const QString file = orlam.filePath(QStringLiteral("month.ics"));
    const int exportRuns = std::max(3, runs / 4);
    std::vector<double> ms, cpu;
    QByteArray summary;
    for (int i = 0; i < exportRuns; ++i) {
        const CommandRun run = orlam.run(
            {QStringLiteral("--ics"), QStringLiteral("2026-06-01"), QStringLiteral("2026-06-30"), file});
        if (orlam.takeCalendar(file) < 30 * 24)
            fail(QStringLiteral("the 30-day calendar holds fewer events than its hours"));
        ms.push_back(run.ms);
        cpu.push_back(run.cpuMs);
        summary = run.output.trimmed();
    }
    print("orlam --ics 2026-06-01 2026-06-30 (30 days, all)", ms, cpu);
    std::printf("  %s\n", summary.constData());

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
        if (const Status status =
                buildCalendar(jobs, place, selection, QDateTime::currentDateTimeUtc(), &ics, &counts);
            !status)
            fail(QStringLiteral("the export in process: %1").arg(status.message));
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        events = counts.total();
    }
    print("30-day export in process (window)", times);
    std::printf("  (%d events)\n", events);
    return 0;
}
