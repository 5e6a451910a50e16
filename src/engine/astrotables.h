#pragma once

#include "shared/astronames.h"

#include <array>
#include <string_view>

namespace orlam {

// The bodies the engine charts, in listing order. The six extra names are accepted by the
// restriction switches so that job files written for fuller programs still run, but the engine
// never lists them.
enum class Body {
    Sun,
    Moon,
    Mercury,
    Venus,
    Mars,
    Jupiter,
    Saturn,
    Uranus,
    Neptune,
    Pluto,
    Node,
    Chiron,
    Ceres,
    Pallas,
    Juno,
    Vesta,
    Lilith,
};

constexpr int listedBodyCount = 11; // Sun to Node
constexpr int knownBodyCount = 17;

struct BodyInfo {
    Body body;
    std::string_view name;      // as reports write it: "Sun", "Mercury", "Node"
    std::string_view shortName; // four columns of the chart listing: "Sun ", "Merc"
};

constexpr std::array<BodyInfo, knownBodyCount> bodyTable{{
    {Body::Sun, "Sun", "Sun "},
    {Body::Moon, "Moon", "Moon"},
    {Body::Mercury, "Mercury", "Merc"},
    {Body::Venus, "Venus", "Venu"},
    {Body::Mars, "Mars", "Mars"},
    {Body::Jupiter, "Jupiter", "Jupi"},
    {Body::Saturn, "Saturn", "Satu"},
    {Body::Uranus, "Uranus", "Uran"},
    {Body::Neptune, "Neptune", "Nept"},
    {Body::Pluto, "Pluto", "Plut"},
    {Body::Node, "Node", "Node"},
    {Body::Chiron, "Chiron", "Chir"},
    {Body::Ceres, "Ceres", "Cere"},
    {Body::Pallas, "Pallas", "Pall"},
    {Body::Juno, "Juno", "Juno"},
    {Body::Vesta, "Vesta", "Vest"},
    {Body::Lilith, "Lilith", "Lili"},
}};

constexpr const BodyInfo &bodyInfo(Body body)
{
    return bodyTable[static_cast<int>(body)];
}

using SignInfo = names::Sign;
inline constexpr const std::array<SignInfo, 12> &signTable = names::Signs;

// The aspects in the order that "/A" counts them.
struct AspectInfo {
    std::string_view name;         // "Conjunction"
    std::string_view abbreviation; // "Con"
    double angle;                  // degrees
    double orb;                    // degrees either side of exact, before the luminary allowance
    double weight;                 // strength used by the influence table
};

constexpr int aspectCount = 5;
constexpr std::array<AspectInfo, aspectCount> aspectTable{{
    {"Conjunction", "Con", 0.0, 7.0, 1.0},
    {"Opposition", "Opp", 180.0, 7.0, 0.8},
    {"Square", "Sqr", 90.0, 6.0, 0.6},
    {"Trine", "Tri", 120.0, 6.0, 0.5},
    {"Sextile", "Sex", 60.0, 4.0, 0.3},
}};
// Aspects that involve the Sun or the Moon get this much more orb.
constexpr double luminaryOrbAllowance = 1.0;

using HouseSystemInfo = names::HouseSystem;
// "/c N" numbers these in this order.
inline constexpr const std::array<HouseSystemInfo, 14> &houseSystemTable = names::HouseSystems;

constexpr std::array<std::string_view, 12> monthNames{{"January", "February", "March", "April", "May", "June",
                                                       "July", "August", "September", "October", "November",
                                                       "December"}};
// Index 0 is Monday, as the library's day-of-week count has it.
constexpr std::array<std::string_view, 7> weekdayNames{
    {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"}};

} // namespace orlam
