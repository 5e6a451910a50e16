#pragma once

#include <QString>

namespace orlam {

// The argument that starts the program as the small clipboard server below. It is the first
// argument, followed by the text; nothing else of the program runs in that mode.
constexpr auto KeepClipboardArgument = "--keep-clipboard";

// On X11 the clipboard's text lives in the program that put it there, and is gone when that
// program ends, unless a clipboard manager takes it over. "orlam x" ends at once, so before it
// ends its text is handed on: to the desktop's clipboard manager when one runs (Qt does that as
// the program ends), otherwise to a small process of ours that serves the text until another
// program takes the clipboard over, as the usual command-line clipboard tools do.
//
// Call after the text is on the clipboard. Returns once the server owns the clipboard (or at
// once when there is nothing to keep: no X11 display, or a manager runs). A server that cannot
// be started costs a line on standard error, not the run. On Wayland, where a program without a
// window cannot set the clipboard, it says so on standard error.
void keepClipboardAfterExit(const QString &text);

// The server's main: takes the clipboard with `text` and returns when another program has
// taken it over or the display has gone. Returns the exit status.
int serveClipboard(int argc, char **argv, const QString &text);

} // namespace orlam
