#include "hours/dayseries.h"

#include "astrocalls/scratchjobs.h"
#include "common/clocktime.h"
#include "common/messagesink.h"
#include "hours/planetaryhours.h"
#include "settings/localefacts.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <cmath>

namespace orlam {

namespace {

constexpr int MaxSeriesDays = 400;

const QLatin1String EventWords[] = {QLatin1String("nadirs"), QLatin1String("rises"), QLatin1String("zeniths"),
                                    QLatin1String("sets")};

} // namespace

const LocaleFacts &engineReportLocale()
{
    static const LocaleFacts facts = LocaleFacts::make(QLocale(QLocale::English, QLocale::UnitedStates),
                                                       QTimeZone::utc(), QDate(2000, 1, 1));
    return facts;
}

QList<HorizonEvent> horizonEvents(const QStringList &lines, const LocaleFacts &reportLocale)
{
    QList<HorizonEvent> events;
    for (const QString &line : lines) {
        const bool sun = isSunLine(line);
        if (!sun && !isMoonLine(line))
            continue;
        for (const QLatin1String &word : EventWords) {
            if (!line.contains(word))
                continue;
            if (const std::optional<QDateTime> moment = LineMoment(line, reportLocale))
                events.append({*moment, sun ? QStringLiteral("Sun") : QStringLiteral("Moon"), word});
            break;
        }
    }
    return events;
}

Status DaySeries::fetch(ScratchJobs &jobs, const TSettings &settings, QDate first, QDate last, QTime time)
{
    mDays.clear();
    mHoursWest.clear();
    if (!first.isValid() || !last.isValid() || last < first || first.daysTo(last) >= MaxSeriesDays)
        return Status::failure(QCoreApplication::translate(
                                   "Messages", "The range of days must run forward and hold at most %1 days.")
                                   .arg(MaxSeriesDays));

    const qint64 reportCount = first.daysTo(last) + 2;
    std::vector<ScratchJob> requests;
    requests.reserve(static_cast<std::size_t>(reportCount));
    for (qint64 i = 0; i < reportCount; ++i) {
        ScratchJob job;
        job.kind = JobKind::RiseSet;
        job.args = {settings.TimeZone,
                    settings.Longitude,
                    settings.Latitude,
                    clockTime(first.addDays(i), time),
                    time,
                    QStringLiteral("riseset.txt")};
        requests.push_back(job);
    }
    std::vector<ScratchReport> reports;
    if (Status status = jobs.run(requests, &reports); !status)
        return status;

    SilentSink quiet;
    const LocaleFacts &locale = engineReportLocale();
    for (qint64 i = 0; i < reportCount; ++i) {
        if (reports[i].clockHoursWest)
            mHoursWest[first.addDays(i)] = *reports[i].clockHoursWest;
    }
    for (qint64 i = 0; i + 1 < reportCount; ++i) {
        SeriesDay day;
        day.date = first.addDays(i);
        day.hoursZone = hoursClockZone(settings.TimeMode, jobs.computerZone());
        day.hoursWest = reports[i].clockHoursWest;
        readRiseSetLines(reports[i].lines, reports[i + 1].lines, locale, day.table, quiet);
        if (reports[i].lines)
            day.events = horizonEvents(*reports[i].lines, locale);
        mDays.push_back(std::move(day));
    }
    return Status::success();
}

DaySeries DaySeries::fromDays(std::vector<SeriesDay> days)
{
    DaySeries series;
    series.mDays = std::move(days);
    for (const SeriesDay &day : series.mDays) {
        if (day.hoursWest)
            series.mHoursWest[day.date] = *day.hoursWest;
    }
    return series;
}

const SeriesDay *DaySeries::day(QDate date) const
{
    if (mDays.empty() || date < mDays.front().date || date > mDays.back().date)
        return nullptr;
    return &mDays[static_cast<std::size_t>(mDays.front().date.daysTo(date))];
}

QDateTime DaySeries::toUtc(const QDateTime &clock) const
{
    const auto found = mHoursWest.find(clock.date());
    if (!clock.isValid() || found == mHoursWest.end())
        return {};
    const qint64 offsetMs = std::llround(found->second * 3600.0 * 1000.0);
    return QDateTime(clock.date(), clock.time(), Qt::UTC).addMSecs(offsetMs);
}

} // namespace orlam
