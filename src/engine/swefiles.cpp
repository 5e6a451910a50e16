// The static engine links the ephemeris library with its fopen calls routed here
// (-Wl,--wrap=fopen). The library reads its data files through stdio and seeks before nearly
// every record, so an ordinary stream costs a seek and a read system call for each; a stream
// over a memory map serves the same reads from memory.
#include "mappedfile.h"

#include <cerrno>
#include <cstring>

extern "C" std::FILE *__real_fopen(const char *path, const char *mode);

extern "C" std::FILE *__wrap_fopen(const char *path, const char *mode)
{
    if (std::strcmp(mode, "r") == 0 || std::strcmp(mode, "rb") == 0) {
        if (std::FILE *stream = orlam::openMappedFile(path))
            return stream;
        if (errno != ENOTSUP)
            return nullptr;
    }
    return __real_fopen(path, mode);
}
