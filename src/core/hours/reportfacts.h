#pragma once

#include "common/status.h"
#include "hours/alarmclock.h"

#include <QDate>

namespace orlam {

class ScratchJobs;

// The hours and the horizon events of `place` for the local dates `first` to `last`, read from
// the engine's daily rise/set reports (one job per date, run in `jobs`' scratch folder, so the
// working folder's reports stay as they are). Each report's times are taken on the clock of
// its own job and turned into instants at once.
Status placeFactsFromReports(ScratchJobs &jobs, const ClockPlace &place, QDate first, QDate last,
                             PlaceFacts *facts);

} // namespace orlam
