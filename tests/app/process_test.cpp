// The program as a process: one copy at a time, and the command-line modes.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Program = QStringLiteral(ORLAM_BIN_DIR "/orlam");
const QString RealEngine = QStringLiteral(ORLAM_BIN_DIR "/orlam-ephem");

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A work folder, a runtime folder for the lock and a settings file, all of the test's own. The
// engine is the real one when it has been built, else the stand-in.
class ProcessRig {
public:
    ProcessRig()
    {
        QDir(mDir.path()).mkpath(QStringLiteral("run"));
        QDir(mDir.path()).mkpath(QStringLiteral("work"));
        QByteArray keys = "[orlam]\r\n";
        if (!QFileInfo(RealEngine).isExecutable())
            keys += "Astrolog=" ORLAM_TEST_DATA "/app/fake-engine.sh\r\n";
        writeAll(settings(), keys);
    }
    QString settings() const { return mDir.filePath(QStringLiteral("Orlam.ini")); }
    QString work(const QString &name = {}) const { return mDir.filePath(QStringLiteral("work/") + name); }

    // Offscreen: Qt's platform without a screen, chosen by the caller. NoDisplay: no display and
    // no platform chosen, as in a cron job or an ssh session. Unreachable: a display named that
    // does not exist (a stale DISPLAY).
    enum class Display { Offscreen, NoDisplay, Unreachable };

    void prepare(QProcess &process, const QStringList &arguments, Display display = Display::Offscreen) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), mDir.filePath(QStringLiteral("run")));
        environment.insert(QStringLiteral("ORLAM_SETTINGS"), settings());
        if (display == Display::Offscreen) {
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        } else {
            for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                environment.remove(QString::fromLatin1(name));
            if (display == Display::Unreachable)
                environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4711"));
        }
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(work());
        process.setProgram(Program);
        process.setArguments(arguments);
    }

    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };
    Run run(const QStringList &arguments, Display display = Display::Offscreen) const
    {
        QProcess process;
        prepare(process, arguments, display);
        process.start();
        Run result;
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

private:
    QTemporaryDir mDir;
};

} // namespace

class ProcessTest : public QObject {
    Q_OBJECT
private slots:
    void oneCopyAtATime();
    void copyDatePrintsTwoLines();
    void batchRunEndsWithStatus();
    void helpAndVersion();
    void withoutDisplay();
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
    QVERIFY(writeAll(rig.work(QStringLiteral("in.txt")), "a,b,6/15/2026,14:30,6,93W21,45N05\r\n"
                                                         "c,d,3/20/2026,12:00,6,93W21,45N05\r\n"));
    const ProcessRig::Run run = rig.run({QStringLiteral("in.txt"), QStringLiteral("out.txt")});
    QCOMPARE(run.exitCode, 0);
    const QList<QByteArray> lines = readAll(rig.work(QStringLiteral("out.txt"))).split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).startsWith("a,b,6/15/2026,14:30,6,93W21,45N05,"));
    QCOMPARE(lines.at(0).count(','), 11);
    QVERIFY(lines.at(0).endsWith(",\r"));

    const ProcessRig::Run failed = rig.run({QStringLiteral("missing.txt"), QStringLiteral("out2.txt")});
    QCOMPARE(failed.exitCode, 1);
    QVERIFY2(failed.err.contains(QLatin1String("Cannot open file missing.txt")), qPrintable(failed.err));
    QVERIFY(!QFileInfo::exists(rig.work(QStringLiteral("out2.txt"))));
}

void ProcessTest::helpAndVersion()
{
    ProcessRig rig;
    const ProcessRig::Run version = rig.run({QStringLiteral("--version")});
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out, QStringLiteral("3.41\n"));
    const ProcessRig::Run help = rig.run({QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.startsWith(QLatin1String("Usage: orlam")));
    // Neither needs a display nor touches the work folder.
    QVERIFY(QDir(rig.work()).isEmpty());
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
    QVERIFY(QDir(rig.work()).isEmpty());

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

QTEST_GUILESS_MAIN(ProcessTest)
#include "process_test.moc"
