#include "singleinstance.h"

#include <QDir>

namespace orlam {

SingleInstanceLock::SingleInstanceLock(const QString &path) : mPath(path) {}

QString SingleInstanceLock::pathIn(const QString &workFolder)
{
    return QDir(workFolder)
        .filePath(QStringLiteral("orlam-%1.lock").arg(QString::fromLatin1(SingleInstanceGuid)));
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
