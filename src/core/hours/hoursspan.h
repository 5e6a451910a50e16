#pragma once

#include "astrocalls/scratchjobs.h"
#include "common/status.h"

#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <array>
#include <optional>
#include <vector>

namespace orlam {

class LocaleFacts;
struct TSettings;

// Time in the hours: every moment below is an instant, a QDateTime in Qt::UTC. A wall-clock
// reading is made only for display, in the place's zone at that very instant (placeClock()), so
// two events of one day may carry different offsets.

// Where the hours are computed, and the wall clock they are shown on.
struct HoursPlace {
    QString longitude; // the settings' notation, "93W21"; sent to the engine unchanged
    QString latitude;  // "45N05"
    QTimeZone zone;    // the place's wall clock
};

// The wall clock of the settings' place: the zone named by the "Zone Name" key when the
// time-zone database knows it; else, under "Time" 2, `computerZone`; else the fixed offset of
// "Time Zone" (hours west; one hour ahead under "Time" 1).
QTimeZone placeZone(const TSettings &settings, const QTimeZone &computerZone);

// The settings' longitude, latitude and placeZone().
HoursPlace settingsPlace(const TSettings &settings, const QTimeZone &computerZone);

// One rise, culmination or set, as an instant.
struct HorizonInstant {
    QDateTime utc; // to the second when the engine gives seconds, else to the minute
    QString body;  // as the report names it: "Sun", "Moon", "Mercury" .. "Pluto", "Node"
    QString word;  // "rises", "zeniths", "sets", "nadirs"
};

// One line of a rise/set report as an instant: the line's date and minute, or the time of its
// seconds field when it has one, on the job's clock, which runs `clockHoursWest` hours behind
// universal time. Nothing for a line without a body and event word, or whose moment does not
// read. `dayFirst`: the date is written "D-M-YYYY".
std::optional<HorizonInstant> readHorizonLine(const QString &line, double clockHoursWest, bool dayFirst);
// The same for a line of the report's bytes (Western code page, without its line end): the
// same event, or nothing, as the line's text gives.
std::optional<HorizonInstant> readHorizonLine(QByteArrayView line, double clockHoursWest, bool dayFirst);
// The events of every line of a report given as its bytes, in the order of the lines, appended
// to `events`.
void readHorizonReport(QByteArrayView report, double clockHoursWest, bool dayFirst,
                       QList<HorizonInstant> *events);

// Why a base day has no hours.
enum class NoHours {
    None,      // the day has hours
    NoSunrise, // the Sun does not rise on the day (or not again within about 30 hours)
    NoSunset,  // it rises but does not set before it rises again
};
// "no sunrise", "no sunset"; empty for NoHours::None.
QString noHoursText(NoHours why);

// One planetary hour: [startUtc, endUtc), elapsed time.
struct PlanetHour {
    QDateTime startUtc;
    QDateTime endUtc; // the next hour's start; sunset after day hour 11, the next sunrise after night hour 11
    int ruler = 0;    // index into PlanetCycle (hours/planets.h)
    bool night = false;
    int number = 0; // 0..11 within its day or night
    QDate baseDay;  // the day whose sunrise begins the hours (its weekday picks the rulers)

    int index() const { return night ? 12 + number : number; } // 0..23
    bool contains(const QDateTime &utc) const { return startUtc <= utc && utc < endUtc; }
};

// The hours of one base day: sunrise S on the day (local date of the place), the first sunset
// T after S, the first sunrise S' after T, with S' - S under 30 hours. Day hour k starts at
// S + k(T-S)/12, night hour k at T + k(S'-T)/12. The night hours run past local midnight up to
// S': those before S' are this day's, not the next day's.
struct BaseDayHours {
    QDate date;
    NoHours noHours = NoHours::NoSunrise;
    // The instants found; invalid when missing. Set as far as found also when the day has no
    // hours (a sunrise without a sunset).
    QDateTime sunRise, sunSet, nextSunRise;
    std::array<PlanetHour, 24> hours; // [0..11] day from S, [12..23] night from T; only when valid()

    bool valid() const { return noHours == NoHours::None; }
    qint64 lightSecs() const { return valid() ? sunRise.secsTo(sunSet) : 0; }
    qint64 darknessSecs() const { return valid() ? sunSet.secsTo(nextSunRise) : 0; }
};

// Which bodies the engine is asked for.
enum class HorizonBodies {
    All,        // every body of the rise/set report (the alarm list filters them)
    SunAndMoon, // the calendar export's
};

// The horizon events and the hours of a place over a span of local dates [first, last].
class HoursSpan {
public:
    const HoursPlace &place() const { return mPlace; }
    QDate first() const { return mFirst; }
    QDate last() const { return mLast; }

    // Base days first - 1 .. last, in order: the day before first is there for its night,
    // which runs past midnight into first.
    const std::vector<BaseDayHours> &days() const { return mDays; }
    // The base day `date`; nullptr outside first - 1 .. last.
    const BaseDayHours *day(QDate date) const;

    // Every event found, in time order, without duplicates; at least those of the local dates
    // first - 1 .. last + 1.
    const QList<HorizonInstant> &events() const { return mEvents; }
    // The events whose local date (in the place's zone, at each instant) is `date`.
    QList<HorizonInstant> eventsOn(QDate date) const;

    // The hour that holds `utc` (the night after midnight belongs to the day before); nothing
    // when no base day of the span has an hour there (polar day or night, outside the span).
    std::optional<PlanetHour> hourAt(const QDateTime &utc) const;
    // The base day whose hours [sunRise, nextSunRise) hold `utc`; else the day of its local date,
    // or the day before that when `utc` lies before the date's sunrise (whose night it would
    // be). Such a day has no hours, or lies at the edge of the span.
    const BaseDayHours *baseDayAt(const QDateTime &utc) const;

    // Computes the days from gathered events (any order, duplicates allowed: the same body and
    // word within a minute count once).
    static HoursSpan fromEvents(const HoursPlace &place, QDate first, QDate last,
                                QList<HorizonInstant> events);

private:
    HoursPlace mPlace;
    QDate mFirst, mLast;
    std::vector<BaseDayHours> mDays;
    QList<HorizonInstant> mEvents;
};

// Asks the engine (through `jobs`, in a temporary folder; the zone text and time mode of the
// job come from jobs.settings()) for the rise/set events around [first, last] and builds the
// span. One engine run for the whole span when the engine takes the span and seconds
// switches, else one standard rise/set job per day. At most 396 days. The caller's `alongside`
// jobs run at the same time, their reports in order into `alongsideReports`. Failure: the
// engine's or a job's message.
Status fetchHoursSpan(ScratchJobs &jobs, const HoursPlace &place, QDate first, QDate last, HoursSpan *span,
                      HorizonBodies bodies = HorizonBodies::All,
                      const std::vector<ScratchJob> &alongside = {},
                      std::vector<ScratchReport> *alongsideReports = nullptr);

// The wall-clock reading of `utc` in `zone` (a QDateTime in that zone), and the same rounded to
// the nearest minute (half a minute up) for printing.
QDateTime placeClock(const QDateTime &utc, const QTimeZone &zone);
QDateTime placeMinute(const QDateTime &utc, const QTimeZone &zone);

} // namespace orlam
