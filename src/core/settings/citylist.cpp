#include "settings/citylist.h"

#include "common/westerntext.h"
#include "settings/localefacts.h"
#include "settings/zonetext.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>
#include <QTimeZone>

namespace orlam {

namespace {

constexpr int NameStart = 0;
constexpr int NameWidth = 25;
constexpr int LatitudeStart = 25;
constexpr int LatitudeWidth = 7;
constexpr int LongitudeStart = 35;
constexpr int LongitudeWidth = 7;
constexpr int ZoneStart = 43;
constexpr int ZoneWidth = 64;

bool blankOrControl(QChar c)
{
    return c.unicode() <= 0x20 || c.category() == QChar::Other_Control;
}

QString field(const QString &line, int start, int width)
{
    if (start >= line.size())
        return QString();
    QString text = line.mid(start, width);
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && blankOrControl(text.at(first)))
        ++first;
    while (end > first && blankOrControl(text.at(end - 1)))
        --end;
    return text.mid(first, end - first);
}

bool holdsBlankOrControl(const QString &text)
{
    for (const QChar c : text)
        if (blankOrControl(c) || c.isSpace())
            return true;
    return false;
}

} // namespace

CityLine parseCityLine(const QString &line)
{
    return {field(line, NameStart, NameWidth), field(line, LatitudeStart, LatitudeWidth),
            field(line, LongitudeStart, LongitudeWidth), field(line, ZoneStart, ZoneWidth)};
}

QString decodeCityText(const QByteArray &bytes)
{
    static const QByteArray Utf8Mark("\xEF\xBB\xBF");
    const QByteArray body = bytes.startsWith(Utf8Mark) ? bytes.mid(Utf8Mark.size()) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    return fromWestern(body);
}

Status readCityList(const QString &path, QStringList *lines)
{
    lines->clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(QCoreApplication::translate("Messages", "Cannot open file %1").arg(path));
    *lines = splitLines(decodeCityText(file.readAll()));
    return Status::success();
}

bool cityLineMatches(const QString &line, const QString &typed)
{
    return line.contains(typed, Qt::CaseInsensitive);
}

QString cityQuestion(const CityLine &city)
{
    return QCoreApplication::translate("Messages", "Set Longitude and Latitude to %1 (%2, %3)")
        .arg(city.name, city.longitude, city.latitude);
}

Status checkCityLine(const QString &line, const CityLine &city)
{
    if (city.latitude.isEmpty() || city.longitude.isEmpty() || holdsBlankOrControl(city.latitude) ||
        holdsBlankOrControl(city.longitude))
        return Status::failure(QCoreApplication::translate(
                                   "Messages", "The city line \"%1\" has no usable latitude and longitude "
                                               "(columns 26-32 and 36-42). Nothing was saved.")
                                   .arg(line.trimmed()));
    return Status::success();
}

CityLocation cityLocation(const CityLine &city, const QString &currentZone, const QDateTime &at)
{
    CityLocation location{city.longitude, city.latitude, currentZone, QString()};
    const QByteArray id = city.zone.toLatin1();
    if (id.isEmpty() || !QTimeZone(id).isValid())
        return location;
    location.zoneName = city.zone;
    location.timeZone = zoneHoursWestText(QTimeZone(id).standardTimeOffset(at));
    return location;
}

Status checkZoneName(const QString &name)
{
    if (name.isEmpty() || QTimeZone(name.toLatin1()).isValid())
        return Status::success();
    return Status::failure(QStringLiteral("\"%1\" is not the name of a time zone (such as Europe/Berlin or "
                                          "America/Chicago). Nothing was saved.")
                               .arg(name));
}

Status checkLocationText(const QString &field, const QString &text)
{
    if (text.isEmpty())
        return Status::failure(
            QCoreApplication::translate("Messages", "%1 is empty. Nothing was saved.").arg(field));
    if (holdsBlankOrControl(text))
        return Status::failure(
            QCoreApplication::translate("Messages",
                                        "%1 \"%2\" holds a blank or a control character. Nothing was saved.")
                .arg(field, QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    if (field == QLatin1String("Time Zone")) {
        if (Status zone = checkZoneText(text); !zone)
            return Status::failure(zone.message +
                                   QCoreApplication::translate("Messages", " Nothing was saved."));
    }
    return Status::success();
}

} // namespace orlam
