// The engine's own file handling: the job file read, reports written whole or not at all, and the
// memory-mapped streams the ephemeris library reads its data through.
#include "mappedfile.h"
#include "output.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace orlam {
namespace {

namespace fs = std::filesystem;

// A fresh directory made current for one test; the previous one comes back afterwards.
class ScopedTempDir {
public:
    ScopedTempDir() : mPrevious(fs::current_path())
    {
        std::string pattern = (fs::temp_directory_path() / "orlam-files-XXXXXX").string();
        EXPECT_NE(::mkdtemp(pattern.data()), nullptr);
        mPath = pattern;
        fs::current_path(mPath);
    }
    ~ScopedTempDir()
    {
        fs::current_path(mPrevious);
        fs::remove_all(mPath);
    }
    ScopedTempDir(const ScopedTempDir &) = delete;
    ScopedTempDir &operator=(const ScopedTempDir &) = delete;

private:
    fs::path mPrevious;
    fs::path mPath;
};

class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : mPrevious(::umask(mask)) {}
    ~ScopedUmask() { ::umask(mPrevious); }
    ScopedUmask(const ScopedUmask &) = delete;
    ScopedUmask &operator=(const ScopedUmask &) = delete;

private:
    mode_t mPrevious;
};

void writeFile(const std::string &name, const std::string &bytes)
{
    std::ofstream(name, std::ios::binary) << bytes;
}

std::string readFile(const std::string &name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> filesHere()
{
    std::set<std::string> names;
    for (const auto &entry : fs::directory_iterator("."))
        names.insert(entry.path().filename().string());
    return names;
}

using Stream = std::unique_ptr<std::FILE, int (*)(std::FILE *)>;

// Everything the ephemeris library does with its files, done to the mapped stream and to an
// ordinary one side by side: the two must agree on every result.
TEST(MappedFile, AnswersLikeAnOrdinaryStream)
{
    ScopedTempDir dir;
    std::string bytes = "SWISSEPH  1\r\nheader line\r\n";
    for (int i = 0; bytes.size() < 5000; ++i)
        bytes += static_cast<char>(i * 37 % 251);
    writeFile("data.se1", bytes);
    Stream mapped(openMappedFile("data.se1"), std::fclose);
    Stream plain(std::fopen("data.se1", "rb"), std::fclose);
    ASSERT_TRUE(mapped && plain);

    auto both = [&](auto operation) {
        const auto expected = operation(plain.get());
        EXPECT_EQ(operation(mapped.get()), expected);
        EXPECT_EQ(std::ftell(mapped.get()), std::ftell(plain.get()));
        EXPECT_EQ(std::feof(mapped.get()) != 0, std::feof(plain.get()) != 0);
    };
    auto readBytes = [](std::size_t size, std::size_t count) {
        return [=](std::FILE *f) {
            std::string got(size * count, '\0');
            const std::size_t items = std::fread(got.data(), size, count, f);
            got.resize(items * size);
            return got;
        };
    };
    auto seek = [](long offset, int whence) {
        return [=](std::FILE *f) { return std::fseek(f, offset, whence); };
    };
    auto line = [](std::FILE *f) {
        char text[64] = {};
        return std::fgets(text, sizeof text, f) ? std::string(text) : std::string("<none>");
    };

    both(line);
    both(line);
    both(readBytes(3, 5));
    both(seek(4096, SEEK_SET));
    both(readBytes(1, 700)); // across the end of a buffer
    both(seek(-100, SEEK_CUR));
    both(readBytes(4, 10));
    both(seek(0, SEEK_END));
    both(readBytes(1, 1));
    both(seek(-10, SEEK_END));
    both(readBytes(3, 5)); // a short read at the end
    both(seek(100, SEEK_END));
    both(readBytes(1, 1)); // past the end
    both(seek(-1, SEEK_SET));
    both(seek(12, SEEK_SET));
    both(readBytes(5000, 1));
    both(seek(0, SEEK_SET));
    both(readBytes(1, bytes.size() + 1));
}

TEST(MappedFile, RefusesWhatItCannotMapAndSaysWhy)
{
    ScopedTempDir dir;
    writeFile("empty.txt", "");
    fs::create_directory("folder");
    errno = 0;
    EXPECT_EQ(openMappedFile("missing.se1"), nullptr);
    EXPECT_EQ(errno, ENOENT);
    // These the caller opens the ordinary way.
    for (const char *name : {"empty.txt", "folder"}) {
        errno = 0;
        EXPECT_EQ(openMappedFile(name), nullptr) << name;
        EXPECT_EQ(errno, ENOTSUP) << name;
    }
}

TEST(JobFileReading, ReadsUpToTheLimitAndRefusesWhatIsNoFile)
{
    ScopedTempDir dir;
    writeFile("job.txt", std::string(10000, 'x'));
    std::string text;
    std::string error;
    ASSERT_TRUE(readFileStart("job.txt", 9000, &text, &error)) << error;
    EXPECT_EQ(text, std::string(9000, 'x'));
    ASSERT_TRUE(readFileStart("job.txt", 20000, &text, &error)) << error;
    EXPECT_EQ(text.size(), 10000u);

    fs::create_directory("folder");
    EXPECT_FALSE(readFileStart("folder", 100, &text, &error));
    EXPECT_EQ(error, "Cannot open file folder: not a regular file");
    EXPECT_FALSE(readFileStart("missing.txt", 100, &text, &error));
    EXPECT_EQ(error, "Cannot open file missing.txt: No such file or directory");
}

// A report gets the mode any new file gets under the umask, replaces the old one whole, and
// leaves no temporary behind.
TEST(ReportWriting, ReplacesWholeWithTheUmaskModeAndNoLeftovers)
{
    ScopedTempDir dir;
    writeFile("chart.txt", "old report");
    for (const mode_t mask : {mode_t{022}, mode_t{027}, mode_t{077}}) {
        ScopedUmask umask(mask);
        std::string error;
        ASSERT_TRUE(writeReportFiles({{"chart.txt", "new report\r\n"}, {"chart.wmf", "picture"}}, &error))
            << error;
        struct stat status {};
        ASSERT_EQ(::stat("chart.txt", &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask);
        ASSERT_EQ(::stat("chart.wmf", &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask);
    }
    EXPECT_EQ(readFile("chart.txt"), "new report\r\n");
    EXPECT_EQ(readFile("chart.wmf"), "picture");
    EXPECT_EQ(filesHere(), (std::set<std::string>{"chart.txt", "chart.wmf"}));
}

// A report's name may already be a link. The link itself is replaced by the report; what it
// points to, existing or not, is never written, created or changed, and another hard link to
// the old report keeps the old report.
TEST(ReportWriting, ReplacesALinkAndNeverWhatItPointsTo)
{
    struct Row {
        const char *name;
        std::function<void()> makeOldReport;
        std::set<std::string> outsideAfter;
    };
    const Row rows[] = {
        {"LinkToAFile", [] { fs::create_symlink("../outside/target.txt", "chart.txt"); }, {"target.txt"}},
        {"LinkToNothing", [] { fs::create_symlink("../outside/missing.txt", "chart.txt"); }, {"target.txt"}},
        {"LinkToAFolder", [] { fs::create_symlink("../outside", "chart.txt"); }, {"target.txt"}},
        {"HardLink",
         [] {
             writeFile("chart.txt", "old report");
             fs::create_hard_link("chart.txt", "../outside/other.txt");
         },
         {"target.txt", "other.txt"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ScopedTempDir dir;
        fs::create_directory("outside");
        fs::create_directory("reports");
        writeFile("outside/target.txt", "target");
        fs::current_path("reports");
        row.makeOldReport();
        std::string error;
        EXPECT_TRUE(writeReportFiles({{"chart.txt", "new report\r\n"}}, &error)) << error;
        EXPECT_FALSE(fs::is_symlink("chart.txt"));
        EXPECT_EQ(readFile("chart.txt"), "new report\r\n");
        EXPECT_EQ(filesHere(), (std::set<std::string>{"chart.txt"}));
        fs::current_path("../outside");
        EXPECT_EQ(filesHere(), row.outsideAfter);
        EXPECT_EQ(readFile("target.txt"), "target");
        if (row.outsideAfter.count("other.txt")) {
            EXPECT_EQ(readFile("other.txt"), "old report");
        }
        fs::current_path("..");
    }
}

// When one of a job's reports cannot be written, none of them is left: neither the old report,
// which no longer belongs to the job, nor a new one, nor a temporary.
TEST(ReportWriting, AFailureLeavesNoneOfTheJobsReports)
{
    for (const char *blocked : {"chart.txt", "chart.wmf"}) {
        SCOPED_TRACE(blocked);
        ScopedTempDir dir;
        writeFile("chart.txt", "old report");
        writeFile("chart.wmf", "old picture");
        fs::remove(blocked);
        fs::create_directory(blocked);
        writeFile(std::string(blocked) + "/keep", "x");
        std::string error;
        EXPECT_FALSE(writeReportFiles({{"chart.txt", "new report\r\n"}, {"chart.wmf", "picture"}}, &error));
        EXPECT_EQ(error, std::string("Cannot create file ") + blocked + ": Is a directory");
        EXPECT_EQ(filesHere(), (std::set<std::string>{blocked}));
        EXPECT_EQ(readFile(std::string(blocked) + "/keep"), "x");
    }
}

} // namespace
} // namespace orlam
