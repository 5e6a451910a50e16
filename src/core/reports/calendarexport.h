#pragma once

#include "common/status.h"
#include "settings/settings.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <array>
#include <functional>

namespace orlam {

class LocaleFacts;
class ScratchJobs;
struct HoursPlace;

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

// Builds the iCalendar text of `selection` at `place`: the events whose instants fall on the
// selected local dates of the place (in its zone, at each instant), the hours of the base days
// of the selection. The engine's rise/set and transit-calendar jobs run through `jobs` (one
// rise/set run for the whole range, one transit calendar per year or month); `stampUtc` is the
// moment of the export. Events are in time order, in universal time; their identifiers depend
// on nothing but the events and the place, so an export made at any hour gives the same ones.
Status buildCalendar(ScratchJobs &jobs, const HoursPlace &place, const CalendarSelection &selection,
                     const QDateTime &stampUtc, QByteArray *ics, CalendarCounts *counts);

// Where a calendar's text goes as it is written: each piece in order, some tens of kilobytes at
// a time. A failure ends the export with it.
using CalendarSink = std::function<Status(const QByteArray &piece)>;

// The same, handing the text to `sink` as it is written rather than holding the whole file (a
// year's runs to megabytes). The engines have all run before the first piece.
Status buildCalendar(ScratchJobs &jobs, const HoursPlace &place, const CalendarSelection &selection,
                     const QDateTime &stampUtc, const CalendarSink &sink, CalendarCounts *counts);

// buildCalendar() written to the file `path` as it is made (an OutputFile: a regular file is
// replaced whole once all is written, a stream written at the end). A failure, of the export or
// of the writing, leaves the file as it was and says why ("Cannot create file %1" for the file).
Status writeCalendar(ScratchJobs &jobs, const HoursPlace &place, const CalendarSelection &selection,
                     const QDateTime &stampUtc, const QString &path, CalendarCounts *counts);

// Reads a date given on the command line: "2026-06-15", or the locale's short date.
std::optional<QDate> readCommandLineDate(const QString &text, const LocaleFacts &locale);

} // namespace orlam
