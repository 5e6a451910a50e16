// The window's helpers in their modules: the window's start loads neither printing, the zip
// library nor sound. (Printing and the Word document go through their module in the print and
// report tests.)

#include "windowmodule.h"

#include <QProcess>
#include <QtTest>

using namespace orlam;

class ModulesTest : public QObject {
    Q_OBJECT
private slots:
    void windowNeedsNoHelperLibrary();
};

void ModulesTest::windowNeedsNoHelperLibrary()
{
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"), {QStringLiteral("--dynamic"), modulePath(Module::Window)});
    QVERIFY2(readelf.waitForFinished() && readelf.exitCode() == 0, "readelf (binutils) read no module");
    const QByteArray needed = readelf.readAllStandardOutput();
    QVERIFY2(needed.contains("[libQt6Widgets.so"), needed.constData());
    for (const char *helper : {"libQt6PrintSupport", "libquazip", "libQt6Multimedia"})
        QVERIFY2(!needed.contains(helper), helper);
}

QTEST_MAIN(ModulesTest)
#include "modules_test.moc"
