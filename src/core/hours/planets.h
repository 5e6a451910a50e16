#pragma once

#include <QString>
#include <array>
#include <optional>

namespace orlam {

// One of the seven planets that rule the hours.
struct HourPlanet {
    const char *name; // "Sun" .. "Mars", as in reports and hour lines
    int trayImage;    // tray image index: 0 Saturn, 1 Jupiter, 2 Mars, 3 Sun, 4 Venus, 5 Mercury, 6 Moon
    int alarmIndex;   // index into TSettings::HourAlarm, RiseSetAlarm and BodyKeys
};

constexpr int PlanetCycleLength = 7;

// The cycle of the hours, index 0..6: each hour is ruled by the planet after the one before.
constexpr std::array<HourPlanet, PlanetCycleLength> PlanetCycle{{
    {"Sun", 3, 0},
    {"Venus", 4, 3},
    {"Mercury", 5, 2},
    {"Moon", 6, 1},
    {"Saturn", 0, 6},
    {"Jupiter", 1, 5},
    {"Mars", 2, 4},
}};

// The cycle index of the first hour of a day, by Qt's day of the week (1 Monday .. 7 Sunday):
// Sunday Sun 0, Monday Moon 3, Tuesday Mars 6, Wednesday Mercury 2, Thursday Jupiter 5,
// Friday Venus 1, Saturday Saturn 4.
int firstRulerOfDay(int qtDayOfWeek);

// The cycle index of a planet by its exact (case-sensitive) name, if it is one of the seven.
std::optional<int> planetByName(const QString &name);

// The planet's name as text.
QString planetName(int cycleIndex);

} // namespace orlam
