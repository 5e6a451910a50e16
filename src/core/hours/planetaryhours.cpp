#include "hours/planetaryhours.h"

#include "common/clocktime.h"
#include "common/columns.h"
#include "common/westerntext.h"
#include "hours/planets.h"
#include "settings/localefacts.h"

namespace orlam {

namespace {

constexpr qint64 SecsPerMinute = 60;
constexpr qint64 SecsPerHour = 60 * SecsPerMinute;
constexpr qint64 SecsPerDay = 24 * SecsPerHour;

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// The printed wall clock of an instant, as a zone-free clock reading for the locale's formats.
QDateTime shown(const QDateTime &utc, const QTimeZone &zone)
{
    return clockFromLocal(placeMinute(utc, zone));
}

QString shortTime(const QDateTime &utc, const QTimeZone &zone, const LocaleFacts &locale)
{
    return utc.isValid() ? locale.formatShortTime(shown(utc, zone).time()) : QString();
}

// The last event of a kind on the day, as lines 35-43 of the report show it.
QString lastOn(const QList<HorizonInstant> &events, const char *body, const char *word, const QTimeZone &zone,
               const LocaleFacts &locale)
{
    QDateTime found;
    for (const HorizonInstant &e : events)
        if (e.body == QLatin1String(body) && e.word == QLatin1String(word))
            found = e.utc;
    return shortTime(found, zone, locale);
}

} // namespace

CurrentHour currentHour(const HoursSpan &span, const QDateTime &nowUtc, const LocaleFacts &locale)
{
    CurrentHour current;
    const QTimeZone &zone = span.place().zone;
    current.hour = span.hourAt(nowUtc);
    if (current.hour) {
        const HourPlanet &ruler = PlanetCycle[static_cast<std::size_t>(current.hour->ruler)];
        current.CurrentRuler = QString::fromLatin1(ruler.name);
        current.trayImage = ruler.trayImage;
        current.HourText = QStringLiteral(" [Hour of ") + current.CurrentRuler + QLatin1Char(' ') +
                           shortTime(current.hour->startUtc, zone, locale) + QLatin1Char('-') +
                           shortTime(current.hour->endUtc, zone, locale) + QLatin1Char(']');
        return current;
    }
    const BaseDayHours *day = span.baseDayAt(nowUtc);
    current.why = day ? day->noHours : NoHours::None;
    current.HourText = QLatin1String(HourNotAvailableText);
    if (current.why != NoHours::None) {
        current.HourText.chop(1);
        current.HourText += QStringLiteral(": ") + noHoursText(current.why) + QLatin1Char(']');
    }
    return current;
}

QString WeekdayTag(QDate date)
{
    static const char *const tags[] = {"(Mon) ", "(Tue) ", "(Wed) ", "(Thu) ", "(Fri) ", "(Sat) ", "(Sun) "};
    return QString::fromLatin1(tags[date.dayOfWeek() - 1]);
}

QString hourLine(const PlanetHour &hour, const QTimeZone &zone, const LocaleFacts &locale)
{
    const QDateTime start = shown(hour.startUtc, zone);
    const QDate date = start.date();
    const QTime time = start.time();
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    const QChar dateSep = locale.dateSeparator();
    return WeekdayTag(date) + twoDigits(date.month()) + dateSep + twoDigits(date.day()) + dateSep +
           QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')) + QLatin1Char(' ') +
           twoDigits(hour12) + locale.timeSeparator() + twoDigits(time.minute()) +
           QLatin1String(time.hour() < 12 ? "am" : "pm") + QLatin1Char(' ') +
           planetName(hour.ruler).leftJustified(8, QLatin1Char(' '), true) + QStringLiteral("      Hour");
}

QStringList hourLines(const BaseDayHours &day, const QTimeZone &zone, const LocaleFacts &locale)
{
    QStringList lines;
    if (!day.valid())
        return lines;
    for (const PlanetHour &hour : day.hours)
        lines << hourLine(hour, zone, locale);
    return lines;
}

QByteArray hoursFileBytes(const BaseDayHours &day, const QTimeZone &zone, const LocaleFacts &locale)
{
    return joinCrLf(hourLines(day, zone, locale));
}

QString hoursMinutesText(qint64 lengthSecs, const LocaleFacts &locale)
{
    const qint64 ofDay = ((lengthSecs % SecsPerDay) + SecsPerDay) % SecsPerDay;
    return QString::number(ofDay / SecsPerHour) + locale.timeSeparator() +
           twoDigits(static_cast<int>((ofDay % SecsPerHour) / SecsPerMinute));
}

QStringList hoursReport(const HoursSpan &span, QDate baseDay, const QString &datePattern,
                        const LocaleFacts &locale)
{
    const QTimeZone &zone = span.place().zone;
    const QString blank = QStringLiteral(" ");
    QStringList report{QStringLiteral("Planetary Hours"), blank};
    const BaseDayHours *day = span.day(baseDay);
    if (day && day->valid()) {
        // Start and ruler in columns: the times right-aligned in one width for day and night.
        QList<QStringList> rows;
        for (const PlanetHour &hour : day->hours)
            rows << QStringList{shortTime(hour.startUtc, zone, locale), planetName(hour.ruler)};
        const QStringList hourRows = tableLines(rows, {ColumnAlign::Right, ColumnAlign::Left});
        report << QStringLiteral("Sunrise: ") + locale.formatPattern(datePattern, shown(day->sunRise, zone))
               << QStringLiteral("Hours of the Day") << hourRows.mid(0, HoursPerHalf);
        report << blank
               << QStringLiteral("Sunset ") + locale.formatPattern(datePattern, shown(day->sunSet, zone))
               << QStringLiteral("Hours of the Night") << hourRows.mid(HoursPerHalf, HoursPerHalf);
        // The lengths are those of the printed times, so that they add up as the reader checks them.
        const auto printedSpan = [&](const QDateTime &from, const QDateTime &to) {
            return placeMinute(from, zone).secsTo(placeMinute(to, zone));
        };
        report << QString()
               << QStringLiteral("Hours of Light ") +
                      hoursMinutesText(printedSpan(day->sunRise, day->sunSet), locale) +
                      QStringLiteral("  Hours of Darkness ") +
                      hoursMinutesText(printedSpan(day->sunSet, day->nextSunRise), locale);
    } else {
        // The same 43 lines, so that the horizon moments keep their places.
        const NoHours why = day ? day->noHours : NoHours::NoSunrise;
        report << QStringLiteral("The Sun does not rise and set on ") +
                      locale.formatPattern(datePattern, clockTime(baseDay)).trimmed()
               << QStringLiteral("No planetary hours for this day: %1.").arg(noHoursText(why));
        while (report.size() < 33)
            report << QString();
    }
    const QList<HorizonInstant> events = span.eventsOn(baseDay);
    // The horizon moments with their times right-aligned in one column.
    const auto row = [&](const char *label, const char *body, const char *word) {
        return QStringList{QLatin1String(label), lastOn(events, body, word, zone, locale)};
    };
    const QStringList moments =
        tableLines({row("Sun   Nadir", "Sun", "nadirs"), row("Sun    Rise", "Sun", "rises"),
                    row("Sun  Zenith", "Sun", "zeniths"), row("Sun     Set", "Sun", "sets"),
                    row("Moon  Nadir", "Moon", "nadirs"), row("Moon   Rise", "Moon", "rises"),
                    row("Moon Zenith", "Moon", "zeniths"), row("Moon    Set", "Moon", "sets")},
                   {ColumnAlign::Left, ColumnAlign::Right});
    report << QString() << moments.mid(0, 4) << blank << moments.mid(4);
    return report;
}

} // namespace orlam
