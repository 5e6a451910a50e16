#pragma once

#include "astrocalls/astrocalls.h"
#include "common/status.h"
#include "settings/settings.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimeZone>
#include <functional>
#include <optional>
#include <vector>

namespace orlam {

// One engine job run away from the working folder.
struct ScratchJob {
    JobKind kind = JobKind::RiseSet;
    JobArgs args;
    QStringList extraLines; // switches written after the job's own lines
    // The report is given as its bytes (ScratchReport::bytes) rather than as lines, for a reader
    // that parses them itself.
    bool reportBytes = false;
};

// What one job left: the report's lines (nothing when the engine wrote none) and the clock the
// report's times are read on, as hours west of Greenwich (standard time minus one hour for a
// daylight job), taken from the job's own moment line.
struct ScratchReport {
    std::optional<QStringList> lines;
    std::optional<QByteArray> bytes; // instead of the lines for a job that asks for them
    std::optional<double> clockHoursWest;
};

// Runs engine jobs in a private temporary folder of its own, several at a time, each in a
// folder of its own. Nothing is written to the current folder, so a command-line run or an
// export never disturbs the job file and reports of a running window. The folder goes when the
// object does. The engine is always asked for month-first dates ("6/15/2026"), whatever the
// locale, since these reports are read by the program and never shown.
class ScratchJobs {
public:
    // `program` is the engine to run (see AstrologRunner::resolveProgram).
    ScratchJobs(const TSettings &settings, const DerivedValues &derived, QString program);
    ~ScratchJobs();
    ScratchJobs(const ScratchJobs &) = delete;
    ScratchJobs &operator=(const ScratchJobs &) = delete;

    // False with a message when the temporary folder could not be made.
    Status ready() const;

    // Runs every job and gives one report per job, in order. A job that cannot be written
    // (unsafe place text), an engine that cannot be started, ends with an error or runs past
    // the time limit ends the run with a failure naming the reason; reports already read are
    // then dropped. `reportIn`, when given, is called with a job's index as soon as its report
    // is in `reports`, job by job in order, while the jobs after it may still be running: a
    // caller can read a report meanwhile.
    Status run(const std::vector<ScratchJob> &jobs, std::vector<ScratchReport> *reports,
               const std::function<void(std::size_t)> &reportIn = {});

    void setTimeoutMs(int ms) { mTimeoutMs = ms; }
    const QString &program() const { return mProgram; }
    // The computer's time zone, whose clock the reports follow under "Time" 2 (the system's
    // zone unless set).
    void setComputerZone(const QTimeZone &zone) { mComputerZone = zone; }
    const QTimeZone &computerZone() const { return mComputerZone; }
    const TSettings &settings() const { return mSettings; }
    // The clock of `job`'s report as run() gives it (ScratchReport::clockHoursWest), known before
    // the job runs.
    std::optional<double> clockHoursWest(const ScratchJob &job) const;

private:
    const TSettings &mSettings;
    DerivedValues mDerived; // a copy: the jobs here always ask for month-first dates
    QString mProgram;
    QTemporaryDir mDir;
    int mOwnerLock = -1;
    QTimeZone mComputerZone = QTimeZone::systemTimeZone();
    int mParallel = 4; // engine processes running at once
    int mTimeoutMs = 60000;
    int mSerial = 0;
};

// The folders ScratchJobs makes under the temporary folder are "orlam-" and six characters; each
// holds a marker file its owner keeps locked while it lives. Removes those in `folder` whose
// owner is gone (a command killed before it could clean up) and returns how many. Folders of
// other users, of a live owner, or without the marker (not made by this program, or just being
// made) are left alone. Every ScratchJobs does it once when it is made.
int removeStaleScratchFolders(const QString &folder);

// Hours west of Greenwich of a job's moment line ("/qb 6 15 2026 14:30PM DT 6 93W21 45N05"):
// the zone ("6", "-5.5", "-5:30", "+3") less one hour for "DT". Nothing when the line does not
// read.
std::optional<double> momentLineHoursWest(const QString &momentLine);

} // namespace orlam
