#pragma once

// What the benchmarks that start programs share: failing loudly, medians, the programs beside the
// benchmark, starting a program in a folder of its own and timing it, and an X display and
// session bus of their own. Plain C++ and POSIX (benchsupport.h is the Qt one), so that it costs
// the measurements nothing.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace orlam::procbench {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The benchmark's own name, for its messages.
inline std::string benchName()
{
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string("benchmark") : self.filename().string();
}

// A measurement that did not happen: "NAME: FAILED: why" on standard error, exit status 1.
[[noreturn]] inline void fail(const std::string &message)
{
    std::fprintf(stderr, "%s: FAILED: %s\n", benchName().c_str(), message.c_str());
    std::exit(1);
}

// The last line of a benchmark with a target, and its exit status: 0 within, 2 outside.
inline int verdict(bool within)
{
    std::printf("%s\n", within ? "within target" : "OUTSIDE TARGET");
    return within ? 0 : 2;
}

inline double median(std::vector<double> values)
{
    if (values.empty())
        fail("no measurement to take the median of");
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

inline double minimum(const std::vector<double> &values)
{
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

// A program built beside the benchmark; fails when it is not there.
inline std::string programBeside(const std::string &name)
{
    const fs::path path = fs::canonical("/proc/self/exe").parent_path() / name;
    if (::access(path.c_str(), X_OK) != 0)
        fail("no program " + path.string() + " beside the benchmark");
    return path.string();
}

// A temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    explicit TempFolder(const std::string &prefix)
    {
        std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (!::mkdtemp(pattern.data()))
            fail("cannot make a temporary folder");
        mPath = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        fs::remove_all(mPath, ignored);
    }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    const fs::path &path() const { return mPath; }

private:
    fs::path mPath;
};

inline void writeFile(const fs::path &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    if (!out)
        fail("cannot write " + path.string());
}

struct ProcessOptions {
    fs::path folder;               // the current folder of the program (empty: ours)
    std::function<void()> inChild; // run in the child before the program starts (environment)
    bool captureOutput = false;    // standard output into ProcessRun::output
    bool discardOutput = false;    // standard output to /dev/null
    bool traceLibraries = false;   // the shared objects mapped as it ends into ::libraries
};

struct ProcessRun {
    double milliseconds = 0;
    long maxResidentKiB = 0;
    int status = -1; // the exit status, -1 when it did not end normally
    std::string output;
    std::vector<std::string> libraries;
};

// Starts `program` with `args`; the child's end of an output pipe is `outputFd` (-1: none).
inline pid_t startProcess(const std::string &program, const std::vector<std::string> &args,
                          const ProcessOptions &options, int outputFd = -1, int closeFd = -1)
{
    const pid_t pid = ::fork();
    if (pid < 0)
        fail("cannot start " + program);
    if (pid == 0) {
        if (options.inChild)
            options.inChild();
        if (!options.folder.empty() && ::chdir(options.folder.c_str()) != 0)
            ::_exit(127);
        if (outputFd >= 0) {
            ::dup2(outputFd, STDOUT_FILENO);
            ::close(outputFd);
        } else if (options.discardOutput) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDOUT_FILENO);
        }
        if (closeFd >= 0)
            ::close(closeFd);
        if (options.traceLibraries)
            ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        std::vector<char *> argv{const_cast<char *>(program.c_str())};
        for (const std::string &arg : args)
            argv.push_back(const_cast<char *>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    return pid;
}

// The shared objects a traced process has mapped, by file name.
inline void readLibraries(pid_t pid, std::vector<std::string> *libraries)
{
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::string line;
    while (std::getline(maps, line)) {
        const std::size_t slash = line.find('/');
        if (slash == std::string::npos || line.find(".so", slash) == std::string::npos)
            continue;
        const std::string name = fs::path(line.substr(slash)).filename().string();
        if (std::find(libraries->begin(), libraries->end(), name) == libraries->end())
            libraries->push_back(name);
    }
}

// Runs `program` to its end and times it from start to end.
inline ProcessRun runProcess(const std::string &program, const std::vector<std::string> &args,
                             const ProcessOptions &options = {})
{
    int out[2] = {-1, -1};
    if (options.captureOutput && ::pipe(out) != 0)
        fail("cannot make a pipe");
    const auto start = Clock::now();
    const pid_t pid = startProcess(program, args, options, out[1], out[0]);
    ProcessRun run;
    if (out[1] >= 0)
        ::close(out[1]);
    int status = 0;
    struct rusage usage {};
    if (options.traceLibraries) {
        // Stopped at the exec, then at the exit, where its mappings are still there to read.
        ::waitpid(pid, &status, 0);
        ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACEEXIT);
        ::ptrace(PTRACE_CONT, pid, nullptr, nullptr);
        while (::waitpid(pid, &status, 0) == pid && WIFSTOPPED(status)) {
            if ((status >> 8) == (SIGTRAP | (PTRACE_EVENT_EXIT << 8)))
                readLibraries(pid, &run.libraries);
            const int signal = WSTOPSIG(status) == SIGTRAP ? 0 : WSTOPSIG(status);
            ::ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void *>(static_cast<long>(signal)));
        }
    }
    if (out[0] >= 0) {
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::read(out[0], buffer, sizeof buffer)) > 0)
            run.output.append(buffer, static_cast<std::size_t>(n));
        ::close(out[0]);
    }
    if (!options.traceLibraries)
        ::wait4(pid, &status, 0, &usage);
    run.milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    run.maxResidentKiB = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// A helper process of the benchmark's own that prints one line when it is ready (Xvfb's display
// number, dbus-daemon's address) and is ended with the benchmark.
class ReadyProcess {
public:
    // `argv` gets the descriptor to print on as its last argument's suffix: "--print-address=" or
    // "" followed by the number.
    ReadyProcess(const std::vector<std::string> &argv, const std::string &fdPrefix, const std::string &what)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            fail("cannot make a pipe for " + what);
        mPid = ::fork();
        if (mPid == 0) {
            // Ended with the benchmark however it ends, a failed measurement included.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            ::close(fds[0]);
            std::vector<std::string> args = argv;
            args.push_back(fdPrefix + std::to_string(fds[1]));
            std::vector<char *> raw;
            for (std::string &arg : args)
                raw.push_back(arg.data());
            raw.push_back(nullptr);
            ::execvp(raw[0], raw.data());
            ::_exit(127);
        }
        ::close(fds[1]);
        pollfd pfd{fds[0], POLLIN, 0};
        char c = 0;
        while (::poll(&pfd, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            mLine += c;
        ::close(fds[0]);
        if (mLine.empty())
            fail(what + " could not be started (is it installed?)");
    }
    ~ReadyProcess()
    {
        ::kill(mPid, SIGTERM);
        ::waitpid(mPid, nullptr, 0);
    }
    ReadyProcess(const ReadyProcess &) = delete;
    ReadyProcess &operator=(const ReadyProcess &) = delete;
    const std::string &line() const { return mLine; }

private:
    pid_t mPid = -1;
    std::string mLine;
};

// An Xvfb of the benchmark's own, for a machine without a display.
class OwnXServer {
public:
    OwnXServer()
        : mProcess({"Xvfb", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-displayfd"}, "",
                   "no DISPLAY, and Xvfb")
    {
    }
    std::string display() const { return ":" + mProcess.line(); }

private:
    ReadyProcess mProcess;
};

// A session bus of the benchmark's own, as a desktop session has one.
class OwnSessionBus {
public:
    OwnSessionBus()
        : mProcess({"dbus-daemon", "--session", "--nofork"},
                   "--print-address=", "no DBUS_SESSION_BUS_ADDRESS, and dbus-daemon")
    {
    }
    const std::string &address() const { return mProcess.line(); }

private:
    ReadyProcess mProcess;
};

} // namespace orlam::procbench
