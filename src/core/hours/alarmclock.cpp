#include "hours/alarmclock.h"

#include "hours/hoursspan.h"
#include "hours/planetaryhours.h"
#include "settings/localefacts.h"

#include <QCoreApplication>
#include <QTimer>

namespace orlam {

namespace {

constexpr int TickMs = 1000;

// Before and after the local date of the build: last night's hours need yesterday's base day,
// the horizon events run two days ahead.
constexpr int DaysBefore = 1;
constexpr int DaysAfter = 2;

// A guard that holds a flag set for its lifetime.
class FlagGuard {
public:
    explicit FlagGuard(bool &flag) : mFlag(flag) { mFlag = true; }
    ~FlagGuard() { mFlag = false; }
    FlagGuard(const FlagGuard &) = delete;
    FlagGuard &operator=(const FlagGuard &) = delete;

private:
    bool &mFlag;
};

} // namespace

AlarmClock::AlarmClock(const LocaleFacts &locale, QObject *parent)
    : QObject(parent), mLocale(locale), mNow([] { return QDateTime::currentDateTimeUtc(); })
{
    mPlace.zone = locale.zone();
    mTimer = new QTimer(this);
    mTimer->setObjectName(QStringLiteral("Timer1"));
    mTimer->setInterval(TickMs);
    connect(mTimer, &QTimer::timeout, this, &AlarmClock::tick);
}

AlarmClock::~AlarmClock() = default;

void AlarmClock::setNow(std::function<QDateTime()> now)
{
    mNow = std::move(now);
}

QDateTime AlarmClock::now() const
{
    return mNow().toUTC();
}

void AlarmClock::setProvider(HoursSpanProvider provider)
{
    mProvider = std::move(provider);
    mHaveSpan = false;
}

void AlarmClock::setPlace(const ClockPlace &place)
{
    mPlace = place;
}

void AlarmClock::setChoices(const AlarmChoices &choices)
{
    mChoices = choices;
}

void AlarmClock::start(const QDateTime &workedAt)
{
    mStarted = true;
    // A slow start (the first date, the engine's first run) may end in a minute after the one the
    // window shows: the first tick catches up.
    mLastMinute = minuteOf(workedAt.isValid() ? workedAt : now());
    {
        const FlagGuard inBuild(mInTick);
        rebuildAt(now(), false);
        updateHour(now(), true);
    }
    if (!mPaused)
        mTimer->start();
}

void AlarmClock::setPaused(bool paused)
{
    if (paused == mPaused)
        return;
    mPaused = paused;
    if (mPaused) {
        mTimer->stop();
    } else {
        // The first tick after the resume does the minute's work, whatever minute it is.
        mLastMinute = -1;
        mTimer->start();
    }
    emit pausedChanged(mPaused);
}

void AlarmClock::tick()
{
    const QDateTime at = now();
    emit secondTicked(at);
    if (!mStarted || mInTick)
        return;
    const FlagGuard inTick(mInTick);
    const qint64 minute = minuteOf(at);
    if (minute != mLastMinute) {
        mLastMinute = minute;
        emit minuteStarted(at);
    }
    // After the minute's work, which may have shown a message and let the date turn meanwhile.
    if (needsRebuild(at))
        rebuildAt(at, false);
    updateHour(at, false);
    if (const QList<int> missed = markMissedEvents(mList, at); !missed.isEmpty())
        emit rowsMissed(missed);
    for (int row : dueEvents(mList, at)) {
        EventEntry &entry = mList.entries[row];
        entry.fired = true;
        if (!entry.checked)
            emit alarmDue(entry);
        entry.checked = true;
        emit rowFired(row);
    }
}

void AlarmClock::rebuild()
{
    if (mInTick)
        return;
    // Ticks that a message box of the build runs meanwhile only keep the status bar going.
    const FlagGuard inBuild(mInTick);
    mHaveSpan = false;
    rebuildAt(now(), true);
    updateHour(now(), true);
}

bool AlarmClock::needsRebuild(const QDateTime &now) const
{
    if (!mList.built || mListPlace != mPlace || mListChoices != mChoices)
        return true;
    if (!mHaveSpan && mFailedMinute != minuteOf(now))
        return true;
    const QDateTime local = now.toTimeZone(mPlace.zone);
    return local.date() != mList.builtOn || local.offsetFromUtc() != mList.builtOffset;
}

void AlarmClock::rebuildAt(const QDateTime &now, bool refetch)
{
    const QDate today = now.toTimeZone(mPlace.zone).date();
    if (refetch || !mHaveSpan || mSpanPlace != mPlace || mSpanDate != today) {
        HoursSpan fetched;
        Status status =
            mProvider
                ? mProvider(mPlace, today.addDays(-DaysBefore), today.addDays(DaysAfter), &fetched)
                : Status::failure(QCoreApplication::translate("Messages", "No source of planetary hours."));
        if (status) {
            mSpan = std::move(fetched);
            mSpanPlace = mPlace;
            mSpanDate = today;
            mHaveSpan = true;
            mFailedMinute = -1;
            mLastFailure.clear();
        } else {
            // The list keeps what it has; the fetch is tried again the next minute, and the same
            // message is not shown again.
            mHaveSpan = false;
            mFailedMinute = minuteOf(now);
            if (status.message != mLastFailure) {
                mLastFailure = status.message;
                emit failed(status.message);
            }
            if (mList.built)
                return;
            // No hours, but the place's wall clock, so that the list knows its date.
            mSpan = HoursSpan::fromEvents({mPlace.longitude, mPlace.latitude, mPlace.zone}, {}, {}, {});
        }
    }
    // The marks carry over only within the same place and alarm choices.
    const bool same = mList.built && mListPlace == mPlace && mListChoices == mChoices;
    mList = buildEventList(mSpan, mChoices, now, mLocale, same ? &mList : nullptr);
    mListPlace = mPlace;
    mListChoices = mChoices;
    emit listRebuilt(mList);
    mHourKnown = false;
}

void AlarmClock::updateHour(const QDateTime &now, bool force)
{
    // The hour in force holds until its end, unless the span changed.
    if (!force && mHourKnown && mHour.hour && mHour.hour->contains(now))
        return;
    CurrentHour hour = currentHour(mSpan, now, mLocale);
    const bool changed = force || !mHourKnown || !(hour == mHour);
    mHour = std::move(hour);
    mHourKnown = true;
    if (changed)
        emit hourChanged(mHour);
}

void AlarmClock::setRowChecked(int row, bool checked)
{
    if (row >= 0 && row < mList.size())
        mList.entries[row].checked = checked;
}

} // namespace orlam
