#pragma once

#include "common/status.h"

#include <QByteArray>
#include <QString>

namespace orlam {

// A settings file that must be rewritten where it stands (the user may write it, but not its
// folder, so no new copy can be renamed over it) is never left cut off by a crash: the new
// content goes first into a journal in the program's work folder, forced to disk, and only then
// over the file; the journal goes when the file is whole. A write cut off in between is
// finished by the next start (recover), and until then every reader of the file reads the
// journal's content instead of the cut-off file. So at any moment the file reads as the old
// content or the new one.
namespace SettingsJournal {

// The folder that holds the journal (the work folder), for this process. Empty (the default):
// in-place writes go without a journal.
void setFolder(const QString &folder);
QString folder();
// The journal file in the folder.
QString path();

// Writes `bytes` over the file `path` in place, through the journal. `previous` is the file's
// content before the write: a write that fails half way puts it back. On failure the result
// says `failureMessage` with %1 replaced by the path.
Status writeInPlace(const QString &path, const QByteArray &previous, const QByteArray &bytes,
                    const QString &failureMessage);

// The content of the settings file `path` as a reader should take it: `current` (the file's
// bytes), or the journal's new content when a write of this very file was cut off (the file
// holds a beginning of it, or all of it).
QByteArray effectiveContent(const QString &path, const QByteArray &current);

// Finishes a cut-off write of `path`: the journal's content is written over the file when the
// file holds a beginning of it. A journal of another file is left for that file's program; one
// that no longer fits (the file was changed since) is dropped, leaving the file as it is.
Status recover(const QString &path);

// For tests: called at each step of writeInPlace (1 journal written, 2 half the file written,
// 3 the whole file written, journal still there), so that a test can stop the process there.
using StepHook = void (*)(int step);
void setStepHook(StepHook hook);

} // namespace SettingsJournal

} // namespace orlam
