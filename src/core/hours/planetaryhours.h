#pragma once

#include "hours/risesettable.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <array>
#include <optional>

namespace orlam {

class LocaleFacts;

constexpr auto HoursFileName = "hl.txt";
constexpr auto HourNotAvailableText = " [Hour not available]";
constexpr int HoursPerHalf = 12; // hours of the day, and of the night

// All moments below are local clock values (common/clocktime.h). Hour lengths are equal shares
// of the elapsed time between sunrise, sunset and the next sunrise, so that an hour never
// starts inside the hour a daylight-saving change skips; each start is then read back on the
// clock. The clock's zone says how clock readings map to elapsed time: UTC when the reports are
// in standard or daylight time throughout (no change within a day), the computer's zone when
// they follow its daylight-saving rules (see hoursClockZone()).

// One planetary hour.
struct PlanetaryHour {
    QDateTime start; // first moment of the hour
    QDateTime end;   // first moment after it: the next hour's start, sunset or the next sunrise
    // The same two as elapsed milliseconds since 1970 UTC in the hours' zone: unlike the clock
    // readings, they tell the two passes of the hour a clock is set back apart.
    qint64 startMs = 0, endMs = 0;
    int ruler = 0; // index into PlanetCycle
    bool night = false;
    int number = 0; // 0..11 within its day or night
};

// The 24 hours of one base day, and the night before it.
struct PlanetaryHours {
    QDate baseDay;
    // False when the base day has no proper sunrise and sunset: the three moments must be
    // valid, sunrise on the base day, sunrise < sunset < next sunrise, and the next sunrise on
    // the day after. Nothing else below is meaningful then.
    bool valid = false;
    QDateTime sunRise, sunSet, nextSunRise;
    qint64 lightMs = 0;    // sunset - sunrise, elapsed milliseconds
    qint64 darknessMs = 0; // next sunrise - sunset
    // hours[0..11] the day from sunrise, hours[12..23] the night from sunset.
    std::array<PlanetaryHour, 2 * HoursPerHalf> hours;
    // The twelve night hours of the day before, from its sunset to the base day's sunrise,
    // when TRiseSetTable::PrevSunSet is known and consistent: the hours after midnight.
    std::optional<std::array<PlanetaryHour, HoursPerHalf>> previousNight;
};

// UTC for "Time" 0 and 1 (the engine reports one fixed offset), the computer's zone for 2.
QTimeZone hoursClockZone(int timeMode, const QTimeZone &computerZone);

// Computes the hours of `baseDay` (any day, not only today) from the table of that base day.
// Rulers follow the weekday of `baseDay`. `zone` maps clock readings to elapsed time.
PlanetaryHours computePlanetaryHours(QDate baseDay, const TRiseSetTable &table, const QTimeZone &zone);

// The hour that contains `moment` (start <= moment < end), searched in the base day's 24 hours
// and the night before it. A reading of the hour that a clock is set back is taken at its first
// pass. Nothing when the hours are not valid, when `moment` lies before the
// night before (or before sunrise with that night unknown), or at or after the next sunrise.
std::optional<PlanetaryHour> hourAt(const PlanetaryHours &hours, const QDateTime &moment,
                                    const QTimeZone &zone);

// The hour the window shows for the present moment `now`.
struct CurrentHour {
    // " [Hour of Venus 6:12 AM-7:05 AM]" (times in the locale's short time format);
    // HourNotAvailableText without valid hours or before sunrise with the night before unknown;
    // empty at or after the next sunrise.
    QString HourText;
    QString CurrentRuler; // "Venus"; empty when no hour is selected
    int trayImage = -1;   // the ruler's tray image; -1 leaves the tray image as it is
    std::optional<PlanetaryHour> hour;
};
CurrentHour currentHour(const PlanetaryHours &hours, const QDateTime &now, const QTimeZone &zone,
                        const LocaleFacts &locale);

// "(Sun) " .. "(Sat) " by the moment's own date.
QString WeekdayTag(const QDateTime &moment);

// One line of "hl.txt", 43 characters: tag, start as "mm/dd/yyyy hh:nnam/pm" with the locale's
// separators, a blank, the ruler padded to 8, six blanks and "Hour".
QString hourLine(const PlanetaryHour &hour, const LocaleFacts &locale);
// The 24 lines of "hl.txt", day hours then night hours; none when the hours are not valid.
QStringList hourLines(const PlanetaryHours &hours, const LocaleFacts &locale);
// The same as the file's bytes: Western code page, CR LF after every line.
QByteArray hoursFileBytes(const PlanetaryHours &hours, const LocaleFacts &locale);

// A length as "H:MM" with the locale's time separator: whole hours of the fraction of a day,
// minutes truncated.
QString hoursMinutesText(qint64 lengthMs, const LocaleFacts &locale);

// The 43-line report of the view. `datePattern` is the pattern the last Calculate chose
// (DateTexts::DatePattern). The culminations and rise/set moments of lines 35-43 are printed
// only when they fall on the base day. Without valid hours, lines 3-33 say that the Sun does not
// rise and set that day.
QStringList hoursReport(const PlanetaryHours &hours, const TRiseSetTable &table, const QString &datePattern,
                        const LocaleFacts &locale);

} // namespace orlam
