#include "singleinstance.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace orlam {

SingleInstanceLock::SingleInstanceLock() : SingleInstanceLock(defaultPath()) {}

SingleInstanceLock::SingleInstanceLock(const QString &path) : mPath(path) {}

QString SingleInstanceLock::defaultPath()
{
    const QString guid = QString::fromLatin1(SingleInstanceGuid);
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(QStringLiteral("orlam-%1.lock").arg(guid));
    // The temporary folder is shared by every user: the user id keeps one user's copy from
    // locking out another's.
    return QDir(QDir::tempPath()).filePath(QStringLiteral("orlam-%1-%2.lock").arg(guid).arg(getuid()));
}

bool SingleInstanceLock::tryAcquire()
{
    if (mLock && mLock->isLocked())
        return true;
    mLock = std::make_unique<QLockFile>(mPath);
    // Only a dead holder makes the lock stale, never its age: a copy may run for months.
    mLock->setStaleLockTime(0);
    return mLock->tryLock(0);
}

} // namespace orlam
