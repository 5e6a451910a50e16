// libFuzzer entry for the job-file reader: any bytes must give either a job or one clear
// message, never a crash, a hang or a leak.
#include "jobfile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const orlam::JobParseResult result = orlam::parseJobFile(text, "input.txt");
    if (result.ok == !result.message.empty())
        std::abort();
    if (!result.ok && result.message.find('\n') != std::string::npos)
        std::abort();
    if (result.ok) {
        const orlam::JobSpec &job = result.job;
        if (!job.moment || (!job.reportName.empty() && !orlam::isPlainFileName(job.reportName)) ||
            (!job.pictureName.empty() && !orlam::isPlainFileName(job.pictureName)))
            std::abort();
        const orlam::Moment &m = *job.moment;
        if (m.day < 1 || m.day > orlam::daysInMonth(m.year, m.month) || m.hour > 23 || m.minute > 59)
            std::abort();
    }
    return 0;
}
