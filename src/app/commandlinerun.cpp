#include "commandlinerun.h"

#include "common/clocktime.h"
#include "programstart.h"
#include "reports/batch.h"

namespace orlam {

CommandLineRun::CommandLineRun(const QString &settingsPath, const QString &workFolder,
                               const LocaleFacts &locale, const CommandLine &commandLine,
                               const QDateTime &now)
    : CalcParts(settingsPath, workFolder, locale, *this), mCommandLine(commandLine)
{
    mMessages = printUserMessage;
    mClipboard = [](const QString &) {};
    const QDateTime present = clockFromLocal(now);
    setPickers(present, present.time());
}

CommandLineRun::~CommandLineRun() = default;

void CommandLineRun::setPickers(const QDateTime &date, QTime time)
{
    mPickerDate = date;
    mPickerTime = time;
}

CommandLineRun::Result CommandLineRun::run()
{
    if (mRan)
        return {};
    mRan = true;
    switch (mCommandLine.mode) {
    case CommandLine::Mode::CopyDate: {
        const int failedRuns = mRunner->failedRuns();
        if (const Status status = mCalc->calculate(Calculator::Output::Show); !status)
            return stop(status);
        // The engine's failure has been shown; a date without the planets is no answer.
        if (mRunner->failedRuns() != failedRuns)
            return {true, 1};
        copyViewToClipboard();
        mOutput = mView;
        // The view already holds the present moment's date: the layout is all that is left.
        if (const Status written = mStore.saveWindowKeys(mWindowKeys); !written)
            showMessage(written.message);
        return {true, 0};
    }
    case CommandLine::Mode::CopyView:
        // The view is still empty here, as in a window that has not charted yet.
        copyViewToClipboard();
        finish();
        return {true, 0};
    case CommandLine::Mode::Batch: {
        // Names are the user's, taken from where the program was started.
        const Status status = BatchConvert(*mCalc, mCommandLine.first, mCommandLine.second,
                                           mCommandLine.startFolder, Calculator::Output::Silent);
        if (!status)
            return stop(status);
        const int failedRuns = mRunner->failedRuns();
        finish();
        return {true, mRunner->failedRuns() != failedRuns ? 1 : 0};
    }
    default:
        return {};
    }
}

CommandLineRun::Result CommandLineRun::stop(const Status &status)
{
    showMessage(status.message);
    // Without a display the run ends here; on one, the window opens after the message.
    return mWindowAfterFailure ? Result{false, 0} : Result{true, 1};
}

void CommandLineRun::finish()
{
    // As after any start: the layout keys are written back (a message when they cannot be), and
    // the moment in the pickers is charted, so that "td.txt" and the clipboard follow the
    // settings.
    if (const Status written = mStore.saveWindowKeys(mWindowKeys); !written)
        showMessage(written.message);
    if (const Status status = mCalc->calculate(Calculator::Output::Show); !status)
        showMessage(status.message);
}

} // namespace orlam
