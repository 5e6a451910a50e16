#pragma once

#include <QDateTime>

namespace orlam {

// The horizon moments of the base day (local clock values, see common/clocktime.h; invalid =
// zero). A field that a run does not find keeps its older value, which may belong to another
// day: readers check the dates before they trust a field.
struct TRiseSetTable {
    QDateTime SunNadir, SunRise, SunZenith, SunSet;
    QDateTime MoonNadir, MoonRise, MoonZenith, MoonSet;
    QDateTime NextSunRise;
    // Sunset of the day before the base day ("risesety.txt"): the start of the night whose
    // hours run from midnight to the base day's sunrise.
    QDateTime PrevSunSet;
};

} // namespace orlam
