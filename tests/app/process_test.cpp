// The program as a process: one copy at a time, and the command-line modes.

#include "orlamversion.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPoint>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "processrig.h"

#include <sys/stat.h>

using namespace orlam::test;

namespace {

// A stand-in engine that notes each job's moment line in jobs.log beside it and leaves the
// fixed chart listing; it ends as FAKE_ENGINE_EXIT says.
QByteArray recordingEngine(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("recording-engine.sh"));
    writeAll(path, "#!/bin/sh\n"
                   "sed -n 's|^/qb ||p' input.txt | tr -d '\\r' >> '" +
                       dir.filePath(QStringLiteral("jobs.log")).toUtf8() +
                       "'\n"
                       "exec " ORLAM_TEST_DATA "/app/fake-engine.sh\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path.toUtf8();
}

QStringList recordedJobs(const QTemporaryDir &dir)
{
    return QString::fromUtf8(readAll(dir.filePath(QStringLiteral("jobs.log"))))
        .split('\n', Qt::SkipEmptyParts);
}

} // namespace

class ProcessTest : public QObject {
    Q_OBJECT
private slots:
    void oneCopyAtATime();
    void copyDatePrintsTwoLines();
    void batchRunEndsWithStatus();
    void helpAndVersion();
    void withoutDisplay();
    void usersFilesAreLeftAlone();
    void lockIsTheWorkFoldersWhateverTheEnvironment();
    void copyDateRunsTheEngineOnce();
    void failedEngineEndsTheModesWithStatusOne();
    void oldDatesAreChartedAsGiven();
    void pipesAndDevices();
    void settingsFileThatIsAPipeIsRefused();
    void runScriptWithoutDisplay();
    void clipboardOutlivesCopyDate();
    void batchLinesAreNotSyncedToDisk();
    void frameStandsWhereTheSettingsPutIt();
};

void ProcessTest::oneCopyAtATime()
{
    ProcessRig rig;
    QProcess first;
    rig.prepare(first, {});
    first.start();
    QVERIFY(first.waitForStarted());
    // The first copy holds the lock once it shows its date in the view; give it time to start.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(rig.work(QStringLiteral("input.txt"))), 10000);

    QElapsedTimer clock;
    clock.start();
    const ProcessRig::Run second = rig.run({});
    QCOMPARE(second.exitCode, 3);
    QVERIFY(second.out.isEmpty());
    QVERIFY2(second.err.isEmpty(), qPrintable(second.err));
    QVERIFY(clock.elapsed() < 5000);
    // The command-line modes are copies too, but they say why they give no date.
    const ProcessRig::Run copy = rig.run({QStringLiteral("x")});
    QCOMPARE(copy.exitCode, 3);
    QVERIFY(copy.out.isEmpty());
    QVERIFY(copy.err.contains(QLatin1String("another copy of Orlam is running")));
    QCOMPARE(first.state(), QProcess::Running);

    // A copy that died leaves no lock behind that stops the next one.
    first.kill();
    QVERIFY(first.waitForFinished());
    const ProcessRig::Run after = rig.run({QStringLiteral("x")});
    QCOMPARE(after.exitCode, 0);
}

void ProcessTest::copyDatePrintsTwoLines()
{
    ProcessRig rig;
    const ProcessRig::Run run = rig.run({QStringLiteral("x")});
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    static const QRegularExpression thelemic(
        QStringLiteral("^An [ivxlcdmIVXLCDM0-9]+ Sol +\\d+\u00b0 \\w+, Luna +\\d+\u00b0 \\w+ Dies \\w+$"),
        QRegularExpression::UseUnicodePropertiesOption);
    QVERIFY2(thelemic.match(lines.at(0)).hasMatch(), qPrintable(lines.at(0)));
    QVERIFY2(lines.at(1).contains(QLatin1String(" e.v. ")), qPrintable(lines.at(1)));
    QVERIFY2(run.err.isEmpty() || !run.err.contains(QLatin1String("orlam:")), qPrintable(run.err));
}

void ProcessTest::batchRunEndsWithStatus()
{
    ProcessRig rig;
    QVERIFY(writeAll(rig.user(QStringLiteral("in.txt")), "a,b,6/15/2026,14:30,6,93W21,45N05\r\n"
                                                         "c,d,3/20/2026,12:00,6,93W21,45N05\r\n"));
    const ProcessRig::Run run = rig.run({QStringLiteral("in.txt"), QStringLiteral("out.txt")});
    QCOMPARE(run.exitCode, 0);
    const QList<QByteArray> lines = readAll(rig.user(QStringLiteral("out.txt"))).split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).startsWith("a,b,6/15/2026,14:30,6,93W21,45N05,"));
    QCOMPARE(lines.at(0).count(','), 11);
    QVERIFY(lines.at(0).endsWith(",\r"));

    const ProcessRig::Run failed = rig.run({QStringLiteral("missing.txt"), QStringLiteral("out2.txt")});
    QCOMPARE(failed.exitCode, 1);
    QVERIFY2(failed.err.contains(QLatin1String("Cannot open file missing.txt")), qPrintable(failed.err));
    QVERIFY(!QFileInfo::exists(rig.user(QStringLiteral("out2.txt"))));
}

void ProcessTest::helpAndVersion()
{
    ProcessRig rig;
    const ProcessRig::Run version = rig.run({QStringLiteral("--version")});
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out, QStringLiteral("orlam %1\n").arg(QLatin1String(orlam::VersionNumber)));
    const ProcessRig::Run help = rig.run({QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.startsWith(QLatin1String("Usage: orlam")));
    // Neither needs a display nor touches a folder.
    QVERIFY(!QFileInfo::exists(rig.work()));
    QVERIFY(QDir(rig.user()).isEmpty());
}

void ProcessTest::withoutDisplay()
{
    ProcessRig rig;
    const ProcessRig::Display none = ProcessRig::Display::NoDisplay;
    // The window has nowhere to go: a clear line on standard error and status 1, at once. Three
    // arguments are an interactive start too.
    for (const QStringList &arguments : {QStringList{}, QStringList{"a", "b", "c"}}) {
        const ProcessRig::Run window = rig.run(arguments, none);
        QCOMPARE(window.exitCode, 1);
        QVERIFY(window.out.isEmpty());
        QVERIFY2(window.err.contains(QLatin1String("no display")), qPrintable(window.err));
    }
    QVERIFY(!QFileInfo::exists(rig.work()));
    QVERIFY(QDir(rig.user()).isEmpty());

    // The command-line modes need no display.
    const ProcessRig::Run copy = rig.run({QStringLiteral("x")}, none);
    QCOMPARE(copy.exitCode, 0);
    QCOMPARE(copy.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 2);
    QVERIFY2(!copy.err.contains(QLatin1String("orlam:")), qPrintable(copy.err));

    // Nor does a display that cannot be reached stop them.
    const ProcessRig::Run stale = rig.run({QStringLiteral("x")}, ProcessRig::Display::Unreachable);
    QCOMPARE(stale.exitCode, 0);
    QCOMPARE(stale.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 2);

    // Any other single argument copies the view before anything is calculated: nothing to print,
    // and the window's close still writes the layout.
    const ProcessRig::Run other = rig.run({QStringLiteral("today")}, none);
    QCOMPARE(other.exitCode, 0);
    QVERIFY(other.out.isEmpty());
    QVERIFY(readAll(rig.settings()).contains("ClientWidth=400\r\n"));
}

void ProcessTest::usersFilesAreLeftAlone()
{
    // The user's folder holds files with the names of Orlam's job file and reports: a batch file
    // called input.txt, converted into chart.txt.
    ProcessRig rig;
    const QByteArray moments = "a,b,6/15/2026,14:30,6,93W21,45N05\r\n";
    QVERIFY(writeAll(rig.user(QStringLiteral("input.txt")), moments));
    QVERIFY(writeAll(rig.user(QStringLiteral("riseset.txt")), "mine"));
    QVERIFY(writeAll(rig.user(QStringLiteral("td.txt")), "mine"));
    const ProcessRig::Run copy = rig.run({QStringLiteral("x")});
    QCOMPARE(copy.exitCode, 0);
    const ProcessRig::Run batch = rig.run({QStringLiteral("input.txt"), QStringLiteral("chart.txt")});
    QCOMPARE(batch.exitCode, 0);
    QCOMPARE(readAll(rig.user(QStringLiteral("input.txt"))), moments);
    QVERIFY(
        readAll(rig.user(QStringLiteral("chart.txt"))).startsWith("a,b,6/15/2026,14:30,6,93W21,45N05,v12,"));
    QCOMPARE(readAll(rig.user(QStringLiteral("riseset.txt"))), QByteArray("mine"));
    QCOMPARE(QDir(rig.user()).entryList(QDir::Files | QDir::Hidden).size(), 4);
    // Orlam's own files are in its work folder.
    QVERIFY(readAll(rig.work(QStringLiteral("input.txt"))).startsWith("@0102"));
    QVERIFY(QFileInfo::exists(rig.work(QStringLiteral("chart.txt"))));
}

void ProcessTest::lockIsTheWorkFoldersWhateverTheEnvironment()
{
    ProcessRig rig;
    QProcess first;
    rig.prepare(first, {});
    first.start();
    QVERIFY(first.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(rig.work(QStringLiteral("input.txt"))), 10000);
    // Another runtime folder (another login, a cron job) shares the work folder all the same.
    QDir(rig.path(QString())).mkpath(QStringLiteral("run2"));
    rig.setRuntimeFolder(QStringLiteral("run2"));
    const ProcessRig::Run second = rig.run({QStringLiteral("x")});
    QCOMPARE(second.exitCode, 3);
    QVERIFY(second.err.contains(QLatin1String("another copy of Orlam is running")));
    first.kill();
    QVERIFY(first.waitForFinished());
}

void ProcessTest::copyDateRunsTheEngineOnce()
{
    QTemporaryDir engineDir;
    ProcessRig rig(recordingEngine(engineDir));
    const ProcessRig::Run run = rig.run({QStringLiteral("x")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 2);
    QCOMPARE(recordedJobs(engineDir).size(), 1);
}

void ProcessTest::failedEngineEndsTheModesWithStatusOne()
{
    QTemporaryDir engineDir;
    const QString failing = engineDir.filePath(QStringLiteral("failing-engine.sh"));
    QVERIFY(writeAll(failing, "#!/bin/sh\necho 'input.txt:2: zone \"six\" is not hours west' >&2\nexit 2\n"));
    QFile::setPermissions(failing, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ProcessRig rig(failing.toUtf8());

    const ProcessRig::Run copy = rig.run({QStringLiteral("x")});
    QCOMPARE(copy.exitCode, 1);
    QVERIFY(copy.out.isEmpty());
    QVERIFY2(copy.err.contains(QLatin1String("Astrolog return code 2")), qPrintable(copy.err));

    QVERIFY(writeAll(rig.user(QStringLiteral("in.csv")), "a,b,6/15/2026,14:30,six,93W21,45N05\r\n"));
    const ProcessRig::Run batch = rig.run({QStringLiteral("in.csv"), QStringLiteral("out.csv")});
    QCOMPARE(batch.exitCode, 1);
    QVERIFY2(
        batch.err.contains(QLatin1String("orlam: Astrolog return code 2: input.txt:2: zone \"six\" is not "
                                         "hours west (line 1 of in.csv)")),
        qPrintable(batch.err));
    QVERIFY(!QFileInfo::exists(rig.user(QStringLiteral("out.csv"))));

    // A missing engine is a failure too.
    QVERIFY(writeAll(rig.settings(), "[orlam]\r\nAstrolog=" + engineDir.filePath("gone").toUtf8() + "\r\n"));
    QCOMPARE(rig.run({QStringLiteral("x")}).exitCode, 1);
}

void ProcessTest::oldDatesAreChartedAsGiven()
{
    QTemporaryDir engineDir;
    ProcessRig rig(recordingEngine(engineDir));
    QVERIFY(writeAll(rig.user(QStringLiteral("in.csv")), "a,b,1/1/1000,12:00,6,93W21,45N05\r\n"
                                                         "c,d,9/13/1752,12:00,6,93W21,45N05\r\n"));
    const ProcessRig::Run run = rig.run({QStringLiteral("in.csv"), QStringLiteral("out.csv")});
    QCOMPARE(run.exitCode, 0);
    const QStringList jobs = recordedJobs(engineDir);
    QVERIFY2(jobs.size() >= 2, qPrintable(jobs.join('|')));
    QCOMPARE(jobs.at(0), QStringLiteral("1 1 1000 12:00PM ST 6 93W21 45N05"));
    QCOMPARE(jobs.at(1), QStringLiteral("9 13 1752 12:00PM ST 6 93W21 45N05"));

    QVERIFY(writeAll(rig.user(QStringLiteral("early.csv")), "a,b,12/31/999,12:00,6,93W21,45N05\r\n"));
    const ProcessRig::Run early = rig.run({QStringLiteral("early.csv"), QStringLiteral("early-out.csv")});
    QCOMPARE(early.exitCode, 1);
    QVERIFY2(
        early.err.contains(QLatin1String("'12/31/999' is outside the years 1000 to 2999 that Orlam can chart "
                                         "(line 1 of early.csv)")),
        qPrintable(early.err));
}

void ProcessTest::pipesAndDevices()
{
    ProcessRig rig;
    QProcess process;
    rig.prepare(process, {QStringLiteral("/dev/stdin"), QStringLiteral("/dev/stdout")});
    process.start();
    QVERIFY(process.waitForStarted());
    process.write("a,b,6/15/2026,14:30,6,93W21,45N05\r\nc,d,6/16/2026,14:30,6,93W21,45N05\r\n");
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).startsWith("a,b,6/15/2026,14:30,6,93W21,45N05,v12,"));
    QVERIFY(lines.at(1).startsWith("c,d,"));

    // A device stays a device. (A named pipe stands in for /dev/null, which a test run as root
    // must not risk.)
    const QString fifo = rig.user(QStringLiteral("results"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QVERIFY(writeAll(rig.user(QStringLiteral("in.csv")), "a,b,6/15/2026,14:30,6,93W21,45N05\r\n"));
    QProcess reader;
    reader.start(QStringLiteral("cat"), {fifo});
    QVERIFY(reader.waitForStarted());
    const ProcessRig::Run run = rig.run({QStringLiteral("in.csv"), QStringLiteral("results")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(reader.waitForFinished(10000));
    QVERIFY(reader.readAllStandardOutput().startsWith("a,b,6/15/2026,"));
    QVERIFY(!QFileInfo(fifo).isFile());
}

void ProcessTest::settingsFileThatIsAPipeIsRefused()
{
    ProcessRig rig;
    QFile::remove(rig.settings());
    QVERIFY(::mkfifo(QFile::encodeName(rig.settings()).constData(), 0600) == 0);
    QElapsedTimer clock;
    clock.start();
    const ProcessRig::Run run = rig.run({QStringLiteral("x")});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(rig.settings() + QStringLiteral(" is not a regular file")),
             qPrintable(run.err));
    QVERIFY(clock.elapsed() < 10000);
}

void ProcessTest::runScriptWithoutDisplay()
{
    // The script in a tree of its own, where installing, configuring and building do nothing and
    // the program only says how it was started: what passes the script's gate shows.
    ProcessRig rig;
    const QString tree = rig.path(QStringLiteral("tree"));
    QVERIFY(QDir().mkpath(tree + QStringLiteral("/scripts")) &&
            QDir().mkpath(tree + QStringLiteral("/build/bin")) &&
            QDir().mkpath(tree + QStringLiteral("/stubs")));
    QVERIFY(
        QFile::copy(QStringLiteral(ORLAM_SOURCE_DIR "/scripts/run"), tree + QStringLiteral("/scripts/run")));
    scriptEngine(tree + QStringLiteral("/scripts/deps"), "exit 0\n");
    scriptEngine(tree + QStringLiteral("/stubs/cmake"), "exit 0\n");
    scriptEngine(tree + QStringLiteral("/build/bin/orlam"), "echo \"started: $*\"\n");
    QProcessEnvironment environment = rig.environment(ProcessRig::Display::NoDisplay);
    environment.insert(QStringLiteral("PATH"),
                       tree + QStringLiteral("/stubs:") + environment.value(QStringLiteral("PATH")));

    const struct {
        QStringList arguments;
        bool runs;
    } rows[] = {
        {{}, false},
        {{"a", "b", "c"}, false},
        {{"--desktop"}, false},
        {{"x"}, true},
        {{"--help"}, true},
        {{"--version"}, true},
        {{"in.txt", "out.txt"}, true},
        {{"--hours"}, true},
        {{"--hours", "2026-06-15"}, true},
        {{"--next-hour", "Venus"}, true},
        {{"--ics", "2026-06-01", "2026-06-30", "june.ics"}, true},
        {{"--desktop", "--ics", "2026-06-01", "2026-06-30", "june.ics"}, true},
    };
    for (const auto &row : rows) {
        QProcess script;
        script.setProcessEnvironment(environment);
        script.start(tree + QStringLiteral("/scripts/run"), row.arguments);
        QVERIFY(script.waitForFinished(20000));
        const QString out = QString::fromUtf8(script.readAllStandardOutput());
        const QString err = QString::fromUtf8(script.readAllStandardError());
        const QString shown = row.arguments.join(QLatin1Char(' '));
        if (row.runs) {
            QVERIFY2(script.exitCode() == 0 && out == QStringLiteral("started: ") + shown + QLatin1Char('\n'),
                     qPrintable(shown + QStringLiteral(": ") + out + err));
            continue;
        }
        // Without a display the script says so before it builds anything, and names every
        // mode that runs without one.
        QVERIFY2(script.exitCode() == 1 && out.isEmpty(), qPrintable(shown));
        QVERIFY2(err.contains(QLatin1String("no display")), qPrintable(err));
        for (const char *mode : {"scripts/run x", "scripts/run INPUT OUTPUT", "--hours", "--next-hour",
                                 "--ics", "--help", "--version"})
            QVERIFY2(err.contains(QLatin1String(mode)), qPrintable(err));
    }
}

namespace {

// An X server of the test's own, on a display number it picks itself; no window manager and
// no clipboard manager.
class XServer {
public:
    XServer()
    {
        mServer.setProgram(QStringLiteral("Xvfb"));
        mServer.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                              QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                              QStringLiteral("640x480x24")});
        mServer.start();
        if (!mServer.waitForStarted())
            return;
        QElapsedTimer clock;
        clock.start();
        while (!mServer.canReadLine() && clock.elapsed() < 10000)
            mServer.waitForReadyRead(200);
        const QByteArray number = mServer.readLine().trimmed();
        if (!number.isEmpty())
            mDisplay = QStringLiteral(":") + QString::fromLatin1(number);
    }
    ~XServer()
    {
        mServer.terminate();
        if (!mServer.waitForFinished(5000))
            mServer.kill();
    }
    const QString &display() const { return mDisplay; }

private:
    QProcess mServer;
    QString mDisplay;
};

// The clipboard's text as another program (xclip) reads it; a null string when it fails.
QString clipboardText(const QProcessEnvironment &environment)
{
    QProcess xclip;
    xclip.setProcessEnvironment(environment);
    xclip.start(QStringLiteral("xclip"),
                {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    if (!xclip.waitForFinished(5000) || xclip.exitCode() != 0)
        return QString();
    return QString::fromUtf8(xclip.readAllStandardOutput());
}

// Processes that serve the clipboard for `display`.
int clipboardServers(const QString &display)
{
    int count = 0;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QByteArray cmdline = readAll(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!cmdline.contains(QByteArray("--keep-clipboard")))
            continue;
        const QList<QByteArray> environ = readAll(QStringLiteral("/proc/%1/environ").arg(pid)).split('\0');
        if (environ.contains("DISPLAY=" + display.toUtf8()))
            ++count;
    }
    return count;
}

// What a command prints, or a null string when it fails.
QString commandOutput(const QString &program, const QStringList &arguments,
                      const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(5000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The top-left corner of the main window's frame as the X server and the window manager have it:
// the client's place less the frame extents the manager announced; (-1000, -1000) while there is
// no framed main window.
QPoint mainFrameCorner(const QProcessEnvironment &environment)
{
    const QPoint none(-1000, -1000);
    // "0x400006 "Orlam": ("orlam" "Orlam")  490x335+0+0  +15+34": the tray icon is the small one.
    static const QRegularExpression client(
        QStringLiteral(R"((0x[0-9a-f]+) "[^"]*": \("orlam" "Orlam"\)\s+(\d+)x\d+\S*\s+\+(-?\d+)\+(-?\d+))"));
    const QString tree = commandOutput(QStringLiteral("xwininfo"),
                                       {QStringLiteral("-root"), QStringLiteral("-tree")}, environment);
    for (const QRegularExpressionMatch &match : client.globalMatch(tree)) {
        if (match.captured(2).toInt() < 100)
            continue;
        const QString extents = commandOutput(
            QStringLiteral("xprop"),
            {QStringLiteral("-id"), match.captured(1), QStringLiteral("_NET_FRAME_EXTENTS")}, environment);
        static const QRegularExpression sizes(QStringLiteral(R"(= (\d+), (\d+), (\d+), (\d+))"));
        const QRegularExpressionMatch frame = sizes.match(extents);
        if (!frame.hasMatch())
            return none;
        return QPoint(match.captured(3).toInt() - frame.captured(1).toInt(),
                      match.captured(4).toInt() - frame.captured(3).toInt());
    }
    return none;
}

} // namespace

void ProcessTest::clipboardOutlivesCopyDate()
{
    XServer server;
    QVERIFY2(!server.display().isEmpty(), "Xvfb (installed by scripts/deps) did not start");
    ProcessRig rig;
    rig.setX11Display(server.display());
    const QProcessEnvironment environment = rig.environment(ProcessRig::Display::X11);

    const ProcessRig::Run run = rig.run({QStringLiteral("x")}, ProcessRig::Display::X11);
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    // The program has ended; another program still reads the date.
    QCOMPARE(clipboardText(environment), lines.join(QLatin1Char('\n')));
    QCOMPARE(clipboardServers(server.display()), 1);

    // A shell that reads the date through a pipe gets its answer at once: the server keeps
    // nothing of the pipe open.
    QProcess shell;
    shell.setProcessEnvironment(environment);
    shell.setWorkingDirectory(rig.user());
    shell.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"), QStringLiteral("date=$(\"$0\" x) && echo \"$date\""),
                 QStringLiteral(ORLAM_BIN_DIR "/orlam")});
    QVERIFY(shell.waitForFinished(20000));
    QCOMPARE(shell.exitCode(), 0);
    // The newer server took over from the older one, which ended.
    QTRY_COMPARE_WITH_TIMEOUT(clipboardServers(server.display()), 1, 5000);

    // Another program takes the clipboard over: the server ends.
    QProcess other;
    other.setProcessEnvironment(environment);
    other.start(QStringLiteral("xclip"),
                {QStringLiteral("-i"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    QVERIFY2(other.waitForStarted(), "xclip (installed by scripts/deps) did not start");
    other.write("something else");
    other.closeWriteChannel();
    QVERIFY(other.waitForFinished(5000));
    QTRY_COMPARE_WITH_TIMEOUT(clipboardServers(server.display()), 0, 5000);
    QCOMPARE(clipboardText(environment), QStringLiteral("something else"));
}

void ProcessTest::batchLinesAreNotSyncedToDisk()
{
    // Job files and reports are scratch files: forcing each to disk cost more than the engine
    // run itself. Only what is kept (the output, the settings file) is synced, whatever the
    // number of lines.
    ProcessRig rig;
    QByteArray lines;
    for (int day = 1; day <= 12; ++day)
        lines += "a,b,6/" + QByteArray::number(day) + "/2026,14:30,6,93W21,45N05\r\n";
    QVERIFY(writeAll(rig.user(QStringLiteral("in.csv")), lines));
    const QString log = rig.path(QStringLiteral("syncs.log"));
    QProcess strace;
    QProcessEnvironment environment = rig.environment();
    // The sanitizer build's leak checker cannot run under a tracer and would fail the run.
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       environment.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
    strace.setProcessEnvironment(environment);
    strace.setWorkingDirectory(rig.user());
    strace.start(QStringLiteral("strace"), {QStringLiteral("-f"), QStringLiteral("-o"), log,
                                            QStringLiteral("-e"), QStringLiteral("trace=fsync,fdatasync"),
                                            Program, QStringLiteral("in.csv"), QStringLiteral("out.csv")});
    QVERIFY2(strace.waitForStarted(), "strace (installed by scripts/deps) did not start");
    QVERIFY(strace.waitForFinished(60000));
    QCOMPARE(strace.exitCode(), 0);
    QCOMPARE(readAll(rig.user(QStringLiteral("out.csv"))).count('\n'), 12);
    const QByteArray calls = readAll(log);
    const int syncs = int(calls.count("fsync(") + calls.count("fdatasync("));
    QVERIFY2(syncs >= 1 && syncs <= 4, qPrintable(QString::fromUtf8(calls)));
}

// Under a real window manager the frame stands where the settings put it. On a first start the
// window grows to fit the date lines while the manager is still framing it; that used to leave
// the client's corner where the frame's belonged and the title bar above the screen (about one
// start in three).
void ProcessTest::frameStandsWhereTheSettingsPutIt()
{
    XServer server;
    QVERIFY2(!server.display().isEmpty(), "Xvfb (installed by scripts/deps) did not start");
    ProcessRig managerRig;
    managerRig.setX11Display(server.display());
    const QProcessEnvironment managerEnvironment = managerRig.environment(ProcessRig::Display::X11);
    QProcess manager;
    manager.setProcessEnvironment(managerEnvironment);
    manager.setStandardOutputFile(QProcess::nullDevice());
    manager.setStandardErrorFile(QProcess::nullDevice());
    manager.start(QStringLiteral("icewm"), {});
    QVERIFY2(manager.waitForStarted(), "icewm (installed by scripts/deps) did not start");
    // The manager announces itself on the root window once it manages the screen.
    QElapsedTimer waited;
    waited.start();
    while (!commandOutput(QStringLiteral("xprop"),
                          {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")},
                          managerEnvironment)
                .contains(QStringLiteral("window id"))) {
        QVERIFY2(manager.state() == QProcess::Running, "icewm ended at its start");
        QVERIFY2(waited.elapsed() < 30000, "icewm did not take the screen within 30 s");
        QTest::qWait(100);
    }

    const struct {
        QByteArray keys;
        QPoint frame;
    } starts[] = {
        {"", {10, 10}}, // the defaults, on a first start: three times, for the race's sake
        {"", {10, 10}},
        {"", {10, 10}},
        {"Left=60\r\nTop=40\r\n", {60, 40}},
        {"Left=60\r\nTop=40\r\nClientWidth=420\r\nClientHeight=300\r\n", {60, 40}},
    };
    for (const auto &start : starts) {
        ProcessRig rig;
        rig.setX11Display(server.display());
        QVERIFY(writeAll(rig.settings(), readAll(rig.settings()) + start.keys));
        const QProcessEnvironment environment = rig.environment(ProcessRig::Display::X11);
        QProcess window;
        rig.prepare(window, {}, ProcessRig::Display::X11);
        window.setStandardOutputFile(QProcess::nullDevice());
        window.setStandardErrorFile(QProcess::nullDevice());
        window.start();
        QVERIFY(window.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(mainFrameCorner(environment) != QPoint(-1000, -1000), 20000);
        // Where it stands once the first start's fit to the date lines is done.
        QTest::qWait(2500);
        QCOMPARE(mainFrameCorner(environment), start.frame);
        window.terminate();
        QVERIFY(window.waitForFinished(10000));
    }
    manager.terminate();
    manager.waitForFinished(5000);
}

QTEST_GUILESS_MAIN(ProcessTest)
#include "process_test.moc"
