#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orlam {

// Reads the first `limit` bytes of the regular file `path` (all of it when shorter) into `text`.
// Anything but a regular file is refused without waiting on it, so a named pipe nobody writes
// to cannot hold the engine up. On failure `error` names the file and the reason.
bool readFileStart(const std::string &path, std::size_t limit, std::string *text, std::string *error);

// Writes every (name, bytes) pair in the current directory so that no reader ever sees a
// half-written file: each goes to a temporary file first, and only when all are complete are
// they renamed over their final names. On failure no final name is touched, the temporaries
// are removed, and `error` says what went wrong.
bool writeFilesAtomically(const std::vector<std::pair<std::string, std::string>> &files, std::string *error);

// True when both paths name the same existing file.
bool sameFile(const std::string &a, const std::string &b);

} // namespace orlam
