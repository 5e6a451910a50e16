#include "reports/hourreports.h"

#include "common/clocktime.h"
#include "common/columns.h"
#include "hours/dayseries.h"
#include "settings/localefacts.h"
#include "settings/settings.h"

namespace orlam {

namespace {

// Today and tomorrow: a planet rules every seventh hour, so the day after today (which ends at
// the sunrise after tomorrow, more than a day from now) always holds three of its hours.
constexpr int FirstFetchDays = 2;
// Blanks between the day's column and the night's in the week report.
constexpr int WeekColumnGap = 4;

QString scriptDay(const QDateTime &moment)
{
    return moment.date().toString(Qt::ISODate);
}

QString scriptTime(const QDateTime &moment)
{
    return moment.time().toString(QStringLiteral("HH:mm"));
}

QString scriptHour(const HourSpan &hour)
{
    return QStringLiteral("%1 %2-%3 %4")
        .arg(scriptDay(hour.start), scriptTime(hour.start), scriptTime(hour.end), hour.ruler);
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

NextHours findNextHours(const DaySeries &series, const QString &planet, const QDateTime &now, int count,
                        int searchDays)
{
    NextHours answer;
    answer.planet = planet;
    answer.now = now;
    const QDate today = now.date();
    for (QDate date = today.addDays(-1); date < today.addDays(searchDays); date = date.addDays(1)) {
        const SeriesDay *day = series.day(date);
        if (day == nullptr)
            break;
        answer.searchedUntil = date;
        const QList<HourSpan> hours = hoursOfDay(*day);
        if (hours.isEmpty() && date >= today)
            answer.daysWithoutHours.append(date);
        for (const HourSpan &hour : hours) {
            if (hour.ruler == planet && hour.end > now && answer.hours.size() < count)
                answer.hours.append(hour);
        }
        if (answer.hours.size() >= count)
            break;
    }
    if (answer.searchedUntil.isValid() && answer.searchedUntil < today)
        answer.searchedUntil = today;
    return answer;
}

Status searchNextHours(ScratchJobs &jobs, const TSettings &settings, const QString &planet,
                       const QDateTime &now, NextHours *answer)
{
    const QDate today = now.date();
    DaySeries series;
    // Only days without sunrise or sunset make the search reach further.
    if (Status status =
            series.fetch(jobs, settings, today.addDays(-1), today.addDays(FirstFetchDays - 1), now.time());
        !status)
        return status;
    *answer = findNextHours(series, planet, now, NextHourCount, FirstFetchDays);
    if (answer->hours.size() >= NextHourCount)
        return Status::success();
    if (Status status = series.fetch(jobs, settings, today.addDays(-1), today.addDays(NextHourSearchDays - 1),
                                     now.time());
        !status)
        return status;
    *answer = findNextHours(series, planet, now);
    return Status::success();
}

QStringList nextHoursReport(const NextHours &answer, const LocaleFacts &locale, const TSettings &settings)
{
    QStringList lines;
    lines << QStringLiteral("Next Hours of %1").arg(answer.planet);
    lines << QStringLiteral("From %1 %2 at %3 %4")
                 .arg(locale.formatLongDate(answer.now.date()), locale.formatShortTime(answer.now.time()),
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
    for (const HourSpan &hour : answer.hours) {
        // Two blanks after the date, one between the other columns.
        QStringList row{locale.formatLongDate(hour.start.date()) + QLatin1Char(' '),
                        locale.formatShortTime(hour.start.time()), QStringLiteral("-"),
                        locale.formatShortTime(hour.end.time())};
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
                     .arg(locale.formatLongDate(answer.now.date()));
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
    for (const HourSpan &hour : answer.hours) {
        emptyDaysBefore(hour.baseDay.addDays(-1));
        lines << scriptHour(hour) + (hour.contains(answer.now) ? QStringLiteral(" now") : QString());
    }
    emptyDaysBefore(answer.searchedUntil);
    return lines;
}

QStringList dayHoursLines(const SeriesDay &day)
{
    const QList<HourSpan> hours = hoursOfDay(day);
    if (hours.isEmpty())
        return {day.date.toString(Qt::ISODate) + QStringLiteral(" no hours")};
    QStringList lines;
    for (const HourSpan &hour : hours)
        lines << scriptHour(hour);
    return lines;
}

QStringList weekHoursReport(const DaySeries &series, QDate first, const QDateTime &now,
                            const LocaleFacts &locale)
{
    QStringList lines;
    lines << QStringLiteral("Planetary Hours for the Week");
    lines << QStringLiteral("%1 - %2").arg(locale.formatLongDate(first),
                                           locale.formatLongDate(first.addDays(6)));
    for (int i = 0; i < 7; ++i) {
        const QDate date = first.addDays(i);
        lines << QStringLiteral(" ");
        lines << locale.formatLongDate(date);
        const SeriesDay *day = series.day(date);
        const QList<HourSpan> hours = day ? hoursOfDay(*day) : QList<HourSpan>();
        if (hours.size() != 24) {
            lines << QStringLiteral("No planetary hours: the Sun does not rise and set that day.");
            continue;
        }
        lines << QStringLiteral("Sunrise %1  Sunset %2")
                     .arg(locale.formatShortTime(hours.at(0).start.time()),
                          locale.formatShortTime(hours.at(12).start.time()));
        // The day's hours beside the night's, times right-aligned in one width for both.
        QList<QStringList> rows;
        for (const HourSpan &hour : hours) {
            QStringList row{locale.formatShortTime(hour.start.time()), hour.ruler};
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
