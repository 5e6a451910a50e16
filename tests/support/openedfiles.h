#pragma once

// The names of the files opened in one folder, as the kernel reports them (inotify), for a test
// or a benchmark that watches what a program it started opens: its sounds, its reports. Needs no
// test framework.

#include <QFile>
#include <QString>
#include <QStringList>

#include <sys/inotify.h>
#include <unistd.h>

namespace orlam::test {

class OpenedFiles {
public:
    explicit OpenedFiles(const QString &folder)
    {
        mFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (mFd >= 0 && inotify_add_watch(mFd, QFile::encodeName(folder).constData(), IN_OPEN) < 0) {
            ::close(mFd);
            mFd = -1;
        }
    }
    ~OpenedFiles()
    {
        if (mFd >= 0)
            ::close(mFd);
    }
    OpenedFiles(const OpenedFiles &) = delete;
    OpenedFiles &operator=(const OpenedFiles &) = delete;

    // Whether the folder is watched.
    bool ok() const { return mFd >= 0; }

    // The names opened since the last call, in the order of the opens, once per open. The
    // kernel's queue holds some thousands of events: a long watch takes them as it goes.
    QStringList takeNames()
    {
        QStringList names;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; mFd >= 0 && (got = ::read(mFd, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                if (event->len > 0)
                    names << QFile::decodeName(event->name);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return names;
    }

private:
    int mFd = -1;
};

} // namespace orlam::test
