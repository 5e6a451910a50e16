// Runs the built engine as the program runs it: a job file in a directory of its own, the
// reports read back from that directory.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace orlam {
namespace {

namespace fs = std::filesystem;

const std::string engine = ORLAM_BIN_DIR "/orlam-ephem";
const std::string data = ORLAM_TEST_DATA "/engine";

std::string readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

class EngineProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "orlam-engine-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        mDir = pattern;
        std::string outside = (fs::temp_directory_path() / "orlam-engine-out-XXXXXX").string();
        ASSERT_NE(::mkdtemp(outside.data()), nullptr);
        mOutside = outside;
    }
    void TearDown() override
    {
        fs::remove_all(mDir);
        fs::remove_all(mOutside);
    }

    RunResult run(const std::vector<std::string> &args, const std::vector<std::string> &env = {})
    {
        const std::string outPath = (mOutside / "stdout").string();
        const std::string errPath = (mOutside / "stderr").string();
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(mDir.c_str()) != 0)
                ::_exit(127);
            const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out, 1);
            ::dup2(err, 2);
            for (const std::string &entry : env)
                ::putenv(const_cast<char *>(entry.c_str()));
            std::vector<char *> argv{const_cast<char *>(engine.c_str())};
            for (const std::string &arg : args)
                argv.push_back(const_cast<char *>(arg.c_str()));
            argv.push_back(nullptr);
            ::execv(engine.c_str(), argv.data());
            ::_exit(127);
        }
        RunResult result;
        int status = 0;
        ::waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = readFile(outPath);
        result.err = readFile(errPath);
        return result;
    }

    RunResult runJob(const std::string &jobText, const std::vector<std::string> &env = {})
    {
        writeFile(mDir / "input.txt", jobText);
        return run({"-i", "input.txt"}, env);
    }

    std::set<std::string> filesInDir() const
    {
        std::set<std::string> names;
        for (const auto &entry : fs::directory_iterator(mDir))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path mDir;
    fs::path mOutside;
};

struct JobCase {
    const char *name;
    const char *jobFile;
    std::vector<std::string> reports;
};

class EveryJobKind : public EngineProcess, public ::testing::WithParamInterface<JobCase> {};

TEST_P(EveryJobKind, LeavesItsReportsAndNothingElse)
{
    const JobCase &c = GetParam();
    const RunResult result = runJob(readFile(data + "/jobs/" + c.jobFile));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    std::set<std::string> expected{"input.txt"};
    expected.insert(c.reports.begin(), c.reports.end());
    EXPECT_EQ(filesInDir(), expected) << "no temporary file may be left behind";
    for (const std::string &report : c.reports) {
        const std::string text = readFile(mDir / report);
        ASSERT_GT(text.size(), 100u) << report;
        if (report.size() > 4 && report.substr(report.size() - 4) == ".txt") {
            EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << report;
            EXPECT_EQ(text.find("\n\n"), std::string::npos) << "bare line feeds in " << report;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, EveryJobKind,
    ::testing::Values(JobCase{"ChartJob", "chartjob.txt", {"chart.txt"}},
                      JobCase{"ChartJobSidereal", "chartjob-sidereal.txt", {"chart.txt"}},
                      JobCase{"WheelJob", "wheeljob.txt", {"wheel.txt", "chart.wmf"}},
                      JobCase{"WheelJobColour", "wheeljob-colour.txt", {"wheel.txt", "chart.wmf"}},
                      JobCase{"AspectsJob", "aspectsjob.txt", {"aspects.txt"}},
                      JobCase{"RiseSetJob", "risesetjob.txt", {"riseset.txt"}},
                      JobCase{"RiseSetJobDayFirst", "risesetjob-dayfirst.txt", {"risesetn.txt"}},
                      JobCase{"MonthCalendarJob", "monthjob.txt", {"calasp.txt"}},
                      JobCase{"YearCalendarJob", "yearjob.txt", {"calasp.txt"}}),
    [](const ::testing::TestParamInfo<JobCase> &row) { return std::string(row.param.name); });

// Every "/c" number the program writes, with and without "/s", as the chart, wheel and aspect
// jobs write them, here and inside the polar circle where several systems are undefined.
TEST_F(EngineProcess, EveryHouseSystemAndZodiacRuns)
{
    const char *names[] = {"Placidus",      "Koch",         "Equal",   "Campanus",    "Meridian",
                           "Regiomontanus", "Porphyry",     "Morinus", "Topocentric", "Alcabitius",
                           "Equal (MC)",    "Neo-Porphyry", "Whole",   "None"};
    for (const char *place : {"45N05", "78N13"}) {
        for (int system = 0; system < 14; ++system) {
            for (const bool sidereal : {false, true}) {
                SCOPED_TRACE(std::string(place) + " /c " + std::to_string(system) + (sidereal ? " /s" : ""));
                const std::string tail = "/c " + std::to_string(system) + "\r\n" + (sidereal ? "/s\r\n" : "");
                const std::string moment = std::string("/qb 6 15 2026 14:30PM ST 6 93W21 ") + place + "\r\n";
                RunResult result =
                    runJob("@0102  ; Astrolog chart info.\r\n" + moment + "/os chart.txt\r\n" + tail);
                ASSERT_EQ(result.status, 0) << result.err;
                EXPECT_EQ(result.err, "");
                const std::string chart = readFile(mDir / "chart.txt");
                EXPECT_NE(chart.find(std::string("\r\nHouses:     ") + names[system]), std::string::npos)
                    << chart;
                EXPECT_NE(chart.find(sidereal ? "\r\nZodiac:     Sidereal" : "\r\nZodiac:     Tropical"),
                          std::string::npos);
                EXPECT_EQ(chart.find("nan"), std::string::npos) << chart;
                result = runJob("@0102  ; Astrolog chart info.\r\n" + moment +
                                "/os wheel.txt\r\n/XM0\r\n/Xo chart.wmf\r\n/w 10\r\n" + tail);
                ASSERT_EQ(result.status, 0) << result.err;
                result = runJob("@0102  ; Astrolog chart info.\r\n" + moment +
                                "/os aspects.txt\r\n/a0\r\n/g0\r\n/j0\r\n/Z\r\n" + tail);
                ASSERT_EQ(result.status, 0) << result.err;
                EXPECT_EQ(readFile(mDir / "aspects.txt").find("nan"), std::string::npos);
            }
        }
    }
}

struct GoldenCase {
    const char *name;
    const char *jobFile;
    const char *report;
    const char *golden;
};

class GoldenReports : public EngineProcess, public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(GoldenReports, MatchByteForByte)
{
    const GoldenCase &c = GetParam();
    const RunResult result = runJob(readFile(data + "/jobs/" + c.jobFile));
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string golden = readFile(data + "/golden/" + c.golden);
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(readFile(mDir / c.report), golden);
}

INSTANTIATE_TEST_SUITE_P(
    Reports, GoldenReports,
    ::testing::Values(
        GoldenCase{"Chart", "chartjob.txt", "chart.txt", "chart.txt"},
        GoldenCase{"ChartSidereal", "chartjob-sidereal.txt", "chart.txt", "chart-sidereal.txt"},
        GoldenCase{"Wheel", "wheeljob.txt", "wheel.txt", "wheel.txt"},
        GoldenCase{"Aspects", "aspectsjob.txt", "aspects.txt", "aspects.txt"},
        GoldenCase{"RiseSet", "risesetjob.txt", "riseset.txt", "riseset.txt"},
        GoldenCase{"RiseSetDayFirst", "risesetjob-dayfirst.txt", "risesetn.txt", "risesetn.txt"},
        GoldenCase{"RiseSetSpanWithSeconds", "risesetjob-span.txt", "risesetspan.txt", "risesetspan.txt"},
        GoldenCase{"MonthCalendar", "monthjob.txt", "calasp.txt", "calasp-month.txt"},
        GoldenCase{"YearCalendar", "yearjob.txt", "calasp.txt", "calasp-year.txt"}),
    [](const ::testing::TestParamInfo<GoldenCase> &row) { return std::string(row.param.name); });

struct BadCase {
    const char *name;
    std::string job;
    const char *expected; // part of the one stderr line
};

class BadInput : public EngineProcess, public ::testing::WithParamInterface<BadCase> {};

TEST_P(BadInput, ExitsWithStatusTwoAndWritesNothing)
{
    const BadCase &c = GetParam();
    writeFile(mDir / "chart.txt", "an earlier report\r\n");
    const RunResult result = runJob(c.job);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err.rfind("orlam-ephem: input.txt", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(c.expected), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(filesInDir(), (std::set<std::string>{"input.txt", "chart.txt"}));
    EXPECT_EQ(readFile(mDir / "chart.txt"), "an earlier report\r\n");
}

const std::string header = "@0102  ; Astrolog chart info.\r\n";
const std::string moment = "/qb 6 15 2026 14:30PM ST 6 93W21 45N05\r\n";

INSTANTIATE_TEST_SUITE_P(
    Jobs, BadInput,
    ::testing::Values(
        BadCase{"EmptyFile", "", "input.txt:1:"},
        BadCase{"BinaryJunk", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "input.txt:1:"},
        BadCase{"TenMegabyteLine", header + std::string(10 * 1024 * 1024, 'q') + "\r\n", "larger than"},
        // One byte over the 64 KiB a job file may hold, read in pieces that end right at the limit.
        BadCase{"OneByteOverTheLimit", header + std::string(64 * 1024 + 1 - header.size() - 2, 'q') + "\r\n",
                "larger than"},
        BadCase{"SwitchWithoutArguments", header + "/qb\r\n/os chart.txt\r\n", "input.txt:2: \"/qb\""},
        BadCase{"ReportWithoutName", header + moment + "/os\r\n", "input.txt:3: \"/os\""},
        BadCase{"DateOutOfRange", header + "/qb 2 30 2026 14:30PM ST 6 93W21 45N05\r\n/os chart.txt\r\n",
                "input.txt:2: \"/qb\""},
        BadCase{"YearOutOfRange", header + "/qb 1 1 12026 14:30PM ST 6 93W21 45N05\r\n/os chart.txt\r\n",
                "input.txt:2: \"/qb\""},
        BadCase{"PathInReportName", header + moment + "/os ../chart.txt\r\n", "input.txt:3: \"/os\""},
        BadCase{"AbsoluteReportName", header + moment + "/os /tmp/chart.txt\r\n", "input.txt:3: \"/os\""},
        BadCase{"PathInPictureName", header + moment + "/XM0\r\n/Xo sub/chart.wmf\r\n",
                "input.txt:4: \"/Xo\""},
        BadCase{"OverlongReportName", header + moment + "/os " + std::string(250, 'a') + "\r\n",
                "input.txt:3: \"/os\""},
        BadCase{"ReportOverJobFile", header + moment + "/os input.txt\r\n", "would overwrite the job file"},
        BadCase{"UnknownSwitch", header + moment + "/os chart.txt\r\n/Zz\r\n", "input.txt:4: \"/Zz\""}),
    [](const ::testing::TestParamInfo<BadCase> &row) { return std::string(row.param.name); });

TEST_F(EngineProcess, AReportThatCannotBeWrittenFailsAndLeavesNothingBehind)
{
    fs::create_directory(mDir / "chart.txt");
    writeFile(mDir / "chart.txt" / "keep", "x");
    const RunResult result = runJob(readFile(data + "/jobs/chartjob.txt"));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind("orlam-ephem: Cannot create file chart.txt", 0), 0u) << result.err;
    EXPECT_EQ(filesInDir(), (std::set<std::string>{"input.txt", "chart.txt"}));
    EXPECT_EQ(readFile(mDir / "chart.txt" / "keep"), "x");
}

TEST_F(EngineProcess, CommandLineMistakesAreRefused)
{
    for (const std::vector<std::string> &args : std::vector<std::vector<std::string>>{
             {}, {"-i"}, {"-x", "input.txt"}, {"-i", "input.txt", "extra"}, {"-i", "missing.txt"}}) {
        const RunResult result = run(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err.rfind("orlam-ephem: ", 0), 0u) << result.err;
        EXPECT_TRUE(filesInDir().empty());
    }
    EXPECT_NE(run({"-i", "missing.txt"}).err.find("Cannot open file missing.txt"), std::string::npos);
}

// A job "file" that is a named pipe or a directory is refused at once: opening a pipe nobody
// writes to would block the engine, and the program waiting for it, for ever.
TEST_F(EngineProcess, AJobFileThatIsNoRegularFileIsRefusedWithoutWaiting)
{
    ASSERT_EQ(::mkfifo((mDir / "input.txt").c_str(), 0644), 0);
    fs::create_directory(mDir / "jobs");
    for (const char *name : {"input.txt", "jobs"}) {
        SCOPED_TRACE(name);
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(mDir.c_str()) != 0)
                ::_exit(127);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 2);
            ::execl(engine.c_str(), engine.c_str(), "-i", name, static_cast<char *>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        pid_t done = 0;
        for (int i = 0; i < 500 && done == 0; ++i) {
            done = ::waitpid(pid, &status, WNOHANG);
            if (done == 0)
                ::usleep(10000);
        }
        if (done == 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            FAIL() << "the engine still waits after 5 s";
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
    }
}

TEST_F(EngineProcess, HelpAndVersion)
{
    const RunResult help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: orlam-ephem -i FILE"), std::string::npos);
    const RunResult version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("orlam-ephem ", 0), 0u);
    EXPECT_NE(version.out.find("Swiss Ephemeris"), std::string::npos);
}

TEST_F(EngineProcess, WithoutReportNameTheReportGoesToStandardOutput)
{
    const RunResult result = runJob(header + moment);
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("\r\nSun : 24Gem"), std::string::npos) << result.out;
    EXPECT_EQ(filesInDir(), std::set<std::string>{"input.txt"});
}

TEST_F(EngineProcess, MissingEphemerisFilesFallBackToTheBuiltInModel)
{
    const std::string empty = (mOutside / "no-ephemeris").string();
    fs::create_directory(empty);
    const RunResult result = runJob(readFile(data + "/jobs/chartjob.txt"), {"SE_EPHE_PATH=" + empty});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string chart = readFile(mDir / "chart.txt");
    EXPECT_NE(chart.find("Ephemeris:  built-in analytical model"), std::string::npos) << chart;
    EXPECT_NE(chart.find("\r\nSun : 24Gem45"), std::string::npos) << chart;
    EXPECT_NE(chart.find("\r\nMoon:  5Can15"), std::string::npos) << chart;
}

TEST_F(EngineProcess, FourRiseSetJobsOfOneMinuteCoverFourDays)
{
    const char *names[] = {"risesety.txt", "riseset.txt", "risesetn.txt", "risesetn2.txt"};
    const char *days[] = {" 3/19/2019", " 3/20/2019", " 3/21/2019", " 3/22/2019"};
    for (int i = 0; i < 4; ++i) {
        const RunResult result = runJob(
            header + "/qb 3 " + std::to_string(19 + i) + " 2019 12:00PM DT 5 81W00 29N00\r\n/os " + names[i] +
            "\r\n/R Chir\r\n/R Cere\r\n/R Pall\r\n/R Juno\r\n/R Vest\r\n/R Lili\r\n/Zd\r\n\r\n");
        ASSERT_EQ(result.status, 0) << result.err;
        const std::string text = readFile(mDir / names[i]);
        std::istringstream lines(text);
        std::string line;
        int count = 0;
        while (std::getline(lines, line)) {
            EXPECT_EQ(line.substr(6, 10), days[i]) << line;
            ++count;
        }
        EXPECT_GE(count, 40) << names[i];
    }
}

// The placeable header's key and checksum, and the sizes the metafile header states, are what
// picture readers check before they draw anything.
TEST_F(EngineProcess, PictureIsAWellFormedPlaceableMetafile)
{
    ASSERT_EQ(runJob(readFile(data + "/jobs/wheeljob.txt")).status, 0);
    const std::string mono = readFile(mDir / "chart.wmf");
    ASSERT_EQ(runJob(readFile(data + "/jobs/wheeljob-colour.txt")).status, 0);
    const std::string colour = readFile(mDir / "chart.wmf");
    EXPECT_NE(mono, colour);
    for (const std::string &wmf : {mono, colour}) {
        ASSERT_GT(wmf.size(), 40u);
        auto word = [&](std::size_t offset) {
            return static_cast<unsigned>(static_cast<unsigned char>(wmf[offset]) |
                                         (static_cast<unsigned char>(wmf[offset + 1]) << 8));
        };
        EXPECT_EQ(word(0), 0xCDD7u);
        EXPECT_EQ(word(2), 0x9AC6u);
        unsigned checksum = 0;
        for (std::size_t offset = 0; offset < 20; offset += 2)
            checksum ^= word(offset);
        EXPECT_EQ(word(20), checksum);
        EXPECT_EQ(word(22), 1u);     // in-memory metafile
        EXPECT_EQ(word(24), 9u);     // header words
        EXPECT_EQ(word(26), 0x300u); // version
        const unsigned totalWords = word(28) | (word(30) << 16);
        EXPECT_EQ(totalWords * 2 + 22, wmf.size());
        EXPECT_EQ(wmf.substr(wmf.size() - 6), std::string("\x03\0\0\0\0\0", 6)); // end record
    }
}

} // namespace
} // namespace orlam
