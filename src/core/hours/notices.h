#pragma once

#include "hours/planetaryhours.h"

#include <QDateTime>
#include <QString>
#include <QTime>
#include <QTimeZone>

#include <optional>

namespace orlam {

class LocaleFacts;

// What a desktop notice says: a one-line summary and the line below it.
struct Notice {
    QString summary;
    QString body;
};

// Two clock times in the locale's short time format joined by an en dash ("9:23 – 10:05 AM",
// "11:40 AM – 12:32 PM", "09:23 – 10:05"); a day-half designator the two share is written once,
// after the second.
QString timeSpanText(QTime start, QTime end, const LocaleFacts &locale);

// The notice of an alarm that has come. An hour's start says which hour it is and until when it
// lasts ("Hour of Saturn" over "9:23 – 10:05 AM"), or the start alone when `until` is not known;
// any other event says what happens and when ("Sun rises" over "6:12 AM"). `body` and `word` as
// the event list has them ("Saturn", "Hour"; "Sun", "rises"), `at` the minute it rings on the
// place's wall clock.
Notice alarmNotice(const QString &body, const QString &word, QTime at, std::optional<QTime> until,
                   const LocaleFacts &locale);

// The end, on the wall clock of `zone` (to the minute, as the alarms show), of the hour in force
// when that hour begins in the minute of the instant `alarmAt`; nothing for another hour or none.
std::optional<QTime> presentHourEnd(const CurrentHour &present, const QDateTime &alarmAt,
                                    const QTimeZone &zone);

// The tray item's tooltip: "Orlam", and below it the hour in force
// ("Hour of Venus, 6:12 – 7:05 AM") when there is one.
QString presentHourTip(const CurrentHour &present, const QTimeZone &zone, const LocaleFacts &locale);

} // namespace orlam
