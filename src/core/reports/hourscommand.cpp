#include "reports/hourscommand.h"

#include "astrocalls/runner.h"
#include "astrocalls/scratchjobs.h"
#include "common/columns.h"
#include "common/safefile.h"
#include "reports/calendarexport.h"
#include "reports/hourreports.h"
#include "settings/firststart.h"
#include "settings/localefacts.h"
#include "settings/settings.h"

namespace orlam {

namespace {

HoursCommandResult failed(int code, const QString &message)
{
    HoursCommandResult result;
    result.exitCode = code;
    result.error = message;
    return result;
}

HoursCommandResult nextHour(const QStringList &arguments, ScratchJobs &jobs, const HoursPlace &place,
                            const QDateTime &now)
{
    if (arguments.size() != 1)
        return failed(2, QStringLiteral("--next-hour takes one planet: Sun, Moon, Mercury, Venus, Mars, "
                                        "Jupiter or Saturn."));
    const std::optional<QString> planet = hourPlanetName(arguments.at(0));
    if (!planet)
        return failed(2,
                      QStringLiteral("\"%1\" is not a planet of the hours: Sun, Moon, Mercury, Venus, Mars, "
                                     "Jupiter or Saturn.")
                          .arg(arguments.at(0)));
    NextHours answer;
    if (Status status = searchNextHours(jobs, place, *planet, now, &answer); !status)
        return failed(1, status.message);
    HoursCommandResult result;
    result.output = nextHoursLines(answer);
    if (answer.hours.isEmpty())
        result.output << QStringLiteral("no hour of %1 in %2 days").arg(*planet).arg(NextHourSearchDays);
    return result;
}

HoursCommandResult dayHours(const QStringList &arguments, ScratchJobs &jobs, const HoursPlace &place,
                            const LocaleFacts &locale, const QDateTime &now)
{
    if (arguments.size() > 1)
        return failed(2, QStringLiteral("--hours takes at most one date."));
    QDate date = placeClock(now, place.zone).date();
    if (!arguments.isEmpty()) {
        const std::optional<QDate> given = readCommandLineDate(arguments.at(0), locale);
        if (!given)
            return failed(2, QStringLiteral("'%1' is not a valid date").arg(arguments.at(0)));
        date = *given;
    }
    HoursSpan span;
    if (Status status = fetchHoursSpan(jobs, place, date, date, &span); !status)
        return failed(1, status.message);
    HoursCommandResult result;
    result.output = dayHoursLines(span, date);
    return result;
}

HoursCommandResult calendar(const QStringList &arguments, ScratchJobs &jobs, const HoursPlace &place,
                            const LocaleFacts &locale)
{
    if (arguments.size() != 3)
        return failed(2, QStringLiteral("--ics takes three arguments: FROM TO FILE."));
    const std::optional<QDate> from = readCommandLineDate(arguments.at(0), locale);
    const std::optional<QDate> to = readCommandLineDate(arguments.at(1), locale);
    if (!from)
        return failed(2, QStringLiteral("'%1' is not a valid date").arg(arguments.at(0)));
    if (!to)
        return failed(2, QStringLiteral("'%1' is not a valid date").arg(arguments.at(1)));
    if (*to < *from)
        return failed(2, QStringLiteral("The last day (%1) comes before the first (%2).")
                             .arg(arguments.at(1), arguments.at(0)));
    const qint64 days = from->daysTo(*to) + 1;
    if (days > MaxCalendarDays)
        return failed(2, QStringLiteral("A calendar holds 1 to %1 days; %2 to %3 are %4 days.")
                             .arg(MaxCalendarDays)
                             .arg(arguments.at(0), arguments.at(1))
                             .arg(days));
    CalendarSelection selection;
    selection.first = *from;
    selection.dayCount = static_cast<int>(days);

    CalendarCounts counts;
    const QDateTime stamp = QDateTime::currentDateTimeUtc();
    const QString &file = arguments.at(2);
    if (Status status = writeCalendar(jobs, place, selection, stamp, file, &counts); !status)
        return failed(1, status.message);
    HoursCommandResult result;
    // A calendar sent to standard output is followed by nothing there: the count goes with the
    // messages.
    QStringList &summary = isStandardOutput(file) ? result.notes : result.output;
    summary << QStringLiteral("%1: %2 (%3, %4 Sun and Moon, %5)")
                   .arg(file, countOf(counts.total(), "event", "events"),
                        countOf(counts.hours, "planetary hour", "planetary hours"))
                   .arg(counts.sunMoon)
                   .arg(countOf(counts.transits, "transit", "transits"));
    return result;
}

} // namespace

HoursCommandResult runHoursCommand(HoursCommand command, const QStringList &arguments,
                                   const QString &settingsPath, const LocaleFacts &locale,
                                   const QDateTime &now)
{
    TSettings settings;
    DerivedValues derived;
    WindowKeys window;
    if (Status status = SettingsStore(settingsPath).LoadSettings(locale, &settings, &derived, &window);
        !status)
        return failed(1, status.message);
    // Without a settings file the window would start at the place of the computer's time zone;
    // the hours are told for that place too, but only the window writes the new file.
    if (isFirstStart(settingsPath)) {
        planFirstStart(computerZone(), zoneInfoDirectory()).apply(&settings);
        followPlaceZone(settings, locale.zone(), &derived);
    }
    const HoursPlace place = settingsPlace(settings, locale.zone());

    ScratchJobs jobs(settings, derived, AstrologRunner::resolveProgram(settings.Astrolog));
    jobs.setComputerZone(locale.zone());
    if (Status status = jobs.ready(); !status)
        return failed(1, status.message);

    switch (command) {
    case HoursCommand::NextHour:
        return nextHour(arguments, jobs, place, now);
    case HoursCommand::Hours:
        return dayHours(arguments, jobs, place, locale, now);
    case HoursCommand::Ics:
        return calendar(arguments, jobs, place, locale);
    }
    return failed(2, QString());
}

} // namespace orlam
