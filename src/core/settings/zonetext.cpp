#include "settings/zonetext.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace orlam {

std::optional<double> zoneHoursWest(const QString &text)
{
    static const QRegularExpression zonePattern(
        QStringLiteral("^([+-]?)(\\d{1,2})(?::(\\d\\d)|\\.(\\d{1,4}))?$"));
    const QRegularExpressionMatch match = zonePattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    double hours = match.captured(2).toInt();
    if (!match.captured(3).isEmpty()) {
        const int minutes = match.captured(3).toInt();
        if (minutes >= 60)
            return std::nullopt;
        hours += minutes / 60.0;
    } else if (!match.captured(4).isEmpty()) {
        hours += QStringLiteral("0.%1").arg(match.captured(4)).toDouble();
    }
    return match.captured(1) == QLatin1String("-") ? -hours : hours;
}

Status checkZoneText(const QString &text)
{
    const std::optional<double> hours = zoneHoursWest(text);
    if (!hours)
        return Status::failure(
            QCoreApplication::translate(
                "Messages", "The time zone \"%1\" is not hours west of Greenwich like 6, -5.5 or -5:30.")
                .arg(text));
    if (*hours < EastmostZoneHoursWest || *hours > WestmostZoneHoursWest)
        return Status::failure(
            QCoreApplication::translate("Messages",
                                        "The time zone \"%1\" is outside -14 to +12 hours west of Greenwich.")
                .arg(text));
    return Status::success();
}

} // namespace orlam
