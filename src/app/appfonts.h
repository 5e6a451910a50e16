#pragma once

#include <QFont>

namespace orlam {

// Arial, 13 pixels: the font of the window and its controls.
QFont windowFont();
// A fixed-pitch font of 13 pixels for the text view and the event view.
QFont viewFont();

} // namespace orlam
