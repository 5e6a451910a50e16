#include "reports/icalwriter.h"

#include "hours/hoursspan.h"
#include "settings/settings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace orlam {

namespace {

constexpr int MaxLineOctets = 75; // RFC 5545, 3.1: longer content lines are folded

constexpr qint64 MSecsPerMinute = 60 * 1000;
constexpr qint64 MinutesPerDay = 24 * 60;

qint64 floorDivide(qint64 value, qint64 divisor)
{
    return value / divisor - (value % divisor < 0 ? 1 : 0);
}

// The proleptic Gregorian date `days` days after 1970-01-01 (days from civil dates, inverted;
// valid for any year an instant can hold).
void civilDate(qint64 days, qint64 *year, int *month, int *day)
{
    const qint64 z = days + 719468;
    const qint64 era = floorDivide(z, 146097);
    const qint64 dayOfEra = z - era * 146097;
    const qint64 yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 shiftedMonth = (5 * dayOfYear + 2) / 153; // March 0 .. February 11
    *day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    *month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    *year = yearOfEra + era * 400 + (*month <= 2 ? 1 : 0);
}

// Writes `value` as `width` decimal digits at `to`; gives the position after them.
char *putDigits(char *to, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        to[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return to + width;
}

// The most octets putUtc() writes.
constexpr std::size_t UtcRoom = 32;

// Writes "20260615T141200Z" at `to`, with `seconds` false "20260615T1412Z"; gives the position
// after it. Times are given to the nearest minute (half a minute up), as everywhere they are
// shown. A year's export writes some thirty thousand of them: the arithmetic is done on the
// instant's milliseconds, and `cache` (when given) keeps the last minute's and day's text.
char *putUtc(char *to, qint64 msecs, bool seconds, ICalendarWriter::DateCache *cache = nullptr)
{
    const qint64 minutes = floorDivide(msecs + MSecsPerMinute / 2, MSecsPerMinute);
    if (cache && cache->minutes == minutes) {
        to = std::copy(cache->text, cache->text + cache->minuteSize, to);
    } else {
        const qint64 days = floorDivide(minutes, MinutesPerDay);
        const int minuteOfDay = static_cast<int>(minutes - days * MinutesPerDay);
        char *const start = to;
        if (cache && cache->days == days) {
            to = std::copy(cache->text, cache->text + cache->dateSize, to);
        } else {
            qint64 year = 0;
            int month = 0;
            int day = 0;
            civilDate(days, &year, &month, &day);
            if (year < 1 || year > 9999) {
                // Beyond four-digit years Qt's calendar (which has no year 0) writes the date.
                const QDate qdate =
                    QDateTime::fromMSecsSinceEpoch(days * MinutesPerDay * MSecsPerMinute, Qt::UTC).date();
                char text[UtcRoom];
                const int length =
                    std::snprintf(text, 24, "%04d%02d%02d", qdate.year(), qdate.month(), qdate.day());
                to = std::copy(text, text + std::clamp(length, 0, 23), to);
            } else {
                to = putDigits(to, static_cast<int>(year), 4);
                to = putDigits(to, month, 2);
                to = putDigits(to, day, 2);
            }
            if (cache) {
                cache->days = days;
                cache->dateSize = static_cast<int>(to - start);
            }
        }
        *to++ = 'T';
        to = putDigits(to, minuteOfDay / 60, 2);
        to = putDigits(to, minuteOfDay % 60, 2);
        if (cache) {
            cache->minutes = minutes;
            cache->minuteSize = static_cast<int>(to - start);
            std::copy(start, to, cache->text);
        }
    }
    if (seconds) {
        *to++ = '0';
        *to++ = '0';
    }
    *to++ = 'Z';
    return to;
}

std::string utcText(const QDateTime &utc)
{
    char text[UtcRoom];
    return std::string(text, putUtc(text, utc.toMSecsSinceEpoch(), true));
}

// Appends a TEXT value (RFC 5545, 3.3.11): backslash, semicolon, comma and line breaks escaped.
void appendText(std::string &out, const QString &text)
{
    // Most texts are plain ASCII without a character to escape: copied as they are.
    const auto plain = [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x80 && u != '\\' && u != ';' && u != ',' && u != '\r' && u != '\n';
    };
    if (std::all_of(text.cbegin(), text.cend(), plain)) {
        const std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(text.size()));
        char *to = out.data() + at;
        for (const QChar c : text)
            *to++ = static_cast<char>(c.unicode());
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8.at(i);
        switch (c) {
        case '\\':
        case ';':
        case ',':
            out += '\\';
            out += c;
            break;
        case '\r':
            if (i + 1 < utf8.size() && utf8.at(i + 1) == '\n')
                ++i;
            out += "\\n";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
}

std::string textValue(const QString &text)
{
    std::string value;
    appendText(value, text);
    return value;
}

// The most octets putLine() writes for a name and value of `size` octets together: each piece
// of a folded line holds at least 71 octets, and ends with three.
std::size_t lineRoom(std::size_t size)
{
    return size + 1 + 3 * (size / 64 + 2);
}

char *put(char *to, std::string_view text)
{
    return std::copy(text.begin(), text.end(), to);
}

// Writes "NAME:value" with CR LF at `to`, folded into lines of at most 75 octets that never
// split a UTF-8 character; a continuation line begins with one blank. Gives the position after
// it; there must be lineRoom() of the two.
char *putLine(char *to, std::string_view name, std::string_view value)
{
    if (name.size() + 1 + value.size() <= MaxLineOctets) {
        to = put(to, name);
        *to++ = ':';
        to = put(to, value);
        *to++ = '\r';
        *to++ = '\n';
        return to;
    }
    const std::string line = std::string(name) + ':' + std::string(value);
    std::size_t start = 0;
    std::size_t limit = MaxLineOctets;
    while (line.size() - start > limit) {
        std::size_t cut = start + limit;
        // Back off over continuation bytes (10xxxxxx) to the start of a character.
        while (cut > start && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        to = put(to, std::string_view(line).substr(start, cut - start));
        to = put(to, "\r\n ");
        start = cut;
        limit = MaxLineOctets - 1;
    }
    to = put(to, std::string_view(line).substr(start));
    return put(to, "\r\n");
}

void appendLine(QByteArray &out, std::string_view name, std::string_view value)
{
    const qsizetype at = out.size();
    out.resize(at + static_cast<qsizetype>(lineRoom(name.size() + 1 + value.size())));
    char *const end = putLine(out.data() + at, name, value);
    out.resize(end - out.data());
}

// "NAME:value" folded, with its line end.
std::string foldedLine(std::string_view name, std::string_view value)
{
    std::string line(lineRoom(name.size() + 1 + value.size()), '\0');
    line.resize(static_cast<std::size_t>(putLine(line.data(), name, value) - line.data()));
    return line;
}

// Appends the ASCII letters and digits of `text`, lower case.
void appendLowerKey(std::string &out, const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 'A' && u <= 'Z')
            out += static_cast<char>(u - 'A' + 'a');
        else if ((u >= 'a' && u <= 'z') || (u >= '0' && u <= '9'))
            out += static_cast<char>(u);
    }
}

// "hour-venus-": the start of the identifiers of events of this kind and body.
std::string uidStart(const QString &kind, const QString &body)
{
    std::string start;
    appendLowerKey(start, kind);
    start += '-';
    appendLowerKey(start, body);
    start += '-';
    return start;
}

constexpr std::string_view UidEnd = "@orlam";

// The most octets putUid() writes for a start and a place key of these sizes.
std::size_t uidRoom(std::size_t start, std::size_t placeKey)
{
    return start + UtcRoom + 1 + placeKey + UidEnd.size();
}

// Writes an event's identifier at `to`, "hour-venus-20260615T1412Z-93w21-45n05@orlam": the
// start from uidStart(), the event's start to the minute and the place's key. Gives the position
// after it.
char *putUid(char *to, std::string_view start, qint64 startMSecs, std::string_view placeKey,
             ICalendarWriter::DateCache *cache = nullptr)
{
    to = put(to, start);
    to = putUtc(to, startMSecs, false, cache);
    *to++ = '-';
    to = put(to, placeKey);
    return put(to, UidEnd);
}

} // namespace

QString calendarPlaceKey(const QString &longitude, const QString &latitude)
{
    std::string key;
    appendLowerKey(key, longitude);
    key += '-';
    appendLowerKey(key, latitude);
    return QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size()));
}

QString calendarEventUid(const CalendarEvent &event, const QString &placeKey)
{
    const QByteArray key = placeKey.toUtf8();
    const std::string start = uidStart(event.kind, event.body);
    std::string uid(uidRoom(start.size(), static_cast<std::size_t>(key.size())), '\0');
    const char *end = putUid(uid.data(), start, event.startUtc.toMSecsSinceEpoch(),
                             std::string_view(key.constData(), static_cast<std::size_t>(key.size())));
    return QString::fromUtf8(uid.data(), static_cast<qsizetype>(end - uid.data()));
}

ICalendarWriter::EventTexts ICalendarWriter::eventTexts(const QString &kind, const QString &body,
                                                        const QString &summary, const QString &category)
{
    EventTexts texts{uidStart(kind, body), foldedLine("SUMMARY", textValue(summary)), std::string()};
    const std::string categoryValue = textValue(category);
    if (!categoryValue.empty())
        texts.closing = foldedLine("CATEGORIES", categoryValue);
    texts.closing += "TRANSP:TRANSPARENT\r\nEND:VEVENT\r\n";
    return texts;
}

std::string ICalendarWriter::escaped(const QString &text)
{
    return textValue(text);
}

ICalendarWriter::ICalendarWriter(const QString &placeKey, const QDateTime &stampUtc, const QString &name,
                                 qsizetype expectedEvents)
    : mStampLine(foldedLine("DTSTAMP", utcText(stampUtc))),
      // The other parts of an identifier are letters, digits and '-' only: escaping the key once
      // escapes every identifier.
      mKey(textValue(placeKey))
{
    // An hour of a year's export takes some 275 octets, an instant less.
    mOut.reserve(256 + std::max<qsizetype>(expectedEvents, 0) * 288);
    mOut += "BEGIN:VCALENDAR\r\n";
    appendLine(mOut, "VERSION", "2.0");
    appendLine(mOut, "PRODID", textValue(QStringLiteral("-//Orlam//Orlam %1//EN").arg(VersionText)));
    appendLine(mOut, "CALSCALE", "GREGORIAN");
    appendLine(mOut, "METHOD", "PUBLISH");
    if (!name.isEmpty())
        appendLine(mOut, "X-WR-CALNAME", textValue(name));
}

void ICalendarWriter::add(const EventTexts &texts, qint64 startMSecs, std::optional<qint64> endMSecs,
                          std::string_view description)
{
    static constexpr std::string_view begin = "BEGIN:VEVENT\r\n";
    static constexpr std::string_view uidName = "UID:";
    // Room for the whole event made at once, and the event written into it. The lines of the
    // kind of event and of the export are written already; a time's line is never folded.
    constexpr std::size_t timeLineRoom = 8 + UtcRoom + 2;
    const std::size_t room = begin.size() +
                             lineRoom(uidName.size() + uidRoom(texts.uidStart.size(), mKey.size())) +
                             mStampLine.size() + 2 * timeLineRoom + texts.summaryLine.size() +
                             lineRoom(12 + description.size()) + texts.closing.size();
    const qsizetype at = mOut.size();
    mOut.resize(at + static_cast<qsizetype>(room));
    char *to = put(mOut.data() + at, begin);
    // The identifier goes straight into its line, which is folded in the rare case it is long.
    char *const uidLine = to;
    char *const uid = put(uidLine, uidName);
    to = putUid(uid, texts.uidStart, startMSecs, mKey, &mDates);
    if (to - uidLine > MaxLineOctets) {
        mValue.assign(uid, to);
        to = putLine(uidLine, "UID", mValue);
    } else {
        to = put(to, "\r\n");
    }
    to = put(to, mStampLine);
    to = put(to, "DTSTART:");
    to = putUtc(to, startMSecs, true, &mDates);
    to = put(to, "\r\n");
    // An instant has no end: RFC 5545 then ends it where it starts, which is what a sunrise is,
    // and calendars show it as a point in the day rather than a block of time.
    if (endMSecs) {
        to = put(to, "DTEND:");
        to = putUtc(to, *endMSecs, true, &mDates);
        to = put(to, "\r\n");
    }
    to = put(to, texts.summaryLine);
    if (!description.empty())
        to = putLine(to, "DESCRIPTION", description);
    to = put(to, texts.closing);
    mOut.resize(to - mOut.data());
}

void ICalendarWriter::add(const CalendarEvent &event)
{
    add(eventTexts(event.kind, event.body, event.summary, event.category), event.startUtc.toMSecsSinceEpoch(),
        event.endUtc.isValid() ? std::optional<qint64>(event.endUtc.toMSecsSinceEpoch()) : std::nullopt,
        textValue(event.description));
}

QByteArray ICalendarWriter::takeWritten()
{
    QByteArray written = std::exchange(mOut, QByteArray());
    mOut.reserve(written.capacity());
    return written;
}

QByteArray ICalendarWriter::finish()
{
    mOut += "END:VCALENDAR\r\n";
    return std::exchange(mOut, QByteArray());
}

QByteArray writeICalendar(const QList<CalendarEvent> &events, const QString &placeKey,
                          const QDateTime &stampUtc, const QString &name)
{
    ICalendarWriter writer(placeKey, stampUtc, name, events.size());
    for (const CalendarEvent &event : events)
        writer.add(event);
    return writer.finish();
}

} // namespace orlam
