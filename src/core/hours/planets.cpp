#include "hours/planets.h"

namespace orlam {

int firstRulerOfDay(int qtDayOfWeek)
{
    // A day has 24 hours, so each day starts three places further on in the cycle of seven.
    const int daysAfterSunday = qtDayOfWeek % 7;
    return (3 * daysAfterSunday) % PlanetCycleLength;
}

std::optional<int> planetByName(const QString &name)
{
    for (int i = 0; i < PlanetCycleLength; ++i)
        if (name == QLatin1String(PlanetCycle[i].name))
            return i;
    return std::nullopt;
}

QString planetName(int cycleIndex)
{
    return QString::fromLatin1(PlanetCycle[cycleIndex].name);
}

} // namespace orlam
