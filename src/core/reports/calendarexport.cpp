#include "reports/calendarexport.h"

#include "astrocalls/scratchjobs.h"
#include "common/clocktime.h"
#include "common/safefile.h"
#include "hours/hoursspan.h"
#include "hours/planets.h"
#include "hours/riseset.h"
#include "reports/icalwriter.h"
#include "reports/transitevents.h"
#include "settings/localefacts.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <string_view>
#include <tuple>

namespace orlam {

namespace {

QString isoDay(QDate date)
{
    return date.toString(Qt::ISODate);
}

QString horizonSummary(const HorizonInstant &event)
{
    const bool sun = event.body == QLatin1String("Sun");
    if (event.word == QLatin1String("rises"))
        return sun ? QStringLiteral("Sunrise") : QStringLiteral("Moonrise");
    if (event.word == QLatin1String("sets"))
        return sun ? QStringLiteral("Sunset") : QStringLiteral("Moonset");
    if (event.word == QLatin1String("zeniths"))
        return event.body + QStringLiteral(" culminates");
    return event.body + QStringLiteral(" at lower culmination");
}

QString placeText(const HoursPlace &place)
{
    return place.longitude + QLatin1Char(' ') + place.latitude;
}

// What follows the hour's number in its description, " of the day of Monday 2026-06-15 at
// 93W21 45N05", escaped for the calendar (`where` is escaped already): made once for each half
// of a base day rather than for each of its hours.
std::string hourDescriptionTail(QDate baseDay, bool night, const std::string &where)
{
    static const std::array<std::string, 7> dayNames = [] {
        std::array<std::string, 7> names;
        for (int day = 1; day <= 7; ++day)
            names[static_cast<std::size_t>(day - 1)] = QLocale::c().dayName(day).toStdString();
        return names;
    }();
    std::string tail = night ? " of the night of " : " of the day of ";
    tail += dayNames[static_cast<std::size_t>(baseDay.dayOfWeek() - 1)];
    tail += ' ';
    const int year = baseDay.year();
    if (year >= 1 && year <= 9999) {
        char date[10];
        const int parts[3] = {year, baseDay.month(), baseDay.day()};
        const int widths[3] = {4, 2, 2};
        char *to = date;
        for (int p = 0; p < 3; ++p) {
            if (p > 0)
                *to++ = '-';
            for (int i = widths[p] - 1, value = parts[p]; i >= 0; --i, value /= 10)
                to[i] = static_cast<char>('0' + value % 10);
            to += widths[p];
        }
        tail.append(date, static_cast<std::size_t>(to - date));
    } else {
        tail += ICalendarWriter::escaped(isoDay(baseDay));
    }
    tail += " at ";
    tail += where;
    return tail;
}

int hourPlanetIndex(const QString &ruler)
{
    for (int i = 0; i < HourPlanetCount; ++i) {
        if (BodyKeys[static_cast<std::size_t>(i)] == ruler)
            return i;
    }
    return -1;
}

// The transit calendars that cover the dates `from` to `to` (engine days): a year's job for a
// year of which four months or more are wanted, else a job for each month.
std::vector<ScratchJob> transitJobs(const TSettings &settings, const HoursPlace &place, QDate from, QDate to)
{
    std::vector<ScratchJob> jobs;
    const QTime noon(12, 0);
    const auto job = [&](JobKind kind, QDate date) {
        ScratchJob j;
        j.kind = kind;
        j.args = {settings.TimeZone, place.longitude, place.latitude, clockTime(date, noon), noon, QString()};
        jobs.push_back(j);
    };
    for (int year = from.year(); year <= to.year(); ++year) {
        const int firstMonth = year == from.year() ? from.month() : 1;
        const int lastMonth = year == to.year() ? to.month() : 12;
        if (lastMonth - firstMonth + 1 >= 4) {
            job(JobKind::YearCalendar, QDate(year, 1, 1));
            continue;
        }
        for (int month = firstMonth; month <= lastMonth; ++month)
            job(JobKind::MonthCalendar, QDate(year, month, 1));
    }
    return jobs;
}

// The universal time of a transit calendar's clock reading.
QDateTime transitUtc(const QDateTime &clock, double hoursWest)
{
    return QDateTime(clock.date(), clock.time(), Qt::UTC).addSecs(qRound64(hoursWest * 3600.0));
}

// The instants a transit calendar job lists: those whose printed minute falls in its month or
// year on its clock. Nothing when the job's clock is not known.
std::optional<std::pair<qint64, qint64>> periodMSecs(const ScratchJobs &jobs, const ScratchJob &job)
{
    const std::optional<double> west = jobs.clockHoursWest(job);
    if (!west)
        return std::nullopt;
    const QDate date = job.args.date.date();
    const bool year = job.kind == JobKind::YearCalendar;
    const QDate start = year ? QDate(date.year(), 1, 1) : QDate(date.year(), date.month(), 1);
    const QDate end = year ? start.addYears(1) : start.addMonths(1);
    return std::make_pair(transitUtc(clockTime(start), *west).toMSecsSinceEpoch(),
                          transitUtc(clockTime(end), *west).toMSecsSinceEpoch());
}

// The transit calendars reach a day beyond each end of the selection, for a place whose zone
// is ahead of or behind the jobs' clock. A month's job that only that day brought in is left out
// when the job beside it already begins by the first instant of the selection, or ends after its
// last: a year's export then needs one engine run for its transits, not three.
void leaveOutNeedlessEdges(const ScratchJobs &jobs, const HoursPlace &place, QDate first, QDate last,
                           std::vector<ScratchJob> *calendars)
{
    const auto monthOf = [](const ScratchJob &job) {
        const QDate date = job.args.date.date();
        return QDate(date.year(), date.month(), 1);
    };
    if (calendars->size() > 1 && calendars->front().kind == JobKind::MonthCalendar &&
        monthOf(calendars->front()).addMonths(1) <= first) {
        const auto next = periodMSecs(jobs, (*calendars)[1]);
        if (next && next->first <= first.startOfDay(place.zone).toMSecsSinceEpoch())
            calendars->erase(calendars->begin());
    }
    if (calendars->size() > 1 && calendars->back().kind == JobKind::MonthCalendar &&
        monthOf(calendars->back()) > last) {
        const auto before = periodMSecs(jobs, (*calendars)[calendars->size() - 2]);
        if (before && before->second >= last.addDays(1).startOfDay(place.zone).toMSecsSinceEpoch())
            calendars->pop_back();
    }
}

} // namespace

Status CalendarSelection::check() const
{
    if (!first.isValid())
        return Status::failure(
            QCoreApplication::translate("Messages", "The first day of the calendar is not a valid date."));
    if (dayCount < 1 || dayCount > MaxCalendarDays)
        return Status::failure(
            QCoreApplication::translate("Messages", "A calendar holds 1 to %1 days; %2 days were asked for.")
                .arg(MaxCalendarDays)
                .arg(dayCount));
    const bool anyPlanet = std::any_of(hourPlanets.begin(), hourPlanets.end(), [](bool on) { return on; });
    if (hours && !anyPlanet)
        return Status::failure(QCoreApplication::translate(
            "Messages", "Choose at least one planet whose hours the calendar holds."));
    if (!hours && !sunMoon && !transits)
        return Status::failure(
            QCoreApplication::translate("Messages", "Choose at least one kind of event for the calendar."));
    return Status::success();
}

std::optional<QDate> readCommandLineDate(const QString &text, const LocaleFacts &locale)
{
    static const QRegularExpression iso(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    const QString trimmed = text.trimmed();
    if (iso.match(trimmed).hasMatch()) {
        const QDate date = QDate::fromString(trimmed, Qt::ISODate);
        if (date.isValid())
            return date;
        return std::nullopt;
    }
    return locale.parseShortDate(trimmed);
}

Status buildCalendar(ScratchJobs &jobs, const HoursPlace &place, const CalendarSelection &selection,
                     const QDateTime &stampUtc, QByteArray *ics, CalendarCounts *counts)
{
    QByteArray text;
    const Status status = buildCalendar(
        jobs, place, selection, stampUtc,
        [&text](const QByteArray &piece) {
            text.append(piece);
            return Status::success();
        },
        counts);
    if (status)
        *ics = std::move(text);
    return status;
}

Status writeCalendar(ScratchJobs &jobs, const HoursPlace &place, const CalendarSelection &selection,
                     const QDateTime &stampUtc, const QString &path, CalendarCounts *counts)
{
    // Opened with the first piece: what went wrong before it is told as it was when the file
    // was written at the end.
    OutputFile output(path);
    bool opened = false;
    const auto write = [&](const QByteArray &piece) {
        if (!opened) {
            if (Status status = output.open(); !status)
                return status;
            opened = true;
        }
        return output.write(piece) ? Status::success() : output.failure();
    };
    if (Status status = buildCalendar(jobs, place, selection, stampUtc, write, counts); !status)
        return status;
    return output.commit();
}

Status buildCalendar(ScratchJobs &jobs, const HoursPlace &place, const CalendarSelection &selection,
                     const QDateTime &stampUtc, const CalendarSink &sink, CalendarCounts *counts)
{
    *counts = {};
    if (Status status = selection.check(); !status)
        return status;
    const QDate first = selection.first;
    const QDate last = selection.last();
    // An instant a day and a half inside the selection's ends lies on one of its dates whatever
    // the zone's offsets do; only those nearer the ends are read on the place's clock.
    constexpr qint64 SureMSecs = 36 * 3600 * qint64(1000);
    const qint64 surelyFrom = first.startOfDay(place.zone).toMSecsSinceEpoch() + SureMSecs;
    const qint64 surelyUntil = last.addDays(1).startOfDay(place.zone).toMSecsSinceEpoch() - SureMSecs;
    const auto inRange = [&](const QDateTime &utc) {
        const qint64 msecs = utc.toMSecsSinceEpoch();
        if (surelyFrom <= msecs && msecs < surelyUntil)
            return true;
        const QDate date = placeClock(utc, place.zone).date();
        return first <= date && date <= last;
    };
    const std::string whereText = ICalendarWriter::escaped(placeText(place));

    // The transit calendars run beside the rise/set span: one wait for the engines, not two.
    std::vector<ScratchJob> calendars;
    if (selection.transits) {
        calendars = transitJobs(jobs.settings(), place, first.addDays(-1), last.addDays(1));
        leaveOutNeedlessEdges(jobs, place, first, last, &calendars);
    }
    std::vector<ScratchReport> transitReports;

    // The events are gathered as instants with indexes into texts made once, and written out
    // straight from there: a year holds some twelve thousand of them.
    struct Entry {
        qint64 start = 0;
        std::optional<qint64> end;
        std::size_t texts = 0; // into `texts`
        int hour = 0;          // 1..12 for an hour, whose description its day's tail completes
        std::size_t tail = 0;  // into `tails`
    };
    std::vector<Entry> entries;
    std::vector<ICalendarWriter::EventTexts> texts;
    std::vector<std::string> tails;
    QHash<QString, std::size_t> textsByKey;
    const auto textsFor = [&](const QString &kind, const QString &body, const QString &summary,
                              const QString &category) {
        const QString key =
            kind + QLatin1Char('\n') + body + QLatin1Char('\n') + summary + QLatin1Char('\n') + category;
        const auto known = textsByKey.constFind(key);
        if (known != textsByKey.cend())
            return *known;
        texts.push_back(ICalendarWriter::eventTexts(kind, body, summary, category));
        textsByKey.insert(key, texts.size() - 1);
        return texts.size() - 1;
    };
    if (selection.hours || selection.sunMoon) {
        HoursSpan span;
        if (Status status = fetchHoursSpan(jobs, place, first, last, &span, HorizonBodies::SunAndMoon,
                                           calendars, &transitReports);
            !status)
            return status;
        if (selection.sunMoon) {
            const QString category = QStringLiteral("Sun and Moon");
            // The two bodies' four events, each looked up once.
            std::vector<std::tuple<QString, QString, std::size_t>> seen;
            for (const HorizonInstant &event : span.events()) {
                if ((event.body != QLatin1String("Sun") && event.body != QLatin1String("Moon")) ||
                    !inRange(event.utc))
                    continue;
                Entry entry;
                entry.start = event.utc.toMSecsSinceEpoch();
                const auto known = std::find_if(seen.begin(), seen.end(), [&](const auto &item) {
                    return std::get<0>(item) == event.body && std::get<1>(item) == event.word;
                });
                if (known != seen.end()) {
                    entry.texts = std::get<2>(*known);
                } else {
                    entry.texts = textsFor(event.word, event.body, horizonSummary(event), category);
                    seen.emplace_back(event.body, event.word, entry.texts);
                }
                entries.push_back(entry);
                ++counts->sunMoon;
            }
        }
        if (selection.hours) {
            // Each ruler's texts and place in the selection, looked up once.
            std::array<std::optional<std::size_t>, PlanetCycleLength> rulers;
            const QString kind = QStringLiteral("hour");
            const QString category = QStringLiteral("Planetary hours");
            for (int r = 0; r < PlanetCycleLength; ++r) {
                const QString body = planetName(r);
                const int planet = hourPlanetIndex(body);
                if (planet >= 0 && selection.hourPlanets[static_cast<std::size_t>(planet)])
                    rulers[static_cast<std::size_t>(r)] =
                        textsFor(kind, body, QStringLiteral("Hour of %1").arg(body), category);
            }
            for (const BaseDayHours &day : span.days()) {
                if (day.date < first || !day.valid())
                    continue;
                tails.push_back(hourDescriptionTail(day.date, false, whereText));
                tails.push_back(hourDescriptionTail(day.date, true, whereText));
                for (const PlanetHour &hour : day.hours) {
                    const std::optional<std::size_t> ruler = rulers[static_cast<std::size_t>(hour.ruler)];
                    if (!ruler)
                        continue;
                    Entry entry;
                    entry.start = hour.startUtc.toMSecsSinceEpoch();
                    entry.end = hour.endUtc.toMSecsSinceEpoch();
                    entry.texts = *ruler;
                    entry.hour = hour.number + 1;
                    entry.tail = tails.size() - (hour.night ? 1 : 2);
                    entries.push_back(entry);
                    ++counts->hours;
                }
            }
        }
    } else if (!calendars.empty()) {
        if (Status status = jobs.run(calendars, &transitReports); !status)
            return status;
    }

    const QString transitCategory = QStringLiteral("Transits");
    for (const ScratchReport &report : transitReports) {
        if (!report.lines || !report.clockHoursWest)
            continue;
        for (const TransitEvent &transit : readTransitEvents(*report.lines, engineReportLocale())) {
            const QDateTime utc = transitUtc(transit.clock, *report.clockHoursWest);
            if (!inRange(utc))
                continue;
            QString kind;
            switch (transit.kind) {
            case TransitEvent::Kind::NewMoon:
                kind = QStringLiteral("newmoon");
                break;
            case TransitEvent::Kind::FullMoon:
                kind = QStringLiteral("fullmoon");
                break;
            case TransitEvent::Kind::Ingress:
                kind = QStringLiteral("ingress");
                break;
            }
            Entry entry;
            entry.start = utc.toMSecsSinceEpoch();
            entry.texts = textsFor(kind, transit.body, transit.text, transitCategory);
            entries.push_back(entry);
            ++counts->transits;
        }
    }

    // In time order. The rises and sets, the hours and the transits come each in time order as a
    // rule, and then merging them gives what sorting the whole would.
    const auto earlier = [](const Entry &a, const Entry &b) { return a.start < b.start; };
    const auto sunMoonEnd = entries.begin() + counts->sunMoon;
    const auto hoursEnd = sunMoonEnd + counts->hours;
    if (std::is_sorted(entries.begin(), sunMoonEnd, earlier) &&
        std::is_sorted(sunMoonEnd, hoursEnd, earlier) && std::is_sorted(hoursEnd, entries.end(), earlier)) {
        std::inplace_merge(entries.begin(), sunMoonEnd, hoursEnd, earlier);
        std::inplace_merge(entries.begin(), hoursEnd, entries.end(), earlier);
    } else {
        std::stable_sort(entries.begin(), entries.end(), earlier);
    }
    // The text goes on in pieces small enough for the heap to hand the same room back each time:
    // a year's calendar held whole would take megabytes of fresh pages.
    constexpr qsizetype PieceEvents = 256;
    constexpr qsizetype PieceBytes = 64 * 1024;
    ICalendarWriter writer(calendarPlaceKey(place.longitude, place.latitude), stampUtc,
                           QStringLiteral("Orlam %1 to %2").arg(isoDay(first), isoDay(last)),
                           std::min(static_cast<qsizetype>(entries.size()), PieceEvents));
    // An hour's description is put together in room made once for the longest.
    constexpr std::string_view hourWord = "Hour ";
    std::size_t longestTail = 0;
    for (const std::string &tail : tails)
        longestTail = std::max(longestTail, tail.size());
    std::string description(hourWord.size() + 2 + longestTail, '\0');
    for (const Entry &entry : entries) {
        const ICalendarWriter::EventTexts &eventTexts = texts[entry.texts];
        if (writer.writtenSize() >= PieceBytes) {
            if (Status status = sink(writer.takeWritten()); !status)
                return status;
        }
        if (entry.hour == 0) {
            writer.add(eventTexts, entry.start, entry.end, whereText);
            continue;
        }
        // "Hour 4 of the day of Monday 2026-06-15 at 93W21 45N05"
        char *to = std::copy(hourWord.begin(), hourWord.end(), description.data());
        if (entry.hour >= 10)
            *to++ = static_cast<char>('0' + entry.hour / 10);
        *to++ = static_cast<char>('0' + entry.hour % 10);
        const std::string &tail = tails[entry.tail];
        to = std::copy(tail.begin(), tail.end(), to);
        writer.add(eventTexts, entry.start, entry.end,
                   std::string_view(description.data(), static_cast<std::size_t>(to - description.data())));
    }
    return sink(writer.finish());
}

} // namespace orlam
