#include "singleinstance.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlam {

namespace {

// A lock file that names no process and is older than this is left over, not being written.
constexpr qint64 JunkLockAgeSeconds = 10;

// QLockFile does not say why it failed. A small file written in the same folder the same way
// meets the same cause (a full disk, a read-only folder) and names it.
QString probeFolder(const QString &folder)
{
    const QByteArray probe = QFile::encodeName(QDir(folder).filePath(
        QStringLiteral(".orlam-probe-%1").arg(QRandomGenerator::global()->generate(), 0, 36)));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    const char bytes[256] = {};
    const bool wrote = ::write(fd, bytes, sizeof bytes) == ssize_t(sizeof bytes);
    const int error = errno;
    ::close(fd);
    ::unlink(probe.constData());
    return wrote ? QString() : QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

SingleInstanceLock::SingleInstanceLock(const QString &path) : mPath(path) {}

QString SingleInstanceLock::pathIn(const QString &workFolder)
{
    return QDir(workFolder)
        .filePath(QStringLiteral("orlam-%1.lock").arg(QString::fromLatin1(SingleInstanceGuid)));
}

SingleInstanceLock::Outcome SingleInstanceLock::fail(const QString &reason)
{
    mFailure = QCoreApplication::translate("Messages", "Orlam cannot lock its work folder %1: %2.")
                   .arg(QFileInfo(mPath).absolutePath(), reason);
    return Outcome::Failed;
}

SingleInstanceLock::Outcome SingleInstanceLock::tryAcquire()
{
    if (mLock && mLock->isLocked())
        return Outcome::Acquired;
    mFailure.clear();
    const QByteArray name = QFile::encodeName(mPath);
    struct stat info {};
    if (::lstat(name.constData(), &info) == 0 && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode))
            return fail(QCoreApplication::translate("Messages", "a folder has the lock file's name %1")
                            .arg(QFileInfo(mPath).fileName()));
        if (::unlink(name.constData()) != 0)
            return fail(QString::fromLocal8Bit(std::strerror(errno)));
    }

    for (int attempt = 0; attempt < 2; ++attempt) {
        mLock = std::make_unique<QLockFile>(mPath);
        // Only a dead holder makes the lock stale, never its age: a copy may run for months.
        mLock->setStaleLockTime(0);
        if (mLock->tryLock(0))
            return Outcome::Acquired;
        if (mLock->error() != QLockFile::LockFailedError)
            break;
        // A lock that names a process is another copy's (a dead one's is taken over above).
        qint64 pid = 0;
        QString host, application;
        if (mLock->getLockInfo(&pid, &host, &application))
            return Outcome::HeldByAnother;
        // One that names nothing is no lock at all: a lock file cut short by a crash, or a
        // file of other contents. Unless it was made a moment ago (a copy that is writing its
        // lock right now), it goes, and the lock is taken again.
        const QFileInfo junk(mPath);
        if (attempt > 0 || junk.lastModified().secsTo(QDateTime::currentDateTime()) < JunkLockAgeSeconds ||
            !QFile::remove(mPath))
            return fail(
                QCoreApplication::translate("Messages", "the file %1 is in the way of the lock; remove it")
                    .arg(mPath));
    }
    if (mLock->error() == QLockFile::LockFailedError)
        return Outcome::HeldByAnother;
    const QString reason = probeFolder(QFileInfo(mPath).absolutePath());
    return fail(reason.isEmpty()
                    ? QCoreApplication::translate("Messages", "the lock file could not be written")
                    : reason);
}

} // namespace orlam
