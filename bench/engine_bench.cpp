// Measures orlam-ephem the way the program uses it: a fresh process per job.
//   engine_bench [RUNS]
// Prints the median wall time of a chart job and of an empty C++ program, started in turn, and
// the median of the pairs' ratios (target at most 1.3); the time of the four rise/set jobs of one
// minute's work (target under 10 ms); the wheel, aspects and year jobs; and the peak memory
// (maximum resident set) of each kind of job (target under 10 MiB). For information it also
// times an empty program linked statically, as the build tree's engine is, and the chart job
// replacing a report already on the disk, as in the program's rhythm, where the last report has
// long been written back (the timed chart jobs replace one written a moment before, still in
// memory). Exits 0 within the targets, 2 outside them ("OUTSIDE TARGET"), 1 when a measurement
// did not happen ("FAILED").
#include "processbench.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr double chartRatioTarget = 1.3;
constexpr double riseSetTargetMs = 10.0;
constexpr long peakTargetKib = 10 * 1024;

struct Run {
    double milliseconds = 0;
    long maxResidentKb = 0;
    int status = -1;
};

fs::path workDir; // removed on the way out, also after a failure

[[noreturn]] void fail(const std::string &why)
{
    std::fprintf(stderr, "engine_bench: FAILED: %s\n", why.c_str());
    if (!workDir.empty()) {
        std::error_code ignored;
        fs::remove_all(workDir, ignored);
    }
    std::exit(1);
}

using orlam::procbench::median;

Run runProcess(const std::string &program, const std::vector<std::string> &args, const fs::path &dir)
{
    orlam::procbench::ProcessOptions options;
    options.folder = dir;
    const orlam::procbench::ProcessRun done = orlam::procbench::runProcess(program, args, options);
    return {done.milliseconds, done.maxResidentKiB, done.status};
}

// A run that did not succeed is no measurement.
Run runOrFail(const std::string &program, const std::vector<std::string> &args, const fs::path &dir)
{
    const Run run = runProcess(program, args, dir);
    if (run.status != 0) {
        std::string what = fs::path(program).filename().string();
        for (const std::string &arg : args)
            what += " " + arg;
        fail(what + " ended with status " + std::to_string(run.status));
    }
    return run;
}

void writeJob(const fs::path &path, const std::string &lines)
{
    std::ofstream out(path, std::ios::binary);
    out << "@0102  ; Astrolog chart info.\r\n" << lines;
    if (!out)
        fail("cannot write " + path.string());
}

void requireProgram(const std::string &path)
{
    if (::access(path.c_str(), X_OK) != 0)
        fail(path + " is missing (build it first)");
}

// Runs a job once with its reports removed beforehand, so that they are known to come from it.
void checkJobWrites(const std::string &engine, const std::string &job,
                    const std::vector<std::string> &reports, const fs::path &dir)
{
    for (const std::string &report : reports)
        fs::remove(dir / report);
    runOrFail(engine, {"-i", job}, dir);
    for (const std::string &report : reports) {
        std::error_code error;
        if (fs::file_size(dir / report, error) == 0 || error)
            fail(job + " left no report " + report);
    }
}

// Writes `path` out and waits for it, as the kernel's write-back does for a file some thirty
// seconds old, so that the next job replaces a report that takes up blocks on the disk.
void writeBack(const fs::path &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fdatasync(fd) != 0)
        fail("cannot write " + path.string() + " out");
    ::close(fd);
}

std::string loadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return in ? one + " " + five + " " + fifteen : std::string("unknown");
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(20, std::atoi(argv[1])) : 41;
    const fs::path binDir = fs::canonical("/proc/self/exe").parent_path();
    const std::string engine = (binDir / "orlam-ephem").string();
    const std::string empty = (binDir / "engine_empty").string();
    const std::string emptyStatic = (binDir / "engine_empty_static").string();
    requireProgram(engine);
    requireProgram(empty);
    // Built only beside a statically linked engine.
    const bool haveStatic = ::access(emptyStatic.c_str(), X_OK) == 0;
    std::string pattern = (fs::temp_directory_path() / "orlam-engine-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        fail("cannot make a temporary folder");
    const fs::path dir = pattern;
    workDir = dir;
    const std::string restrict = "/R Chir\r\n/R Cere\r\n/R Pall\r\n/R Juno\r\n/R Vest\r\n/R Lili\r\n";
    writeJob(dir / "chart.job",
             "/qb 6 15 2026 14:30PM ST 6 93W21 45N05\r\n/os chart.txt\r\n\r\n" + restrict + "/c 0\r\n");
    const char *riseSetNames[] = {"risesety.txt", "riseset.txt", "risesetn.txt", "risesetn2.txt"};
    for (int i = 0; i < 4; ++i) {
        writeJob(dir / ("riseset" + std::to_string(i) + ".job"),
                 "/qb 6 " + std::to_string(14 + i) + " 2026 14:30PM ST 6 93W21 45N05\r\n/os " +
                     riseSetNames[i] + "\r\n" + restrict + "/Zd\r\n\r\n");
    }
    writeJob(dir / "wheel.job", "/qb 6 15 2026 14:30PM ST 6 93W21 45N05\r\n/os wheel.txt\r\n\r\n" + restrict +
                                    "/XM0\r\n/Xr\r\n/Xm\r\n/Xo chart.wmf\r\n/c 0\r\n/w 10\r\n");
    writeJob(
        dir / "aspects.job",
        "/qb 6 15 2026 14:30PM ST 6 93W21 45N05\r\n/os aspects.txt\r\n\r\n/c 0\r\n/a0\r\n/g0\r\n/j0\r\n" +
            restrict + "/Z\r\n");
    writeJob(dir / "year.job", "/qb 6 15 2026 14:30PM ST 6 93W21 45N05\r\n/os calasp.txt\r\n\r\n/R0 sun "
                               "moo\r\n/A opp\r\n/dy\r\n/c 0\r\n");

    // Every job once, proving it writes its reports; this also warms the page cache, so that the
    // first timed runs do not measure the disk.
    checkJobWrites(engine, "chart.job", {"chart.txt"}, dir);
    for (int i = 0; i < 4; ++i)
        checkJobWrites(engine, "riseset" + std::to_string(i) + ".job", {riseSetNames[i]}, dir);
    checkJobWrites(engine, "wheel.job", {"wheel.txt", "chart.wmf"}, dir);
    checkJobWrites(engine, "aspects.job", {"aspects.txt"}, dir);
    checkJobWrites(engine, "year.job", {"calasp.txt"}, dir);
    runOrFail(empty, {}, dir);
    if (haveStatic)
        runOrFail(emptyStatic, {}, dir);

    std::vector<double> chartTimes;
    std::vector<double> emptyTimes;
    std::vector<double> staticTimes;
    std::vector<double> pairRatios;
    std::vector<double> staticRatios;
    std::vector<double> riseSetTimes;
    std::vector<double> onDiskTimes;
    std::vector<double> onDiskRatios;
    long chartPeak = 0;
    long riseSetPeak = 0;
    long emptyPeak = 0;
    for (int i = 0; i < runs; ++i) {
        const Run e = runOrFail(empty, {}, dir);
        const Run c = runOrFail(engine, {"-i", "chart.job"}, dir);
        emptyTimes.push_back(e.milliseconds);
        chartTimes.push_back(c.milliseconds);
        pairRatios.push_back(c.milliseconds / e.milliseconds);
        if (haveStatic) {
            const Run s = runOrFail(emptyStatic, {}, dir);
            staticTimes.push_back(s.milliseconds);
            staticRatios.push_back(c.milliseconds / s.milliseconds);
        }
        writeBack(dir / "chart.txt");
        const Run d = runOrFail(engine, {"-i", "chart.job"}, dir);
        onDiskTimes.push_back(d.milliseconds);
        onDiskRatios.push_back(d.milliseconds / e.milliseconds);
        emptyPeak = std::max(emptyPeak, e.maxResidentKb);
        chartPeak = std::max(chartPeak, c.maxResidentKb);
        double four = 0;
        for (int j = 0; j < 4; ++j) {
            const Run r = runOrFail(engine, {"-i", "riseset" + std::to_string(j) + ".job"}, dir);
            four += r.milliseconds;
            riseSetPeak = std::max(riseSetPeak, r.maxResidentKb);
        }
        riseSetTimes.push_back(four);
    }
    long otherPeak = 0;
    std::vector<std::pair<std::string, double>> others;
    for (const char *job : {"wheel.job", "aspects.job", "year.job"}) {
        std::vector<double> times;
        for (int i = 0; i < 5; ++i) {
            const Run r = runOrFail(engine, {"-i", job}, dir);
            times.push_back(r.milliseconds);
            otherPeak = std::max(otherPeak, r.maxResidentKb);
        }
        others.emplace_back(job, median(times));
    }
    fs::remove_all(dir);

    const double ratio = median(pairRatios);
    const double riseSet = median(riseSetTimes);
    const long peak = std::max({chartPeak, riseSetPeak, otherPeak});
    std::printf("runs: %d each, interleaved; load average %s\n", runs, loadAverage().c_str());
    std::printf("empty C++ program      median %7.3f ms\n", median(emptyTimes));
    std::printf("chart job              median %7.3f ms   ratio %.2f, median of pairs (target <= %.2f)\n",
                median(chartTimes), ratio, chartRatioTarget);
    if (haveStatic)
        std::printf("empty program, static  median %7.3f ms   chart ratio to it %.2f (for information)\n",
                    median(staticTimes), median(staticRatios));
    std::printf(
        "chart, report on disk  median %7.3f ms   ratio %.2f to the same empty runs (for information)\n",
        median(onDiskTimes), median(onDiskRatios));
    std::printf("four rise/set jobs     median %7.3f ms   (target < %.0f ms)\n", riseSet, riseSetTargetMs);
    for (const auto &[job, ms] : others)
        std::printf("%-22s median %7.3f ms\n", job.c_str(), ms);
    std::printf("peak memory (max RSS): empty %ld KiB, chart %ld KiB, rise/set %ld KiB, others %ld KiB "
                "(target < %ld KiB)\n",
                emptyPeak, chartPeak, riseSetPeak, otherPeak, peakTargetKib);

    std::string outside;
    if (ratio > chartRatioTarget)
        outside += " chart ratio";
    if (riseSet >= riseSetTargetMs)
        outside += " rise/set time";
    if (peak >= peakTargetKib)
        outside += " peak memory";
    if (!outside.empty()) {
        std::printf("OUTSIDE TARGET:%s\n", outside.c_str());
        return 2;
    }
    std::printf("within targets\n");
    return 0;
}
