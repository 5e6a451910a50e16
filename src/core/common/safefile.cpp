#include "common/safefile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlam {

namespace {

constexpr qint64 ChunkSize = 1 << 16;

bool writeAllTo(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += wrote;
    }
    return true;
}

// Writes over a plain file of our own where it stands: the same inode and disk block job after
// job, where a new file per job costs an inode made and one thrown away. Only the next command
// reads a scratch file, after it has been written, so nothing can see it half written.
// False, perhaps with the file damaged, when it cannot be done; the caller then replaces it.
bool overwriteInPlace(const QByteArray &target, const QByteArray &bytes)
{
    // Looked at before it is opened: opening a device can have effects of its own (a tape
    // rewinds), and a link is never followed.
    struct stat before {};
    if (::lstat(target.constData(), &before) != 0 || !S_ISREG(before.st_mode) || before.st_nlink != 1)
        return false;
    const int fd = ::open(target.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    // The name may have been given to another file in between; only the one looked at will do.
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1 &&
              info.st_dev == before.st_dev && info.st_ino == before.st_ino;
    qsizetype done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t wrote =
            ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), off_t(done));
        if (wrote < 0 && errno == EINTR)
            continue;
        ok = wrote > 0;
        if (ok)
            done += wrote;
    }
    ok = ok && ::ftruncate(fd, off_t(bytes.size())) == 0;
    return ::close(fd) == 0 && ok;
}

// A new file beside `target` under a hidden name of its own, created exclusively (never through
// a link), with the permissions a new file gets from the umask.
int createTemporaryBeside(const QString &target, QByteArray *name)
{
    const QFileInfo info(target);
    const QString stem = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.');
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = QFile::encodeName(stem + QString::number(QRandomGenerator::global()->generate(), 36));
        const int fd = ::open(name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool syncFolderOf(const QByteArray &path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// The file a chain of links ends at (the name itself when it is no link), so that a user's
// link keeps pointing at the new file. Relative links are taken from their own folder.
QString endOfLinks(const QString &path)
{
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hop = 0; hop < 40; ++hop) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        const QString target = info.symLinkTarget();
        if (target.isEmpty())
            return current;
        current = QDir(info.absolutePath()).absoluteFilePath(target);
    }
    return current;
}

// A file without a name in the temporary folder, gone when it is closed.
int namelessTemporary()
{
    const QByteArray folder = QFile::encodeName(QDir::tempPath());
    const int fd = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    QByteArray name = folder + "/orlam-output-XXXXXX";
    const int named = ::mkostemp(name.data(), O_CLOEXEC);
    if (named >= 0)
        ::unlink(name.constData());
    return named;
}

} // namespace

ReplacementFile::ReplacementFile(const QString &path, Follow follow)
    : mTarget(follow == Follow::Links ? endOfLinks(path) : path)
{
}

ReplacementFile::~ReplacementFile()
{
    cancel();
}

bool ReplacementFile::open()
{
    struct stat info {};
    const QByteArray target = QFile::encodeName(mTarget);
    if (::lstat(target.constData(), &info) == 0 && S_ISDIR(info.st_mode))
        return false;
    mFd = createTemporaryBeside(mTarget, &mTemporary);
    if (mFd < 0)
        return false;
    // A file that is replaced keeps its permissions (a private file stays private).
    if (::stat(target.constData(), &info) == 0 && S_ISREG(info.st_mode))
        ::fchmod(mFd, info.st_mode & 07777);
    mOk = true;
    return true;
}

bool ReplacementFile::write(const QByteArray &bytes)
{
    mOk = mOk && mFd >= 0 && writeAllTo(mFd, bytes);
    return mOk;
}

bool ReplacementFile::commit(Sync sync)
{
    if (mFd < 0)
        return false;
    bool ok = mOk;
    if (sync != Sync::None)
        ok = ok && ::fdatasync(mFd) == 0;
    ok = ::close(mFd) == 0 && ok;
    mFd = -1;
    const QByteArray target = QFile::encodeName(mTarget);
    if (ok && sync == Sync::None) {
        // Renaming over an existing file makes ext4 write the new one out first (its guard for
        // programs that replace files without syncing), which costs a disk write per job; with
        // the old file removed first the rename is a plain one. A reader sees the old file,
        // none, or the whole new one, never half of it.
        ::unlink(target.constData());
    }
    // rename() replaces whatever has the name - a link, a pipe, a device node - and never
    // looks through it.
    ok = ok && ::rename(mTemporary.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(mTemporary.constData());
        mTemporary.clear();
        return false;
    }
    mTemporary.clear();
    return sync != Sync::DataAndName || syncFolderOf(target);
}

void ReplacementFile::cancel()
{
    if (mFd >= 0) {
        ::close(mFd);
        mFd = -1;
    }
    if (!mTemporary.isEmpty()) {
        ::unlink(mTemporary.constData());
        mTemporary.clear();
    }
}

namespace {

Status replaceWhole(const QString &path, const QByteArray &bytes, ReplacementFile::Follow follow,
                    ReplacementFile::Sync sync, const QString &failureMessage)
{
    ReplacementFile file(path, follow);
    if (!file.open() || !file.write(bytes) || !file.commit(sync))
        return Status::failure(QString(failureMessage).arg(path));
    return Status::success();
}

} // namespace

Status writeWorkFile(const QString &path, const QByteArray &bytes, WorkFile kind,
                     const QString &failureMessage)
{
    if (kind == WorkFile::Scratch && overwriteInPlace(QFile::encodeName(path), bytes))
        return Status::success();
    return replaceWhole(path, bytes, ReplacementFile::Follow::Nothing,
                        kind == WorkFile::Kept ? ReplacementFile::Sync::Data : ReplacementFile::Sync::None,
                        failureMessage);
}

Status writeWorkFileIn(const QString &folder, const QString &name, const QByteArray &bytes, WorkFile kind)
{
    if (writeWorkFile(QDir(folder).filePath(name), bytes, kind))
        return Status::success();
    return Status::failure(QCoreApplication::translate("Messages", "Cannot create file %1").arg(name));
}

bool copyWorkFileWhenMissing(const QString &source, const QString &target)
{
    // exists() looks through a link: a link to a file counts as the file, a dangling one as
    // nothing, and is replaced by the copy rather than followed.
    if (QFileInfo::exists(target))
        return true;
    QFile from(source);
    if (!from.open(QIODevice::ReadOnly))
        return false;
    return writeWorkFile(target, from.readAll(), WorkFile::Kept).ok;
}

Status writeFileAtomically(const QString &path, const QByteArray &bytes, const QString &failureMessage)
{
    return replaceWhole(path, bytes, ReplacementFile::Follow::Links, ReplacementFile::Sync::Data,
                        failureMessage);
}

bool isStreamOutput(const QString &path)
{
    static const QRegularExpression ownFile(
        QStringLiteral("^(/dev/(stdout|stderr|fd/\\d+)|/proc/(self|\\d+)/fd/\\d+)$"));
    // The pattern is made ready on its first use, at a cost many times that of a look at the
    // start of the name: only names under /dev and /proc need it.
    const QString clean = QDir::cleanPath(path);
    const bool special =
        clean.startsWith(QLatin1String("/dev/")) || clean.startsWith(QLatin1String("/proc/"));
    if (special && ownFile.match(clean).hasMatch())
        return true;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

bool isStandardOutput(const QString &path)
{
    struct stat named {};
    struct stat out {};
    return ::stat(QFile::encodeName(path).constData(), &named) == 0 && ::fstat(STDOUT_FILENO, &out) == 0 &&
           named.st_dev == out.st_dev && named.st_ino == out.st_ino;
}

OutputFile::OutputFile(QString path, QString shownName, QString failureMessage)
    : mPath(std::move(path)), mShownName(shownName.isEmpty() ? mPath : std::move(shownName)),
      mFailureMessage(std::move(failureMessage))
{
}

OutputFile::~OutputFile()
{
    cancel();
}

Status OutputFile::failure() const
{
    return Status::failure(QString(mFailureMessage).arg(mShownName));
}

Status OutputFile::open()
{
    cancel();
    mFailed = false;
    mStream = isStreamOutput(mPath);
    if (mStream) {
        // A standard output redirected to a file with ">>" keeps what it holds: a regular file
        // behind the name is appended to. Devices and pipes have no end to seek to.
        struct stat info {};
        const bool regular =
            ::stat(QFile::encodeName(mPath).constData(), &info) == 0 && S_ISREG(info.st_mode);
        mDevice.setFileName(mPath);
        const QIODevice::OpenMode mode =
            QIODevice::WriteOnly | QIODevice::Unbuffered | (regular ? QIODevice::Append : QIODevice::NotOpen);
        mHeld = namelessTemporary();
        if (!mDevice.open(mode) || mHeld < 0) {
            mFailed = true;
            return failure();
        }
        return Status::success();
    }
    // The user's name is the user's choice: a link leads to the file meant.
    mFile = std::make_unique<ReplacementFile>(mPath, ReplacementFile::Follow::Links);
    if (!mFile->open()) {
        mFile.reset();
        mFailed = true;
        return failure();
    }
    return Status::success();
}

bool OutputFile::write(const QByteArray &bytes)
{
    if (mFailed)
        return false;
    if (mStream)
        mFailed = mHeld < 0 || !writeAllTo(mHeld, bytes);
    else
        mFailed = !mFile || !mFile->write(bytes);
    return !mFailed;
}

Status OutputFile::commit()
{
    if (mFailed) {
        cancel();
        return failure();
    }
    if (mStream) {
        bool ok = mHeld >= 0;
        QByteArray chunk(ChunkSize, Qt::Uninitialized);
        for (off_t at = 0; ok;) {
            const ssize_t got = ::pread(mHeld, chunk.data(), size_t(chunk.size()), at);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                ok = got == 0;
                break;
            }
            at += got;
            ok = mDevice.write(chunk.constData(), got) == got;
        }
        cancel();
        return ok ? Status::success() : failure();
    }
    const bool ok = mFile && mFile->commit(ReplacementFile::Sync::Data);
    mFile.reset();
    return ok ? Status::success() : failure();
}

void OutputFile::cancel()
{
    if (mFile) {
        mFile->cancel();
        mFile.reset();
    }
    if (mHeld >= 0) {
        ::close(mHeld);
        mHeld = -1;
    }
    mDevice.close();
}

Status writeOutputFile(const QString &path, const QByteArray &bytes, const QString &failureMessage)
{
    OutputFile file(path, path, failureMessage);
    if (Status status = file.open(); !status)
        return status;
    file.write(bytes);
    return file.commit();
}

} // namespace orlam
