#pragma once

#include <QChar>
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>
#include <QTimeZone>
#include <optional>

namespace orlam {

// What the system takes from the computer's locale and time zone: the short and long date and
// time formats (what the patterns "ddddd", "dddddd", "t" and "tt" print), the date order and
// separators, and the zone's standard offset and daylight-saving transitions.
//
// Formats follow what a user of the locale expects: four-digit years in the short date, no zone
// name in the long time, and characters outside the Western single-byte code page (such as a
// narrow no-break space before AM/PM) replaced by a plain space. The POSIX/C locale behaves as
// US English.
class LocaleFacts {
public:
    enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

    // From Qt's system locale (LC_ALL, LC_TIME, LANG) and the system time zone (TZ honoured).
    static LocaleFacts system();
    // For a given locale and zone; `today` is the clock's present date (the year whose
    // daylight-saving transitions are derived). Used by tests and by system().
    static LocaleFacts make(const QLocale &locale, const QTimeZone &zone, QDate today);

    const QLocale &locale() const { return mLocale; }
    const QTimeZone &zone() const { return mZone; }

    // Patterns in Qt's QDateTime format syntax.
    const QString &shortDatePattern() const { return mShortDate; }
    const QString &longTimePattern() const { return mLongTime; }

    QString formatShortDate(QDate date) const; // "ddddd": 6/15/2026, 15/06/2026, 15.06.2026
    QString formatLongDate(QDate date) const;  // "dddddd": Monday, June 15, 2026
    QString formatShortTime(QTime time) const; // "t": 2:30 PM, 14:30
    QString formatLongTime(QTime time) const;  // "tt": 2:30:00 PM, 14:30:00

    // Formats with the system's pattern letters: "ddddd", "dddddd", "t", "tt", text in double
    // quotes copied without the quotes, anything else (a space) copied as it stands.
    QString formatPattern(const QString &pattern, const QDateTime &moment) const;

    DateOrder dateOrder() const { return mOrder; }
    bool dayFirst() const { return mOrder == DateOrder::DayMonthYear; }
    QChar dateSeparator() const { return mDateSeparator; }
    QChar timeSeparator() const { return mTimeSeparator; }
    // "-Yd" when the short date format begins with the day, else empty.
    QString euroDateSwitch() const;

    // Reads a date in the short date format's order and separator ("6/15/2026"; a two-digit
    // year is taken as 20xx below 50, else 19xx). Leading and trailing blanks are skipped.
    std::optional<QDate> parseShortDate(const QString &text) const;
    // Reads a time: hours and minutes, optional seconds, optional AM/PM designator (the locale's
    // own or "AM"/"PM"/"am"/"pm"), with the locale's time separator (":" always accepted).
    std::optional<QTime> parseTime(const QString &text) const;
    // Reads "<date> <time>" as the locale's date-and-time conversion does: date order from the
    // short date format, the locale's separators, blanks skipped, "am"/"pm" choose the half of
    // the day (12am midnight, 12pm noon). The result is a local clock value.
    std::optional<QDateTime> parseDateTime(const QString &text) const;

    // The zone's standard offset in whole hours west of Greenwich, truncated toward zero
    // (Asia/Kolkata -5, America/Chicago 6, UTC 0).
    int zoneHours() const { return mZoneHours; }
    // This year's transitions as local clock moments: start = the clock reading at which
    // daylight time takes effect, end = the reading at which standard time returns, each as the
    // clock showed it just before the change (2:00 for most US and EU rules). Invalid when the
    // zone has no daylight saving this year. In a year with only one of the two changes the
    // missing one is the year's first moment (1 January 0:00) or its last (31 December
    // 23:59:59).
    bool hasDaylightSaving() const { return mDstStart.isValid() && mDstEnd.isValid(); }
    QDateTime dstStartRule() const { return mDstStart; }
    QDateTime dstEndRule() const { return mDstEnd; }

    // The daylight-saving moments and the standard offset of `zone` in the calendar year of
    // `day`, by the rules above (the standard offset is the one in force on `day` when the year
    // has no daylight saving). Offsets in seconds east of Greenwich.
    struct ZoneYear {
        QDateTime dstStart;
        QDateTime dstEnd;
        int standardOffset = 0;
    };
    static ZoneYear zoneYear(const QTimeZone &zone, QDate day);

private:
    QLocale mLocale;
    QTimeZone mZone;
    QString mShortDate, mLongDate, mShortTime, mLongTime;
    DateOrder mOrder = DateOrder::MonthDayYear;
    QChar mDateSeparator = QLatin1Char('/');
    QChar mTimeSeparator = QLatin1Char(':');
    int mZoneHours = 0;
    QDateTime mDstStart, mDstEnd;
};

// A zone's offset as the engine and the "Time Zone" key take it: hours west of Greenwich, with
// the minutes after a colon when there are any ("-1", "6", "-5:30" for India, "3:30" for
// Newfoundland).
QString zoneHoursWestText(int secondsEast);

} // namespace orlam
