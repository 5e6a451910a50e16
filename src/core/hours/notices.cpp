#include "hours/notices.h"

#include "hours/eventlist.h"
#include "settings/localefacts.h"

namespace orlam {

namespace {

constexpr QChar EnDash(0x2013);

QString hourTitle(const QString &ruler)
{
    return QStringLiteral("Hour of ") + ruler;
}

// The trailing text of a formatted time after its last digit (" AM"), empty in a 24-hour format.
QString dayHalfSuffix(const QString &time)
{
    qsizetype last = time.size();
    while (last > 0 && !time.at(last - 1).isDigit())
        --last;
    return time.mid(last);
}

// An instant read on the wall clock, at the minute it rounds to (the minute an alarm rings in).
QTime wallMinute(const QDateTime &at, const QTimeZone &zone)
{
    return QDateTime::fromSecsSinceEpoch(alarmMinute(at) * 60, zone).time();
}

} // namespace

QString timeSpanText(QTime start, QTime end, const LocaleFacts &locale)
{
    QString from = locale.formatShortTime(start);
    const QString to = locale.formatShortTime(end);
    const QString suffix = dayHalfSuffix(from);
    if (!suffix.trimmed().isEmpty() && suffix == dayHalfSuffix(to))
        from.chop(suffix.size());
    return from + QLatin1Char(' ') + EnDash + QLatin1Char(' ') + to;
}

Notice alarmNotice(const QString &body, const QString &word, QTime at, std::optional<QTime> until,
                   const LocaleFacts &locale)
{
    if (word != QLatin1String(HourEventWord))
        return {body + QLatin1Char(' ') + word, locale.formatShortTime(at)};
    return {hourTitle(body), until ? timeSpanText(at, *until, locale) : locale.formatShortTime(at)};
}

std::optional<QTime> presentHourEnd(const CurrentHour &present, const QDateTime &alarmAt,
                                    const QTimeZone &zone)
{
    // The event list holds only the hours the user wants alarms for, so the hour's end comes
    // from the hours themselves.
    if (!present.hour || alarmMinute(present.hour->startUtc) != alarmMinute(alarmAt))
        return std::nullopt;
    return wallMinute(present.hour->endUtc, zone);
}

QString presentHourTip(const CurrentHour &present, const QTimeZone &zone, const LocaleFacts &locale)
{
    QString tip = QStringLiteral("Orlam");
    if (present.hour && !present.CurrentRuler.isEmpty())
        tip += QLatin1Char('\n') + hourTitle(present.CurrentRuler) + QStringLiteral(", ") +
               timeSpanText(wallMinute(present.hour->startUtc, zone), wallMinute(present.hour->endUtc, zone),
                            locale);
    return tip;
}

} // namespace orlam
