#pragma once

#include "common/status.h"
#include "hours/riseset.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QTime>
#include <QTimeZone>
#include <map>
#include <optional>
#include <vector>

namespace orlam {

class ScratchJobs;
struct TSettings;

// One rise, set or culmination of the Sun or the Moon, as a rise/set report lists it.
struct HorizonEvent {
    QDateTime clock; // local clock reading
    QString body;    // "Sun" or "Moon"
    QString word;    // "rises", "zeniths", "sets" or "nadirs"
};

// The horizon facts of one day: its rise/set table (from its own report and the next day's,
// read as the window reads them, so the hours of the day come out the same) and the Sun's and
// Moon's events of its report.
struct SeriesDay {
    QDate date;
    TRiseSetTable table;
    QList<HorizonEvent> events;
    // The zone that maps the day's clock readings to elapsed time for the hours (see
    // hoursClockZone()), and the hours west of Greenwich of the clock the day's report was
    // written on (nothing when the job's zone did not read).
    QTimeZone hoursZone;
    std::optional<double> hoursWest;
};

// The rise/set reports of a run of days, fetched in one go through the scratch runner (one
// engine job per day, several at a time) rather than four jobs per day through the working
// folder.
class DaySeries {
public:
    // Days `first` to `last` (at most 400). The reports of `first` to `last` + 1 are made with
    // the settings' zone, place and time mode; `time` is the time of day each job is made for
    // (the time picker's). A failed job ends the fetch with its message.
    Status fetch(ScratchJobs &jobs, const TSettings &settings, QDate first, QDate last, QTime time);

    // A series of days whose tables were made elsewhere, consecutive from the first.
    static DaySeries fromDays(std::vector<SeriesDay> days);

    const std::vector<SeriesDay> &days() const { return mDays; }
    // The day `date` of the series, or nothing outside it.
    const SeriesDay *day(QDate date) const;

    // A clock reading of the series as universal time, with the clock that the engine used for
    // the reading's own date (a daylight job's clock is an hour ahead). Invalid when the date
    // lies outside the series or its job's zone did not read.
    QDateTime toUtc(const QDateTime &clock) const;

private:
    std::vector<SeriesDay> mDays;
    std::map<QDate, double> mHoursWest;
};

// The Sun and Moon events of a rise/set report's lines, in report order. Lines of other bodies,
// lines without an event word and lines that do not read are left out.
QList<HorizonEvent> horizonEvents(const QStringList &lines, const LocaleFacts &reportLocale);

// The conventions the engine's reports are read with when the engine is asked for month-first
// dates (as the scratch jobs always ask): "6/15/2026 2:30pm" whatever the user's locale.
const LocaleFacts &engineReportLocale();

} // namespace orlam
