#pragma once

#include <QIcon>
#include <QString>

namespace orlam {

// The tray images, in the order of the planetary days' rulers as the hours use them.
enum class PlanetImage { Saturn = 0, Jupiter, Mars, Sun, Venus, Mercury, Moon };
constexpr int PlanetImageCount = 7;

QIcon programIcon();
// A toolbar image by its file's base name ("calculate", "now", ...), in the sizes drawn for it
// at build time.
QIcon toolIcon(const QString &name);
// ImageList1: index 0 Saturn .. 6 Moon; an index out of range gives the Sun.
QIcon planetIcon(int index);

} // namespace orlam
