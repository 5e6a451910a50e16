#pragma once

#include "astrocalls/astrocalls.h"
#include "common/status.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>

namespace orlam {

constexpr auto CalendarFileName = "calasp.txt";

// A transit calendar for the month (JobKind::MonthCalendar) or the year (JobKind::YearCalendar)
// of `date`: removes an older "calasp.txt" of the current folder, so that a failed run is never
// shown as a new calendar, runs the job and reads the report's lines (Western code page).
// Fails with the job's own message when the job could not be run, with "Cannot open file
// calasp.txt" when the engine left no report, and when an older report cannot be removed.
// On failure `lines` is untouched.
Status makeTransitCalendar(Astrocalls &astro, JobKind kind, const QString &zone, const QString &longitude,
                           const QString &latitude, const QDateTime &date, QTime time, QStringList *lines);

} // namespace orlam
