// The report and output commands driven through the window: the data viewer, the calendars,
// the verses and greetings, Save with its dialog, and the word-processor export.

#include "../core/reports/docparagraphs.h"
#include "apptestsupport.h"

#include "reportcommands.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

using namespace orlam;
using namespace orlam::test;

namespace {

QString calendarEngine()
{
    return QStringLiteral(ORLAM_TEST_DATA "/app/calendar-engine.sh");
}

QTextEdit *viewOf(TOrm &window)
{
    return window.findChild<QTextEdit *>(QStringLiteral("TDate"));
}

void trigger(TOrm &window, const char *name)
{
    QAction *action = window.findChild<QAction *>(QString::fromLatin1(name));
    QVERIFY2(action, name);
    QVERIFY2(action->isEnabled(), name);
    action->trigger();
}

// Balloons and boxes as the tests see them.
struct Notices {
    bool tray = true;
    QStringList balloons; // "title|text"
    QStringList boxes;
    void attach(TOrm &window)
    {
        ReportCommands::Outside &outside = window.reports().outside();
        outside.trayAvailable = [this] { return tray; };
        outside.balloon = [this](const QString &t, const QString &x) {
            balloons << t + QLatin1Char('|') + x;
        };
        outside.noticeBox = [this](const QString &t, const QString &x) { boxes << t + QLatin1Char('|') + x; };
    }
};

QByteArray documentXml(const QString &docx)
{
    QuaZip zip(docx);
    if (!zip.open(QuaZip::mdUnzip) || !zip.setCurrentFile(QStringLiteral("word/document.xml")))
        return {};
    QuaZipFile file(&zip);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ReportCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void viewerShowsTheReportsOfTheLastRun();
    void viewerKeepsTheViewWhenAReportCannotBeRead();
    void commandsKeepToTheWorkFolderWhereverTheCurrentOneIs();
    void calendarsReplaceTheViewAndNeverShowAnOldOne();

    void verseCommandsWithOneLine();
    void verseCommandsDrawTheComputedLine();
    void blankVerseEmptiesTheView();
    void longVerseIsCutInTheBalloonOnly();
    void withoutVersesNothingHappens();
    void greetingsAndDateCommands();

    void saveWritesRichTextAtomically();
    void saveDialogAddsTheExtensionAndKeepsTheFolder();

    void exportWritesANewDocumentAndOpensIt();
    void exportFailuresAreShown();
};

void ReportCommandsTest::viewerShowsTheReportsOfTheLastRun()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    window->CalcButtonClick();
    QVERIFY(writeAll(rig.filePath("planets.txt"), "planet 1\r\nplanet 2\r\n"));
    QVERIFY(writeAll(rig.filePath("riseset.txt"), ""));
    trigger(*window, "AstroButton");
    const QString chart = QString::fromLatin1(readAll(rig.filePath("chart.txt"))).trimmed();
    QCOMPARE(viewOf(*window)->toPlainText(),
             chart.split(QStringLiteral("\r\n")).join(QLatin1Char('\n')) +
                 QStringLiteral("\n \nRise and Set Times\n \nPlanetary Positions\nplanet 1\nplanet 2"));
    QCOMPARE(viewOf(*window)->textCursor().position(), 0);
    QVERIFY(rig.messages.isEmpty());
    // The menu entry runs the same command.
    viewOf(*window)->setPlainText(QStringLiteral("other"));
    trigger(*window, "Astrologicaldata1");
    QVERIFY(viewOf(*window)->toPlainText().startsWith(chart.left(10)));
}

void ReportCommandsTest::viewerKeepsTheViewWhenAReportCannotBeRead()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    window->CalcButtonClick();
    const QString before = viewOf(*window)->toPlainText();
    QVERIFY(QDir(rig.filePath(QString())).mkdir(QStringLiteral("wheel.txt")));
    window->AstroButtonClick();
    QCOMPARE(rig.messages, QStringList{QStringLiteral("Cannot open file wheel.txt")});
    QCOMPARE(viewOf(*window)->toPlainText(), before);
}

void ReportCommandsTest::commandsKeepToTheWorkFolderWhereverTheCurrentOneIs()
{
    WindowRig rig;
    QVERIFY(writeAll(rig.filePath("verses.txt"), "the work folder's verse\r\n"));
    auto window = rig.makeWindow();
    // Files of the same names in another current folder are not the program's.
    QTemporaryDir elsewhere;
    const QString other = QDir(elsewhere.path()).filePath(QStringLiteral("verses.txt"));
    QVERIFY(writeAll(other, "another verse\r\n"));
    QVERIFY(writeAll(QDir(elsewhere.path()).filePath(QStringLiteral("chart.txt")), "another chart\r\n"));
    QVERIFY(QDir::setCurrent(elsewhere.path()));

    window->CalcButtonClick();
    const QByteArray chart = readAll(rig.filePath("chart.txt"));
    QVERIFY(!chart.isEmpty());
    window->AstroButtonClick();
    QVERIFY(viewOf(*window)->toPlainText().startsWith(QString::fromLatin1(chart.left(10))));
    window->RandomVerse1Click();
    QCOMPARE(viewOf(*window)->toPlainText(), QStringLiteral("the work folder's verse"));
    QVERIFY(rig.messages.isEmpty());
    QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files),
             (QStringList{QStringLiteral("chart.txt"), QStringLiteral("verses.txt")}));
    QCOMPARE(readAll(QDir(elsewhere.path()).filePath(QStringLiteral("chart.txt"))),
             QByteArray("another chart\r\n"));
}

void ReportCommandsTest::calendarsReplaceTheViewAndNeverShowAnOldOne()
{
    WindowRig rig;
    QVERIFY(writeAll(rig.settingsPath(), "[orlam]\r\nAstrolog=" + calendarEngine().toUtf8() + "\r\n"));
    auto window = rig.makeWindow();
    trigger(*window, "Fortheyear1");
    QCOMPARE(viewOf(*window)->toPlainText(),
             QStringLiteral("Calendar for the year\nyear line 2\nyear line 3"));
    trigger(*window, "Forthemonth1");
    QCOMPARE(viewOf(*window)->toPlainText(), QStringLiteral("Calendar for the month\nmonth line 2"));
    QCOMPARE(viewOf(*window)->textCursor().position(), 0);
    QVERIFY(rig.messages.isEmpty());

    // The engine fails with the year's calendar still on disk: the message names the missing
    // report and the view keeps the month.
    QVERIFY(writeAll(rig.filePath("calasp.txt"), "Calendar for the year\r\n"));
    qputenv("FAKE_CALENDAR_FAIL", "1");
    window->Forthemonth1Click();
    qunsetenv("FAKE_CALENDAR_FAIL");
    QCOMPARE(rig.messages, (QStringList{QStringLiteral("Astrolog return code 1"),
                                        QStringLiteral("Cannot open file calasp.txt")}));
    QCOMPARE(viewOf(*window)->toPlainText(), QStringLiteral("Calendar for the month\nmonth line 2"));
}

void ReportCommandsTest::verseCommandsWithOneLine()
{
    WindowRig rig;
    QVERIFY(writeAll(rig.filePath("verses.txt"), "Every man and every woman is a star.\r\n"));
    auto window = rig.makeWindow();
    Notices notices;
    notices.attach(*window);
    for (const std::uint32_t seed : {0u, 12345u, 86399999u}) {
        window->reports().outside().verseSeed = [seed] { return seed; };
        viewOf(*window)->clear();
        trigger(*window, "Verse");
        QCOMPARE(viewOf(*window)->toPlainText(), QStringLiteral("Every man and every woman is a star."));
        QGuiApplication::clipboard()->clear();
        trigger(*window, "Quote2");
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("Every man and every woman is a star."));
    }
    trigger(*window, "Quote1");
    QCOMPARE(notices.balloons,
             QStringList{QStringLiteral("The Book of the Law|Every man and every woman is a star.")});
    // Without a tray the same title and text come in a box.
    notices.tray = false;
    window->Quote1Click();
    QCOMPARE(notices.boxes,
             QStringList{QStringLiteral("The Book of the Law|Every man and every woman is a star.")});
    QVERIFY(rig.messages.isEmpty());
}

void ReportCommandsTest::verseCommandsDrawTheComputedLine()
{
    WindowRig rig;
    QByteArray verses;
    for (int i = 0; i < 1000; ++i)
        verses += "verse " + QByteArray::number(i) + "\n";
    QVERIFY(writeAll(rig.filePath("verses.txt"), verses));
    auto window = rig.makeWindow();
    // 12:00:00.000 UTC with a thousand lines draws line 377.
    window->reports().outside().verseSeed = [] { return 43200000u; };
    trigger(*window, "RandomVerse1");
    QCOMPARE(viewOf(*window)->toPlainText(), QStringLiteral("verse 377"));
}

void ReportCommandsTest::blankVerseEmptiesTheView()
{
    WindowRig rig;
    QVERIFY(writeAll(rig.filePath("verses.txt"), "\r\n\r\n"));
    auto window = rig.makeWindow();
    viewOf(*window)->setPlainText(QStringLiteral("the date"));
    window->RandomVerse1Click();
    QCOMPARE(viewOf(*window)->toPlainText(), QString());
    QVERIFY(rig.messages.isEmpty());
}

void ReportCommandsTest::longVerseIsCutInTheBalloonOnly()
{
    WindowRig rig;
    const QString verse = QString(299, QLatin1Char('x')) + QStringLiteral("\u00e6");
    QVERIFY(writeAll(rig.filePath("verses.txt"), verse.toUtf8()));
    auto window = rig.makeWindow();
    Notices notices;
    notices.attach(*window);
    window->Quote1Click();
    // Cut to the balloon's 255 characters, the last of them "…" so that it reads as cut.
    QCOMPARE(notices.balloons,
             QStringList{QStringLiteral("The Book of the Law|") + verse.left(254) + QChar(0x2026)});
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->RandomVerse1Click();
    QCOMPARE(viewOf(*window)->toPlainText(), verse);
    // The verse wraps at the view's edge: several lines on screen, nothing to scroll sideways.
    QTextEdit *view = viewOf(*window);
    QCOMPARE(view->lineWrapMode(), QTextEdit::WidgetWidth);
    QTRY_VERIFY(view->document()->firstBlock().layout()->lineCount() > 2);
    QVERIFY(!view->horizontalScrollBar()->isVisible());
    QVERIFY(view->document()->size().width() <= view->viewport()->width());
    // The date that follows keeps its lines whole again.
    window->CalcButtonClick();
    QCOMPARE(view->lineWrapMode(), QTextEdit::NoWrap);
    window->Quote2Click();
    QCOMPARE(QGuiApplication::clipboard()->text(), verse);
    notices.tray = false;
    window->Quote1Click();
    QCOMPARE(notices.boxes, QStringList{QStringLiteral("The Book of the Law|") + verse});
}

void ReportCommandsTest::withoutVersesNothingHappens()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    Notices notices;
    notices.attach(*window);
    viewOf(*window)->setPlainText(QStringLiteral("the date"));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    window->RandomVerse1Click();
    window->Quote1Click();
    window->Quote2Click();
    QCOMPARE(viewOf(*window)->toPlainText(), QStringLiteral("the date"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    QVERIFY(notices.balloons.isEmpty() && notices.boxes.isEmpty() && rig.messages.isEmpty());

    // A folder in the file's place is not a verse file either.
    QVERIFY(QDir(rig.filePath(QString())).mkdir(QStringLiteral("verses.txt")));
    window->RandomVerse1Click();
    QVERIFY(rig.messages.isEmpty());
    QCOMPARE(viewOf(*window)->toPlainText(), QStringLiteral("the date"));
}

void ReportCommandsTest::greetingsAndDateCommands()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    Notices notices;
    notices.attach(*window);
    trigger(*window, "Law1");
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral(
                 "Do what thou wilt shall be the whole of the Law.\r\nLove is the law, love under will."));

    // Clipboard "Date": the present moment charted, the whole view copied.
    viewOf(*window)->setPlainText(QStringLiteral("a verse"));
    trigger(*window, "Date2");
    const QString view = viewOf(*window)->toPlainText();
    QVERIFY(view.startsWith(QStringLiteral("An v12 Sol 24\u00b0 Gemini")));
    QCOMPARE(QGuiApplication::clipboard()->text(), view);

    // Tray "Date": the common-era line, then the Thelemic line on a line of its own.
    viewOf(*window)->setPlainText(QStringLiteral("a verse"));
    trigger(*window, "Date1");
    const QStringList lines = viewOf(*window)->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[1].contains(QStringLiteral(" e.v. ")));
    QCOMPARE(notices.balloons,
             QStringList{QStringLiteral("Thelemic Date|") + lines[1] + QLatin1Char('\n') + lines[0]});
    notices.tray = false;
    window->Query1Click();
    QCOMPARE(notices.boxes.size(), 1);
    QVERIFY(notices.boxes[0].startsWith(QStringLiteral("Thelemic Date|")));
}

void ReportCommandsTest::saveWritesRichTextAtomically()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    viewOf(*window)->setPlainText(QStringLiteral("An v12 Sol 24\u00b0 Gemini\nMonday {x}"));
    const QByteArray rtf("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fmodern"
                         "\\fprq1\\fcharset0 Courier New;}}\r\n{\\colortbl ;\\red0\\green0\\blue0;}"
                         "\r\n\\viewkind4\\uc1\\pard\\cf1\\f0\\fs20 An v12 Sol 24\\'b0 Gemini\\par"
                         "\r\nMonday \\{x\\}\r\n}\r\n");
    // The tests run in a locale without a character set of its own (ASCII): plain text is UTF-8.
    const QByteArray text("An v12 Sol 24\xc2\xb0 Gemini\nMonday {x}\n");
    // The name's extension decides the form; a name without one takes the filter's.
    const struct {
        const char *typed;
        SavedType filter;
        const char *written;
        QByteArray bytes;
    } rows[] = {
        {"saved.rtf", SavedType::RichText, "saved.rtf", rtf},
        {"saved.txt", SavedType::RichText, "saved.txt", text},
        {"saved.TXT", SavedType::PlainText, "saved.TXT", text},
        {"plain", SavedType::PlainText, "plain.txt", text},
        {"rich", SavedType::RichText, "rich.rtf", rtf},
        {"notes.dat", SavedType::PlainText, "notes.dat", text},
    };
    for (const auto &row : rows) {
        const QString typed = rig.filePath(QString::fromLatin1(row.typed));
        const QString written = rig.filePath(QString::fromLatin1(row.written));
        QVERIFY(writeAll(written, "an older file"));
        window->reports().outside().askSaveName = [&typed, &row] {
            return ReportCommands::SaveChoice{typed, row.filter};
        };
        trigger(*window, "Save1");
        QCOMPARE(readAll(written), row.bytes);
    }
    QVERIFY(rig.messages.isEmpty());

    // A folder that does not exist: the message names the file; nothing else changes.
    const QString nowhere = rig.filePath("no/such/folder/orlamdata.rtf");
    window->reports().outside().askSaveName = [&nowhere] { return ReportCommands::SaveChoice{nowhere}; };
    window->Save1Click();
    QCOMPARE(rig.messages, QStringList{QStringLiteral("Cannot create file ") + nowhere});
    QCOMPARE(viewOf(*window)->toPlainText(), QStringLiteral("An v12 Sol 24\u00b0 Gemini\nMonday {x}"));

    // Cancelling writes nothing.
    rig.messages.clear();
    window->reports().outside().askSaveName = [] { return ReportCommands::SaveChoice{}; };
    window->Save1Click();
    QVERIFY(rig.messages.isEmpty());
    QVERIFY(!QFileInfo::exists(rig.filePath("orlamdata.rtf")));
}

void ReportCommandsTest::saveDialogAddsTheExtensionAndKeepsTheFolder()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    viewOf(*window)->setPlainText(QStringLiteral("the date"));
    const QString workFolder = QDir::currentPath();
    QTemporaryDir documents;
    window->reports().outside().documentsFolder = [&documents] { return documents.path(); };
    QTemporaryDir elsewhere;
    QString preset, presetAfterSwitch, filter, suffix, startFolder;
    bool answered = false;
    bool confirmsOverwrite = false;
    // The dialog is answered as a user would: into another folder, the plain-text filter, a
    // name without extension.
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        startFolder = dialog->directory().absolutePath();
        auto *nameEdit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        preset = nameEdit->text();
        filter = dialog->nameFilters().join(QLatin1Char(';'));
        suffix = dialog->defaultSuffix();
        confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        dialog->setDirectory(elsewhere.path());
        auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        // What a choice in the list emits.
        types->setCurrentIndex(1);
        Q_EMIT types->activated(1);
        Q_EMIT types->textActivated(types->itemText(1));
        presetAfterSwitch = nameEdit->text();
        dialog->selectFile(QStringLiteral("mydate"));
        answered = true;
        QMetaObject::invokeMethod(dialog, "accept");
    });
    window->Save1Click();
    QVERIFY(answered);
    // Not the work folder, where the program's own reports live: the user's documents.
    QCOMPARE(startFolder, QDir(documents.path()).absolutePath());
    QCOMPARE(preset, QStringLiteral("orlamdata.rtf"));
    QCOMPARE(presetAfterSwitch, QStringLiteral("orlamdata.txt"));
    QCOMPARE(filter, QStringLiteral("Rich Text (*.rtf);Text files (*.txt)"));
    QCOMPARE(suffix, QStringLiteral("rtf"));
    QVERIFY(confirmsOverwrite);
    QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files), QStringList{QStringLiteral("mydate.txt")});
    QCOMPARE(readAll(QDir(elsewhere.path()).filePath("mydate.txt")), QByteArray("the date\n"));
    QCOMPARE(QDir::currentPath(), workFolder);
    QVERIFY(rig.messages.isEmpty());

    // The next save starts where the last one went, with the type last chosen; cancelling it
    // changes nothing.
    startFolder.clear();
    preset.clear();
    QTimer::singleShot(0, [&] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            startFolder = dialog->directory().absolutePath();
            preset = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
            QMetaObject::invokeMethod(dialog, "reject");
        }
    });
    window->Save1Click();
    QCOMPARE(startFolder, QDir(elsewhere.path()).absolutePath());
    QCOMPARE(preset, QStringLiteral("orlamdata.txt"));
    QCOMPARE(QDir::currentPath(), workFolder);
}

void ReportCommandsTest::exportWritesANewDocumentAndOpensIt()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    window->CalcButtonClick();
    const QStringList view = viewOf(*window)->toPlainText().split(QLatin1Char('\n'));
    QTemporaryDir documents;
    QStringList opened;
    ReportCommands::Outside &outside = window->reports().outside();
    outside.documentsFolder = [&documents] { return documents.filePath("Documents"); };
    outside.now = [] { return QDateTime(QDate(2026, 6, 15), QTime(14, 30, 5)); };
    outside.openDocument = [&opened](const QString &path) {
        opened << path;
        return true;
    };
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    trigger(*window, "InsertintoWord971");
    trigger(*window, "WordDocument1");
    QCOMPARE(opened, (QStringList{documents.filePath("Documents/Orlam 2026-06-15 14-30-05.docx"),
                                  documents.filePath("Documents/Orlam 2026-06-15 14-30-05 (2).docx")}));
    QVERIFY(rig.messages.isEmpty());
    QCOMPARE(QGuiApplication::clipboard()->text(), view.join(QLatin1Char('\n')));

    const QList<ReadParagraph> read = readDocumentXml(documentXml(opened[1]));
    QCOMPARE(read.size(), view.size() + 3);
    for (int i = 0; i < view.size(); ++i) {
        QCOMPARE(read[i].text, view[i]);
        QCOMPARE(read[i].alignment, QStringLiteral("right"));
        QCOMPARE(read[i].halfPoints, QStringLiteral("16"));
    }
    QCOMPARE(read[view.size()].text, QStringLiteral("Do what thou wilt shall be the whole of the Law."));
    QCOMPARE(read[view.size() + 1].bookmarksStarting, QStringList{QStringLiteral("Bod")});
}

void ReportCommandsTest::exportFailuresAreShown()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    viewOf(*window)->setPlainText(QStringLiteral("the date"));
    QTemporaryDir documents;
    ReportCommands::Outside &outside = window->reports().outside();
    outside.documentsFolder = [&documents] { return documents.path(); };
    outside.openDocument = [](const QString &) { return false; };
    window->InsertintoWord971Click();
    const QString written = window->reports().lastDocument();
    QVERIFY(QFileInfo::exists(written));
    QCOMPARE(rig.messages,
             QStringList{QStringLiteral("The document %1 has been written, but no program could be "
                                        "found to open it.")
                             .arg(written)});

    // A file where the documents folder should be.
    rig.messages.clear();
    QVERIFY(writeAll(documents.filePath("blocked"), "x"));
    outside.documentsFolder = [&documents] { return documents.filePath("blocked"); };
    window->InsertintoWord971Click();
    QCOMPARE(rig.messages.size(), 1);
    QVERIFY(rig.messages[0].contains(documents.filePath("blocked")));
    QVERIFY(window->reports().lastDocument().isEmpty());
}

QTEST_MAIN(ReportCommandsTest)
#include "reportcommands_test.moc"
