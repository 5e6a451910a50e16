#include "reports/icalwriter.h"

#include "hours/hoursspan.h"
#include "settings/settings.h"

#include <cstdio>
#include <cstring>

namespace orlam {

namespace {

constexpr int MaxLineOctets = 75; // RFC 5545, 3.1: longer content lines are folded

// Times are given to the nearest minute, as everywhere they are shown.
QDateTime nearestMinute(const QDateTime &utc)
{
    return placeMinute(utc, QTimeZone::utc());
}

// "20260615T141200Z"; with `seconds` false "20260615T1412Z".
QByteArray utcText(const QDateTime &utc, bool seconds = true)
{
    const QDateTime at = nearestMinute(utc);
    const QDate d = at.date();
    const QTime t = at.time();
    char text[24];
    const int length = seconds ? std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02dZ", d.year(),
                                               d.month(), d.day(), t.hour(), t.minute(), t.second())
                               : std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02dZ", d.year(),
                                               d.month(), d.day(), t.hour(), t.minute());
    return QByteArray(text, length);
}

// A TEXT value (RFC 5545, 3.3.11): backslash, semicolon, comma and line breaks escaped.
QByteArray textValue(const QString &text)
{
    QByteArray out;
    const QByteArray utf8 = text.toUtf8();
    out.reserve(utf8.size() + 8);
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
    return out;
}

// Appends "NAME:value" with CR LF, folded into lines of at most 75 octets that never split a
// UTF-8 character; a continuation line begins with one blank.
void appendLine(QByteArray &out, const char *name, const QByteArray &value)
{
    const qsizetype nameLength = static_cast<qsizetype>(std::strlen(name));
    if (nameLength + 1 + value.size() <= MaxLineOctets) {
        out.append(name, nameLength).append(':').append(value).append("\r\n", 2);
        return;
    }
    const QByteArray line = QByteArray(name) + ':' + value;
    qsizetype start = 0;
    int limit = MaxLineOctets;
    while (line.size() - start > limit) {
        qsizetype cut = start + limit;
        // Back off over continuation bytes (10xxxxxx) to the start of a character.
        while (cut > start && (static_cast<unsigned char>(line.at(cut)) & 0xC0) == 0x80)
            --cut;
        out += line.mid(start, cut - start);
        out += "\r\n ";
        start = cut;
        limit = MaxLineOctets - 1;
    }
    out += line.mid(start);
    out += "\r\n";
}

QString lowerKey(const QString &text)
{
    QString key;
    for (const QChar c : text) {
        if (c.isLetterOrNumber() && c.unicode() < 128)
            key += c.toLower();
    }
    return key;
}

} // namespace

QString calendarPlaceKey(const QString &longitude, const QString &latitude)
{
    return lowerKey(longitude) + QLatin1Char('-') + lowerKey(latitude);
}

QString calendarEventUid(const CalendarEvent &event, const QString &placeKey)
{
    return QStringLiteral("%1-%2-%3-%4@orlam")
        .arg(lowerKey(event.kind), lowerKey(event.body), QString::fromLatin1(utcText(event.startUtc, false)),
             placeKey);
}

QByteArray writeICalendar(const QList<CalendarEvent> &events, const QString &placeKey,
                          const QDateTime &stampUtc, const QString &name)
{
    QByteArray out;
    // About 250 octets an event: one allocation for a year of hours.
    out.reserve(256 + events.size() * 256);
    out += "BEGIN:VCALENDAR\r\n";
    appendLine(out, "VERSION", "2.0");
    appendLine(out, "PRODID", textValue(QStringLiteral("-//Orlam//Orlam %1//EN").arg(VersionText)));
    appendLine(out, "CALSCALE", "GREGORIAN");
    appendLine(out, "METHOD", "PUBLISH");
    if (!name.isEmpty())
        appendLine(out, "X-WR-CALNAME", textValue(name));

    const QByteArray stamp = utcText(stampUtc);
    for (const CalendarEvent &event : events) {
        out += "BEGIN:VEVENT\r\n";
        appendLine(out, "UID", textValue(calendarEventUid(event, placeKey)));
        appendLine(out, "DTSTAMP", stamp);
        appendLine(out, "DTSTART", utcText(event.startUtc));
        // An instant has no end: RFC 5545 then ends it where it starts, which is what a sunrise
        // is, and calendars show it as a point in the day rather than a block of time.
        if (event.endUtc.isValid())
            appendLine(out, "DTEND", utcText(event.endUtc));
        appendLine(out, "SUMMARY", textValue(event.summary));
        if (!event.description.isEmpty())
            appendLine(out, "DESCRIPTION", textValue(event.description));
        if (!event.category.isEmpty())
            appendLine(out, "CATEGORIES", textValue(event.category));
        out += "TRANSP:TRANSPARENT\r\nEND:VEVENT\r\n";
    }
    out += "END:VCALENDAR\r\n";
    return out;
}

} // namespace orlam
