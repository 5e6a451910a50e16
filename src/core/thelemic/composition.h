#pragma once

#include "settings/settings.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace orlam {

class LocaleFacts;
struct ChartReading;
struct DateTexts;

// Year count of the Thelemic era: 0 from the Sun's entry into Aries in March 1904. The year
// turns in March at the first charted moment whose Sun is in Aries (`sunSign` exactly "Aries"),
// at the latest on 1 April. Negative before the era.
int eraCount(QDate date, const QString &sunSign);

// A count split into 22-year cycles. Division rounds toward minus infinity, so `year` is
// always 0..21 and a count before the era has a negative cycle (count -1: cycle -1, year 21).
struct EraParts {
    int cycle = 0;
    int year = 0;
};
EraParts eraParts(int count);

// Upper-case Roman numeral. 0 gives the empty text. Numbers of 90 and more continue with the
// usual subtractive forms (90 "XC", 100 "C", 400 "CD", 1000 "M"), so the cycles of the far
// future still read as numerals; a negative number is written with a leading "-".
QString RomanNumeral(int number);

// The era year in one of the five forms of `yearFormat` (0 "IVv", 1 "iv5", 2 "ivV", 3 "4v",
// 4 "4V"); empty for any other value. A Roman part of 0 is empty, a decimal part of 0 is "0".
QString eraYearText(int count, int yearFormat);

// "An ", "Anno " or nothing, by `basic`.
QString titleWord(int basic);

// Weekday number of a calendar date: 1 Sunday .. 7 Saturday.
int weekdayNumber(QDate date);
// Latin day name without "Dies " ("Lunæ") for weekday 1..7; empty otherwise.
QString latinDayName(int weekday);
// "Dies " + the Latin day name.
QString dayText(int weekday);

// Formatting patterns in the system's pattern letters, by the DateFormat / TimeFormat options.
QString datePatternFor(int dateFormat);
QString timePatternFor(int timeFormat);

// One left-to-right pass that turns every pair of adjacent spaces into one space; a run of
// three or four spaces therefore keeps two.
QString cleanSpaces(const QString &text);

// The two greeting lines, plain or quoted with their references.
QStringList greetingLines(bool quoted);

// First stage of the composition (the era year and the main text), which needs only the
// chart: sets texts.EraYear and returns title word + era year + positions phrase, not yet
// cleaned of double spaces.
QString composeMainText(QDate chartedDate, const ChartReading &chart, const TSettings &settings,
                        DateTexts &texts);

// Second stage: the day text of `weekday` (1..7, after the day-begins rule), the common-era
// text of `moment` (a local clock value) and the line layout, with the greetings when chosen.
// Sets texts.DayName, DatePattern, TimePattern and CommonDateText.
QStringList composeLines(const QString &mainText, const QDateTime &moment, int weekday,
                         const TSettings &settings, const LocaleFacts &locale, DateTexts &texts);

} // namespace orlam
