#pragma once

#include "hours/hoursspan.h"

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

// Builds the list at `now` (an instant) from `span`, on its place's wall clock. It holds the
// hours of the base day before the local date of `now` and of that date (the rest of last
// night first when `now` is before sunrise), and the horizon events of that date and the two
// after it, as `choices` let them in, from the present minute on. When `carry` is the list of an
// earlier build of the same place and choices, every event both hold keeps its marks (checked,
// fired, missed), and its events still to come that the new span lacks are kept; an event that
// passed unheard since is kept once more, marked missed. Events are the same when body and word
// agree and their instants lie within a minute: none is listed twice.
EventList buildEventList(const HoursSpan &span, const AlarmChoices &choices, const QDateTime &now,
                         const LocaleFacts &locale, const EventList *carry = nullptr);

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
