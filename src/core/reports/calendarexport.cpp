#include "reports/calendarexport.h"

#include "astrocalls/scratchjobs.h"
#include "common/clocktime.h"
#include "hours/hoursspan.h"
#include "hours/planets.h"
#include "hours/riseset.h"
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

QString horizonSummary(const HorizonInstant &event)
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

QString placeText(const HoursPlace &place)
{
    return place.longitude + QLatin1Char(' ') + place.latitude;
}

// What follows the hour's number in its description, "of the day of Monday 2026-06-15 at
// 93W21 45N05": made once for each half of a base day rather than for each of its hours.
QString hourDescriptionTail(QDate baseDay, bool night, const QString &where)
{
    return QStringLiteral(" of the %1 of %2 %3 at %4")
        .arg(night ? QStringLiteral("night") : QStringLiteral("day"),
             QLocale::c().dayName(baseDay.dayOfWeek()), isoDay(baseDay), where);
}

int hourPlanetIndex(const QString &ruler)
{
    for (int i = 0; i < HourPlanetCount; ++i) {
        if (BodyKeys[static_cast<std::size_t>(i)] == ruler)
            return i;
    }
    return -1;
}

// The transit calendars that cover the dates `from` to `to` (engine days): a year's job for a
// year of which four months or more are wanted, else a job for each month.
std::vector<ScratchJob> transitJobs(const TSettings &settings, const HoursPlace &place, QDate from, QDate to)
{
    std::vector<ScratchJob> jobs;
    const QTime noon(12, 0);
    const auto job = [&](JobKind kind, QDate date) {
        ScratchJob j;
        j.kind = kind;
        j.args = {settings.TimeZone, place.longitude, place.latitude, clockTime(date, noon), noon, QString()};
        jobs.push_back(j);
    };
    for (int year = from.year(); year <= to.year(); ++year) {
        const int firstMonth = year == from.year() ? from.month() : 1;
        const int lastMonth = year == to.year() ? to.month() : 12;
        if (lastMonth - firstMonth + 1 >= 4) {
            job(JobKind::YearCalendar, QDate(year, 1, 1));
            continue;
        }
        for (int month = firstMonth; month <= lastMonth; ++month)
            job(JobKind::MonthCalendar, QDate(year, month, 1));
    }
    return jobs;
}

// The universal time of a transit calendar's clock reading.
QDateTime transitUtc(const QDateTime &clock, double hoursWest)
{
    return QDateTime(clock.date(), clock.time(), Qt::UTC).addSecs(qRound64(hoursWest * 3600.0));
}

// The instants a transit calendar job lists: those whose printed minute falls in its month or
// year on its clock. Nothing when the job's clock is not known.
std::optional<std::pair<qint64, qint64>> periodMSecs(const ScratchJobs &jobs, const ScratchJob &job)
{
    const std::optional<double> west = jobs.clockHoursWest(job);
    if (!west)
        return std::nullopt;
    const QDate date = job.args.date.date();
    const bool year = job.kind == JobKind::YearCalendar;
    const QDate start = year ? QDate(date.year(), 1, 1) : QDate(date.year(), date.month(), 1);
    const QDate end = year ? start.addYears(1) : start.addMonths(1);
    return std::make_pair(transitUtc(clockTime(start), *west).toMSecsSinceEpoch(),
                          transitUtc(clockTime(end), *west).toMSecsSinceEpoch());
}

// The transit calendars reach a day beyond each end of the selection, for a place whose zone
// is ahead of or behind the jobs' clock. A month's job that only that day brought in is left out
// when the job beside it already begins by the first instant of the selection, or ends after its
// last: a year's export then needs one engine run for its transits, not three.
void leaveOutNeedlessEdges(const ScratchJobs &jobs, const HoursPlace &place, QDate first, QDate last,
                           std::vector<ScratchJob> *calendars)
{
    const auto monthOf = [](const ScratchJob &job) {
        const QDate date = job.args.date.date();
        return QDate(date.year(), date.month(), 1);
    };
    if (calendars->size() > 1 && calendars->front().kind == JobKind::MonthCalendar &&
        monthOf(calendars->front()).addMonths(1) <= first) {
        const auto next = periodMSecs(jobs, (*calendars)[1]);
        if (next && next->first <= first.startOfDay(place.zone).toMSecsSinceEpoch())
            calendars->erase(calendars->begin());
    }
    if (calendars->size() > 1 && calendars->back().kind == JobKind::MonthCalendar &&
        monthOf(calendars->back()) > last) {
        const auto before = periodMSecs(jobs, (*calendars)[calendars->size() - 2]);
        if (before && before->second >= last.addDays(1).startOfDay(place.zone).toMSecsSinceEpoch())
            calendars->pop_back();
    }
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

Status buildCalendar(ScratchJobs &jobs, const HoursPlace &place, const CalendarSelection &selection,
                     const QDateTime &stampUtc, QByteArray *ics, CalendarCounts *counts)
{
    *counts = {};
    if (Status status = selection.check(); !status)
        return status;
    const QDate first = selection.first;
    const QDate last = selection.last();
    const auto inRange = [&](const QDateTime &utc) {
        const QDate date = placeClock(utc, place.zone).date();
        return first <= date && date <= last;
    };
    const QString where = placeText(place);

    // The transit calendars run beside the rise/set span: one wait for the engines, not two.
    std::vector<ScratchJob> calendars;
    if (selection.transits) {
        calendars = transitJobs(jobs.settings(), place, first.addDays(-1), last.addDays(1));
        leaveOutNeedlessEdges(jobs, place, first, last, &calendars);
    }
    std::vector<ScratchReport> transitReports;
    QList<CalendarEvent> events;
    if (selection.hours || selection.sunMoon) {
        HoursSpan span;
        if (Status status = fetchHoursSpan(jobs, place, first, last, &span, HorizonBodies::SunAndMoon,
                                           calendars, &transitReports);
            !status)
            return status;
        if (selection.sunMoon) {
            for (const HorizonInstant &event : span.events()) {
                if ((event.body != QLatin1String("Sun") && event.body != QLatin1String("Moon")) ||
                    !inRange(event.utc))
                    continue;
                CalendarEvent out;
                out.kind = event.word;
                out.body = event.body;
                out.summary = horizonSummary(event);
                out.description = where;
                out.category = QStringLiteral("Sun and Moon");
                out.startUtc = event.utc;
                events.append(out);
                ++counts->sunMoon;
            }
        }
        if (selection.hours) {
            // Each ruler's name, title and place in the selection, looked up once.
            struct Ruler {
                QString body;
                QString summary;
                bool wanted = false;
            };
            std::array<Ruler, PlanetCycleLength> rulers;
            for (int r = 0; r < PlanetCycleLength; ++r) {
                Ruler &ruler = rulers[static_cast<std::size_t>(r)];
                ruler.body = planetName(r);
                ruler.summary = QStringLiteral("Hour of %1").arg(ruler.body);
                const int planet = hourPlanetIndex(ruler.body);
                ruler.wanted = planet >= 0 && selection.hourPlanets[static_cast<std::size_t>(planet)];
            }
            const QString kind = QStringLiteral("hour");
            const QString category = QStringLiteral("Planetary hours");
            const QString hourWord = QStringLiteral("Hour ");
            for (const BaseDayHours &day : span.days()) {
                if (day.date < first || !day.valid())
                    continue;
                const std::array<QString, 2> tails{hourDescriptionTail(day.date, false, where),
                                                   hourDescriptionTail(day.date, true, where)};
                for (const PlanetHour &hour : day.hours) {
                    const Ruler &ruler = rulers[static_cast<std::size_t>(hour.ruler)];
                    if (!ruler.wanted)
                        continue;
                    CalendarEvent out;
                    out.kind = kind;
                    out.body = ruler.body;
                    out.summary = ruler.summary;
                    out.description = hourWord + QString::number(hour.number + 1) + tails[hour.night ? 1 : 0];
                    out.category = category;
                    out.startUtc = hour.startUtc;
                    out.endUtc = hour.endUtc;
                    events.append(std::move(out));
                    ++counts->hours;
                }
            }
        }
    } else if (!calendars.empty()) {
        if (Status status = jobs.run(calendars, &transitReports); !status)
            return status;
    }

    for (const ScratchReport &report : transitReports) {
        if (!report.lines || !report.clockHoursWest)
            continue;
        for (const TransitEvent &transit : readTransitEvents(*report.lines, engineReportLocale())) {
            const QDateTime utc = transitUtc(transit.clock, *report.clockHoursWest);
            if (!inRange(utc))
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
            out.description = where;
            out.category = QStringLiteral("Transits");
            out.startUtc = utc;
            events.append(out);
            ++counts->transits;
        }
    }

    // In time order; the events themselves are moved once, the sort works on their instants.
    std::vector<std::pair<qint64, qsizetype>> order;
    order.reserve(static_cast<std::size_t>(events.size()));
    for (qsizetype i = 0; i < events.size(); ++i)
        order.emplace_back(events.at(i).startUtc.toMSecsSinceEpoch(), i);
    std::stable_sort(order.begin(), order.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<CalendarEvent> sorted;
    sorted.reserve(events.size());
    for (const auto &entry : order)
        sorted.append(std::move(events[entry.second]));
    events = std::move(sorted);
    const QString name = QStringLiteral("Orlam %1 to %2").arg(isoDay(first), isoDay(last));
    *ics = writeICalendar(events, calendarPlaceKey(place.longitude, place.latitude), stampUtc, name);
    return Status::success();
}

} // namespace orlam
