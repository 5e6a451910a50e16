#pragma once

#include "astrocalls/astrocalls.h"
#include "common/status.h"
#include "reports/savedview.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>

class QTextEdit;
class QWidget;

namespace orlam {

class CalcHost;
struct TSettings;

// The commands that show reports in the view and take the view's text out of the program:
// the astrological data viewer, the transit calendars, the verses and greetings, Save, Print
// and the word-processor export. The main window's handlers of the same names call these.
// Every failure ends in a message through the host; nothing here throws.
class ReportCommands {
public:
    // `window` parents the dialogs and names the print job; `host` holds the pickers and the
    // view's text and shows messages; `settings` are read when a command runs. The reports and
    // the user's verses are read in the work folder of `astrocalls`.
    ReportCommands(QWidget &window, CalcHost &host, const TSettings &settings, QTextEdit &view,
                   Astrocalls &astrocalls);

    void AstroButtonClick();
    void Forthemonth1Click();
    void Fortheyear1Click();

    void RandomVerse1Click();
    // A random verse in a tray balloon (a message box without a tray).
    void showVerseNotice();
    // A random verse to the clipboard as plain text.
    void copyVerse();
    void Law1Click();
    // Now, then the whole view to the clipboard.
    void copyPresentDate();
    // Now, then the date in a tray balloon (a message box without a tray).
    void showPresentDateNotice();

    void Save1Click();
    void Print1Click();
    void InsertintoWord971Click();

    struct SaveChoice {
        QString path;
        SavedType type = SavedType::RichText;
    };

    // What the commands reach outside the window; tests put their own in place.
    struct Outside {
        // Milliseconds of the UTC day, the verse generator's seed.
        std::function<std::uint32_t()> verseSeed;
        // True when a balloon is seen: the desktop's notification service runs, or it has a tray.
        std::function<bool()> trayAvailable;
        // A balloon (title and text already cut to the tray's lengths), information icon, shown
        // for 10 seconds: a desktop notification, else the tray's own.
        std::function<void(const QString &title, const QString &text)> balloon;
        // The same title and text in a message box, where neither is seen.
        std::function<void(const QString &title, const QString &text)> noticeBox;
        // Sets the pickers to the present and calculates, as "Now" does.
        std::function<void()> calculateNow;
        // The save dialog: the chosen file and the type of the chosen filter; an empty path
        // when cancelled.
        std::function<SaveChoice()> askSaveName;
        // The folder new documents go to.
        std::function<QString()> documentsFolder;
        // The local time a new document is named after.
        std::function<QDateTime()> now;
        // Opens a document in the desktop's program for it; false when nothing could.
        std::function<bool(const QString &path)> openDocument;
    };
    Outside &outside() { return mOutside; }

    // The file the last export wrote (empty before the first, or after a failure).
    const QString &lastDocument() const { return mLastDocument; }

    // The save dialog as the program shows it: the filters "Rich Text (*.rtf)" (first, with the
    // preset name "orlamdata.rtf") and "Text files (*.txt)"; the extension of the chosen filter
    // is added to a name typed without one. It starts in the documents folder, later in the
    // folder of the last save.
    SaveChoice askSaveNameWithDialog();

private:
    void showCalendar(JobKind kind);
    void notice(const QString &title, const QString &text);
    // A verse of the verse file; false (after a message, if it could not be read) for none.
    bool pickVerse(QString *verse);

    QWidget &mWindow;
    CalcHost &mHost;
    const TSettings &mSettings;
    QTextEdit &mView;
    Astrocalls &mAstro;
    Outside mOutside;
    QString mLastDocument;
    QString mLastSaveFolder;
    SavedType mLastSaveType = SavedType::RichText;
};

} // namespace orlam
