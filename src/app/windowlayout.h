#pragma once

#include <QSize>

namespace orlam {

// The sizes of the main window's parts, in pixels, as its layout keys' defaults expect them.
inline constexpr int PickerWidth = 110; // the date and time pickers, at the least
inline constexpr QSize ToolButtonSize(19, 22);
inline constexpr int CalendarPanelHeight = 212;
inline constexpr int ViewMinimumHeight = 20;
inline constexpr int SplitterWidth = 3;
inline constexpr int StatusBarHeight = 20;

} // namespace orlam
