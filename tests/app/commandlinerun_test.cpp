// The command-line modes that end at once ("x", another single argument, a batch), run without
// a window on the stand-in engine: what each leaves on the clipboard, on standard output, in the
// settings file and in the user's files, and how a failure ends.

#include "apptestsupport.h"
#include "commandline.h"
#include "commandlinerun.h"
#include "common/clocktime.h"
#include "settings/inifile.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTest>

using namespace orlam;
using namespace orlam::test;

namespace {

const QString JuneDate = QStringLiteral("An v12 Sol 24\u00b0 Gemini, Luna 5\u00b0 Leo Dies Lun\u00e6\n"
                                        "Monday, June 15, 2026 e.v. 2:30 PM");
const QDateTime JuneMoment(QDate(2026, 6, 15), QTime(14, 30), QTimeZone("America/Chicago"));

} // namespace

class CommandLineRunTest : public QObject {
    Q_OBJECT
private slots:
    void modes_data();
    void modes();
};

void CommandLineRunTest::modes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("engineKey"); // empty: the stand-in engine
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("messages");

    const QString untouched = QStringLiteral("untouched");
    QTest::newRow("x") << QStringList{"x"} << QByteArray() << 0 << JuneDate << JuneDate << QStringList();
    // The view is copied before anything is charted in it.
    QTest::newRow("other single argument")
        << QStringList{"y"} << QByteArray() << 0 << QString() << QString() << QStringList();
    QTest::newRow("batch") << QStringList{"moments.txt", "dates.txt"} << QByteArray() << 0 << untouched
                           << QString() << QStringList();
    // Offscreen there is no window to go on with: the message, then the end.
    QTest::newRow("batch, input missing")
        << QStringList{"missing.txt", "dates.txt"} << QByteArray() << 1 << untouched << QString()
        << QStringList{"Cannot open file missing.txt"};
    // A date without the planets is no answer: nothing on the clipboard or standard output.
    QTest::newRow("x, engine missing")
        << QStringList{"x"} << QByteArray("/nonexistent/orlam-ephem") << 1 << untouched << QString()
        << QStringList{"Cannot start the ephemeris program \"/nonexistent"};
}

void CommandLineRunTest::modes()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, engineKey);
    QFETCH(int, exitCode);
    QFETCH(QString, clipboard);
    QFETCH(QString, output);
    QFETCH(QStringList, messages);

    WindowRig rig;
    if (!engineKey.isEmpty())
        QVERIFY(writeAll(rig.settingsPath(), "[orlam]\r\nAstrolog=" + engineKey + "\r\n"));
    QVERIFY(writeAll(rig.filePath("moments.txt"), "one,two,6/15/2026,14:30,6,93W21,45N05\r\n"));
    const CommandLine commandLine = parseCommandLine(arguments);
    QVERIFY(commandLine.endsAfterStart());
    CommandLineRun run(rig.settingsPath(), rig.folder(), usLocale(), commandLine, JuneMoment);
    QVERIFY(run.createStatus());
    QStringList shown;
    run.setMessageHandler([&shown](const QString &text) { shown << text; });
    run.setClipboard([](const QString &text) { QGuiApplication::clipboard()->setText(text); });
    QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));

    const CommandLineRun::Result result = run.run();
    QVERIFY(result.endProgram);
    QCOMPARE(result.exitCode, exitCode);
    for (int i = 0; i < messages.size(); ++i)
        QVERIFY2(i < shown.size() && shown[i].startsWith(messages[i]), qPrintable(shown.join('|')));
    QCOMPARE(shown.size(), messages.size());
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
    QCOMPARE(run.output(), output);
    // A run that succeeds ends, as every start does, with the date in the view and the layout
    // keys written back; a failure does not write them.
    if (exitCode == 0)
        QCOMPARE(run.viewText(), JuneDate);
    QCOMPARE(IniFile(rig.settingsPath()).readInteger("orlam", "ClientWidth", 0), exitCode == 0 ? 400 : 0);
    QCOMPARE(QFileInfo::exists(rig.filePath("dates.txt")), exitCode == 0 && arguments.size() == 2);
    if (QFileInfo::exists(rig.filePath("dates.txt")))
        QVERIFY(readAll(rig.filePath("dates.txt")).startsWith("one,two,6/15/2026,14:30,6,93W21,45N05,v12,"));
    // The date only: no hours, no alarm list.
    QVERIFY(!QFileInfo::exists(rig.filePath("hl.txt")));
    // It runs once.
    QCOMPARE(run.run().exitCode, 0);
    QCOMPARE(shown.size(), messages.size());
}

QTEST_MAIN(CommandLineRunTest)
#include "commandlinerun_test.moc"
