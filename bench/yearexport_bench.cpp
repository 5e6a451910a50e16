// A year's calendar export against one day's hours, each as a script runs it: "orlam --ics" of
// 365 days with every planet's hours, the Sun's and Moon's events and the transits, and "orlam
// --hours" of one day, from process start to exit. The export may cost at most five times the
// day.
//
//   yearexport_bench [pairs] [program]
//
// pairs defaults to 7; program to orlam beside this benchmark's build. The two commands run in
// turn, a day then a year, so that a busy machine slows both alike. Each run must succeed: the
// day must print its 24 hours and the year must write its calendar, with the hours of every
// day, before its time counts. Prints the medians and slowest runs in milliseconds, the
// processor time per run (the program and its engines), the target and the ratio of the
// medians; exit status 0 within the target, 2 outside it, 1 when a run failed.

#include "hourcommands.h"

#include <QCoreApplication>

using namespace orlam::bench;

namespace {

constexpr double TargetRatio = 5.0;
constexpr int YearDays = 365;

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int pairs = std::max(1, args.size() > 1 ? args.at(1).toInt() : 7);
    const HourCommands orlam(programArgument(args, 2, QCoreApplication::applicationDirPath()),
                             "[orlam]\r\nTime=2\r\nTime Zone=6\r\nLongitude=87W39\r\nLatitude=41N51\r\n"
                             "Zone Name=America/Chicago\r\n");
    const QStringList dayArguments{QStringLiteral("--hours"), QStringLiteral("2026-06-15")};
    const QString file = orlam.filePath(QStringLiteral("year.ics"));
    const QStringList yearArguments{QStringLiteral("--ics"), QStringLiteral("2026-01-01"),
                                    QStringLiteral("2026-12-31"), file};

    std::vector<double> dayMs, dayCpu, yearMs, yearCpu;
    qsizetype dayLines = 0;
    int events = 0;
    QByteArray summary;
    for (int i = 0; i < pairs; ++i) {
        const CommandRun day = orlam.run(dayArguments);
        dayLines = day.output.count('\n');
        if (dayLines < 24)
            fail(QStringLiteral("orlam --hours printed %1 lines, not the day's 24 hours").arg(dayLines));
        dayMs.push_back(day.ms);
        dayCpu.push_back(day.cpuMs);

        const CommandRun year = orlam.run(yearArguments);
        events = orlam.takeCalendar(file);
        if (events < YearDays * 24)
            fail(QStringLiteral("the year's calendar holds %1 events, fewer than its %2 hours")
                     .arg(events)
                     .arg(YearDays * 24));
        yearMs.push_back(year.ms);
        yearCpu.push_back(year.cpuMs);
        summary = year.output.trimmed();
    }

    const double ratio = median(yearMs) / median(dayMs);
    std::printf("%d pairs in turn\n", pairs);
    std::printf("orlam --hours 2026-06-15             median %8.1f ms   slowest %8.1f ms   cpu %7.1f ms   "
                "(%lld lines)\n",
                median(dayMs), slowest(dayMs), median(dayCpu), static_cast<long long>(dayLines));
    std::printf("orlam --ics 2026-01-01 2026-12-31    median %8.1f ms   slowest %8.1f ms   cpu %7.1f ms   "
                "(%d events)\n  %s\n",
                median(yearMs), slowest(yearMs), median(yearCpu), events, summary.constData());
    std::printf("ratio %.2f (cpu %.2f), target: a year's export at most %.0f times one day's --hours\n",
                ratio, median(yearCpu) / median(dayCpu), TargetRatio);
    return verdict(ratio <= TargetRatio);
}
