#include "reportcommands.h"

#include "appfonts.h"
#include "desktopshell.h"
#include "documentmodule.h"

#include "common/safefile.h"
#include "common/westerntext.h"
#include "hours/hoursspan.h"
#include "reports/calendar.h"
#include "reports/rtfwriter.h"
#include "reports/verses.h"
#include "reports/viewer.h"
#include "reports/worddocument.h"
#include "settings/settings.h"
#include "shellmessages.h"
#include "thelemic/calculate.h"
#include "trayicon.h"
#include "workfolder.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTextEdit>
#include <QUrl>

namespace orlam {

namespace {

// The view's font size in points, as a word processor sizes it (the view's font is sized in
// screen pixels of 96 to the inch).
double viewPointSize(const QFont &font)
{
    return font.pixelSize() > 0 ? font.pixelSize() * 72.0 / 96.0 : font.pointSizeF();
}

} // namespace

ReportCommands::ReportCommands(QWidget &window, CalcHost &host, const TSettings &settings, QTextEdit &view,
                               Astrocalls &astrocalls)
    : mWindow(window), mHost(host), mSettings(settings), mView(view), mAstro(astrocalls)
{
    mOutside.verseSeed = [] { return verseSeed(QDateTime::currentDateTimeUtc().time()); };
    mOutside.trayAvailable = [] { return TrayIcon::balloonsSeen(); };
    mOutside.noticeBox = [this](const QString &title, const QString &text) {
        showNotice(&mWindow, title, text);
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
    if (const Status status = assembleViewerLines(mAstro.folder(), &lines); !status) {
        mHost.showMessage(status.message);
        return;
    }
    mHost.setViewText(lines.join(QLatin1Char('\n')));
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
    QStringList lines;
    const Status status = makeTransitCalendar(
        mAstro, kind, mSettings.TimeZone, mSettings.Longitude, mSettings.Latitude, mHost.datePickerValue(),
        mHost.timePickerValue(), placeZone(mSettings, QTimeZone::systemTimeZone()), &lines);
    if (!status) {
        mHost.showMessage(status.message);
        return;
    }
    mHost.setViewText(lines.join(QLatin1Char('\n')));
}

// --- Verses and greetings --------------------------------------------------------------------

bool ReportCommands::pickVerse(QString *verse)
{
    // The work folder's own verses first, else those installed with the program.
    const QString path = userOrInstalledDataFile(mAstro.folder(), QLatin1String(VerseFileName));
    if (path.isEmpty())
        return false;
    const VersePick pick = PickVerse(path, mOutside.verseSeed());
    if (!pick.status) {
        mHost.showMessage(pick.status.message);
        return false;
    }
    *verse = pick.verse;
    return pick.found;
}

void ReportCommands::notice(const QString &title, const QString &text)
{
    if (mOutside.trayAvailable() && mOutside.balloon)
        mOutside.balloon(balloonTitle(title), balloonText(text));
    else
        // Without a tray a balloon would never be seen.
        mOutside.noticeBox(title, text);
}

void ReportCommands::RandomVerse1Click()
{
    QString verse;
    if (pickVerse(&verse)) {
        mHost.setViewText(verse);
        // A verse is prose: it wraps at the view's edge, where a report's lines keep their
        // layout and scroll sideways. The next text put into the view sets it back.
        mView.setLineWrapMode(QTextEdit::WidgetWidth);
    }
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
    mOutside.calculateNow();
    mHost.copyViewToClipboard();
}

void ReportCommands::showPresentDateNotice()
{
    mOutside.calculateNow();
    notice(QLatin1String(ThelemicDateTitle), dateBalloonText(mView.toPlainText()));
}

// --- Save, print, export ---------------------------------------------------------------------

ReportCommands::SaveChoice ReportCommands::askSaveNameWithDialog()
{
    // Not the program's own work folder: a user's file saved there would be hard to find and
    // could take the name of a report. Start where the user keeps documents, then where the
    // last save went.
    const QString start = mLastSaveFolder.isEmpty() ? mOutside.documentsFolder() : mLastSaveFolder;
    const QString richText = QLatin1String(RichTextFilter);
    const QString plainText = QLatin1String(PlainTextFilter);
    QFileDialog dialog(&mWindow, QCoreApplication::translate("Messages", "Save As"), start);
    dialog.setNameFilters({richText, plainText});
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const auto suffixOf = [](SavedType type) {
        return withSavedTypeSuffix(QStringLiteral("x"), type).mid(2);
    };
    const auto chooseType = [&](SavedType type) {
        dialog.setDefaultSuffix(suffixOf(type));
        // The name in the box follows the filter, as far as it names one of our types.
        if (auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))) {
            const QString name = edit->text();
            const QFileInfo info(name);
            const QString other =
                suffixOf(type == SavedType::RichText ? SavedType::PlainText : SavedType::RichText);
            if (info.suffix().compare(other, Qt::CaseInsensitive) == 0)
                edit->setText(name.left(name.size() - other.size()) + suffixOf(type));
        }
    };
    dialog.selectNameFilter(mLastSaveType == SavedType::RichText ? richText : plainText);
    dialog.setDefaultSuffix(suffixOf(mLastSaveType));
    dialog.selectFile(withSavedTypeSuffix(QStringLiteral("orlamdata"), mLastSaveType));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&](const QString &filter) { chooseType(savedTypeOfFilter(filter)); });
    SaveChoice chosen;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        chosen.type = savedTypeOfFilter(dialog.selectedNameFilter());
        chosen.path = withSavedTypeSuffix(dialog.selectedFiles().constFirst(), chosen.type);
        mLastSaveFolder = QFileInfo(chosen.path).absolutePath();
        mLastSaveType = savedTypeForName(chosen.path, chosen.type);
    }
    return chosen;
}

void ReportCommands::Save1Click()
{
    const SaveChoice choice = mOutside.askSaveName();
    if (choice.path.isEmpty())
        return;
    // The name decides the form: a ".txt" file holds plain text whatever filter was shown, so
    // that every program opening it shows the text and not its markup. Written beside the
    // target and renamed over it, so an old file is either kept whole or replaced whole. A
    // device or a pipe is written into.
    const QString path = withSavedTypeSuffix(choice.path, choice.type);
    const SavedType type = savedTypeForName(path, choice.type);
    const QByteArray bytes = savedViewBytes(splitLines(mView.toPlainText()), type, localeCodeset());
    if (const Status status = writeOutputFile(path, bytes); !status)
        mHost.showMessage(status.message);
}

void ReportCommands::Print1Click()
{
    if (const Status status = printViewDocument(*mView.document(), mWindow.windowTitle()); !status)
        mHost.showMessage(status.message);
}

void ReportCommands::InsertintoWord971Click()
{
    mLastDocument.clear();
    // The view goes to the clipboard as well, rich and plain, as a paste into the document would
    // have left it; the caret then rests at the end of the text.
    mView.selectAll();
    mView.copy();
    mView.moveCursor(QTextCursor::End);

    // The date lines are the first 1 to 3 of the view ("Lines" 0 to 2).
    const WordDocument document = exportDocument(splitLines(mView.toPlainText()), mSettings.Lines + 1,
                                                 documentFamily(mView.font()), viewPointSize(mView.font()));
    QString path;
    const Status saved = saveWordDocument(document, mOutside.documentsFolder(), mOutside.now(), &path);
    if (!saved) {
        mHost.showMessage(saved.message);
        return;
    }
    mLastDocument = path;
    if (!mOutside.openDocument(path))
        mHost.showMessage(
            QCoreApplication::translate(
                "Messages", "The document %1 has been written, but no program could be found to open it.")
                .arg(path));
}

} // namespace orlam
