#include "hours/reportfacts.h"

#include "hours/hoursspan.h"

namespace orlam {

Status placeFactsFromReports(ScratchJobs &jobs, const ClockPlace &place, QDate first, QDate last,
                             PlaceFacts *facts)
{
    *facts = PlaceFacts();
    HoursSpan span;
    if (Status status =
            fetchHoursSpan(jobs, {place.longitude, place.latitude, place.zone}, first, last, &span);
        !status)
        return status;
    for (const BaseDayHours &base : span.days()) {
        PlaceDay day;
        day.date = base.date;
        day.hasHours = base.valid();
        day.noSunrise = base.noHours == NoHours::NoSunrise;
        day.noSunset = base.noHours == NoHours::NoSunset;
        if (day.hasHours) {
            for (const PlanetHour &h : base.hours)
                day.hours.append({h.startUtc, h.endUtc, h.ruler, h.night, h.number, h.baseDay});
        }
        facts->days.append(day);
    }
    for (const HorizonInstant &event : span.events())
        facts->events.append({event.utc, event.body, event.word});
    return Status::success();
}

} // namespace orlam
