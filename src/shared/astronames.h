#pragma once

// The names the engine writes into its reports and the program reads back or offers: the signs
// with their three-letter abbreviations, and the house systems. Plain C++, no Qt.

#include <array>
#include <string_view>

namespace orlam::names {

struct Sign {
    std::string_view abbreviation; // "Ari", as a chart listing writes it in columns 9-11
    std::string_view name;         // "Aries"
};

// In zodiac order: index 0 is Aries, each sign 30 degrees of longitude.
constexpr std::array<Sign, 12> Signs{{
    {"Ari", "Aries"},
    {"Tau", "Taurus"},
    {"Gem", "Gemini"},
    {"Can", "Cancer"},
    {"Leo", "Leo"},
    {"Vir", "Virgo"},
    {"Lib", "Libra"},
    {"Sco", "Scorpio"},
    {"Sag", "Sagittarius"},
    {"Cap", "Capricorn"},
    {"Aqu", "Aquarius"},
    {"Pis", "Pisces"},
}};

struct HouseSystem {
    std::string_view name; // as the options offer it and a chart's header names it
    char letter;           // the ephemeris library's letter for it
};

// In the order of the "House System" option, which is the number the engine's "/c N" takes.
constexpr std::array<HouseSystem, 14> HouseSystems{{
    {"Placidus", 'P'},
    {"Koch", 'K'},
    {"Equal", 'E'},
    {"Campanus", 'C'},
    {"Meridian", 'X'},
    {"Regiomontanus", 'R'},
    {"Porphyry", 'O'},
    {"Morinus", 'M'},
    {"Topocentric", 'T'},
    {"Alcabitius", 'B'},
    {"Equal (MC)", 'D'},
    {"Neo-Porphyry", 'L'},
    {"Whole", 'W'},
    {"None", 'N'},
}};

} // namespace orlam::names
