#pragma once

#include "desktopfonts.h"

#include <QFont>

namespace orlam {

// The installed families that stand for the named ones, found at the program's start
// (FontWarmUp). Given once, before the first window is built; without them the fonts below
// ask Qt for the named families, and Qt finds the stand-ins itself.
void useDesktopFonts(const DesktopFonts &fonts);

// Arial (or its stand-in), 13 pixels: the font of the window and its controls.
QFont windowFont();
// A fixed-pitch font of 13 pixels for the text view and the event view: Courier New or its
// stand-in where there is one.
QFont viewFont();
// The family a document names for text in the view's `font`: the stand-in goes by the name it
// stands for, so that a word processor with Courier New installed shows that.
QString documentFamily(const QFont &font);

} // namespace orlam
