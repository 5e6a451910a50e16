// The real program under a faked system clock (libfaketime, ten times as fast): a login in Berlin
// at 1:19 in the night of 9 December 2026. The window's clock follows the system clock, and the
// night's hour alarm of 1:20 rings, with its two sounds, through a sound server of the test's own.

#include "openedfiles.h"
#include "soundserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace orlam::test;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class FakeClockTest : public QObject {
    Q_OBJECT
private slots:
    void nightStartUnderAFakeClock();
};

void FakeClockTest::nightStartUnderAFakeClock()
{
    SoundServer server;
    QVERIFY2(server.start(), "pulseaudio (scripts/deps installs it) did not start");
    QTemporaryDir dir;
    const QString work = dir.filePath(QStringLiteral("data/Orlam"));
    QVERIFY(QDir().mkpath(work));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("run"))));
    // The user's own sounds, in the work folder: the program opens them to play them.
    for (const char *name : {"saturn.wav", "hour.wav", "sun.wav", "rises.wav"})
        QVERIFY(QFile::copy(QStringLiteral(ORLAM_SOURCE_DIR "/data/sounds/") + QLatin1String(name),
                            work + QLatin1Char('/') + QLatin1String(name)));
    const QString settings = dir.filePath(QStringLiteral("Orlam.ini"));
    QFile ini(settings);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[orlam]\r\nAstrolog=" ORLAM_BIN_DIR "/orlam-ephem\r\nTime=2\r\nLongitude=13E24\r\n"
              "Latitude=52N31\r\nTime Zone=-1\r\nLocal File Save=1\r\nHour Saturn=1\r\nHour Sun=1\r\n"
              "Notify=0\r\n");
    ini.close();

    OpenedFiles opened(work);
    QVERIFY(opened.ok());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TZ"), QStringLiteral("Europe/Berlin"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("ORLAM_SETTINGS"), settings);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("PULSE_SERVER"), server.address());
    // The library itself rather than the faketime command, which would leave the program as a
    // child of its own: the process the test ends is the program.
    const QString library = QStringLiteral("/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1");
    QVERIFY2(QFile::exists(library), "libfaketime (scripts/deps installs faketime) is missing");
#ifdef __SANITIZE_ADDRESS__
    // libfaketime's clock interposers hang the sanitizer's runtime at start; the plain build runs this.
    QSKIP("libfaketime cannot be preloaded into a program built with the address sanitizer");
#endif
    env.insert(QStringLiteral("LD_PRELOAD"), library);
    env.insert(QStringLiteral("FAKETIME"), QStringLiteral("@2026-12-09 01:19:40 x10"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(ORLAM_BIN_DIR "/orlam"), {});
    QVERIFY(program.waitForStarted(5000));

    // 1:20:10 in the faked clock is three seconds away; the sounds follow when the minute comes.
    QStringList names;
    const auto rang = [&] {
        names << opened.takeNames();
        return names.contains(QLatin1String("saturn.wav")) && names.contains(QLatin1String("hour.wav"));
    };
    const bool heard = QTest::qWaitFor(rang, 30000);
    const QByteArray date = readAll(work + QStringLiteral("/td.txt"));
    const QByteArray hours = readAll(work + QStringLiteral("/hl.txt"));
    program.terminate();
    QVERIFY(program.waitForFinished(5000));

    names << opened.takeNames();
    QVERIFY2(heard, qPrintable(names.join(QLatin1Char(' '))));
    // Saturn's sound, then the hour's, once: the clock rang the night's hour of 1:20.
    QStringList sounds = names.filter(QStringLiteral(".wav"));
    sounds.removeDuplicates();
    QCOMPARE(sounds, (QStringList{"saturn.wav", "hour.wav"}));
    // The minute's Calculate ran on the faked clock; "hl.txt" holds the day's hours from sunrise.
    QVERIFY2(date.contains("Wednesday, December 9, 2026 e.v. 1:2"), date.constData());
    QVERIFY2(hours.startsWith("(Wed) 12/09/2026 08:05am Mercury       Hour\r\n"), hours.constData());
}

QTEST_GUILESS_MAIN(FakeClockTest)
#include "fakeclock_test.moc"
