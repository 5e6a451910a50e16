#pragma once

namespace orlam {

// True when the program runs without a display (Qt's offscreen or minimal platform): messages
// then go to standard error, since there is nobody to close a message box. Needs the
// application object.
bool isHeadless();

} // namespace orlam
