#include "reports/calendarexport.h"

#include "astrocalls/scratchjobs.h"
#include "common/clocktime.h"
#include "hours/dayseries.h"
#include "hours/hourseries.h"
#include "reports/icalwriter.h"
#include "reports/transitevents.h"
#include "settings/localefacts.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <algorithm>

namespace orlam {

namespace {

QString isoDay(QDate date)
{
    return date.toString(Qt::ISODate);
}

QString horizonSummary(const HorizonEvent &event)
{
    const bool sun = event.body == QLatin1String("Sun");
    if (event.word == QLatin1String("rises"))
        return sun ? QStringLiteral("Sunrise") : QStringLiteral("Moonrise");
    if (event.word == QLatin1String("sets"))
        return sun ? QStringLiteral("Sunset") : QStringLiteral("Moonset");
    if (event.word == QLatin1String("zeniths"))
        return event.body + QStringLiteral(" culminates");
    return event.body + QStringLiteral(" at lower culmination");
}

QString placeText(const TSettings &settings)
{
    return settings.Longitude + QLatin1Char(' ') + settings.Latitude;
}

QString hourDescription(const HourSpan &hour, const TSettings &settings)
{
    return QStringLiteral("Hour %1 of the %2 of %3 %4 at %5")
        .arg(hour.isNight() ? hour.index - 11 : hour.index + 1)
        .arg(hour.isNight() ? QStringLiteral("night") : QStringLiteral("day"),
             QLocale::c().dayName(hour.baseDay.dayOfWeek()), isoDay(hour.baseDay), placeText(settings));
}

int hourPlanetIndex(const QString &ruler)
{
    for (int i = 0; i < HourPlanetCount; ++i) {
        if (BodyKeys[static_cast<std::size_t>(i)] == ruler)
            return i;
    }
    return -1;
}

// The universal time of a transit calendar's clock reading.
QDateTime transitUtc(const QDateTime &clock, double hoursWest)
{
    return QDateTime(clock.date(), clock.time(), Qt::UTC).addSecs(qRound64(hoursWest * 3600.0));
}

} // namespace

Status CalendarSelection::check() const
{
    if (!first.isValid())
        return Status::failure(
            QCoreApplication::translate("Messages", "The first day of the calendar is not a valid date."));
    if (dayCount < 1 || dayCount > MaxCalendarDays)
        return Status::failure(
            QCoreApplication::translate("Messages", "A calendar holds 1 to %1 days; %2 days were asked for.")
                .arg(MaxCalendarDays)
                .arg(dayCount));
    const bool anyPlanet = std::any_of(hourPlanets.begin(), hourPlanets.end(), [](bool on) { return on; });
    if (hours && !anyPlanet)
        return Status::failure(QCoreApplication::translate(
            "Messages", "Choose at least one planet whose hours the calendar holds."));
    if (!hours && !sunMoon && !transits)
        return Status::failure(
            QCoreApplication::translate("Messages", "Choose at least one kind of event for the calendar."));
    return Status::success();
}

std::optional<QDate> readCommandLineDate(const QString &text, const LocaleFacts &locale)
{
    static const QRegularExpression iso(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    const QString trimmed = text.trimmed();
    if (iso.match(trimmed).hasMatch()) {
        const QDate date = QDate::fromString(trimmed, Qt::ISODate);
        if (date.isValid())
            return date;
        return std::nullopt;
    }
    return locale.parseShortDate(trimmed);
}

Status buildCalendar(ScratchJobs &jobs, const TSettings &settings, const CalendarSelection &selection,
                     QTime time, const QDateTime &stampUtc, QByteArray *ics, CalendarCounts *counts)
{
    *counts = {};
    if (Status status = selection.check(); !status)
        return status;
    const QDate first = selection.first;
    const QDate last = selection.last();

    QList<CalendarEvent> events;
    if (selection.hours || selection.sunMoon) {
        DaySeries series;
        if (Status status = series.fetch(jobs, settings, first, last, time); !status)
            return status;
        for (const SeriesDay &day : series.days()) {
            if (selection.sunMoon) {
                for (const HorizonEvent &event : day.events) {
                    CalendarEvent out;
                    out.kind = event.word;
                    out.body = event.body;
                    out.summary = horizonSummary(event);
                    out.description = placeText(settings);
                    out.category = QStringLiteral("Sun and Moon");
                    out.startUtc = series.toUtc(event.clock);
                    if (!out.startUtc.isValid())
                        continue;
                    events.append(out);
                    ++counts->sunMoon;
                }
            }
            if (!selection.hours)
                continue;
            for (const HourSpan &hour : hoursOfDay(day)) {
                const int planet = hourPlanetIndex(hour.ruler);
                if (planet < 0 || !selection.hourPlanets[static_cast<std::size_t>(planet)])
                    continue;
                CalendarEvent out;
                out.kind = QStringLiteral("hour");
                out.body = hour.ruler;
                out.summary = QStringLiteral("Hour of %1").arg(hour.ruler);
                out.description = hourDescription(hour, settings);
                out.category = QStringLiteral("Planetary hours");
                out.startUtc = hour.startUtc;
                out.endUtc = hour.endUtc;
                if (!out.startUtc.isValid() || !out.endUtc.isValid())
                    continue;
                events.append(out);
                ++counts->hours;
            }
        }
    }

    if (selection.transits) {
        std::vector<ScratchJob> months;
        for (QDate month(first.year(), first.month(), 1); month <= last; month = month.addMonths(1)) {
            ScratchJob job;
            job.kind = JobKind::MonthCalendar;
            job.args = {settings.TimeZone,
                        settings.Longitude,
                        settings.Latitude,
                        clockTime(std::max(month, first), time),
                        time,
                        QString()};
            months.push_back(job);
        }
        std::vector<ScratchReport> reports;
        if (Status status = jobs.run(months, &reports); !status)
            return status;
        for (const ScratchReport &report : reports) {
            if (!report.lines || !report.clockHoursWest)
                continue;
            for (const TransitEvent &transit : readTransitEvents(*report.lines, engineReportLocale())) {
                if (transit.clock.date() < first || transit.clock.date() > last)
                    continue;
                CalendarEvent out;
                switch (transit.kind) {
                case TransitEvent::Kind::NewMoon:
                    out.kind = QStringLiteral("newmoon");
                    break;
                case TransitEvent::Kind::FullMoon:
                    out.kind = QStringLiteral("fullmoon");
                    break;
                case TransitEvent::Kind::Ingress:
                    out.kind = QStringLiteral("ingress");
                    break;
                }
                out.body = transit.body;
                out.summary = transit.text;
                out.description = placeText(settings);
                out.category = QStringLiteral("Transits");
                out.startUtc = transitUtc(transit.clock, *report.clockHoursWest);
                events.append(out);
                ++counts->transits;
            }
        }
    }

    std::stable_sort(events.begin(), events.end(),
                     [](const CalendarEvent &a, const CalendarEvent &b) { return a.startUtc < b.startUtc; });
    const QString name = QStringLiteral("Orlam %1 to %2").arg(isoDay(first), isoDay(last));
    *ics = writeICalendar(events, calendarPlaceKey(settings.Longitude, settings.Latitude), stampUtc, name);
    return Status::success();
}

} // namespace orlam
