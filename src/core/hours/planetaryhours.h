#pragma once

#include "hours/hoursspan.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <optional>

namespace orlam {

class LocaleFacts;

constexpr auto HoursFileName = "hl.txt";
constexpr auto HourNotAvailableText = " [Hour not available]";
constexpr int HoursPerHalf = 12; // hours of the day, and of the night

// What the window shows of the hours: every time is the wall clock of the span's place at its
// own instant (see hoursspan.h), rounded to the nearest minute.

// The hour the window shows for the present instant.
struct CurrentHour {
    // " [Hour of Venus 6:12 AM-7:05 AM]" (the locale's short time); without an hour
    // HourNotAvailableText, with the reason when the day has no hours:
    // " [Hour not available: no sunset]".
    QString HourText;
    QString CurrentRuler; // "Venus"; empty when no hour holds the instant
    int trayImage = -1;   // the ruler's tray image; -1 leaves the tray image as it is
    std::optional<PlanetHour> hour;
    NoHours why = NoHours::None; // why the base day at the instant has no hours

    // The same as shown: text, ruler, tray image and reason (not the hour's instants).
    bool operator==(const CurrentHour &other) const
    {
        return HourText == other.HourText && CurrentRuler == other.CurrentRuler &&
               trayImage == other.trayImage && why == other.why;
    }
};
CurrentHour currentHour(const HoursSpan &span, const QDateTime &nowUtc, const LocaleFacts &locale);

// "(Sun) " .. "(Sat) " by the date's weekday (a clock reading's own date).
QString WeekdayTag(QDate date);
inline QString WeekdayTag(const QDateTime &clock)
{
    return WeekdayTag(clock.date());
}

// One line of "hl.txt", 43 characters: tag, start as "mm/dd/yyyy hh:nnam/pm" with the locale's
// separators (the start's own wall clock), a blank, the ruler padded to 8, six blanks, "Hour".
QString hourLine(const PlanetHour &hour, const QTimeZone &zone, const LocaleFacts &locale);
// The 24 lines of "hl.txt", day hours then night hours; none when the day has no hours.
QStringList hourLines(const BaseDayHours &day, const QTimeZone &zone, const LocaleFacts &locale);
// The same as the file's bytes: Western code page, CR LF after every line. The file is written
// for the user; the program never reads it back.
QByteArray hoursFileBytes(const BaseDayHours &day, const QTimeZone &zone, const LocaleFacts &locale);

// A length in seconds as "H:MM" with the locale's time separator, the whole hours of the
// fraction of a day.
QString hoursMinutesText(qint64 lengthSecs, const LocaleFacts &locale);

// The 43-line report of the view for the base day `baseDay` of `span`. `datePattern` is the
// pattern the last Calculate chose (DateTexts::DatePattern). The hours of light and darkness
// are the differences of the printed times. Lines 35-43 give the Sun's and the Moon's events of
// the base day's local date (the last of each kind). Without hours, lines 3-33 say why.
QStringList hoursReport(const HoursSpan &span, QDate baseDay, const QString &datePattern,
                        const LocaleFacts &locale);

} // namespace orlam
