#pragma once

#include "common/messagesink.h"

#include <QString>
#include <QStringList>

namespace orlam {

// Runs the ephemeris engine on the job file "input.txt" of its work folder: the program with
// the arguments "-i input.txt", the caller's environment, the work folder as its working
// directory (its reports land there), no window, waiting until it ends. Messages go to the sink:
//  - exit code N != 0: "Astrolog return code N" (the caller then reads the report anyway);
//  - the program cannot be started: one message naming it, once per runner (not at every
//    clock tick) - see cannotStartMessage();
//  - it runs longer than the time limit: it is killed, together with every process it started
//    (the engine runs in a process group of its own), and "Error executing Astrolog" is shown;
//  - any other failure while running: "Error executing Astrolog".
// What the engine writes on standard error is passed on to the program's standard error and
// kept for lastFailure().
class AstrologRunner {
public:
    enum class Outcome { Finished, NonZeroExit, NotStarted, TimedOut, Failed };

    // `folder` is the work folder the engine runs in, an existing folder; a relative one is
    // made absolute at once, so a later change of the process's current folder does not move it.
    AstrologRunner(MessageSink &sink, QString program, const QString &folder);

    // The program to run: `configured` (the "Astrolog" key; a path or a name on PATH) when not
    // empty, else "orlam-ephem" beside the running executable, else "orlam-ephem" on PATH.
    static QString resolveProgram(const QString &configured);
    static QString cannotStartMessage(const QString &program);

    const QString &program() const { return mProgram; }
    // The absolute work folder: the job file is read and the reports are written there.
    const QString &folder() const { return mFolder; }
    // `name` in the work folder ("chart.txt" -> "/home/u/.local/share/Orlam/chart.txt").
    QString filePath(const QString &name) const;
    // A different program gets its own cannot-start message.
    void setProgram(const QString &program);
    // Where the messages go from now on; returns the sink used so far.
    MessageSink &setSink(MessageSink &sink);

    // Time limit of one run in milliseconds (DefaultTimeoutMs by default); 0 or less waits
    // without limit. The longest job (a year's calendar) takes about a second.
    static constexpr int DefaultTimeoutMs = 20000;
    void setTimeoutMs(int ms) { mTimeoutMs = ms; }
    int timeoutMs() const { return mTimeoutMs; }

    // RunAstrolog. Returns what happened; the messages have been shown by then.
    Outcome RunAstrolog();
    int lastExitCode() const { return mLastExitCode; }

    // Runs that did not end in Finished, counted over the runner's life: a caller that must
    // stop after a failed run compares the count before and after its work.
    int failedRuns() const { return mFailedRuns; }
    // What went wrong in the last failed run, in one line: the message (also when the sink was
    // spared a repeat of it), then the engine's own explanation when it gave one.
    const QString &lastFailure() const { return mLastFailure; }

private:
    Outcome fail(Outcome outcome, const QString &message, bool show = true);

    MessageSink *mSink;
    QString mProgram;
    QString mFolder;
    int mTimeoutMs = DefaultTimeoutMs;
    int mLastExitCode = 0;
    int mFailedRuns = 0;
    QString mLastFailure;
    QString mEngineErrors;
    bool mStartFailureShown = false;
};

} // namespace orlam
