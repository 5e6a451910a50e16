#include "astrocalls/scratchjobs.h"

#include "astrocalls/runner.h"
#include "common/westerntext.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <memory>

namespace orlam {

namespace {

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
    static const QRegularExpression zonePattern(
        QStringLiteral("^([+-]?)(\\d{1,2})(?::(\\d\\d)|\\.(\\d{1,4}))?$"));
    const QRegularExpressionMatch match = zonePattern.match(fields.at(6));
    if (!match.hasMatch() || (word != QLatin1String("ST") && word != QLatin1String("DT")))
        return std::nullopt;
    double hours = match.captured(2).toInt();
    if (!match.captured(3).isEmpty())
        hours += match.captured(3).toInt() / 60.0;
    else if (!match.captured(4).isEmpty())
        hours += QStringLiteral("0.%1").arg(match.captured(4)).toDouble();
    if (match.captured(1) == QLatin1String("-"))
        hours = -hours;
    return word == QLatin1String("DT") ? hours - 1.0 : hours;
}

ScratchJobs::ScratchJobs(const TSettings &settings, const DerivedValues &derived, QString program)
    : mSettings(settings), mDerived(derived), mProgram(std::move(program)),
      mDir(QDir(QDir::tempPath()).filePath(QStringLiteral("orlam-XXXXXX")))
{
    // The reports are read by the program alone, never shown: month-first dates read the same
    // under every locale, also under those that write the year first.
    mDerived.EuroDateSwitch.clear();
}

Status ScratchJobs::ready() const
{
    if (mDir.isValid())
        return Status::success();
    return Status::failure(QStringLiteral("Cannot create a temporary folder for the ephemeris program: %1")
                               .arg(mDir.errorString()));
}

Status ScratchJobs::run(const std::vector<ScratchJob> &jobs, std::vector<ScratchReport> *reports)
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
        if (Status check = checkJobText(job.args); !check)
            return check;
        Running &slot = running[index];
        slot.folder = QDir(mDir.path()).filePath(QString::number(++mSerial));
        if (!QDir().mkpath(slot.folder))
            return Status::failure(QStringLiteral("Cannot create file %1").arg(slot.folder));
        const QStringList lines = jobLines(job.kind, job.args, mSettings, mDerived).lines + job.extraLines;
        slot.hoursWest = lines.size() > 1 ? momentLineHoursWest(lines.at(1)) : std::nullopt;
        slot.report = reportName(job);
        const QString jobPath = QDir(slot.folder).filePath(QLatin1String(JobFileName));
        if (Status written = writeFileAtomically(jobPath, joinCrLf(lines)); !written)
            return written;
        slot.process = std::make_unique<QProcess>();
        QProcess &process = *slot.process;
        process.setProgram(mProgram);
        process.setArguments({QStringLiteral("-i"), QString::fromLatin1(JobFileName)});
        process.setWorkingDirectory(slot.folder);
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start();
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
            return Status::failure(QStringLiteral("Error executing Astrolog"));
        }
        if (!process.waitForFinished(limit)) {
            process.kill();
            process.waitForFinished(-1);
            return Status::failure(QStringLiteral("Error executing Astrolog"));
        }
        if (process.exitStatus() != QProcess::NormalExit)
            return Status::failure(QStringLiteral("Error executing Astrolog"));
        if (process.exitCode() != 0)
            return Status::failure(QStringLiteral("Astrolog return code %1").arg(process.exitCode()));
        ScratchReport &report = (*reports)[index];
        QStringList lines;
        if (readWesternLines(QDir(slot.folder).filePath(slot.report), &lines))
            report.lines = lines;
        report.clockHoursWest = slot.hoursWest;
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
        if (outcome)
            ++finished;
    }
    if (!outcome) {
        for (Running &slot : running) {
            if (slot.process && slot.process->state() != QProcess::NotRunning) {
                slot.process->kill();
                slot.process->waitForFinished(-1);
            }
        }
        reports->assign(jobs.size(), ScratchReport{});
    }
    return outcome;
}

} // namespace orlam
