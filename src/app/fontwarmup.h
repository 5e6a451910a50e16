#pragma once

namespace orlam {

// Reads the font configuration (fontconfig's FcInit: its configuration files and font caches)
// on a thread of its own while the window module loads and the application object starts, so
// that the window's first text finds it ready: the largest single cost of the window's start,
// taken off its path on a second core. Qt's font database then finds the configuration loaded.
// Touches no Qt GUI library; only the window's start uses it.
class FontWarmUp {
public:
    // Starts the thread. Without fontconfig nothing happens (Qt then does the work itself).
    static void start();
    // Returns when the configuration has been read (at once when start() did nothing).
    static void wait();
};

} // namespace orlam
