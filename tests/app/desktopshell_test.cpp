// Opening a written file in the desktop's program: the desktop's MIME associations are asked
// first, so that a type no program opens is reported instead of failing unseen.
#include "desktopshell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace orlam;

namespace {

// Plain text, which the content sniffers of Qt and of xdg-utils agree on.
constexpr auto OpenedType = "text/plain";

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class DesktopShellTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void typeWithoutProgramIsReported();
    void associatedProgramOpensTheFile();

private:
    QTemporaryDir mDir;
};

void DesktopShellTest::initTestCase()
{
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty(),
             "xdg-mime (xdg-utils, installed by scripts/deps) is missing");
    // A desktop of the test's own: its associations, its programs, no desktop environment's
    // opener in between. This is a process of its own, so nothing leaks into other tests.
    qputenv("XDG_CONFIG_HOME", mDir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", mDir.filePath(QStringLiteral("data")).toUtf8());
    qunsetenv("XDG_CURRENT_DESKTOP");
    qunsetenv("DESKTOP_SESSION");
    // The opener only needs to see that a display exists; the test's program never draws.
    qputenv("DISPLAY", ":orlamtest");
    QDir(mDir.path()).mkpath(QStringLiteral("config"));
    QDir(mDir.path()).mkpath(QStringLiteral("data/applications"));
    const QString opener = mDir.filePath(QStringLiteral("opener.sh"));
    QVERIFY(writeFile(opener, "#!/bin/sh\ntouch \"$1.opened\"\n"));
    QVERIFY(QFile::setPermissions(opener,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    QVERIFY(writeFile(mDir.filePath(QStringLiteral("data/applications/orlamtest-opener.desktop")),
                      "[Desktop Entry]\nType=Application\nName=Test opener\nExec=" + opener.toUtf8() +
                          " %f\nMimeType=" + OpenedType + ";\n"));
    QVERIFY(writeFile(mDir.filePath(QStringLiteral("config/mimeapps.list")),
                      QByteArray("[Default Applications]\n") + OpenedType + "=orlamtest-opener.desktop\n"));
}

void DesktopShellTest::typeWithoutProgramIsReported()
{
    const QString path = mDir.filePath(QStringLiteral("unknown.orlamnothing"));
    QVERIFY(writeFile(path, QByteArray("\x01\x02\x03", 3)));
    QCOMPARE(desktopProgramFor(path), QString());
    QVERIFY(!openFileInDesktopProgram(path));

    // Without a display nothing could be shown, whatever the associations say.
    const QString text = mDir.filePath(QStringLiteral("no display.txt"));
    QVERIFY(writeFile(text, "text\n"));
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    const bool opened = openFileInDesktopProgram(text);
    qputenv("DISPLAY", display);
    QVERIFY(!opened);
}

void DesktopShellTest::associatedProgramOpensTheFile()
{
    const QString path = mDir.filePath(QStringLiteral("Orlam 2026-06-15 14-30-05.txt"));
    QVERIFY(writeFile(path, "An v12 Sol 24\xb0 Gemini\r\n"));
    QCOMPARE(desktopProgramFor(path), QStringLiteral("orlamtest-opener.desktop"));
    QVERIFY(openFileInDesktopProgram(path));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(path + QStringLiteral(".opened")), 10000);
}

QTEST_MAIN(DesktopShellTest)
#include "desktopshell_test.moc"
