#pragma once

#include "common/status.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace orlam {

inline const QString CityListFileName = QStringLiteral("city.tab");

// The city list "city.tab": one place per line, in fixed columns counted in characters
// (1 = first character):
//    1-25  place name, filled up with blanks
//   26-32  latitude in the settings' notation ("45N05")
//   33-35  not read
//   36-42  longitude in the settings' notation ("93W21")
//   43     a blank
//   44-    the place's time zone as the time-zone database names it ("America/Chicago"); lists
//          made before this column read as lines without a zone
// A shorter line gives shorter or empty fields.
struct CityLine {
    QString name;
    QString latitude;
    QString longitude;
    QString zone; // empty when the line names none
};

// The fields of one line, each without the blanks and control characters at its ends.
CityLine parseCityLine(const QString &line);

// The file's text: UTF-8 when the bytes are valid UTF-8 (a byte order mark is dropped), else
// the Western code page, so that a line keeps its columns in either encoding.
QString decodeCityText(const QByteArray &bytes);

// The lines of a city list file, unchanged and in file order (CR LF, LF or CR end a line).
// A missing or unreadable file gives "Cannot open file %s" and no lines.
Status readCityList(const QString &path, QStringList *lines);

// True when `typed` occurs anywhere in `line`, ignoring case; an empty text matches every line.
bool cityLineMatches(const QString &line, const QString &typed);

// "Set Longitude and Latitude to NAME (LONGITUDE, LATITUDE)".
QString cityQuestion(const CityLine &city);

// A chosen line must give a latitude and a longitude that can be stored: neither empty nor
// holding a blank. The failure names the line.
Status checkCityLine(const QString &line, const CityLine &city);

// What choosing a city saves: its longitude and latitude, and from its zone the zone's name and
// its standard offset at `at` as "Time Zone" takes it ("-1", "3:30"). A city without a zone, or
// with one the time-zone database does not know, keeps the "Time Zone" text `currentZone` and
// names no zone: a zone name kept from another place would be wrong for this one.
struct CityLocation {
    QString longitude;
    QString latitude;
    QString timeZone;
    QString zoneName;
};
CityLocation cityLocation(const CityLine &city, const QString &currentZone, const QDateTime &at);

// A zone name to be saved ("Zone Name"): empty, or a zone the time-zone database knows. The
// failure says what was typed and gives an example.
Status checkZoneName(const QString &name);

// A location text to be saved ("Longitude", "Latitude", "Time Zone" as `field`) must not be
// empty nor hold a blank or a control character. The failure names the field.
Status checkLocationText(const QString &field, const QString &text);

} // namespace orlam
