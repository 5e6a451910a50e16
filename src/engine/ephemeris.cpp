#include "ephemeris.h"

#include <swephexp.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace orlam {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double degToRad = pi / 180.0;
constexpr double kmPerAu = 149597870.7;
constexpr double moonRadiusKm = 1737.4;
constexpr double earthRadiusKm = 6378.137; // equatorial
// The Sun's semidiameter at one astronomical unit, arcseconds.
constexpr double sunSemidiameterAtOneAu = 959.63;
// Refraction at the horizon as the almanacs assume it.
constexpr double horizonRefraction = 34.0 / 60.0;
constexpr double standardPressure = 1013.25; // hPa
constexpr double standardTemperature = 10.0; // degrees Celsius
constexpr double siderealDegreesPerDay = 360.98564736629;

int sweBody(Body body)
{
    switch (body) {
    case Body::Sun:
        return SE_SUN;
    case Body::Moon:
        return SE_MOON;
    case Body::Mercury:
        return SE_MERCURY;
    case Body::Venus:
        return SE_VENUS;
    case Body::Mars:
        return SE_MARS;
    case Body::Jupiter:
        return SE_JUPITER;
    case Body::Saturn:
        return SE_SATURN;
    case Body::Uranus:
        return SE_URANUS;
    case Body::Neptune:
        return SE_NEPTUNE;
    case Body::Pluto:
        return SE_PLUTO;
    case Body::Node:
        return SE_TRUE_NODE;
    case Body::Chiron:
        return SE_CHIRON;
    case Body::Ceres:
        return SE_CERES;
    case Body::Pallas:
        return SE_PALLAS;
    case Body::Juno:
        return SE_JUNO;
    case Body::Vesta:
        return SE_VESTA;
    case Body::Lilith:
        return SE_MEAN_APOG;
    }
    return SE_SUN;
}

double normalize360(double degrees)
{
    double value = std::fmod(degrees, 360.0);
    if (value < 0)
        value += 360.0;
    return value;
}

double normalize180(double degrees)
{
    const double value = normalize360(degrees);
    return value > 180.0 ? value - 360.0 : value;
}

} // namespace

Ephemeris::Ephemeris(const std::string &ephePath)
{
    std::vector<char> path(ephePath.begin(), ephePath.end());
    path.push_back('\0');
    swe_set_ephe_path(path.data());
    swe_set_sid_mode(SE_SIDM_FAGAN_BRADLEY, 0, 0);
}

Ephemeris::~Ephemeris()
{
    swe_close();
}

double Ephemeris::julianDay(int year, int month, int day, double hourUt)
{
    return swe_julday(year, month, day, hourUt, SE_GREG_CAL);
}

CivilTime Ephemeris::civilTime(double julianDay)
{
    // Work in whole milliseconds so that a moment a hair before a minute does not print as :60.
    const double dayStart = std::floor(julianDay - 0.5) + 0.5;
    long long millis = std::llround((julianDay - dayStart) * 86400000.0);
    double start = dayStart;
    if (millis >= 86400000LL) {
        millis -= 86400000LL;
        start += 1.0;
    }
    CivilTime civil;
    double hour = 0;
    swe_revjul(start, SE_GREG_CAL, &civil.year, &civil.month, &civil.day, &hour);
    civil.hour = static_cast<int>(millis / 3600000LL);
    civil.minute = static_cast<int>((millis / 60000LL) % 60);
    civil.second = static_cast<double>(millis % 60000LL) / 1000.0;
    return civil;
}

int Ephemeris::weekday(double julianDay)
{
    return swe_day_of_week(julianDay);
}

double Ephemeris::universalFromTerrestrial(double julianDayTt)
{
    double ut = julianDayTt;
    for (int i = 0; i < 3; ++i)
        ut = julianDayTt - swe_deltat(ut);
    return ut;
}

std::string Ephemeris::libraryVersion()
{
    char text[AS_MAXCH] = {};
    swe_version(text);
    return text;
}

int Ephemeris::calc(Body body, double julianDayUt, int flags, double *values)
{
    char error[AS_MAXCH] = {};
    const int wanted = flags | SEFLG_SWIEPH;
    const int returned = swe_calc_ut(julianDayUt, sweBody(body), wanted, values, error);
    if (returned < 0)
        throw EphemerisError(std::string("ephemeris: ") + error);
    if ((returned & SEFLG_SWIEPH) == 0)
        mBuiltInModelUsed = true;
    return returned;
}

void Ephemeris::setTopocentric(const Place &place)
{
    if (!mTopoSet || mTopo.longitudeEast != place.longitudeEast ||
        mTopo.latitudeNorth != place.latitudeNorth) {
        swe_set_topo(place.longitudeEast, place.latitudeNorth, 0.0);
        mTopo = place;
        mTopoSet = true;
    }
}

EclipticPosition Ephemeris::position(Body body, double julianDayUt, bool sidereal)
{
    double values[6] = {};
    calc(body, julianDayUt, SEFLG_SPEED | (sidereal ? SEFLG_SIDEREAL : 0), values);
    EclipticPosition result;
    result.longitude = normalize360(values[0]);
    result.latitude = values[1];
    result.speed = values[3];
    if (sidereal) {
        calc(body, julianDayUt, SEFLG_EQUATORIAL, values);
        result.declination = values[1];
        return result;
    }
    // The apparent place of date turned by the true obliquity of date, as the library turns it
    // for an equatorial call: a second call per body would cost a chart a third of its time.
    const double obliquity = trueObliquity(julianDayUt) * degToRad;
    const double lambda = result.longitude * degToRad;
    const double beta = result.latitude * degToRad;
    const double sinDeclination =
        std::sin(beta) * std::cos(obliquity) + std::cos(beta) * std::sin(obliquity) * std::sin(lambda);
    result.declination = std::asin(std::clamp(sinDeclination, -1.0, 1.0)) / degToRad;
    return result;
}

double Ephemeris::trueObliquity(double julianDayUt)
{
    if (mObliquityDay != julianDayUt) {
        double values[6] = {};
        char error[AS_MAXCH] = {};
        if (swe_calc_ut(julianDayUt, SE_ECL_NUT, 0, values, error) < 0)
            throw EphemerisError(std::string("ephemeris: ") + error);
        mObliquity = values[0];
        mObliquityDay = julianDayUt;
    }
    return mObliquity;
}

double Ephemeris::longitude(Body body, double julianDayUt, bool sidereal)
{
    double values[6] = {};
    calc(body, julianDayUt, sidereal ? SEFLG_SIDEREAL : 0, values);
    return normalize360(values[0]);
}

Motion Ephemeris::motion(Body body, double julianDayUt, bool sidereal)
{
    double values[6] = {};
    calc(body, julianDayUt, SEFLG_SPEED | (sidereal ? SEFLG_SIDEREAL : 0), values);
    return {normalize360(values[0]), values[3]};
}

double Ephemeris::ayanamsa(double julianDayUt)
{
    double value = 0;
    char error[AS_MAXCH] = {};
    const int returned = swe_get_ayanamsa_ex_ut(julianDayUt, SEFLG_SWIEPH, &value, error);
    if (returned < 0)
        throw EphemerisError(std::string("ephemeris: ") + error);
    return value;
}

Houses Ephemeris::houses(double julianDayUt, const Place &place, char system, bool sidereal)
{
    double cusps[13] = {};
    double angles[10] = {};
    Houses result;
    result.systemUsed = system;
    const int returned = swe_houses_ex(julianDayUt, sidereal ? SEFLG_SIDEREAL : 0, place.latitudeNorth,
                                       place.longitudeEast, system, cusps, angles);
    // Systems that are undefined in polar regions fail there; the library then gives Porphyry.
    if (returned < 0)
        result.systemUsed = 'O';
    for (int i = 0; i < 12; ++i)
        result.cusps[static_cast<std::size_t>(i)] = normalize360(cusps[i + 1]);
    result.ascendant = normalize360(angles[SE_ASC]);
    result.midheaven = normalize360(angles[SE_MC]);
    return result;
}

Ephemeris::Equatorial Ephemeris::equatorial(Body body, double julianDayUt)
{
    double values[6] = {};
    calc(body, julianDayUt, SEFLG_EQUATORIAL, values);
    return {values[0], values[1], values[2]};
}

HorizonPosition Ephemeris::horizon(Body body, double julianDayUt, const Place &place)
{
    setTopocentric(place);
    double values[6] = {};
    calc(body, julianDayUt, SEFLG_EQUATORIAL | SEFLG_TOPOCTR, values);
    double geo[3] = {place.longitudeEast, place.latitudeNorth, 0.0};
    double horizontal[3] = {};
    swe_azalt(julianDayUt, SE_EQU2HOR, geo, standardPressure, standardTemperature, values, horizontal);
    // The library counts azimuth from the south through the west.
    return {horizontal[2], normalize360(horizontal[0] + 180.0)};
}

std::vector<RiseSetEvent> Ephemeris::horizonEvents(const std::vector<Body> &bodies, double fromUt,
                                                   double toUt, const Place &place)
{
    // Positions between nodes come from cubic interpolation: exact to a fraction of an arcsecond
    // with nodes a day apart for the planets, the Sun and the Node, and six hours apart for the
    // Moon. The nodes are computed date by date, because the library keeps the last date's
    // nutation and Earth position and so computes them once for all bodies.
    constexpr double moonStep = 0.25;
    constexpr int planetEvery = 4; // planet nodes fall on every fourth Moon node
    const double firstNode = fromUt - 1.5;
    const int count = static_cast<int>(std::ceil((toUt + 2.5 - firstNode) / moonStep)) + 1;
    std::vector<std::vector<Equatorial>> nodes(bodies.size());
    // A long span is searched a few days at a time, and the nodes of one piece overlap those of
    // the piece before: a node at the very instant of one of the last call's is taken from it.
    HorizonNodes computed;
    const auto nodeAt = [&](Body body, double t) {
        const auto known =
            std::lower_bound(mHorizonNodes.begin(), mHorizonNodes.end(), std::make_pair(t, body),
                             [](const HorizonNode &node, const std::pair<double, Body> &key) {
                                 return node.julianDayUt < key.first ||
                                        (node.julianDayUt == key.first && node.body < key.second);
                             });
        const Equatorial eq = known != mHorizonNodes.end() && known->julianDayUt == t && known->body == body
                                  ? known->position
                                  : equatorial(body, t);
        computed.push_back({t, body, eq});
        return eq;
    };
    for (int k = 0; k < count; ++k) {
        const double t = firstNode + k * moonStep;
        for (std::size_t b = 0; b < bodies.size(); ++b) {
            if (bodies[b] != Body::Moon && k % planetEvery != 0)
                continue;
            Equatorial eq = nodeAt(bodies[b], t);
            if (!nodes[b].empty())
                eq.rightAscension = nodes[b].back().rightAscension +
                                    normalize180(eq.rightAscension - nodes[b].back().rightAscension);
            nodes[b].push_back(eq);
        }
    }
    std::sort(computed.begin(), computed.end(), [](const HorizonNode &x, const HorizonNode &y) {
        return x.julianDayUt < y.julianDayUt || (x.julianDayUt == y.julianDayUt && x.body < y.body);
    });
    mHorizonNodes = std::move(computed);
    std::vector<RiseSetEvent> events;
    for (std::size_t b = 0; b < bodies.size(); ++b) {
        const double step = bodies[b] == Body::Moon ? moonStep : moonStep * planetEvery;
        const std::vector<RiseSetEvent> found =
            bodyHorizonEvents(bodies[b], nodes[b], firstNode, step, fromUt, toUt, place);
        events.insert(events.end(), found.begin(), found.end());
    }
    std::stable_sort(events.begin(), events.end(), [](const RiseSetEvent &x, const RiseSetEvent &y) {
        return x.julianDayUt < y.julianDayUt;
    });
    return events;
}

std::vector<RiseSetEvent> Ephemeris::bodyHorizonEvents(Body body, const std::vector<Equatorial> &nodes,
                                                       double firstNode, double nodeStep, double fromUt,
                                                       double toUt, const Place &place)
{
    const double sinLat = std::sin(place.latitudeNorth * degToRad);
    const double cosLat = std::cos(place.latitudeNorth * degToRad);

    // Within the few days searched, apparent sidereal time runs at a constant rate to far better
    // than a second; computing it once saves a nutation series per step.
    const double middle = 0.5 * (fromUt + toUt);
    const double siderealAtMiddle = swe_sidtime(middle) * 15.0;
    auto siderealAt = [&](double t) { return siderealAtMiddle + siderealDegreesPerDay * (t - middle); };
    auto hourAngle = [&](double t, const Equatorial &eq) {
        return normalize180(siderealAt(t) + place.longitudeEast - eq.rightAscension);
    };

    // The Moon's parallax, which swings with the observer's daily turn, is applied to the
    // interpolated geocentric place.
    const bool moon = body == Body::Moon;
    const double flattening = 1.0 / 298.257223563;
    const double reducedLatitude = std::atan((1.0 - flattening) * std::tan(place.latitudeNorth * degToRad));
    const double observerPolar = (1.0 - flattening) * std::sin(reducedLatitude) * earthRadiusKm;
    const double observerEquatorial = std::cos(reducedLatitude) * earthRadiusKm;
    auto positionAt = [&](double t) {
        const int last = static_cast<int>(nodes.size()) - 4;
        const int i = std::clamp(static_cast<int>(std::floor((t - firstNode) / nodeStep)) - 1, 0, last);
        const double x = (t - firstNode) / nodeStep - i;
        // Lagrange weights for nodes at 0, 1, 2, 3.
        const double w[4] = {-(x - 1) * (x - 2) * (x - 3) / 6.0, x * (x - 2) * (x - 3) / 2.0,
                             -x * (x - 1) * (x - 3) / 2.0, x * (x - 1) * (x - 2) / 6.0};
        Equatorial eq;
        for (int k = 0; k < 4; ++k) {
            const Equatorial &n = nodes[static_cast<std::size_t>(i + k)];
            eq.rightAscension += w[k] * n.rightAscension;
            eq.declination += w[k] * n.declination;
            eq.distance += w[k] * n.distance;
        }
        if (!moon)
            return eq;
        // Topocentric place: the geocentric vector less the observer's, both in kilometres.
        const double ra = eq.rightAscension * degToRad;
        const double dec = eq.declination * degToRad;
        const double r = eq.distance * kmPerAu;
        const double theta = (siderealAt(t) + place.longitudeEast) * degToRad;
        const double x1 = r * std::cos(dec) * std::cos(ra) - observerEquatorial * std::cos(theta);
        const double y1 = r * std::cos(dec) * std::sin(ra) - observerEquatorial * std::sin(theta);
        const double z1 = r * std::sin(dec) - observerPolar;
        const double rho = std::sqrt(x1 * x1 + y1 * y1 + z1 * z1);
        return Equatorial{std::atan2(y1, x1) / degToRad, std::asin(z1 / rho) / degToRad, rho / kmPerAu};
    };

    // Altitude of the centre without refraction, less the altitude at which the upper limb
    // touches the refracted horizon: zero at rise and set, positive while the body is up.
    auto aboveHorizon = [&](double t) {
        const Equatorial eq = positionAt(t);
        const double h = hourAngle(t, eq) * degToRad;
        const double dec = eq.declination * degToRad;
        const double sinAlt = sinLat * std::sin(dec) + cosLat * std::cos(dec) * std::cos(h);
        const double altitude = std::asin(std::clamp(sinAlt, -1.0, 1.0)) / degToRad;
        double semidiameter = 0;
        if (body == Body::Sun && eq.distance > 0)
            semidiameter = sunSemidiameterAtOneAu / 3600.0 / eq.distance;
        else if (body == Body::Moon && eq.distance > 0)
            semidiameter = std::asin(moonRadiusKm / (eq.distance * kmPerAu)) / degToRad;
        return altitude + horizonRefraction + semidiameter;
    };

    // Meridian transits: the hour angle runs at about a turn a day for every body; predict the
    // crossings from the rate at the middle of the span, then refine each on the exact positions.
    const double margin = 0.6;
    const double step = 1.0 / 86400.0;
    const Equatorial eqMid = positionAt(middle);
    const Equatorial eqNext = positionAt(middle + 0.01);
    const double rate =
        siderealDegreesPerDay - normalize180(eqNext.rightAscension - eqMid.rightAscension) / 0.01;
    const double hMid = hourAngle(middle, eqMid);

    struct Transit {
        double time;
        bool upper;
    };
    std::vector<Transit> transits;
    // Enough turns either side of the middle to cover the span and its margins.
    const int turns = static_cast<int>(std::ceil(0.5 * (toUt - fromUt) + margin + 1.5));
    for (const double target : {0.0, 180.0}) {
        const double first = middle + normalize180(target - hMid) / rate;
        for (int k = -turns; k <= turns; ++k) {
            double t = first + k * 360.0 / rate;
            if (t < fromUt - margin - 0.5 || t > toUt + margin + 0.5)
                continue;
            for (int iteration = 0; iteration < 6; ++iteration) {
                const double correction = normalize180(hourAngle(t, positionAt(t)) - target) / rate;
                t -= correction;
                if (std::fabs(correction) < step)
                    break;
            }
            if (t < fromUt - margin || t > toUt + margin)
                continue;
            const bool duplicate = std::any_of(transits.begin(), transits.end(), [&](const Transit &other) {
                return other.upper == (target == 0.0) && std::fabs(other.time - t) < 0.01;
            });
            if (!duplicate)
                transits.push_back({t, target == 0.0});
        }
    }
    std::sort(transits.begin(), transits.end(),
              [](const Transit &a, const Transit &b) { return a.time < b.time; });

    std::vector<RiseSetEvent> events;
    for (const Transit &transit : transits) {
        if (transit.time >= fromUt && transit.time < toUt)
            events.push_back(
                {transit.time, body, transit.upper ? HorizonEvent::Zeniths : HorizonEvent::Nadirs});
    }

    // Between two transits the altitude runs one way, so a change of sign brackets one crossing.
    std::vector<double> values;
    values.reserve(transits.size());
    for (const Transit &transit : transits)
        values.push_back(aboveHorizon(transit.time));
    for (std::size_t i = 0; i + 1 < transits.size(); ++i) {
        double a = transits[i].time;
        double b = transits[i + 1].time;
        double fa = values[i];
        double fb = values[i + 1];
        if ((fa < 0) == (fb < 0) || b < fromUt - 0.01 || a > toUt + 0.01)
            continue;
        const bool rising = fa < 0;
        // Illinois variant of the false-position method: safe like bisection, fast like secant.
        int side = 0;
        double t = a;
        double previous = b;
        for (int iteration = 0; iteration < 60 && b - a > step && std::fabs(t - previous) > 0.5 * step;
             ++iteration) {
            previous = t;
            t = (a * fb - b * fa) / (fb - fa);
            if (!(t > a && t < b))
                t = 0.5 * (a + b);
            const double ft = aboveHorizon(t);
            if ((ft < 0) == (fa < 0)) {
                a = t;
                fa = ft;
                if (side == -1)
                    fb *= 0.5;
                side = -1;
            } else {
                b = t;
                fb = ft;
                if (side == 1)
                    fa *= 0.5;
                side = 1;
            }
        }
        if (b - a <= step)
            t = 0.5 * (a + b);
        if (t >= fromUt && t < toUt)
            events.push_back({t, body, rising ? HorizonEvent::Rises : HorizonEvent::Sets});
    }
    std::sort(events.begin(), events.end(),
              [](const RiseSetEvent &x, const RiseSetEvent &y) { return x.julianDayUt < y.julianDayUt; });
    return events;
}

} // namespace orlam
