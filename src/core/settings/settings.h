#pragma once

#include "common/status.h"
#include "orlamversion.h"
#include "shared/astronames.h"

#include <QDateTime>
#include <QString>
#include <QTimeZone>
#include <array>
#include <utility>
#include <vector>

namespace orlam {

class IniSection;
class LocaleFacts;

constexpr int BodyCount = 10;      // Sun, Moon, Mercury, Venus, Mars, Jupiter, Saturn, Uranus, Neptune, Pluto
constexpr int HourPlanetCount = 7; // Sun, Moon, Mercury, Venus, Mars, Jupiter, Saturn

inline const QString SettingsSection = QStringLiteral("orlam");
inline const QString SettingsFileName = QStringLiteral("Orlam.ini");
inline const QString VersionText = QString::fromLatin1(VersionNumber);
inline const QString DateOrderMessage = QStringLiteral(QT_TRANSLATE_NOOP(
    "Messages",
    "Sorry, Orlam is only compatible with date formats of mdy or dmy. Set the LC_TIME environment "
    "variable to a locale that writes dates month or day first (for example LC_TIME=en_US.UTF-8 "
    "or LC_TIME=en_GB.UTF-8) and start Orlam again."));

// The process-wide option record. Field names are the documented ones.
struct TSettings {
    int TimeMode = 0;    // 0 Standard Time, 1 Daylight Time, 2 System Locale Settings
    int HouseSystem = 0; // 0..13, see HouseSystemNames
    int Zodiac = 0;      // 0 Tropical, 1 Siderial
    int AspectMode = 1;  // 0 Simple, 1 Degrees
    int Basic = 0;       // 0 "An", 1 "Anno", 2 none
    int YearFormat = 1;  // 0..4: "IVv", "iv5", "ivV", "4v", "4V"
    int DayBegins = 0;   // 0 12:00 (Common Time), 1 Sun Rise, 2 Sun Set
    int Lines = 1;       // 0 One Line, 1 Two Lines, 2 Three Lines
    int DateFormat = 1;  // 0 Short, 1 Long, 2 None
    int TimeFormat = 0;  // 0 Short, 1 Long, 2 None
    bool Greetings = false;
    bool Quoted = false;
    bool UpdateCaption = false;
    bool ReplaceClip = false;
    bool LocalFileSave = false;
    QString Longitude = QStringLiteral("93W21");
    QString Latitude = QStringLiteral("45N05");
    QString TimeZone = QStringLiteral("6");
    // Our own key "Zone Name": the place's time zone as the time-zone database names it
    // ("Europe/Berlin"); empty when the place has none. The hours and every time shown for the
    // place follow it (see hours/hoursspan.h: placeZone()).
    QString ZoneName;
    bool WheelChart = false;
    bool AspectCharts = false;
    bool WheelReverse = true;
    bool Monochrome = true;
    std::array<bool, BodyCount> RiseSetAlarm{true,  false, false, false, false,
                                             false, false, false, false, false};
    std::array<bool, HourPlanetCount> HourAlarm{true, false, false, false, false, false, false};
    bool ForceExe = false;
    // Our own key "Notify": a desktop notification for each alarm that fires.
    bool Notify = true;
    // Our own key "Astrolog": the engine program to run (a path or a name on PATH). Empty means
    // orlam-ephem beside the running executable, then orlam-ephem on PATH.
    QString Astrolog;
};

// Values derived once at start from the computer's locale and time zone. Moments are local clock readings
// (see clocktime.h); invalid means zero.
struct DerivedValues {
    QDateTime DstStart;
    QDateTime DstEnd;
    int ZoneHours = 0;      // whole hours west of Greenwich, truncated toward zero
    QString EuroDateSwitch; // "-Yd" when the locale writes dates day first, else empty
    // The computer's zone. When valid, "Time" = 2 takes daylight saving and the offset for each
    // job's own moment from it; DstStart, DstEnd and ZoneHours serve only without it.
    QTimeZone SystemZone;
};

// The zone that "Zone Name" names when the time-zone database knows it; else an invalid zone.
QTimeZone settingsZone(const TSettings &settings);

// "System Locale Settings" follows the place's own zone when the settings name one, else the
// computer's (`computerZone`): sets derived->SystemZone. LoadSettings does this; call it again
// after a reload.
void followPlaceZone(const TSettings &settings, const QTimeZone &computerZone, DerivedValues *derived);

// The main window's layout keys.
struct WindowKeys {
    bool ToolBar = true;
    bool StatusBar = true;
    bool MonthCalendar = true;
    int ClientHeight = 315;
    int ClientWidth = 400;
    int Top = 10;
    int Left = 10;
};

// House systems in the order of the "House System" option (the number sent to the engine),
// from the table the engine names them by (names::HouseSystems).
inline const std::array<QString, names::HouseSystems.size()> HouseSystemNames = [] {
    std::array<QString, names::HouseSystems.size()> list;
    for (std::size_t i = 0; i < list.size(); ++i)
        list[i] = QString::fromLatin1(names::HouseSystems[i].name.data(), names::HouseSystems[i].name.size());
    return list;
}();

// The file's keys, each named once. The record's defaults are TSettings' and WindowKeys' own
// member initialisers; settingstable.h holds every key with its kind and default, and every
// reader takes them from there.
namespace SettingsKeys {
inline const QString Time = QStringLiteral("Time");
inline const QString HouseSystem = QStringLiteral("House System");
inline const QString Zodiac = QStringLiteral("Zodiac");
inline const QString Aspect = QStringLiteral("Aspect");
inline const QString Basic = QStringLiteral("Basic");
inline const QString Format = QStringLiteral("Format");
inline const QString DayBegins = QStringLiteral("Day Begins");
inline const QString Lines = QStringLiteral("Lines");
inline const QString DateFormat = QStringLiteral("DateFormat");
inline const QString TimeFormat = QStringLiteral("TimeFormat");
inline const QString Greetings = QStringLiteral("Greetings");
inline const QString Quoted = QStringLiteral("Quoted");
inline const QString UpdateCaption = QStringLiteral("Update Caption");
inline const QString ReplaceClip = QStringLiteral("Replace Clip");
inline const QString LocalFileSave = QStringLiteral("Local File Save");
inline const QString Longitude = QStringLiteral("Longitude");
inline const QString Latitude = QStringLiteral("Latitude");
inline const QString TimeZone = QStringLiteral("Time Zone");
inline const QString ZoneName = QStringLiteral("Zone Name");
inline const QString WheelChart = QStringLiteral("Wheel Chart");
inline const QString AspectCharts = QStringLiteral("Aspect Charts");
inline const QString WheelReverse = QStringLiteral("Wheel Reverse");
inline const QString Monochrome = QStringLiteral("Monochrome");
inline const QString ForceExe = QStringLiteral("ForceExe");
inline const QString Astrolog = QStringLiteral("Astrolog");
inline const QString Notify = QStringLiteral("Notify");
inline const QString ToolBar = QStringLiteral("Tool Bar");
inline const QString StatusBar = QStringLiteral("Status Bar");
inline const QString MonthCalendar = QStringLiteral("Month Calendar");
inline const QString ClientHeight = QStringLiteral("ClientHeight");
inline const QString ClientWidth = QStringLiteral("ClientWidth");
inline const QString Top = QStringLiteral("Top");
inline const QString Left = QStringLiteral("Left");
// Kept by the options dialog only, not record fields.
inline const QString Hints = QStringLiteral("Hints");
inline const QString Clear = QStringLiteral("Clear");
} // namespace SettingsKeys

// Keys of the ten bodies and the seven hour planets, in record order.
extern const std::array<QString, BodyCount> BodyKeys;
extern const std::array<QString, HourPlanetCount> HourKeys;
// Body `index` (0..BodyCount-1, record order) as the user reads it on screen: the key in the
// user's language. Keys, files and reports keep the English names.
QString bodyDisplayName(int index);

// Where the settings file lives: "Orlam.ini" beside the running executable when that file
// already exists and this user can write it (portable use); otherwise
// $XDG_CONFIG_HOME/Orlam/Orlam.ini (default ~/.config/Orlam/Orlam.ini).
QString settingsFilePath();
// The same choice for a given executable directory.
QString settingsFilePathIn(const QString &executableDir);

// The settings file with its readers and writers. Tests give it a path of their own.
class SettingsStore {
public:
    explicit SettingsStore(QString path = settingsFilePath());
    const QString &path() const { return mPath; }

    // LoadSettings: derives DstStart, DstEnd, ZoneHours and EuroDateSwitch from `locale` (for
    // the current calendar year of `locale`'s clock) and reads the whole record and the window
    // keys. Fails for an unsupported date order (the result then carries DateOrderMessage) and
    // for a settings file that is not a regular file (a pipe, a device); the program must then
    // end without writing the settings file.
    Status LoadSettings(const LocaleFacts &locale, TSettings *settings, DerivedValues *derived,
                        WindowKeys *window) const;

    // Re-reads every field except LocalFileSave and ForceExe (and the Astrolog key).
    void ReloadSettings(TSettings *settings) const;

    // Reads only the record's keys (no derived values, no window keys).
    void readRecord(TSettings *settings) const;

    // Writes "Longitude", "Latitude" and "Time Zone". The record is not touched.
    Status SaveLocation(const QString &longitude, const QString &latitude, const QString &zone);
    // The same and "Zone Name" in one write.
    Status SaveLocation(const QString &longitude, const QString &latitude, const QString &zone,
                        const QString &zoneName);

    // Writes the seven window keys in their order.
    Status saveWindowKeys(const WindowKeys &window);

    // Every key of the section in one pass over the file (see settingstable.h for the keys).
    IniSection readSection() const;
    // Writes key and value pairs in one pass; nothing changes when the write fails.
    Status writeValues(const std::vector<std::pair<QString, QString>> &values);

private:
    QString mPath;
};

} // namespace orlam
