#include "astrocalls/enginegroups.h"

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace orlam {

namespace {

// The groups of the engines running now. A handler may read them at any moment, so they are
// lock-free atomics in a fixed table: at most a few engines run at once.
constexpr int Slots = 64;
std::atomic<pid_t> gGroups[Slots];

// The groups led by a child of the main thread (engines are started from it), read from
// /proc with calls a signal handler may make: this covers an engine that has started but is
// not in the table yet.
void endChildGroups()
{
    char path[64] = "/proc/self/task/";
    char number[16];
    int digits = 0;
    for (pid_t id = ::getpid(); id > 0; id /= 10)
        number[digits++] = char('0' + id % 10);
    int at = 16;
    for (int i = digits - 1; i >= 0; --i)
        path[at++] = number[i];
    for (const char c : "/children")
        path[at++] = c;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    char buffer[4096];
    const ssize_t size = ::read(fd, buffer, sizeof buffer - 1);
    ::close(fd);
    pid_t child = 0;
    for (ssize_t i = 0; i <= size; ++i) {
        const char c = i < size ? buffer[i] : ' ';
        if (c >= '0' && c <= '9') {
            child = child * 10 + (c - '0');
            continue;
        }
        // Only a child that leads a group of its own (an engine) is reached this way.
        if (child > 0)
            ::kill(-child, SIGKILL);
        child = 0;
    }
}

void endEngines(int signal)
{
    for (std::atomic<pid_t> &group : gGroups) {
        const pid_t id = group.load();
        if (id > 0)
            ::kill(-id, SIGKILL);
    }
    endChildGroups();
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
