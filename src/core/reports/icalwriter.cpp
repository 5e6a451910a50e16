#include "reports/icalwriter.h"

#include "hours/hoursspan.h"
#include "settings/settings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

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

// Appends "20260615T141200Z"; with `seconds` false "20260615T1412Z". Times are given to the
// nearest minute (half a minute up), as everywhere they are shown. A year's export writes some
// thirty thousand of them: the arithmetic is done on the instant's milliseconds.
void appendUtc(std::string &out, const QDateTime &utc, bool seconds = true)
{
    const qint64 minutes = floorDivide(utc.toMSecsSinceEpoch() + MSecsPerMinute / 2, MSecsPerMinute);
    const qint64 days = floorDivide(minutes, MinutesPerDay);
    const int minuteOfDay = static_cast<int>(minutes - days * MinutesPerDay);
    qint64 year = 0;
    int month = 0;
    int day = 0;
    civilDate(days, &year, &month, &day);
    char text[32];
    char *to = text;
    if (year < 1 || year > 9999) {
        // Beyond four-digit years Qt's calendar (which has no year 0) writes the date.
        const QDate date =
            QDateTime::fromMSecsSinceEpoch(days * MinutesPerDay * MSecsPerMinute, Qt::UTC).date();
        to += std::snprintf(text, 24, "%04d%02d%02d", date.year(), date.month(), date.day());
    } else {
        to = putDigits(to, static_cast<int>(year), 4);
        to = putDigits(to, month, 2);
        to = putDigits(to, day, 2);
    }
    *to++ = 'T';
    to = putDigits(to, minuteOfDay / 60, 2);
    to = putDigits(to, minuteOfDay % 60, 2);
    if (seconds)
        to = putDigits(to, 0, 2);
    *to++ = 'Z';
    out.append(text, to - text);
}

std::string utcText(const QDateTime &utc, bool seconds = true)
{
    std::string text;
    appendUtc(text, utc, seconds);
    return text;
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

// Appends "NAME:value" with CR LF, folded into lines of at most 75 octets that never split a
// UTF-8 character; a continuation line begins with one blank.
void appendLine(std::string &out, std::string_view name, std::string_view value)
{
    if (name.size() + 1 + value.size() <= MaxLineOctets) {
        // One copy of each part into room made once.
        const std::size_t at = out.size();
        out.resize(at + name.size() + value.size() + 3);
        char *to = out.data() + at;
        to = std::copy(name.begin(), name.end(), to);
        *to++ = ':';
        to = std::copy(value.begin(), value.end(), to);
        *to++ = '\r';
        *to = '\n';
        return;
    }
    const std::string line = std::string(name) + ':' + std::string(value);
    std::size_t start = 0;
    std::size_t limit = MaxLineOctets;
    while (line.size() - start > limit) {
        std::size_t cut = start + limit;
        // Back off over continuation bytes (10xxxxxx) to the start of a character.
        while (cut > start && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out.append(line, start, cut - start);
        out += "\r\n ";
        start = cut;
        limit = MaxLineOctets - 1;
    }
    out.append(line, start);
    out += "\r\n";
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

void appendUid(std::string &out, const CalendarEvent &event, std::string_view placeKey)
{
    appendLowerKey(out, event.kind);
    out += '-';
    appendLowerKey(out, event.body);
    out += '-';
    appendUtc(out, event.startUtc, false);
    out += '-';
    out += placeKey;
    out += "@orlam";
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
    std::string uid;
    appendUid(uid, event, std::string_view(key.constData(), static_cast<std::size_t>(key.size())));
    return QString::fromUtf8(uid.data(), static_cast<qsizetype>(uid.size()));
}

QByteArray writeICalendar(const QList<CalendarEvent> &events, const QString &placeKey,
                          const QDateTime &stampUtc, const QString &name)
{
    // Written into a plain buffer, about 250 octets an event, and copied out once.
    std::string out;
    out.reserve(256 + static_cast<std::size_t>(events.size()) * 256);
    out += "BEGIN:VCALENDAR\r\n";
    appendLine(out, "VERSION", "2.0");
    appendLine(out, "PRODID", textValue(QStringLiteral("-//Orlam//Orlam %1//EN").arg(VersionText)));
    appendLine(out, "CALSCALE", "GREGORIAN");
    appendLine(out, "METHOD", "PUBLISH");
    if (!name.isEmpty())
        appendLine(out, "X-WR-CALNAME", textValue(name));

    const std::string stamp = utcText(stampUtc);
    // The other parts of an identifier are letters, digits and '-' only: escaping the key once
    // escapes every identifier.
    const std::string key = textValue(placeKey);
    std::string value; // each line's value, in one buffer used again and again
    const auto line = [&](std::string_view property, const auto &write) {
        value.clear();
        write();
        appendLine(out, property, value);
    };
    for (const CalendarEvent &event : events) {
        out += "BEGIN:VEVENT\r\n";
        line("UID", [&] { appendUid(value, event, key); });
        appendLine(out, "DTSTAMP", stamp);
        line("DTSTART", [&] { appendUtc(value, event.startUtc); });
        // An instant has no end: RFC 5545 then ends it where it starts, which is what a sunrise
        // is, and calendars show it as a point in the day rather than a block of time.
        if (event.endUtc.isValid())
            line("DTEND", [&] { appendUtc(value, event.endUtc); });
        line("SUMMARY", [&] { appendText(value, event.summary); });
        if (!event.description.isEmpty())
            line("DESCRIPTION", [&] { appendText(value, event.description); });
        if (!event.category.isEmpty())
            line("CATEGORIES", [&] { appendText(value, event.category); });
        out += "TRANSP:TRANSPARENT\r\nEND:VEVENT\r\n";
    }
    out += "END:VCALENDAR\r\n";
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

} // namespace orlam
