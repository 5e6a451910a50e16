#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace orlam {

class LocaleFacts;

// The hour commands of the command line, for scripts and status bars. They run without a
// window at the place, zone and time mode of the settings file, which they only read; their
// engine jobs run in a temporary folder of their own, so they can run beside a running window
// without touching its job file and reports. Without a settings file they use the place and
// clock of the computer's time zone, as the window's first start would, and write no file.
enum class HoursCommand {
    NextHour, // PLANET: the next three hours of the planet
    Hours,    // [DATE]: the day's 24 hours (today when no date is given)
    Ics       // FROM TO FILE: every event of those days into an iCalendar file
};

struct HoursCommandResult {
    int exitCode = 0;   // 0 done, 1 failed (settings, engine, file), 2 wrong arguments
    QStringList output; // lines for standard output
    QStringList notes;  // lines for standard error, after the output (not failures)
    QString error;      // one message for standard error, or empty
};

// `arguments` are those after the command's option. `now` is the present instant (UTC); the
// hours are told on the wall clock of the settings' place (see hours/hoursspan.h).
HoursCommandResult runHoursCommand(HoursCommand command, const QStringList &arguments,
                                   const QString &settingsPath, const LocaleFacts &locale,
                                   const QDateTime &now);

} // namespace orlam
