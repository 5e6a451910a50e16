#pragma once

#include "commandline.h"
#include "thelemic/calcparts.h"

#include <functional>

namespace orlam {

// The command-line modes that end after their work ("x", any other single argument, a batch),
// run without the main window: the settings, the engine and Calculate on a host of their own,
// whose view is a string and whose pickers hold the moment of start. No widget, font, icon or
// tray is made for them, and the class itself needs Qt Core only: the caller says where
// messages and copies go.
class CommandLineRun : public CalcHost, private CalcParts {
public:
    // Loads the settings from `settingsPath`; see createStatus() for the one failure. The
    // pickers hold the present moment (`now`, a moment in the computer's zone). The engine runs
    // in `workFolder`, an existing folder.
    CommandLineRun(const QString &settingsPath, const QString &workFolder, const LocaleFacts &locale,
                   const CommandLine &commandLine, const QDateTime &now = QDateTime::currentDateTime());
    ~CommandLineRun() override;

    using CalcParts::createStatus;
    using CalcParts::settings;

    // Where messages go (standard error, one line per line of the message, by default).
    void setMessageHandler(std::function<void(const QString &)> handler) { mMessages = std::move(handler); }
    // Where the copies go (nowhere by default).
    void setClipboard(std::function<void(const QString &)> clipboard) { mClipboard = std::move(clipboard); }
    // Whether a failure, once its message has been shown, goes on to the window (on a display)
    // or ends the run with exit status 1 (without one, the default).
    void setWindowAfterFailure(bool window) { mWindowAfterFailure = window; }

    struct Result {
        // False after a failure when setWindowAfterFailure(true): the window opens after all.
        bool endProgram = true;
        int exitCode = 0;
    };
    // The mode's work, then, as every start does, the layout keys written back and the present
    // moment charted. Runs once.
    Result run();
    // The view's text as "x" copied it, for standard output.
    const QString &output() const { return mOutput; }
    // The view's text at the end (the present moment's date after a successful run).
    const QString &viewText() const { return mView; }

    // CalcHost
    QDateTime datePickerValue() const override { return mPickerDate; }
    QTime timePickerValue() const override { return mPickerTime; }
    void setPickers(const QDateTime &date, QTime time) override;
    void setMonthCalendarDate(QDate) override {}
    void setViewText(const QString &text) override { mView = text; }
    void repaintNow() override {}
    void setCaptions(const QString &, const QString &) override {}
    void copyViewToClipboard() override { mClipboard(mView); }
    void showMessage(const QString &text) override { mMessages(text); }

private:
    Result stop(const Status &status);
    // What follows every mode: the layout keys written back, the present moment charted.
    void finish();

    CommandLine mCommandLine;
    std::function<void(const QString &)> mMessages;
    std::function<void(const QString &)> mClipboard;
    QDateTime mPickerDate;
    QTime mPickerTime;
    QString mView;
    QString mOutput;
    bool mWindowAfterFailure = false;
    bool mRan = false;
};

} // namespace orlam
