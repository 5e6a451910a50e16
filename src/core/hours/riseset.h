#pragma once

#include "hours/risesettable.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace orlam {

class LocaleFacts;
class MessageSink;

// The four daily horizon reports, by day offset from the base day.
struct RiseSetReport {
    int dayOffset;
    const char *fileName;
};
constexpr std::array<RiseSetReport, 4> RiseSetReports{
    {{-1, "risesety.txt"}, {0, "riseset.txt"}, {1, "risesetn.txt"}, {2, "risesetn2.txt"}}};
constexpr auto RiseSetFileName = "riseset.txt";
constexpr auto RiseSetNextFileName = "risesetn.txt";
constexpr auto RiseSetBeforeFileName = "risesety.txt";

// In day-first mode (the locale writes dates day first) every "-" becomes the locale's date
// separator and every ":" its time separator; in month-first mode the text is returned as is.
QString LocalizeDateText(const QString &text, const LocaleFacts &locale);

// The local clock moment of a report line: its date (columns 7-16) and its 12-hour time
// (columns 18-24) read under the locale's conventions. Nothing when the text does not read as a
// moment, for instance under a locale whose dates are written year first.
std::optional<QDateTime> LineMoment(const QString &line, const LocaleFacts &locale);

// The local clock moment of a report or hour line, read in the two forms the engine writes
// whatever the locale's own date order: "M/D/YYYY" (any separator; an hour line of "hl.txt" is
// always month first) or, when `dayFirst`, "D-M-YYYY"; a number may carry a leading blank
// instead of a zero. The time is the 12-hour "h:mmam"/"h:mmpm" with any separator, 12am being
// midnight. Nothing when the columns do not hold such a date and time.
std::optional<QDateTime> ReportLineMoment(const QString &line, bool dayFirst);

// The conventions the engine's reports are read with when the engine is asked for month-first
// dates (as the scratch jobs always ask): "6/15/2026 2:30pm" whatever the user's locale.
const LocaleFacts &engineReportLocale();

// Columns 7-24 of a report line for a clock reading: "M/D/YYYY h:mmam" with numbers below 10
// blank-padded ("6/15/2026" as " 6/15/2026", the hour " 7:04am"), or day first "D-M-YYYY".
QString reportDateTime(const QDateTime &clock, bool dayFirst);

// A Sun line has its first " Sun" at column 29, a Moon line its first " Moon" at column 28.
bool isSunLine(const QString &line);
bool isMoonLine(const QString &line);

// Fills `table` from the base-day report, the next-day report and the day-before report (each
// given as its lines, or nothing when the file is missing). Keyword tests run in the order
// nadirs, rises, zeniths, sets; a later line overwrites an earlier one; fields not found keep
// their values. Moments are read with ReportLineMoment() in the locale's day-first mode, so a
// locale that writes dates year first still reads the engine's reports. The day before gives
// only PrevSunSet.
// When a line's moment does not read, one message goes to `sink` and reading stops there
// (fields set before stay set); the result is then false. The message is DateOrderMessage
// when the line reads in the other date order (the locale does not match the report), else it
// names the report and the line: "The rise and set report riseset.txt is damaged at line 7: ...".
bool readRiseSetLines(const std::optional<QStringList> &baseDay, const std::optional<QStringList> &nextDay,
                      const LocaleFacts &locale, TRiseSetTable &table, MessageSink &sink,
                      const std::optional<QStringList> &dayBefore = std::nullopt);

// The same, reading "riseset.txt", "risesetn.txt" and "risesety.txt" (Western code page) from `directory`.
bool readRiseSetFiles(const QString &directory, const LocaleFacts &locale, TRiseSetTable &table,
                      MessageSink &sink);

} // namespace orlam
