#include "hours/hourseries.h"

#include "hours/dayseries.h"
#include "hours/planetaryhours.h"
#include "hours/planets.h"

#include <cmath>

namespace orlam {

QList<HourSpan> hoursOfDay(const SeriesDay &day)
{
    const PlanetaryHours hours = computePlanetaryHours(day.date, day.table, day.hoursZone);
    if (!hours.valid)
        return {};
    const bool fixedClock = day.hoursZone == QTimeZone::utc();
    if (fixedClock && !day.hoursWest)
        return {};
    const qint64 offsetMs = fixedClock ? std::llround(*day.hoursWest * 3600.0 * 1000.0) : 0;
    QList<HourSpan> spans;
    spans.reserve(static_cast<qsizetype>(hours.hours.size()));
    for (std::size_t i = 0; i < hours.hours.size(); ++i) {
        const PlanetaryHour &hour = hours.hours[i];
        HourSpan span;
        span.baseDay = day.date;
        span.index = static_cast<int>(i);
        span.start = hour.start;
        span.end = hour.end;
        // On a fixed clock the elapsed times are the clock read as universal time; the report's
        // own offset makes them universal. Under the computer's zone they already are.
        span.startUtc = QDateTime::fromMSecsSinceEpoch(hour.startMs + offsetMs, QTimeZone::utc());
        span.endUtc = QDateTime::fromMSecsSinceEpoch(hour.endMs + offsetMs, QTimeZone::utc());
        span.ruler = planetName(hour.ruler);
        spans.append(span);
    }
    return spans;
}

} // namespace orlam
