#include "settings/settings.h"

#include "settings/inifile.h"
#include "settings/localefacts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace orlam {

const std::array<QString, BodyCount> BodyKeys{
    QStringLiteral("Sun"),     QStringLiteral("Moon"),    QStringLiteral("Mercury"), QStringLiteral("Venus"),
    QStringLiteral("Mars"),    QStringLiteral("Jupiter"), QStringLiteral("Saturn"),  QStringLiteral("Uranus"),
    QStringLiteral("Neptune"), QStringLiteral("Pluto")};

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

// The record's keys in the order the start-up load reads them, minus the three that only the
// start-up load reads ("Local File Save", "ForceExe", "Astrolog"), which the callers add.
void readOptions(const IniSection &ini, TSettings *s, bool withLocalFileSave)
{
    const TSettings def;
    namespace K = SettingsKeys;
    s->TimeMode = ini.readInteger(K::Time, def.TimeMode);
    s->WheelReverse = ini.readBool(K::WheelReverse, def.WheelReverse);
    s->Monochrome = ini.readBool(K::Monochrome, def.Monochrome);
    s->HouseSystem = ini.readInteger(K::HouseSystem, def.HouseSystem);
    s->Zodiac = ini.readInteger(K::Zodiac, def.Zodiac);
    s->AspectMode = ini.readInteger(K::Aspect, def.AspectMode);
    s->Basic = ini.readInteger(K::Basic, def.Basic);
    s->YearFormat = ini.readInteger(K::Format, def.YearFormat);
    s->DayBegins = ini.readInteger(K::DayBegins, def.DayBegins);
    s->DateFormat = ini.readInteger(K::DateFormat, def.DateFormat);
    s->TimeFormat = ini.readInteger(K::TimeFormat, def.TimeFormat);
    s->Lines = ini.readInteger(K::Lines, def.Lines);
    s->Greetings = ini.readBool(K::Greetings, def.Greetings);
    s->Quoted = ini.readBool(K::Quoted, def.Quoted);
    s->UpdateCaption = ini.readBool(K::UpdateCaption, def.UpdateCaption);
    s->ReplaceClip = ini.readBool(K::ReplaceClip, def.ReplaceClip);
    if (withLocalFileSave)
        s->LocalFileSave = ini.readBool(K::LocalFileSave, def.LocalFileSave);
    s->Longitude = ini.readText(K::Longitude, def.Longitude);
    s->Latitude = ini.readText(K::Latitude, def.Latitude);
    s->TimeZone = ini.readText(K::TimeZone, def.TimeZone);
    s->WheelChart = ini.readBool(K::WheelChart, def.WheelChart);
    s->AspectCharts = ini.readBool(K::AspectCharts, def.AspectCharts);
    for (int i = 0; i < BodyCount; ++i)
        s->RiseSetAlarm[i] = ini.readBool(BodyKeys[i], def.RiseSetAlarm[i]);
    for (int i = 0; i < HourPlanetCount; ++i)
        s->HourAlarm[i] = ini.readBool(HourKeys[i], def.HourAlarm[i]);
}

void readStartOnly(const IniSection &ini, TSettings *s)
{
    const TSettings def;
    s->ForceExe = ini.readBool(SettingsKeys::ForceExe, def.ForceExe);
    s->Astrolog = ini.readText(SettingsKeys::Astrolog, def.Astrolog);
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
        return Status::failure(QStringLiteral("The settings file %1 is not a regular file. Remove it, or "
                                              "name another file with ORLAM_SETTINGS.")
                                   .arg(mPath));
    derived->DstStart = QDateTime();
    derived->DstEnd = QDateTime();
    if (locale.hasDaylightSaving()) {
        const auto start = roundTrip(locale, locale.dstStartRule());
        const auto end = roundTrip(locale, locale.dstEndRule());
        if (!start || !end)
            return Status::failure(DateOrderMessage);
        derived->DstStart = *start;
        derived->DstEnd = *end;
    }
    derived->ZoneHours = locale.zoneHours();
    derived->SystemZone = locale.zone();

    const IniSection ini = IniFile(mPath).readSection(SettingsSection);
    const WindowKeys defWindow;
    namespace K = SettingsKeys;
    window->ToolBar = ini.readBool(K::ToolBar, defWindow.ToolBar);
    window->StatusBar = ini.readBool(K::StatusBar, defWindow.StatusBar);
    window->MonthCalendar = ini.readBool(K::MonthCalendar, defWindow.MonthCalendar);
    window->ClientHeight = ini.readInteger(K::ClientHeight, defWindow.ClientHeight);
    window->ClientWidth = ini.readInteger(K::ClientWidth, defWindow.ClientWidth);
    window->Top = ini.readInteger(K::Top, defWindow.Top);
    window->Left = ini.readInteger(K::Left, defWindow.Left);
    readOptions(ini, settings, true);
    readStartOnly(ini, settings);

    derived->EuroDateSwitch = locale.euroDateSwitch();
    return Status::success();
}

void SettingsStore::ReloadSettings(TSettings *settings) const
{
    readOptions(IniFile(mPath).readSection(SettingsSection), settings, false);
}

void SettingsStore::readRecord(TSettings *settings) const
{
    const IniSection ini = IniFile(mPath).readSection(SettingsSection);
    readOptions(ini, settings, true);
    readStartOnly(ini, settings);
}

Status SettingsStore::SaveLocation(const QString &longitude, const QString &latitude, const QString &zone)
{
    return IniFile(mPath).write(SettingsSection, {{SettingsKeys::Longitude, longitude},
                                                  {SettingsKeys::Latitude, latitude},
                                                  {SettingsKeys::TimeZone, zone}});
}

Status SettingsStore::saveWindowKeys(const WindowKeys &window)
{
    const auto flag = [](bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); };
    namespace K = SettingsKeys;
    return IniFile(mPath).write(SettingsSection, {{K::ToolBar, flag(window.ToolBar)},
                                                  {K::StatusBar, flag(window.StatusBar)},
                                                  {K::MonthCalendar, flag(window.MonthCalendar)},
                                                  {K::ClientHeight, QString::number(window.ClientHeight)},
                                                  {K::ClientWidth, QString::number(window.ClientWidth)},
                                                  {K::Top, QString::number(window.Top)},
                                                  {K::Left, QString::number(window.Left)}});
}

} // namespace orlam
