// The window's sound player and its module: Qt Multimedia comes with the module, when the first
// sound is queued and not before, and a module that cannot be loaded is said once while the
// window goes on without sound.

#include "soundmodule.h"
#include "windowmodule.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace orlam;

namespace {

bool multimediaLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/libQt6Multimedia.so");
}

QStringList sounds()
{
    return {QStringLiteral(ORLAM_SOURCE_DIR "/data/sounds/hour.wav")};
}

} // namespace

class SoundModuleTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void unloadableModule_data();
    void unloadableModule();
    void loadedWithTheFirstSound();

private:
    QTemporaryDir mDir;
};

void SoundModuleTest::initTestCase()
{
    QVERIFY(mDir.isValid());
    // No audio output: a sound that gets to the player is skipped there.
    qputenv("PULSE_SERVER", "unix:/nonexistent/orlam-no-sound");
}

void SoundModuleTest::unloadableModule_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason"); // a part of the message
    QTest::newRow("missing") << mDir.filePath(QStringLiteral("liborlam-sound.so"))
                             << QStringLiteral("No such file");
    QTest::newRow("not a library") << QStringLiteral(ORLAM_SOURCE_DIR "/README.md")
                                   << QStringLiteral("invalid ELF header");
    QTest::newRow("another module") << modulePath(Module::Clipboard)
                                    << QStringLiteral("it has no entry orlamSoundPlayer");
}

void SoundModuleTest::unloadableModule()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    QStringList messages;
    ModuleSoundPlayer player([&messages](const QString &text) { messages << text; }, path);
    player.enqueue(sounds());
    player.enqueue(sounds());
    QVERIFY(!player.load());
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().startsWith(QStringLiteral("Orlam cannot load its module ") + path),
             qPrintable(messages.first()));
    QVERIFY2(messages.first().contains(reason), qPrintable(messages.first()));
    QVERIFY(!multimediaLoaded());
}

void SoundModuleTest::loadedWithTheFirstSound()
{
    // The window's own code does not link the audio libraries.
    QVERIFY(!multimediaLoaded());
    QStringList messages;
    ModuleSoundPlayer player([&messages](const QString &text) { messages << text; });
    QVERIFY(!multimediaLoaded());
    player.enqueue(sounds());
    QVERIFY(multimediaLoaded());
    QVERIFY(player.load());
    // The player plays from the event loop: the queued sound is skipped there without an output.
    QTest::qWait(200);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join(QLatin1Char('\n'))));
}

QTEST_MAIN(SoundModuleTest)
#include "soundmodule_test.moc"
