#include "hours/hourseries.h"

#include "hours/dayseries.h"

namespace orlam {

QList<PlanetaryHour> hoursOfDay(const SeriesDay &)
{
    return {};
}

} // namespace orlam
