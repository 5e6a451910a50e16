#pragma once

#include <functional>

class QWidget;

namespace orlam {

// How long work waits for a window's first frame at the most: a desktop may map a window where
// it is not seen (another workspace) and so never draw it.
inline constexpr int FirstFrameWaitMs = 100;

// Calls `work` from the event loop once the window `window` has drawn its first frame on the
// screen, so that work queued at its showing does not hold the frame back: on X11 the window
// is drawn when the display answers its mapping, and the event loop runs its timers before it
// reads that answer. At once (from the event loop) when the window has been drawn already or is
// not shown; after FirstFrameWaitMs when no frame comes. `work` is dropped with the window.
void afterFirstFrame(QWidget *window, std::function<void()> work);

} // namespace orlam
