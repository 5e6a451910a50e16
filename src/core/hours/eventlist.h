#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace orlam {

struct TSettings;

constexpr auto HourEventWord = "Hour";
constexpr auto NodeBody = "Node";

// One alarm event: a line of a rise/set report or of "hl.txt", read once when the list is built.
struct EventEntry {
    QString line;         // the line as the event view shows it: a blank in column 7, 10 or 18 becomes "0"
    QDateTime moment;     // local clock value of the event
    QString body;         // trimmed columns 25-32: "Sun", "Venus", "Node" ...
    QString word;         // trimmed columns 40-47: "rises", "Hour" ...
    bool checked = false; // the row's check mark: fired, or silenced by the user
    bool fired = false;   // its minute has come (with or without sound); it never fires again
};

// The alarm schedule: the events still to come, in ascending order of their moments. Entry i is
// row i of the event view, always.
class EventList {
public:
    QList<EventEntry> entries;
    QDate builtOn;       // local date of the build
    int builtOffset = 0; // the zone's offset from UTC at the build, in seconds
    bool built = false;

    int size() const { return static_cast<int>(entries.size()); }
    bool isEmpty() const { return entries.isEmpty(); }
    void clear() { *this = EventList(); }
};

// The lines of one source file; `dayFirst` tells how its dates are written ("D-M-YYYY" or
// "M/D/YYYY", see ReportLineMoment). A missing file is an empty source.
struct EventSource {
    QStringList lines;
    bool dayFirst = false;
};

// "riseset.txt", "risesetn.txt", "risesetn2.txt" (dates day first when `reportsDayFirst`) and
// "hl.txt" (always month first) from `directory`, in that order; missing files are skipped.
QList<EventSource> readEventSources(const QString &directory, bool reportsDayFirst);

// The event line with a blank in column 7, 10 or 18 (counted from 1) replaced by "0".
QString padEventLine(const QString &line);

// -1 when a's moment is the earlier, 1 when it is the later, 0 when they differ by less than a
// millisecond.
int CompareEventMoments(const EventEntry &a, const EventEntry &b);

// Removes the events of the minutes before `now`'s minute. The events of the present minute stay,
// so that the tick that follows a build still fires them.
void PrunePastEvents(EventList &list, const QDateTime &now);

struct EventBuild {
    EventList list;
    int unreadable = 0;      // lines whose moment did not read: skipped
    QString firstUnreadable; // the date and time text of the first of them
};

// Builds the schedule from `sources` at `now` (local clock; `offsetFromUtc` is the zone's offset
// now, in seconds): "Node" lines are dropped; hour lines ("Hour") are kept when the body's
// HourAlarm flag is set, other lines when its RiseSetAlarm flag is set; a body without a flag
// is kept. Lines that do not read are skipped. The pending events of `previous` that the sources
// no longer hold (the night's hours after midnight when the day has turned) are kept while their
// flags allow, and an
// event both lists hold keeps the old one's check mark and fired state; none comes twice.
EventBuild BuildEventList(const QList<EventSource> &sources, const TSettings &settings, const QDateTime &now,
                          int offsetFromUtc, const EventList *previous = nullptr);

// The indices of the events not yet fired whose minute is `now`'s minute, in list order.
QList<int> dueEvents(const EventList &list, const QDateTime &now);

// The sound files of an event, in playing order: the body's ("venus.wav"), then the event word's
// ("hour.wav") when `find` finds it. `find` turns a file name into a path, empty when there is
// none. Without the body's sound there is no sound at all.
QStringList alarmSounds(const EventEntry &entry, const std::function<QString(const QString &)> &find);

// What one tick of the clock does besides writing the status bar.
struct TickPlan {
    bool minuteWork = false; // pickers to the present, silent Calculate and hours
    bool rebuild = false;    // build the list again (after the minute work)
};

// `now` is the present clock reading, `pickers` the moment the date and time pickers show.
// The minute work runs when the two differ in their minute (date included), once the start-up
// has run (`started`) and not inside another tick (`nested`). The list is built again when the
// date or the zone's offset from UTC differs from those of its build, or when it was never built.
TickPlan planTick(const QDateTime &now, int offsetFromUtc, const QDateTime &pickers, const EventList &list,
                  bool started, bool nested);

} // namespace orlam
