#pragma once

#include "common/status.h"
#include "settings/settings.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <array>

namespace orlam {

class ScratchJobs;

constexpr int DefaultCalendarDays = 30;
constexpr int MaxCalendarDays = 366;

// What goes into an exported calendar: a range of days and the kinds of events.
struct CalendarSelection {
    QDate first;
    int dayCount = DefaultCalendarDays;
    bool hours = true;
    // The planets whose hours are included, in the order of BodyKeys (Sun, Moon, Mercury,
    // Venus, Mars, Jupiter, Saturn).
    std::array<bool, HourPlanetCount> hourPlanets{true, true, true, true, true, true, true};
    bool sunMoon = true;  // rise, set and both culminations of the Sun and the Moon
    bool transits = true; // New and Full Moons and the sign ingresses of the transit calendar

    QDate last() const { return first.addDays(dayCount - 1); }
    // A range of 1..MaxCalendarDays days starting on a valid date, and something to include;
    // else a failure whose message says what to change.
    Status check() const;
};

// How many events of each kind an export holds.
struct CalendarCounts {
    int hours = 0;
    int sunMoon = 0;
    int transits = 0;
    int total() const { return hours + sunMoon + transits; }
};

// Builds the iCalendar text of `selection` at the place and in the time mode of `settings`:
// the engine's rise/set and transit-calendar jobs run through `jobs`; `time` is the time of day
// the jobs are made for (the time picker's); `stampUtc` the moment of the export. Events are in
// time order, in universal time.
Status buildCalendar(ScratchJobs &jobs, const TSettings &settings, const CalendarSelection &selection,
                     QTime time, const QDateTime &stampUtc, QByteArray *ics, CalendarCounts *counts);

// Reads a date given on the command line: "2026-06-15", or the locale's short date.
std::optional<QDate> readCommandLineDate(const QString &text, const LocaleFacts &locale);

} // namespace orlam
