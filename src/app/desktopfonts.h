#pragma once

#include <QString>

namespace orlam {

// The families the window names for its text, as a Windows desktop has them, and their sizes.
inline constexpr char WindowFontFamily[] = "Arial";
inline constexpr char ViewFontFamily[] = "Courier New";
inline constexpr int WindowFontPixels = 13;
inline constexpr int ViewFontPixels = 13;

// What the desktop's font configuration puts in their place: on most Linux desktops a family of
// the same metrics under another name (Liberation Sans for Arial). Asking Qt for the installed
// family itself spares the window's first text Qt's search through every font for a stand-in.
struct DesktopFonts {
    QString windowFamily; // empty: not known, Qt looks for the stand-in itself
    QString viewFamily;
    bool viewFixedPitch = false; // the view family's letters all have one width
};

} // namespace orlam
