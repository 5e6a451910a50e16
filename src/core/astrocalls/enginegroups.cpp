#include "astrocalls/enginegroups.h"

#include <atomic>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace orlam {

namespace {

// The groups of the engines running now. A handler may read them at any moment, so they are
// lock-free atomics in a fixed table: at most a few engines run at once.
constexpr int Slots = 64;
std::atomic<pid_t> gGroups[Slots];

void endEngines(int signal)
{
    for (std::atomic<pid_t> &group : gGroups) {
        const pid_t id = group.load();
        if (id > 0)
            ::kill(-id, SIGKILL);
    }
    // Then end as the signal would have ended the program (exit status, core dump, shell).
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace

void runInOwnGroup(QProcess &process)
{
    process.setChildProcessModifier([] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
}

EngineGroup::EngineGroup(const QProcess &process) : mGroup(process.processId())
{
    if (mGroup <= 0)
        return;
    for (std::atomic<pid_t> &group : gGroups) {
        pid_t empty = 0;
        if (group.compare_exchange_strong(empty, pid_t(mGroup)))
            return;
    }
}

EngineGroup::~EngineGroup()
{
    if (mGroup <= 0)
        return;
    for (std::atomic<pid_t> &group : gGroups) {
        pid_t mine = pid_t(mGroup);
        if (group.compare_exchange_strong(mine, 0))
            return;
    }
}

void EngineGroup::kill()
{
    if (mGroup > 0)
        ::kill(-pid_t(mGroup), SIGKILL);
}

void endEnginesOnSignals()
{
    static_assert(std::atomic<pid_t>::is_always_lock_free);
    struct sigaction action {};
    action.sa_handler = endEngines;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction previous {};
        // A signal ignored by whoever started us (nohup) stays ignored.
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace orlam
