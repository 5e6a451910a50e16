// The program on a Wayland compositor: a headless weston of the test's own, the window's title as
// the client's protocol log shows it going to the compositor, and "orlam x" where a program
// without a window cannot set the clipboard.

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

// A weston with the headless backend, its own runtime folder and socket.
class Compositor {
public:
    Compositor()
    {
        QFile::setPermissions(mRuntime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), mRuntime.path());
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("DISPLAY"));
        mWeston.setProcessEnvironment(env);
        mWeston.setProcessChannelMode(QProcess::MergedChannels);
        mWeston.start(QStringLiteral("weston"),
                      {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--socket=") + Socket,
                       QStringLiteral("--idle-time=0")});
    }
    ~Compositor()
    {
        mWeston.terminate();
        if (!mWeston.waitForFinished(5000))
            mWeston.kill();
        mWeston.waitForFinished(5000);
    }
    // True once the compositor listens on its socket (10 s at most).
    bool waitUntilReady()
    {
        if (!mWeston.waitForStarted(5000))
            return false;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000 && mWeston.state() == QProcess::Running) {
            if (QFileInfo::exists(QDir(mRuntime.path()).filePath(Socket)))
                return true;
            QTest::qWait(50);
        }
        return false;
    }
    QString log() { return QString::fromLocal8Bit(mWeston.readAll()); }

    // The environment of a client of this compositor, with a home and no X11 display.
    QProcessEnvironment clientEnvironment(const QString &home) const
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), mRuntime.path());
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), Socket);
        env.insert(QStringLiteral("TZ"), QStringLiteral("America/Chicago"));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        for (const char *name : {"UBSAN_OPTIONS", "ASAN_OPTIONS"})
            if (qEnvironmentVariableIsSet(name))
                env.insert(QLatin1String(name), qEnvironmentVariable(name));
        // The leak checker of a sanitizer build needs whole stacks to tell the Wayland platform's
        // allocations (which Qt keeps to the end) by the functions that made them.
        if (qEnvironmentVariableIsSet("LSAN_OPTIONS"))
            env.insert(QStringLiteral("LSAN_OPTIONS"),
                       qEnvironmentVariable("LSAN_OPTIONS") + QStringLiteral(":fast_unwind_on_malloc=0"));
        return env;
    }

    const QString Socket = QStringLiteral("orlam-test-%1").arg(QCoreApplication::applicationPid());

private:
    QTemporaryDir mRuntime;
    QProcess mWeston;
};

// What the client's protocol log (WAYLAND_DEBUG=1) shows of its top-level window: the titles it
// set, and whether the compositor configured the window and then drew a frame of it.
struct ToplevelLog {
    QStringList titles;
    bool configured = false; // the compositor's configure, acknowledged by the client
    bool framed = false;     // a frame asked for after that acknowledgement, and done

    static ToplevelLog read(const QString &log)
    {
        ToplevelLog result;
        static const QRegularExpression title(
            QStringLiteral("-> xdg_toplevel@\\d+\\.set_title\\(\"([^\"]*)\"\\)"));
        static const QRegularExpression ack(QStringLiteral("-> xdg_surface@\\d+\\.ack_configure\\("));
        static const QRegularExpression frame(
            QStringLiteral("-> wl_surface@\\d+\\.frame\\(new id wl_callback@(\\d+)\\)"));
        QSet<QString> pendingFrames;
        for (const QString &line : log.split(QLatin1Char('\n'))) {
            if (const QRegularExpressionMatch m = title.match(line); m.hasMatch())
                result.titles << m.captured(1);
            else if (ack.match(line).hasMatch())
                result.configured = true;
            else if (const QRegularExpressionMatch f = frame.match(line); f.hasMatch() && result.configured)
                pendingFrames.insert(f.captured(1));
            for (const QString &id : std::as_const(pendingFrames))
                if (line.contains(QStringLiteral("wl_callback@%1.done(").arg(id)) &&
                    !line.contains(QLatin1String("->")))
                    result.framed = true;
        }
        return result;
    }
};

} // namespace

class WaylandTest : public QObject {
    Q_OBJECT
private slots:
    void windowShowsWithItsTitle_data();
    void windowShowsWithItsTitle();
    void copyDateSaysTheClipboardIsNotSet();
};

void WaylandTest::windowShowsWithItsTitle_data()
{
    QTest::addColumn<QString>("platform");
    QTest::newRow("asked for") << QStringLiteral("wayland");
    // Only WAYLAND_DISPLAY, and no session type: the program chooses Wayland itself.
    QTest::newRow("chosen by the program") << QString();
}

void WaylandTest::windowShowsWithItsTitle()
{
    QFETCH(QString, platform);
    Compositor weston;
    QVERIFY2(weston.waitUntilReady(), qPrintable(QStringLiteral("weston did not start:\n") + weston.log()));
    QTemporaryDir home;
    QProcessEnvironment env = weston.clientEnvironment(home.path());
    env.insert(QStringLiteral("WAYLAND_DEBUG"), QStringLiteral("1"));
    if (!platform.isEmpty())
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    QProcess orlam;
    orlam.setProcessEnvironment(env);
    orlam.setWorkingDirectory(home.path());
    orlam.start(Program, {});
    QVERIFY(orlam.waitForStarted());

    QString log;
    ToplevelLog toplevel;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000 && orlam.state() == QProcess::Running && !toplevel.framed) {
        orlam.waitForReadyRead(200);
        log += QString::fromLocal8Bit(orlam.readAllStandardError());
        toplevel = ToplevelLog::read(log);
    }
    const bool stillRunning = orlam.state() == QProcess::Running;
    orlam.terminate();
    if (!orlam.waitForFinished(10000))
        orlam.kill();
    orlam.waitForFinished(5000);
    const QString tail = log.right(3000);
    QVERIFY2(stillRunning, qPrintable(tail));
    QVERIFY2(!toplevel.titles.isEmpty() && toplevel.titles.constLast().startsWith(QLatin1String("Orlam")),
             qPrintable(toplevel.titles.join(QLatin1Char('|')) + QLatin1Char('\n') + tail));
    QVERIFY2(toplevel.configured && toplevel.framed, qPrintable(tail));
    QVERIFY2(log.contains(QLatin1String("-> xdg_toplevel@")) &&
                 log.contains(QLatin1String(".set_app_id(\"orlam\")")),
             qPrintable(tail));
}

void WaylandTest::copyDateSaysTheClipboardIsNotSet()
{
    Compositor weston;
    QVERIFY2(weston.waitUntilReady(), qPrintable(QStringLiteral("weston did not start:\n") + weston.log()));
    QTemporaryDir home;
    QProcess orlam;
    orlam.setProcessEnvironment(weston.clientEnvironment(home.path()));
    orlam.setWorkingDirectory(home.path());
    orlam.start(Program, {QStringLiteral("x")});
    QVERIFY(orlam.waitForFinished(60000));
    const QString out = QString::fromUtf8(orlam.readAllStandardOutput());
    const QString err = QString::fromUtf8(orlam.readAllStandardError());
    // The date is printed all the same, the run succeeds, and standard error says why the
    // clipboard does not hold it.
    QVERIFY2(orlam.exitCode() == 0, qPrintable(err));
    QVERIFY2(out.startsWith(QLatin1String("An ")) && out.contains(QLatin1String(" e.v. ")), qPrintable(out));
    QVERIFY2(err.contains(QLatin1String("orlam: the date is not on the clipboard")), qPrintable(err));
}

QTEST_GUILESS_MAIN(WaylandTest)
#include "wayland_test.moc"
