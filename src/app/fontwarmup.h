#pragma once

#include "desktopfonts.h"

namespace orlam {

// Reads the font configuration (fontconfig's FcInit: its configuration files and font caches)
// on a thread of its own while the window module loads and the application object starts, so
// that the window's first text finds it ready: the largest single cost of the window's start,
// taken off its path on a second core. Qt's font database then finds the configuration loaded.
// The same thread then asks the configuration which installed families stand for the window's
// named fonts (DesktopFonts). Touches no Qt GUI library; only the window's start uses it.
class FontWarmUp {
public:
    // Starts the thread. Without fontconfig nothing happens (Qt then does the work itself).
    static void start();
    // Returns once the configuration has been read, with the families found (empty ones when
    // start() did nothing).
    static DesktopFonts wait();
};

} // namespace orlam
