#include "reportcommands.h"

#include "desktopshell.h"

#include "common/safefile.h"
#include "common/westerntext.h"
#include "hours/hoursspan.h"
#include "reports/calendar.h"
#include "reports/docxwriter.h"
#include "reports/rtfwriter.h"
#include "reports/verses.h"
#include "reports/viewer.h"
#include "reports/worddocument.h"
#include "torm.h"
#include "trayicon.h"
#include "viewprinter.h"
#include "workfolder.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTextEdit>
#include <QUrl>

namespace orlam {

namespace {

constexpr int BalloonTitleLength = 63;
constexpr int BalloonTextLength = 255;
constexpr int BalloonSeconds = 10;

} // namespace

ReportCommands::ReportCommands(TOrm &window, QTextEdit &view, Astrocalls &astrocalls)
    : mWindow(window), mView(view), mAstro(astrocalls)
{
    mOutside.verseSeed = [] { return verseSeed(QDateTime::currentDateTimeUtc().time()); };
    mOutside.trayAvailable = [] { return TrayIcon::trayAvailable(); };
    mOutside.balloon = [this](const QString &title, const QString &text) {
        mWindow.ShowBalloon(title, text, BalloonIcon::Information, BalloonSeconds);
    };
    mOutside.noticeBox = [this](const QString &title, const QString &text) {
        QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, &mWindow);
        box.exec();
    };
    mOutside.askSaveName = [this] { return askSaveNameWithDialog(); };
    mOutside.documentsFolder = [] {
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return documents.isEmpty() ? QDir::homePath() : documents;
    };
    mOutside.now = [] { return QDateTime::currentDateTime(); };
    mOutside.openDocument = [](const QString &path) { return openFileInDesktopProgram(path); };
}

// --- Viewer and calendars --------------------------------------------------------------------

void ReportCommands::AstroButtonClick()
{
    QStringList lines;
    if (const Status status = assembleViewerLines(QDir::currentPath(), &lines); !status) {
        mWindow.showMessage(status.message);
        return;
    }
    mWindow.setViewText(lines.join(QLatin1Char('\n')));
}

void ReportCommands::Forthemonth1Click()
{
    showCalendar(JobKind::MonthCalendar);
}

void ReportCommands::Fortheyear1Click()
{
    showCalendar(JobKind::YearCalendar);
}

void ReportCommands::showCalendar(JobKind kind)
{
    const TSettings &settings = mWindow.settings();
    QStringList lines;
    const Status status = makeTransitCalendar(
        mAstro, kind, settings.TimeZone, settings.Longitude, settings.Latitude, mWindow.datePickerValue(),
        mWindow.timePickerValue(), placeZone(settings, QTimeZone::systemTimeZone()), &lines);
    if (!status) {
        mWindow.showMessage(status.message);
        return;
    }
    mWindow.setViewText(lines.join(QLatin1Char('\n')));
}

// --- Verses and greetings --------------------------------------------------------------------

bool ReportCommands::pickVerse(QString *verse)
{
    // The work folder's own verses first, else those installed with the program.
    const QString path = userOrInstalledDataFile(QLatin1String(VerseFileName));
    if (path.isEmpty())
        return false;
    const VersePick pick = PickVerse(path, mOutside.verseSeed());
    if (!pick.status) {
        mWindow.showMessage(pick.status.message);
        return false;
    }
    *verse = pick.verse;
    return pick.found;
}

void ReportCommands::notice(const QString &title, const QString &text)
{
    if (mOutside.trayAvailable())
        mOutside.balloon(title.left(BalloonTitleLength), text.left(BalloonTextLength));
    else
        // Without a tray a balloon would never be seen.
        mOutside.noticeBox(title, text);
}

void ReportCommands::RandomVerse1Click()
{
    QString verse;
    if (pickVerse(&verse))
        mWindow.setViewText(verse);
}

void ReportCommands::showVerseNotice()
{
    QString verse;
    if (pickVerse(&verse))
        notice(QLatin1String(BookOfTheLawTitle), verse);
}

void ReportCommands::copyVerse()
{
    QString verse;
    if (pickVerse(&verse))
        QGuiApplication::clipboard()->setText(verse);
}

void ReportCommands::Law1Click()
{
    QGuiApplication::clipboard()->setText(lawClipboardText());
}

void ReportCommands::copyPresentDate()
{
    mWindow.NowButtonClick();
    mWindow.ClipButtonClick();
}

void ReportCommands::showPresentDateNotice()
{
    mWindow.NowButtonClick();
    notice(QLatin1String(ThelemicDateTitle), dateBalloonText(mView.toPlainText()));
}

// --- Save, print, export ---------------------------------------------------------------------

QString ReportCommands::askSaveNameWithDialog()
{
    // The job file, the reports and the verses are all found through the current folder, so a
    // dialog that moved it would break every later command.
    const QString folder = QDir::currentPath();
    // The current folder is the program's own work folder: a user's file saved there would be
    // hard to find and could take the name of a report. Start where the user keeps documents,
    // then where the last save went.
    const QString start = mLastSaveFolder.isEmpty() ? mOutside.documentsFolder() : mLastSaveFolder;
    QFileDialog dialog(&mWindow, QStringLiteral("Save As"), start, QStringLiteral("Text files (*.txt)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.selectFile(QStringLiteral("orlamdata.txt"));
    QString chosen;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        chosen = dialog.selectedFiles().constFirst();
        mLastSaveFolder = QFileInfo(chosen).absolutePath();
    }
    if (QDir::currentPath() != folder)
        QDir::setCurrent(folder);
    return chosen;
}

void ReportCommands::Save1Click()
{
    const QString name = mOutside.askSaveName();
    if (name.isEmpty())
        return;
    // Rich text whatever the name ends in; written beside the target and renamed over it, so an
    // old file is either kept whole or replaced whole. A device or a pipe is written into.
    const QByteArray rtf = rtfFromLines(splitLines(mView.toPlainText()));
    if (const Status status = writeOutputFile(name, rtf); !status)
        mWindow.showMessage(status.message);
}

void ReportCommands::Print1Click()
{
    if (const Status status = printOnDefaultPrinter(*mView.document(), mWindow.windowTitle()); !status)
        mWindow.showMessage(status.message);
}

void ReportCommands::InsertintoWord971Click()
{
    mLastDocument.clear();
    // The view goes to the clipboard as well, rich and plain, as a paste into the document would
    // have left it; the caret then rests at the end of the text.
    mView.selectAll();
    mView.copy();
    mView.moveCursor(QTextCursor::End);

    const WordDocument document = exportDocument(splitLines(mView.toPlainText()));
    QString path;
    const Status saved = saveNewDocument(document, mOutside.documentsFolder(), mOutside.now(), &path);
    if (!saved) {
        mWindow.showMessage(saved.message);
        return;
    }
    mLastDocument = path;
    if (!mOutside.openDocument(path))
        mWindow.showMessage(
            QStringLiteral("The document %1 has been written, but no program could be found to open it.")
                .arg(path));
}

} // namespace orlam
