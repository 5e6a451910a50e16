#pragma once

#include <QString>

namespace orlam {

// Opens a file the program wrote (a document, a calendar file) in the desktop's program for its
// type. False when the desktop names no program for that type: the desktop's opener would then
// fail in the background, after the program had been told that all went well, and the user must
// be told where the file is instead.
bool openFileInDesktopProgram(const QString &path);

// The desktop entry ("libreoffice-writer.desktop") that opens files of the type of `path`, as
// the desktop's MIME associations name it; empty when there is none or they cannot be asked.
QString desktopProgramFor(const QString &path);

} // namespace orlam
