#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

namespace orlam {

// The tray images, in the order of the planetary days' rulers as the hours use them.
enum class PlanetImage { Saturn = 0, Jupiter, Mars, Sun, Venus, Mercury, Moon };
constexpr int PlanetImageCount = 7;

QIcon programIcon();
// A toolbar image by its file's base name ("calculate", "now", ...), in the sizes drawn for it
// at build time.
QIcon toolIcon(const QString &name);
// An icon of PNG files, one per size. Each is read as PNG straight away: a file left to Qt's
// format detection first loads every image-format plugin installed, to ask each whether it
// reads the file.
QIcon pngIcon(const QStringList &files);
// ImageList1: index 0 Saturn .. 6 Moon; an index out of range gives the Sun.
QIcon planetIcon(int index);

} // namespace orlam
