#pragma once

// Runs a piece of a test in a child process: as an ordinary user, since root passes every
// permission check and the tests may run as root; and with a time limit, for code that could
// block for good (a read from a pipe nobody writes).

#include <functional>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orlam::test {

// The user the child runs as: the test's own, or "nobody" when that is root.
inline uid_t ordinaryUser()
{
    return ::geteuid() == 0 ? uid_t(65534) : ::geteuid();
}

// `work`'s result (0..255) as the child's exit status; -1 when the child did not end by itself
// within `seconds` or could not become the ordinary user.
inline int inChild(const std::function<int()> &work, unsigned seconds = 10, bool asOrdinaryUser = false)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(seconds);
        if (asOrdinaryUser && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(255);
        ::_exit(work());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

inline int asOrdinaryUser(const std::function<int()> &work)
{
    return inChild(work, 10, true);
}

} // namespace orlam::test
