// The sound player over the desktop's audio. Built twice: with a sound server of its own (a
// PulseAudio server with a null output, started here; the test fails without one) and with no
// output device at all, as on a machine without sound.

#include "qtsoundplayer.h"
#include "settings/settings.h"
#include "soundserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <QtTest>

using namespace orlam;

namespace {

QString shippedSound(const QString &name)
{
    return QStringLiteral(ORLAM_SOURCE_DIR "/data/sounds/") + name;
}

struct Done {
    QString name;
    QtSoundPlayer::Outcome outcome;
    qint64 atMs;
};

} // namespace

class SoundTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void shippedSounds();
    void hostileHeaderIsBounded();
    void playsInOrderWithoutHoldingTheWindow();

private:
    bool withDevice() const { return qEnvironmentVariable("ORLAM_SOUND_TEST") == QLatin1String("device"); }
    test::SoundServer mServer;
};

void SoundTest::initTestCase()
{
    if (!withDevice()) {
        qputenv("PULSE_SERVER", "unix:/nonexistent/orlam-no-sound");
        return;
    }
    QVERIFY2(mServer.start(), "pulseaudio (scripts/deps installs it) did not start");
    qputenv("PULSE_SERVER", mServer.address().toLocal8Bit());
}

// A sound for every body and every event word the engine writes; small files.
void SoundTest::shippedSounds()
{
    QStringList names;
    for (const QString &body : BodyKeys)
        names << body.toLower() + QStringLiteral(".wav");
    names << QStringLiteral("hour.wav") << QStringLiteral("rises.wav") << QStringLiteral("sets.wav")
          << QStringLiteral("zeniths.wav") << QStringLiteral("nadirs.wav");
    for (const QString &name : names) {
        QFile file(shippedSound(name));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(name));
        const QByteArray head = file.read(36);
        QCOMPARE(head.left(4), QByteArray("RIFF"));
        QCOMPARE(qFromLittleEndian<quint16>(head.constData() + 22), quint16(1)); // mono
        QVERIFY(qFromLittleEndian<quint32>(head.constData() + 24) <= 22050);     // sample rate
        const qint64 length = QtSoundPlayer::waveLengthMs(file.fileName());
        QVERIFY2(length > 150 && length < 1500, qPrintable(name));
        QVERIFY(file.size() < 40000);
    }
    QCOMPARE(QtSoundPlayer::waveLengthMs(QStringLiteral(ORLAM_SOURCE_DIR "/README.md")), qint64(-1));
}

// A header may claim any size at any byte rate; the time a sound may play stays within an hour.
void SoundTest::hostileHeaderIsBounded()
{
    const auto wave = [](quint32 byteRate, quint32 dataSize) {
        QByteArray bytes("RIFF\0\0\0\0WAVEfmt ", 16);
        char field[4];
        const auto add32 = [&](quint32 value) {
            qToLittleEndian(value, field);
            bytes.append(field, 4);
        };
        add32(16);
        bytes.append("\x01\x00\x01\x00", 4); // PCM, mono
        add32(byteRate);                     // sample rate, taken as the byte rate too
        add32(byteRate);
        bytes.append("\x01\x00\x08\x00", 4); // block align 1, 8 bits
        bytes.append("data", 4);
        add32(dataSize);
        return bytes;
    };
    const struct {
        const char *what;
        quint32 byteRate, dataSize;
        qint64 length;
        int bound;
    } rows[] = {
        {"half a second", 8000, 4000, 500, 4500},
        {"four billion bytes at one a second", 1, 0xFFFFFFFFu, 4294967295000LL, 3600000},
        {"just under an hour", 1000, 3595000, 3595000, 3599000},
    };
    QTemporaryDir dir;
    for (const auto &row : rows) {
        const QString path = dir.filePath(QStringLiteral("sound.wav"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(wave(row.byteRate, row.dataSize));
        file.close();
        const qint64 length = QtSoundPlayer::waveLengthMs(path);
        QVERIFY2(length == row.length, row.what);
        QVERIFY2(QtSoundPlayer::boundMs(length) == row.bound, row.what);
    }
    QCOMPARE(QtSoundPlayer::boundMs(-1), 14000);
}

// Three sounds, then a file that is no sound, then one more: they end one after another in the
// order queued, the event loop runs all the while, and the queue empties.
void SoundTest::playsInOrderWithoutHoldingTheWindow()
{
    QCOMPARE(QtSoundPlayer::hasOutputDevice(), withDevice());
    QtSoundPlayer player;
    QList<Done> done;
    QElapsedTimer clock;
    clock.start();
    player.setFinishedHandler([&](const QString &path, QtSoundPlayer::Outcome outcome) {
        done.append({QFileInfo(path).fileName(), outcome, clock.elapsed()});
    });
    int beats = 0;
    QTimer heart;
    connect(&heart, &QTimer::timeout, this, [&beats] { ++beats; });
    heart.start(50);

    player.enqueue({shippedSound(QStringLiteral("venus.wav")), shippedSound(QStringLiteral("hour.wav"))});
    player.enqueue({shippedSound(QStringLiteral("sun.wav"))});
    player.enqueue({QStringLiteral(ORLAM_SOURCE_DIR "/README.md"), shippedSound(QStringLiteral("sets.wav"))});
    QVERIFY(!player.idle());
    QTRY_VERIFY_WITH_TIMEOUT(player.idle(), 30000);

    QStringList order;
    for (const Done &d : done) {
        order << d.name;
    }
    QCOMPARE(order, (QStringList{"venus.wav", "hour.wav", "sun.wav", "README.md", "sets.wav"}));
    if (!withDevice()) {
        for (const Done &d : done)
            QCOMPARE(d.outcome, QtSoundPlayer::Outcome::NoDevice);
        QVERIFY(clock.elapsed() < 2000);
        return;
    }
    // The server may take its time to report the end of a sound; the bound then ends it, which
    // must stay the exception.
    int played = 0;
    for (int i : {0, 1, 2, 4}) {
        QVERIFY(done[i].outcome == QtSoundPlayer::Outcome::Played ||
                done[i].outcome == QtSoundPlayer::Outcome::Cut);
        played += done[i].outcome == QtSoundPlayer::Outcome::Played;
    }
    QVERIFY(played >= 3);
    QVERIFY(done[3].outcome != QtSoundPlayer::Outcome::Played);
    // Each sound lasted about its length: really played, and not on top of the one before.
    const QStringList sounds{"venus.wav", "hour.wav", "sun.wav"};
    qint64 previous = 0;
    for (int i = 0; i < sounds.size(); ++i) {
        const qint64 length = QtSoundPlayer::waveLengthMs(shippedSound(sounds[i]));
        QVERIFY2(done[i].atMs - previous >= length * 8 / 10, qPrintable(sounds[i]));
        previous = done[i].atMs;
    }
    QVERIFY(beats >= previous / 50 / 2);
}

QTEST_MAIN(SoundTest)
#include "sound_test.moc"
