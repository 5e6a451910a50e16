#pragma once

#include <cstdio>

namespace orlam {

// Opens the regular file `path` for reading as a stdio stream over a read-only memory map of the
// whole file: seeks, reads and tells work as on any read stream, but none of them is a system
// call. Gives nullptr with errno set when the file cannot be opened; gives nullptr with errno
// set to ENOTSUP for a file that is empty, not regular, or cannot be mapped, which the caller
// can open the ordinary way instead. Closing the stream removes the map. Meant for data files
// that are replaced whole (a package update renames a new file into place) and never cut short
// in place: reading a mapped page past a shortened end would stop the program with SIGBUS.
std::FILE *openMappedFile(const char *path);

} // namespace orlam
