#include "settings/settingsjournal.h"

#include "common/safefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace orlam::SettingsJournal {

namespace {

constexpr auto JournalName = "settings.journal";
const QByteArray Magic = "Orlam settings journal 1\n";

QString gFolder;
StepHook gHook = nullptr;

void step(int number)
{
    if (gHook)
        gHook(number);
}

QString absolute(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

// The journal: a first line of its own, the settings file's path, the content's length and
// the content. One that does not read whole is no journal.
struct Entry {
    QString target;
    QByteArray content;
};

QByteArray encode(const QString &target, const QByteArray &content)
{
    return Magic + QFile::encodeName(target) + '\n' + QByteArray::number(content.size()) + '\n' + content;
}

std::optional<Entry> readJournal()
{
    if (gFolder.isEmpty())
        return std::nullopt;
    QFile file(path());
    if (!QFileInfo(file.fileName()).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith(Magic))
        return std::nullopt;
    const qsizetype targetEnd = bytes.indexOf('\n', Magic.size());
    const qsizetype sizeEnd = targetEnd < 0 ? -1 : bytes.indexOf('\n', targetEnd + 1);
    if (sizeEnd < 0)
        return std::nullopt;
    bool ok = false;
    const qsizetype size = bytes.mid(targetEnd + 1, sizeEnd - targetEnd - 1).toLongLong(&ok);
    if (!ok || size != bytes.size() - sizeEnd - 1)
        return std::nullopt;
    return Entry{QFile::decodeName(bytes.mid(Magic.size(), targetEnd - Magic.size())),
                 bytes.mid(sizeEnd + 1)};
}

// Truncates the file and writes `bytes` into it, forced to disk; `halfWay` is called when half
// of it is written.
bool overwrite(const QString &target, const QByteArray &bytes, bool reportSteps)
{
    const int fd = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const qsizetype half = bytes.size() / 2;
    bool ok = true;
    qsizetype done = 0;
    while (ok && done < bytes.size()) {
        const qsizetype end = (reportSteps && done < half) ? half : bytes.size();
        const ssize_t wrote = ::write(fd, bytes.constData() + done, size_t(end - done));
        if (wrote < 0 && errno == EINTR)
            continue;
        ok = wrote > 0;
        if (ok)
            done += wrote;
        if (ok && reportSteps && done == half)
            step(2);
    }
    ok = ok && ::fdatasync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

QByteArray readFile(const QString &target)
{
    QFile file(target);
    return QFileInfo(target).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void removeJournal()
{
    ::unlink(QFile::encodeName(path()).constData());
}

} // namespace

void setFolder(const QString &folder)
{
    gFolder = folder;
}

QString folder()
{
    return gFolder;
}

QString path()
{
    return gFolder.isEmpty() ? QString() : QDir(gFolder).filePath(QLatin1String(JournalName));
}

void setStepHook(StepHook hook)
{
    gHook = hook;
}

Status writeInPlace(const QString &target, const QByteArray &previous, const QByteArray &bytes,
                    const QString &failureMessage)
{
    const Status failed = Status::failure(QString(failureMessage).arg(target));
    const bool journalled = !gFolder.isEmpty();
    if (journalled) {
        // The journal must be on disk, name and all, before the file is touched.
        ReplacementFile journal(path(), ReplacementFile::Follow::Nothing);
        if (!journal.open() || !journal.write(encode(absolute(target), bytes)) ||
            !journal.commit(ReplacementFile::Sync::DataAndName))
            return failed;
    }
    step(1);
    if (!overwrite(target, bytes, true)) {
        // The old content goes back; if even that fails, the journal stays, and the next start
        // finishes the new content.
        if (overwrite(target, previous, false) && journalled)
            removeJournal();
        return failed;
    }
    step(3);
    if (journalled)
        removeJournal();
    return Status::success();
}

QByteArray effectiveContent(const QString &target, const QByteArray &current)
{
    const std::optional<Entry> entry = readJournal();
    if (entry && entry->target == absolute(target) && entry->content.startsWith(current))
        return entry->content;
    return current;
}

Status recover(const QString &target)
{
    const std::optional<Entry> entry = readJournal();
    if (!entry) {
        // A journal cut off while it was written was never acted on: the file is whole.
        if (!gFolder.isEmpty() && QFileInfo::exists(path()))
            removeJournal();
        return Status::success();
    }
    if (entry->target != absolute(target))
        return Status::success();
    if (!QFileInfo(target).isFile()) {
        // Removed since: nothing to finish.
        removeJournal();
        return Status::success();
    }
    const QByteArray current = readFile(target);
    if (current != entry->content && entry->content.startsWith(current) &&
        !overwrite(target, entry->content, false))
        return Status::failure(QCoreApplication::translate("Messages", "Unable to write to %1").arg(target));
    removeJournal();
    return Status::success();
}

} // namespace orlam::SettingsJournal
