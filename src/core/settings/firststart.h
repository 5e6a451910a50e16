#pragma once

#include "common/status.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace orlam {

struct TSettings;

// The computer's time zone as the C library applies it to the clock.
struct ComputerZone {
    // The zone's name ("Europe/Berlin", "UTC"); empty, or a POSIX rule such as "CET-1CEST",
    // when the zone has no name in the time-zone database.
    QByteArray id;
    // Offset of the zone's standard (winter) time from Greenwich, in seconds, positive east.
    int standardOffsetEast = 0;
};

// TZ when it is set (a leading ":" dropped, a path into the zoneinfo folder reduced to the
// zone's name, an empty TZ read as "UTC" as the C library does), else the system's zone.
ComputerZone computerZone();

// The folder of the time-zone database's tables: TZDIR when set, else /usr/share/zoneinfo.
QString zoneInfoDirectory();

// The place a zone is named after, in the settings' notation.
struct ZonePlace {
    QString name;      // the zone name's last part with blanks for "_": "Berlin", "Buenos Aires"
    QString longitude; // degrees, "E" or "W", two-digit minutes: "13E22", "87W39", "0W08"
    QString latitude;  // degrees, "N" or "S", two-digit minutes: "52N30", "34S55"
};

// Turns ISO 6709 coordinates as the zone tables write them ("+5230+01322", latitude first,
// degrees and minutes, or "+415100-0873900" with seconds) into the settings' longitude and
// latitude texts, rounded to the nearest arc minute (half a minute up). False when the text
// is not of that form or out of range.
bool coordinatesToSettings(const QString &iso6709, QString *longitude, QString *latitude);

// The principal place of a zone: its row in zone1970.tab, else in zone.tab (which still names
// a place for many zones that share another's rules, such as Europe/Copenhagen); an alias
// ("Asia/Calcutta", "US/Central") is followed through the database's link list (tzdata.zi).
// Nothing for zones that name no place ("UTC", "Etc/GMT+3") or that the tables do not know.
std::optional<ZonePlace> findZonePlace(const QByteArray &zoneId, const QString &zoneInfoDir);

// What a first start writes into the new settings file, and what it tells the user.
struct FirstStart {
    QByteArray zoneId;
    std::optional<ZonePlace> place;
    // "Longitude", "Latitude" and "Zone Name" (only with a place; the zone name only when the
    // time-zone database knows it), "Time Zone" and "Time", in that order.
    std::vector<std::pair<QString, QString>> keys;

    // A short note for the status bar.
    QString statusText() const;
    // One line for standard error in the command-line modes: what was chosen and where to
    // change it.
    QString description() const;
    // Puts the same values into the record the program runs with.
    void apply(TSettings *settings) const;
};

// Decides the first start for a zone: its place with "Time" = 2 (the computer's zone and
// daylight saving apply); without a place the default place stays and only "Time Zone" (the
// zone's standard offset) and "Time" = 2 are set.
FirstStart planFirstStart(const ComputerZone &zone, const QString &zoneInfoDir);

// True when no settings file exists at `settingsPath` (not even a dangling link).
bool isFirstStart(const QString &settingsPath);

// Writes the new settings file. Refuses, and leaves it alone, when a file exists by now.
// A failure carries "Unable to write to %s".
Status writeFirstStart(const QString &settingsPath, const FirstStart &plan);

} // namespace orlam
