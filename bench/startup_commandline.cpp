// The command-line modes from start to end, without a display (Qt's offscreen platform):
// "orlam x" against a bare Qt GUI program that prints a line (bare_gui), run in turn; then the
// libraries that each mode loads, read from /proc as it ends. The modes without a window must
// load no GUI library at all: one that does fails the benchmark.
//
//   startup_commandline [PAIRS]
//
// PAIRS defaults to 21 (one pair more runs first to warm the caches). The programs are the ones
// beside this benchmark. Every run has a fresh settings file and work folder.
//
// Exit status: 0 within the target, 2 outside it, 1 when a measurement could not be made or a
// mode without a window loaded a GUI library.

#include "processbench.h"

#include <string>
#include <vector>

using namespace orlam::procbench;

namespace {

constexpr double TargetRatio = 2.0;

// Runs `program` with `args` in a fresh folder, offscreen, standard output captured.
ProcessRun runOffscreen(const std::string &program, const std::vector<std::string> &args,
                        bool traceLibraries = false)
{
    TempFolder folder("orlam-cmdline");
    const fs::path &dir = folder.path();
    writeFile(dir / "Orlam.ini", "[orlam]\r\n");
    writeFile(dir / "in.txt", "a,b,6/15/2026,14:30,6,93W21,45N05\r\n");
    fs::create_directories(dir / "data");
    fs::create_directories(dir / "config");
    ProcessOptions options;
    options.folder = dir;
    options.captureOutput = true;
    options.traceLibraries = traceLibraries;
    options.inChild = [&dir] {
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("ORLAM_SETTINGS", (dir / "Orlam.ini").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    };
    return runProcess(program, args, options);
}

std::vector<std::string> loaded(const std::vector<std::string> &libraries,
                                const std::vector<std::string> &prefixes)
{
    std::vector<std::string> found;
    for (const std::string &library : libraries)
        for (const std::string &prefix : prefixes)
            if (library.rfind(prefix, 0) == 0)
                found.push_back(library);
    return found;
}

std::string joined(const std::vector<std::string> &names)
{
    std::string text;
    for (const std::string &name : names)
        text += (text.empty() ? "" : " ") + name;
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    const int pairs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 21;
    const std::string orlam = programBeside("orlam");
    const std::string bare = programBeside("bare_gui");

    std::vector<double> orlamTimes, bareTimes;
    for (int i = -1; i < pairs; ++i) {
        ProcessRun o, b;
        if (i % 2 == 0) {
            o = runOffscreen(orlam, {"x"});
            b = runOffscreen(bare, {});
        } else {
            b = runOffscreen(bare, {});
            o = runOffscreen(orlam, {"x"});
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

    const std::vector<std::string> guiLibraries{"libQt6Gui",        "libQt6Widgets", "libQt6PrintSupport",
                                                "libQt6Multimedia", "libQt6Svg",     "libQt6DBus"};
    const struct {
        const char *name;
        std::vector<std::string> args;
        bool windowFree;
    } modes[] = {{"orlam x", {"x"}, false},
                 {"orlam in.txt out.txt", {"in.txt", "out.txt"}, true},
                 {"orlam --hours", {"--hours"}, true},
                 {"orlam --next-hour Venus", {"--next-hour", "Venus"}, true},
                 {"orlam --ics", {"--ics", "2026-06-15", "2026-06-16", "out.ics"}, true},
                 {"orlam --version", {"--version"}, true},
                 {"orlam --help", {"--help"}, true}};
    std::vector<std::string> modeLines;
    for (const auto &mode : modes) {
        const ProcessRun run = runOffscreen(orlam, mode.args, true);
        if (run.status != 0)
            fail(std::string(mode.name) + " ended with status " + std::to_string(run.status));
        if (run.libraries.empty())
            fail(std::string("could not read the libraries of ") + mode.name);
        const std::vector<std::string> gui = loaded(run.libraries, guiLibraries);
        if (mode.windowFree && !gui.empty())
            fail(std::string(mode.name) + " shows no window but loaded " + joined(gui));
        modeLines.push_back(std::string(mode.name) + ": " + std::to_string(run.libraries.size()) +
                            " shared objects; GUI libraries: " + (gui.empty() ? "none" : joined(gui)));
    }

    const double orlamMedian = median(orlamTimes);
    const double bareMedian = median(bareTimes);
    const double ratio = orlamMedian / bareMedian;
    std::printf("offscreen, %d pairs in turn\n", pairs);
    std::printf("bare Qt GUI program printing a line  median %7.1f ms (min %.1f)\n", bareMedian,
                minimum(bareTimes));
    std::printf("\"orlam x\" end to end                 median %7.1f ms (min %.1f)\n", orlamMedian,
                minimum(orlamTimes));
    for (const std::string &line : modeLines)
        std::printf("%s\n", line.c_str());
    std::printf("ratio %.2f (target <= %.2f): ", ratio, TargetRatio);
    return verdict(ratio <= TargetRatio);
}
