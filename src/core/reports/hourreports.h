#pragma once

#include "common/status.h"
#include "hours/hoursspan.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <optional>

namespace orlam {

class LocaleFacts;
class ScratchJobs;
struct TSettings;

constexpr int NextHourCount = 3;
constexpr int NextHourSearchDays = 14;

// The answer to "when is the next hour of Venus?". Times are instants (UTC); they are shown on
// the wall clock of `zone`.
struct NextHours {
    QString planet;
    QDateTime now;                 // the instant the search starts from
    QTimeZone zone;                // the place's
    QList<PlanetHour> hours;       // up to NextHourCount, in time order; the first may be running
    QList<QDate> daysWithoutHours; // base days from now's local date on, up to where the search
                                   // ended, that have no hours
    QDate searchedUntil;           // the last base day looked at
};

// One of the seven hour planets by its name in any letter case ("venus"), spelled as the
// rulers are ("Venus"); nothing for another name.
std::optional<QString> hourPlanetName(const QString &text);

// The next `count` hours of `planet` that have not ended at `now`, looked for in the base days
// of the span from the day before now's local date (its night may still run) to now's date +
// `searchDays` - 1.
NextHours findNextHours(const HoursSpan &span, const QString &planet, const QDateTime &now,
                        int count = NextHourCount, int searchDays = NextHourSearchDays);

// The same, fetching the days it needs through `jobs`: a few days first, the rest of the
// fortnight only when those do not hold enough hours (as near the poles).
Status searchNextHours(ScratchJobs &jobs, const HoursPlace &place, const QString &planet,
                       const QDateTime &now, NextHours *answer);

// The answer as the view shows it: a heading, one line per hour (weekday and date, start and
// end in the locale's short time; "(now)" for a running hour) in aligned columns, a line for
// each run of days without hours, and a closing line when fewer hours were found than asked for.
QStringList nextHoursReport(const NextHours &answer, const LocaleFacts &locale, const TSettings &settings);

// The answer for scripts: one line per hour, "2026-06-15 15:12-16:20 Venus", with " now" after
// a running hour; a line "2026-06-18 no hours" for each day without hours.
QStringList nextHoursLines(const NextHours &answer);

// A base day's 24 hours for scripts, "2026-06-15 05:27-06:44 Moon" (the date is the start's
// own, on the place's wall clock), or the one line "2026-06-15 no hours (no sunset)".
QStringList dayHoursLines(const HoursSpan &span, QDate date);

// Seven blocks, one per day from `first`: the long date, sunrise and sunset, then two columns
// side by side, "Hours of the Day" and "Hours of the Night", each with twelve lines of start
// (short time, right-aligned) and ruler. The hour that holds the instant `now` is marked
// "« now". A day without hours says why.
QStringList weekHoursReport(const HoursSpan &span, QDate first, const QDateTime &now,
                            const LocaleFacts &locale);

constexpr auto CurrentHourMark = "  \u00ab now";

} // namespace orlam
