#include "hours/alarmclock.h"

#include "hours/hoursspan.h"
#include "hours/planetaryhours.h"
#include "hours/planets.h"
#include "settings/localefacts.h"

#include <QTimer>

namespace orlam {

namespace {

constexpr int TickMs = 1000;

// Before and after the local date of the build: last night's hours need yesterday's base day,
// the horizon events run two days ahead.
constexpr int DaysBefore = 1;
constexpr int DaysAfter = 2;

QTime wallTime(const QDateTime &at, const QTimeZone &zone)
{
    return QDateTime::fromSecsSinceEpoch(alarmMinute(at) * 60, zone).time();
}

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

HourInForce hourInForce(const PlaceFacts &facts, const QDateTime &now, const QTimeZone &zone,
                        const LocaleFacts &locale)
{
    HourInForce state;
    for (const PlaceDay &day : facts.days)
        for (const PlaceHour &hour : day.hours)
            if (hour.start <= now && now < hour.end) {
                state.hour = hour;
                const HourPlanet &ruler = PlanetCycle[hour.ruler];
                state.CurrentRuler = QString::fromLatin1(ruler.name);
                state.trayImage = ruler.trayImage;
                state.HourText = QStringLiteral(" [Hour of ") + state.CurrentRuler + QLatin1Char(' ') +
                                 locale.formatShortTime(wallTime(hour.start, zone)) + QLatin1Char('-') +
                                 locale.formatShortTime(wallTime(hour.end, zone)) + QLatin1Char(']');
                return state;
            }
    // No hour holds now: today has none, or last night belongs to a day without them.
    const QDate today = now.toTimeZone(zone).date();
    const PlaceDay *day = facts.day(today);
    if (day && day->hasHours)
        day = facts.day(today.addDays(-1));
    if (day && !day->hasHours && (day->noSunrise || day->noSunset)) {
        state.noSunrise = day->noSunrise;
        state.noSunset = !day->noSunrise && day->noSunset;
        // The same words as the hours command's: " [Hour not available: no sunrise]".
        state.HourText = QLatin1String(HourNotAvailableText);
        state.HourText.chop(1);
        state.HourText += QStringLiteral(": ") +
                          noHoursText(state.noSunrise ? NoHours::NoSunrise : NoHours::NoSunset) +
                          QLatin1Char(']');
        return state;
    }
    state.HourText = QLatin1String(HourNotAvailableText);
    return state;
}

QStringList hoursFileLines(const PlaceFacts &facts, QDate date, const QTimeZone &zone,
                           const LocaleFacts &locale)
{
    QStringList lines;
    const PlaceDay *day = facts.day(date);
    if (!day || !day->hasHours)
        return lines;
    for (const PlaceHour &hour : day->hours) {
        PlanetHour shown;
        shown.startUtc = hour.start;
        shown.ruler = hour.ruler;
        lines << hourLine(shown, zone, locale);
    }
    return lines;
}

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

void AlarmClock::setProvider(PlaceFactsProvider provider)
{
    mProvider = std::move(provider);
    mHaveFacts = false;
}

void AlarmClock::setPlace(const ClockPlace &place)
{
    mPlace = place;
}

void AlarmClock::setChoices(const AlarmChoices &choices)
{
    mChoices = choices;
}

void AlarmClock::start()
{
    mStarted = true;
    mLastMinute = minuteOf(now());
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
    mHaveFacts = false;
    rebuildAt(now(), true);
    updateHour(now(), true);
}

bool AlarmClock::needsRebuild(const QDateTime &now) const
{
    if (!mList.built || mListPlace != mPlace || mListChoices != mChoices)
        return true;
    if (!mHaveFacts && mFailedMinute != minuteOf(now))
        return true;
    const QDateTime local = now.toTimeZone(mPlace.zone);
    return local.date() != mList.builtOn || local.offsetFromUtc() != mList.builtOffset;
}

void AlarmClock::rebuildAt(const QDateTime &now, bool refetch)
{
    const QDate today = now.toTimeZone(mPlace.zone).date();
    if (refetch || !mHaveFacts || mFactsPlace != mPlace || mFactsDate != today) {
        PlaceFacts fetched;
        Status status =
            mProvider ? mProvider(mPlace, today.addDays(-DaysBefore), today.addDays(DaysAfter), &fetched)
                      : Status::failure(QStringLiteral("No source of planetary hours."));
        if (status) {
            mFacts = std::move(fetched);
            mFactsPlace = mPlace;
            mFactsDate = today;
            mHaveFacts = true;
            mFailedMinute = -1;
            mLastFailure.clear();
        } else {
            // The list keeps what it has; the fetch is tried again the next minute, and the same
            // message is not shown again.
            mHaveFacts = false;
            mFailedMinute = minuteOf(now);
            if (status.message != mLastFailure) {
                mLastFailure = status.message;
                emit failed(status.message);
            }
            if (mList.built)
                return;
            mFacts = PlaceFacts();
        }
    }
    // The marks carry over only within the same place and alarm choices.
    const bool same = mList.built && mListPlace == mPlace && mListChoices == mChoices;
    mList = buildEventList(mFacts, mChoices, now, mPlace.zone, mLocale, same ? &mList : nullptr);
    mListPlace = mPlace;
    mListChoices = mChoices;
    if (!mHaveFacts) {
        // A list without facts counts as built for today, so it is not built every second.
        mList.builtOn = today;
        mList.builtOffset = now.toTimeZone(mPlace.zone).offsetFromUtc();
    }
    emit listRebuilt(mList);
    mHourKnown = false;
}

void AlarmClock::updateHour(const QDateTime &now, bool force)
{
    // The hour in force holds until its end, unless the facts changed.
    if (!force && mHourKnown && mHour.hour && mHour.hour->start <= now && now < mHour.hour->end)
        return;
    HourInForce hour = hourInForce(mFacts, now, mPlace.zone, mLocale);
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
