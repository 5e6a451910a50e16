#pragma once

#include "ephemeris.h"
#include "jobfile.h"

#include <string>
#include <vector>

namespace orlam {

// The positions of one moment, computed once and shared by the chart, wheel and aspect reports.
struct ChartData {
    struct Entry {
        Body body;
        EclipticPosition position;
        int house; // 1..12
    };
    Moment moment;
    double julianDayUt = 0;
    Place place;
    bool sidereal = false;
    double ayanamsa = 0;
    int houseSystem = 0; // index into houseSystemTable as asked for
    Houses houses;
    std::vector<Entry> bodies; // the listed bodies that the job does not restrict, in table order
};

ChartData computeChart(const JobSpec &job, Ephemeris &ephemeris);

// "24Gem30": degree within the sign, sign, minutes; truncated, never rounded.
std::string zodiacText(double longitude);
// Columns 7-24 of an event line: date (month-first "M/D/YYYY" or day-first "D-M-YYYY", numbers
// below 10 blank-padded), a blank, and the 12-hour time " h:mmam".
std::string eventDateTime(int year, int month, int day, int hour, int minute, bool dayFirst);
// Columns 1-6 of an event line: "(Wed) ".
std::string weekdayTag(int year, int month, int day);
// One line of a rise/set report (the layout of shared/risesetformat.h) for `event`, on a clock
// `clockWest` days behind universal time, of a report of `spanDays` days from the local
// midnight `dayStartLocal` (a Julian day on that clock). The line is dated by the event's minute,
// rounded half a minute up and held within the span; with `seconds` the event's time to the
// second (rounded) follows on the 24-hour clock.
std::string riseSetLine(const RiseSetEvent &event, double clockWest, double dayStartLocal, int spanDays,
                        bool dayFirst, bool seconds);

// Each report is a list of lines; the caller ends each with CR LF.
std::vector<std::string> chartReport(const JobSpec &job, const ChartData &chart, Ephemeris &ephemeris);
std::vector<std::string> aspectsReport(const JobSpec &job, const ChartData &chart, Ephemeris &ephemeris);
std::vector<std::string> riseSetReport(const JobSpec &job, Ephemeris &ephemeris);
std::vector<std::string> calendarReport(const JobSpec &job, Ephemeris &ephemeris);
std::vector<std::string> wheelReport(const JobSpec &job, const ChartData &chart, Ephemeris &ephemeris);
// The chart wheel as a placeable Windows Metafile ("/XM0"), in the colours "/Xr" and "/Xm" ask for.
std::string wheelPicture(const JobSpec &job, const ChartData &chart);
// Where to write the labels of bodies at `longitudes` (degrees) on a circle: each as near its
// body as it can be while every two stay at least `gap` degrees apart; same order as given,
// 0..360. Meant for fewer labels than fit around the circle.
std::vector<double> spreadLabels(const std::vector<double> &longitudes, double gap);
// The header lines shared by the reports of one moment (title first).
std::vector<std::string> chartHeader(const std::string &title, const ChartData &chart,
                                     const Ephemeris &ephemeris);

// Lines joined with CR LF after each, the last included.
std::string joinLines(const std::vector<std::string> &lines);

} // namespace orlam
