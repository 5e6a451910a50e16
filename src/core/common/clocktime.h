#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace orlam {

// Every moment the system handles (picker values, daylight-saving transitions, rise and set
// times, planetary-hour starts) is a reading of the local clock: a calendar date and a time of
// day with no zone attached. It is held in a QDateTime whose Qt::TimeSpec is Qt::UTC, used purely
// as a zone-free container, so that no daylight-saving arithmetic ever moves it. An invalid
// QDateTime stands for "zero" (no moment).

inline QDateTime clockTime(QDate date, QTime time = QTime(0, 0))
{
    return QDateTime(date, time, Qt::UTC);
}

inline QDateTime clockTime(int y, int m, int d, int h = 0, int min = 0, int s = 0, int ms = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s, ms), Qt::UTC);
}

// The present moment as shown by the computer's clock, in the process's time zone.
inline QDateTime clockNow()
{
    const QDateTime local = QDateTime::currentDateTime();
    return QDateTime(local.date(), local.time(), Qt::UTC);
}

// A zone-aware local QDateTime read as a clock value.
inline QDateTime clockFromLocal(const QDateTime &local)
{
    return QDateTime(local.date(), local.time(), Qt::UTC);
}

} // namespace orlam
