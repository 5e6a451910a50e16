#include "hours/hoursspan.h"

#include "astrocalls/scratchjobs.h"
#include "common/clocktime.h"
#include "common/westerntext.h"
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
#include <cstring>
#include <string_view>

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

// The event words as texts shared by every event: a year's span holds thousands of events of a
// few bodies and four words.
const QString &eventWordText(int index)
{
    static const std::array<QString, riseset::EventWords.size()> words = [] {
        std::array<QString, riseset::EventWords.size()> texts;
        for (std::size_t i = 0; i < texts.size(); ++i)
            texts[i] = QLatin1String(riseset::EventWords[i]);
        return texts;
    }();
    return words[static_cast<std::size_t>(index)];
}

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
            // The zone's offset at the instant gives its local date as placeClock() would,
            // without a date-time in the zone made for each.
            const qint64 local = e.utc.toMSecsSinceEpoch() + qint64(zone.offsetFromUtc(e.utc)) * 1000;
            sun.riseDates.push_back(QDateTime::fromMSecsSinceEpoch(local, Qt::UTC).date());
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

// The twelve hours from `from` to `to`, written to hours[0..11].
void divide(const QDateTime &from, const QDateTime &to, int firstRuler, bool night, QDate baseDay,
            PlanetHour *hours)
{
    const qint64 begin = from.toMSecsSinceEpoch();
    const qint64 length = to.toMSecsSinceEpoch() - begin;
    for (int k = 0; k < 12; ++k) {
        PlanetHour &hour = hours[k];
        hour.startUtc = k == 0 ? QDateTime::fromMSecsSinceEpoch(begin, Qt::UTC) : hours[k - 1].endUtc;
        hour.endUtc = k == 11 ? to : QDateTime::fromMSecsSinceEpoch(begin + length * (k + 1) / 12, Qt::UTC);
        hour.ruler = (firstRuler + k) % PlanetCycleLength;
        hour.night = night;
        hour.number = k;
        hour.baseDay = baseDay;
    }
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
    divide(day.sunRise, day.sunSet, first, false, date, day.hours.data());
    divide(day.sunSet, day.nextSunRise, first + 12, true, date, day.hours.data() + 12);
    return day;
}

// A report line's character as a number: a byte of the report (Western code page), or a UTF-16
// code unit of its text. The two agree on ASCII, and the readers below look for nothing else.
inline char16_t unitOf(char16_t c)
{
    return c;
}
inline char16_t unitOf(char c)
{
    return static_cast<unsigned char>(c);
}

// The ASCII digits text[at .. at + count) as a number; -1 when one of them is not a digit.
template <typename Char> int asciiNumber(const Char *text, qsizetype at, qsizetype count)
{
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char16_t c = unitOf(text[i]);
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Where the ASCII `word` first stands in the line, or -1.
qsizetype firstIndex(const char16_t *text, qsizetype size, std::string_view word)
{
    const auto length = static_cast<qsizetype>(word.size());
    for (qsizetype at = 0; at + length <= size; ++at) {
        qsizetype i = 0;
        while (i < length && text[at + i] == static_cast<unsigned char>(word[static_cast<std::size_t>(i)]))
            ++i;
        if (i == length)
            return at;
    }
    return -1;
}

qsizetype firstIndex(const char *text, qsizetype size, std::string_view word)
{
    const std::size_t at = std::string_view(text, static_cast<std::size_t>(size)).find(word);
    return at == std::string_view::npos ? -1 : static_cast<qsizetype>(at);
}

// Which of the event words the line holds: the first of them whose first place in the line is
// at or after the word column; -1 for none.
template <typename Char> int eventWordIndex(const Char *text, qsizetype size)
{
    for (std::size_t w = 0; w < riseset::EventWords.size(); ++w) {
        if (firstIndex(text, size, riseset::EventWords[w]) >= riseset::WordColumn)
            return static_cast<int>(w);
    }
    return -1;
}

// What the seconds field gives besides seconds into the day (0..86399).
constexpr int NoSecondsField = -1;    // the line ends before it, or it holds no time of day
constexpr int OtherSecondsField = -2; // not "hh:mm:ss" in ASCII digits: the general pattern decides

// The seconds field "07:04:27" of ASCII digits as seconds into the day.
template <typename Char> int asciiSecondsField(const Char *line, qsizetype size)
{
    if (size < riseset::SecondsColumn + riseset::SecondsWidth)
        return NoSecondsField;
    const Char *field = line + riseset::SecondsColumn;
    const int hour = asciiNumber(field, 0, 2);
    const int minute = asciiNumber(field, 3, 2);
    const int second = asciiNumber(field, 6, 2);
    if (hour < 0 || minute < 0 || second < 0 || unitOf(field[2]) != ':' || unitOf(field[5]) != ':')
        return OtherSecondsField;
    if (hour > 23 || minute > 59 || second > 59)
        return NoSecondsField;
    return static_cast<int>(hour * SecsPerHour + minute * 60 + second);
}

// The seconds field "07:04:27" as a time of day; invalid when the field is not there or does not
// read.
QTime secondsField(const QString &line)
{
    const int secs = asciiSecondsField(reinterpret_cast<const char16_t *>(line.utf16()), line.size());
    if (secs >= 0)
        return QTime::fromMSecsSinceStartOfDay(secs * 1000);
    if (secs == NoSecondsField)
        return {};
    // Digits of other scripts, as the pattern reads them.
    const QStringView field = QStringView(line).mid(riseset::SecondsColumn, riseset::SecondsWidth);
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

// Where the line that starts at `start` ends: at its first CR or LF, or at `size`.
qsizetype lineEnd(const char *text, qsizetype start, qsizetype size)
{
    const char *from = text + start;
    const char *limit = text + size;
    if (const void *lf = std::memchr(from, '\n', static_cast<std::size_t>(limit - from)))
        limit = static_cast<const char *>(lf);
    if (const void *cr = std::memchr(from, '\r', static_cast<std::size_t>(limit - from)))
        limit = static_cast<const char *>(cr);
    return limit - text;
}

// The Julian day of 1970-01-01.
constexpr qint64 UnixEpochJulianDay = 2440588;

// The line's date and minute as the engine writes them, "(Sun) 3/14/2027  7:04am": numbers of
// ASCII digits, blank-padded, as seconds since 1970 on the job's clock. Nothing when the fields
// have another shape; ReportLineMoment() then reads them, as it reads every line of another
// source.
template <typename Char> std::optional<qint64> engineLineSecs(const Char *line, qsizetype size, bool dayFirst)
{
    if (size < riseset::TimeColumn + riseset::TimeWidth)
        return std::nullopt;
    // The date: up to four digits, a separator, up to two digits, a separator, four digits.
    std::array<int, 3> parts{};
    std::size_t part = 0;
    int digits = 0;
    bool separated = false;
    for (qsizetype i = riseset::DateColumn; i < riseset::DateColumn + riseset::DateWidth; ++i) {
        const char16_t c = unitOf(line[i]);
        if (c == ' ')
            continue;
        if (c >= '0' && c <= '9') {
            if (separated) {
                if (++part > 2)
                    return std::nullopt;
                separated = false;
                digits = 0;
            }
            // No number of the date has more than four digits: a longer run never reads.
            if (++digits > 4)
                return std::nullopt;
            parts[part] = parts[part] * 10 + (c - '0');
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
    const Char *time = line + riseset::TimeColumn;
    const int hour12 = unitOf(time[0]) == ' ' ? asciiNumber(time, 1, 1) : asciiNumber(time, 0, 2);
    const int minute = asciiNumber(time, 3, 2);
    const bool am = unitOf(time[5]) == 'a' && unitOf(time[6]) == 'm';
    const bool pm = unitOf(time[5]) == 'p' && unitOf(time[6]) == 'm';
    if (unitOf(time[2]) != ':' || minute < 0 || hour12 < 0 || (!am && !pm))
        return std::nullopt;
    if (!day.isValid() || hour12 < 1 || hour12 > 12 || minute > 59)
        return std::nullopt;
    const int hour = hour12 % 12 + (am ? 0 : 12);
    return (day.toJulianDay() - UnixEpochJulianDay) * SecsPerDay + hour * SecsPerHour + minute * 60;
}

std::optional<QDateTime> engineLineMoment(const QString &line, bool dayFirst)
{
    const std::optional<qint64> secs =
        engineLineSecs(reinterpret_cast<const char16_t *>(line.utf16()), line.size(), dayFirst);
    if (!secs)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(*secs * 1000, Qt::UTC);
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
        if (report.bytes && report.clockHoursWest)
            readHorizonReport(*report.bytes, *report.clockHoursWest, dayFirst, events);
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
        if (report.bytes) {
            const QByteArray &bytes = *report.bytes;
            for (qsizetype start = 0; start < bytes.size();) {
                const qsizetype end = lineEnd(bytes.constData(), start, bytes.size());
                const int seconds = asciiSecondsField(bytes.constData() + start, end - start);
                if (seconds >= 0 || (seconds == OtherSecondsField &&
                                     secondsField(fromWestern(bytes.mid(start, end - start))).isValid()))
                    return true;
                start = end + 1;
            }
        }
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
    const int word = eventWordIndex(reinterpret_cast<const char16_t *>(line.utf16()), line.size());
    const QStringView bodyField = QStringView(line).mid(riseset::BodyColumn, riseset::BodyWidth).trimmed();
    if (word < 0 || bodyField.isEmpty())
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
    event.word = eventWordText(word);
    return event;
}

std::optional<HorizonInstant> readHorizonLine(QByteArrayView line, double clockHoursWest, bool dayFirst)
{
    // The engine's own shape is read here from the bytes; any other goes through the text reader,
    // which reads it the same from the line's text.
    const auto asText = [&] {
        return readHorizonLine(fromWestern(line.toByteArray()), clockHoursWest, dayFirst);
    };
    const char *text = line.data();
    const qsizetype size = line.size();
    const int word = eventWordIndex(text, size);
    qsizetype bodyBegin = std::min<qsizetype>(riseset::BodyColumn, size);
    qsizetype bodyEnd = std::min<qsizetype>(riseset::BodyColumn + riseset::BodyWidth, size);
    for (qsizetype i = bodyBegin; i < bodyEnd; ++i) {
        if (unitOf(text[i]) >= 0x80)
            return asText();
    }
    const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (bodyBegin < bodyEnd && blank(text[bodyBegin]))
        ++bodyBegin;
    while (bodyEnd > bodyBegin && blank(text[bodyEnd - 1]))
        --bodyEnd;
    if (word < 0 || bodyBegin == bodyEnd)
        return std::nullopt;
    const std::optional<qint64> minute = engineLineSecs(text, size, dayFirst);
    const int seconds = asciiSecondsField(text, size);
    if (!minute || seconds == OtherSecondsField)
        return asText();
    qint64 clock = *minute;
    if (seconds >= 0) {
        // On the day that puts the exact time nearest the line's own minute.
        const qint64 dayStart = *minute - ((*minute % SecsPerDay) + SecsPerDay) % SecsPerDay;
        clock = dayStart + seconds;
        if (clock - *minute > SecsPerDay / 2)
            clock -= SecsPerDay;
        else if (clock - *minute < -SecsPerDay / 2)
            clock += SecsPerDay;
    }
    const qint64 utc = clock + std::llround(clockHoursWest * static_cast<double>(SecsPerHour));
    const QLatin1String body(text + bodyBegin, bodyEnd - bodyBegin);
    HorizonInstant event;
    event.utc = QDateTime::fromMSecsSinceEpoch(utc * 1000, Qt::UTC);
    event.body = body == SunName ? SunName : body == MoonName ? MoonName : QString(body);
    event.word = eventWordText(word);
    return event;
}

void readHorizonReport(QByteArrayView report, double clockHoursWest, bool dayFirst,
                       QList<HorizonInstant> *events)
{
    // Lines end at CR LF, LF or CR, as the text reader splits them.
    const char *text = report.data();
    const qsizetype size = report.size();
    events->reserve(events->size() + size / riseset::SecondsColumn);
    qsizetype start = 0;
    while (start < size) {
        const qsizetype end = lineEnd(text, start, size);
        if (std::optional<HorizonInstant> e =
                readHorizonLine(QByteArrayView(text + start, end - start), clockHoursWest, dayFirst))
            events->append(std::move(*e));
        start = end + (end + 1 < size && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
    }
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
    span.mEvents.reserve(events.size());
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
        // Reports of neighbouring days may both hold an event near their common edge: the same
        // body and word within a minute count once.
        std::vector<qint64> kept; // the milliseconds of span.mEvents
        kept.reserve(order.size());
        for (const auto &[msecs, index] : order) {
            HorizonInstant &e = events[index];
            bool seen = false;
            for (std::size_t k = kept.size(); k > 0 && msecs - kept[k - 1] < 60 * 1000; --k) {
                const HorizonInstant &before = span.mEvents.at(static_cast<qsizetype>(k - 1));
                seen = seen || (before.body == e.body && before.word == e.word);
            }
            if (!seen) {
                kept.push_back(msecs);
                span.mEvents.append(std::move(e));
            }
        }
    } else {
        std::stable_sort(events.begin(), events.end(),
                         [](const HorizonInstant &a, const HorizonInstant &b) { return a.utc < b.utc; });
        for (const HorizonInstant &e : events) {
            bool seen = false;
            for (auto k = span.mEvents.crbegin(); k != span.mEvents.crend() && k->utc.secsTo(e.utc) < 60; ++k)
                seen = seen || (k->body == e.body && k->word == e.word);
            if (!seen)
                span.mEvents.append(e);
        }
    }
    const SunEvents sun = sunEvents(span.mEvents, place.zone);
    if (first.isValid() && last.isValid()) {
        span.mDays.reserve(static_cast<std::size_t>(std::max<qint64>(first.daysTo(last) + 2, 0)));
        for (QDate date = first.addDays(-1); date <= last; date = date.addDays(1))
            span.mDays.push_back(baseDayHours(date, sun));
    }
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
        job.reportBytes = true;
        job.extraLines << QStringLiteral("%1 %2").arg(QLatin1String(riseset::SpanSwitch)).arg(days)
                       << QLatin1String(riseset::SecondsSwitch);
        std::vector<ScratchJob> all{job};
        all.insert(all.end(), alongside.begin(), alongside.end());
        // The span's report is read as soon as it is in, while the jobs alongside may still run.
        bool seconds = false;
        std::optional<HoursSpan> early;
        const auto spanIn = [&](std::size_t index) {
            if (index != 0)
                return;
            const std::vector<ScratchReport> spanReport{reports.front()};
            seconds = hasSeconds(spanReport);
            if (seconds) {
                gather(spanReport, false, &events);
                early = HoursSpan::fromEvents(place, first, last, std::move(events));
            }
        };
        if (const Status status = jobs.run(all, &reports, spanIn); status) {
            keepAlongside(reports.cbegin() + 1);
            reports.resize(1);
            const bool empty = !reports.front().bytes || reports.front().bytes->isEmpty();
            if (!empty)
                known.insert(jobs.program(), seconds);
            if (early) {
                *span = std::move(*early);
                return Status::success();
            }
            // A report without events (the poles in their night) tells nothing about the engine.
            if (empty && known.value(jobs.program(), false)) {
                *span = HoursSpan::fromEvents(place, first, last, {});
                return Status::success();
            }
        }
        events.clear();
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
