#include "settings/settings.h"

#include "common/messagetext.h"
#include "settings/inifile.h"
#include "settings/localefacts.h"
#include "settings/settingstable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace orlam {

const std::array<QString, BodyCount> BodyKeys{QStringLiteral(QT_TRANSLATE_NOOP("Bodies", "Sun")),
                                              QStringLiteral(QT_TRANSLATE_NOOP("Bodies", "Moon")),
                                              QStringLiteral(QT_TRANSLATE_NOOP("Bodies", "Mercury")),
                                              QStringLiteral(QT_TRANSLATE_NOOP("Bodies", "Venus")),
                                              QStringLiteral(QT_TRANSLATE_NOOP("Bodies", "Mars")),
                                              QStringLiteral(QT_TRANSLATE_NOOP("Bodies", "Jupiter")),
                                              QStringLiteral(QT_TRANSLATE_NOOP("Bodies", "Saturn")),
                                              QStringLiteral(QT_TRANSLATE_NOOP("Bodies", "Uranus")),
                                              QStringLiteral(QT_TRANSLATE_NOOP("Bodies", "Neptune")),
                                              QStringLiteral(QT_TRANSLATE_NOOP("Bodies", "Pluto"))};

QString bodyDisplayName(int index)
{
    return QCoreApplication::translate("Bodies",
                                       BodyKeys[static_cast<std::size_t>(index)].toLatin1().constData());
}

// The hour keys are the first seven body names after "Hour ".
const std::array<QString, HourPlanetCount> HourKeys = [] {
    std::array<QString, HourPlanetCount> keys;
    for (int i = 0; i < HourPlanetCount; ++i)
        keys[i] = QStringLiteral("Hour ") + BodyKeys[i];
    return keys;
}();

namespace {

QString executableDirectory()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    return QFileInfo(exe.symLinkTarget()).absolutePath();
}

bool writableByUser(const QString &path)
{
    return !path.isEmpty() && ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// Reads the record's fields from the table: every one, or only those ReloadSettings re-reads.
void readRecordFields(const IniSection &ini, TSettings *s, bool reloadOnly)
{
    for (const SettingDef &def : settingTable())
        if (def.field && (def.reloaded || !reloadOnly))
            setField(def, s, readSetting(ini, def));
}

// The daylight-saving moment written the way the original date-and-time conversion expects it
// and read back under the locale's rules. A locale whose date order the conversion cannot
// follow (year first) fails here, which is how such a locale is detected.
std::optional<QDateTime> roundTrip(const LocaleFacts &locale, const QDateTime &moment)
{
    const QDate d = moment.date();
    const QTime t = moment.time();
    const QString sep = QString(locale.dateSeparator());
    const QString first = QString::number(locale.dayFirst() ? d.day() : d.month());
    const QString second = QString::number(locale.dayFirst() ? d.month() : d.day());
    const QString tsep = QString(locale.timeSeparator());
    const QString text = first + sep + second + sep + QString::number(d.year()) + QLatin1Char(' ') +
                         QString::number(t.hour()) + tsep + QString::number(t.minute()) + tsep +
                         QString::number(t.second());
    return locale.parseDateTime(text);
}

} // namespace

QString settingsFilePath()
{
    return settingsFilePathIn(executableDirectory());
}

QString settingsFilePathIn(const QString &dir)
{
    // A file beside the program is a portable copy's own, and used only when it is there and
    // this user may write it. A writable program folder alone is no reason: it may be the
    // build tree, or ~/.local/bin; and a file that another user (root) left there would give
    // every other user a message at every start.
    const QString beside = QDir(dir).filePath(SettingsFileName);
    if (!dir.isEmpty() && QFileInfo(beside).isFile() && writableByUser(beside))
        return beside;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/Orlam/") + SettingsFileName;
}

SettingsStore::SettingsStore(QString path) : mPath(std::move(path)) {}

Status SettingsStore::LoadSettings(const LocaleFacts &locale, TSettings *settings, DerivedValues *derived,
                                   WindowKeys *window) const
{
    // A pipe would block the start, a device such as /dev/zero never ends.
    if (const QFileInfo file(mPath); file.exists() && !file.isFile())
        return Status::failure(QCoreApplication::translate(
                                   "Messages", "The settings file %1 is not a regular file. Remove it, or "
                                               "name another file with ORLAM_SETTINGS.")
                                   .arg(mPath));
    derived->DstStart = QDateTime();
    derived->DstEnd = QDateTime();
    if (locale.hasDaylightSaving()) {
        const auto start = roundTrip(locale, locale.dstStartRule());
        const auto end = roundTrip(locale, locale.dstEndRule());
        if (!start || !end)
            return Status::failure(messageText(DateOrderMessage));
        derived->DstStart = *start;
        derived->DstEnd = *end;
    }
    derived->ZoneHours = locale.zoneHours();

    const IniSection ini = IniFile(mPath).readSection(SettingsSection);
    for (const SettingDef &def : settingTable()) {
        if (!def.windowField)
            continue;
        const FieldRef ref = def.windowField(*window);
        const SettingValue v = readSetting(ini, def);
        if (auto *i = std::get_if<int *>(&ref))
            **i = v.number;
        else if (auto *b = std::get_if<bool *>(&ref))
            **b = v.number != 0;
    }
    readRecordFields(ini, settings, false);
    followPlaceZone(*settings, locale.zone(), derived);

    derived->EuroDateSwitch = locale.euroDateSwitch();
    return Status::success();
}

void SettingsStore::ReloadSettings(TSettings *settings) const
{
    readRecordFields(IniFile(mPath).readSection(SettingsSection), settings, true);
}

void SettingsStore::readRecord(TSettings *settings) const
{
    readRecordFields(IniFile(mPath).readSection(SettingsSection), settings, false);
}

Status SettingsStore::SaveLocation(const QString &longitude, const QString &latitude, const QString &zone)
{
    return IniFile(mPath).write(SettingsSection, {{SettingsKeys::Longitude, longitude},
                                                  {SettingsKeys::Latitude, latitude},
                                                  {SettingsKeys::TimeZone, zone}});
}

Status SettingsStore::SaveLocation(const QString &longitude, const QString &latitude, const QString &zone,
                                   const QString &zoneName)
{
    return IniFile(mPath).write(SettingsSection, {{SettingsKeys::Longitude, longitude},
                                                  {SettingsKeys::Latitude, latitude},
                                                  {SettingsKeys::TimeZone, zone},
                                                  {SettingsKeys::ZoneName, zoneName}});
}

QTimeZone settingsZone(const TSettings &settings)
{
    const QByteArray id = settings.ZoneName.trimmed().toLatin1();
    if (id.isEmpty() || !QTimeZone(id).isValid())
        return QTimeZone();
    return QTimeZone(id);
}

void followPlaceZone(const TSettings &settings, const QTimeZone &computerZone, DerivedValues *derived)
{
    const QTimeZone place = settingsZone(settings);
    derived->SystemZone = place.isValid() ? place : computerZone;
}

Status SettingsStore::saveWindowKeys(const WindowKeys &window)
{
    std::vector<std::pair<QString, QString>> values;
    WindowKeys keys = window;
    for (const SettingDef &def : settingTable()) {
        if (!def.windowField)
            continue;
        const FieldRef ref = def.windowField(keys);
        if (auto *i = std::get_if<int *>(&ref))
            values.push_back(settingEntry(def.key, SettingValue::integer(**i)));
        else if (auto *b = std::get_if<bool *>(&ref))
            values.push_back(settingEntry(def.key, SettingValue::boolean(**b)));
    }
    return IniFile(mPath).write(SettingsSection, values);
}

IniSection SettingsStore::readSection() const
{
    return IniFile(mPath).readSection(SettingsSection);
}

Status SettingsStore::writeValues(const std::vector<std::pair<QString, QString>> &values)
{
    return IniFile(mPath).write(SettingsSection, values);
}

} // namespace orlam
