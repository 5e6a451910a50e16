#pragma once

#include "commandline.h"
#include "common/status.h"
#include "desktopfonts.h"

#include <QStringList>

#include <functional>

namespace orlam {

// The program is small and needs Qt Core only: the modes without a window (--help, --version,
// the hour commands, a batch) run in it and load no GUI library, and so does the work of "x" and
// of the other single arguments. What needs more lives in two modules that the program loads
// when one of them is asked for, found in the program's private library folder relative to the
// program itself (the build tree and an installed copy alike):
//   liborlam-clipboard.so  Qt GUI: puts a mode's text on the clipboard and keeps it there
//   liborlam-window.so     Qt Widgets: the window, and the message boxes of a mode on a display
// The window in turn loads two more, each when it is first needed (soundmodule.h,
// documentmodule.h):
//   liborlam-sound.so      Qt Multimedia: the alarms' sound player
//   liborlam-document.so   Qt Print Support and QuaZip: printing and the word-processor document

// Prints `output` as "x" does, after the clipboard has it; false (said on standard error) when
// standard output could not take it.
bool printOutput(const QString &output);

// A command-line mode that ran in the program and has something left for a module.
struct CommandLineOutcome {
    CommandLine commandLine;
    QString workFolder;
    QString settingsFile;
    // Messages for the user: on a display the window module shows them in message boxes; without
    // one after all (a display that does not answer) they go to standard error.
    QStringList messages;
    // The run stopped at a failure: on a display the window opens after its message.
    bool failed = false;
    int exitCode = 0;
    // The mode put `clipboard` on the clipboard ("x" and the other single arguments); "x" keeps
    // it there after the program ends.
    bool copied = false;
    QString clipboard;
    // The date "x" prints once it is on the clipboard, one line per line of the date.
    QString output;
};

enum class Module { Clipboard, Window, Sound, Document };

// What the program hands a module, and what the module answers.
struct ModuleCall {
    // Null: a start of the module's own (the window, or the clipboard's server). Set: the end of
    // a command-line mode; the program holds the single-instance lock.
    const CommandLineOutcome *outcome = nullptr;
    // Called once the application object exists and before the first text is laid out: returns
    // when the font configuration that the program reads meanwhile is ready (FontWarmUp), with
    // the installed families that stand for the window's named fonts.
    std::function<DesktopFonts()> waitForFonts = [] { return DesktopFonts(); };
    // Set by the module when the program should end at once (std::_Exit) rather than unwind:
    // without a display there is nothing left to hand on, and the end of the application object
    // would only load the font configuration to free it again.
    bool endNow = false;
};

// A module's one entry. Returns the exit status.
using ModuleEntry = int (*)(int *argc, char **argv, ModuleCall *call);

// The module's path: the private library folder relative to the program's own folder.
QString modulePath(Module module);

// Loads the module and returns its entry; null with `failure` naming the module and the reason.
ModuleEntry loadModule(Module module, Status *failure);

// Loads the module at `path` (once; a second call finds it loaded) and returns its symbol `name`;
// null with `failure` naming the module and the reason.
void *loadModuleSymbol(const QString &path, const char *name, Status *failure);

} // namespace orlam
