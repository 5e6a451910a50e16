#pragma once

#include "commandline.h"
#include "common/status.h"

#include <QString>

namespace orlam {

struct TSettings;

// The steps of a start that the program and its window module share; Qt Core only.

// ORLAM_SETTINGS names another settings file (a second profile, or a test's own file), relative
// to the folder the program was started in; else the usual settings file.
QString settingsPath(const QString &startFolder);

// True when DISPLAY or WAYLAND_DISPLAY names a display (that it answers is another matter).
bool haveDisplay();

// Chooses Qt's platform for a start with `commandLine` unless the user did (QT_QPA_PLATFORM).
// The modes that end after start never need a display, and take one that answers when there
// is one. Returns false, with a line on standard error, when the window has no display to go to.
bool choosePlatform(const CommandLine &commandLine);

// Prints the failure of writing an answer to standard output on standard error; true when the
// answer was written.
bool printed(const Status &status);

// A message for the user on standard error, one line per line of `text`, each after "orlam: ".
void printUserMessage(const QString &text);

// Installs a message handler that keeps Qt's note about an unset XDG_RUNTIME_DIR (every start
// outside a desktop session, cron or ssh) off standard error, which should carry only real
// failures, and passes everything else on.
void filterQtMessages();

// A first start of a command-line mode: the place of the computer's time zone and its clock go
// into `settings` and into the new settings file, and one line on standard error says what was
// set (or why the file could not be written): standard output carries only the answer.
void applyFirstStartQuietly(TSettings *settings, const QString &settingsFile);

} // namespace orlam
