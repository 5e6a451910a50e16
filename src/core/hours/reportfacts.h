#pragma once

#include "common/status.h"
#include "hours/alarmclock.h"

#include <QDate>

namespace orlam {

class ScratchJobs;

// The hours and the horizon events of `place` for the local dates `first` to `last` (and the day
// before, whose night runs into `first`), from the hours road (hours/hoursspan.h): one engine
// run in `jobs`' scratch folder, so the working folder's reports stay as they are.
Status placeFactsFromReports(ScratchJobs &jobs, const ClockPlace &place, QDate first, QDate last,
                             PlaceFacts *facts);

} // namespace orlam
