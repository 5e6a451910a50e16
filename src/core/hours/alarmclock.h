#pragma once

#include "common/status.h"
#include "hours/eventlist.h"
#include "hours/hoursspan.h"
#include "hours/planetaryhours.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimeZone>
#include <functional>

class QTimer;

namespace orlam {

class LocaleFacts;

// The place the clock keeps the hours of: what its engine jobs are made from, and its wall clock.
struct ClockPlace {
    QString longitude; // as the settings write it, "93W21"
    QString latitude;  // "45N05"
    QString jobZone;   // the settings' "Time Zone" text and mode, which shape the engine's jobs
    int timeMode = 0;
    QTimeZone zone; // the place's wall clock

    bool operator==(const ClockPlace &other) const
    {
        return longitude == other.longitude && latitude == other.latitude && jobZone == other.jobZone &&
               timeMode == other.timeMode && zone == other.zone;
    }
    bool operator!=(const ClockPlace &other) const { return !(*this == other); }
};

// Gives the hours and horizon events of `place` for the local dates `first` to `last` (the span
// holds the day before too, see fetchHoursSpan()), or a failure with the message to show (an
// engine that does not run, a place it refuses).
using HoursSpanProvider =
    std::function<Status(const ClockPlace &place, QDate first, QDate last, HoursSpan *span)>;

// The alarm clock: it owns the one-second timer ("Timer1"), the place, the hours in force and the
// alarm list, does the minute's work and rebuilds the list when what feeds it changes. Windows,
// trays and sound players only listen to its signals.
//
// Each tick, with "now" read once: secondTicked; then, once the clock is started and not inside
// another tick (a message box shown from a signal runs nested ticks), minuteStarted when the
// minute changed (the first tick after a start or a resume counts), a rebuild when the place,
// the alarm choices, the place's local date or its offset from UTC differ from those of the
// last build, hourChanged when the hour in force changed, rowsMissed for events whose minute
// passed unheard, and alarmDue then rowFired for each event of the present minute.
class AlarmClock : public QObject {
    Q_OBJECT
public:
    explicit AlarmClock(const LocaleFacts &locale, QObject *parent = nullptr);
    ~AlarmClock() override;

    // Where "now" comes from (the system clock by default); in any zone, only its instant counts.
    void setNow(std::function<QDateTime()> now);
    QDateTime now() const;
    void setProvider(HoursSpanProvider provider);
    // A change of place or choices rebuilds the list at the next tick (rebuild() does it at once).
    void setPlace(const ClockPlace &place);
    void setChoices(const AlarmChoices &choices);
    const ClockPlace &place() const { return mPlace; }

    // Starts the list work: builds the list and finds the hour at once, then ticks every second.
    // `workedAt` is the instant the window last did the minute's work itself (its first date);
    // the first tick in a later minute does it again. Invalid: the start's own minute counts as
    // done.
    void start(const QDateTime &workedAt = QDateTime());
    bool started() const { return mStarted; }
    // A paused clock does not tick at all: the alarms of the paused minutes are missed, and
    // marked so by the first tick after the resume.
    void setPaused(bool paused);
    bool paused() const { return mPaused; }
    QTimer *timer() const { return mTimer; }

    // One second's work.
    void tick();
    // Builds the list again now (the span is fetched again too), with the marks of the same
    // place and choices carried over.
    void rebuild();

    const EventList &events() const { return mList; }
    // The user's check mark on row `row` (silenced when checked before its minute).
    void setRowChecked(int row, bool checked);
    // The hour in force, as currentHour() gives it for the clock's span.
    const CurrentHour &hour() const { return mHour; }
    // The hours and horizon events of the last successful fetch (empty before one): yesterday to
    // two days after the local date of the build.
    const HoursSpan &span() const { return mSpan; }
    // The place's local date of the last build.
    QDate today() const { return mList.builtOn; }

signals:
    void secondTicked(const QDateTime &now);
    void minuteStarted(const QDateTime &now);
    void hourChanged(const CurrentHour &hour);
    void listRebuilt(const EventList &list);
    // Event `row` rings: its body's and word's sounds, a notification. Not sent for a row the user
    // has checked; rowFired follows either way.
    void alarmDue(const EventEntry &entry);
    void rowFired(int row);
    void rowsMissed(const QList<int> &rows);
    void pausedChanged(bool paused);
    // The hours could not be had (the engine's message); sent once for the same message.
    void failed(const QString &message);

private:
    bool needsRebuild(const QDateTime &now) const;
    void rebuildAt(const QDateTime &now, bool refetch);
    void updateHour(const QDateTime &now, bool force);

    const LocaleFacts &mLocale;
    QTimer *mTimer = nullptr;
    std::function<QDateTime()> mNow;
    HoursSpanProvider mProvider;
    ClockPlace mPlace;
    AlarmChoices mChoices;

    HoursSpan mSpan;
    ClockPlace mSpanPlace; // what the span was fetched for
    QDate mSpanDate;
    bool mHaveSpan = false;
    qint64 mFailedMinute = -1; // a failed fetch is tried again the next minute
    QString mLastFailure;

    EventList mList;
    ClockPlace mListPlace; // what the list was built for
    AlarmChoices mListChoices;
    CurrentHour mHour;
    bool mHourKnown = false;

    bool mStarted = false;
    bool mPaused = false;
    bool mInTick = false;
    qint64 mLastMinute = -1;
};

} // namespace orlam
