#include "output.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlam {

namespace {

bool writeAll(int fd, const std::string &bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// Creates ".NAME.XXXXXX" beside NAME with a fresh suffix and the mode a new file gets under the
// umask, as the final file would; the kernel applies the umask, so there is no fchmod to make.
int createTemporary(const std::string &name, std::string *path)
{
    constexpr char digits[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    constexpr unsigned radix = sizeof digits - 1;
    // The clock and a stack address differ between runs; the suffix only needs to differ from
    // files already there, and O_EXCL makes a clash a retry rather than a mistake.
    std::uint64_t seed =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        reinterpret_cast<std::uintptr_t>(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        seed += 0x9e3779b97f4a7c15ULL;
        std::uint64_t bits = seed;
        bits = (bits ^ (bits >> 30)) * 0xbf58476d1ce4e5b9ULL;
        bits = (bits ^ (bits >> 27)) * 0x94d049bb133111ebULL;
        bits ^= bits >> 31;
        *path = "." + name + ".";
        for (int i = 0; i < 6; ++i, bits /= radix)
            *path += digits[bits % radix];
        const int fd = ::open(path->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

bool readFileStart(const std::string &path, std::size_t limit, std::string *text, std::string *error)
{
    // Non-blocking, so that opening a named pipe returns at once and the check below refuses it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = "Cannot open file " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        *error = "Cannot open file " + path + ": not a regular file";
        return false;
    }
    text->clear();
    char piece[4096];
    while (text->size() < limit) {
        const ssize_t got = ::read(fd, piece, std::min(sizeof piece, limit - text->size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            *error = "Cannot read file " + path;
            return false;
        }
        if (got == 0)
            break;
        text->append(piece, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return true;
}

bool writeReportFiles(const std::vector<std::pair<std::string, std::string>> &files, std::string *error)
{
    std::vector<std::string> written;                             // final names this call made
    std::vector<std::pair<std::string, std::string>> temporaries; // temporary, final name
    auto cleanUp = [&] {
        for (const std::string &name : written)
            ::unlink(name.c_str());
        for (const auto &entry : temporaries) {
            if (!entry.first.empty())
                ::unlink(entry.first.c_str());
        }
    };
    for (const auto &[name, bytes] : files) {
        // Renaming a new file over an old one makes ext4 (auto_da_alloc) allocate and start
        // writing the new one at once, and the next replacement frees those blocks again, which
        // a file system mounted with discard trims before the call returns. A report created
        // under its own name after the old one is removed waits for the ordinary write-back,
        // and one replaced again before that never takes up blocks at all. unlink removes a
        // symbolic link itself, never its target, and O_EXCL with O_NOFOLLOW never opens or
        // creates through one. A name that unlink could not remove (a folder) or that came
        // back takes the temporary-and-rename road, which also says why it cannot be replaced.
        ::unlink(name.c_str());
        std::string temporary;
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            written.push_back(name);
        } else if (errno == EEXIST) {
            fd = createTemporary(name, &temporary);
            if (fd >= 0)
                temporaries.emplace_back(temporary, name);
        }
        if (fd < 0) {
            *error = "Cannot create file " + name + ": " + std::strerror(errno);
            cleanUp();
            return false;
        }
        const bool ok = writeAll(fd, bytes);
        const int savedErrno = errno;
        if (::close(fd) != 0 || !ok) {
            *error = "Unable to write to " + name + ": " + std::strerror(ok ? errno : savedErrno);
            cleanUp();
            return false;
        }
    }
    for (std::size_t i = 0; i < temporaries.size(); ++i) {
        if (::rename(temporaries[i].first.c_str(), temporaries[i].second.c_str()) != 0) {
            *error = "Cannot create file " + temporaries[i].second + ": " + std::strerror(errno);
            cleanUp();
            return false;
        }
        written.push_back(temporaries[i].second);
        temporaries[i].first.clear();
    }
    return true;
}

bool sameFile(const std::string &a, const std::string &b)
{
    struct stat first {};
    struct stat second {};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0)
        return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace orlam
