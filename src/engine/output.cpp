#include "output.h"

#include <cerrno>
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

} // namespace

bool writeFilesAtomically(const std::vector<std::pair<std::string, std::string>> &files, std::string *error)
{
    std::vector<std::string> temporaries;
    auto cleanUp = [&] {
        for (const std::string &name : temporaries)
            ::unlink(name.c_str());
    };
    const mode_t mask = ::umask(0);
    ::umask(mask);
    for (const auto &[name, bytes] : files) {
        std::string pattern = "." + name + ".XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) {
            *error = "Cannot create file " + name + ": " + std::strerror(errno);
            cleanUp();
            return false;
        }
        temporaries.push_back(pattern);
        const bool ok = ::fchmod(fd, 0666 & ~mask) == 0 && writeAll(fd, bytes);
        const int savedErrno = errno;
        if (::close(fd) != 0 || !ok) {
            *error = "Unable to write to " + name + ": " + std::strerror(ok ? errno : savedErrno);
            cleanUp();
            return false;
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (::rename(temporaries[i].c_str(), files[i].first.c_str()) != 0) {
            *error = "Cannot create file " + files[i].first + ": " + std::strerror(errno);
            cleanUp();
            return false;
        }
        temporaries[i].clear();
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
