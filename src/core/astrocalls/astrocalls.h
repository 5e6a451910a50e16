#pragma once

#include "common/status.h"
#include "settings/settings.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace orlam {

class AstrologRunner;

constexpr auto JobFileName = "input.txt";
constexpr auto JobHeader = "@0102  ; Astrolog chart info.";

// The years the ephemeris engine charts, both included (Gregorian calendar); its job-file
// reader refuses any other.
constexpr int FirstChartYear = 1000;
constexpr int LastChartYear = 2999;

enum class JobKind { Chart, Wheel, Aspects, RiseSet, MonthCalendar, YearCalendar };

// The arguments every job takes. `date` is the date picker's value (a local clock reading: its
// calendar date is written, its whole value is used for the daylight test); of `time` only the
// hour and minute are written. Zone, longitude and latitude go into the file unchanged.
struct JobArgs {
    QString zone;
    QString longitude;
    QString latitude;
    QDateTime date;
    QTime time;
    QString reportName; // RiseSetJob only
};

// A job file's lines, without line ends, and whether the job's moment was taken as daylight
// saving time.
struct JobLines {
    QStringList lines;
    bool daylight = false;
};

// The lines of a job file, without line ends. `daylight` for the job's moment is true
// when `date` lies strictly after DstStart and strictly before DstEnd, or, in a zone whose
// daylight saving starts later in the year than it ends, strictly after DstStart or strictly
// before DstEnd. The two moments themselves count as standard time. Under "Time" = 2 with
// derived.SystemZone set, the daylight moments and the zone written are those of that zone in
// the year of the job's moment (`date`'s day at `time`), the zone as hours west with minutes
// when it has them ("-5:30").
JobLines jobLines(JobKind kind, const JobArgs &args, const TSettings &settings, const DerivedValues &derived);

// A zone, longitude or latitude text that would break the job file (a line break or another
// control character): returns a failure naming the value, else success.
Status checkJobText(const JobArgs &args);

// The six job kinds and the runner, bound to the process-wide record and derived values.
// Each job writes input.txt in the runner's work folder (Western code page, CR LF after every
// line) and runs the engine on it there. A job whose texts are unsafe, or whose file cannot be
// written, is not run; the failure comes back to the caller (which shows it) and the runner's
// sink is not used for it.
class Astrocalls {
public:
    Astrocalls(const TSettings &settings, const DerivedValues &derived, AstrologRunner &runner);

    Status ChartJob(const QString &zone, const QString &longitude, const QString &latitude,
                    const QDateTime &date, QTime time);
    Status WheelJob(const QString &zone, const QString &longitude, const QString &latitude,
                    const QDateTime &date, QTime time);
    Status AspectsJob(const QString &zone, const QString &longitude, const QString &latitude,
                      const QDateTime &date, QTime time);
    Status RiseSetJob(const QString &zone, const QString &longitude, const QString &latitude,
                      const QDateTime &date, QTime time, const QString &reportName);
    Status MonthCalendarJob(const QString &zone, const QString &longitude, const QString &latitude,
                            const QDateTime &date, QTime time);
    Status YearCalendarJob(const QString &zone, const QString &longitude, const QString &latitude,
                           const QDateTime &date, QTime time);

    // Writes the job file for `kind` and runs the engine.
    Status run(JobKind kind, const JobArgs &args);

    // Writes input.txt for `kind` without running the engine. Refuses unsafe
    // texts (the zone is not checked under TimeMode 2, where it is not written) and an invalid
    // date or time; a file that cannot be written gives "Cannot create file input.txt".
    Status writeJob(JobKind kind, const JobArgs &args);

    AstrologRunner &runner() { return mRunner; }
    // The runner's work folder, where the job file and the reports are; `name` in it.
    const QString &folder() const;
    QString filePath(const QString &name) const;

private:
    const TSettings &mSettings;
    const DerivedValues &mDerived;
    AstrologRunner &mRunner;
};

} // namespace orlam
