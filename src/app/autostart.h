#pragma once

#include "common/status.h"

#include <QString>

namespace orlam {

// Starting with the desktop session is an XDG autostart entry, $XDG_CONFIG_HOME/autostart/
// orlam.desktop (default ~/.config/autostart/orlam.desktop), which runs "orlam --desktop".
// The entry itself is the setting: nothing about it is kept in the settings file.
QString autostartEntryPath();
bool autostartEnabled();

// Creates or removes the entry. `program` is the command the entry runs (quoted as the entry's
// format wants); empty means the orlam beside the running program, else orlam on PATH.
// A failure names the file.
Status setAutostart(bool on, const QString &program = {});

} // namespace orlam
