#include "reports/calendar.h"

#include "astrocalls/scratchjobs.h"
#include "common/clocktime.h"
#include "common/westerntext.h"
#include "hours/hoursspan.h"
#include "hours/planetaryhours.h"
#include "hours/riseset.h"
#include "shared/risesetformat.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cmath>

namespace orlam {

namespace {

constexpr auto ClockLineStart = "Times are local clock times";

} // namespace

QStringList placeCalendarLines(const QStringList &lines, double clockHoursWest, const QTimeZone &zone,
                               bool dayFirst)
{
    QStringList placed;
    placed.reserve(lines.size());
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String(ClockLineStart))) {
            placed << QStringLiteral("%1 of %2, each with the offset in force at its moment, rounded to the "
                                     "minute.")
                          .arg(QLatin1String(ClockLineStart), QString::fromLatin1(zone.id()));
            continue;
        }
        const std::optional<QDateTime> clock =
            line.startsWith(QLatin1Char('(')) ? ReportLineMoment(line, dayFirst) : std::nullopt;
        if (!clock) {
            placed << line;
            continue;
        }
        const QDateTime utc = QDateTime(clock->date(), clock->time(), QTimeZone::utc())
                                  .addSecs(std::llround(clockHoursWest * 3600.0));
        const QDateTime wall = clockFromLocal(placeMinute(utc, zone));
        placed << WeekdayTag(wall.date()) + reportDateTime(wall, dayFirst) +
                      line.mid(riseset::TimeColumn + riseset::TimeWidth);
    }
    return placed;
}

Status makeTransitCalendar(Astrocalls &astro, JobKind kind, const QString &zone, const QString &longitude,
                           const QString &latitude, const QDateTime &date, QTime time,
                           const QTimeZone &placeZone, QStringList *lines)
{
    // Messages name the report as the user knows it, without the work folder.
    const QString name = QLatin1String(CalendarFileName);
    const QString path = astro.filePath(name);
    if (QFileInfo::exists(path) && !QFile::remove(path))
        return Status::failure(QCoreApplication::translate("Messages", "Cannot delete file %1").arg(name));

    const Status run = kind == JobKind::YearCalendar
                           ? astro.YearCalendarJob(zone, longitude, latitude, date, time)
                           : astro.MonthCalendarJob(zone, longitude, latitude, date, time);
    if (!run)
        return run;
    // A run that failed has reported itself through the runner; without a report the reading
    // below names the missing file.
    std::optional<QStringList> read;
    if (Status status = readReportLines(path, &read, name); !status)
        return status;
    if (!read)
        return Status::failure(QCoreApplication::translate("Messages", "Cannot open file %1").arg(name));
    // The job file tells the clock the engine wrote on.
    QStringList job;
    const std::optional<double> west =
        readWesternLines(astro.filePath(QLatin1String(JobFileName)), &job) && job.size() > 1
            ? momentLineHoursWest(job.at(1))
            : std::nullopt;
    if (west && placeZone.isValid()) {
        read = placeCalendarLines(*read, *west, placeZone, job.contains(QStringLiteral("-Yd")));
        if (Status status = writeWorkFileIn(astro.folder(), name, joinCrLf(*read), WorkFile::Scratch);
            !status)
            return status;
    }
    *lines = *read;
    return Status::success();
}

} // namespace orlam
