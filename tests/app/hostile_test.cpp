// The program against hostile files and failing surroundings, run as a child process with
// folders of the test's own: links, named pipes and devices where it writes, full disks and
// closed outputs, engines that lie, hang or flood.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include "processrig.h"

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/time.h>
#include <unistd.h>

using namespace orlam::test;

namespace {

const QByteArray VictimBytes = "root's own file\n";

mode_t kindOf(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & S_IFMT) : 0;
}

bool isRoot()
{
    return ::geteuid() == 0;
}

bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// A reader of a named pipe that keeps what it read.
class PipeReader {
public:
    explicit PipeReader(const QString &fifo)
    {
        mCat.start(QStringLiteral("cat"), {fifo});
        mCat.waitForStarted();
    }
    QByteArray received()
    {
        mCat.waitForFinished(30000);
        return mCat.readAllStandardOutput();
    }

private:
    QProcess mCat;
};

const QByteArray OneMoment = "a,b,6/15/2026,14:30,6,93W21,45N05\r\n";

// The peak memory of a running process in kilobytes (0 when it has ended).
qint64 peakMemoryKb(qint64 pid)
{
    const QByteArray status = readAll(QStringLiteral("/proc/%1/status").arg(pid));
    const qsizetype at = status.indexOf("VmHWM:");
    return at < 0 ? 0
                  : status.mid(at + 6, status.indexOf('\n', at) - at - 6)
                        .trimmed()
                        .split(' ')
                        .value(0)
                        .toLongLong();
}

// A process that has ended but not been reaped yet (a zombie: nobody waits for an orphan in
// some containers) counts as ended.
bool alive(pid_t pid)
{
    const QByteArray stat = readAll(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    return pid > 0 && close > 0 && stat.size() > close + 2 && stat.at(close + 2) != 'Z';
}

} // namespace

class HostileTest : public QObject {
    Q_OBJECT
private slots:
    void calendarGoesIntoPipesAndDevices();
    void ownFilesNeverFollowLinks();
    void hoursFileNeverFollowsALink();
    void failedStandardOutputIsAFailure();
    void engineWithoutAUsableChartFailsTheLine();
    void floodedErrorOutputIsNotHeld();
    void lockFailuresSayWhy();
    void relativeXdgFoldersAreIgnored();
    void signalsEndTheEnginesChildren();
    void scratchFoldersOfDeadOwnersGo();
    void zoneOffTheEarthIsRefused();
};

void HostileTest::calendarGoesIntoPipesAndDevices()
{
    ProcessRig rig;
    const QStringList days{QStringLiteral("--ics"), QStringLiteral("2026-01-01"),
                           QStringLiteral("2026-01-01")};

    // A named pipe's reader gets the calendar; the pipe stays a pipe.
    const QString fifo = rig.user(QStringLiteral("calendar.ics"));
    QVERIFY(makeFifo(fifo));
    PipeReader reader(fifo);
    const ProcessRig::Run piped = rig.run(days + QStringList{QStringLiteral("calendar.ics")});
    QCOMPARE(piped.exitCode, 0);
    QVERIFY(reader.received().startsWith("BEGIN:VCALENDAR"));
    QCOMPARE(kindOf(fifo), mode_t(S_IFIFO));

    // Standard output as a pipe: the calendar alone comes out there, the count on the side.
    const ProcessRig::Run out = rig.run(days + QStringList{QStringLiteral("/dev/stdout")});
    QCOMPARE(out.exitCode, 0);
    QVERIFY2(out.out.startsWith(QLatin1String("BEGIN:VCALENDAR")), qPrintable(out.err));
    QVERIFY(out.out.trimmed().endsWith(QLatin1String("END:VCALENDAR")));
    QVERIFY2(out.err.contains(QLatin1String("/dev/stdout: ")) && out.err.contains(QLatin1String(" events")),
             qPrintable(out.err));

    // A device stays a device (as root, a node of the test's own with /dev/null's numbers).
    const QString device = isRoot() ? rig.user(QStringLiteral("null")) : QStringLiteral("/dev/null");
    if (isRoot())
        QVERIFY(::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0);
    const ProcessRig::Run intoDevice = rig.run(days + QStringList{device});
    QCOMPARE(intoDevice.exitCode, 0);
    QCOMPARE(kindOf(device), mode_t(S_IFCHR));
}

void HostileTest::ownFilesNeverFollowLinks()
{
    // Every file Orlam names in its work folder is planted as a link: to a file it must not
    // change, or to a name it must not create.
    ProcessRig rig;
    QVERIFY(writeAll(rig.settings(), readAll(rig.settings()) + "Local File Save=1\r\n"));
    QVERIFY(QDir().mkpath(rig.work()));
    const QString victim = rig.path(QStringLiteral("victim.txt"));
    QVERIFY(writeAll(victim, VictimBytes));
    const QStringList toVictim{QStringLiteral("td.txt"), QStringLiteral("input.txt"),
                               QStringLiteral("chart.txt"),
                               QStringLiteral("orlam-{5E0C93B2-7A41-4F1D-9C6E-2B8D0F4A17C3}.lock")};
    for (const QString &name : toVictim)
        QVERIFY(QFile::link(victim, rig.work(name)));
    const QString created = rig.path(QStringLiteral("created"));
    QVERIFY(QFile::link(created, rig.work(QStringLiteral("orlam.html"))));

    const ProcessRig::Run run = rig.run({QStringLiteral("x")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(readAll(victim), VictimBytes);
    QVERIFY(!QFileInfo::exists(created));
    QVERIFY(readAll(rig.work(QStringLiteral("td.txt"))).contains("Sol"));
    QVERIFY(readAll(rig.work(QStringLiteral("input.txt"))).startsWith("@0102"));
    QCOMPARE(kindOf(rig.work(QStringLiteral("td.txt"))), mode_t(S_IFREG));
    QCOMPARE(kindOf(rig.work(QStringLiteral("orlam.html"))), mode_t(S_IFREG));

    // A dangling link in td.txt's place makes no file at its target either.
    QVERIFY(QFile::remove(rig.work(QStringLiteral("td.txt"))));
    QVERIFY(QFile::link(created, rig.work(QStringLiteral("td.txt"))));
    QCOMPARE(rig.run({QStringLiteral("x")}).exitCode, 0);
    QVERIFY(!QFileInfo::exists(created));
    QCOMPARE(kindOf(rig.work(QStringLiteral("td.txt"))), mode_t(S_IFREG));
}

void HostileTest::hoursFileNeverFollowsALink()
{
    // The window writes hl.txt at every start, with the default settings.
    ProcessRig rig;
    QVERIFY(QDir().mkpath(rig.work()));
    const QString victim = rig.path(QStringLiteral("victim.txt"));
    QVERIFY(writeAll(victim, VictimBytes));
    QVERIFY(QFile::link(victim, rig.work(QStringLiteral("hl.txt"))));
    QProcess window;
    rig.prepare(window, {});
    window.start();
    QVERIFY(window.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(kindOf(rig.work(QStringLiteral("hl.txt"))), mode_t(S_IFREG), 20000);
    window.kill();
    window.waitForFinished();
    QCOMPARE(readAll(victim), VictimBytes);
    QCOMPARE(readAll(rig.work(QStringLiteral("hl.txt"))).count("Hour\r\n"), 24);
}

void HostileTest::failedStandardOutputIsAFailure()
{
    ProcessRig rig;
    const auto toFullDisk = [](QProcess &process) {
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
    };
    const QList<QStringList> modes{{QStringLiteral("x")},
                                   {QStringLiteral("--hours")},
                                   {QStringLiteral("--next-hour"), QStringLiteral("Sun")},
                                   {QStringLiteral("--version")},
                                   {QStringLiteral("--help")}};
    for (const QStringList &arguments : modes) {
        const ProcessRig::Run run = rig.run(arguments, ProcessRig::Display::Offscreen, toFullDisk);
        QVERIFY2(run.exitCode == 1, qPrintable(arguments.join(' ') + QStringLiteral(": ") + run.err));
        QVERIFY2(run.err.contains(
                     QLatin1String("orlam: Cannot write to standard output: No space left on device")),
                 qPrintable(run.err));
    }
}

void HostileTest::engineWithoutAUsableChartFailsTheLine()
{
    // The engine says it is done (exit status 0) but leaves no chart a date can be made of.
    QTemporaryDir engines;
    const struct {
        const char *what;
        QByteArray script;
        const char *message;
    } rows[] = {
        {"no report", "exit 0\n",
         "The ephemeris program left no chart with the Sun and the Moon in chart.txt"},
        {"random bytes", "head -c 4000 /dev/urandom | tr -d 'SM' > chart.txt\n",
         "The ephemeris program left no chart with the Sun and the Moon in chart.txt"},
        {"the Sun alone", "printf 'Sun : 24Gem12   + 0:00 (-) [10th house] [-] +0.955\\r\\n' > chart.txt\n",
         "The ephemeris program left no chart with the Sun and the Moon in chart.txt"},
        {"a line of twenty megabytes", "head -c 20000000 /dev/zero | tr '\\0' x > chart.txt\n",
         "The report chart.txt is larger than 4 MB, far more than the ephemeris program ever writes; it was "
         "not "
         "read."},
    };
    for (const auto &row : rows) {
        const QString engine = engines.filePath(QString::fromLatin1(row.what).replace(' ', '-'));
        ProcessRig rig(scriptEngine(engine, row.script));
        QVERIFY(writeAll(rig.user(QStringLiteral("in.csv")), OneMoment));
        const ProcessRig::Run run = rig.run({QStringLiteral("in.csv"), QStringLiteral("out.csv")});
        QVERIFY2(run.exitCode == 1, row.what);
        QVERIFY2(run.err.contains(QLatin1String(row.message) + QLatin1String(" (line 1 of in.csv)")),
                 qPrintable(QLatin1String(row.what) + QLatin1String(": ") + run.err));
        QVERIFY2(!QFileInfo::exists(rig.user(QStringLiteral("out.csv"))), row.what);
    }
}

void HostileTest::floodedErrorOutputIsNotHeld()
{
    // Two hundred megabytes on the error output, then the explanation, then a pause in which the
    // program's memory is looked at.
    QTemporaryDir engines;
    ProcessRig rig(scriptEngine(engines.filePath(QStringLiteral("flood.sh")),
                                "head -c 200000000 /dev/zero | tr '\\0' e >&2\n"
                                "echo >&2\necho 'the last word' >&2\nsleep 2\nexit 2\n"));
    // Only the end of what the program passes on is kept, by a reader of a pipe.
    const QString fifo = rig.path(QStringLiteral("errors"));
    QVERIFY(makeFifo(fifo));
    QProcess tail;
    tail.start(QStringLiteral("tail"), {QStringLiteral("-c"), QStringLiteral("2000"), fifo});
    QVERIFY(tail.waitForStarted());
    QVERIFY(writeAll(rig.user(QStringLiteral("in.csv")), OneMoment));
    QProcess program;
    rig.prepare(program, {QStringLiteral("in.csv"), QStringLiteral("out.csv")});
    program.setStandardErrorFile(fifo);
    program.start();
    QVERIFY(program.waitForStarted());
    qint64 peak = 0;
    while (!program.waitForFinished(100))
        peak = std::max(peak, peakMemoryKb(program.processId()));
    QCOMPARE(program.exitCode(), 1);
    QVERIFY(tail.waitForFinished(10000));
    const QByteArray end = tail.readAllStandardOutput();
    QVERIFY2(end.contains("orlam: Astrolog return code 2: the last word (line 1 of in.csv)"),
             end.right(300).constData());
    QVERIFY2(peak > 0 && peak < 400 * 1024, qPrintable(QString::number(peak)));
}

void HostileTest::lockFailuresSayWhy()
{
    // Only a live copy's lock means another copy; any other failure names the folder and why,
    // in the command-line modes and for the window alike (a message box with a display).
    const auto fullDisk = [](QProcess &process) {
        process.setChildProcessModifier([] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit none{0, 0};
            ::setrlimit(RLIMIT_FSIZE, &none);
        });
    };
    for (const QStringList &arguments : {QStringList{QStringLiteral("x")}, QStringList{}}) {
        ProcessRig rig;
        QVERIFY(QDir().mkpath(rig.work()));
        const ProcessRig::Run full = rig.run(arguments, ProcessRig::Display::Offscreen, fullDisk);
        QCOMPARE(full.exitCode, 1);
        QVERIFY2(full.err.contains(QStringLiteral("Orlam cannot lock its work folder %1: File too large.")
                                       .arg(QDir::cleanPath(rig.work()))),
                 qPrintable(full.err));
        QVERIFY(!full.err.contains(QLatin1String("another copy")));

        // A lock file that names no process: left over by a crash (old) it is taken over; one
        // made a moment ago may be a copy writing its lock, and is named instead.
        ProcessRig junk;
        QVERIFY(QDir().mkpath(junk.work()));
        const QString lockFile =
            junk.work(QStringLiteral("orlam-{5E0C93B2-7A41-4F1D-9C6E-2B8D0F4A17C3}.lock"));
        QVERIFY(writeAll(lockFile, ""));
        const ProcessRig::Run fresh = junk.run(arguments);
        QCOMPARE(fresh.exitCode, 1);
        QVERIFY2(fresh.err.contains(
                     QStringLiteral("the file %1 is in the way of the lock; remove it.").arg(lockFile)),
                 qPrintable(fresh.err));
        const timeval longAgo[2] = {{1000000000, 0}, {1000000000, 0}};
        QVERIFY(::utimes(QFile::encodeName(lockFile).constData(), longAgo) == 0);
        if (!arguments.isEmpty())
            QCOMPARE(junk.run(arguments).exitCode, 0);

        ProcessRig blocked;
        QVERIFY(QDir().mkpath(blocked.path(QStringLiteral("data"))));
        QVERIFY(writeAll(blocked.path(QStringLiteral("data/Orlam")), "a file where the folder goes"));
        const ProcessRig::Run noFolder = blocked.run(arguments);
        QCOMPARE(noFolder.exitCode, 1);
        QVERIFY2(
            noFolder.err.contains(QStringLiteral("Orlam cannot create its work folder %1: Not a directory.")
                                      .arg(QDir::cleanPath(blocked.work()))),
            qPrintable(noFolder.err));
    }
}

void HostileTest::relativeXdgFoldersAreIgnored()
{
    // Relative values are not paths the XDG rules allow: the defaults under HOME are used, and
    // nothing lands in the folder the program was started in.
    ProcessRig rig;
    for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
        rig.setVariable(QLatin1String(name), QStringLiteral("relative/") + QLatin1String(name));
    rig.setVariable(QStringLiteral("XDG_DATA_DIRS"), QStringLiteral("relative/share:/usr/share"));
    rig.setVariable(QStringLiteral("ORLAM_SETTINGS"), QString());
    const ProcessRig::Run run = rig.run({QStringLiteral("x")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.split('\n', Qt::SkipEmptyParts).size(), 2);
    QVERIFY2(QDir(rig.user()).isEmpty(), qPrintable(QDir(rig.user()).entryList().join(' ')));
    QVERIFY(QFileInfo::exists(rig.home(QStringLiteral(".local/share/Orlam/input.txt"))));
    QVERIFY(QFileInfo::exists(rig.home(QStringLiteral(".config/Orlam/Orlam.ini"))));
}

void HostileTest::signalsEndTheEnginesChildren()
{
    // An engine that starts a child of its own and waits: ending Orlam by a signal it can catch
    // ends them both, for the window's runner and for the hour commands' jobs alike.
    QTemporaryDir engines;
    const QString pids = engines.filePath(QStringLiteral("pids"));
    const QByteArray engine =
        scriptEngine(engines.filePath(QStringLiteral("waiting.sh")),
                     "sleep 600 &\necho $! >> '" + QFile::encodeName(pids) + "'\nsleep 600\n");
    const struct {
        QStringList arguments;
        int signal;
    } rows[] = {
        {{QStringLiteral("x")}, SIGTERM},
        {{QStringLiteral("x")}, SIGHUP},
        {{QStringLiteral("--hours")}, SIGINT},
        {{QStringLiteral("--hours")}, SIGTERM},
    };
    for (const auto &row : rows) {
        const QString shown =
            row.arguments.join(' ') + QStringLiteral(", signal ") + QString::number(row.signal);
        QFile::remove(pids);
        ProcessRig rig(engine);
        QProcess program;
        rig.prepare(program, row.arguments);
        program.start();
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!readAll(pids).isEmpty(), 10000);
        ::kill(pid_t(program.processId()), row.signal);
        QVERIFY2(program.waitForFinished(10000), qPrintable(shown));
        QVERIFY2(program.exitStatus() == QProcess::CrashExit, qPrintable(shown));
        for (const QByteArray &line : readAll(pids).split('\n')) {
            const pid_t child = pid_t(line.toInt());
            if (child <= 0)
                continue;
            QTRY_VERIFY2_WITH_TIMEOUT(!alive(child), qPrintable(shown), 5000);
        }
    }
}

void HostileTest::scratchFoldersOfDeadOwnersGo()
{
    QTemporaryDir engines;
    const QString started = engines.filePath(QStringLiteral("started"));
    ProcessRig rig(scriptEngine(engines.filePath(QStringLiteral("waiting.sh")),
                                "touch '" + QFile::encodeName(started) + "'\nsleep 600\n"));
    // A command killed outright (no handler runs) leaves its folder behind.
    QProcess killed;
    rig.prepare(killed, {QStringLiteral("--hours")});
    killed.start();
    QVERIFY(killed.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(started), 10000);
    killed.kill();
    QVERIFY(killed.waitForFinished());
    const QDir temporary(rig.temporary());
    const QStringList left = temporary.entryList({QStringLiteral("orlam-*")}, QDir::Dirs);
    QCOMPARE(left.size(), 1);

    // A folder whose owner lives, and one the program did not make, stay.
    QVERIFY(temporary.mkpath(QStringLiteral("orlam-Live001")) &&
            temporary.mkpath(QStringLiteral("orlam-NoMark")));
    const int held =
        ::open(QFile::encodeName(rig.temporary(QStringLiteral("orlam-Live001/owner.lock"))).constData(),
               O_RDWR | O_CREAT, 0600);
    QVERIFY(held >= 0 && ::flock(held, LOCK_EX) == 0);

    QVERIFY(writeAll(rig.settings(), "[orlam]\r\n"));
    const ProcessRig::Run next = rig.run({QStringLiteral("--hours")});
    QCOMPARE(next.exitCode, 0);
    QCOMPARE(temporary.entryList({QStringLiteral("orlam-*")}, QDir::Dirs),
             QStringList({QStringLiteral("orlam-Live001"), QStringLiteral("orlam-NoMark")}));
    ::close(held);
}

void HostileTest::zoneOffTheEarthIsRefused()
{
    ProcessRig rig;
    QVERIFY(
        writeAll(rig.user(QStringLiteral("in.csv")), OneMoment + "c,d,6/15/2026,14:30,25,93W21,45N05\r\n"));
    const ProcessRig::Run batch = rig.run({QStringLiteral("in.csv"), QStringLiteral("out.csv")});
    QCOMPARE(batch.exitCode, 1);
    QVERIFY2(batch.err.contains(
                 QLatin1String("The time zone \"25\" is outside -14 to +12 hours west of Greenwich. "
                               "The job was not run. Correct it in the options. (line 2 of in.csv)")),
             qPrintable(batch.err));
    QVERIFY(!QFileInfo::exists(rig.user(QStringLiteral("out.csv"))));

    // The two ends of the Earth's clocks are charted.
    QVERIFY(writeAll(rig.user(QStringLiteral("ends.csv")), "a,b,6/15/2026,14:30,-14,93W21,45N05\r\n"
                                                           "c,d,6/15/2026,14:30,12,93W21,45N05\r\n"));
    QCOMPARE(rig.run({QStringLiteral("ends.csv"), QStringLiteral("out.csv")}).exitCode, 0);

    QVERIFY(writeAll(rig.settings(), readAll(rig.settings()) + "Time Zone=-15\r\n"));
    const ProcessRig::Run copy = rig.run({QStringLiteral("x")});
    QCOMPARE(copy.exitCode, 1);
    QVERIFY2(copy.err.contains(QLatin1String("The time zone \"-15\" is outside -14 to +12 hours")),
             qPrintable(copy.err));
}

QTEST_GUILESS_MAIN(HostileTest)
#include "hostile_test.moc"
