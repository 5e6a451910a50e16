#include "engine.h"

#include "reports.h"

namespace orlam {

JobOutput runJob(const JobSpec &job, Ephemeris &ephemeris)
{
    JobOutput output;
    switch (job.kind()) {
    case ReportKind::RiseSet:
        output.report = joinLines(riseSetReport(job, ephemeris));
        break;
    case ReportKind::MonthCalendar:
    case ReportKind::YearCalendar:
        output.report = joinLines(calendarReport(job, ephemeris));
        break;
    case ReportKind::Aspects: {
        const ChartData chart = computeChart(job, ephemeris);
        output.report = joinLines(aspectsReport(job, chart, ephemeris));
        break;
    }
    case ReportKind::Wheel: {
        const ChartData chart = computeChart(job, ephemeris);
        output.report = joinLines(wheelReport(job, chart, ephemeris));
        if (job.metafile)
            output.picture = wheelPicture(job, chart);
        break;
    }
    case ReportKind::Chart: {
        const ChartData chart = computeChart(job, ephemeris);
        output.report = joinLines(chartReport(job, chart, ephemeris));
        break;
    }
    }
    return output;
}

} // namespace orlam
