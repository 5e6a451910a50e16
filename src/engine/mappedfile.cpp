#include "mappedfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlam {

namespace {

struct MappedFile {
    const char *data = nullptr;
    off64_t size = 0;
    off64_t position = 0;
    // A seek drops the stream's buffer, and the library seeks before almost every read: a small
    // buffer keeps each refill cheap while line reads still come a piece at a time.
    char buffer[512];
};

ssize_t readMapped(void *cookie, char *buffer, std::size_t size)
{
    auto *file = static_cast<MappedFile *>(cookie);
    // A position past the end is allowed, as for any file; reading there gives nothing.
    const off64_t left = std::max<off64_t>(0, file->size - file->position);
    const std::size_t count = static_cast<std::size_t>(std::min<off64_t>(left, static_cast<off64_t>(size)));
    std::memcpy(buffer, file->data + file->position, count);
    file->position += static_cast<off64_t>(count);
    return static_cast<ssize_t>(count);
}

int seekMapped(void *cookie, off64_t *offset, int whence)
{
    auto *file = static_cast<MappedFile *>(cookie);
    off64_t base = 0;
    if (whence == SEEK_CUR)
        base = file->position;
    else if (whence == SEEK_END)
        base = file->size;
    else if (whence != SEEK_SET) {
        errno = EINVAL;
        return -1;
    }
    if (*offset < -base) {
        errno = EINVAL;
        return -1;
    }
    file->position = base + *offset;
    *offset = file->position;
    return 0;
}

int closeMapped(void *cookie)
{
    auto *file = static_cast<MappedFile *>(cookie);
    const int result = ::munmap(const_cast<char *>(file->data), static_cast<std::size_t>(file->size));
    delete file;
    return result;
}

} // namespace

std::FILE *openMappedFile(const char *path)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat status {};
    void *data = MAP_FAILED;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0)
        data = ::mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (data == MAP_FAILED) {
        errno = ENOTSUP;
        return nullptr;
    }
    auto *file = new (std::nothrow) MappedFile{static_cast<const char *>(data), status.st_size, 0, {}};
    std::FILE *stream =
        file ? ::fopencookie(file, "r", {readMapped, nullptr, seekMapped, closeMapped}) : nullptr;
    if (!stream) {
        ::munmap(data, static_cast<std::size_t>(status.st_size));
        delete file;
        errno = ENOTSUP;
        return nullptr;
    }
    std::setvbuf(stream, file->buffer, _IOFBF, sizeof file->buffer);
    return stream;
}

} // namespace orlam
