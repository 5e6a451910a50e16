#pragma once

class QCalendarWidget;
class QWidget;

namespace orlam {

// Names for the parts of a month calendar that Qt leaves without one or names only by what
// they show: the arrows to the previous and next month, the month and year buttons, the year
// box and the table of days, so that a screen reader can say what each does.
void nameCalendarControls(QCalendarWidget *calendar);

// Names for the parts Qt adds to a window on its own, under `root`: the calendars' parts (as
// above), scroll bars, splitter handles, the size grip, a toolbar's "more" button, the menu bar
// and the status bar. A part the program has named keeps its name.
void nameStandardParts(QWidget *root);

} // namespace orlam
