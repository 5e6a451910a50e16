#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace orlam {

// One event of an exported calendar. Times are universal time; an event without an end is an
// instant (a sunrise, a New Moon).
struct CalendarEvent {
    QString kind;    // what happens, one word: "hour", "rises", "sets", "zeniths", "nadirs",
                     // "newmoon", "fullmoon", "ingress"
    QString body;    // "Venus", "Sun", "Moon"
    QString summary; // the title a calendar shows: "Hour of Venus", "Sunrise"
    QString description;
    QString category; // "Planetary hours", "Sun and Moon", "Transits"
    QDateTime startUtc;
    QDateTime endUtc;
};

// The event's identifier: kind, body, start (universal time, to the nearest minute) and place, so that
// exporting the same days again gives the same identifiers and a calendar program updates the
// events it has instead of adding them twice, while another place's events stay apart:
// "hour-venus-20260615T1512Z-93w21-45n05@orlam".
QString calendarEventUid(const CalendarEvent &event, const QString &placeKey);

// A place key for identifiers from the longitude and latitude texts ("93W21", "45N05"): letters
// and digits only, lower case.
QString calendarPlaceKey(const QString &longitude, const QString &latitude);

// An iCalendar file (RFC 5545; UTF-8, CR LF line ends, long lines folded at 75 octets, texts
// escaped) holding `events` in order, times in universal time to the nearest minute. `stampUtc` is the moment
// of the export (DTSTAMP of every event); `name` becomes the calendar's display name. Events are transparent
// (they never mark the user busy).
QByteArray writeICalendar(const QList<CalendarEvent> &events, const QString &placeKey,
                          const QDateTime &stampUtc, const QString &name);

// The writer of writeICalendar() taking one event at a time, for callers that hold their events
// in a form of their own: texts shared by many events are escaped once, times are instants in
// milliseconds, and nothing is copied but the file's own bytes.
class ICalendarWriter {
public:
    // The texts of a kind of event, escaped and folded once for many events.
    struct EventTexts {
        std::string uidStart;    // "hour-venus-": kind and body for the identifier
        std::string summaryLine; // "SUMMARY:Hour of Venus" with its line end
        std::string closing;     // the CATEGORIES line (when there is a category) and the event's end
    };
    static EventTexts eventTexts(const QString &kind, const QString &body, const QString &summary,
                                 const QString &category);
    // A TEXT value escaped (RFC 5545, 3.3.11), to be given to add() as a description.
    static std::string escaped(const QString &text);

    // Starts the calendar; `expectedEvents` only reserves room.
    ICalendarWriter(const QString &placeKey, const QDateTime &stampUtc, const QString &name,
                    qsizetype expectedEvents = 0);
    // One event from `startMSecs` (milliseconds since 1970 UTC), to `endMSecs` unless nothing;
    // `description` escaped, left out when empty.
    void add(const EventTexts &texts, qint64 startMSecs, std::optional<qint64> endMSecs,
             std::string_view description);
    void add(const CalendarEvent &event);
    // The whole file; the writer is empty after it.
    QByteArray finish();
    // What is written and not yet handed over, for a caller that passes the file on in pieces:
    // its size, and the text itself, after which the writer goes on in room as large.
    qsizetype writtenSize() const { return mOut.size(); }
    QByteArray takeWritten();

    // The text of the last minute written, "20260615T1412", kept by the writer for the next
    // instant of that minute (an hour's end is the next hour's start), and its date for the next
    // instant of that day.
    struct DateCache {
        qint64 days = std::numeric_limits<qint64>::min();    // since 1970-01-01
        qint64 minutes = std::numeric_limits<qint64>::min(); // since 1970-01-01 00:00
        int dateSize = 0;                                    // of the date at the start of `text`
        int minuteSize = 0;                                  // of the date and the time
        char text[32] = {};
    };

private:
    DateCache mDates;
    QByteArray mOut;        // grows without filling its new room first, and is handed over as it is
    std::string mStampLine; // "DTSTAMP:20260615T141200Z" with its line end
    std::string mKey;
    std::string mValue;
};

} // namespace orlam
