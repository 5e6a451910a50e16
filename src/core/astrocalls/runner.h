#pragma once

#include "common/messagesink.h"

#include <QString>
#include <QStringList>

namespace orlam {

// Runs the ephemeris engine on the job file "input.txt" of the current directory: the program
// with the arguments "-i input.txt", the caller's environment and working directory, no
// window, waiting until it ends. Messages go to the sink:
//  - exit code N != 0: "Astrolog return code N" (the caller then reads the report anyway);
//  - the program cannot be started: one message naming it, once per runner (not at every
//    clock tick) - see cannotStartMessage();
//  - it runs longer than the time limit: it is killed and "Error executing Astrolog" is shown;
//  - any other failure while running: "Error executing Astrolog".
class AstrologRunner {
public:
    enum class Outcome { Finished, NonZeroExit, NotStarted, TimedOut, Failed };

    AstrologRunner(MessageSink &sink, QString program);

    // The program to run: `configured` (the "Astrolog" key; a path or a name on PATH) when not
    // empty, else "orlam-ephem" beside the running executable, else "orlam-ephem" on PATH.
    static QString resolveProgram(const QString &configured);
    static QString cannotStartMessage(const QString &program);

    const QString &program() const { return mProgram; }
    // A different program gets its own cannot-start message.
    void setProgram(const QString &program);
    // Time limit of one run in milliseconds (60000 by default); 0 or less waits without limit.
    void setTimeoutMs(int ms) { mTimeoutMs = ms; }
    int timeoutMs() const { return mTimeoutMs; }

    // RunAstrolog. Returns what happened; the messages have been shown by then.
    Outcome RunAstrolog();
    int lastExitCode() const { return mLastExitCode; }

private:
    MessageSink &mSink;
    QString mProgram;
    int mTimeoutMs = 60000;
    int mLastExitCode = 0;
    bool mStartFailureShown = false;
};

} // namespace orlam
