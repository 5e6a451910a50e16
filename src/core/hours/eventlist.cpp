#include "hours/eventlist.h"

#include "common/westerntext.h"
#include "hours/planets.h"
#include "hours/riseset.h"
#include "settings/settings.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <tuple>

namespace orlam {

namespace {

// Columns, counted from 0.
constexpr int PaddedColumns[] = {6, 9, 17};
constexpr int DateTimeColumn = 6;
constexpr int DateTimeWidth = 18;
constexpr int BodyColumn = 24;
constexpr int BodyWidth = 8;
constexpr int WordColumn = 39;
constexpr int WordWidth = 8;

QDateTime minuteOf(const QDateTime &moment)
{
    return QDateTime(moment.date(), QTime(moment.time().hour(), moment.time().minute()), moment.timeSpec());
}

bool keptByFlags(const QString &body, const QString &word, const TSettings &settings)
{
    if (body == QLatin1String(NodeBody))
        return false;
    if (word == QLatin1String(HourEventWord)) {
        const std::optional<int> planet = planetByName(body);
        return !planet || settings.HourAlarm[PlanetCycle[*planet].alarmIndex];
    }
    for (int i = 0; i < BodyCount; ++i)
        if (body == BodyKeys[i])
            return settings.RiseSetAlarm[i];
    return true;
}

// Two entries name the same event when moment, body and word agree.
bool sameEvent(const EventEntry &a, const EventEntry &b)
{
    return CompareEventMoments(a, b) == 0 && a.body == b.body && a.word == b.word;
}

} // namespace

QList<EventSource> readEventSources(const QString &directory, bool reportsDayFirst)
{
    const QDir dir(directory);
    const std::pair<const char *, bool> files[] = {{"riseset.txt", reportsDayFirst},
                                                   {"risesetn.txt", reportsDayFirst},
                                                   {"risesetn2.txt", reportsDayFirst},
                                                   {"hl.txt", false}};
    QList<EventSource> sources;
    for (const auto &[name, dayFirst] : files) {
        // A file too large to be a report is passed over like a missing one; the rise/set
        // reading has said so already.
        std::optional<QStringList> lines;
        if (readReportLines(dir.filePath(QLatin1String(name)), &lines) && lines)
            sources.append({*lines, dayFirst});
    }
    return sources;
}

QString padEventLine(const QString &line)
{
    QString padded = line;
    for (int column : PaddedColumns)
        if (column < padded.size() && padded.at(column) == QLatin1Char(' '))
            padded[column] = QLatin1Char('0');
    return padded;
}

int CompareEventMoments(const EventEntry &a, const EventEntry &b)
{
    const qint64 difference = a.moment.msecsTo(b.moment);
    if (difference > 0)
        return -1;
    if (difference < 0)
        return 1;
    return 0;
}

void PrunePastEvents(EventList &list, const QDateTime &now)
{
    const QDateTime minute = minuteOf(now);
    list.entries.removeIf([&minute](const EventEntry &entry) { return entry.moment < minute; });
}

EventBuild BuildEventList(const QList<EventSource> &sources, const TSettings &settings, const QDateTime &now,
                          int offsetFromUtc, const EventList *previous)
{
    EventBuild build;
    EventList &list = build.list;
    for (const EventSource &source : sources) {
        for (const QString &raw : source.lines) {
            if (raw.trimmed().isEmpty())
                continue;
            EventEntry entry;
            entry.line = padEventLine(raw);
            entry.body = entry.line.mid(BodyColumn, BodyWidth).trimmed();
            entry.word = entry.line.mid(WordColumn, WordWidth).trimmed();
            if (!keptByFlags(entry.body, entry.word, settings))
                continue;
            const std::optional<QDateTime> moment = ReportLineMoment(entry.line, source.dayFirst);
            if (!moment) {
                // A header or a damaged line: the rest of the schedule still stands.
                if (build.unreadable++ == 0)
                    build.firstUnreadable = entry.line.mid(DateTimeColumn, DateTimeWidth).trimmed();
                continue;
            }
            entry.moment = *moment;
            list.entries.append(entry);
        }
    }
    // The same event may come from two files (a day's report, and the same day two days ahead).
    QList<EventEntry> unique;
    for (const EventEntry &entry : list.entries)
        if (std::none_of(unique.begin(), unique.end(),
                         [&](const EventEntry &u) { return sameEvent(u, entry); }))
            unique.append(entry);
    list.entries = unique;

    if (previous) {
        for (const EventEntry &old : previous->entries) {
            auto match = std::find_if(list.entries.begin(), list.entries.end(),
                                      [&](const EventEntry &entry) { return sameEvent(entry, old); });
            if (match != list.entries.end()) {
                match->checked = old.checked;
                match->fired = old.fired;
            } else if (!old.fired && keptByFlags(old.body, old.word, settings)) {
                list.entries.append(old);
            }
        }
    }
    PrunePastEvents(list, now);
    std::stable_sort(list.entries.begin(), list.entries.end(),
                     [](const EventEntry &a, const EventEntry &b) { return CompareEventMoments(a, b) < 0; });
    list.builtOn = now.date();
    list.builtOffset = offsetFromUtc;
    list.built = true;
    return build;
}

QList<int> dueEvents(const EventList &list, const QDateTime &now)
{
    const QDateTime minute = minuteOf(now);
    QList<int> due;
    for (int i = 0; i < list.size(); ++i) {
        const EventEntry &entry = list.entries.at(i);
        if (!entry.fired && minuteOf(entry.moment) == minute)
            due.append(i);
    }
    return due;
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

TickPlan planTick(const QDateTime &now, int offsetFromUtc, const QDateTime &pickers, const EventList &list,
                  bool started, bool nested)
{
    TickPlan plan;
    if (!started || nested)
        return plan;
    plan.minuteWork = minuteOf(now) != minuteOf(pickers);
    plan.rebuild = !list.built || list.builtOn != now.date() || list.builtOffset != offsetFromUtc;
    return plan;
}

} // namespace orlam
