#include "hours/hoursspan.h"

#include "astrocalls/scratchjobs.h"
#include "common/clocktime.h"
#include "hours/planets.h"
#include "hours/riseset.h"
#include "settings/settings.h"
#include "settings/zonetext.h"
#include "shared/risesetformat.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace orlam {

namespace {

constexpr qint64 SecsPerHour = 3600;
constexpr qint64 SecsPerDay = 24 * SecsPerHour;
// A day and a night together: the next sunrise comes within this of the sunrise.
constexpr qint64 MaxDayAndNightSecs = 30 * SecsPerHour;
// Days of reports beyond each end of the span: enough for a place whose zone lies up to a day
// away from the job's clock, and for the next sunrise after the last day's sunset.
constexpr int MarginDays = 2;
constexpr int MaxSpanDays = riseset::MaxSpanDays - 2 * MarginDays;

const QString SunName = QStringLiteral("Sun");
const QString MoonName = QStringLiteral("Moon");
const QString RisesWord = QStringLiteral("rises");
const QString SetsWord = QStringLiteral("sets");

// The Sun's rises and sets in time order, each rise with its local date.
struct SunEvents {
    std::vector<QDateTime> rises, sets;
    std::vector<QDate> riseDates;
};

SunEvents sunEvents(const QList<HorizonInstant> &events, const QTimeZone &zone)
{
    SunEvents sun;
    for (const HorizonInstant &e : events) {
        if (e.body != SunName)
            continue;
        if (e.word == RisesWord) {
            sun.rises.push_back(e.utc);
            sun.riseDates.push_back(placeClock(e.utc, zone).date());
        } else if (e.word == SetsWord) {
            sun.sets.push_back(e.utc);
        }
    }
    return sun;
}

// The first of `times` (in order) after `from`, or an invalid instant.
QDateTime firstAfter(const std::vector<QDateTime> &times, const QDateTime &from)
{
    const auto found = std::upper_bound(times.begin(), times.end(), from);
    return found == times.end() ? QDateTime() : *found;
}

std::array<PlanetHour, 12> divide(const QDateTime &from, const QDateTime &to, int firstRuler, bool night,
                                  QDate baseDay)
{
    const qint64 begin = from.toMSecsSinceEpoch();
    const qint64 length = to.toMSecsSinceEpoch() - begin;
    std::array<PlanetHour, 12> hours;
    for (int k = 0; k < 12; ++k) {
        PlanetHour &hour = hours[static_cast<std::size_t>(k)];
        hour.startUtc = k == 0 ? QDateTime::fromMSecsSinceEpoch(begin, Qt::UTC)
                               : hours[static_cast<std::size_t>(k - 1)].endUtc;
        hour.endUtc = k == 11 ? to : QDateTime::fromMSecsSinceEpoch(begin + length * (k + 1) / 12, Qt::UTC);
        hour.ruler = (firstRuler + k) % PlanetCycleLength;
        hour.night = night;
        hour.number = k;
        hour.baseDay = baseDay;
    }
    return hours;
}

BaseDayHours baseDayHours(QDate date, const SunEvents &sun)
{
    BaseDayHours day;
    day.date = date;
    const auto rise = std::find(sun.riseDates.begin(), sun.riseDates.end(), date);
    if (rise == sun.riseDates.end()) {
        day.noHours = NoHours::NoSunrise;
        return day;
    }
    day.sunRise = sun.rises[static_cast<std::size_t>(rise - sun.riseDates.begin())];
    day.sunSet = firstAfter(sun.sets, day.sunRise);
    const QDateTime riseAgain = firstAfter(sun.rises, day.sunRise);
    if (!day.sunSet.isValid() || (riseAgain.isValid() && riseAgain < day.sunSet) ||
        day.sunRise.secsTo(day.sunSet) >= MaxDayAndNightSecs) {
        day.sunSet = QDateTime();
        day.noHours = NoHours::NoSunset;
        return day;
    }
    day.nextSunRise = riseAgain;
    if (!day.nextSunRise.isValid() || day.sunRise.secsTo(day.nextSunRise) >= MaxDayAndNightSecs) {
        day.nextSunRise = QDateTime();
        day.noHours = NoHours::NoSunrise;
        return day;
    }
    day.noHours = NoHours::None;
    const int first = firstRulerOfDay(date.dayOfWeek());
    const auto light = divide(day.sunRise, day.sunSet, first, false, date);
    const auto dark = divide(day.sunSet, day.nextSunRise, first + 12, true, date);
    std::copy(light.begin(), light.end(), day.hours.begin());
    std::copy(dark.begin(), dark.end(), day.hours.begin() + 12);
    return day;
}

// The ASCII digits text[at .. at + count) as a number; -1 when one of them is not a digit.
int asciiNumber(QStringView text, qsizetype at, qsizetype count)
{
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The seconds field "07:04:27" as a time of day; invalid when the field is not there or does not
// read.
QTime secondsField(const QString &line)
{
    if (line.size() < riseset::SecondsColumn + riseset::SecondsWidth)
        return {};
    const QStringView field = QStringView(line).mid(riseset::SecondsColumn, riseset::SecondsWidth);
    const int hour = asciiNumber(field, 0, 2);
    const int minute = asciiNumber(field, 3, 2);
    const int second = asciiNumber(field, 6, 2);
    if (hour >= 0 && minute >= 0 && second >= 0 && field[2] == QLatin1Char(':') &&
        field[5] == QLatin1Char(':'))
        return QTime(hour, minute, second);
    // Digits of other scripts, as the pattern reads them.
    static const QRegularExpression secondsPattern(QStringLiteral("^(\\d\\d):(\\d\\d):(\\d\\d)$"));
    const QRegularExpressionMatch match = secondsPattern.match(field);
    if (!match.hasMatch())
        return {};
    return QTime(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
}

// The exact time of the seconds field, on the day that puts it nearest the line's own minute.
QDateTime withSeconds(const QDateTime &minute, const QString &line)
{
    const QTime time = secondsField(line);
    if (!time.isValid())
        return {};
    QDateTime exact = clockTime(minute.date(), time);
    const qint64 off = minute.secsTo(exact);
    if (off > SecsPerDay / 2)
        exact = exact.addDays(-1);
    else if (off < -SecsPerDay / 2)
        exact = exact.addDays(1);
    return exact;
}

// The line's date and minute as the engine writes them, "(Sun) 3/14/2027  7:04am": numbers of
// ASCII digits, blank-padded. Nothing when the fields have another shape; ReportLineMoment()
// then reads them, as it reads every line of another source.
std::optional<QDateTime> engineLineMoment(const QString &line, bool dayFirst)
{
    if (line.size() < riseset::TimeColumn + riseset::TimeWidth)
        return std::nullopt;
    // The date: up to four digits, a separator, up to two digits, a separator, four digits.
    std::array<int, 3> parts{};
    std::size_t part = 0;
    int digits = 0;
    bool separated = false;
    for (qsizetype i = riseset::DateColumn; i < riseset::DateColumn + riseset::DateWidth; ++i) {
        const char16_t c = line.at(i).unicode();
        if (c == ' ')
            continue;
        if (c >= '0' && c <= '9') {
            if (separated) {
                if (++part > 2)
                    return std::nullopt;
                separated = false;
                digits = 0;
            }
            parts[part] = parts[part] * 10 + (c - '0');
            ++digits;
        } else if (c == '/' || c == '-') {
            if (digits == 0 || separated)
                return std::nullopt;
            if ((part == 0 && digits > 4) || (part == 1 && digits > 2))
                return std::nullopt;
            separated = true;
        } else {
            return std::nullopt;
        }
    }
    if (part != 2 || separated || digits != 4)
        return std::nullopt;
    const QDate day(parts[2], dayFirst ? parts[1] : parts[0], dayFirst ? parts[0] : parts[1]);
    // The time: " 7:04am" or "11:59pm".
    const QStringView time = QStringView(line).mid(riseset::TimeColumn, riseset::TimeWidth);
    const int hour12 = time[0] == QLatin1Char(' ') ? asciiNumber(time, 1, 1) : asciiNumber(time, 0, 2);
    const int minute = asciiNumber(time, 3, 2);
    const QStringView half = time.mid(5, 2);
    const bool am = half == QLatin1String("am");
    if (time[2] != QLatin1Char(':') || minute < 0 || hour12 < 0 || (!am && half != QLatin1String("pm")))
        return std::nullopt;
    if (!day.isValid() || hour12 < 1 || hour12 > 12)
        return std::nullopt;
    const QTime clock(hour12 % 12 + (am ? 0 : 12), minute);
    if (!clock.isValid())
        return std::nullopt;
    return clockTime(day, clock);
}

// Which programs took the span and seconds switches when last asked.
QHash<QString, bool> &spanSupport()
{
    static QHash<QString, bool> known;
    return known;
}

ScratchJob riseSetJob(const TSettings &settings, const HoursPlace &place, QDate date, HorizonBodies bodies)
{
    ScratchJob job;
    job.kind = JobKind::RiseSet;
    const QTime noon(12, 0);
    job.args = {settings.TimeZone,
                place.longitude,
                place.latitude,
                clockTime(date, noon),
                noon,
                QStringLiteral("riseset.txt")};
    if (bodies == HorizonBodies::SunAndMoon)
        job.extraLines << QStringLiteral("/R0 sun moo");
    return job;
}

void gather(const std::vector<ScratchReport> &reports, bool dayFirst, QList<HorizonInstant> *events)
{
    for (const ScratchReport &report : reports) {
        if (!report.lines || !report.clockHoursWest)
            continue;
        for (const QString &line : *report.lines) {
            if (std::optional<HorizonInstant> e = readHorizonLine(line, *report.clockHoursWest, dayFirst))
                events->append(*e);
        }
    }
}

bool hasSeconds(const std::vector<ScratchReport> &reports)
{
    for (const ScratchReport &report : reports) {
        if (!report.lines)
            continue;
        for (const QString &line : *report.lines)
            if (withSeconds(clockTime(QDate(2000, 1, 1)), line).isValid())
                return true;
    }
    return false;
}

} // namespace

QTimeZone placeZone(const TSettings &settings, const QTimeZone &computerZone)
{
    if (const QTimeZone named = settingsZone(settings); named.isValid())
        return named;
    if (settings.TimeMode == 2 && computerZone.isValid())
        return computerZone;
    if (const std::optional<double> west = zoneHoursWest(settings.TimeZone.trimmed())) {
        const double clockWest = *west - (settings.TimeMode == 1 ? 1.0 : 0.0);
        return QTimeZone(static_cast<int>(std::lround(-clockWest * SecsPerHour)));
    }
    return computerZone.isValid() ? computerZone : QTimeZone::utc();
}

HoursPlace settingsPlace(const TSettings &settings, const QTimeZone &computerZone)
{
    return {settings.Longitude, settings.Latitude, placeZone(settings, computerZone)};
}

QString noHoursText(NoHours why)
{
    switch (why) {
    case NoHours::None:
        break;
    case NoHours::NoSunrise:
        return QStringLiteral("no sunrise");
    case NoHours::NoSunset:
        return QStringLiteral("no sunset");
    }
    return {};
}

std::optional<HorizonInstant> readHorizonLine(const QString &line, double clockHoursWest, bool dayFirst)
{
    // Shared texts: a year's span holds thousands of events of a few bodies and four words.
    static const std::array<QString, riseset::EventWords.size()> words = [] {
        std::array<QString, riseset::EventWords.size()> texts;
        for (std::size_t i = 0; i < texts.size(); ++i)
            texts[i] = QLatin1String(riseset::EventWords[i]);
        return texts;
    }();
    // Where `word` (ASCII) first stands in the line, or -1: the lines are short and the words
    // few, and a plain scan takes a fraction of a general search.
    const auto firstIndex = [&line](const QString &word) -> qsizetype {
        const char16_t *text = reinterpret_cast<const char16_t *>(line.constData());
        const char16_t *sought = reinterpret_cast<const char16_t *>(word.constData());
        const qsizetype length = word.size();
        for (qsizetype at = 0; at + length <= line.size(); ++at) {
            if (text[at] == sought[0] && std::equal(sought + 1, sought + length, text + at + 1))
                return at;
        }
        return -1;
    };
    const QString *word = nullptr;
    for (const QString &candidate : words) {
        if (firstIndex(candidate) >= riseset::WordColumn) {
            word = &candidate;
            break;
        }
    }
    const QStringView bodyField = QStringView(line).mid(riseset::BodyColumn, riseset::BodyWidth).trimmed();
    if (!word || bodyField.isEmpty())
        return std::nullopt;
    std::optional<QDateTime> minute = engineLineMoment(line, dayFirst);
    if (!minute)
        minute = ReportLineMoment(line, dayFirst);
    if (!minute)
        return std::nullopt;
    const QDateTime exact = withSeconds(*minute, line);
    const QDateTime clock = exact.isValid() ? exact : *minute;
    HorizonInstant event;
    event.utc = QDateTime(clock.date(), clock.time(), Qt::UTC)
                    .addSecs(std::llround(clockHoursWest * static_cast<double>(SecsPerHour)));
    event.body = bodyField == SunName ? SunName : bodyField == MoonName ? MoonName : bodyField.toString();
    event.word = *word;
    return event;
}

const BaseDayHours *HoursSpan::day(QDate date) const
{
    for (const BaseDayHours &d : mDays)
        if (d.date == date)
            return &d;
    return nullptr;
}

QList<HorizonInstant> HoursSpan::eventsOn(QDate date) const
{
    QList<HorizonInstant> on;
    for (const HorizonInstant &e : mEvents)
        if (placeClock(e.utc, mPlace.zone).date() == date)
            on.append(e);
    return on;
}

std::optional<PlanetHour> HoursSpan::hourAt(const QDateTime &utc) const
{
    for (const BaseDayHours &d : mDays) {
        if (!d.valid() || utc < d.sunRise || utc >= d.nextSunRise)
            continue;
        for (const PlanetHour &hour : d.hours)
            if (hour.contains(utc))
                return hour;
    }
    return std::nullopt;
}

const BaseDayHours *HoursSpan::baseDayAt(const QDateTime &utc) const
{
    for (const BaseDayHours &d : mDays)
        if (d.valid() && d.sunRise <= utc && utc < d.nextSunRise)
            return &d;
    // Before the day's sunrise the night is the day before's.
    const QDate date = placeClock(utc, mPlace.zone).date();
    const BaseDayHours *found = day(date);
    if (found && found->sunRise.isValid() && utc < found->sunRise && day(date.addDays(-1)))
        return day(date.addDays(-1));
    return found;
}

HoursSpan HoursSpan::fromEvents(const HoursPlace &place, QDate first, QDate last,
                                QList<HorizonInstant> events)
{
    HoursSpan span;
    span.mPlace = place;
    span.mFirst = first;
    span.mLast = last;
    // In time order. A year's span holds thousands of events: valid instants are sorted on their
    // milliseconds, which compare at a fraction of the cost.
    if (std::all_of(events.cbegin(), events.cend(),
                    [](const HorizonInstant &e) { return e.utc.isValid(); })) {
        std::vector<std::pair<qint64, qsizetype>> order;
        order.reserve(static_cast<std::size_t>(events.size()));
        for (qsizetype i = 0; i < events.size(); ++i)
            order.emplace_back(events.at(i).utc.toMSecsSinceEpoch(), i);
        std::stable_sort(order.begin(), order.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        QList<HorizonInstant> sorted;
        sorted.reserve(events.size());
        for (const auto &entry : order)
            sorted.append(std::move(events[entry.second]));
        events = std::move(sorted);
    } else {
        std::stable_sort(events.begin(), events.end(),
                         [](const HorizonInstant &a, const HorizonInstant &b) { return a.utc < b.utc; });
    }
    // Reports of neighbouring days may both hold an event near their common edge: the same body
    // and word within a minute count once.
    for (const HorizonInstant &e : events) {
        bool seen = false;
        for (auto k = span.mEvents.crbegin(); k != span.mEvents.crend() && k->utc.secsTo(e.utc) < 60; ++k)
            seen = seen || (k->body == e.body && k->word == e.word);
        if (!seen)
            span.mEvents.append(e);
    }
    const SunEvents sun = sunEvents(span.mEvents, place.zone);
    if (first.isValid() && last.isValid())
        for (QDate date = first.addDays(-1); date <= last; date = date.addDays(1))
            span.mDays.push_back(baseDayHours(date, sun));
    return span;
}

Status fetchHoursSpan(ScratchJobs &jobs, const HoursPlace &place, QDate first, QDate last, HoursSpan *span,
                      HorizonBodies bodies, const std::vector<ScratchJob> &alongside,
                      std::vector<ScratchReport> *alongsideReports)
{
    if (!first.isValid() || !last.isValid() || last < first || first.daysTo(last) >= MaxSpanDays)
        return Status::failure(QCoreApplication::translate(
                                   "Messages", "The range of days must run forward and hold at most %1 days.")
                                   .arg(MaxSpanDays));
    if (!place.zone.isValid())
        return Status::failure(QCoreApplication::translate("Messages", "The place has no valid time zone."));
    const QDate from = first.addDays(-MarginDays);
    const int days = static_cast<int>(from.daysTo(last.addDays(MarginDays))) + 1;
    const TSettings &settings = jobs.settings();
    QList<HorizonInstant> events;
    std::vector<ScratchReport> reports;
    bool alongsideDone = false;
    const auto keepAlongside = [&](std::vector<ScratchReport>::const_iterator begin) {
        if (alongsideReports)
            alongsideReports->assign(begin, reports.cend());
        alongsideDone = true;
    };

    // One job for the whole span when the engine takes the span and seconds switches, run
    // beside the caller's other jobs.
    auto &known = spanSupport();
    const auto support = known.constFind(jobs.program());
    if (support == known.cend() || *support) {
        ScratchJob job = riseSetJob(settings, place, from, bodies);
        job.extraLines << QStringLiteral("%1 %2").arg(QLatin1String(riseset::SpanSwitch)).arg(days)
                       << QLatin1String(riseset::SecondsSwitch);
        std::vector<ScratchJob> all{job};
        all.insert(all.end(), alongside.begin(), alongside.end());
        if (const Status status = jobs.run(all, &reports); status) {
            keepAlongside(reports.cbegin() + 1);
            reports.resize(1);
            const bool empty = !reports.front().lines || reports.front().lines->isEmpty();
            const bool seconds = hasSeconds(reports);
            if (!empty)
                known.insert(jobs.program(), seconds);
            // A report without events (the poles in their night) tells nothing about the engine.
            if (seconds || (empty && known.value(jobs.program(), false))) {
                gather(reports, false, &events);
                *span = HoursSpan::fromEvents(place, first, last, events);
                return Status::success();
            }
        }
        // An engine that refuses the switches, or that ignored them, gets the standard jobs.
        reports.clear();
    }
    if (!alongsideDone && !alongside.empty()) {
        if (Status status = jobs.run(alongside, &reports); !status)
            return status;
        keepAlongside(reports.cbegin());
        reports.clear();
    }

    std::vector<ScratchJob> perDay;
    for (int i = 0; i < days; ++i)
        perDay.push_back(riseSetJob(settings, place, from.addDays(i), bodies));
    if (Status status = jobs.run(perDay, &reports); !status)
        return status;
    gather(reports, false, &events);
    *span = HoursSpan::fromEvents(place, first, last, events);
    return Status::success();
}

QDateTime placeClock(const QDateTime &utc, const QTimeZone &zone)
{
    return utc.toTimeZone(zone);
}

QDateTime placeMinute(const QDateTime &utc, const QTimeZone &zone)
{
    constexpr qint64 minute = 60 * 1000;
    const qint64 shifted = utc.toMSecsSinceEpoch() + minute / 2;
    const qint64 floorMinutes = shifted / minute - (shifted % minute < 0 ? 1 : 0);
    return QDateTime::fromMSecsSinceEpoch(floorMinutes * minute, zone);
}

} // namespace orlam
