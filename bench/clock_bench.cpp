// The clock's costs with the real engine: one minute's work (the tick that starts a minute: the
// pickers, the start of the engine run and whatever the clock does in that tick, plus the
// reading and composition when the run ends; the window does not wait for the engine, so the
// wait between the two is not counted), a tick without it, building
// the alarm list, and a simulated week of ticks, one a simulated second as fast as they run (at
// least 60 times the real pace): resident memory, open files and child processes before and
// after, and every alarm counted (none missed, none rung twice). The ticks that rebuild the list
// (midnight, with its engine run) are timed apart from the minute's work.
//
//   clock_bench [days]     (default 7)
//
// Exit status 0 within the targets, 2 outside them, 1 when nothing was measured.

#include "benchsupport.h"
#include "common/clocktime.h"
#include "common/soundplayer.h"
#include "hours/alarmclock.h"
#include "settings/localefacts.h"
#include "torm.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include <sys/resource.h>
#include <time.h>

using namespace orlam;
using orlam::bench::childProcessCount;
using orlam::bench::heapInUseKiB;
using orlam::bench::openFileCount;
using orlam::bench::processStatusKiB;
using orlam::bench::trimmedAnonymousKiB;

namespace {

class CountingPlayer final : public SoundPlayer {
public:
    void enqueue(const QStringList &paths) override { sounds += paths.size(); }
    long sounds = 0;
};

constexpr double MinuteTargetMs = 15;
// What memory may grow by from the end of the first day to the end: nothing but the noise of
// pages, measured on what the heap holds and on the anonymous resident memory with no free pages
// kept. The pages of the libraries (resident memory from files) grow as new code paths run, the
// first night the clocks change among them, and are not counted.
constexpr long MemoryGrowthTargetKiB = 64;

// Memory in KiB: resident as it is and the part of it from files, what the heap holds, and the
// anonymous resident memory once the allocator has returned its free pages (read in that order,
// as the last changes the first).
struct Memory {
    long residentKiB = 0;
    long fileKiB = 0;
    long heapKiB = 0;
    long trimmedKiB = 0;
};

Memory memoryNow()
{
    Memory memory;
    memory.residentKiB = processStatusKiB(QCoreApplication::applicationPid(), "VmRSS:");
    memory.fileKiB = processStatusKiB(QCoreApplication::applicationPid(), "RssFile:");
    memory.heapKiB = heapInUseKiB();
    memory.trimmedKiB = trimmedAnonymousKiB();
    return memory;
}

// CPU time in milliseconds: this process's, and that of its children that have ended (the engine
// runs), to tell our own work from the engine's and from waiting for a processor.
double ownCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double childrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

int failed(const char *why)
{
    std::fprintf(stderr, "clock_bench: FAILED: %s\n", why);
    return 1;
}

double maxOf(const std::vector<double> &values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Runs the event loop until the minute's Calculate has ended; false when it did not end.
bool awaitMinute(TOrm &window)
{
    QElapsedTimer waited;
    waited.start();
    while (window.calculator().calculating() && waited.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    // The ended engine processes are deleted later, as a running event loop would delete them.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return !window.calculator().calculating();
}

// What the window was busy with for the minute that `tick` ms of ticking started: the tick
// and, once the engine has ended, the reading and composition. -1 when the run did not end.
double minuteBusyMs(TOrm &window, double tick)
{
    if (!awaitMinute(window))
        return -1;
    return tick + window.calculator().lastRoadResumedNs() / 1e6;
}

// Room for `count` items, written once: pages reserved but not yet written are not resident, and
// would become so as the week fills them, a growth of the loop's own.
template <typename T> void reserveWritten(std::vector<T> &items, std::size_t count)
{
    items.resize(count);
    items.clear();
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[static_cast<size_t>(p * (values.size() - 1))];
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int days = argc > 1 ? std::max(1, atoi(argv[1])) : 7;

    const QString engine = QStringLiteral(ORLAM_BIN_DIR "/orlam-ephem");
    if (!QFile::exists(engine))
        return failed("the engine orlam-ephem is not built beside the benchmark");
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    const QString settingsPath = work.filePath(QStringLiteral("Orlam.ini"));
    QFile ini(settingsPath);
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write("[orlam]\r\nAstrolog=" + engine.toUtf8() +
              "\r\nTime=2\r\nMoon=1\r\nHour Sun=1\r\nHour Moon=1\r\nHour Venus=1\r\nHour Mars=1\r\n"
              "Hour Mercury=1\r\nHour Jupiter=1\r\nHour Saturn=1\r\n");
    ini.close();

    const QTimeZone tz("America/Chicago");
    const LocaleFacts locale = LocaleFacts::make(QLocale(QStringLiteral("en_US")), tz, QDate(2026, 10, 28));
    QDateTime now(QDate(2026, 10, 28), QTime(8, 0, 0), tz);
    CountingPlayer player;
    TOrm window(settingsPath, work.path(), locale);
    int messages = 0;
    window.setMessageHandler([&messages](const QString &text) {
        ++messages;
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    });
    window.findChild<QTimer *>(QStringLiteral("Timer1"))->stop();
    window.setClock([&now] { return now; });
    window.setSoundPlayer(&player);
    window.SetNow();
    window.FormShow();
    window.Timer1Timer();
    awaitMinute(window);
    if (messages > 0 || window.eventList().isEmpty())
        return failed("the clock did not start on the engine (no alarm list)");
    // What a tick did besides the minute's work, to tell the slow minutes apart.
    bool rebuilt = false;
    QStringList did;
    const AlarmClock &clock = window.alarmClock();
    QObject::connect(&clock, &AlarmClock::listRebuilt, [&] { rebuilt = true; });
    QObject::connect(&clock, &AlarmClock::hourChanged, [&did] { did << QStringLiteral("new hour"); });
    QObject::connect(&clock, &AlarmClock::alarmDue,
                     [&did](const EventEntry &entry) { did << entry.body + QLatin1Char(' ') + entry.word; });

    // One minute's work, 200 times.
    std::vector<double> minute, minuteOwnCpu, minuteEngineCpu;
    for (int i = 0; i < 200; ++i) {
        now = now.addSecs(60);
        const double own = ownCpuMs();
        const double engineCpu = childrenCpuMs();
        QElapsedTimer t;
        t.start();
        window.Timer1Timer();
        const double busy = minuteBusyMs(window, t.nsecsElapsed() / 1e6);
        if (busy < 0)
            return failed("a minute's engine run did not end");
        minute.push_back(busy);
        minuteOwnCpu.push_back(ownCpuMs() - own);
        minuteEngineCpu.push_back(childrenCpuMs() - engineCpu);
    }
    std::printf("minute work, the window's busy time (the tick that starts a minute and starts the engine, "
                "plus the composition when it ends; the wait for the engine excluded): median %.2f ms, "
                "90th %.2f ms, max %.2f ms (target: at most %.0f ms)\n",
                median(minute), percentile(minute, 0.9), maxOf(minute), MinuteTargetMs);
    std::printf(
        "  CPU time over the minute, the wait included: ours median %.2f ms, max %.2f ms; the engine's "
        "median %.2f ms, max %.2f ms\n",
        median(minuteOwnCpu), maxOf(minuteOwnCpu), median(minuteEngineCpu), maxOf(minuteEngineCpu));

    // Ticks within one minute.
    now = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), 0), tz).addSecs(60);
    window.Timer1Timer();
    if (!awaitMinute(window))
        return failed("a minute's engine run did not end");
    std::vector<double> ticks;
    for (int round = 0; round < 200; ++round) {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 50; ++i)
            window.Timer1Timer();
        ticks.push_back(t.nsecsElapsed() / 1e6 / 50);
    }
    std::printf("tick without minute work: median %.4f ms, 90th %.4f ms (list of %d events)\n", median(ticks),
                percentile(ticks, 0.9), window.eventList().size());

    std::vector<double> builds;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer t;
        t.start();
        window.BuildEventList();
        builds.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("building the list afresh (the engine run for four days, %d events, with the view): median "
                "%.3f ms, 90th %.3f ms\n",
                window.eventList().size(), median(builds), percentile(builds, 0.9));

    // What the week's loop keeps is reserved and written before it starts, and the slowest minutes
    // kept are a few: the memory measured after the first day is the clock's, not the loop's own.
    const long ticksTotal = days * 86400L;
    const std::size_t minutesTotal = static_cast<std::size_t>(days) * 1440;

    // Every alarm of the week, by its instant, body and word: once each, none missed.
    std::vector<std::size_t> rung;
    reserveWritten(rung, minutesTotal);
    long missedRows = 0;
    QObject::connect(&window.alarmClock(), &AlarmClock::alarmDue, [&rung](const EventEntry &entry) {
        rung.push_back(qHash(entry.at.toString(Qt::ISODate) + QLatin1Char(' ') + entry.body +
                             QLatin1Char(' ') + entry.word));
    });
    QObject::connect(&window.alarmClock(), &AlarmClock::rowsMissed,
                     [&missedRows](const QList<int> &rows) { missedRows += rows.size(); });

    // A week of ticks, one a second, over the night the clocks go back; memory after the first day
    // against the end.
    long minuteWorks = 0;
    Memory afterDay;
    int filesAfterDay = 0;
    const Memory atStart = memoryNow();
    const int filesStart = openFileCount(QCoreApplication::applicationPid());
    std::vector<double> weekMinutes, weekRebuilds;
    reserveWritten(weekMinutes, minutesTotal);
    reserveWritten(weekRebuilds, days + 1);
    constexpr std::size_t SlowestKept = 8;
    std::vector<std::pair<double, QString>> slowest; // the slowest minutes over the target
    slowest.reserve(SlowestKept + 1);
    long slowMinutes = 0;
    QElapsedTimer week;
    week.start();
    for (long i = 1; i <= ticksTotal; ++i) {
        const int minuteBefore = now.time().minute();
        now = now.addSecs(1);
        const bool newMinute = now.time().minute() != minuteBefore;
        minuteWorks += newMinute;
        rebuilt = false;
        did.clear();
        QElapsedTimer t;
        t.start();
        window.Timer1Timer();
        double ms = t.nsecsElapsed() / 1e6;
        if (newMinute && (ms = minuteBusyMs(window, ms)) < 0)
            return failed("a minute's engine run did not end");
        if (rebuilt)
            weekRebuilds.push_back(ms);
        else if (newMinute)
            weekMinutes.push_back(ms);
        if (newMinute && !rebuilt && ms > MinuteTargetMs) {
            ++slowMinutes;
            if (slowest.size() < SlowestKept || ms > slowest.back().first) {
                slowest.emplace_back(
                    ms, now.toTimeZone(tz).toString(QStringLiteral("MM-dd hh:mm ")) +
                            (did.isEmpty() ? QStringLiteral("-") : did.join(QStringLiteral(", "))));
                std::sort(slowest.begin(), slowest.end(),
                          [](const auto &a, const auto &b) { return a.first > b.first; });
                if (slowest.size() > SlowestKept)
                    slowest.pop_back();
            }
        }
        if (i % 3600 == 0)
            QCoreApplication::processEvents();
        if (i == 86400) {
            afterDay = memoryNow();
            filesAfterDay = openFileCount(QCoreApplication::applicationPid());
        }
    }
    const Memory atEnd = memoryNow();
    std::printf("%d days: %ld ticks, %ld minute works, %.0f s; %ld sounds queued\n", days, ticksTotal,
                minuteWorks, week.elapsed() / 1000.0, player.sounds);
    std::printf("memory in KiB at the start, after day 1, at the end (growth after day 1):\n");
    const auto memoryLine = [&](const char *what, long Memory::*field) {
        std::printf("  %-44s %7ld %7ld %7ld  (%+ld)\n", what, atStart.*field, afterDay.*field, atEnd.*field,
                    atEnd.*field - afterDay.*field);
    };
    memoryLine("resident", &Memory::residentKiB);
    memoryLine("  of it from files (libraries)", &Memory::fileKiB);
    memoryLine("heap in use (mallinfo2)", &Memory::heapKiB);
    memoryLine("anonymous resident, free pages returned", &Memory::trimmedKiB);
    std::sort(rung.begin(), rung.end());
    long twice = 0;
    for (std::size_t i = 1; i < rung.size(); ++i)
        twice += rung[i] == rung[i - 1];
    std::printf("alarms: %zu rung, %ld rung twice, %ld missed (target: none twice, none missed)\n",
                rung.size(), twice, missedRows);
    std::printf("minute work over the week, busy time as above (%zu minutes): median %.2f ms, 90th %.2f ms, "
                "max %.2f ms "
                "(target: at most %.0f ms); %ld over the target, the slowest:\n",
                weekMinutes.size(), median(weekMinutes), percentile(weekMinutes, 0.9), maxOf(weekMinutes),
                MinuteTargetMs, slowMinutes);
    for (const auto &[ms, what] : slowest)
        std::printf("  slow minute %.2f ms at %s\n", ms, qPrintable(what));
    std::printf("ticks that rebuilt the list (the new day's engine run; no target): %zu, median %.2f ms, "
                "max %.2f ms\n",
                weekRebuilds.size(), median(weekRebuilds), maxOf(weekRebuilds));
    const int filesEnd = openFileCount(QCoreApplication::applicationPid());
    const int children = childProcessCount(QCoreApplication::applicationPid());
    std::printf("open files: %d at the start, %d after day 1, %d at the end; child processes left: %d\n",
                filesStart, filesAfterDay, filesEnd, children);
    if (messages > 0 || rung.empty() || weekMinutes.empty())
        return failed("the week's alarms or minutes were not measured (see the messages above)");

    const double worst = std::max(maxOf(minute), maxOf(weekMinutes));
    const long heapGrowth = atEnd.heapKiB - afterDay.heapKiB;
    const long trimmedGrowth = atEnd.trimmedKiB - afterDay.trimmedKiB;
    const bool inside = worst <= MinuteTargetMs && twice == 0 && missedRows == 0 &&
                        filesEnd <= filesAfterDay && children == 0 && heapGrowth <= MemoryGrowthTargetKiB &&
                        trimmedGrowth <= MemoryGrowthTargetKiB;
    std::printf(
        "minute work at most %.2f ms against %.0f ms (ratio %.2f); memory growth after day 1: heap "
        "%+ld KiB, anonymous resident with free pages returned %+ld KiB (target: at most %ld KiB); %s\n",
        worst, MinuteTargetMs, worst / MinuteTargetMs, heapGrowth, trimmedGrowth, MemoryGrowthTargetKiB,
        inside ? "within target" : "OUTSIDE TARGET");
    return inside ? 0 : 2;
}
