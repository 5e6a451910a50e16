#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

namespace orlam {

struct SeriesDay;

// One planetary hour of a base day of a series, as the hours core computes it.
struct HourSpan {
    QDate baseDay;   // the day whose sunrise begins the hours (its weekday picks the rulers)
    int index = 0;   // 0..11 the hours of the day, 12..23 those of the night
    QDateTime start; // local clock readings; the end is the next hour's start (the last night
    QDateTime end;   // hour ends at the next sunrise)
    QDateTime startUtc, endUtc;
    QString ruler; // "Sun", "Venus", ...

    bool isNight() const { return index >= 12; }
    bool contains(const QDateTime &moment) const { return start <= moment && moment < end; }
};

// The 24 hours of a day of a series, from the hours core and the day's rise/set table. Empty
// when the day has no hours (no proper sunrise and sunset, as near the poles).
QList<HourSpan> hoursOfDay(const SeriesDay &day);

} // namespace orlam
