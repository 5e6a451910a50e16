#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <array>
#include <functional>

namespace orlam {

class LocaleFacts;
struct TSettings;

constexpr auto HourEventWord = "Hour";
constexpr auto NodeBody = "Node";

// One horizon event of a place: a rise, set or culmination of one body, as an instant.
struct PlaceEvent {
    QDateTime at; // UTC
    QString body; // "Sun", "Moon", "Mercury" ... "Pluto", "Node", as the reports name them
    QString word; // "rises", "zeniths", "sets" or "nadirs"
};

// One planetary hour of a place, as instants.
struct PlaceHour {
    QDateTime start; // UTC, first moment of the hour
    QDateTime end;   // UTC, first moment after it
    int ruler = 0;   // index into PlanetCycle
    bool night = false;
    int number = 0; // 0..11 within its day or night
    QDate baseDay;  // the local date whose sunrise begins the day the hour belongs to
};

// One base day of a place: its 24 hours, or why it has none.
struct PlaceDay {
    QDate date;             // local date of the place
    bool hasHours = false;  // sunrise, sunset and the next sunrise follow each other
    bool noSunrise = false; // without hours: the Sun does not rise that day (polar night)
    bool noSunset = false;  // without hours: it rises but does not set (midnight sun)
    QList<PlaceHour> hours; // 24 when hasHours: 0..11 the day from sunrise, 12..23 the night
};

// The hours and horizon events of a place over a run of local dates.
struct PlaceFacts {
    QList<PlaceDay> days;     // consecutive local dates
    QList<PlaceEvent> events; // every body's horizon events over those dates, each once

    const PlaceDay *day(QDate date) const;
};

// The alarm flags of the settings: per hour ruler (TSettings::HourAlarm order) and per body for
// the rise, set and culmination events (BodyKeys order).
struct AlarmChoices {
    std::array<bool, 7> hour{};
    std::array<bool, 10> riseSet{};

    static AlarmChoices from(const TSettings &settings);
    bool operator==(const AlarmChoices &other) const
    {
        return hour == other.hour && riseSet == other.riseSet;
    }
    bool operator!=(const AlarmChoices &other) const { return !(*this == other); }
};

// One alarm event of the list.
struct EventEntry {
    QDateTime at;         // UTC instant of the event
    QDateTime moment;     // the minute it rings and shows: `at` rounded to the minute, read on the
                          // place's wall clock (a zone-free local clock value, common/clocktime.h)
    QString line;         // the row the event view shows (report-line columns, see eventLine())
    QString body;         // "Sun", "Venus" ... (the ruler for an hour)
    QString word;         // "rises" ... or "Hour"
    bool checked = false; // the row's check mark: fired, or silenced by the user
    bool fired = false;   // its minute has come with the clock running; it never fires again
    bool missed = false;  // its minute passed unheard (clock paused, computer asleep)
};

// The alarm schedule: the events from the present minute on, in ascending order of their
// instants. Entry i is row i of the event view, always.
class EventList {
public:
    QList<EventEntry> entries;
    QDate builtOn;       // the place's local date at the build
    int builtOffset = 0; // the place's offset from UTC at the build, in seconds
    bool built = false;

    int size() const { return static_cast<int>(entries.size()); }
    bool isEmpty() const { return entries.isEmpty(); }
    void clear() { *this = EventList(); }
};

// Minutes since the epoch of an instant rounded to the nearest minute: the minute an event
// rings in and is shown with.
qint64 alarmMinute(const QDateTime &at);
// Minutes since the epoch of the minute that holds `now`.
qint64 minuteOf(const QDateTime &now);

// True when `choices` let an event of `body` and `word` into the list: "Node" never; hour
// events by the ruler's hour flag, others by the body's flag; a body without a flag always.
bool keptByChoices(const QString &body, const QString &word, const AlarmChoices &choices);

// The event view's row of an event: report-line columns (1-6 weekday tag, 7-16 date in the
// locale's order and separator, 18-24 time "hh:mmam", 25-32 the body right-aligned, 40-47 the
// event word), the hour lines as "hl.txt" writes them.
QString eventLine(const EventEntry &entry, const LocaleFacts &locale);

// Builds the list at `now` (an instant) for the place whose wall clock is `zone`. It holds the
// hours of the base day before the local date of `now` and of that date (the rest of last
// night first when `now` is before sunrise), and the horizon events of that date and the two
// after it, as `choices` let them in, from the present minute on. When `carry` is the list of an
// earlier build of the same place and choices, every event both hold keeps its marks (checked,
// fired, missed), and its events still to come that the new facts lack are kept; an event that
// passed unheard since is kept once more, marked missed. Events are the same when body and word
// agree and their instants lie within a minute: none is listed twice.
EventList buildEventList(const PlaceFacts &facts, const AlarmChoices &choices, const QDateTime &now,
                         const QTimeZone &zone, const LocaleFacts &locale, const EventList *carry = nullptr);

// The indices of the events neither fired nor missed whose minute is `now`'s minute, in order.
QList<int> dueEvents(const EventList &list, const QDateTime &now);
// Marks missed the events neither fired nor missed whose minute lies before `now`'s minute, and
// gives their indices.
QList<int> markMissedEvents(EventList &list, const QDateTime &now);

// The sound files of an event, in playing order: the body's ("venus.wav"), then the event word's
// ("hour.wav") when `find` finds it. `find` turns a file name into a path, empty when there is
// none. Without the body's sound there is no sound at all.
QStringList alarmSounds(const EventEntry &entry, const std::function<QString(const QString &)> &find);

} // namespace orlam
