#include "astrocalls/scratchjobs.h"

#include "astrocalls/enginegroups.h"
#include "astrocalls/runner.h"
#include "common/westerntext.h"
#include "settings/zonetext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlam {

namespace {

constexpr auto OwnerMarker = "owner.lock";

QString reportName(const ScratchJob &job)
{
    switch (job.kind) {
    case JobKind::Chart:
        return QStringLiteral("chart.txt");
    case JobKind::Wheel:
        return QStringLiteral("wheel.txt");
    case JobKind::Aspects:
        return QStringLiteral("aspects.txt");
    case JobKind::RiseSet:
        return job.args.reportName;
    case JobKind::MonthCalendar:
    case JobKind::YearCalendar:
        return QStringLiteral("calasp.txt");
    }
    return {};
}

struct Running {
    std::unique_ptr<QProcess> process;
    std::unique_ptr<EngineGroup> group;
    QString folder;
    QString report;
    std::optional<double> hoursWest;
};

} // namespace

std::optional<double> momentLineHoursWest(const QString &momentLine)
{
    const QStringList fields = momentLine.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (fields.size() < 7 || fields.at(0) != QLatin1String("/qb"))
        return std::nullopt;
    const QString &word = fields.at(5);
    const std::optional<double> hours = zoneHoursWest(fields.at(6));
    if (!hours || (word != QLatin1String("ST") && word != QLatin1String("DT")))
        return std::nullopt;
    return word == QLatin1String("DT") ? *hours - 1.0 : *hours;
}

std::optional<double> ScratchJobs::clockHoursWest(const ScratchJob &job) const
{
    const QStringList lines = jobLines(job.kind, job.args, mSettings, mDerived).lines;
    return lines.size() > 1 ? momentLineHoursWest(lines.at(1)) : std::nullopt;
}

int removeStaleScratchFolders(const QString &folder)
{
    static const QRegularExpression ownName(QStringLiteral("^orlam-[A-Za-z0-9]{6}$"));
    int removed = 0;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (!ownName.match(name).hasMatch())
            continue;
        const QString path = dir.filePath(name);
        struct stat info {};
        if (::lstat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
            info.st_uid != ::geteuid())
            continue;
        const QByteArray marker = QFile::encodeName(QDir(path).filePath(QLatin1String(OwnerMarker)));
        const int fd = ::open(marker.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        const bool ownerGone = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        ::close(fd);
        if (ownerGone && QDir(path).removeRecursively())
            ++removed;
    }
    return removed;
}

ScratchJobs::ScratchJobs(const TSettings &settings, const DerivedValues &derived, QString program)
    : mSettings(settings), mDerived(derived), mProgram(std::move(program)),
      mDir(QDir(QDir::tempPath()).filePath(QStringLiteral("orlam-XXXXXX")))
{
    removeStaleScratchFolders(QDir::tempPath());
    if (mDir.isValid()) {
        // Held for the object's life; a process that dies lets go of it, and the next one then
        // knows the folder is nobody's.
        const QByteArray marker = QFile::encodeName(QDir(mDir.path()).filePath(QLatin1String(OwnerMarker)));
        mOwnerLock = ::open(marker.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (mOwnerLock >= 0)
            ::flock(mOwnerLock, LOCK_EX);
    }
    // The reports are read by the program alone, never shown: month-first dates read the same
    // under every locale, also under those that write the year first.
    mDerived.EuroDateSwitch.clear();
}

ScratchJobs::~ScratchJobs()
{
    if (mOwnerLock >= 0)
        ::close(mOwnerLock);
}

Status ScratchJobs::ready() const
{
    if (mDir.isValid())
        return Status::success();
    return Status::failure(QCoreApplication::translate(
                               "Messages", "Cannot create a temporary folder for the ephemeris program: %1")
                               .arg(mDir.errorString()));
}

Status ScratchJobs::run(const std::vector<ScratchJob> &jobs, std::vector<ScratchReport> *reports,
                        const std::function<void(std::size_t)> &reportIn)
{
    reports->assign(jobs.size(), ScratchReport{});
    if (Status status = ready(); !status)
        return status;

    std::vector<Running> running(jobs.size());
    Status outcome = Status::success();
    std::size_t next = 0;
    std::size_t finished = 0;

    auto start = [&](std::size_t index) -> Status {
        const ScratchJob &job = jobs[index];
        JobArgs checked = job.args;
        // With the system's zone the zone text is not written, so it cannot break the job.
        if (mSettings.TimeMode == 2)
            checked.zone.clear();
        if (Status check = checkJobText(checked); !check)
            return check;
        Running &slot = running[index];
        slot.folder = QDir(mDir.path()).filePath(QString::number(++mSerial));
        if (!QDir().mkpath(slot.folder))
            return Status::failure(
                QCoreApplication::translate("Messages", "Cannot create file %1").arg(slot.folder));
        const QStringList lines = jobLines(job.kind, job.args, mSettings, mDerived).lines + job.extraLines;
        slot.hoursWest = lines.size() > 1 ? momentLineHoursWest(lines.at(1)) : std::nullopt;
        slot.report = reportName(job);
        const QString jobPath = QDir(slot.folder).filePath(QLatin1String(JobFileName));
        if (Status written = writeWorkFile(jobPath, joinCrLf(lines), WorkFile::Scratch); !written)
            return written;
        slot.process = std::make_unique<QProcess>();
        QProcess &process = *slot.process;
        process.setProgram(mProgram);
        process.setArguments({QStringLiteral("-i"), QString::fromLatin1(JobFileName)});
        process.setWorkingDirectory(slot.folder);
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        runInOwnGroup(process);
        process.start();
        if (process.waitForStarted(-1))
            slot.group = std::make_unique<EngineGroup>(process);
        return Status::success();
    };

    auto finish = [&](std::size_t index) -> Status {
        Running &slot = running[index];
        QProcess &process = *slot.process;
        const int limit = mTimeoutMs > 0 ? mTimeoutMs : -1;
        if (!process.waitForStarted(limit)) {
            if (process.error() == QProcess::FailedToStart)
                return Status::failure(AstrologRunner::cannotStartMessage(mProgram));
            process.kill();
            process.waitForFinished(-1);
            return Status::failure(QCoreApplication::translate("Messages", "Error executing Astrolog"));
        }
        if (!process.waitForFinished(limit)) {
            if (slot.group)
                slot.group->kill();
            process.kill();
            process.waitForFinished(-1);
            return Status::failure(QCoreApplication::translate("Messages", "Error executing Astrolog"));
        }
        if (process.exitStatus() != QProcess::NormalExit)
            return Status::failure(QCoreApplication::translate("Messages", "Error executing Astrolog"));
        if (process.exitCode() != 0)
            return Status::failure(
                QCoreApplication::translate("Messages", "Astrolog return code %1").arg(process.exitCode()));
        ScratchReport &report = (*reports)[index];
        const QString reportPath = QDir(slot.folder).filePath(slot.report);
        if (Status read = jobs[index].reportBytes ? readReportBytes(reportPath, &report.bytes, slot.report)
                                                  : readReportLines(reportPath, &report.lines, slot.report);
            !read)
            return read;
        report.clockHoursWest = slot.hoursWest;
        slot.group.reset();
        slot.process.reset();
        // Each job's folder goes at once, so a long range never piles up files.
        QDir(slot.folder).removeRecursively();
        return Status::success();
    };

    // Keep up to mParallel engines running: start the next job whenever the oldest one ends.
    while (finished < jobs.size() && outcome) {
        while (next < jobs.size() && next - finished < static_cast<std::size_t>(mParallel) && outcome) {
            outcome = start(next);
            if (outcome)
                ++next;
        }
        if (!outcome)
            break;
        outcome = finish(finished);
        if (!outcome)
            break;
        if (reportIn)
            reportIn(finished);
        ++finished;
    }
    if (!outcome) {
        for (Running &slot : running) {
            if (slot.process && slot.process->state() != QProcess::NotRunning) {
                if (slot.group)
                    slot.group->kill();
                slot.process->kill();
                slot.process->waitForFinished(-1);
            }
        }
        reports->assign(jobs.size(), ScratchReport{});
    }
    return outcome;
}

} // namespace orlam
