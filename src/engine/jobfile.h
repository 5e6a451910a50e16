#pragma once

#include "astrotables.h"

#include <bitset>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orlam {

// The moment and place of "/qb M D Y TIME ST|DT ZONE LON LAT".
struct Moment {
    int year = 0;             // 1000..2999, Gregorian calendar
    int month = 0;            // 1..12
    int day = 0;              // 1..days in the month
    int hour = 0;             // local clock, 0..23
    int minute = 0;           // 0..59
    int second = 0;           // 0..59
    bool daylight = false;    // "DT": the clock runs one hour ahead of the zone's standard time
    double zoneHoursWest = 0; // standard time = UT - zoneHoursWest, -24..24
    double longitudeEast = 0; // degrees, east positive, -180..180
    double latitudeNorth = 0; // degrees, north positive, -90..90
    std::string zoneText;     // the three texts as the job wrote them, for report headers
    std::string longitudeText;
    std::string latitudeText;

    // Hours that the local clock is behind UT (UT = clock + this).
    double clockHoursWest() const { return zoneHoursWest - (daylight ? 1.0 : 0.0); }
};

enum class ReportKind { Chart, Wheel, Aspects, RiseSet, MonthCalendar, YearCalendar };

// Everything a job file asks for, after validation.
struct JobSpec {
    std::optional<Moment> moment;
    std::string reportName;                 // "/os"; empty: the report goes to standard output
    std::string pictureName;                // "/Xo"
    bool metafile = false;                  // "/XM0"
    bool pictureWhiteBackground = false;    // "/Xr"
    bool pictureMonochrome = false;         // "/Xm"
    std::bitset<knownBodyCount> restricted; // "/R", "/R0"
    int aspectLimit = aspectCount;          // "/A": how many aspects of aspectTable are used
    int houseSystem = 0;                    // "/c": index into houseSystemTable
    bool sidereal = false;                  // "/s"
    bool dayFirstDates = false;             // "-Yd"
    int wheelRows = 0;                      // "/w N"; 0 when not given
    bool aspectList = false;                // "/a0"
    bool aspectGrid = false;                // "/g0"
    bool influence = false;                 // "/j0"
    bool horizon = false;                   // "/Z"
    bool riseSet = false;                   // "/Zd"
    int riseSetDays = 1;                    // "/Zn N": the rise/set report covers N days from the date
    bool riseSetSeconds = false;            // "/Zs": each rise/set line also gives its time to the second
    bool monthCalendar = false;             // "/dm"
    bool yearCalendar = false;              // "/dy"

    ReportKind kind() const;
    bool isListed(Body body) const { return !restricted.test(static_cast<std::size_t>(body)); }
};

struct JobParseResult {
    bool ok = false;
    JobSpec job;
    std::string message; // when !ok: one line naming the file, the line and the switch
};

// Job files are tiny; anything larger is refused before it is read whole.
constexpr std::size_t maxJobFileBytes = 64 * 1024;
constexpr std::size_t maxJobLineLength = 1024;
constexpr int firstYear = 1000;
constexpr int lastYear = 2999;

// Parses the bytes of a job file. `fileName` only labels the messages.
JobParseResult parseJobFile(std::string_view text, std::string_view fileName);

// A report or picture name must be a plain file name in the current directory.
bool isPlainFileName(std::string_view name);

int daysInMonth(int year, int month);

} // namespace orlam
