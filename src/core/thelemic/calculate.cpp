#include "thelemic/calculate.h"

#include "astrocalls/astrocalls.h"
#include "common/clocktime.h"
#include "common/westerntext.h"
#include "hours/riseset.h"
#include "settings/localefacts.h"
#include "thelemic/chartreading.h"
#include "thelemic/composition.h"

#include <QCoreApplication>
#include <QFile>

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

Status Calculator::calculate(Output output)
{
    const bool show = output == Output::Show;
    if (show)
        mHost.setViewText(QCoreApplication::translate("Messages", PleaseWaitText));
    mHost.repaintNow();

    for (const QString &name : StaleReportNames)
        QFile::remove(mAstro.filePath(name));

    const QDateTime pickerDate = mHost.datePickerValue();
    const QTime pickerTime = mHost.timePickerValue();
    mHost.setMonthCalendarDate(pickerDate.date());

    const QString &zone = mSettings.TimeZone;
    const QString &longitude = mSettings.Longitude;
    const QString &latitude = mSettings.Latitude;
    if (Status status = mAstro.ChartJob(zone, longitude, latitude, pickerDate, pickerTime); !status)
        return status;
    if (mSettings.WheelChart) {
        if (Status status = mAstro.WheelJob(zone, longitude, latitude, pickerDate, pickerTime); !status)
            return status;
    }
    if (mSettings.AspectCharts) {
        if (Status status = mAstro.AspectsJob(zone, longitude, latitude, pickerDate, pickerTime); !status)
            return status;
    }

    std::optional<QStringList> listing;
    const QString chartName = QLatin1String(ChartFileName);
    if (Status status = readReportLines(mAstro.filePath(chartName), &listing, chartName); !status)
        return status;
    const ChartReading chart = readChartLines(listing.value_or(QStringList()), mSettings.AspectMode, texts);
    lastChart = chart;
    const QDateTime moment = clockTime(pickerDate.date(), pickerTime);
    const QString mainText = composeMainText(moment.date(), chart, mSettings, texts);

    if (mSettings.DayBegins > 0) {
        if (Status status = runUpdateRiseSet(); !status)
            return status;
    }
    const int weekday = dayBeginsWeekday(moment, mSettings.DayBegins, RiseSetTable);
    const QStringList lines = composeLines(mainText, moment, weekday, mSettings, mLocale, texts);
    lastLines = lines;

    if (mSettings.UpdateCaption)
        mHost.setCaptions(texts.CommonDateText, texts.CommonDateText);
    else
        mHost.setCaptions(QLatin1String(ApplicationTitle), QLatin1String(ApplicationTitle));

    if (show)
        mHost.setViewText(lines.join(QLatin1Char('\n')));
    // A silent run has not changed the view: copying it would only overwrite the user's clipboard.
    if (mSettings.ReplaceClip && show)
        mHost.copyViewToClipboard();
    if (mSettings.LocalFileSave)
        return writeWorkFileIn(mAstro.folder(), QLatin1String(DateFileName), joinCrLf(lines), WorkFile::Kept);
    return Status::success();
}

Status Calculator::runUpdateRiseSet()
{
    return riseSetTableFor(mHost.datePickerValue(), mHost.timePickerValue(), &RiseSetTable);
}

Status Calculator::riseSetTableFor(const QDateTime &base, QTime time, TRiseSetTable *table)
{
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
