// The real window left running for days on a faked system clock that runs SPEED times as fast
// (libfaketime), in Chicago over the night daylight saving ends: every hour of every ruler and
// the Sun's and Moon's rise and set are chosen as alarms, the notices go to a notification service
// on a private session bus and the sounds to a sound server of its own. What it reads:
//
//  - every alarm once: each hour start of the span (as `orlam --ics` of the same place lists
//    them) is noticed exactly once, in its minute of the faked clock, and no notice comes twice;
//  - resident memory, open files and child processes of the window, sampled as it runs: memory
//    may grow by less than 1 MiB from the end of the first day to the end.
//
//   window_week [DAYS [SPEED [START]]]     (defaults: 7, 60, "2026-10-28 12:00:00" in Chicago)
//
// A week at 60 times the real pace takes 2 h 48 min.

#include "benchsupport.h"
#include "openedfiles.h"
#include "soundserver.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimeZone>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace orlam::bench;
using namespace orlam::test;

namespace {

constexpr long MemoryGrowthTargetKiB = 1024;
const char *const FakeTimeLibrary = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";

// Ends the measurement with the failure line; the caller returns, so that every helper process
// started so far is ended by its owner.
int failed(const QString &why)
{
    std::fprintf(stderr, "window_week: FAILED: %s\n", qPrintable(why));
    return 1;
}

struct Sample {
    double fakeSecs; // since the start of the faked clock
    long rssKiB;
    int files;
    int children;
};

// The hour alarms a span should ring: "Hour of RULER" at each hour's start, as the calendar
// export lists them (DTSTART in UTC, SUMMARY naming the ruler).
struct Expected {
    QDateTime minute; // UTC, the start rounded to its minute as the list shows it
    QString summary;
};

QList<Expected> hourStarts(const QByteArray &calendar)
{
    QList<Expected> hours;
    const QRegularExpression start(QStringLiteral("^DTSTART:(\\d{8}T\\d{6})Z$"));
    QString pending;
    for (QByteArray line : calendar.split('\n')) {
        line = line.trimmed();
        if (line.startsWith("BEGIN:VEVENT"))
            pending.clear();
        const QRegularExpressionMatch match = start.match(QString::fromLatin1(line));
        if (match.hasMatch())
            pending = match.captured(1);
        if (line.startsWith("SUMMARY:") && !pending.isEmpty()) {
            const QString summary = QString::fromUtf8(line.mid(8));
            const QRegularExpression hour(
                QStringLiteral("^Hour of (Sun|Moon|Mercury|Venus|Mars|Jupiter|Saturn)$"));
            const QRegularExpressionMatch ruler = hour.match(summary);
            if (!ruler.hasMatch())
                continue;
            QDateTime at = QDateTime::fromString(pending, QStringLiteral("yyyyMMdd'T'HHmmss"));
            at.setTimeSpec(Qt::UTC);
            // Rounded to the minute, half a minute up, as the list prints and rings it.
            const qint64 secs = at.toSecsSinceEpoch();
            at = QDateTime::fromSecsSinceEpoch((secs + 30) / 60 * 60, Qt::UTC);
            hours.append({at, QStringLiteral("Hour of ") + ruler.captured(1)});
        }
    }
    return hours;
}

// The sounds among the files opened.
long wavCount(const QStringList &names)
{
    return std::count_if(names.begin(), names.end(),
                         [](const QString &name) { return name.endsWith(QLatin1String(".wav")); });
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int days = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    const int speed = argc > 2 ? std::max(1, atoi(argv[2])) : 60;
    const QString startText =
        argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("2026-10-28 12:00:00");
    const QTimeZone zone("America/Chicago");
    const QDateTime startLocal = QDateTime::fromString(startText, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!startLocal.isValid())
        return failed(QStringLiteral("the start \"%1\" is not yyyy-MM-dd HH:mm:ss").arg(startText));
    const QDateTime start(startLocal.date(), startLocal.time(), zone);
    const QDateTime end = start.addSecs(qint64(days) * 86400);

    const QString bin = QCoreApplication::applicationDirPath();
    const QString orlam = bin + QStringLiteral("/orlam"), engine = bin + QStringLiteral("/orlam-ephem");
    for (const QString &program : {orlam, engine})
        if (!QFile::exists(program))
            return failed(program + QStringLiteral(" is missing (build it beside this benchmark)"));
    if (!QFile::exists(QString::fromLatin1(FakeTimeLibrary)))
        return failed(QStringLiteral("libfaketime is missing (scripts/deps installs faketime)"));

    QTemporaryDir dir;
    const QString work = dir.filePath(QStringLiteral("data/Orlam"));
    const QString expectWork = dir.filePath(QStringLiteral("expect"));
    if (!QDir().mkpath(work) || !QDir().mkpath(expectWork + QStringLiteral("/Orlam")) ||
        !QDir().mkpath(dir.filePath(QStringLiteral("run"))))
        return failed(QStringLiteral("cannot make folders in ") + dir.path());
    QFile::setPermissions(dir.filePath(QStringLiteral("run")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    for (const char *name : {"saturn.wav", "jupiter.wav", "mars.wav", "sun.wav", "venus.wav", "mercury.wav",
                             "moon.wav", "hour.wav", "rises.wav", "sets.wav"}) {
        const QString from = QStringLiteral(ORLAM_SOURCE_DIR "/data/sounds/") + QLatin1String(name);
        if (QFile::exists(from))
            QFile::copy(from, work + QLatin1Char('/') + QLatin1String(name));
    }
    const QString settings = dir.filePath(QStringLiteral("Orlam.ini"));
    {
        QFile ini(settings);
        if (!ini.open(QIODevice::WriteOnly))
            return failed(QStringLiteral("cannot write ") + settings);
        QByteArray keys = "[orlam]\r\nAstrolog=" + engine.toLocal8Bit() +
                          "\r\nTime=2\r\nLongitude=87W39\r\nLatitude=41N51\r\nTime Zone=6\r\n"
                          "Zone Name=America/Chicago\r\nNotify=1\r\nSun=1\r\nMoon=1\r\n";
        for (const char *hour : {"Sun", "Moon", "Mercury", "Venus", "Mars", "Jupiter", "Saturn"})
            keys += "Hour " + QByteArray(hour) + "=1\r\n";
        ini.write(keys);
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TZ"), QStringLiteral("America/Chicago"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
    env.insert(QStringLiteral("ORLAM_SETTINGS"), settings);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    // What should ring: the calendar export of the same place and days, on the real clock.
    const QString calendar = dir.filePath(QStringLiteral("expected.ics"));
    {
        QProcessEnvironment expectEnv = env;
        expectEnv.insert(QStringLiteral("XDG_DATA_HOME"), expectWork);
        QProcess ics;
        ics.setProcessEnvironment(expectEnv);
        ics.start(orlam, {QStringLiteral("--ics"), start.toTimeZone(zone).date().toString(Qt::ISODate),
                          end.toTimeZone(zone).date().toString(Qt::ISODate), calendar});
        if (!ics.waitForFinished(120000) || ics.exitStatus() != QProcess::NormalExit || ics.exitCode() != 0)
            return failed(QStringLiteral("orlam --ics did not export the span: ") +
                          QString::fromLocal8Bit(ics.readAllStandardError()));
    }
    QFile calendarFile(calendar);
    if (!calendarFile.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("the calendar export is missing"));
    QList<Expected> expected;
    // The first and last two minutes are left out: the faked clock's start is known to a few
    // seconds only.
    for (const Expected &hour : hourStarts(calendarFile.readAll()))
        if (hour.minute > start.addSecs(120) && hour.minute < end.addSecs(-120))
            expected.append(hour);
    if (expected.size() < days * 20)
        return failed(QStringLiteral("the calendar export lists only %1 hour starts in %2 days")
                          .arg(expected.size())
                          .arg(days));

    // The private session bus with the notification service, and the sound server.
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!bus.waitForStarted(5000) || !bus.waitForReadyRead(10000))
        return failed(QStringLiteral("dbus-daemon did not start"));
    const QString busAddress = QString::fromLatin1(bus.readLine().trimmed());
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);

    QProcess notices;
    notices.setProcessEnvironment(env);
    notices.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    notices.start(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral(ORLAM_SOURCE_DIR "/tests/data/app/notification-server.py")});
    if (!notices.waitForStarted(5000) || !notices.waitForReadyRead(10000) ||
        notices.readLine().trimmed() != "ready")
        return failed(QStringLiteral("the notification service did not start (python3-dbus, python3-gi)"));

    SoundServer sound;
    if (!sound.start())
        return failed(QStringLiteral("pulseaudio (scripts/deps installs it) did not start"));
    env.insert(QStringLiteral("PULSE_SERVER"), sound.address());

    OpenedFiles opened(work);
    if (!opened.ok())
        return failed(QStringLiteral("inotify is not available"));

    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("LD_PRELOAD"), QString::fromLatin1(FakeTimeLibrary));
    env.insert(
        QStringLiteral("FAKETIME"),
        QStringLiteral("@%1 x%2").arg(start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))).arg(speed));
    QProcess window;
    window.setProcessEnvironment(env);
    QElapsedTimer real;
    real.start();
    // The window's messages go to a file, read at the end: a pipe nobody drained for a week would
    // fill and stop the window.
    const QString windowLog = dir.filePath(QStringLiteral("window.log"));
    window.setStandardOutputFile(windowLog);
    window.setStandardErrorFile(windowLog);
    window.start(orlam, {});
    if (!window.waitForStarted(10000))
        return failed(QStringLiteral("orlam did not start"));
    const qint64 pid = window.processId();
    const auto fakeNow = [&] { return start.addMSecs(real.elapsed() * speed); };

    std::printf("window_week: %d days at %dx from %s (Chicago), %lld hour alarms expected; about %.0f min\n",
                days, speed, qPrintable(start.toString(Qt::ISODate)), static_cast<long long>(expected.size()),
                days * 1440.0 / speed);
    std::fflush(stdout);

    struct Heard {
        QDateTime at; // the faked clock when the notice arrived
        QString summary, body;
    };
    QList<Heard> heard;
    long sounds = 0;
    std::vector<Sample> samples;
    qint64 nextSample = 0;
    const qint64 sampleEveryMs = 600000 / speed; // every ten minutes of the faked clock
    while (fakeNow() < end) {
        if (window.state() == QProcess::NotRunning)
            return failed(QStringLiteral("the window ended at %1 (exit %2)")
                              .arg(fakeNow().toTimeZone(zone).toString(Qt::ISODate))
                              .arg(window.exitCode()));
        notices.waitForReadyRead(100);
        while (notices.canReadLine()) {
            const QJsonObject notice = QJsonDocument::fromJson(notices.readLine()).object();
            heard.append({fakeNow(), notice.value(QLatin1String("summary")).toString(),
                          notice.value(QLatin1String("body")).toString()});
        }
        // Read as it goes: the kernel's queue holds some thousands of events, and the window
        // opens its reports in this folder every minute.
        sounds += wavCount(opened.takeNames());
        if (real.elapsed() >= nextSample) {
            samples.push_back({start.msecsTo(fakeNow()) / 1000.0, processStatusKiB(pid, "VmRSS:"),
                               openFileCount(pid), childProcessCount(pid)});
            nextSample += sampleEveryMs;
            const Sample &s = samples.back();
            if (samples.size() % 144 == 1)
                std::printf(
                    "  %s  rss %ld KiB, %d files, %d children, %lld notices\n",
                    qPrintable(fakeNow().toTimeZone(zone).toString(QStringLiteral("yyyy-MM-dd HH:mm"))),
                    s.rssKiB, s.files, s.children, static_cast<long long>(heard.size()));
            std::fflush(stdout);
        }
    }
    sounds += wavCount(opened.takeNames());
    window.terminate();
    if (!window.waitForFinished(10000))
        window.kill();
    QFile log(windowLog);
    if (log.open(QIODevice::ReadOnly))
        for (const QByteArray &line : log.readAll().split('\n'))
            if (!line.isEmpty() && !line.contains("propagateSizeHints")) // the offscreen platform's remark
                std::fprintf(stderr, "orlam: %s\n", line.constData());
    notices.closeWriteChannel();
    notices.waitForFinished(5000);
    bus.terminate();
    bus.waitForFinished(5000);

    // Every expected hour alarm once, in its minute; nothing twice.
    int missed = 0, doubled = 0, late = 0;
    std::vector<double> offsets;
    QHash<QString, int> seen;
    for (const Heard &h : heard)
        ++seen[h.summary + QLatin1Char('|') + h.body + QLatin1Char('|') +
               h.at.toTimeZone(zone).date().toString(Qt::ISODate)];
    for (auto it = seen.cbegin(); it != seen.cend(); ++it)
        if (it.value() > 1) {
            ++doubled;
            std::printf("  doubled: %s (%d times)\n", qPrintable(it.key()), it.value());
        }
    // The notice's first time ("8:02 AM", "20:02") as minutes of the day.
    const auto noticeMinute = [](const QString &body) {
        static const QRegularExpression time(QStringLiteral("(\\d{1,2}):(\\d{2})\\s*([AP]M)?"));
        const QRegularExpressionMatch m = time.match(body);
        if (!m.hasMatch())
            return -1;
        const int hour = m.captured(1).toInt() % (m.captured(3).isEmpty() ? 24 : 12);
        return (hour + (m.captured(3) == QLatin1String("PM") ? 12 : 0)) * 60 + m.captured(2).toInt();
    };
    for (const Expected &hour : expected) {
        const QTime wall = hour.minute.toTimeZone(zone).time();
        const int minuteOfDay = wall.hour() * 60 + wall.minute();
        const auto match = std::find_if(heard.cbegin(), heard.cend(), [&](const Heard &h) {
            return h.summary == hour.summary && noticeMinute(h.body) == minuteOfDay &&
                   std::abs(h.at.secsTo(hour.minute)) < 3600;
        });
        if (match == heard.cend()) {
            ++missed;
            std::printf("  missed: %s at %s\n", qPrintable(hour.summary),
                        qPrintable(hour.minute.toTimeZone(zone).toString(Qt::ISODate)));
            continue;
        }
        const double offset = hour.minute.msecsTo(match->at) / 1000.0;
        offsets.push_back(offset);
        // Rung in its minute; the faked clock's start is known to within a few seconds.
        if (offset < -15 || offset > 75) {
            ++late;
            std::printf("  out of its minute: %s at %s, noticed %+.0f s\n", qPrintable(hour.summary),
                        qPrintable(hour.minute.toTimeZone(zone).toString(Qt::ISODate)), offset);
        }
    }
    std::sort(offsets.begin(), offsets.end());

    if (samples.size() < 3)
        return failed(QStringLiteral("too few memory samples"));
    const auto firstDayEnd =
        std::find_if(samples.cbegin(), samples.cend(), [](const Sample &s) { return s.fakeSecs >= 86400; });
    const Sample &base = firstDayEnd != samples.cend() ? *firstDayEnd : samples.front();
    const Sample &last = samples.back();
    long peak = 0;
    for (const Sample &s : samples)
        peak = std::max(peak, s.rssKiB);
    const long growth = last.rssKiB - base.rssKiB;
    // Open files come and go with the sounds playing at a sample; a leak shows as a rise from one
    // day's most to the next's. The second day is compared with the last.
    const auto mostFiles = [&](double fromSecs, double toSecs) {
        int most = 0;
        for (const Sample &s : samples)
            if (s.fakeSecs >= fromSecs && s.fakeSecs < toSecs)
                most = std::max(most, s.files);
        return most;
    };
    const double lastDay = std::max(86400.0, samples.back().fakeSecs - 86400);
    const int filesDayTwo = mostFiles(86400, 2 * 86400), filesLastDay = mostFiles(lastDay, 1e12);

    std::printf(
        "alarms: %lld hour alarms expected, %lld notices in all (hours and rise/set), %ld sounds opened\n",
        static_cast<long long>(expected.size()), static_cast<long long>(heard.size()), sounds);
    std::printf("missed %d, doubled %d, out of their minute %d; noticed after the minute's start: "
                "median %+.1f s, max %+.1f s (faked clock)\n",
                missed, doubled, late, offsets.empty() ? 0 : offsets[offsets.size() / 2],
                offsets.empty() ? 0 : offsets.back());
    std::printf("memory: %ld KiB at the first day's end, %ld KiB at the end, peak %ld KiB: growth %ld KiB "
                "(target: under %ld KiB); open files at most %d on the second day, %d on the last; children "
                "%d -> %d\n",
                base.rssKiB, last.rssKiB, peak, growth, MemoryGrowthTargetKiB, filesDayTwo, filesLastDay,
                base.children, last.children);
    const bool within = missed == 0 && doubled == 0 && late == 0 && growth < MemoryGrowthTargetKiB &&
                        filesLastDay <= filesDayTwo && last.children <= base.children;
    return verdict(within);
}
