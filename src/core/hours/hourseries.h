#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

namespace orlam {

struct SeriesDay;

// One planetary hour of a base day, as the hours of the day report give it.
struct PlanetaryHour {
    QDate baseDay;   // the day whose sunrise begins the hours (its weekday picks the rulers)
    int index = 0;   // 0..11 the hours of the day, 12..23 those of the night
    QDateTime start; // local clock readings; the end is the next hour's start (the last night
    QDateTime end;   // hour ends at the next sunrise)
    QString ruler;   // "Sun", "Venus", ...

    bool isNight() const { return index >= 12; }
    bool contains(const QDateTime &moment) const { return start <= moment && moment < end; }
};

// The 24 hours of a day of a series, computed by the hours core from the day's rise/set table.
// Empty when the day has no hours (the Sun does not rise and set as the hours need).
QList<PlanetaryHour> hoursOfDay(const SeriesDay &day);

} // namespace orlam
