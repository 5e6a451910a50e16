#pragma once

#include "ephemeris.h"
#include "jobfile.h"

#include <string>

namespace orlam {

// What one job produces: the text report (CR LF line ends) and, for "/XM0", the picture.
struct JobOutput {
    std::string report;
    std::string picture;
};

// Computes the report a job asks for. Throws EphemerisError when the library refuses.
JobOutput runJob(const JobSpec &job, Ephemeris &ephemeris);

} // namespace orlam
