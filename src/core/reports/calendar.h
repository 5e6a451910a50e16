#pragma once

#include "astrocalls/astrocalls.h"
#include "common/status.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QTimeZone>

namespace orlam {

constexpr auto CalendarFileName = "calasp.txt";

// A transit calendar for the month (JobKind::MonthCalendar) or the year (JobKind::YearCalendar)
// of `date`: removes an older "calasp.txt" of the astrocalls' work folder, so that a failed run is never
// shown as a new calendar, runs the job and reads the report's lines (Western code page). The
// engine writes every time on the job's one clock; each event line is then rewritten on the
// wall clock of `placeZone` at its own instant (see placeCalendarLines()), in the lines and in
// "calasp.txt". Fails with the job's own message when the job could not be run, with "Cannot
// open file calasp.txt" when the engine left no report, and when an older report cannot be
// removed. On failure `lines` is untouched.
Status makeTransitCalendar(Astrocalls &astro, JobKind kind, const QString &zone, const QString &longitude,
                           const QString &latitude, const QDateTime &date, QTime time,
                           const QTimeZone &placeZone, QStringList *lines);

// The lines of a transit calendar written on a clock `clockHoursWest` hours behind universal
// time, with each event line's weekday, date and time (columns 1-24, month first, or day first
// when `dayFirst`) moved to the wall clock of `zone` at the event's instant, and the line that
// names the report's clock naming `zone` instead. Other lines are kept as they are.
QStringList placeCalendarLines(const QStringList &lines, double clockHoursWest, const QTimeZone &zone,
                               bool dayFirst);

} // namespace orlam
