#include "reports.h"

#include "shared/risesetformat.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <optional>
#include <utility>

namespace orlam {

namespace {

std::string format(const char *pattern, ...) __attribute__((format(printf, 1, 2)));

std::string format(const char *pattern, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, pattern);
    const int length = std::vsnprintf(buffer, sizeof buffer, pattern, args);
    va_end(args);
    if (length < 0)
        return std::string();
    return std::string(buffer, std::min(static_cast<std::size_t>(length), sizeof buffer - 1));
}

// Writes `value` at `to` as printf's "%<width>d" (pad ' ') or "%0<width>d" (pad '0') writes it,
// and gives the position after it. The rise/set and calendar reports write thousands of numbers
// in their own fixed layout.
char *putNumber(char *to, long long value, int width, char pad)
{
    char digits[24];
    int count = 0;
    unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    int fill = std::max(0, width - count - (value < 0 ? 1 : 0));
    if (pad != '0')
        for (; fill > 0; --fill)
            *to++ = ' ';
    if (value < 0)
        *to++ = '-';
    for (; fill > 0; --fill)
        *to++ = '0';
    while (count > 0)
        *to++ = digits[--count];
    return to;
}

// Room for an event line's weekday tag, date and time with any int.
constexpr std::size_t dateTimeRoom = 96;

// Columns 7-24 of an event line at `to`; see eventDateTime().
char *putEventDateTime(char *to, int year, int month, int day, int hour, int minute, bool dayFirst)
{
    const char separator = dayFirst ? '-' : '/';
    to = putNumber(to, dayFirst ? day : month, 2, ' ');
    *to++ = separator;
    to = putNumber(to, dayFirst ? month : day, 2, ' ');
    *to++ = separator;
    to = putNumber(to, year, 4, '0');
    *to++ = ' ';
    to = putNumber(to, hour % 12 == 0 ? 12 : hour % 12, 2, ' ');
    *to++ = ':';
    to = putNumber(to, minute, 2, '0');
    *to++ = hour < 12 ? 'a' : 'p';
    *to++ = 'm';
    return to;
}

// Columns 1-6 of an event line at `to`: "(Wed) ".
char *putWeekdayTag(char *to, int year, int month, int day)
{
    static constexpr const char *tags[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    const char *tag = tags[Ephemeris::weekday(Ephemeris::julianDay(year, month, day, 12.0))];
    *to++ = '(';
    to = std::copy(tag, tag + 3, to);
    *to++ = ')';
    *to++ = ' ';
    return to;
}

std::string str(std::string_view view)
{
    return std::string(view);
}

double normalize360(double degrees)
{
    double value = std::fmod(degrees, 360.0);
    if (value < 0)
        value += 360.0;
    return value >= 360.0 ? 0.0 : value;
}

double normalize180(double degrees)
{
    const double value = normalize360(degrees);
    return value > 180.0 ? value - 360.0 : value;
}

int signIndex(double longitude)
{
    return std::clamp(static_cast<int>(normalize360(longitude) / 30.0), 0, 11);
}

// Degrees and minutes of an angle, truncated: "+23:26".
std::string signedDegreesMinutes(double degrees)
{
    const long long minutes = static_cast<long long>(std::floor(std::fabs(degrees) * 60.0 + 1e-9));
    return format("%c%02lld:%02lld", degrees < 0 ? '-' : '+', minutes / 60, minutes % 60);
}

std::string degreesMinutes(double degrees)
{
    const long long minutes = static_cast<long long>(std::floor(std::fabs(degrees) * 60.0 + 1e-9));
    return format("%lld:%02lld", minutes / 60, minutes % 60);
}

double localJulianDay(const Moment &m)
{
    return Ephemeris::julianDay(m.year, m.month, m.day, m.hour + m.minute / 60.0 + m.second / 3600.0);
}

double momentUt(const Moment &m)
{
    return localJulianDay(m) + m.clockHoursWest() / 24.0;
}

std::string clockText12(int hour, int minute)
{
    const int h12 = hour % 12 == 0 ? 12 : hour % 12;
    return format("%d:%02d%s", h12, minute, hour < 12 ? "am" : "pm");
}

std::string zoneDescription(const Moment &m)
{
    return format("%s, zone %s hours west of Greenwich", m.daylight ? "DT" : "ST", m.zoneText.c_str());
}

std::string ephemerisLine(const Ephemeris &ephemeris)
{
    if (ephemeris.usedBuiltInModel())
        return "Ephemeris:  built-in analytical model (the ephemeris files were not found or do not cover "
               "this date)";
    return "Ephemeris:  Swiss Ephemeris with its data files";
}

std::vector<std::string> momentHeader(const std::string &title, const ChartData &chart)
{
    const Moment &m = chart.moment;
    const int weekday = Ephemeris::weekday(Ephemeris::julianDay(m.year, m.month, m.day, 12.0));
    const CivilTime ut = Ephemeris::civilTime(chart.julianDayUt);
    std::vector<std::string> lines;
    lines.push_back(title);
    lines.push_back(format("Date:       %s, %s %d, %d  %s (%s)", str(weekdayNames[weekday]).c_str(),
                           str(monthNames[m.month - 1]).c_str(), m.day, m.year,
                           clockText12(m.hour, m.minute).c_str(), zoneDescription(m).c_str()));
    lines.push_back(format("Universal:  %04d-%02d-%02d %02d:%02d:%02d UT, Julian day %.6f", ut.year, ut.month,
                           ut.day, ut.hour, ut.minute, static_cast<int>(ut.second), chart.julianDayUt));
    lines.push_back(format("Place:      %s %s (longitude %.4f %c, latitude %.4f %c)", m.longitudeText.c_str(),
                           m.latitudeText.c_str(), std::fabs(chart.place.longitudeEast),
                           chart.place.longitudeEast < 0 ? 'W' : 'E', std::fabs(chart.place.latitudeNorth),
                           chart.place.latitudeNorth < 0 ? 'S' : 'N'));
    std::string houseLine =
        "Houses:     " + str(houseSystemTable[static_cast<std::size_t>(chart.houseSystem)].name);
    if (chart.houses.systemUsed != houseSystemTable[static_cast<std::size_t>(chart.houseSystem)].letter)
        houseLine += " is undefined at this latitude; Porphyry used";
    lines.push_back(houseLine);
    if (chart.sidereal)
        lines.push_back("Zodiac:     Sidereal, Fagan-Bradley ayanamsa " + degreesMinutes(chart.ayanamsa));
    else
        lines.push_back("Zodiac:     Tropical");
    return lines;
}

int houseOf(double longitude, const Houses &houses)
{
    for (int i = 0; i < 12; ++i) {
        const double start = houses.cusps[static_cast<std::size_t>(i)];
        const double end = houses.cusps[static_cast<std::size_t>((i + 1) % 12)];
        const double span = normalize360(end - start);
        if (normalize360(longitude - start) < span || span == 0.0)
            return i + 1;
    }
    return 1;
}

// Refines a root of f between a and b (f changes sign there) to about a second; fa is f(a).
template <typename F> double refine(double a, double b, double fa, const F &f)
{
    for (int iteration = 0; iteration < 40 && b - a > 1.0 / 86400.0; ++iteration) {
        const double t = 0.5 * (a + b);
        const double ft = f(t);
        if ((ft < 0) == (fa < 0)) {
            a = t;
            fa = ft;
        } else {
            b = t;
        }
    }
    return 0.5 * (a + b);
}

// The moments where a speed changes sign: where a body (or the angle between two) stops and
// turns. `looks` are (time, speed) pairs across a step in time order, its ends included; each
// change of sign between two looks is refined to about a second with `speed`.
template <typename F>
std::vector<double> turningPoints(const std::vector<std::pair<double, double>> &looks, const F &speed)
{
    std::vector<double> turns;
    for (std::size_t q = 0; q + 1 < looks.size(); ++q) {
        if ((looks[q].second < 0) != (looks[q + 1].second < 0))
            turns.push_back(refine(looks[q].first, looks[q + 1].first, looks[q].second, speed));
    }
    return turns;
}

struct Aspect {
    int first; // indexes into ChartData::bodies
    int second;
    int aspect; // index into aspectTable
    double orb; // degrees off exact
    bool applying;
};

double allowedOrb(int aspect, Body a, Body b)
{
    const bool luminary = a == Body::Sun || a == Body::Moon || b == Body::Sun || b == Body::Moon;
    return aspectTable[static_cast<std::size_t>(aspect)].orb + (luminary ? luminaryOrbAllowance : 0.0);
}

std::vector<Aspect> findAspects(const JobSpec &job, const ChartData &chart)
{
    std::vector<Aspect> aspects;
    const int count = static_cast<int>(chart.bodies.size());
    for (int i = 0; i < count; ++i) {
        for (int j = i + 1; j < count; ++j) {
            const auto &a = chart.bodies[static_cast<std::size_t>(i)];
            const auto &b = chart.bodies[static_cast<std::size_t>(j)];
            const double difference = normalize180(a.position.longitude - b.position.longitude);
            const double separation = std::fabs(difference);
            const double separationRate =
                (difference < 0 ? -1.0 : 1.0) * (a.position.speed - b.position.speed);
            for (int k = 0; k < job.aspectLimit; ++k) {
                const double angle = aspectTable[static_cast<std::size_t>(k)].angle;
                const double orb = std::fabs(separation - angle);
                if (orb > allowedOrb(k, a.body, b.body))
                    continue;
                const double orbRate = (separation - angle < 0 ? -1.0 : 1.0) * separationRate;
                aspects.push_back({i, j, k, orb, orbRate < 0});
            }
        }
    }
    std::sort(aspects.begin(), aspects.end(), [](const Aspect &x, const Aspect &y) { return x.orb < y.orb; });
    return aspects;
}

const std::string &name(Body body)
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const BodyInfo &info : bodyTable)
            list.emplace_back(info.name);
        return list;
    }();
    return names[static_cast<std::size_t>(body)];
}

} // namespace

std::vector<std::string> chartHeader(const std::string &title, const ChartData &chart,
                                     const Ephemeris &ephemeris)
{
    std::vector<std::string> lines = momentHeader(title, chart);
    lines.push_back(ephemerisLine(ephemeris));
    return lines;
}

std::string joinLines(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string zodiacText(double longitude)
{
    // Whole arcseconds first, so that 29d59m59.9s stays in its sign and minute.
    const long long seconds = static_cast<long long>(std::floor(normalize360(longitude) * 3600.0));
    const long long minutes = seconds / 60;
    const int sign = static_cast<int>(minutes / (30 * 60)) % 12;
    const long long withinSign = minutes % (30 * 60);
    return format("%2lld%s%02lld", withinSign / 60,
                  str(signTable[static_cast<std::size_t>(sign)].abbreviation).c_str(), withinSign % 60);
}

std::string eventDateTime(int year, int month, int day, int hour, int minute, bool dayFirst)
{
    char text[dateTimeRoom];
    return std::string(text, putEventDateTime(text, year, month, day, hour, minute, dayFirst));
}

std::string weekdayTag(int year, int month, int day)
{
    char text[dateTimeRoom];
    return std::string(text, putWeekdayTag(text, year, month, day));
}

std::string riseSetLine(const RiseSetEvent &event, double clockWest, double dayStartLocal, int spanDays,
                        bool dayFirst, bool seconds)
{
    const double localDays = event.julianDayUt - clockWest - dayStartLocal;
    const long long minuteOfSpan = std::llround(std::floor(localDays * 1440.0 + 0.5));
    const long long spanMinutes = 1440LL * spanDays;
    const long long minute = std::clamp(minuteOfSpan, 0LL, spanMinutes - 1);
    // The line's date: the day of the rounded minute, read at its noon to keep clear of rounding
    // at midnight.
    const CivilTime date = Ephemeris::civilTime(dayStartLocal + static_cast<double>(minute / 1440) + 0.5);
    const int minuteOfDay = static_cast<int>(minute % 1440);
    char text[dateTimeRoom];
    char *to = putWeekdayTag(text, date.year, date.month, date.day);
    to = putEventDateTime(to, date.year, date.month, date.day, minuteOfDay / 60, minuteOfDay % 60, dayFirst);
    const std::string &body = name(event.body);
    std::string line;
    line.reserve(riseset::SecondsColumn + riseset::SecondsWidth);
    line.append(text, to);
    line.append(static_cast<std::size_t>(std::max(0, riseset::BodyWidth - static_cast<int>(body.size()))),
                ' ');
    line += body;
    line.append(riseset::WordColumn - riseset::BodyColumn - riseset::BodyWidth, ' ');
    line += riseset::EventWords[static_cast<std::size_t>(event.event)];
    if (seconds) {
        const CivilTime exact = Ephemeris::civilTime(event.julianDayUt - clockWest + 0.5 / 86400.0);
        line.resize(riseset::SecondsColumn, ' ');
        to = putNumber(text, exact.hour, 2, '0');
        *to++ = ':';
        to = putNumber(to, exact.minute, 2, '0');
        *to++ = ':';
        to = putNumber(to, static_cast<int>(exact.second), 2, '0');
        line.append(text, to);
    }
    return line;
}

ChartData computeChart(const JobSpec &job, Ephemeris &ephemeris)
{
    ChartData chart;
    chart.moment = *job.moment;
    chart.julianDayUt = momentUt(chart.moment);
    chart.place = {chart.moment.longitudeEast, chart.moment.latitudeNorth};
    chart.sidereal = job.sidereal;
    chart.houseSystem = job.houseSystem;
    if (job.sidereal)
        chart.ayanamsa = ephemeris.ayanamsa(chart.julianDayUt);
    chart.houses =
        ephemeris.houses(chart.julianDayUt, chart.place,
                         houseSystemTable[static_cast<std::size_t>(job.houseSystem)].letter, job.sidereal);
    for (int i = 0; i < listedBodyCount; ++i) {
        const Body body = static_cast<Body>(i);
        if (!job.isListed(body))
            continue;
        const EclipticPosition position = ephemeris.position(body, chart.julianDayUt, job.sidereal);
        chart.bodies.push_back({body, position, houseOf(position.longitude, chart.houses)});
    }
    return chart;
}

std::vector<std::string> chartReport(const JobSpec &, const ChartData &chart, Ephemeris &ephemeris)
{
    std::vector<std::string> lines = momentHeader("Orlam chart listing", chart);
    lines.push_back(ephemerisLine(ephemeris));
    lines.push_back("");
    lines.push_back("Body  Location R  Decl.  House");
    for (const auto &entry : chart.bodies) {
        lines.push_back(format("%-4s: %s%c %s  %2d", str(bodyInfo(entry.body).shortName).c_str(),
                               zodiacText(entry.position.longitude).c_str(),
                               entry.position.speed < 0 ? 'R' : ' ',
                               signedDegreesMinutes(entry.position.declination).c_str(), entry.house));
    }
    lines.push_back("");
    lines.push_back("Ascendant : " + zodiacText(chart.houses.ascendant));
    lines.push_back("Midheaven : " + zodiacText(chart.houses.midheaven));
    for (int i = 0; i < 12; ++i)
        lines.push_back(format("House %2d  : %s", i + 1,
                               zodiacText(chart.houses.cusps[static_cast<std::size_t>(i)]).c_str()));
    return lines;
}

std::vector<std::string> aspectsReport(const JobSpec &job, const ChartData &chart, Ephemeris &ephemeris)
{
    std::vector<std::string> lines = chartHeader("Orlam aspect charts", chart, ephemeris);
    const std::vector<Aspect> aspects = findAspects(job, chart);
    const auto bodyAt = [&](int index) { return chart.bodies[static_cast<std::size_t>(index)]; };

    if (job.aspectList) {
        lines.push_back("");
        lines.push_back("Aspect list (orbs: " + [&] {
            std::string orbs;
            for (int k = 0; k < job.aspectLimit; ++k) {
                const AspectInfo &info = aspectTable[static_cast<std::size_t>(k)];
                orbs += format("%s%s %g", k ? ", " : "", str(info.abbreviation).c_str(), info.orb);
            }
            return orbs + format("; %g more when the Sun or Moon takes part)", luminaryOrbAllowance);
        }());
        int number = 0;
        for (const Aspect &aspect : aspects) {
            const auto a = bodyAt(aspect.first);
            const auto b = bodyAt(aspect.second);
            lines.push_back(
                format("%3d: %-7s %s %s %-7s %s  orb %s %s", ++number, name(a.body).c_str(),
                       zodiacText(a.position.longitude).c_str(),
                       str(aspectTable[static_cast<std::size_t>(aspect.aspect)].abbreviation).c_str(),
                       name(b.body).c_str(), zodiacText(b.position.longitude).c_str(),
                       degreesMinutes(aspect.orb).c_str(), aspect.applying ? "applying" : "separating"));
        }
        if (aspects.empty())
            lines.push_back("  No aspects within orb.");
        lines.push_back("");
        std::string summary = format("Summary: %d aspects", static_cast<int>(aspects.size()));
        for (int k = 0; k < job.aspectLimit; ++k) {
            const auto count = std::count_if(aspects.begin(), aspects.end(),
                                             [k](const Aspect &aspect) { return aspect.aspect == k; });
            summary += format(", %s %d", str(aspectTable[static_cast<std::size_t>(k)].abbreviation).c_str(),
                              static_cast<int>(count));
        }
        const auto applying = std::count_if(aspects.begin(), aspects.end(),
                                            [](const Aspect &aspect) { return aspect.applying; });
        summary += format("; %d applying, %d separating", static_cast<int>(applying),
                          static_cast<int>(aspects.size() - static_cast<std::size_t>(applying)));
        lines.push_back(summary);
    }

    if (job.aspectGrid) {
        lines.push_back("");
        lines.push_back("Aspect grid (position on the diagonal; aspect and orb in whole degrees below it)");
        std::string header = "     ";
        for (const auto &entry : chart.bodies)
            header += format("|%-6.3s", name(entry.body).c_str());
        lines.push_back(header + "|");
        const std::size_t count = chart.bodies.size();
        for (std::size_t row = 0; row < count; ++row) {
            std::string line = format("%-5.3s", name(chart.bodies[row].body).c_str());
            for (std::size_t column = 0; column < count; ++column) {
                std::string cell;
                if (column == row) {
                    cell = zodiacText(chart.bodies[row].position.longitude).substr(0, 5);
                } else if (column < row) {
                    for (const Aspect &aspect : aspects) {
                        if (aspect.first == static_cast<int>(column) &&
                            aspect.second == static_cast<int>(row))
                            cell =
                                format("%s %d",
                                       str(aspectTable[static_cast<std::size_t>(aspect.aspect)].abbreviation)
                                           .c_str(),
                                       static_cast<int>(aspect.orb));
                    }
                }
                line += format("|%-6s", cell.c_str());
            }
            lines.push_back(line + "|");
        }
    }

    if (job.influence) {
        lines.push_back("");
        lines.push_back("Influence (strength = body's own weight + house weight + aspect strengths)");
        lines.push_back(
            "  Own weight: Sun, Moon 10; Mercury, Venus, Mars 6; Jupiter, Saturn 5; Uranus, Neptune,");
        lines.push_back(
            "  Pluto 3; Node 2. House weight: angular 4, succedent 2, cadent 1. Each aspect adds");
        lines.push_back(
            "  10 x aspect weight x (1 - orb / allowed orb) to both of its bodies; aspect weights:");
        lines.push_back("  Con 1, Opp 0.8, Sqr 0.6, Tri 0.5, Sex 0.3.");
        static constexpr double ownWeight[listedBodyCount] = {10, 10, 6, 6, 6, 5, 5, 3, 3, 3, 2};
        std::vector<std::pair<double, std::size_t>> strengths;
        for (std::size_t i = 0; i < chart.bodies.size(); ++i) {
            const auto &entry = chart.bodies[i];
            const int kind = (entry.house - 1) % 3; // 0 angular, 1 succedent, 2 cadent
            double strength = ownWeight[static_cast<int>(entry.body)] + (kind == 0 ? 4 : kind == 1 ? 2 : 1);
            for (const Aspect &aspect : aspects) {
                if (aspect.first != static_cast<int>(i) && aspect.second != static_cast<int>(i))
                    continue;
                const double allowed =
                    allowedOrb(aspect.aspect, bodyAt(aspect.first).body, bodyAt(aspect.second).body);
                strength += 10.0 * aspectTable[static_cast<std::size_t>(aspect.aspect)].weight *
                            (1.0 - aspect.orb / allowed);
            }
            strengths.emplace_back(strength, i);
        }
        std::stable_sort(strengths.begin(), strengths.end(),
                         [](const auto &x, const auto &y) { return x.first > y.first; });
        double total = 0;
        for (const auto &item : strengths)
            total += item.first;
        lines.push_back("Rank  Body     Strength  Share");
        int rank = 0;
        for (const auto &item : strengths) {
            lines.push_back(format("%4d  %-7s  %8.2f  %4.1f%%", ++rank,
                                   name(chart.bodies[item.second].body).c_str(), item.first,
                                   total > 0 ? 100.0 * item.first / total : 0.0));
        }
    }

    if (job.horizon) {
        lines.push_back("");
        lines.push_back(
            "Local horizon (topocentric, with standard refraction; azimuth from north through east)");
        lines.push_back("Body     Altitude  Azimuth");
        for (const auto &entry : chart.bodies) {
            const HorizonPosition position = ephemeris.horizon(entry.body, chart.julianDayUt, chart.place);
            lines.push_back(format("%-7s  %8s  %7s", name(entry.body).c_str(),
                                   signedDegreesMinutes(position.altitude).c_str(),
                                   degreesMinutes(position.azimuth).c_str()));
        }
    }
    return lines;
}

std::vector<std::string> riseSetReport(const JobSpec &job, Ephemeris &ephemeris)
{
    const Moment &m = *job.moment;
    const double clockWest = m.clockHoursWest() / 24.0;
    const double dayStartLocal = Ephemeris::julianDay(m.year, m.month, m.day, 0.0);
    // Events are rounded to the minute; an event at 23:59:40 rounds into the next day and belongs
    // to that day's report, so the search window is shifted by half a minute.
    const double halfMinute = 0.5 / 1440.0;
    const double fromUt = dayStartLocal + clockWest - halfMinute;
    const Place place{m.longitudeEast, m.latitudeNorth};

    std::vector<Body> bodies;
    for (int i = 0; i < listedBodyCount; ++i) {
        if (job.isListed(static_cast<Body>(i)))
            bodies.push_back(static_cast<Body>(i));
    }

    // A long span is searched a few days at a time: the search takes sidereal time as linear
    // over the days it covers, which holds to far better than a second over a week.
    constexpr int chunkDays = 8;
    std::vector<std::string> lines;
    for (int chunk = 0; chunk < job.riseSetDays; chunk += chunkDays) {
        const int days = std::min(chunkDays, job.riseSetDays - chunk);
        const std::vector<RiseSetEvent> events =
            ephemeris.horizonEvents(bodies, fromUt + chunk, fromUt + chunk + days, place);
        for (const RiseSetEvent &event : events)
            lines.push_back(riseSetLine(event, clockWest, dayStartLocal, job.riseSetDays, job.dayFirstDates,
                                        job.riseSetSeconds));
    }
    return lines;
}

std::vector<std::string> calendarReport(const JobSpec &job, Ephemeris &ephemeris)
{
    const Moment &m = *job.moment;
    const bool year = job.kind() == ReportKind::YearCalendar;
    const int firstMonth = year ? 1 : m.month;
    const int endYear = (year || m.month == 12) ? m.year + 1 : m.year;
    const int endMonth = year ? 1 : (m.month == 12 ? 1 : m.month + 1);
    const double clockWest = m.clockHoursWest() / 24.0;
    // As in the rise/set report, the period holds the events whose rounded minute falls in it, so
    // that an event half a minute before the turn of the month is listed, dated, in the next one.
    const double halfMinute = 0.5 / 1440.0;
    const double startUt = Ephemeris::julianDay(m.year, firstMonth, 1, 0.0) + clockWest - halfMinute;
    const double endUt = Ephemeris::julianDay(endYear, endMonth, 1, 0.0) + clockWest - halfMinute;

    std::vector<Body> bodies;
    for (int i = 0; i < listedBodyCount; ++i) {
        if (job.isListed(static_cast<Body>(i)))
            bodies.push_back(static_cast<Body>(i));
    }
    const bool withMoon = std::find(bodies.begin(), bodies.end(), Body::Moon) != bodies.end();
    const double step = withMoon ? 0.25 : 1.0;

    struct Event {
        double time;
        std::string text;
    };
    std::vector<Event> events;
    auto longitude = [&](Body body, double t) { return ephemeris.longitude(body, t, job.sidereal); };
    auto motion = [&](Body body, double t) { return ephemeris.motion(body, t, job.sidereal); };

    const int samples = static_cast<int>(std::ceil((endUt - startUt) / step)) + 1;
    auto sampleTime = [&](int s) { return std::min(startUt + s * step, endUt); };
    // Refining an instant only asks on which side of zero a function lies. Between two samples
    // the Sun's and the Moon's longitudes follow the cubic through the samples' longitudes and
    // speeds to within a few millionths of a degree; where that cubic lies farther than
    // predictionMargin from the sought value, its side is the exact one, and the library is asked
    // only near the instant itself. The instants found are those of exact evaluation, bit for
    // bit. The planets and the Node, whose motion turns, are always computed.
    constexpr double predictionMargin = 1e-4; // degrees

    // The search walks the Moon's quarter days, but the Sun's and the Moon's longitudes are
    // computed less often: the cubic through their samples, a day apart for the Sun and half a
    // day for the Moon, stays within 4e-7 and 1.2e-5 degrees of the exact longitude from 1900 to
    // 2100, well inside predictionMargin. A body's longitude at a sample in between is its
    // cubic's, or is computed where a decision lies within predictionMargin of that.
    std::vector<int> strides(bodies.size(), 1);
    for (std::size_t b = 0; b < bodies.size(); ++b) {
        const double days = bodies[b] == Body::Sun ? 1.0 : bodies[b] == Body::Moon ? 0.5 : step;
        strides[b] = std::max(1, static_cast<int>(std::lround(days / step)));
    }
    std::vector<std::vector<Motion>> motions(bodies.size(),
                                             std::vector<Motion>(static_cast<std::size_t>(samples)));
    std::vector<std::vector<char>> computed(bodies.size(),
                                            std::vector<char>(static_cast<std::size_t>(samples)));
    // Date by date, so that the library computes each date's nutation and Earth position once.
    for (int s = 0; s < samples; ++s) {
        for (std::size_t b = 0; b < bodies.size(); ++b) {
            if (s % strides[b] != 0 && s != samples - 1)
                continue;
            motions[b][static_cast<std::size_t>(s)] = motion(bodies[b], sampleTime(s));
            computed[b][static_cast<std::size_t>(s)] = 1;
        }
    }
    // The body's longitude at t within step s: the cubic Hermite through the longitudes and
    // speeds of the computed samples around the step.
    auto predicted = [&](std::size_t b, int s, double t) {
        const int first = s - s % strides[b];
        const int last = std::min(first + strides[b], samples - 1);
        const Motion &m0 = motions[b][static_cast<std::size_t>(first)];
        const Motion &m1 = motions[b][static_cast<std::size_t>(last)];
        const double t0 = sampleTime(first);
        const double h = sampleTime(last) - t0;
        const double x = (t - t0) / h;
        const double l1 = m0.longitude + normalize180(m1.longitude - m0.longitude);
        // Cubic Hermite basis on [0, 1].
        const double h00 = (1 + 2 * x) * (1 - x) * (1 - x);
        const double h10 = x * (1 - x) * (1 - x);
        const double h01 = x * x * (3 - 2 * x);
        const double h11 = x * x * (x - 1);
        return h00 * m0.longitude + h10 * h * m0.speed + h01 * l1 + h11 * h * m1.speed;
    };
    // Sample s of body b: computed, or else its cubic's longitude and the speed between the
    // computed samples around it (good enough to tell which way the body moves).
    auto sample = [&](std::size_t b, int s) {
        if (computed[b][static_cast<std::size_t>(s)])
            return motions[b][static_cast<std::size_t>(s)];
        const int first = s - s % strides[b];
        const int last = std::min(first + strides[b], samples - 1);
        const double fraction = static_cast<double>(s - first) / (last - first);
        const double v0 = motions[b][static_cast<std::size_t>(first)].speed;
        const double v1 = motions[b][static_cast<std::size_t>(last)].speed;
        return Motion{normalize360(predicted(b, s, sampleTime(s))), v0 + (v1 - v0) * fraction};
    };
    auto exactSample = [&](std::size_t b, int s) {
        if (!computed[b][static_cast<std::size_t>(s)]) {
            motions[b][static_cast<std::size_t>(s)] = motion(bodies[b], sampleTime(s));
            computed[b][static_cast<std::size_t>(s)] = 1;
        }
        return motions[b][static_cast<std::size_t>(s)];
    };
    // The longitude of sample s as far as the sign it lies in goes: the computed one near a
    // sign's edge.
    auto signLongitude = [&](std::size_t b, int s) {
        const Motion estimate = sample(b, s);
        const double intoSign = std::fmod(estimate.longitude, 30.0);
        if (computed[b][static_cast<std::size_t>(s)] ||
            (intoSign > predictionMargin && intoSign < 30.0 - predictionMargin))
            return estimate.longitude;
        return exactSample(b, s).longitude;
    };

    // Where a body turns round inside a step (a planet at its station, the Node in its wobble) it
    // can cross a boundary and come back before the step ends, and the two ends then show
    // nothing. Each step is therefore cut where the speed changes sign and searched piece by
    // piece, each piece moving one way only. The planets turn weeks apart and the Sun and Moon
    // never, so a step's two ends tell where to cut; the Node's true motion can stop and turn
    // twice within hours, so its speed is looked at every hour.
    const int hoursPerStep = static_cast<int>(std::lround(step * 24.0));
    auto hourTime = [&](int s, int h) { return std::min(startUt + s * step + h / 24.0, endUt); };
    const auto nodeAt = std::find(bodies.begin(), bodies.end(), Body::Node);
    std::vector<double> nodeSpeeds; // at hourTime(s, h), index s * hoursPerStep + h
    if (nodeAt != bodies.end()) {
        const std::size_t n = static_cast<std::size_t>(nodeAt - bodies.begin());
        for (int s = 0; s + 1 < samples; ++s) {
            nodeSpeeds.push_back(motions[n][static_cast<std::size_t>(s)].speed);
            for (int h = 1; h < hoursPerStep; ++h)
                nodeSpeeds.push_back(motion(Body::Node, hourTime(s, h)).speed);
        }
    }
    // (time, speed) of the bodies i and j (the speed of i less that of j) across step s; j may be
    // i's own index with no second body. Between the step's ends a planet's speed changes so
    // little that it is interpolated; the Node's is taken from its hourly looks.
    auto speedLooks = [&](std::size_t i, std::optional<std::size_t> j, int s) {
        const auto at = [&](std::size_t b, int n) { return sample(b, n).speed; };
        const double t0 = sampleTime(s);
        const double t1 = sampleTime(s + 1);
        const double r0 = at(i, s) - (j ? at(*j, s) : 0.0);
        const double r1 = at(i, s + 1) - (j ? at(*j, s + 1) : 0.0);
        std::vector<std::pair<double, double>> looks{{t0, r0}};
        const bool withNode = bodies[i] == Body::Node || (j && bodies[*j] == Body::Node);
        for (int h = 1; withNode && h < hoursPerStep; ++h) {
            const double t = hourTime(s, h);
            const double fraction = static_cast<double>(h) / hoursPerStep;
            const double node = nodeSpeeds[static_cast<std::size_t>(s * hoursPerStep + h)];
            const auto speedOf = [&](std::size_t b) {
                return bodies[b] == Body::Node ? node : at(b, s) + (at(b, s + 1) - at(b, s)) * fraction;
            };
            looks.emplace_back(t, speedOf(i) - (j ? speedOf(*j) : 0.0));
        }
        looks.emplace_back(t1, r1);
        return looks;
    };

    auto predictable = [&](std::size_t b) { return bodies[b] == Body::Sun || bodies[b] == Body::Moon; };
    // The predicted offset when it is safely on one side of zero.
    auto safeSide = [&](double offset) {
        const double value = normalize180(offset);
        return std::fabs(value) > predictionMargin && std::fabs(value) < 90.0 ? std::optional<double>(value)
                                                                              : std::nullopt;
    };

    for (std::size_t b = 0; b < bodies.size(); ++b) {
        const Body body = bodies[b];
        for (int s = 0; s + 1 < samples; ++s) {
            std::vector<std::pair<double, double>> ends{{sampleTime(s), signLongitude(b, s)}};
            for (const double turn : turningPoints(speedLooks(b, std::nullopt, s),
                                                   [&](double t) { return motion(body, t).speed; }))
                ends.emplace_back(turn, longitude(body, turn));
            ends.emplace_back(sampleTime(s + 1), signLongitude(b, s + 1));
            for (std::size_t e = 0; e + 1 < ends.size(); ++e) {
                const auto [ta, la] = ends[e];
                const auto [tb, lb] = ends[e + 1];
                const bool forward = normalize180(lb - la) > 0;
                // A piece moves less than a sign, but walk the boundaries all the same.
                for (int sign = signIndex(la), guard = 0; sign != signIndex(lb) && guard < 12; ++guard) {
                    const int entered = (sign + (forward ? 1 : 11)) % 12;
                    const double boundary = 30.0 * (forward ? entered : sign);
                    auto f = [&](double t) {
                        if (predictable(b))
                            if (const std::optional<double> side = safeSide(predicted(b, s, t) - boundary))
                                return *side;
                        return normalize180(longitude(body, t) - boundary);
                    };
                    const double t = refine(ta, tb, normalize180(la - boundary), f);
                    events.push_back(
                        {t, format("  %s enters %s%s", name(body).c_str(),
                                   str(signTable[static_cast<std::size_t>(entered)].name).c_str(),
                                   forward ? "" : " (retrograde)")});
                    sign = entered;
                }
            }
        }
    }

    for (std::size_t i = 0; i < bodies.size(); ++i) {
        for (std::size_t j = i + 1; j < bodies.size(); ++j) {
            const Body a = bodies[i];
            const Body b = bodies[j];
            // As with the ingresses: where the two bodies' speeds cross inside a step, the angle
            // between them turns, and an aspect made and left inside the step would be lost.
            std::vector<std::vector<double>> stepCuts(static_cast<std::size_t>(samples));
            for (int s = 0; s + 1 < samples; ++s)
                stepCuts[static_cast<std::size_t>(s)] = turningPoints(
                    speedLooks(i, j, s), [&](double t) { return motion(a, t).speed - motion(b, t).speed; });
            for (int k = 0; k < job.aspectLimit; ++k) {
                const double angle = aspectTable[static_cast<std::size_t>(k)].angle;
                std::vector<double> targets{angle};
                if (angle != 0.0 && angle != 180.0)
                    targets.push_back(360.0 - angle);
                for (const double target : targets) {
                    auto f = [&](double t) {
                        return normalize180(longitude(a, t) - longitude(b, t) - target);
                    };
                    // The angle's offset at sample s; the computed samples' where it is near
                    // zero or a half turn, where its sign is decided.
                    auto gap = [&](int s) {
                        const double estimate =
                            normalize180(sample(i, s).longitude - sample(j, s).longitude - target);
                        const bool both = computed[i][static_cast<std::size_t>(s)] &&
                                          computed[j][static_cast<std::size_t>(s)];
                        if (both || (std::fabs(estimate) > predictionMargin &&
                                     std::fabs(estimate) < 180.0 - predictionMargin))
                            return estimate;
                        return normalize180(exactSample(i, s).longitude - exactSample(j, s).longitude -
                                            target);
                    };
                    for (int s = 0; s + 1 < samples; ++s) {
                        auto sideOf = [&](double t) {
                            if (predictable(i) && predictable(j))
                                if (const std::optional<double> side =
                                        safeSide(predicted(i, s, t) - predicted(j, s, t) - target))
                                    return *side;
                            return f(t);
                        };
                        std::vector<std::pair<double, double>> ends{{sampleTime(s), gap(s)}};
                        for (const double cut : stepCuts[static_cast<std::size_t>(s)])
                            ends.emplace_back(cut, f(cut));
                        ends.emplace_back(sampleTime(s + 1), gap(s + 1));
                        for (std::size_t e = 0; e + 1 < ends.size(); ++e) {
                            const auto [ta, g0] = ends[e];
                            const auto [tb, g1] = ends[e + 1];
                            if ((g0 < 0) == (g1 < 0) || std::fabs(g0 - g1) > 90.0)
                                continue;
                            const double t = refine(ta, tb, g0, sideOf);
                            std::string text = format(
                                "  %-7s %s %s %-7s %s", name(a).c_str(), zodiacText(longitude(a, t)).c_str(),
                                str(aspectTable[static_cast<std::size_t>(k)].abbreviation).c_str(),
                                name(b).c_str(), zodiacText(longitude(b, t)).c_str());
                            if (a == Body::Sun && b == Body::Moon) {
                                // target is Sun minus Moon; the Moon leads the Sun by 90 at the first quarter
                                if (k == 0)
                                    text += "  New Moon";
                                else if (angle == 180.0)
                                    text += "  Full Moon";
                                else if (angle == 90.0)
                                    text += target == 270.0 ? "  First Quarter" : "  Last Quarter";
                            }
                            events.push_back({t, text});
                        }
                    }
                }
            }
        }
    }
    // A root found at the very end of the last step belongs to the next period.
    events.erase(
        std::remove_if(events.begin(), events.end(), [&](const Event &event) { return event.time >= endUt; }),
        events.end());
    std::stable_sort(events.begin(), events.end(),
                     [](const Event &x, const Event &y) { return x.time < y.time; });

    std::vector<std::string> lines;
    lines.push_back(
        year ? format("Orlam transit calendar for the year %d", m.year)
             : format("Orlam transit calendar for %s %d", str(monthNames[m.month - 1]).c_str(), m.year));
    lines.push_back(
        format("Times are local clock times (%s), rounded to the minute.", zoneDescription(m).c_str()));
    std::string aspectNames;
    for (int k = 0; k < job.aspectLimit; ++k)
        aspectNames += (k ? ", " : "") + str(aspectTable[static_cast<std::size_t>(k)].name);
    lines.push_back("Aspects:    " + aspectNames);
    lines.push_back(job.sidereal ? "Zodiac:     Sidereal, Fagan-Bradley ayanamsa" : "Zodiac:     Tropical");
    lines.push_back(ephemerisLine(ephemeris));
    lines.push_back("");
    for (const Event &event : events) {
        const double local = event.time - clockWest;
        const CivilTime civil = Ephemeris::civilTime(std::floor((local + 0.5) * 1440.0 + 0.5) / 1440.0 - 0.5);
        lines.push_back(
            weekdayTag(civil.year, civil.month, civil.day) +
            eventDateTime(civil.year, civil.month, civil.day, civil.hour, civil.minute, job.dayFirstDates) +
            event.text);
    }
    if (events.empty())
        lines.push_back("No events in this period.");
    return lines;
}

} // namespace orlam
