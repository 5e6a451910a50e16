// Sign ingresses near the stations of the planets and the Node, as the transit calendar lists
// them, against a brute-force search that walks the same ephemeris in small steps and knows
// nothing of speeds or stations.
#include "ephemeris.h"
#include "jobfile.h"
#include "reports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace orlam {
namespace {

constexpr double Minute = 1.0 / 1440.0;

struct Crossing {
    double time; // Julian day, UT
    std::string text;
};

JobSpec monthJob(const std::string &restriction, int year, int month)
{
    const JobParseResult result =
        parseJobFile("@0102\r\n/qb " + std::to_string(month) + " 15 " + std::to_string(year) +
                         " 12:00PM ST 0 0E00 51N29\r\n/R0 " + restriction + "\r\n/dm\r\n",
                     "input.txt");
    EXPECT_TRUE(result.ok) << result.message;
    return result.job;
}

// The ingress lines of a month's calendar at their printed minute (zone 0: the clock is UT).
std::vector<Crossing> calendarIngresses(Ephemeris &ephemeris, const std::string &restriction, int year,
                                        int month)
{
    std::vector<Crossing> found;
    for (const std::string &line : calendarReport(monthJob(restriction, year, month), ephemeris)) {
        if (line.find(" enters ") == std::string::npos)
            continue;
        int m = 0, d = 0, y = 0, hour = 0, minute = 0;
        char half[3] = {};
        if (std::sscanf(line.c_str() + 6, "%d/%d/%d %d:%d%2s", &m, &d, &y, &hour, &minute, half) != 6) {
            ADD_FAILURE() << "unreadable line " << line;
            continue;
        }
        hour = hour % 12 + (std::string(half) == "pm" ? 12 : 0);
        const std::size_t text = line.find_first_not_of(' ', 24);
        found.push_back({Ephemeris::julianDay(y, m, d, hour + minute / 60.0), line.substr(text)});
    }
    return found;
}

int signOf(double longitude)
{
    return static_cast<int>(std::floor(longitude / 30.0)) % 12;
}

// Every change of sign between looks `step` apart, refined by halving to well under a second.
std::vector<Crossing> bruteForce(Ephemeris &ephemeris, Body body, double from, double to, double step)
{
    std::vector<Crossing> found;
    double t0 = from;
    double l0 = ephemeris.longitude(body, t0, false);
    for (double t1 = from + step; t1 <= to; t1 += step) {
        const double l1 = ephemeris.longitude(body, t1, false);
        if (signOf(l0) != signOf(l1)) {
            double a = t0;
            double b = t1;
            for (int i = 0; i < 30; ++i) {
                const double t = 0.5 * (a + b);
                (signOf(ephemeris.longitude(body, t, false)) == signOf(l0) ? a : b) = t;
            }
            const bool forward = std::remainder(l1 - l0, 360.0) > 0;
            found.push_back(
                {0.5 * (a + b), std::string(bodyInfo(body).name) + " enters " +
                                    std::string(signTable[static_cast<std::size_t>(signOf(l1))].name) +
                                    (forward ? "" : " (retrograde)")});
        }
        t0 = t1;
        l0 = l1;
    }
    return found;
}

// The month of a Julian day (UT).
std::pair<int, int> yearMonth(double julianDay)
{
    const CivilTime civil = Ephemeris::civilTime(julianDay);
    return {civil.year, civil.month};
}

TEST(Stations, MercuryEntersAquariusAndTurnsBackTheSameMorning)
{
    Ephemeris ephemeris(ORLAM_EPHE_PATH);
    // With the Moon the calendar steps by six hours, without it by a day; both crossings lie
    // within one step of either.
    for (const char *restriction : {"mer", "mer moo"}) {
        SCOPED_TRACE(restriction);
        std::vector<std::string> mercury;
        for (const std::string &line : calendarReport(monthJob(restriction, 1970, 1), ephemeris)) {
            if (line.find("Mercury enters") != std::string::npos)
                mercury.push_back(line);
        }
        EXPECT_EQ(mercury, (std::vector<std::string>{
                               "(Sun)  1/ 4/1970  4:20am  Mercury enters Aquarius",
                               "(Sun)  1/ 4/1970 11:59am  Mercury enters Capricorn (retrograde)"}));
    }
}

// Stations found by a daily walk (where the day-to-day motion changes direction) within half a
// degree of a sign boundary, 1950 to 2050. Around each, four days are searched every five
// minutes, and the calendar must list the same ingresses, in the same order, each within a
// minute.
TEST(Stations, IngressesNearEveryStationAgreeWithABruteForceSearch)
{
    Ephemeris ephemeris(ORLAM_EPHE_PATH);
    const double first = Ephemeris::julianDay(1950, 1, 1, 0.0);
    const double last = Ephemeris::julianDay(2050, 1, 1, 0.0);
    const std::vector<std::tuple<Body, const char *, double>> bodies{
        {Body::Mercury, "mer", 1.0}, {Body::Venus, "ven", 1.0},  {Body::Mars, "mar", 1.0},
        {Body::Jupiter, "jup", 5.0}, {Body::Saturn, "sat", 5.0}, {Body::Uranus, "ura", 5.0},
        {Body::Neptune, "nep", 5.0}, {Body::Pluto, "plu", 5.0},  {Body::Node, "nod", 1.0}};
    std::map<std::tuple<std::string, int, int>, std::vector<Crossing>> months;
    int stations = 0;
    int compared = 0;
    int turnsBack = 0; // ingresses undone within a day: those a day's step alone cannot see
    double worst = 0;  // minutes
    for (const auto &[body, restriction, walk] : bodies) {
        double previous = ephemeris.longitude(body, first, false);
        double here = ephemeris.longitude(body, first + walk, false);
        for (double t = first + walk; t + walk < last; t += walk) {
            const double next = ephemeris.longitude(body, t + walk, false);
            const bool turns =
                (std::remainder(here - previous, 360.0) < 0) != (std::remainder(next - here, 360.0) < 0);
            const double inSign = std::fmod(here, 30.0);
            previous = here;
            here = next;
            if (!turns || std::min(inSign, 30.0 - inSign) > 0.5)
                continue;
            ++stations;
            const double from = t - 2.0;
            const double to = t + 2.0;
            std::vector<Crossing> ours;
            for (auto month = yearMonth(from - Minute);;
                 month = yearMonth(Ephemeris::julianDay(month.first, month.second, 28, 0.0) + 7.0)) {
                const auto key = std::make_tuple(std::string(restriction), month.first, month.second);
                if (!months.count(key))
                    months[key] = calendarIngresses(ephemeris, restriction, month.first, month.second);
                for (const Crossing &crossing : months[key]) {
                    if (crossing.time > from + 10 * Minute && crossing.time < to - 10 * Minute)
                        ours.push_back(crossing);
                }
                if (month == yearMonth(to + Minute))
                    break;
            }
            std::vector<Crossing> theirs;
            for (const Crossing &crossing : bruteForce(ephemeris, body, from, to, 5 * Minute)) {
                if (crossing.time > from + 10 * Minute && crossing.time < to - 10 * Minute)
                    theirs.push_back(crossing);
            }
            const CivilTime civil = Ephemeris::civilTime(t);
            SCOPED_TRACE(std::string(bodyInfo(body).name) + " station near " + std::to_string(civil.year) +
                         "-" + std::to_string(civil.month) + "-" + std::to_string(civil.day));
            ASSERT_EQ(ours.size(), theirs.size());
            for (std::size_t i = 0; i + 1 < theirs.size(); ++i)
                turnsBack += theirs[i + 1].time - theirs[i].time < 1.0;
            for (std::size_t i = 0; i < ours.size(); ++i) {
                EXPECT_EQ(ours[i].text, theirs[i].text);
                const double difference = std::fabs(ours[i].time - theirs[i].time) / Minute;
                EXPECT_LE(difference, 0.51) << ours[i].text;
                worst = std::max(worst, difference);
                ++compared;
            }
        }
    }
    std::printf("%d stations, %d ingresses compared (%d undone within a day), worst difference %.1f s\n",
                stations, compared, turnsBack, worst * 60.0);
    EXPECT_GE(stations, 200);
    EXPECT_GE(compared, 30);
    EXPECT_GE(turnsBack, 1); // Mercury, 4 January 1970
}

} // namespace
} // namespace orlam
