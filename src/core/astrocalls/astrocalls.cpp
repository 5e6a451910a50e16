#include "astrocalls/astrocalls.h"

#include "astrocalls/runner.h"
#include "common/clocktime.h"
#include "common/westerntext.h"
#include "settings/localefacts.h"
#include "settings/zonetext.h"

#include <QCoreApplication>

namespace orlam {

namespace {

const QString ChartRequests[] = {QStringLiteral("/R Chir"), QStringLiteral("/R Cere"),
                                 QStringLiteral("/R Pall"), QStringLiteral("/R Juno"),
                                 QStringLiteral("/R Vest"), QStringLiteral("/R Lili")};

void appendRestrictions(QStringList &lines)
{
    for (const QString &line : ChartRequests)
        lines << line;
}

void appendHouses(QStringList &lines, const TSettings &settings)
{
    lines << QStringLiteral("/c %1").arg(settings.HouseSystem);
    if (settings.Zodiac == 1)
        lines << QStringLiteral("/s");
}

// Moments are compared as clock readings whatever Qt::TimeSpec the caller's value carries.
QDateTime asClock(const QDateTime &value)
{
    return value.isValid() ? clockTime(value.date(), value.time()) : QDateTime();
}

bool isDaylight(const QDateTime &date, const QDateTime &dstStart, const QDateTime &dstEnd)
{
    const QDateTime moment = asClock(date);
    const QDateTime start = asClock(dstStart);
    const QDateTime end = asClock(dstEnd);
    // A zone without daylight saving has zero for both moments, and no moment lies between
    // them. The transition moments themselves count as standard time.
    if (!moment.isValid() || !start.isValid() || !end.isValid())
        return false;
    if (start < end)
        return start < moment && moment < end;
    // Southern zones start daylight saving late in the year and end it early in the next: the
    // period wraps around the turn of the year. Read as one window it would never hold a
    // moment, and their summer would always be sent as standard time.
    return start < moment || moment < end;
}

// The computer's zone at the job's own moment: that year's daylight-saving dates and the
// standard offset in force then, so a chart of a summer long ago is not sent as standard time
// because this year's dates say so.
QString systemZoneText(const JobArgs &args, const DerivedValues &derived, bool *daylight)
{
    const QDateTime moment = clockTime(args.date.date(), args.time);
    const LocaleFacts::ZoneYear year = LocaleFacts::zoneYear(derived.SystemZone, moment.date());
    *daylight = isDaylight(moment, year.dstStart, year.dstEnd);
    return zoneHoursWestText(year.standardOffset);
}

// `daylight` comes in as the test against the start-up's daylight dates; under "Time" 2 with
// the computer's zone it leaves as that zone's answer for the job's own moment.
QString momentLine(const JobArgs &args, const TSettings &settings, const DerivedValues &derived,
                   bool *daylight)
{
    QString word = QStringLiteral(" ST ");
    QString zone = args.zone;
    if (settings.TimeMode == 1) {
        word = QStringLiteral(" DT ");
    } else if (settings.TimeMode == 2) {
        zone = derived.SystemZone.isValid() ? systemZoneText(args, derived, daylight)
                                            : QString::number(derived.ZoneHours);
        if (*daylight)
            word = QStringLiteral(" DT ");
    }
    // Any other TimeMode (a hand-edited file) is taken as standard time with the zone text, so
    // the moment line always keeps its shape.

    const QDate day = args.date.date();
    const int hour = args.time.hour();
    return QStringLiteral("/qb %1 %2 %3 %4:%5%6%7%8 %9 %10")
        .arg(day.month())
        .arg(day.day())
        .arg(day.year())
        .arg(hour)
        .arg(args.time.minute(), 2, 10, QLatin1Char('0'))
        .arg(hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM"), word, zone, args.longitude,
             args.latitude);
}

// Control characters shown as escapes, so that the message shows what the file would hold.
QString visible(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        default:
            if (c.category() == QChar::Other_Control)
                out += QStringLiteral("\\x") +
                       QString::number(c.unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out;
}

bool hasControlCharacter(const QString &text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
            c.category() == QChar::Separator_Paragraph)
            return true;
    }
    return false;
}

} // namespace

JobLines jobLines(JobKind kind, const JobArgs &args, const TSettings &settings, const DerivedValues &derived)
{
    JobLines job;
    job.daylight = isDaylight(args.date, derived.DstStart, derived.DstEnd);
    QStringList &lines = job.lines;
    lines << QString::fromLatin1(JobHeader) << momentLine(args, settings, derived, &job.daylight);

    switch (kind) {
    case JobKind::Chart:
        lines << QStringLiteral("/os chart.txt") << derived.EuroDateSwitch;
        appendRestrictions(lines);
        appendHouses(lines, settings);
        break;
    case JobKind::Wheel:
        lines << QStringLiteral("/os wheel.txt") << derived.EuroDateSwitch;
        appendRestrictions(lines);
        lines << QStringLiteral("/XM0");
        if (settings.WheelReverse)
            lines << QStringLiteral("/Xr");
        if (settings.Monochrome)
            lines << QStringLiteral("/Xm");
        lines << QStringLiteral("/Xo chart.wmf");
        appendHouses(lines, settings);
        lines << QStringLiteral("/w 10");
        break;
    case JobKind::Aspects:
        lines << QStringLiteral("/os aspects.txt") << derived.EuroDateSwitch;
        appendHouses(lines, settings);
        lines << QStringLiteral("/a0") << QStringLiteral("/g0") << QStringLiteral("/j0");
        appendRestrictions(lines);
        lines << QStringLiteral("/Z");
        break;
    case JobKind::RiseSet:
        lines << QStringLiteral("/os ") + args.reportName;
        appendRestrictions(lines);
        lines << QStringLiteral("/Zd") << derived.EuroDateSwitch;
        break;
    case JobKind::MonthCalendar:
    case JobKind::YearCalendar:
        lines << QStringLiteral("/os calasp.txt") << derived.EuroDateSwitch << QStringLiteral("/R0 sun moo")
              << QStringLiteral("/A opp")
              << (kind == JobKind::MonthCalendar ? QStringLiteral("/dm") : QStringLiteral("/dy"));
        appendHouses(lines, settings);
        break;
    }
    return job;
}

Status checkJobText(const JobArgs &args)
{
    const struct {
        const char *what;
        const QString &text;
        bool fromOptions;
    } fields[] = {{QT_TRANSLATE_NOOP("Messages", "time zone"), args.zone, true},
                  {QT_TRANSLATE_NOOP("Messages", "longitude"), args.longitude, true},
                  {QT_TRANSLATE_NOOP("Messages", "latitude"), args.latitude, true},
                  {QT_TRANSLATE_NOOP("Messages", "report name"), args.reportName, false}};
    // Each of these texts goes into a line of its own; a line break would start a switch line
    // of its own (an output file anywhere on disk, say), so such a job is refused as a whole.
    for (const auto &field : fields) {
        if (!hasControlCharacter(field.text))
            continue;
        QString message = QCoreApplication::translate(
                              "Messages", "The %1 \"%2\" contains a line break or another control character; "
                                          "the job was not run.")
                              .arg(QCoreApplication::translate("Messages", field.what), visible(field.text));
        if (field.fromOptions)
            message += QCoreApplication::translate("Messages", " Correct it in the options.");
        return Status::failure(message);
    }
    // A zone that reads but lies off the Earth's clocks would chart another day without a word.
    // One that does not read at all is the engine's to refuse, with its own message.
    const std::optional<double> hours = zoneHoursWest(args.zone);
    if (hours && !checkZoneText(args.zone))
        return Status::failure(
            checkZoneText(args.zone).message +
            QCoreApplication::translate("Messages", " The job was not run. Correct it in the options."));
    return Status::success();
}

Astrocalls::Astrocalls(const TSettings &settings, const DerivedValues &derived, AstrologRunner &runner)
    : mSettings(settings), mDerived(derived), mRunner(runner)
{
}

const QString &Astrocalls::folder() const
{
    return mRunner.folder();
}

QString Astrocalls::filePath(const QString &name) const
{
    return mRunner.filePath(name);
}

Status Astrocalls::writeJob(JobKind kind, const JobArgs &args)
{
    JobArgs checked = args;
    // With the system's zone the zone text is not written, so it cannot break the file.
    if (mSettings.TimeMode == 2)
        checked.zone.clear();
    if (const Status status = checkJobText(checked); !status)
        return status;
    if (!args.date.isValid() || !args.time.isValid())
        return Status::failure(QCoreApplication::translate(
            "Messages", "The job's date or time is not valid; the job was not run."));

    return writeWorkFileIn(folder(), QString::fromLatin1(JobFileName),
                           joinCrLf(jobLines(kind, args, mSettings, mDerived).lines), WorkFile::Scratch);
}

Status Astrocalls::run(JobKind kind, const JobArgs &args)
{
    if (const Status status = writeJob(kind, args); !status)
        return status;
    mRunner.RunAstrolog();
    return Status::success();
}

Status Astrocalls::ChartJob(const QString &zone, const QString &longitude, const QString &latitude,
                            const QDateTime &date, QTime time)
{
    return run(JobKind::Chart, {zone, longitude, latitude, date, time, {}});
}

Status Astrocalls::WheelJob(const QString &zone, const QString &longitude, const QString &latitude,
                            const QDateTime &date, QTime time)
{
    return run(JobKind::Wheel, {zone, longitude, latitude, date, time, {}});
}

Status Astrocalls::AspectsJob(const QString &zone, const QString &longitude, const QString &latitude,
                              const QDateTime &date, QTime time)
{
    return run(JobKind::Aspects, {zone, longitude, latitude, date, time, {}});
}

Status Astrocalls::RiseSetJob(const QString &zone, const QString &longitude, const QString &latitude,
                              const QDateTime &date, QTime time, const QString &reportName)
{
    return run(JobKind::RiseSet, {zone, longitude, latitude, date, time, reportName});
}

Status Astrocalls::MonthCalendarJob(const QString &zone, const QString &longitude, const QString &latitude,
                                    const QDateTime &date, QTime time)
{
    return run(JobKind::MonthCalendar, {zone, longitude, latitude, date, time, {}});
}

Status Astrocalls::YearCalendarJob(const QString &zone, const QString &longitude, const QString &latitude,
                                   const QDateTime &date, QTime time)
{
    return run(JobKind::YearCalendar, {zone, longitude, latitude, date, time, {}});
}

} // namespace orlam
