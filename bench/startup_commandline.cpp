// The command-line modes from start to end, without a display (Qt's offscreen platform):
// "orlam x" against a bare Qt GUI program that prints a line (bare_gui), run in turn; then the
// libraries that "orlam x", a batch and "orlam --hours" load, read from /proc as they end.
//
//   startup_commandline [PAIRS]
//
// PAIRS defaults to 21 (one pair more runs first to warm the caches). The programs are the ones
// beside this benchmark. Every run has a fresh settings file and work folder.
//
// Exit status: 0 within the target, 2 outside it, 1 when a measurement could not be made.

#include <fcntl.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double TargetRatio = 2.0;

[[noreturn]] void fail(const std::string &message)
{
    std::fprintf(stderr, "startup_commandline: FAILED: %s\n", message.c_str());
    std::exit(1);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

struct Run {
    double milliseconds = 0;
    int status = -1;
    std::string output;
};

class Folder {
public:
    Folder()
    {
        std::string pattern = (fs::temp_directory_path() / "orlam-cmdline-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            fail("cannot make a temporary folder");
        mPath = pattern;
        std::ofstream(mPath / "Orlam.ini", std::ios::binary) << "[orlam]\r\n";
        std::ofstream(mPath / "in.txt", std::ios::binary) << "a,b,6/15/2026,14:30,6,93W21,45N05\r\n";
        fs::create_directories(mPath / "data");
        fs::create_directories(mPath / "config");
    }
    ~Folder() { fs::remove_all(mPath); }
    const fs::path &path() const { return mPath; }

private:
    fs::path mPath;
};

// Runs `program` with `args` in a fresh folder, offscreen, standard output captured. With
// `libraries`, the shared objects the process has mapped just before it ends are put there.
Run runProgram(const std::string &program, const std::vector<std::string> &args,
               std::vector<std::string> *libraries = nullptr)
{
    Folder folder;
    int out[2];
    if (::pipe(out) != 0)
        fail("cannot make a pipe");
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const fs::path &dir = folder.path();
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("ORLAM_SETTINGS", (dir / "Orlam.ini").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        if (::chdir(dir.c_str()) != 0)
            ::_exit(127);
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        if (libraries)
            ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        std::vector<char *> argv{const_cast<char *>(program.c_str())};
        for (const std::string &arg : args)
            argv.push_back(const_cast<char *>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    int status = 0;
    if (libraries) {
        // Stopped at the exec, then at the exit, where its mappings are still there to read.
        ::waitpid(pid, &status, 0);
        ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACEEXIT);
        ::ptrace(PTRACE_CONT, pid, nullptr, nullptr);
        while (::waitpid(pid, &status, 0) == pid && WIFSTOPPED(status)) {
            if ((status >> 8) == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
                std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
                std::string line;
                while (std::getline(maps, line)) {
                    const std::size_t slash = line.find('/');
                    if (slash != std::string::npos && line.find(".so", slash) != std::string::npos) {
                        const std::string name = fs::path(line.substr(slash)).filename().string();
                        if (std::find(libraries->begin(), libraries->end(), name) == libraries->end())
                            libraries->push_back(name);
                    }
                }
            }
            const int signal = WSTOPSIG(status) == SIGTRAP ? 0 : WSTOPSIG(status);
            ::ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void *>(static_cast<long>(signal)));
        }
    }
    Run run;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(out[0], buffer, sizeof buffer)) > 0)
        run.output.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    if (!libraries)
        ::waitpid(pid, &status, 0);
    run.milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool loadsAny(const std::vector<std::string> &libraries, const std::vector<std::string> &prefixes)
{
    return std::any_of(libraries.begin(), libraries.end(), [&](const std::string &library) {
        return std::any_of(prefixes.begin(), prefixes.end(),
                           [&](const std::string &prefix) { return library.rfind(prefix, 0) == 0; });
    });
}

} // namespace

int main(int argc, char **argv)
{
    const int pairs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 21;
    const fs::path binDir = fs::canonical("/proc/self/exe").parent_path();
    const std::string orlam = (binDir / "orlam").string();
    const std::string bare = (binDir / "bare_gui").string();
    for (const std::string &program : {orlam, bare})
        if (::access(program.c_str(), X_OK) != 0)
            fail("no program " + program + " beside the benchmark");

    std::vector<double> orlamTimes, bareTimes;
    for (int i = -1; i < pairs; ++i) {
        Run o, b;
        if (i % 2 == 0) {
            o = runProgram(orlam, {"x"});
            b = runProgram(bare, {});
        } else {
            b = runProgram(bare, {});
            o = runProgram(orlam, {"x"});
        }
        if (o.status != 0 || o.output.find("e.v.") == std::string::npos)
            fail("\"orlam x\" ended with status " + std::to_string(o.status) + " and printed \"" + o.output +
                 "\", not a date");
        if (b.status != 0 || b.output.empty())
            fail("bare_gui ended with status " + std::to_string(b.status) + " without its line");
        if (i < 0)
            continue;
        orlamTimes.push_back(o.milliseconds);
        bareTimes.push_back(b.milliseconds);
    }

    // The libraries of the window (widgets, printing, sound, pictures) do no work in a mode that
    // shows none, but one program links them all, so they are loaded: shown, not a target.
    const std::vector<std::string> windowLibraries{"libQt6Widgets", "libQt6PrintSupport", "libQt6Multimedia",
                                                   "libQt6Svg"};
    const struct {
        const char *name;
        std::vector<std::string> args;
    } modes[] = {
        {"orlam x", {"x"}}, {"orlam in.txt out.txt", {"in.txt", "out.txt"}}, {"orlam --hours", {"--hours"}}};
    std::vector<std::string> modeLines;
    for (const auto &mode : modes) {
        std::vector<std::string> libraries;
        const Run run = runProgram(orlam, mode.args, &libraries);
        if (run.status != 0)
            fail(std::string(mode.name) + " ended with status " + std::to_string(run.status));
        if (libraries.empty())
            fail(std::string("could not read the libraries of ") + mode.name);
        const bool windowLibs = loadsAny(libraries, windowLibraries);
        const bool gui = loadsAny(libraries, {"libQt6Gui"});
        modeLines.push_back(std::string(mode.name) + ": " + std::to_string(libraries.size()) +
                            " shared objects; Qt GUI " + (gui ? "yes" : "no") + ", window libraries " +
                            (windowLibs ? "yes" : "no"));
    }

    const double orlamMedian = median(orlamTimes);
    const double bareMedian = median(bareTimes);
    const double ratio = orlamMedian / bareMedian;
    std::printf("offscreen, %d pairs in turn\n", pairs);
    std::printf("bare Qt GUI program printing a line  median %7.1f ms (min %.1f)\n", bareMedian,
                *std::min_element(bareTimes.begin(), bareTimes.end()));
    std::printf("\"orlam x\" end to end                 median %7.1f ms (min %.1f)\n", orlamMedian,
                *std::min_element(orlamTimes.begin(), orlamTimes.end()));
    for (const std::string &line : modeLines)
        std::printf("%s\n", line.c_str());
    const bool ok = ratio <= TargetRatio;
    std::printf("ratio %.2f (target <= %.2f): %s\n", ratio, TargetRatio,
                ok ? "within target" : "OUTSIDE TARGET");
    return ok ? 0 : 2;
}
