#include "reports/hourreports.h"

#include "common/columns.h"
#include "hours/planets.h"
#include "settings/localefacts.h"
#include "settings/settings.h"

namespace orlam {

namespace {

// Today and tomorrow: a planet rules every seventh hour, so the day after today (which ends at
// the sunrise after tomorrow, more than a day from now) always holds three of its hours.
constexpr int FirstFetchDays = 2;
// Blanks between the day's column and the night's in the week report.
constexpr int WeekColumnGap = 4;

QString scriptDay(const QDateTime &utc, const QTimeZone &zone)
{
    return placeMinute(utc, zone).date().toString(Qt::ISODate);
}

QString scriptTime(const QDateTime &utc, const QTimeZone &zone)
{
    return placeMinute(utc, zone).time().toString(QStringLiteral("HH:mm"));
}

QString scriptHour(const PlanetHour &hour, const QTimeZone &zone)
{
    return QStringLiteral("%1 %2-%3 %4")
        .arg(scriptDay(hour.startUtc, zone), scriptTime(hour.startUtc, zone), scriptTime(hour.endUtc, zone),
             planetName(hour.ruler));
}

QString shortTime(const QDateTime &utc, const QTimeZone &zone, const LocaleFacts &locale)
{
    return locale.formatShortTime(placeMinute(utc, zone).time());
}

QString noHoursText(QDate first, QDate last, const LocaleFacts &locale)
{
    if (first == last)
        return QStringLiteral("%1: no planetary hours, the Sun does not rise and set that day")
            .arg(locale.formatLongDate(first));
    return QStringLiteral("%1 - %2: no planetary hours, the Sun does not rise and set on these days")
        .arg(locale.formatLongDate(first), locale.formatLongDate(last));
}

} // namespace

std::optional<QString> hourPlanetName(const QString &text)
{
    for (int i = 0; i < HourPlanetCount; ++i) {
        const QString &name = BodyKeys[static_cast<std::size_t>(i)];
        if (name.compare(text.trimmed(), Qt::CaseInsensitive) == 0)
            return name;
    }
    return std::nullopt;
}

NextHours findNextHours(const HoursSpan &span, const QString &planet, const QDateTime &now, int count,
                        int searchDays)
{
    NextHours answer;
    answer.planet = planet;
    answer.now = now;
    answer.zone = span.place().zone;
    const QDate today = placeClock(now, answer.zone).date();
    for (QDate date = today.addDays(-1); date < today.addDays(searchDays); date = date.addDays(1)) {
        const BaseDayHours *day = span.day(date);
        if (day == nullptr)
            break;
        answer.searchedUntil = date;
        if (!day->valid()) {
            if (date >= today)
                answer.daysWithoutHours.append(date);
            continue;
        }
        for (const PlanetHour &hour : day->hours) {
            if (planetName(hour.ruler) == planet && hour.endUtc > now && answer.hours.size() < count)
                answer.hours.append(hour);
        }
        if (answer.hours.size() >= count)
            break;
    }
    if (answer.searchedUntil.isValid() && answer.searchedUntil < today)
        answer.searchedUntil = today;
    return answer;
}

Status searchNextHours(ScratchJobs &jobs, const HoursPlace &place, const QString &planet,
                       const QDateTime &now, NextHours *answer)
{
    const QDate today = placeClock(now, place.zone).date();
    HoursSpan span;
    // Only days without sunrise or sunset make the search reach further.
    if (Status status = fetchHoursSpan(jobs, place, today, today.addDays(FirstFetchDays - 1), &span); !status)
        return status;
    *answer = findNextHours(span, planet, now, NextHourCount, FirstFetchDays);
    if (answer->hours.size() >= NextHourCount)
        return Status::success();
    if (Status status = fetchHoursSpan(jobs, place, today, today.addDays(NextHourSearchDays - 1), &span);
        !status)
        return status;
    *answer = findNextHours(span, planet, now);
    return Status::success();
}

QStringList nextHoursReport(const NextHours &answer, const LocaleFacts &locale, const TSettings &settings)
{
    const QDateTime nowShown = placeClock(answer.now, answer.zone);
    QStringList lines;
    lines << QStringLiteral("Next Hours of %1").arg(answer.planet);
    lines << QStringLiteral("From %1 %2 at %3 %4")
                 .arg(locale.formatLongDate(nowShown.date()), locale.formatShortTime(nowShown.time()),
                      settings.Longitude, settings.Latitude);
    lines << QStringLiteral(" ");

    // Hours and days without hours in the order of their dates; a run of days without hours
    // (a polar night) takes one line.
    int nextDay = 0;
    auto emptyDaysBefore = [&](QDate date) {
        const QList<QDate> &days = answer.daysWithoutHours;
        while (nextDay < days.size() && days.at(nextDay) <= date) {
            const QDate first = days.at(nextDay++);
            QDate last = first;
            while (nextDay < days.size() && days.at(nextDay) == last.addDays(1) && days.at(nextDay) <= date)
                last = days.at(nextDay++);
            lines << noHoursText(first, last, locale);
        }
    };
    // The hours as a table: date, start, end, each in a column of its own.
    QList<QStringList> rows;
    for (const PlanetHour &hour : answer.hours) {
        // Two blanks after the date, one between the other columns.
        QStringList row{locale.formatLongDate(placeMinute(hour.startUtc, answer.zone).date()) +
                            QLatin1Char(' '),
                        shortTime(hour.startUtc, answer.zone, locale), QStringLiteral("-"),
                        shortTime(hour.endUtc, answer.zone, locale)};
        if (hour.contains(answer.now))
            row << QStringLiteral("(now)");
        rows << row;
    }
    const QStringList hourLines = tableLines(rows, {ColumnAlign::Left, ColumnAlign::Right, ColumnAlign::Left,
                                                    ColumnAlign::Right, ColumnAlign::Left});
    for (qsizetype i = 0; i < answer.hours.size(); ++i) {
        emptyDaysBefore(answer.hours.at(i).baseDay.addDays(-1));
        lines << hourLines.at(i);
    }
    emptyDaysBefore(answer.searchedUntil);
    if (answer.hours.size() < NextHourCount) {
        lines << QStringLiteral(" ");
        lines << (answer.hours.isEmpty() ? QStringLiteral("No hour of %1 in the %2 days from %3.")
                                         : QStringLiteral("No further hour of %1 in the %2 days from %3."))
                     .arg(answer.planet)
                     .arg(NextHourSearchDays)
                     .arg(locale.formatLongDate(nowShown.date()));
    }
    return lines;
}

QStringList nextHoursLines(const NextHours &answer)
{
    QStringList lines;
    int nextDay = 0;
    auto emptyDaysBefore = [&](QDate date) {
        while (nextDay < answer.daysWithoutHours.size() && answer.daysWithoutHours.at(nextDay) <= date)
            lines << answer.daysWithoutHours.at(nextDay++).toString(Qt::ISODate) +
                         QStringLiteral(" no hours");
    };
    for (const PlanetHour &hour : answer.hours) {
        emptyDaysBefore(hour.baseDay.addDays(-1));
        lines << scriptHour(hour, answer.zone) +
                     (hour.contains(answer.now) ? QStringLiteral(" now") : QString());
    }
    emptyDaysBefore(answer.searchedUntil);
    return lines;
}

QStringList dayHoursLines(const HoursSpan &span, QDate date)
{
    const BaseDayHours *day = span.day(date);
    if (day == nullptr || !day->valid())
        return {date.toString(Qt::ISODate) +
                QStringLiteral(" no hours (%1)").arg(noHoursText(day ? day->noHours : NoHours::NoSunrise))};
    QStringList lines;
    for (const PlanetHour &hour : day->hours)
        lines << scriptHour(hour, span.place().zone);
    return lines;
}

QStringList weekHoursReport(const HoursSpan &span, QDate first, const QDateTime &now,
                            const LocaleFacts &locale)
{
    const QTimeZone &zone = span.place().zone;
    QStringList lines;
    lines << QStringLiteral("Planetary Hours for the Week");
    lines << QStringLiteral("%1 - %2").arg(locale.formatLongDate(first),
                                           locale.formatLongDate(first.addDays(6)));
    for (int i = 0; i < 7; ++i) {
        const QDate date = first.addDays(i);
        lines << QStringLiteral(" ");
        lines << locale.formatLongDate(date);
        const BaseDayHours *day = span.day(date);
        if (day == nullptr || !day->valid()) {
            lines << QStringLiteral("No planetary hours: the Sun does not rise and set that day (%1).")
                         .arg(noHoursText(day ? day->noHours : NoHours::NoSunrise));
            continue;
        }
        lines << QStringLiteral("Sunrise %1  Sunset %2")
                     .arg(shortTime(day->sunRise, zone, locale), shortTime(day->sunSet, zone, locale));
        // The day's hours beside the night's, times right-aligned in one width for both.
        QList<QStringList> rows;
        for (const PlanetHour &hour : day->hours) {
            QStringList row{shortTime(hour.startUtc, zone, locale), planetName(hour.ruler)};
            if (hour.contains(now))
                row << QString::fromUtf8(CurrentHourMark).trimmed();
            rows << row;
        }
        const QStringList cells = tableLines(rows, {ColumnAlign::Right, ColumnAlign::Left});
        lines << sideBySide(QStringList{QStringLiteral("Hours of the Day")} + cells.mid(0, 12),
                            QStringList{QStringLiteral("Hours of the Night")} + cells.mid(12), WeekColumnGap);
    }
    return lines;
}

} // namespace orlam
