// The first start: a zone's place from the time-zone tables, the new settings file, and that an
// existing file is never touched.

#include "settings/firststart.h"
#include "settings/localefacts.h"
#include "settings/settings.h"

#include "coretestsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTimeZone>

#include <ctime>
#include <gtest/gtest.h>

namespace orlam {
namespace {

const QString FixtureTables = QStringLiteral(ORLAM_TEST_DATA "/settings/zoneinfo");

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

TEST(FirstStart, CoordinatesRoundToTheMinuteInTheSettingsNotation)
{
    struct Row {
        const char *name;
        const char *iso;
        const char *longitude;
        const char *latitude;
    };
    const Row rows[] = {
        {"degrees and minutes", "+5230+01322", "13E22", "52N30"},
        {"south and east", "-3455+13835", "138E35", "34S55"},
        {"seconds below half", "+415129-0873929", "87W39", "41N51"},
        {"half a minute rounds up", "+513030-0000730", "0W08", "51N31"},
        {"carry into the degree", "+005930-0015930", "2W00", "1N00"},
        {"zero is east and north", "+0000+00000", "0E00", "0N00"},
        {"the range's ends", "-9000+18000", "180E00", "90S00"},
    };
    for (const Row &row : rows) {
        QString longitude, latitude;
        ASSERT_TRUE(coordinatesToSettings(QString::fromLatin1(row.iso), &longitude, &latitude)) << row.name;
        EXPECT_EQ(longitude, QLatin1String(row.longitude)) << row.name;
        EXPECT_EQ(latitude, QLatin1String(row.latitude)) << row.name;
    }

    for (const char *bad : {"", "+5230", "5230+01322", "+5230 +01322", "+523+01322", "+5260+01322",
                            "+5230+0132x", "+9001+00000", "+0000+18001", "+0000+1800030"}) {
        QString longitude = QStringLiteral("kept"), latitude = QStringLiteral("kept");
        EXPECT_FALSE(coordinatesToSettings(QString::fromLatin1(bad), &longitude, &latitude)) << bad;
        EXPECT_EQ(longitude, QStringLiteral("kept")) << bad;
    }
}

TEST(FirstStart, ZoneOffsetInHoursWest)
{
    const std::pair<int, const char *> rows[] = {
        {3600, "-1"},     {-21600, "6"},    {0, "0"},         {-10800, "3"},    {19800, "-5:30"},
        {34200, "-9:30"}, {-12600, "3:30"}, {20700, "-5:45"}, {-34200, "9:30"},
    };
    for (const auto &[east, text] : rows)
        EXPECT_EQ(zoneHoursWestText(east), QLatin1String(text)) << east;
}

TEST(FirstStart, ZonePlaceFromTheTables)
{
    struct Row {
        const char *zone;
        const char *name; // nullptr: no place
        const char *longitude;
        const char *latitude;
    };
    const Row rows[] = {
        {"Europe/Berlin", "Berlin", "13E22", "52N30"},
        {"America/Argentina/Buenos_Aires", "Buenos Aires", "58W27", "34S36"},
        // Not in zone1970.tab, where it shares Berlin's row; zone.tab still names its own place.
        {"Europe/Copenhagen", "Copenhagen", "12E35", "55N40"},
        // Aliases take the place of the zone they stand for, also over two links.
        {"Asia/Calcutta", "Kolkata", "88E22", "22N32"},
        {"Old/Central", "Chicago", "87W39", "41N51"},
        {"UTC", nullptr, nullptr, nullptr},
        {"Etc/GMT+3", nullptr, nullptr, nullptr},
        {"Mars/Olympus", nullptr, nullptr, nullptr},
        {"CET-1CEST", nullptr, nullptr, nullptr},
        {"", nullptr, nullptr, nullptr},
        {"Loop/A", nullptr, nullptr, nullptr},
        {"Broken/Coordinates", nullptr, nullptr, nullptr},
        // Names are whole names, compared exactly.
        {"Berlin", nullptr, nullptr, nullptr},
        {"europe/berlin", nullptr, nullptr, nullptr},
    };
    for (const Row &row : rows) {
        const auto place = findZonePlace(QByteArray(row.zone), FixtureTables);
        if (!row.name) {
            EXPECT_FALSE(place.has_value()) << row.zone;
            continue;
        }
        ASSERT_TRUE(place.has_value()) << row.zone;
        EXPECT_EQ(place->name, QLatin1String(row.name)) << row.zone;
        EXPECT_EQ(place->longitude, QLatin1String(row.longitude)) << row.zone;
        EXPECT_EQ(place->latitude, QLatin1String(row.latitude)) << row.zone;
    }
    EXPECT_FALSE(findZonePlace("Europe/Berlin", QStringLiteral("/nonexistent")).has_value());
}

// The installed database, which the program reads on a user's machine: the zones a user is
// likely to have give their principal place.
TEST(FirstStart, ZonePlaceFromTheInstalledDatabase)
{
    const std::pair<const char *, const char *> rows[] = {
        {"Europe/Berlin", "13E22 52N30"}, {"America/Chicago", "87W39 41N51"},
        {"Asia/Kolkata", "88E22 22N32"},  {"Australia/Adelaide", "138E35 34S55"},
        {"Asia/Calcutta", "88E22 22N32"}, {"US/Central", "87W39 41N51"},
        {"Europe/London", "0W08 51N31"},  {"America/New_York", "74W00 40N43"},
        {"Asia/Tokyo", "139E45 35N39"},   {"Pacific/Auckland", "174E46 36S52"},
    };
    for (const auto &[zone, expected] : rows) {
        const auto place = findZonePlace(zone, QStringLiteral("/usr/share/zoneinfo"));
        ASSERT_TRUE(place.has_value()) << zone;
        EXPECT_EQ(place->longitude + QLatin1Char(' ') + place->latitude, QLatin1String(expected)) << zone;
    }
    for (const char *zone : {"UTC", "Etc/UTC", "Etc/GMT+3", "Etc/GMT-14"})
        EXPECT_FALSE(findZonePlace(zone, QStringLiteral("/usr/share/zoneinfo")).has_value()) << zone;
}

TEST(FirstStart, ComputerZoneFromTz)
{
    struct Row {
        const char *tz;
        const char *id;
        int east;
    };
    const Row rows[] = {
        {"Europe/Berlin", "Europe/Berlin", 3600},
        {":America/Chicago", "America/Chicago", -21600},
        {"/usr/share/zoneinfo/Asia/Kolkata", "Asia/Kolkata", 19800},
        {"Australia/Adelaide", "Australia/Adelaide", 34200},
        // Its database calls the summer clock standard; the user's standard time is the winter's.
        {"Europe/Dublin", "Europe/Dublin", 0},
        {"", "UTC", 0},
        {"Etc/GMT+3", "Etc/GMT+3", -10800},
        // The C library reads an unknown name as Greenwich time; a POSIX rule by its own terms.
        {"Mars/Olympus", "Mars/Olympus", 0},
        {"CET-1CEST,M3.5.0,M10.5.0/3", "CET-1CEST,M3.5.0,M10.5.0/3", 3600},
    };
    for (const Row &row : rows) {
        ComputerZone zone;
        {
            test::ScopedEnv tz("TZ", row.tz);
            zone = computerZone();
        }
        tzset();
        EXPECT_EQ(zone.id, QByteArray(row.id)) << row.tz;
        EXPECT_EQ(zone.standardOffsetEast, row.east) << row.tz;
    }
}

// A TZ naming the zone's file is the zone itself for the clock's facts too.
TEST(FirstStart, ZoneFileInTzIsTheZone)
{
    QByteArray id;
    int zoneHours = 0;
    {
        test::ScopedEnv tz("TZ", "/usr/share/zoneinfo/Asia/Kolkata");
        const LocaleFacts facts = LocaleFacts::system();
        id = facts.zone().id();
        zoneHours = facts.zoneHours();
    }
    tzset();
    EXPECT_EQ(id, QByteArray("Asia/Kolkata"));
    EXPECT_EQ(zoneHours, -5);
}

TEST(FirstStart, PlanForZonesWithAndWithoutPlace)
{
    struct Row {
        const char *zone;
        int east;
        std::vector<std::pair<QString, QString>> keys;
        const char *status;
    };
    using P = std::pair<QString, QString>;
    const Row rows[] = {
        {"Europe/Berlin",
         3600,
         {P("Longitude", "13E22"), P("Latitude", "52N30"), P("Zone Name", "Europe/Berlin"),
          P("Time Zone", "-1"), P("Time", "2")},
         "Place set to Berlin (13E22 52N30) - change it in Options"},
        {"Australia/Adelaide",
         34200,
         {P("Longitude", "138E35"), P("Latitude", "34S55"), P("Zone Name", "Australia/Adelaide"),
          P("Time Zone", "-9:30"), P("Time", "2")},
         "Place set to Adelaide (138E35 34S55) - change it in Options"},
        {"Etc/GMT+3",
         -10800,
         {P("Time Zone", "3"), P("Time", "2")},
         "No place known for Etc/GMT+3 - set yours in Options"},
        {"",
         0,
         {P("Time Zone", "0"), P("Time", "2")},
         "No place known for this time zone - set yours in Options"},
    };
    for (const Row &row : rows) {
        const FirstStart plan = planFirstStart({QByteArray(row.zone), row.east}, FixtureTables);
        EXPECT_EQ(plan.keys, row.keys) << row.zone;
        EXPECT_EQ(plan.statusText(), QLatin1String(row.status)) << row.zone;
        // The line for standard error names the choice and where to change it, on one line.
        EXPECT_TRUE(plan.description().contains(QLatin1String("Options, Program options, Astrological")));
        EXPECT_FALSE(plan.description().contains(QLatin1Char('\n')));

        TSettings settings;
        plan.apply(&settings);
        const TSettings defaults;
        EXPECT_EQ(settings.TimeMode, 2) << row.zone;
        EXPECT_EQ(settings.Longitude, plan.place ? plan.place->longitude : defaults.Longitude) << row.zone;
        EXPECT_EQ(settings.Latitude, plan.place ? plan.place->latitude : defaults.Latitude) << row.zone;
        EXPECT_EQ(settings.TimeZone, row.keys.at(row.keys.size() - 2).second) << row.zone;
        EXPECT_EQ(settings.ZoneName, plan.place ? QString::fromLatin1(row.zone) : QString()) << row.zone;
        EXPECT_EQ(settings.Lines, defaults.Lines);
    }
}

// One simulated user: the first start writes the file, the program loads it, the next start
// finds it and changes nothing, and a file written by someone else is never touched.
TEST(FirstStart, WritesOnlyWhenNoFileExists)
{
    test::ScopedWorkDir dir;
    const QString path = dir.filePath(QStringLiteral("config/Orlam/Orlam.ini"));
    ASSERT_TRUE(isFirstStart(path));
    const FirstStart plan = planFirstStart({"Europe/Berlin", 3600}, FixtureTables);
    ASSERT_TRUE(writeFirstStart(path, plan));
    const QByteArray written = test::readBytes(path);
    EXPECT_EQ(written,
              QByteArray("[orlam]\r\nLongitude=13E22\r\nLatitude=52N30\r\nZone Name=Europe/Berlin\r\n"
                         "Time Zone=-1\r\nTime=2\r\n"))
        << test::showBytes(written);

    const LocaleFacts berlin =
        LocaleFacts::make(QLocale(QStringLiteral("de_DE")), QTimeZone("Europe/Berlin"), QDate(2026, 12, 7));
    TSettings settings;
    DerivedValues derived;
    WindowKeys window;
    ASSERT_TRUE(SettingsStore(path).LoadSettings(berlin, &settings, &derived, &window));
    EXPECT_EQ(settings.Longitude, QStringLiteral("13E22"));
    EXPECT_EQ(settings.TimeMode, 2);
    EXPECT_EQ(settings.YearFormat, 1);
    EXPECT_EQ(derived.ZoneHours, -1);

    // The second start.
    EXPECT_FALSE(isFirstStart(path));
    ASSERT_TRUE(writeFirstStart(path, planFirstStart({"America/Chicago", -21600}, FixtureTables)));
    EXPECT_EQ(test::readBytes(path), written);

    // Files that exist are left as they are, whatever they hold: no location keys, nothing at
    // all, or a link whose target is gone.
    const QByteArray noLocation = "; mine\r\n[orlam]\r\nLines=2\r\n";
    const QString own = dir.filePath(QStringLiteral("own.ini"));
    const QString empty = dir.filePath(QStringLiteral("empty.ini"));
    const QString link = dir.filePath(QStringLiteral("link.ini"));
    ASSERT_TRUE(writeBytes(own, noLocation));
    ASSERT_TRUE(writeBytes(empty, {}));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("gone.ini")), link));
    for (const QString &existing : {own, empty, link}) {
        EXPECT_FALSE(isFirstStart(existing)) << existing.toStdString();
        ASSERT_TRUE(writeFirstStart(existing, plan));
    }
    EXPECT_EQ(test::readBytes(own), noLocation);
    EXPECT_TRUE(test::readBytes(empty).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("gone.ini"))));
    // The file without location keys keeps the defaults for them.
    SettingsStore(own).readRecord(&settings);
    EXPECT_EQ(settings.Longitude, QStringLiteral("93W21"));
    EXPECT_EQ(settings.TimeZone, QStringLiteral("6"));
    EXPECT_EQ(settings.TimeMode, 0);
    EXPECT_EQ(settings.Lines, 2);
}

TEST(FirstStart, AFailedWriteSaysWhere)
{
    test::ScopedWorkDir dir;
    ASSERT_TRUE(writeBytes(dir.filePath(QStringLiteral("blocker")), "a file where a folder should be"));
    const QString path = dir.filePath(QStringLiteral("blocker/Orlam.ini"));
    const Status status = writeFirstStart(path, planFirstStart({"UTC", 0}, FixtureTables));
    EXPECT_FALSE(status);
    EXPECT_EQ(status.message, QStringLiteral("Unable to write to %1").arg(path));
}

} // namespace
} // namespace orlam
