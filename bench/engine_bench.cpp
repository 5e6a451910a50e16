// Measures orlam-ephem the way the program uses it: a fresh process per job.
//   engine_bench [RUNS]
// Prints the median wall time of a chart job and of an empty C++ program (side by side,
// interleaved), the time of the four rise/set jobs of one minute's work, and the peak memory
// (maximum resident set) of each kind of job.
#include "benchsupport.h"

#include <string>
#include <vector>

using namespace orlam::bench;

namespace {

ProcessRun runProcess(const std::string &program, const std::vector<std::string> &args, const fs::path &dir)
{
    ProcessOptions options;
    options.folder = dir;
    return orlam::bench::runProcess(program, args, options);
}

void writeJob(const fs::path &path, const std::string &lines)
{
    std::ofstream out(path, std::ios::binary);
    out << "@0102  ; Astrolog chart info.\r\n" << lines;
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(20, std::atoi(argv[1])) : 41;
    const std::string engine = programBeside("orlam-ephem");
    const std::string empty = programBeside("engine_empty");
    const TempFolder folder("orlam-engine-bench");
    const fs::path &dir = folder.path();
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

    // Warm the page cache so that the first runs do not measure the disk.
    runProcess(engine, {"-i", "chart.job"}, dir);
    runProcess(empty, {}, dir);

    std::vector<double> chartTimes;
    std::vector<double> emptyTimes;
    std::vector<double> riseSetTimes;
    long chartPeak = 0;
    long riseSetPeak = 0;
    long emptyPeak = 0;
    for (int i = 0; i < runs; ++i) {
        const ProcessRun e = runProcess(empty, {}, dir);
        const ProcessRun c = runProcess(engine, {"-i", "chart.job"}, dir);
        if (c.status != 0)
            fail("chart job failed with status " + std::to_string(c.status));
        emptyTimes.push_back(e.milliseconds);
        chartTimes.push_back(c.milliseconds);
        emptyPeak = std::max(emptyPeak, e.maxResidentKiB);
        chartPeak = std::max(chartPeak, c.maxResidentKiB);
        double four = 0;
        for (int j = 0; j < 4; ++j) {
            const ProcessRun r = runProcess(engine, {"-i", "riseset" + std::to_string(j) + ".job"}, dir);
            if (r.status != 0)
                fail("rise/set job failed with status " + std::to_string(r.status));
            four += r.milliseconds;
            riseSetPeak = std::max(riseSetPeak, r.maxResidentKiB);
        }
        riseSetTimes.push_back(four);
    }
    long otherPeak = 0;
    std::vector<std::pair<std::string, double>> others;
    for (const char *job : {"wheel.job", "aspects.job", "year.job"}) {
        std::vector<double> times;
        for (int i = 0; i < 5; ++i) {
            const ProcessRun r = runProcess(engine, {"-i", job}, dir);
            times.push_back(r.milliseconds);
            otherPeak = std::max(otherPeak, r.maxResidentKiB);
        }
        others.emplace_back(job, median(times));
    }

    const double chart = median(chartTimes);
    const double baseline = median(emptyTimes);
    const double riseSet = median(riseSetTimes);
    std::printf("runs: %d each, interleaved\n", runs);
    std::printf("empty C++ program      median %7.3f ms\n", baseline);
    std::printf("chart job              median %7.3f ms   ratio %.2f (target <= 1.30)\n", chart,
                chart / baseline);
    std::printf("four rise/set jobs     median %7.3f ms   (target < 10 ms)\n", riseSet);
    for (const auto &[job, ms] : others)
        std::printf("%-22s median %7.3f ms\n", job.c_str(), ms);
    std::printf("peak memory (max RSS): empty %ld KiB, chart %ld KiB, rise/set %ld KiB, others %ld KiB "
                "(target < 10240 KiB)\n",
                emptyPeak, chartPeak, riseSetPeak, otherPeak);
    const bool ok =
        chart <= 1.3 * baseline && riseSet < 10.0 && std::max({chartPeak, riseSetPeak, otherPeak}) < 10240;
    std::printf("%s\n", ok ? "within targets" : "OUTSIDE TARGETS");
    return ok ? 0 : 2;
}
