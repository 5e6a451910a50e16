#include "thelemic/calculate.h"

#include "astrocalls/astrocalls.h"
#include "astrocalls/runner.h"
#include "common/clocktime.h"
#include "common/westerntext.h"
#include "hours/riseset.h"
#include "settings/localefacts.h"
#include "thelemic/chartreading.h"
#include "thelemic/composition.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <optional>
#include <vector>

namespace orlam {

Calculator::Calculator(TSettings &settings, const LocaleFacts &locale, Astrocalls &astrocalls, CalcHost &host)
    : mSettings(settings), mLocale(locale), mAstro(astrocalls), mHost(host)
{
}

int dayBeginsWeekday(const QDateTime &moment, int dayBegins, const TRiseSetTable &table)
{
    // An invalid field is the zero moment of a process whose rise/set runs never found the
    // event. Compared as a number it would lie before every moment and turn every day at
    // sunset into the next one; without a known sunrise or sunset the day keeps its name.
    if (dayBegins == 1 && table.SunRise.isValid() && moment < table.SunRise)
        return weekdayNumber(moment.addDays(-1).date());
    if (dayBegins == 2 && table.SunSet.isValid() && moment >= table.SunSet)
        return weekdayNumber(moment.addDays(1).date());
    return weekdayNumber(moment.date());
}

// One Calculate: its engine jobs and the work between them, in the order of the road, so that
// waiting for the engine and not waiting give the same files, texts and messages.
struct Calculator::Road {
    struct Step {
        std::optional<JobKind> job; // an engine job on `args`; else `work`
        JobArgs args;
        std::function<Status()> work;
    };

    Output output = Output::Show;
    QDateTime pickerDate;
    QTime pickerTime;
    QDateTime moment;
    QString mainText;
    std::vector<Step> steps;
    std::size_t next = 0;
    bool wait = true;     // run each job to its end here
    bool dropped = false; // its results are no longer wanted
    bool advancing = false;
    Status status = Status::success();
    std::function<void(const Status &)> done;
    qint64 resumedNs = 0;
};

Calculator::~Calculator()
{
    dropCalculate();
}

std::shared_ptr<Calculator::Road> Calculator::beginRoad(Output output)
{
    auto road = std::make_shared<Road>();
    road->output = output;
    if (output == Output::Show)
        mHost.setViewText(QCoreApplication::translate("Messages", PleaseWaitText));
    mHost.repaintNow();

    for (const QString &name : StaleReportNames)
        QFile::remove(mAstro.filePath(name));

    road->pickerDate = mHost.datePickerValue();
    road->pickerTime = mHost.timePickerValue();
    mHost.setMonthCalendarDate(road->pickerDate.date());

    Road &r = *road;
    const auto job = [&r, this](JobKind kind, const QString &reportName = {}) {
        r.steps.push_back({kind,
                           {mSettings.TimeZone, mSettings.Longitude, mSettings.Latitude, r.pickerDate,
                            r.pickerTime, reportName},
                           {}});
    };
    const auto work = [&r](std::function<Status()> step) { r.steps.push_back({{}, {}, std::move(step)}); };

    job(JobKind::Chart);
    if (mSettings.WheelChart)
        job(JobKind::Wheel);
    if (mSettings.AspectCharts)
        job(JobKind::Aspects);
    work([this, &r] {
        std::optional<QStringList> listing;
        const QString chartName = QLatin1String(ChartFileName);
        if (Status status = readReportLines(mAstro.filePath(chartName), &listing, chartName); !status)
            return status;
        const ChartReading chart =
            readChartLines(listing.value_or(QStringList()), mSettings.AspectMode, texts);
        lastChart = chart;
        r.moment = clockTime(r.pickerDate.date(), r.pickerTime);
        r.mainText = composeMainText(r.moment.date(), chart, mSettings, texts);
        return Status::success();
    });
    if (mSettings.DayBegins > 0) {
        for (const RiseSetReport &report : RiseSetReports) {
            job(JobKind::RiseSet, QLatin1String(report.fileName));
            r.steps.back().args.date = r.pickerDate.addDays(report.dayOffset);
        }
        work([this] {
            readRiseSetFiles(mAstro.folder(), mLocale, RiseSetTable, mHost);
            return Status::success();
        });
    }
    work([this, &r] {
        const bool show = r.output == Output::Show;
        const int weekday = dayBeginsWeekday(r.moment, mSettings.DayBegins, RiseSetTable);
        const QStringList lines = composeLines(r.mainText, r.moment, weekday, mSettings, mLocale, texts);
        lastLines = lines;

        if (mSettings.UpdateCaption)
            mHost.setCaptions(texts.CommonDateText, texts.CommonDateText);
        else
            mHost.setCaptions(QLatin1String(ApplicationTitle), QLatin1String(ApplicationTitle));

        if (show)
            mHost.setViewText(lines.join(QLatin1Char('\n')));
        // A silent run has not changed the view: copying it would only overwrite the user's
        // clipboard.
        if (mSettings.ReplaceClip && show)
            mHost.copyViewToClipboard();
        if (mSettings.LocalFileSave)
            return writeWorkFileIn(mAstro.folder(), QLatin1String(DateFileName), joinCrLf(lines),
                                   WorkFile::Kept);
        return Status::success();
    });
    return road;
}

void Calculator::advance(const std::shared_ptr<Road> &road)
{
    road->advancing = true;
    while (!road->dropped && road->next < road->steps.size()) {
        Road::Step &step = road->steps[road->next++];
        Status status = step.job ? mAstro.writeJob(*step.job, step.args) : step.work();
        if (!status) {
            road->advancing = false;
            endRoad(road, status);
            return;
        }
        if (!step.job)
            continue;
        if (road->wait) {
            mAstro.runner().RunAstrolog();
            continue;
        }
        // The engine's outcome is not the road's: its messages have been shown, and a report it
        // did not write is found missing by the step that reads it.
        mAstro.runner().startAstrolog([this, road](AstrologRunner::Outcome) {
            QElapsedTimer busy;
            busy.start();
            advance(road);
            road->resumedNs += busy.nsecsElapsed();
        });
        road->advancing = false;
        return;
    }
    road->advancing = false;
    if (!road->dropped)
        endRoad(road, Status::success());
}

void Calculator::endRoad(const std::shared_ptr<Road> &road, const Status &status)
{
    road->status = status;
    if (mRoad == road)
        mRoad.reset();
    if (road->done)
        road->done(status);
}

Status Calculator::calculate(Output output)
{
    finishCalculate();
    const std::shared_ptr<Road> road = beginRoad(output);
    advance(road);
    return road->status;
}

void Calculator::startCalculate(Output output, std::function<void(const Status &)> done)
{
    dropCalculate();
    mRoad = beginRoad(output);
    mRoad->wait = false;
    mRoad->done = std::move(done);
    mLastRoad = mRoad;
    advance(std::shared_ptr<Road>(mRoad));
}

bool Calculator::calculating() const
{
    return mRoad != nullptr;
}

void Calculator::finishCalculate()
{
    const std::shared_ptr<Road> road = mRoad;
    if (!road || road->advancing)
        return;
    if (!mAstro.runner().running()) {
        // Its job was ended by a run of someone else's: what it would read is not its own.
        dropCalculate();
        return;
    }
    road->wait = true;
    mAstro.runner().finishRun();
}

void Calculator::dropCalculate()
{
    if (!mRoad)
        return;
    mRoad->dropped = true;
    mRoad.reset();
    mAstro.runner().stopRun();
}

qint64 Calculator::lastRoadResumedNs() const
{
    return mLastRoad ? mLastRoad->resumedNs : 0;
}

Status Calculator::runUpdateRiseSet()
{
    return riseSetTableFor(mHost.datePickerValue(), mHost.timePickerValue(), &RiseSetTable);
}

Status Calculator::riseSetTableFor(const QDateTime &base, QTime time, TRiseSetTable *table)
{
    finishCalculate();
    for (const RiseSetReport &report : RiseSetReports) {
        const Status status =
            mAstro.RiseSetJob(mSettings.TimeZone, mSettings.Longitude, mSettings.Latitude,
                              base.addDays(report.dayOffset), time, QLatin1String(report.fileName));
        if (!status)
            return status;
    }
    readRiseSetFiles(mAstro.folder(), mLocale, *table, mHost);
    return Status::success();
}

void Calculator::updateRiseSet()
{
    if (const Status status = runUpdateRiseSet(); !status)
        mHost.showMessage(status.message);
}

} // namespace orlam
