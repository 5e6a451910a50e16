#pragma once

#include "common/status.h"

#include <QString>

namespace orlam {

// A start from the desktop's menu has no meaningful current folder, and the program keeps its
// job file, reports, "td.txt" and the rest in the current folder. Such a start therefore runs in
// a folder of the user's own: $XDG_DATA_HOME/Orlam (default ~/.local/share/Orlam).
QString desktopWorkFolder();

// An installed data file of the program, `relative` to its data folder ("orlam.html",
// "sounds/sun.wav", "city.tab"): share/orlam/RELATIVE beside the program's prefix (the build
// tree and an installed copy alike), else in the system's data folders. Empty when none exists.
QString installedDataFile(const QString &relative);

// A data file the user may keep in the work folder ("verses.txt", "city.tab", an alarm sound):
// `name` in the current folder when it exists there, else the installed one, else empty.
QString userOrInstalledDataFile(const QString &name);

// The installed help page. Empty when none is found.
QString installedHelpPage();

// Creates `folder` when missing, copies the help page into it when it has none, and makes it
// the current folder. A failure names the folder; the current folder is then unchanged.
Status enterWorkFolder(const QString &folder, const QString &helpPage);

} // namespace orlam
