#include "common/safefile.h"

#include "ordinaryuser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace orlam;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray name(const QString &path)
{
    return QFile::encodeName(path);
}

bool isRoot()
{
    return ::geteuid() == 0;
}

mode_t kindOf(const QString &path)
{
    struct stat info {};
    return ::lstat(name(path).constData(), &info) == 0 ? (info.st_mode & S_IFMT) : 0;
}

// Files bigger than `bytes` cannot be written (as on a full disk), whoever runs the test.
void limitFileSize(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

// What a hostile or careless hand can leave under the name of one of the program's own files.
struct Planted {
    const char *what;
    std::function<bool(const QTemporaryDir &dir, const QString &path)> plant;
    bool rootOnly = false;
};

const QString Victim = QStringLiteral("victim.txt");
const QByteArray VictimBytes = "the victim's own lines\n";

const std::vector<Planted> &plantedThings()
{
    static const std::vector<Planted> things = {
        {"a link to another file",
         [](const QTemporaryDir &dir, const QString &path) {
             return QFile::link(dir.filePath(Victim), path);
         }},
        {"a link to a file that does not exist",
         [](const QTemporaryDir &dir, const QString &path) {
             return QFile::link(dir.filePath(QStringLiteral("created.txt")), path);
         }},
        {"another name of another file",
         [](const QTemporaryDir &dir, const QString &path) {
             return ::link(name(dir.filePath(Victim)).constData(), name(path).constData()) == 0;
         }},
        {"a named pipe without a reader",
         [](const QTemporaryDir &, const QString &path) {
             return ::mkfifo(name(path).constData(), 0600) == 0;
         }},
        // The numbers of /dev/full: a write into it fails.
        {"a device node",
         [](const QTemporaryDir &, const QString &path) {
             return ::mknod(name(path).constData(), S_IFCHR | 0600, makedev(1, 7)) == 0;
         },
         true},
    };
    return things;
}

} // namespace

TEST(WorkFiles, NothingPlantedUnderTheNameIsWrittenThrough)
{
    for (const WorkFile kind : {WorkFile::Scratch, WorkFile::Kept}) {
        for (const Planted &planted : plantedThings()) {
            if (planted.rootOnly && !isRoot())
                continue;
            SCOPED_TRACE(std::string(planted.what) + (kind == WorkFile::Kept ? ", kept" : ", scratch"));
            QTemporaryDir dir;
            ASSERT_TRUE(dir.isValid());
            const QString victim = dir.filePath(Victim);
            ASSERT_TRUE(writeFileAtomically(victim, VictimBytes).ok);
            const QString path = dir.filePath(QStringLiteral("hl.txt"));
            ASSERT_TRUE(planted.plant(dir, path));

            // A write that waits for a pipe's reader would hang the program: run it with a limit.
            const int result =
                test::inChild([&] { return writeWorkFile(path, "24 hours\r\n", kind).ok ? 0 : 1; });
            ASSERT_EQ(result, 0);
            EXPECT_EQ(kindOf(path), mode_t(S_IFREG));
            EXPECT_EQ(readAll(path), QByteArray("24 hours\r\n"));
            EXPECT_EQ(readAll(victim), VictimBytes);
            EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("created.txt"))));
            QStringList expected{QStringLiteral("hl.txt"), Victim};
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name),
                      expected);
        }
    }
}

TEST(WorkFiles, FolderInThePlaceIsRefusedAndKept)
{
    for (const WorkFile kind : {WorkFile::Scratch, WorkFile::Kept}) {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("td.txt"));
        ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/inside")));
        const Status status = writeWorkFile(folder, "x", kind, QStringLiteral("Unable to write to %1"));
        EXPECT_FALSE(status.ok);
        EXPECT_EQ(status.message, QStringLiteral("Unable to write to ") + folder);
        EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/inside")).isDir());
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
}

TEST(WorkFiles, FullDiskLeavesTheOldFileWhole)
{
    // A disk that fills up half way through: every writer of a file that is kept must fail and
    // leave the old file as it was, never a short one in its place.
    const struct {
        const char *what;
        std::function<bool(const QString &, const QByteArray &)> write;
    } writers[] = {
        {"a work file",
         [](const QString &path, const QByteArray &bytes) {
             return writeWorkFile(path, bytes, WorkFile::Kept).ok;
         }},
        {"the settings file",
         [](const QString &path, const QByteArray &bytes) { return writeFileAtomically(path, bytes).ok; }},
        {"a user's output",
         [](const QString &path, const QByteArray &bytes) {
             OutputFile out(path, QStringLiteral("out.txt"));
             return out.open().ok && out.write(bytes) && out.commit().ok;
         }},
    };
    for (const auto &writer : writers) {
        SCOPED_TRACE(writer.what);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kept.txt"));
        ASSERT_TRUE(writeWorkFile(path, "old lines\r\n", WorkFile::Kept).ok);
        const int result = test::inChild([&] {
            limitFileSize(16);
            return writer.write(path, QByteArray(100, 'n')) ? 0 : 1;
        });
        EXPECT_EQ(result, 1);
        EXPECT_EQ(readAll(path), QByteArray("old lines\r\n"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("kept.txt")});
    }
}

TEST(WorkFiles, ScratchFilesAreReplacedWholeAndLeaveNothingBehind)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString job = dir.filePath(QStringLiteral("input.txt"));
    // A long job followed by a short one: nothing of the first may show after the second.
    ASSERT_TRUE(writeWorkFile(job, QByteArray(5000, 'a'), WorkFile::Scratch).ok);
    ASSERT_TRUE(writeWorkFile(job, QByteArray("short\r\n"), WorkFile::Scratch).ok);
    EXPECT_EQ(readAll(job), QByteArray("short\r\n"));
    // A job file left read-only (a copy from elsewhere) is replaced all the same.
    ASSERT_TRUE(QFile::setPermissions(job, QFile::ReadOwner));
    ASSERT_TRUE(writeWorkFile(job, QByteArray("again\r\n"), WorkFile::Scratch).ok);
    EXPECT_EQ(readAll(job), QByteArray("again\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("input.txt")});
}

TEST(WorkFiles, HelpPageIsCopiedOnlyWhereNoneIs)
{
    QTemporaryDir dir;
    const QString installed = dir.filePath(QStringLiteral("installed.html"));
    ASSERT_TRUE(writeFileAtomically(installed, "<p>help</p>").ok);
    const QString mine = dir.filePath(QStringLiteral("mine.html"));
    ASSERT_TRUE(writeFileAtomically(mine, "<p>my notes</p>").ok);

    const struct {
        const char *what;
        std::function<bool(const QString &)> plant;
        QByteArray afterwards;
        mode_t kind;
    } rows[] = {
        {"nothing", [](const QString &) { return true; }, "<p>help</p>", S_IFREG},
        {"the user's own copy",
         [](const QString &path) { return writeFileAtomically(path, "<p>edited</p>").ok; }, "<p>edited</p>",
         S_IFREG},
        {"a link to a page", [&](const QString &path) { return QFile::link(mine, path); }, "<p>my notes</p>",
         S_IFLNK},
        {"a link to nothing",
         [&](const QString &path) { return QFile::link(dir.filePath(QStringLiteral("nowhere.html")), path); },
         "<p>help</p>", S_IFREG},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        const QString target = dir.filePath(QStringLiteral("orlam.html"));
        QFile::remove(target);
        ASSERT_TRUE(row.plant(target));
        EXPECT_TRUE(copyWorkFileWhenMissing(installed, target));
        EXPECT_EQ(readAll(target), row.afterwards);
        EXPECT_EQ(kindOf(target), row.kind);
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("nowhere.html"))));
        EXPECT_EQ(readAll(mine), QByteArray("<p>my notes</p>"));
    }
}

TEST(OutputFiles, WhatTheUserNamesIsWrittenIntoOrReplacedWhole)
{
    QTemporaryDir dir;
    // A plain file is replaced; a link the user names leads to the file the user meant.
    const QString plain = dir.filePath(QStringLiteral("out.ics"));
    ASSERT_TRUE(writeFileAtomically(plain, "old calendar").ok);
    ASSERT_TRUE(writeOutputFile(plain, "new calendar").ok);
    EXPECT_EQ(readAll(plain), QByteArray("new calendar"));
    const QString link = dir.filePath(QStringLiteral("latest.ics"));
    ASSERT_TRUE(QFile::link(plain, link));
    ASSERT_TRUE(writeOutputFile(link, "newer calendar").ok);
    EXPECT_EQ(kindOf(link), mode_t(S_IFLNK));
    EXPECT_EQ(readAll(plain), QByteArray("newer calendar"));

    // A named pipe's reader gets the bytes, and the pipe stays a pipe.
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(name(fifo).constData(), 0600), 0);
    const int reader = ::open(name(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(writeOutputFile(fifo, "through the pipe").ok);
    char buffer[64] = {};
    EXPECT_EQ(::read(reader, buffer, sizeof buffer), ssize_t(16));
    EXPECT_EQ(QByteArray(buffer), QByteArray("through the pipe"));
    ::close(reader);
    EXPECT_EQ(kindOf(fifo), mode_t(S_IFIFO));

    // A device stays a device: a node of the test's own where it may make one (/dev/null's
    // numbers), else /dev/null itself, which an ordinary user cannot replace anyway.
    QString device = QStringLiteral("/dev/null");
    if (isRoot()) {
        device = dir.filePath(QStringLiteral("null"));
        ASSERT_EQ(::mknod(name(device).constData(), S_IFCHR | 0600, makedev(1, 3)), 0);
    }
    ASSERT_TRUE(writeOutputFile(device, "nothing to keep").ok);
    EXPECT_EQ(kindOf(device), mode_t(S_IFCHR));

    // A device that refuses the bytes is a failure that names it.
    const Status full = writeOutputFile(QStringLiteral("/dev/full"), "too much");
    EXPECT_FALSE(full.ok);
    EXPECT_EQ(full.message, QStringLiteral("Cannot create file /dev/full"));
    EXPECT_EQ(kindOf(QStringLiteral("/dev/full")), mode_t(S_IFCHR));

    // A folder is refused and kept.
    EXPECT_FALSE(writeOutputFile(dir.path(), "x").ok);
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
}

TEST(OutputFiles, StandardOutputIsKnownWhateverItsName)
{
    QTemporaryDir dir;
    const QString captured = dir.filePath(QStringLiteral("captured.txt"));
    const int result = test::inChild([&] {
        const int fd = ::open(name(captured).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0 || ::dup2(fd, STDOUT_FILENO) < 0)
            return 2;
        const bool known = isStandardOutput(QStringLiteral("/dev/stdout")) && isStandardOutput(captured) &&
                           !isStandardOutput(dir.path()) && isStreamOutput(QStringLiteral("/dev/stdout")) &&
                           isStreamOutput(QStringLiteral("/proc/self/fd/1")) && !isStreamOutput(captured);
        return known ? 0 : 1;
    });
    EXPECT_EQ(result, 0);
}
