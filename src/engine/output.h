#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orlam {

// Reads the first `limit` bytes of the regular file `path` (all of it when shorter) into `text`.
// Anything but a regular file is refused without waiting on it, so a named pipe nobody writes
// to cannot hold the engine up. On failure `error` names the file and the reason.
bool readFileStart(const std::string &path, std::size_t limit, std::string *text, std::string *error);

// Writes every (name, bytes) pair in the current directory. Each name's old file (or symbolic
// link) is removed and the report is created afresh under that name; a link's target is never
// opened, created or changed. Where the old name cannot be removed, the report is written to a
// temporary file and renamed over it. Reports are complete once this returns true; a reader
// that runs at the same time may find a name missing or short, and after a power cut a report
// may be short. On failure none of the names is left with a report (neither the old one nor a
// part of the new one), no temporary is left, and `error` says what went wrong.
bool writeReportFiles(const std::vector<std::pair<std::string, std::string>> &files, std::string *error);

// True when both paths name the same existing file.
bool sameFile(const std::string &a, const std::string &b);

} // namespace orlam
