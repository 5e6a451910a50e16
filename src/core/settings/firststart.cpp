#include "settings/firststart.h"

#include "settings/inifile.h"
#include "settings/localefacts.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QTimeZone>
#include <ctime>

namespace orlam {

namespace {

constexpr int SystemLocaleSettings = 2; // "Time": the computer's zone and daylight saving
const QString WhereToChange = QStringLiteral("Options, Program options, Astrological");

// One signed ISO 6709 angle of `degreeDigits` degree digits, then minutes and optionally
// seconds, as arc minutes rounded half up. False when malformed or beyond `maxDegrees`.
bool readAngle(const QString &text, int degreeDigits, int maxDegrees, bool *negative, int *arcMinutes)
{
    if (text.size() != 1 + degreeDigits + 2 && text.size() != 1 + degreeDigits + 4)
        return false;
    if (text[0] != QLatin1Char('+') && text[0] != QLatin1Char('-'))
        return false;
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (!text[i].isDigit() || text[i].unicode() > '9')
            return false;
    }
    const int degrees = text.mid(1, degreeDigits).toInt();
    const int minutes = text.mid(1 + degreeDigits, 2).toInt();
    const int seconds = text.size() > 1 + degreeDigits + 2 ? text.mid(3 + degreeDigits, 2).toInt() : 0;
    if (minutes > 59 || seconds > 59)
        return false;
    const int total = (degrees * 3600 + minutes * 60 + seconds + 30) / 60;
    if (total > maxDegrees * 60)
        return false;
    *negative = text[0] == QLatin1Char('-');
    *arcMinutes = total;
    return true;
}

QString settingsAngle(int arcMinutes, QChar hemisphere)
{
    return QString::number(arcMinutes / 60) + hemisphere +
           QStringLiteral("%1").arg(arcMinutes % 60, 2, 10, QLatin1Char('0'));
}

// The rows of a zone table (zone1970.tab, zone.tab): country codes, coordinates, zone name and
// an optional comment, separated by tabs; "#" begins a comment line.
QString coordinatesInTable(const QString &path, const QByteArray &zoneId)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() >= 3 && fields.at(2) == zoneId)
            return QString::fromLatin1(fields.at(1));
    }
    return {};
}

// The zone an alias stands for, from the database's compact source ("L TARGET LINK" lines).
QByteArray linkTarget(const QString &path, const QByteArray &zoneId)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (!line.startsWith("L "))
            continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() == 3 && fields.at(2) == zoneId)
            return fields.at(1);
    }
    return {};
}

QString placeName(const QByteArray &zoneId)
{
    QString name = QString::fromLatin1(zoneId.mid(zoneId.lastIndexOf('/') + 1));
    return name.replace(QLatin1Char('_'), QLatin1Char(' '));
}

QString zoneLabel(const QByteArray &zoneId)
{
    return zoneId.isEmpty() ? QStringLiteral("the computer's time zone")
                            : QStringLiteral("the time zone ") + QString::fromLatin1(zoneId);
}

} // namespace

ComputerZone computerZone()
{
    ComputerZone zone;
    if (qEnvironmentVariableIsSet("TZ")) {
        QByteArray tz = qgetenv("TZ");
        if (tz.startsWith(':'))
            tz.remove(0, 1);
        if (tz.isEmpty())
            tz = "UTC";
        const qsizetype inFolder = tz.lastIndexOf("/zoneinfo/");
        if (tz.startsWith('/'))
            tz = inFolder >= 0 ? tz.mid(inFolder + 10) : QByteArray();
        zone.id = tz;
    } else {
        zone.id = QTimeZone::systemTimeZoneId();
    }
    const QTimeZone named(zone.id);
    if (named.isValid()) {
        // The standard offset the job writer sends for this zone: the winter clock, also where
        // the database calls the summer clock standard (Europe/Dublin).
        zone.standardOffsetEast = LocaleFacts::zoneYear(named, QDate::currentDate()).standardOffset;
        return zone;
    }
    // The C library's own reading of a zone Qt does not know (a POSIX rule, an unknown name read
    // as Greenwich time), so that it gets the offset the clock really runs on.
    tzset();
    zone.standardOffsetEast = static_cast<int>(-timezone);
    return zone;
}

QString zoneInfoDirectory()
{
    const QString dir = qEnvironmentVariable("TZDIR");
    return dir.isEmpty() ? QStringLiteral("/usr/share/zoneinfo") : dir;
}

bool coordinatesToSettings(const QString &iso6709, QString *longitude, QString *latitude)
{
    // The latitude has two degree digits, the longitude three; the longitude begins at the
    // second sign.
    const qsizetype split = iso6709.indexOf(QRegularExpression(QStringLiteral("[+-]")), 1);
    if (split < 0)
        return false;
    bool south = false, west = false;
    int lat = 0, lon = 0;
    if (!readAngle(iso6709.left(split), 2, 90, &south, &lat) ||
        !readAngle(iso6709.mid(split), 3, 180, &west, &lon))
        return false;
    *latitude = settingsAngle(lat, south ? QLatin1Char('S') : QLatin1Char('N'));
    *longitude = settingsAngle(lon, west ? QLatin1Char('W') : QLatin1Char('E'));
    return true;
}

std::optional<ZonePlace> findZonePlace(const QByteArray &zoneId, const QString &zoneInfoDir)
{
    const QDir dir(zoneInfoDir);
    QByteArray name = zoneId;
    QSet<QByteArray> seen;
    while (!name.isEmpty() && !seen.contains(name)) {
        seen.insert(name);
        for (const char *table : {"zone1970.tab", "zone.tab"}) {
            const QString coordinates = coordinatesInTable(dir.filePath(QLatin1String(table)), name);
            ZonePlace place;
            if (!coordinates.isEmpty() &&
                coordinatesToSettings(coordinates, &place.longitude, &place.latitude)) {
                place.name = placeName(name);
                return place;
            }
        }
        name = linkTarget(dir.filePath(QStringLiteral("tzdata.zi")), name);
    }
    return std::nullopt;
}

QString FirstStart::statusText() const
{
    if (place)
        return QCoreApplication::translate("Messages", "Place set to %1 (%2 %3) - change it in Options")
            .arg(place->name, place->longitude, place->latitude);
    return QCoreApplication::translate("Messages", "No place known for %1 - set yours in Options")
        .arg(zoneId.isEmpty() ? QCoreApplication::translate("Messages", "this time zone")
                              : QString::fromLatin1(zoneId));
}

QString FirstStart::description() const
{
    if (place)
        return QStringLiteral("first start: the place is set to %1 (%2 %3), the place of %4, and times "
                              "follow the computer's clock; change it under %5.")
            .arg(place->name, place->longitude, place->latitude, zoneLabel(zoneId), WhereToChange);
    const TSettings defaults;
    return QStringLiteral("first start: %1 names no place, so the place stays at %2 %3 and times follow "
                          "the computer's clock; set your place under %4.")
        .arg(zoneLabel(zoneId), defaults.Longitude, defaults.Latitude, WhereToChange);
}

void FirstStart::apply(TSettings *settings) const
{
    namespace K = SettingsKeys;
    for (const auto &[key, value] : keys) {
        if (key == K::Longitude)
            settings->Longitude = value;
        else if (key == K::Latitude)
            settings->Latitude = value;
        else if (key == K::TimeZone)
            settings->TimeZone = value;
        else if (key == K::ZoneName)
            settings->ZoneName = value;
        else if (key == K::Time)
            settings->TimeMode = value.toInt();
    }
}

FirstStart planFirstStart(const ComputerZone &zone, const QString &zoneInfoDir)
{
    FirstStart plan;
    plan.zoneId = zone.id;
    plan.place = findZonePlace(zone.id, zoneInfoDir);
    namespace K = SettingsKeys;
    if (plan.place) {
        plan.keys.emplace_back(K::Longitude, plan.place->longitude);
        plan.keys.emplace_back(K::Latitude, plan.place->latitude);
        // The place's own zone, by name: the hours and the times shown follow it.
        if (QTimeZone(zone.id).isValid())
            plan.keys.emplace_back(K::ZoneName, QString::fromLatin1(zone.id));
    }
    // The zone's own offset also goes in, so that a later switch to standard or daylight time
    // in the options starts from this zone rather than the default's.
    plan.keys.emplace_back(K::TimeZone, zoneHoursWestText(zone.standardOffsetEast));
    plan.keys.emplace_back(K::Time, QString::number(SystemLocaleSettings));
    return plan;
}

bool isFirstStart(const QString &settingsPath)
{
    const QFileInfo info(settingsPath);
    return !info.exists() && !info.isSymLink();
}

Status writeFirstStart(const QString &settingsPath, const FirstStart &plan)
{
    if (!isFirstStart(settingsPath))
        return Status::success();
    return IniFile(settingsPath).write(SettingsSection, plan.keys);
}

} // namespace orlam
