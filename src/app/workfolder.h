#pragma once

#include "common/status.h"

#include <QString>

namespace orlam {

// The program keeps its job file, reports, "td.txt", "hl.txt" and the rest in its work folder,
// and every start (desktop, terminal, command-line modes) uses a folder of its own for them:
// $XDG_DATA_HOME/Orlam (default ~/.local/share/Orlam). It is decided once, at start, and handed
// to whatever reads or writes there. The user's current folder is never written to unless the
// user names a file there.
QString desktopWorkFolder();

// An installed data file of the program, `relative` to its data folder ("orlam.html",
// "sounds/sun.wav", "city.tab"): share/orlam/RELATIVE beside the program's prefix (the build
// tree and an installed copy alike), else in the system's data folders. Empty when none exists.
QString installedDataFile(const QString &relative);

// A data file the user may keep in the work folder ("verses.txt", "city.tab", an alarm sound):
// `name` in `workFolder` when it exists there, else the installed one, else empty.
QString userOrInstalledDataFile(const QString &workFolder, const QString &name);

// The installed help page. Empty when none is found.
QString installedHelpPage();

// Creates `folder` and the folders above it when missing. A failure names the folder and the
// reason: "Orlam cannot create its work folder /home/u/.local/share/Orlam: Not a directory."
Status makeWorkFolder(const QString &folder);

// Creates `folder` when missing, copies the help page into it when it has none, and makes it
// the current folder too, a safe place for any file named without a folder; the program itself
// passes the folder on and never reads the current folder back. A failure names the folder; the
// current folder is then unchanged.
Status enterWorkFolder(const QString &folder, const QString &helpPage);

} // namespace orlam
