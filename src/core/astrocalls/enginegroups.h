#pragma once

#include <QProcess>

namespace orlam {

// Every engine runs in a process group of its own, so that it can be ended together with every
// process it started: when it runs too long, when the program is ended by a signal it can catch
// (TERM, INT, HUP), and - for the engine itself - when the program dies.

// Makes `process`, not yet started, the leader of a group of its own that gets SIGKILL when
// this program dies.
void runInOwnGroup(QProcess &process);

// A started engine's group, known to the signal handlers while this object lives.
class EngineGroup {
public:
    explicit EngineGroup(const QProcess &process);
    ~EngineGroup();
    EngineGroup(const EngineGroup &) = delete;
    EngineGroup &operator=(const EngineGroup &) = delete;

    // SIGKILL to the whole group (the engine has not been reaped yet, so its id still names it).
    void kill();

private:
    qint64 mGroup = 0;
};

// Installs handlers for TERM, INT and HUP that end every engine group, then end the program by
// the same signal as before. Call once, early.
void endEnginesOnSignals();

} // namespace orlam
