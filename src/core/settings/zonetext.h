#pragma once

#include "common/status.h"

#include <QString>
#include <optional>

namespace orlam {

// The zones in use on Earth run from 14 hours east of Greenwich (the Line Islands) to 12 hours
// west (Baker Island); the "Time Zone" key counts hours west, positive.
constexpr double EastmostZoneHoursWest = -14.0;
constexpr double WestmostZoneHoursWest = 12.0;

// Hours west of Greenwich of a zone text: whole hours ("6", "+3", "-1"), decimal hours ("-5.5")
// or hours and minutes ("-5:30"). Nothing when the text is none of these.
std::optional<double> zoneHoursWest(const QString &text);

// A zone text that is not hours west, or lies outside -14..+12: a failure naming it ("The time
// zone \"25\" is outside -14 to +12 hours west of Greenwich."), else success.
Status checkZoneText(const QString &text);

} // namespace orlam
