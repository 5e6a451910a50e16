#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QStringList>

class QLocale;
class QWidget;

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

// Puts a top-level window's frame at `corner` once it is first shown in its frame. Until a window
// manager has framed the window, Qt does not know the frame's size and places the client's corner
// where the frame's should be; a window resized before the frame is known (the first start's fit
// to the date lines) then shows its title bar above the screen's edge. One correction, at the first
// expose; a window the user has moved by then, or one without a frame, is left alone.
void holdFrameCorner(QWidget *window, QPoint corner);

// How much of the title bar must show for the user to take hold of the window.
constexpr int TitleGripWidth = 80;
constexpr int TitleBarHeight = 24;

} // namespace orlam
