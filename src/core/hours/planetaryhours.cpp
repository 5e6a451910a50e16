#include "hours/planetaryhours.h"

#include "common/clocktime.h"
#include "common/columns.h"
#include "common/westerntext.h"
#include "hours/planets.h"
#include "settings/localefacts.h"

namespace orlam {

namespace {

constexpr qint64 MsPerMinute = 60 * 1000;
constexpr qint64 MsPerHour = 60 * MsPerMinute;
constexpr qint64 MsPerDay = 24 * MsPerHour;

// Clock reading -> elapsed milliseconds since the epoch, and back, in the hours' zone.
qint64 toElapsed(const QDateTime &clock, const QTimeZone &zone)
{
    return QDateTime(clock.date(), clock.time(), zone).toMSecsSinceEpoch();
}

QDateTime toClock(qint64 elapsed, const QTimeZone &zone)
{
    return clockFromLocal(QDateTime::fromMSecsSinceEpoch(elapsed, zone));
}

// Twelve hours of equal elapsed length from `from` to `to`, the first ruled by cycle index
// `firstRuler`. Lengths are whole milliseconds; the last hour ends exactly at `to`.
std::array<PlanetaryHour, HoursPerHalf> divide(const QDateTime &from, const QDateTime &to, int firstRuler,
                                               bool night, const QTimeZone &zone)
{
    const qint64 begin = toElapsed(from, zone);
    const qint64 length = (toElapsed(to, zone) - begin) / HoursPerHalf;
    std::array<PlanetaryHour, HoursPerHalf> hours;
    for (int k = 0; k < HoursPerHalf; ++k) {
        PlanetaryHour &hour = hours[k];
        hour.start = k == 0 ? from : toClock(begin + k * length, zone);
        hour.end = k == HoursPerHalf - 1 ? to : toClock(begin + (k + 1) * length, zone);
        hour.startMs = begin + k * length;
        hour.endMs = k == HoursPerHalf - 1 ? toElapsed(to, zone) : begin + (k + 1) * length;
        hour.ruler = (firstRuler + k) % PlanetCycleLength;
        hour.night = night;
        hour.number = k;
    }
    return hours;
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString onBaseDay(const QDateTime &moment, QDate baseDay, const LocaleFacts &locale)
{
    if (!moment.isValid() || moment.date() != baseDay)
        return {};
    return locale.formatShortTime(moment.time());
}

} // namespace

QTimeZone hoursClockZone(int timeMode, const QTimeZone &computerZone)
{
    return timeMode == 2 && computerZone.isValid() ? computerZone : QTimeZone::utc();
}

PlanetaryHours computePlanetaryHours(QDate baseDay, const TRiseSetTable &table, const QTimeZone &zone)
{
    PlanetaryHours result;
    result.baseDay = baseDay;
    result.sunRise = table.SunRise;
    result.sunSet = table.SunSet;
    result.nextSunRise = table.NextSunRise;
    // A field the last run did not find keeps an older day's moment: such a day has no hours.
    const QDate nextDay = baseDay.addDays(1);
    result.valid = table.SunRise.isValid() && table.SunSet.isValid() && table.NextSunRise.isValid() &&
                   table.SunRise.date() == baseDay && table.NextSunRise.date() == nextDay &&
                   table.SunRise < table.SunSet && table.SunSet < table.NextSunRise;
    if (!result.valid)
        return result;

    const int first = firstRulerOfDay(baseDay.dayOfWeek());
    const auto day = divide(table.SunRise, table.SunSet, first, false, zone);
    const auto night = divide(table.SunSet, table.NextSunRise, first + HoursPerHalf, true, zone);
    std::copy(day.begin(), day.end(), result.hours.begin());
    std::copy(night.begin(), night.end(), result.hours.begin() + HoursPerHalf);
    result.lightMs = toElapsed(table.SunSet, zone) - toElapsed(table.SunRise, zone);
    result.darknessMs = toElapsed(table.NextSunRise, zone) - toElapsed(table.SunSet, zone);

    const QDateTime &prev = table.PrevSunSet;
    if (prev.isValid() && prev < table.SunRise &&
        (prev.date() == baseDay.addDays(-1) || prev.date() == baseDay)) {
        const int prevFirst = firstRulerOfDay(baseDay.addDays(-1).dayOfWeek());
        result.previousNight = divide(prev, table.SunRise, prevFirst + HoursPerHalf, true, zone);
    }
    return result;
}

std::optional<PlanetaryHour> hourAt(const PlanetaryHours &hours, const QDateTime &moment,
                                    const QTimeZone &zone)
{
    if (!hours.valid || !moment.isValid())
        return std::nullopt;
    // Compared as elapsed time: in the hour a clock is set back, its readings come twice.
    const qint64 at = toElapsed(moment, zone);
    const auto find = [&](const auto &list) -> std::optional<PlanetaryHour> {
        for (const PlanetaryHour &hour : list)
            if (hour.startMs <= at && at < hour.endMs)
                return hour;
        return std::nullopt;
    };
    if (at < toElapsed(hours.sunRise, zone))
        return hours.previousNight ? find(*hours.previousNight) : std::nullopt;
    return find(hours.hours);
}

CurrentHour currentHour(const PlanetaryHours &hours, const QDateTime &now, const QTimeZone &zone,
                        const LocaleFacts &locale)
{
    CurrentHour current;
    current.hour = hourAt(hours, now, zone);
    if (current.hour) {
        const HourPlanet &ruler = PlanetCycle[current.hour->ruler];
        current.CurrentRuler = QString::fromLatin1(ruler.name);
        current.trayImage = ruler.trayImage;
        current.HourText = QStringLiteral(" [Hour of ") + current.CurrentRuler + QLatin1Char(' ') +
                           locale.formatShortTime(current.hour->start.time()) + QLatin1Char('-') +
                           locale.formatShortTime(current.hour->end.time()) + QLatin1Char(']');
    } else if (!hours.valid || now < hours.sunRise) {
        current.HourText = QLatin1String(HourNotAvailableText);
    }
    return current;
}

QString WeekdayTag(const QDateTime &moment)
{
    static const char *const tags[] = {"(Mon) ", "(Tue) ", "(Wed) ", "(Thu) ", "(Fri) ", "(Sat) ", "(Sun) "};
    return QString::fromLatin1(tags[moment.date().dayOfWeek() - 1]);
}

QString hourLine(const PlanetaryHour &hour, const LocaleFacts &locale)
{
    const QDate date = hour.start.date();
    const QTime time = hour.start.time();
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    const QChar dateSep = locale.dateSeparator();
    return WeekdayTag(hour.start) + twoDigits(date.month()) + dateSep + twoDigits(date.day()) + dateSep +
           QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')) + QLatin1Char(' ') +
           twoDigits(hour12) + locale.timeSeparator() + twoDigits(time.minute()) +
           QLatin1String(time.hour() < 12 ? "am" : "pm") + QLatin1Char(' ') +
           planetName(hour.ruler).leftJustified(8, QLatin1Char(' '), true) + QStringLiteral("      Hour");
}

QStringList hourLines(const PlanetaryHours &hours, const LocaleFacts &locale)
{
    QStringList lines;
    if (!hours.valid)
        return lines;
    for (const PlanetaryHour &hour : hours.hours)
        lines << hourLine(hour, locale);
    return lines;
}

QByteArray hoursFileBytes(const PlanetaryHours &hours, const LocaleFacts &locale)
{
    return joinCrLf(hourLines(hours, locale));
}

QString hoursMinutesText(qint64 lengthMs, const LocaleFacts &locale)
{
    const qint64 ofDay = ((lengthMs % MsPerDay) + MsPerDay) % MsPerDay;
    return QString::number(ofDay / MsPerHour) + locale.timeSeparator() +
           twoDigits(static_cast<int>((ofDay % MsPerHour) / MsPerMinute));
}

QStringList hoursReport(const PlanetaryHours &hours, const TRiseSetTable &table, const QString &datePattern,
                        const LocaleFacts &locale)
{
    const QString blank = QStringLiteral(" ");
    QStringList report{QStringLiteral("Planetary Hours"), blank};
    if (hours.valid) {
        // Start and ruler in columns: the times right-aligned in one width for day and night.
        QList<QStringList> rows;
        for (const PlanetaryHour &hour : hours.hours)
            rows << QStringList{locale.formatShortTime(hour.start.time()), planetName(hour.ruler)};
        const QStringList hourRows = tableLines(rows, {ColumnAlign::Right, ColumnAlign::Left});
        report << QStringLiteral("Sunrise: ") + locale.formatPattern(datePattern, hours.sunRise)
               << QStringLiteral("Hours of the Day") << hourRows.mid(0, HoursPerHalf);
        report << blank << QStringLiteral("Sunset ") + locale.formatPattern(datePattern, hours.sunSet)
               << QStringLiteral("Hours of the Night") << hourRows.mid(HoursPerHalf, HoursPerHalf);
        report << QString()
               << QStringLiteral("Hours of Light ") + hoursMinutesText(hours.lightMs, locale) +
                      QStringLiteral("  Hours of Darkness ") + hoursMinutesText(hours.darknessMs, locale);
    } else {
        // The same 43 lines, so that the horizon moments keep their places.
        report << QStringLiteral("The Sun does not rise and set on ") +
                      locale.formatPattern(datePattern, clockTime(hours.baseDay)).trimmed()
               << QStringLiteral("No planetary hours for this day.");
        while (report.size() < 33)
            report << QString();
    }
    const QDate day = hours.baseDay;
    // The horizon moments with their times right-aligned in one column.
    const QStringList moments =
        tableLines({{QStringLiteral("Sun   Nadir"), onBaseDay(table.SunNadir, day, locale)},
                    {QStringLiteral("Sun    Rise"), onBaseDay(table.SunRise, day, locale)},
                    {QStringLiteral("Sun  Zenith"), onBaseDay(table.SunZenith, day, locale)},
                    {QStringLiteral("Sun     Set"), onBaseDay(table.SunSet, day, locale)},
                    {QStringLiteral("Moon  Nadir"), onBaseDay(table.MoonNadir, day, locale)},
                    {QStringLiteral("Moon   Rise"), onBaseDay(table.MoonRise, day, locale)},
                    {QStringLiteral("Moon Zenith"), onBaseDay(table.MoonZenith, day, locale)},
                    {QStringLiteral("Moon    Set"), onBaseDay(table.MoonSet, day, locale)}},
                   {ColumnAlign::Left, ColumnAlign::Right});
    report << QString() << moments.mid(0, 4) << blank << moments.mid(4);
    return report;
}

} // namespace orlam
