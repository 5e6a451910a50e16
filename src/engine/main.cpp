// orlam-ephem: reads a job file of switches and writes the reports it asks for.
#include "engine.h"
#include "jobfile.h"
#include "orlamversion.h"
#include "output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;  // the calculation or the writing failed
constexpr int exitBadInput = 2; // command line or job file

constexpr const char *usage =
    "Usage: orlam-ephem -i FILE\n"
    "       orlam-ephem --help | --version\n"
    "\n"
    "Reads the job file FILE (first line beginning with \"@\", one switch per line) and writes\n"
    "the reports that its /os and /Xo switches name into the current directory. Without /os\n"
    "the report goes to standard output.\n"
    "\n"
    "Switches:\n"
    "  /qb M D Y TIME ST|DT ZONE LON LAT   moment and place, e.g. /qb 6 15 2026 14:30PM ST 6 93W21 45N05\n"
    "  /os NAME     text report file        /c N     house system 0..13\n"
    "  /R BODY...   leave bodies out        /R0 BODY...  leave all out but those named\n"
    "  /A ASPECT    aspects up to this one  /s       sidereal zodiac (Fagan-Bradley)\n"
    "  -Yd          day-first dates         /Zd      rise, set and transit times of the day\n"
    "  /Zn N        with /Zd: N days from the date   /Zs  with /Zd: times to the second too\n"
    "  /a0 /g0 /j0 /Z   aspect list, aspect grid, influence table, local horizon\n"
    "  /w N         text wheel, N rows a house   /XM0 /Xo NAME   wheel picture (Windows metafile)\n"
    "  /Xr /Xm      picture on white, picture in black on white\n"
    "  /dm /dy      transit calendar of the month or the year\n"
    "\n"
    "Exit status: 0 success, 1 calculation or write failure, 2 bad command line or job file.\n";

#ifndef ORLAM_EPHE_DIR
#define ORLAM_EPHE_DIR "/usr/share/libswe/ephe"
#endif

// The engine writes through stdio alone: iostreams would set up their locales and eight standard
// streams in every process, a good part of a small job's work.
void print(std::FILE *stream, const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
}

int fail(int status, const std::string &message)
{
    print(stderr, "orlam-ephem: " + message + "\n");
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    using namespace orlam;
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(usage, stdout);
        return exitSuccess;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        print(stdout, std::string("orlam-ephem ") + VersionNumber + " (Swiss Ephemeris " +
                          Ephemeris::libraryVersion() + ")\n");
        return exitSuccess;
    }
    if (argc != 3 || std::strcmp(argv[1], "-i") != 0)
        return fail(exitBadInput, "expected -i FILE (see --help)");

    const std::string jobPath = argv[2];
    // Up to one byte more than a job file may hold, so the reader can refuse a longer one.
    std::string text;
    std::string readError;
    if (!readFileStart(jobPath, maxJobFileBytes + 1, &text, &readError))
        return fail(exitBadInput, readError);

    const JobParseResult parsed = parseJobFile(text, jobPath);
    if (!parsed.ok)
        return fail(exitBadInput, parsed.message);
    const JobSpec &job = parsed.job;
    for (const std::string &name : {job.reportName, job.pictureName}) {
        if (!name.empty() && sameFile(name, jobPath))
            return fail(exitBadInput, jobPath + ": the report " + name + " would overwrite the job file");
    }

    JobOutput output;
    try {
        // One job a process: the library's data files and tables are left open for the exit to
        // give back, as it does anyway; closing them first (unmapping the files, freeing each
        // planet's tables) cost a chart job two per cent of its time. Held by a static, they
        // stay reachable for a leak checker.
        static Ephemeris *const ephemeris = new Ephemeris(ORLAM_EPHE_DIR);
        output = runJob(job, *ephemeris);
        // Reports with a header say so there; the rise/set report has none, so say it here too.
        if (ephemeris->usedBuiltInModel())
            std::fputs("orlam-ephem: note: ephemeris files not found for this date; the built-in "
                       "analytical model was used\n",
                       stderr);
    } catch (const EphemerisError &error) {
        return fail(exitFailure, jobPath + ": " + error.what());
    }

    std::vector<std::pair<std::string, std::string>> files;
    if (!job.reportName.empty())
        files.emplace_back(job.reportName, output.report);
    else
        print(stdout, output.report);
    if (!job.pictureName.empty())
        files.emplace_back(job.pictureName, output.picture);
    if (job.reportName.empty() && std::fflush(stdout) != 0)
        return fail(exitFailure, std::string("Unable to write to standard output: ") + std::strerror(errno));
    std::string error;
    if (!writeReportFiles(files, &error))
        return fail(exitFailure, error);
    return exitSuccess;
}
