#pragma once

#include <QList>
#include <QRect>
#include <QStringList>

class QLocale;

namespace orlam {

// The date lines with every sign name, Latin day name and the locale's month and weekday
// names replaced by the longest of their kind ("Gemini" by "Sagittarius", "May" by "September"), so that a
// view wide enough for them is wide enough for the date of any day.
QStringList widestDateLines(const QStringList &lines, const QLocale &locale);

// A window's frame, as stored, brought back onto the screens: when its title bar shows less
// than a grip's width, or less than its whole height, on every screen (`screens`: their available areas, the
// first the primary), it moves onto the screen it overlaps most, else the primary, and shrinks to fit it. A
// frame that can be grabbed stays where it is.
QRect keepOnScreen(const QRect &frame, const QList<QRect> &screens);

// How much of the title bar must show for the user to take hold of the window.
constexpr int TitleGripWidth = 80;
constexpr int TitleBarHeight = 24;

} // namespace orlam
