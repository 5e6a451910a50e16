#pragma once

#include "hours/eventlist.h"
#include "hours/planetaryhours.h"

#include <QString>
#include <QTime>

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
// the event list has them ("Saturn", "Hour"; "Sun", "rises"), `at` the event's clock time.
Notice alarmNotice(const QString &body, const QString &word, QTime at, std::optional<QTime> until,
                   const LocaleFacts &locale);

// The end of the hour that begins at `alarmMoment` (a local clock value, minutes), when `present`
// is that hour; nothing for another hour or none.
std::optional<QTime> presentHourEnd(const CurrentHour &present, const QDateTime &alarmMoment);

// The tray item's tooltip: "Orlam", and below it the present hour
// ("Hour of Venus, 6:12 – 7:05 AM") when `ruler` is not empty.
QString presentHourTip(const QString &ruler, QTime start, QTime end, const LocaleFacts &locale);

} // namespace orlam
