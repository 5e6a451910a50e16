// The modes without a window load no GUI library: the program runs them on Qt Core alone, and
// loads its clipboard module (Qt GUI) for "x" and its window module for the window and message
// boxes only. The dynamic loader's own record
// (LD_DEBUG=libs) of every object the process and its children initialised is read after the run.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include "processrig.h"

using namespace orlam::test;

namespace {

// What a window-free mode must never load.
const QStringList GuiLibraries{
    "libQt6Gui.",  "libQt6Widgets.",   "libQt6Multimedia.",   "libQt6PrintSupport.", "libQt6Svg.",
    "libQt6DBus.", "liborlam-window.", "liborlam-clipboard.", "liborlam-document.",  "libquazip"};

// The objects whose initialisers ran, by file name, from the loader's logs in `folder`.
QStringList initialisedObjects(const QString &folder)
{
    QStringList names;
    const QRegularExpression init(QStringLiteral("calling init: (\\S+)"));
    for (const QFileInfo &log : QDir(folder).entryInfoList(QDir::Files)) {
        const QString text = QString::fromUtf8(readAll(log.filePath()));
        for (const QRegularExpressionMatch &match : init.globalMatch(text))
            names << QFileInfo(match.captured(1)).fileName();
    }
    names.removeDuplicates();
    return names;
}

QStringList guiAmong(const QStringList &objects)
{
    QStringList found;
    for (const QString &object : objects)
        for (const QString &library : GuiLibraries)
            if (object.startsWith(library))
                found << object;
    return found;
}

} // namespace

class GuiFreeTest : public QObject {
    Q_OBJECT
private slots:
    void modes_data();
    void modes();
};

void GuiFreeTest::modes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("display");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("module"); // the module loaded, if any
    QTest::addColumn<QString>("error");  // a line on standard error, or empty for none

    const int offscreen = int(ProcessRig::Display::Offscreen);
    const int none = int(ProcessRig::Display::NoDisplay);
    const int stale = int(ProcessRig::Display::Unreachable);
    const QStringList batch{"in.txt", "out.txt"};
    const QStringList missing{"missing.txt", "out.txt"};
    QTest::newRow("--help") << QStringList{"--help"} << offscreen << 0 << QString() << QString();
    QTest::newRow("--version") << QStringList{"--version"} << none << 0 << QString() << QString();
    QTest::newRow("--hours") << QStringList{"--hours", "2026-06-15"} << offscreen << 0 << QString()
                             << QString();
    QTest::newRow("--next-hour") << QStringList{"--next-hour", "Venus"} << none << 0 << QString()
                                 << QString();
    QTest::newRow("--ics") << QStringList{"--ics", "2026-06-15", "2026-06-16", "hours.ics"} << offscreen << 0
                           << QString() << QString();
    QTest::newRow("--hours, wrong date")
        << QStringList{"--hours", "someday"} << offscreen << 2 << QString() << QStringLiteral("orlam: ");
    QTest::newRow("batch") << batch << offscreen << 0 << QString() << QString();
    QTest::newRow("batch, no display") << batch << none << 0 << QString() << QString();
    // A display is named: the messages would go into boxes, but a batch with nothing to say
    // needs none.
    QTest::newRow("batch, display") << batch << stale << 0 << QString() << QString();
    QTest::newRow("batch fails, offscreen")
        << missing << offscreen << 1 << QString() << QStringLiteral("orlam: Cannot open file missing.txt");
    // The message is for a box: the window module is loaded, finds that the display does not
    // answer, and says it on standard error.
    QTest::newRow("batch fails, display") << missing << stale << 1 << QStringLiteral("liborlam-window.so")
                                          << QStringLiteral("orlam: Cannot open file missing.txt");
    // The clipboard needs Qt GUI, but no widgets.
    QTest::newRow("x") << QStringList{"x"} << offscreen << 0 << QStringLiteral("liborlam-clipboard.so")
                       << QString();
}

void GuiFreeTest::modes()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, display);
    QFETCH(int, exitCode);
    QFETCH(QString, module);
    QFETCH(QString, error);

    ProcessRig rig;
    // As a desktop session makes it: Qt GUI would otherwise say that it is open to others.
    QVERIFY(QFile::setPermissions(rig.path(QStringLiteral("run")),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(writeAll(rig.user(QStringLiteral("in.txt")), "a,b,6/15/2026,14:30,6,93W21,45N05\r\n"));
    const QString logs = rig.path(QStringLiteral("ld"));
    QVERIFY(QDir().mkpath(logs));
    rig.setVariable(QStringLiteral("LD_DEBUG"), QStringLiteral("libs"));
    rig.setVariable(QStringLiteral("LD_DEBUG_OUTPUT"), logs + QStringLiteral("/ld"));

    const ProcessRig::Run run = rig.run(arguments, ProcessRig::Display(display));
    QVERIFY2(run.exitCode == exitCode, qPrintable(QStringLiteral("%1: %2").arg(run.exitCode).arg(run.err)));
    if (error.isEmpty())
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    else
        QVERIFY2(run.err.contains(error), qPrintable(run.err));

    const QStringList objects = initialisedObjects(logs);
    QVERIFY2(objects.contains(QStringLiteral("libQt6Core.so.6")), qPrintable(objects.join(' ')));
    const QStringList gui = guiAmong(objects);
    if (module.isEmpty()) {
        QVERIFY2(gui.isEmpty(), qPrintable(gui.join(' ')));
    } else {
        QVERIFY2(gui.contains(module), qPrintable(objects.join(' ')));
        // The clipboard alone needs no widgets.
        if (module == QLatin1String("liborlam-clipboard.so"))
            QVERIFY2(!gui.contains(QStringLiteral("libQt6Widgets.so.6")), qPrintable(gui.join(' ')));
    }
}

QTEST_GUILESS_MAIN(GuiFreeTest)
#include "guifree_test.moc"
