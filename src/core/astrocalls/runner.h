#pragma once

#include "common/messagesink.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QProcess;

namespace orlam {
class EngineGroup;
}

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

    // The same run without waiting: starts the engine and returns. `done` is called with what
    // happened, the messages shown as RunAstrolog shows them, from the event loop when the
    // engine ends, fails to start or runs out of time - or from finishRun(). Only one run is
    // started at a time: a run still going is stopped first (as by stopRun()). A started run, like
    // RunAstrolog's, needs the event loop (or finishRun()) to end.
    void startAstrolog(std::function<void(Outcome)> done);
    // Whether a run started by startAstrolog has not ended yet.
    bool running() const { return mRun != nullptr; }
    // Waits for the started run to end (within what is left of its time limit) and calls its
    // `done` before returning. Nothing to do when no run is going.
    void finishRun();
    // Ends the started run at once: SIGKILL to the engine's process group, the process reaped,
    // `done` never called and nothing shown. Nothing to do when no run is going.
    void stopRun();

    ~AstrologRunner();
    AstrologRunner(const AstrologRunner &) = delete;
    AstrologRunner &operator=(const AstrologRunner &) = delete;
    int lastExitCode() const { return mLastExitCode; }

    // Runs that did not end in Finished, counted over the runner's life: a caller that must
    // stop after a failed run compares the count before and after its work.
    int failedRuns() const { return mFailedRuns; }
    // What went wrong in the last failed run, in one line: the message (also when the sink was
    // spared a repeat of it), then the engine's own explanation when it gave one.
    const QString &lastFailure() const { return mLastFailure; }

private:
    struct Run;

    Outcome fail(Outcome outcome, const QString &message, bool show = true);
    void prepare(QProcess &process) const;
    Outcome notStarted(QProcess &process);
    Outcome conclude(QProcess &process, EngineGroup &group, bool finished, QByteArray &tail);
    void endRun(bool finished);

    MessageSink *mSink;
    QString mProgram;
    QString mFolder;
    int mTimeoutMs = DefaultTimeoutMs;
    int mLastExitCode = 0;
    int mFailedRuns = 0;
    QString mLastFailure;
    QString mEngineErrors;
    bool mStartFailureShown = false;
    std::unique_ptr<Run> mRun;
};

} // namespace orlam
