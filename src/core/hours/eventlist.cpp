#include "hours/eventlist.h"

#include "hours/planetaryhours.h"
#include "hours/planets.h"
#include "settings/localefacts.h"
#include "settings/settings.h"

#include <algorithm>
#include <cmath>

namespace orlam {

namespace {

constexpr qint64 SecsPerMinute = 60;
constexpr int ReportedDays = 3; // horizon events of today and the two days after it

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// Two entries name the same event when body and word agree and their instants lie within a
// minute of each other (two runs of the engine may place one event a few seconds apart).
bool sameEvent(const EventEntry &a, const EventEntry &b)
{
    return a.body == b.body && a.word == b.word && std::abs(a.at.secsTo(b.at)) < SecsPerMinute;
}

QDateTime wallMinute(const QDateTime &at, const QTimeZone &zone)
{
    const QDateTime rounded = QDateTime::fromSecsSinceEpoch(alarmMinute(at) * SecsPerMinute, zone);
    return QDateTime(rounded.date(), rounded.time(), QTimeZone::utc());
}

EventEntry makeEntry(const QDateTime &at, const QString &body, const QString &word, const QTimeZone &zone,
                     const LocaleFacts &locale)
{
    EventEntry entry;
    entry.at = at.toUTC();
    entry.moment = wallMinute(entry.at, zone);
    entry.body = body;
    entry.word = word;
    entry.line = eventLine(entry, locale);
    return entry;
}

} // namespace

AlarmChoices AlarmChoices::from(const TSettings &settings)
{
    AlarmChoices choices;
    std::copy(settings.HourAlarm.begin(), settings.HourAlarm.end(), choices.hour.begin());
    std::copy(settings.RiseSetAlarm.begin(), settings.RiseSetAlarm.end(), choices.riseSet.begin());
    return choices;
}

qint64 alarmMinute(const QDateTime &at)
{
    const qint64 secs = at.toSecsSinceEpoch();
    return static_cast<qint64>(std::floor((static_cast<double>(secs) + SecsPerMinute / 2) / SecsPerMinute));
}

qint64 minuteOf(const QDateTime &now)
{
    const qint64 secs = now.toSecsSinceEpoch();
    return secs >= 0 ? secs / SecsPerMinute : -((-secs + SecsPerMinute - 1) / SecsPerMinute);
}

bool keptByChoices(const QString &body, const QString &word, const AlarmChoices &choices)
{
    if (body == QLatin1String(NodeBody))
        return false;
    if (word == QLatin1String(HourEventWord)) {
        const std::optional<int> planet = planetByName(body);
        return !planet || choices.hour[PlanetCycle[*planet].alarmIndex];
    }
    for (int i = 0; i < BodyCount; ++i)
        if (body == BodyKeys[i])
            return choices.riseSet[i];
    return true;
}

QString eventLine(const EventEntry &entry, const LocaleFacts &locale)
{
    const QDate date = entry.moment.date();
    const QTime time = entry.moment.time();
    const QChar sep = locale.dateSeparator();
    const QString year = QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
    const QString dateText = locale.dayFirst()
                                 ? twoDigits(date.day()) + sep + twoDigits(date.month()) + sep + year
                                 : twoDigits(date.month()) + sep + twoDigits(date.day()) + sep + year;
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    const QString timeText = twoDigits(hour12) + locale.timeSeparator() + twoDigits(time.minute()) +
                             QLatin1String(time.hour() < 12 ? "am" : "pm");
    const QString head = WeekdayTag(entry.moment) + dateText + QLatin1Char(' ') + timeText;
    if (entry.word == QLatin1String(HourEventWord))
        return head + QLatin1Char(' ') + entry.body.leftJustified(8, QLatin1Char(' '), true) +
               QStringLiteral("      ") + entry.word;
    return head + entry.body.rightJustified(8, QLatin1Char(' '), true) + QStringLiteral("       ") +
           entry.word;
}

EventList buildEventList(const HoursSpan &span, const AlarmChoices &choices, const QDateTime &now,
                         const LocaleFacts &locale, const EventList *carry)
{
    const QTimeZone &zone = span.place().zone;
    const qint64 present = minuteOf(now);
    const QDateTime local = now.toTimeZone(zone);
    const QDate today = local.date();

    EventList list;
    const auto add = [&](const QDateTime &at, const QString &body, const QString &word) {
        if (!at.isValid() || alarmMinute(at) < present || !keptByChoices(body, word, choices))
            return;
        EventEntry entry = makeEntry(at, body, word, zone, locale);
        if (std::none_of(list.entries.begin(), list.entries.end(),
                         [&](const EventEntry &e) { return sameEvent(e, entry); }))
            list.entries.append(entry);
    };
    // Last night's hours first (those still to come when the night has not ended), then today's.
    for (const QDate base : {today.addDays(-1), today})
        if (const BaseDayHours *day = span.day(base); day && day->valid())
            for (const PlanetHour &hour : day->hours)
                add(hour.startUtc, planetName(hour.ruler), QLatin1String(HourEventWord));
    for (const HorizonInstant &event : span.events()) {
        const QDate date = placeClock(event.utc, zone).date();
        if (date >= today && date < today.addDays(ReportedDays))
            add(event.utc, event.body, event.word);
    }

    if (carry) {
        for (const EventEntry &old : carry->entries) {
            auto match = std::find_if(list.entries.begin(), list.entries.end(),
                                      [&](const EventEntry &entry) { return sameEvent(entry, old); });
            if (match != list.entries.end()) {
                match->checked = old.checked;
                match->fired = old.fired;
                match->missed = old.missed;
            } else if (!old.fired && !old.missed && keptByChoices(old.body, old.word, choices)) {
                // Still to come, or passed unheard since the last build: shown once more, so
                // that the user sees what the clock did not ring.
                EventEntry kept = makeEntry(old.at, old.body, old.word, zone, locale);
                kept.checked = old.checked;
                kept.missed = alarmMinute(old.at) < present;
                list.entries.append(kept);
            }
        }
    }
    std::stable_sort(list.entries.begin(), list.entries.end(),
                     [](const EventEntry &a, const EventEntry &b) { return a.at < b.at; });
    list.builtOn = today;
    list.builtOffset = local.offsetFromUtc();
    list.built = true;
    return list;
}

QList<int> dueEvents(const EventList &list, const QDateTime &now)
{
    const qint64 minute = minuteOf(now);
    QList<int> due;
    for (int i = 0; i < list.size(); ++i) {
        const EventEntry &entry = list.entries.at(i);
        if (!entry.fired && !entry.missed && alarmMinute(entry.at) == minute)
            due.append(i);
    }
    return due;
}

QList<int> markMissedEvents(EventList &list, const QDateTime &now)
{
    const qint64 minute = minuteOf(now);
    QList<int> missed;
    for (int i = 0; i < list.size(); ++i) {
        EventEntry &entry = list.entries[i];
        if (!entry.fired && !entry.missed && alarmMinute(entry.at) < minute) {
            entry.missed = true;
            missed.append(i);
        }
    }
    return missed;
}

QStringList alarmSounds(const EventEntry &entry, const std::function<QString(const QString &)> &find)
{
    const QString bodySound = find(entry.body.toLower() + QStringLiteral(".wav"));
    if (entry.body.isEmpty() || bodySound.isEmpty())
        return {};
    QStringList sounds{bodySound};
    if (!entry.word.isEmpty()) {
        const QString wordSound = find(entry.word.toLower() + QStringLiteral(".wav"));
        if (!wordSound.isEmpty())
            sounds << wordSound;
    }
    return sounds;
}

} // namespace orlam
