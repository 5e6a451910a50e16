#pragma once

#include "commandline.h"

namespace orlam {

// Runs an hour command of the command line (--next-hour, --hours, --ics) without a window and
// without the single-instance lock, prints its lines and returns the exit status.
int runHoursCommandLine(int &argc, char **argv, const CommandLine &commandLine, const QString &settingsPath);

} // namespace orlam
