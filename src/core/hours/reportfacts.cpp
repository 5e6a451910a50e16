#include "hours/reportfacts.h"

#include "astrocalls/scratchjobs.h"
#include "common/clocktime.h"
#include "common/messagesink.h"
#include "hours/dayseries.h"
#include "hours/hourseries.h"
#include "hours/planetaryhours.h"
#include "hours/planets.h"
#include "hours/riseset.h"

#include <cmath>

namespace orlam {

namespace {

// Report-line columns, counted from 0.
constexpr int BodyColumn = 24;
constexpr int BodyWidth = 8;
constexpr int WordColumn = 39;
constexpr int WordWidth = 8;

// A reading of a job's clock as an instant: the clock runs `hoursWest` behind UTC.
QDateTime instantOf(const QDateTime &clock, double hoursWest)
{
    return QDateTime(clock.date(), clock.time(), QTimeZone::utc())
        .addMSecs(std::llround(hoursWest * 3600.0 * 1000.0));
}

} // namespace

Status placeFactsFromReports(ScratchJobs &jobs, const ClockPlace &place, QDate first, QDate last,
                             PlaceFacts *facts)
{
    *facts = PlaceFacts();
    if (!first.isValid() || !last.isValid() || last < first)
        return Status::failure(QStringLiteral("The range of days must run forward."));
    // A day's hours end at the next day's sunrise: one report more than days.
    const qint64 reportCount = first.daysTo(last) + 2;
    const QTime noon(12, 0);
    std::vector<ScratchJob> requests;
    for (qint64 i = 0; i < reportCount; ++i) {
        ScratchJob job;
        job.kind = JobKind::RiseSet;
        job.args = {place.jobZone,  place.longitude,
                    place.latitude, clockTime(first.addDays(i), noon),
                    noon,           QStringLiteral("riseset.txt")};
        requests.push_back(job);
    }
    std::vector<ScratchReport> reports;
    if (Status status = jobs.run(requests, &reports); !status)
        return status;

    SilentSink quiet;
    const LocaleFacts &locale = engineReportLocale();
    for (qint64 i = 0; i + 1 < reportCount; ++i) {
        const ScratchReport &report = reports[static_cast<std::size_t>(i)];
        SeriesDay series;
        series.date = first.addDays(i);
        series.hoursZone = hoursClockZone(place.timeMode, jobs.computerZone());
        series.hoursWest = report.clockHoursWest;
        readRiseSetLines(report.lines, reports[static_cast<std::size_t>(i + 1)].lines, locale, series.table,
                         quiet);
        PlaceDay day;
        day.date = series.date;
        for (const HourSpan &span : hoursOfDay(series)) {
            PlaceHour hour;
            hour.start = span.startUtc;
            hour.end = span.endUtc;
            hour.ruler = planetByName(span.ruler).value_or(0);
            hour.night = span.isNight();
            hour.number = span.index % 12;
            hour.baseDay = span.baseDay;
            day.hours.append(hour);
        }
        day.hasHours = !day.hours.isEmpty();
        if (!day.hasHours) {
            const TRiseSetTable &t = series.table;
            day.noSunrise = !t.SunRise.isValid() || t.SunRise.date() != day.date;
            day.noSunset = !day.noSunrise;
        }
        facts->days.append(day);

        if (!report.lines || !report.clockHoursWest)
            continue;
        for (const QString &raw : *report.lines) {
            const std::optional<QDateTime> clock = ReportLineMoment(raw, false);
            if (!clock)
                continue;
            PlaceEvent event;
            event.at = instantOf(*clock, *report.clockHoursWest);
            event.body = raw.mid(BodyColumn, BodyWidth).trimmed();
            event.word = raw.mid(WordColumn, WordWidth).trimmed();
            if (!event.body.isEmpty() && !event.word.isEmpty())
                facts->events.append(event);
        }
    }
    return Status::success();
}

} // namespace orlam
