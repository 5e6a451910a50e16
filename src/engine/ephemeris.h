#pragma once

#include "astrotables.h"

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace orlam {

// A calculation the ephemeris library refused; the message is the library's own.
class EphemerisError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CivilTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    double second = 0; // 0 <= second < 60
};

struct EclipticPosition {
    double longitude = 0; // degrees 0..360, of date (or sidereal)
    double latitude = 0;  // degrees
    double speed = 0;     // degrees of longitude per day; negative when retrograde
    double declination = 0;
};

// Where a body is along the ecliptic and how fast it moves there.
struct Motion {
    double longitude = 0; // degrees 0..360
    double speed = 0;     // degrees per day; negative when retrograde
};

struct Houses {
    std::array<double, 12> cusps{}; // degrees of longitude, cusp 1 first
    double ascendant = 0;
    double midheaven = 0;
    char systemUsed = 'P'; // differs from the one asked for when that one is undefined there
};

struct HorizonPosition {
    double altitude = 0; // degrees above the horizon, with standard refraction
    double azimuth = 0;  // degrees from north through east
};

enum class HorizonEvent { Rises, Zeniths, Sets, Nadirs };

struct RiseSetEvent {
    double julianDayUt = 0;
    Body body = Body::Sun;
    HorizonEvent event = HorizonEvent::Rises;
};

struct Place {
    double longitudeEast = 0; // degrees
    double latitudeNorth = 0; // degrees
};

// The one gateway to the ephemeris library: every swe_* call of the engine is made here.
// Not thread-safe (the library keeps global state); the engine makes one per process.
class Ephemeris {
public:
    // Uses the ephemeris files in `ephePath`; when they are missing or do not cover a date the
    // library's built-in analytical model is used instead, and usedBuiltInModel() says so.
    explicit Ephemeris(const std::string &ephePath);
    ~Ephemeris();
    Ephemeris(const Ephemeris &) = delete;
    Ephemeris &operator=(const Ephemeris &) = delete;

    static double julianDay(int year, int month, int day, double hourUt);
    static CivilTime civilTime(double julianDay);
    static int weekday(double julianDay); // 0 Monday .. 6 Sunday
    static std::string libraryVersion();
    // Universal Time of a moment given in Terrestrial Time (both Julian days), by the library's
    // Delta T model.
    static double universalFromTerrestrial(double julianDayTt);

    bool usedBuiltInModel() const { return mBuiltInModelUsed; }

    // Geocentric apparent position of date; sidereal with the Fagan-Bradley ayanamsa on request.
    EclipticPosition position(Body body, double julianDayUt, bool sidereal);
    // The longitude alone, degrees 0..360: one library call where position() makes two.
    double longitude(Body body, double julianDayUt, bool sidereal);
    // The longitude and its speed, in one library call.
    Motion motion(Body body, double julianDayUt, bool sidereal);
    double ayanamsa(double julianDayUt);
    Houses houses(double julianDayUt, const Place &place, char system, bool sidereal);
    HorizonPosition horizon(Body body, double julianDayUt, const Place &place);

    // Rises, sets and meridian transits of `body` with fromUt <= time < toUt, in time order.
    // Rise and set are those of the upper limb with 34' of refraction; the Moon is taken
    // topocentric (with its parallax); transits are those of the centre.
    std::vector<RiseSetEvent> horizonEvents(const std::vector<Body> &bodies, double fromUt, double toUt,
                                            const Place &place);

private:
    struct Equatorial {
        double rightAscension = 0; // degrees
        double declination = 0;
        double distance = 0; // AU
    };
    Equatorial equatorial(Body body, double julianDayUt); // geocentric, apparent, of date
    std::vector<RiseSetEvent> bodyHorizonEvents(Body body, const std::vector<Equatorial> &nodes,
                                                double firstNode, double nodeStep, double fromUt, double toUt,
                                                const Place &place);
    int calc(Body body, double julianDayUt, int flags, double *values);
    void setTopocentric(const Place &place);

    // The positions horizonEvents() computed last, by time and body.
    struct HorizonNode {
        double julianDayUt;
        Body body;
        Equatorial position;
    };
    using HorizonNodes = std::vector<HorizonNode>;
    HorizonNodes mHorizonNodes;

    bool mBuiltInModelUsed = false;
    // The true obliquity of the ecliptic (degrees) at mObliquityDay (UT), computed once a date.
    double trueObliquity(double julianDayUt);
    double mObliquityDay = -1.0;
    double mObliquity = 0.0;
    bool mTopoSet = false;
    Place mTopo;
};

} // namespace orlam
