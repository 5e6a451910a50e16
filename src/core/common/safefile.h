#pragma once

#include "common/status.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <memory>

namespace orlam {

// How the program writes files. Two kinds of file, two rules:
//
// - Files the program names itself in its work folder (the job file, "td.txt", "hl.txt", the
//   help page's copy, journals): whatever stands under that name - a link, a named pipe, a
//   device, a file with other names too - is never written through. The new file takes the
//   name's place, so a link planted there cannot make the program write, or create, the file
//   it points to. writeWorkFile.
// - Files the user names (a batch output, a saved view, an exported calendar): the user's
//   choice is honoured, a link included. A regular file is replaced whole; a device, a named
//   pipe or the program's own standard output ("/dev/stdout" and the like) is written into,
//   never replaced. OutputFile and writeOutputFile.

enum class WorkFile {
    // Written again by the next command anyway (job files, reports) and read only by a program
    // started after the write: a plain file of ours is written over where it stands, never
    // forced to disk, which would cost more than the job itself.
    Scratch,
    // Kept for the user or for the next start ("td.txt", "hl.txt", the help page): a new file,
    // forced to disk, then renamed into place, so a crash leaves the old file or the new one.
    Kept
};

// Writes `bytes` as the file `path`, which the program names itself, never following a link at
// `path` nor writing into a pipe or a device of that name. A folder of that name is refused and
// kept. On failure the result carries `failureMessage` with %1 replaced by the path, and what
// stood under the name is left as it was.
Status writeWorkFile(const QString &path, const QByteArray &bytes, WorkFile kind,
                     const QString &failureMessage = QCoreApplication::translate("Messages",
                                                                                 "Cannot create file %1"));

// writeWorkFile() for the file `name` in `folder`; a failure names the file as the user knows
// it, without the folder: "Cannot create file td.txt".
Status writeWorkFileIn(const QString &folder, const QString &name, const QByteArray &bytes, WorkFile kind);

// Copies `source` to `target` in the work folder when `target` does not name a file yet (a link
// whose target is missing counts as missing, and is replaced, not followed). A regular file or a
// link to one is left alone. False when a copy was needed and could not be made.
bool copyWorkFileWhenMissing(const QString &source, const QString &target);

// A new file written beside `path` under a hidden temporary name, and renamed over `path` by
// commit(): a reader sees the old file or the whole new one, never a part. Every write is
// checked to its last byte (a disk that fills up half way is a failure, not a short file).
// cancel(), a failure or the destructor leave `path` as it was and remove the temporary.
class ReplacementFile {
public:
    // Nothing: whatever has the name is replaced, a link included. Links: a link (or a chain of
    // them) is followed, and the file it leads to is replaced; the link stays.
    enum class Follow { Nothing, Links };
    // Data: the file's bytes are forced to disk before it takes the name (a crash leaves the old
    // file or the whole new one). DataAndName: the rename is forced to disk too, for a file the
    // next step relies on being there after a crash (a journal).
    enum class Sync { None, Data, DataAndName };

    ReplacementFile(const QString &path, Follow follow);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    // False when the temporary cannot be made, or a folder has the name.
    bool open();
    bool write(const QByteArray &bytes);
    bool commit(Sync sync);
    void cancel();

private:
    QString mTarget;
    QByteArray mTemporary;
    int mFd = -1;
    bool mOk = false;
};

// Writes bytes so that no reader ever sees a half-written file: a temporary file beside the
// target, forced to disk, then renamed over it. A link is followed: its target is replaced. On failure
// the target is left as it was and the result carries `failureMessage` with %1 replaced by the
// path. For the user's own files (the settings file).
Status writeFileAtomically(
    const QString &path, const QByteArray &bytes,
    const QString &failureMessage = QCoreApplication::translate("Messages", "Cannot create file %1"));

// True when `path` names something to write into rather than to replace: the program's own
// standard streams and descriptors (/dev/stdout, /dev/fd/N, /proc/self/fd/N) and anything that
// exists and is neither a regular file nor a folder (a device, a named pipe, a socket).
bool isStreamOutput(const QString &path);

// True when `path` is the very file, pipe or terminal of the program's standard output.
bool isStandardOutput(const QString &path);

// An output file the user names, written in one go at the end. A regular file (or a name not
// yet taken) is written beside the target and renamed over it by commit(): the old file stays
// whole until then, and cancel() or a failure leaves it as it was. A stream (isStreamOutput) is
// opened by open(), so that a name that cannot be written fails before any long work, but is
// written only by commit(); the bytes wait in a temporary file meanwhile, so memory does not
// grow with the output. Every failure says `failureMessage` with %1 replaced by `shownName`.
class OutputFile {
public:
    explicit OutputFile(QString path, QString shownName = QString(),
                        QString failureMessage = QCoreApplication::translate("Messages",
                                                                             "Cannot create file %1"));
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    Status open();
    // False when the bytes could not be kept; commit() then fails as well.
    bool write(const QByteArray &bytes);
    Status commit();
    void cancel();

    bool isStream() const { return mStream; }
    Status failure() const;

private:
    QString mPath;
    QString mShownName;
    QString mFailureMessage;
    bool mStream = false;
    bool mFailed = false;
    QFile mDevice;
    int mHeld = -1; // the bytes of a stream until commit(): a nameless temporary file
    std::unique_ptr<ReplacementFile> mFile;
};

// OutputFile for bytes already in memory.
Status writeOutputFile(const QString &path, const QByteArray &bytes,
                       const QString &failureMessage = QCoreApplication::translate("Messages",
                                                                                   "Cannot create file %1"));

} // namespace orlam
