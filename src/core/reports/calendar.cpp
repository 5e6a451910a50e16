#include "reports/calendar.h"

#include "common/westerntext.h"

#include <QFile>
#include <QFileInfo>

namespace orlam {

Status makeTransitCalendar(Astrocalls &astro, JobKind kind, const QString &zone, const QString &longitude,
                           const QString &latitude, const QDateTime &date, QTime time, QStringList *lines)
{
    const QString name = QLatin1String(CalendarFileName);
    if (QFileInfo::exists(name) && !QFile::remove(name))
        return Status::failure(QStringLiteral("Cannot delete file %1").arg(name));

    const Status run = kind == JobKind::YearCalendar
                           ? astro.YearCalendarJob(zone, longitude, latitude, date, time)
                           : astro.MonthCalendarJob(zone, longitude, latitude, date, time);
    if (!run)
        return run;
    // A run that failed has reported itself through the runner; without a report the reading
    // below names the missing file.
    std::optional<QStringList> read;
    if (Status status = readReportLines(name, &read); !status)
        return status;
    if (!read)
        return Status::failure(QStringLiteral("Cannot open file %1").arg(name));
    *lines = *read;
    return Status::success();
}

} // namespace orlam
