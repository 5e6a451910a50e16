// The planetary hours of "orlam --hours", "--next-hour" and "--ics" against an independent
// computation: the Sun's apparent place from libnova (nothing shared with the engine's
// ephemeris), its upper limb on the horizon with standard refraction (the
// centre 0.8333 degrees below it), found by bisection; hours as twelfths of the
// elapsed time; rulers from the Chaldean order. One table of places and days: the days the clocks
// change in five zones (and the day before, whose night crosses the change), each run at 00:30
// and at noon on the place's clock, late sunsets in the north, the polar day and night, zones of
// odd offsets and a day of 1950.

#include "common/westerntext.h"
#include "reports/hourscommand.h"
#include "settings/localefacts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>
#include <libnova/precession.h>
#include <libnova/sidereal_time.h>
#include <libnova/solar.h>

#include <cmath>
#include <optional>
#include <vector>

namespace orlam {
namespace {

const QString EnginePath = QStringLiteral(ORLAM_BIN_DIR "/orlam-ephem");
constexpr double StandardAltitude = -0.8333; // the upper limb on the horizon, with refraction
constexpr double DegToRad = M_PI / 180.0;
constexpr double UnixEpochJd = 2440587.5;

// --- The independent side --------------------------------------------------------------------

double julianDay(const QDateTime &utc)
{
    return UnixEpochJd + static_cast<double>(utc.toMSecsSinceEpoch()) / 86400000.0;
}

QDateTime fromJulianDay(double jd)
{
    return QDateTime::fromMSecsSinceEpoch(std::llround((jd - UnixEpochJd) * 86400000.0), QTimeZone::utc());
}

struct Observer {
    double longitudeEast;
    double latitudeNorth;
};

// The Sun's apparent right ascension and declination of date (degrees) and the apparent sidereal
// time at Greenwich (degrees) for a Julian day of universal time: libnova's VSOP87 Sun, which it
// gives with aberration and nutation on the equator and equinox of J2000, carried to the date by
// its precession.
struct SunPlace {
    double rightAscension, declination, sidereal;
};

SunPlace sunPlace(double jd)
{
    ln_equ_posn j2000{};
    ln_get_solar_equ_coords(jd, &j2000);
    ln_equ_posn ofDate{};
    ln_get_equ_prec(&j2000, jd, &ofDate);
    return {ofDate.ra, ofDate.dec, ln_get_apparent_sidereal_time(jd) * 15.0};
}

// Altitude of the Sun's centre above the standard altitude, degrees.
double aboveHorizon(double jd, const Observer &at)
{
    const SunPlace sun = sunPlace(jd);
    const double hourAngle = (sun.sidereal + at.longitudeEast - sun.rightAscension) * DegToRad;
    const double lat = at.latitudeNorth * DegToRad;
    const double dec = sun.declination * DegToRad;
    const double sinAlt = std::sin(lat) * std::sin(dec) + std::cos(lat) * std::cos(dec) * std::cos(hourAngle);
    return std::asin(std::clamp(sinAlt, -1.0, 1.0)) / DegToRad - StandardAltitude;
}

struct Crossing {
    QDateTime utc;
    bool rise;
};

// Every rise and set from `from` for `days` days: a scan every ten minutes, then bisection to a
// tenth of a second.
std::vector<Crossing> crossings(const QDateTime &from, int days, const Observer &at)
{
    std::vector<Crossing> found;
    const double step = 10.0 / 1440.0;
    double t0 = julianDay(from);
    double f0 = aboveHorizon(t0, at);
    for (int i = 0; i < days * 144; ++i) {
        const double t1 = t0 + step;
        const double f1 = aboveHorizon(t1, at);
        if ((f0 < 0) != (f1 < 0)) {
            double a = t0, b = t1, fa = f0;
            while (b - a > 0.1 / 86400.0) {
                const double m = 0.5 * (a + b);
                const double fm = aboveHorizon(m, at);
                if ((fm < 0) == (fa < 0)) {
                    a = m;
                    fa = fm;
                } else {
                    b = m;
                }
            }
            found.push_back({fromJulianDay(0.5 * (a + b)), f0 < 0});
        }
        t0 = t1;
        f0 = f1;
    }
    return found;
}

// The reference hours of a base day: the 25 boundaries (sunrise, eleven day hours, sunset,
// eleven night hours, the next sunrise) and the 24 rulers, or why there are none.
struct ReferenceDay {
    std::vector<QDateTime> starts; // 25 instants when the day has hours
    QStringList rulers;
    QString noHours; // "no sunrise" or "no sunset"
};

ReferenceDay referenceDay(QDate date, const Observer &at, const QTimeZone &zone)
{
    const std::vector<Crossing> all =
        crossings(QDateTime(date.addDays(-1), QTime(12, 0), zone).toUTC(), 3, at);
    ReferenceDay day;
    auto next = [&](bool rise, const QDateTime &after) -> std::optional<QDateTime> {
        for (const Crossing &c : all)
            if (c.rise == rise && c.utc > after)
                return c.utc;
        return std::nullopt;
    };
    std::optional<QDateTime> sunrise;
    for (const Crossing &c : all)
        if (c.rise && c.utc.toTimeZone(zone).date() == date) {
            sunrise = c.utc;
            break;
        }
    if (!sunrise) {
        day.noHours = QStringLiteral("no sunrise");
        return day;
    }
    const std::optional<QDateTime> sunset = next(false, *sunrise);
    const std::optional<QDateTime> again = next(true, *sunrise);
    if (!sunset || (again && *again < *sunset)) {
        day.noHours = QStringLiteral("no sunset");
        return day;
    }
    if (!again || sunrise->secsTo(*again) >= 30 * 3600) {
        day.noHours = QStringLiteral("no sunrise");
        return day;
    }
    const qint64 light = sunrise->msecsTo(*sunset);
    const qint64 dark = sunset->msecsTo(*again);
    for (int k = 0; k < 12; ++k)
        day.starts.push_back(sunrise->addMSecs(light * k / 12));
    for (int k = 0; k < 12; ++k)
        day.starts.push_back(sunset->addMSecs(dark * k / 12));
    day.starts.push_back(*again);
    // The Chaldean order, slowest first; each day begins with its own planet.
    const QStringList chaldean{"Saturn", "Jupiter", "Mars", "Sun", "Venus", "Mercury", "Moon"};
    const QStringList dayPlanets{"Moon", "Mars", "Mercury", "Jupiter", "Venus", "Saturn", "Sun"}; // Mon..Sun
    const qsizetype first = chaldean.indexOf(dayPlanets.at(date.dayOfWeek() - 1));
    for (int h = 0; h < 24; ++h)
        day.rulers << chaldean.at((first + h) % 7);
    return day;
}

// --- The program's side ----------------------------------------------------------------------

struct Place {
    const char *name;
    const char *longitude;
    const char *latitude;
    Observer at;
    const char *zone;
    const char *zoneHours; // "Time Zone": the standard offset, hours west
};

const Place Chicago{"Chicago", "87W39", "41N51", {-87.65, 41.85}, "America/Chicago", "6"};
const Place Berlin{"Berlin", "13E24", "52N31", {13.40, 52.5167}, "Europe/Berlin", "-1"};
const Place Sydney{"Sydney", "151E12", "33S52", {151.20, -33.8667}, "Australia/Sydney", "-10"};
const Place Auckland{"Auckland", "174E46", "36S51", {174.7667, -36.85}, "Pacific/Auckland", "-12"};
const Place Chatham{"Chatham", "176W33", "43S57", {-176.55, -43.95}, "Pacific/Chatham", "-12:45"};
const Place Reykjavik{"Reykjavik", "21W56", "64N09", {-21.9333, 64.15}, "Atlantic/Reykjavik", "0"};
const Place Tromso{"Tromso", "18E57", "69N39", {18.95, 69.65}, "Europe/Oslo", "-1"};
const Place Kathmandu{"Kathmandu", "85E19", "27N43", {85.3167, 27.7167}, "Asia/Kathmandu", "-5:45"};
const Place StJohns{"St John's", "52W43", "47N34", {-52.7167, 47.5667}, "America/St_Johns", "3:30"};
const Place Kiritimati{"Kiritimati", "157W28", "1N52", {-157.4667, 1.8667}, "Pacific/Kiritimati", "-14"};
const Place BuenosAires{
    "Buenos Aires", "58W23", "34S36", {-58.3833, -34.60}, "America/Argentina/Buenos_Aires", "3"};

// A settings file for the place: "System Locale Settings" (or standard time with the zone's
// standard offset), the place's zone named, the engine of this build.
void writeSettings(const QString &path, const Place &place, int timeMode)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QStringLiteral("[orlam]\r\nTime=%1\r\nTime Zone=%2\r\nLongitude=%3\r\nLatitude=%4\r\n"
                              "Zone Name=%5\r\nAstrolog=%6\r\n")
                   .arg(timeMode)
                   .arg(QLatin1String(place.zoneHours), QLatin1String(place.longitude),
                        QLatin1String(place.latitude), QLatin1String(place.zone), EnginePath)
                   .toUtf8());
}

// The computer runs on universal time: the hours follow the place's zone, not the computer's.
const LocaleFacts &computerLocale()
{
    static const LocaleFacts facts = LocaleFacts::make(QLocale(QLocale::English, QLocale::UnitedStates),
                                                       QTimeZone::utc(), QDate(2026, 6, 1));
    return facts;
}

struct PrintedHour {
    QDateTime start, end; // wall-clock readings, zone-free (held as UTC)
    QString ruler;
};

// "2026-06-15 05:27-06:44 Moon": the end on the start's date, or the next when it is earlier.
std::optional<PrintedHour> readHourLine(const QString &line)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d) (\\d\\d:\\d\\d)-(\\d\\d:\\d\\d) (\\w+)$"));
    const QRegularExpressionMatch m = pattern.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date = QDate::fromString(m.captured(1), Qt::ISODate);
    PrintedHour hour;
    hour.start = QDateTime(date, QTime::fromString(m.captured(2), QStringLiteral("HH:mm")), QTimeZone::utc());
    hour.end = QDateTime(date, QTime::fromString(m.captured(3), QStringLiteral("HH:mm")), QTimeZone::utc());
    if (hour.end < hour.start)
        hour.end = hour.end.addDays(1);
    hour.ruler = m.captured(4);
    return hour;
}

// The wall-clock reading of an instant in `zone`, zone-free.
QDateTime wallClock(const QDateTime &utc, const QTimeZone &zone)
{
    const QDateTime local = utc.toTimeZone(zone);
    return QDateTime(local.date(), local.time(), QTimeZone::utc());
}

struct Row {
    const Place &place;
    QDate date;
    int timeMode = 2;
};

std::vector<Row> referenceRows()
{
    std::vector<Row> rows;
    const auto changeDays = [&](const Place &place, std::initializer_list<QDate> days, int timeMode = 2) {
        for (const QDate &day : days) {
            rows.push_back({place, day.addDays(-1), timeMode});
            rows.push_back({place, day, timeMode});
        }
    };
    changeDays(Chicago, {{2026, 3, 8}, {2026, 11, 1}, {2027, 3, 14}, {2027, 11, 7}});
    changeDays(Berlin, {{2026, 3, 29}, {2026, 10, 25}, {2027, 3, 28}, {2027, 10, 31}});
    changeDays(Sydney, {{2026, 4, 5}, {2026, 10, 4}, {2027, 4, 4}, {2027, 10, 3}});
    changeDays(Auckland, {{2026, 4, 5}, {2026, 9, 27}, {2027, 4, 4}, {2027, 9, 26}});
    changeDays(Chatham, {{2026, 4, 5}, {2026, 9, 27}, {2027, 4, 4}, {2027, 9, 26}});
    // The same change days on standard time with the zone's offset, as a city choice sets them.
    changeDays(Chicago, {{2027, 3, 14}, {2026, 11, 1}}, 0);
    changeDays(StJohns, {{2026, 3, 8}, {2026, 11, 1}});
    // Sunsets after local midnight, and a day on each side of the polar limits.
    for (QDate day : {QDate(2026, 6, 15), QDate(2026, 6, 21), QDate(2026, 6, 28)})
        rows.push_back({Reykjavik, day});
    for (QDate day : {QDate(2026, 5, 16), QDate(2026, 5, 17), QDate(2026, 7, 26), QDate(2026, 6, 21),
                      QDate(2026, 12, 21), QDate(2026, 11, 26), QDate(2027, 1, 17)})
        rows.push_back({Tromso, day});
    rows.push_back({Kathmandu, {2026, 6, 21}});
    rows.push_back({Kathmandu, {2026, 12, 21}});
    rows.push_back({Kiritimati, {2026, 6, 21}});
    rows.push_back({Kiritimati, {2026, 12, 31}});
    rows.push_back({BuenosAires, {1950, 3, 21}});
    return rows;
}

// Runs "--hours" for the place's day at `clockTime` on the place's clock.
QStringList runHours(const QString &settingsPath, const Row &row, QTime clockTime)
{
    const QDateTime now = QDateTime(row.date, clockTime, QTimeZone(row.place.zone)).toUTC();
    const HoursCommandResult result =
        runHoursCommand(HoursCommand::Hours, {}, settingsPath, computerLocale(), now);
    EXPECT_EQ(result.exitCode, 0) << result.error.toStdString();
    return result.output;
}

class Reference : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo(EnginePath).isExecutable()) << "orlam-ephem is not built";
        ASSERT_TRUE(dir.isValid());
    }
    QString settingsPath() const { return dir.filePath(QStringLiteral("Orlam.ini")); }
    QTemporaryDir dir;
};

TEST_F(Reference, HoursOfEveryPlaceAndDayWithinAMinuteRulersExact)
{
    int comparedHours = 0;
    for (const Row &row : referenceRows()) {
        const QTimeZone zone(row.place.zone);
        ASSERT_TRUE(zone.isValid()) << row.place.zone;
        const std::string label = std::string(row.place.name) + " " +
                                  row.date.toString(Qt::ISODate).toStdString() +
                                  (row.timeMode == 0 ? " (standard time)" : "");
        writeSettings(settingsPath(), row.place, row.timeMode);
        const ReferenceDay reference = referenceDay(row.date, row.place.at, zone);
        QStringList first;
        for (const QTime &clock : {QTime(0, 30), QTime(12, 0)}) {
            SCOPED_TRACE(label + " run at " + clock.toString(QStringLiteral("HH:mm")).toStdString());
            const QStringList lines = runHours(settingsPath(), row, clock);
            if (first.isEmpty())
                first = lines;
            EXPECT_EQ(lines, first) << "the same hours whenever the day is asked for";
            if (!reference.noHours.isEmpty()) {
                EXPECT_EQ(lines, QStringList{row.date.toString(Qt::ISODate) + QStringLiteral(" no hours (") +
                                             reference.noHours + QLatin1Char(')')});
                continue;
            }
            ASSERT_EQ(lines.size(), 24) << lines.join(QLatin1Char('\n')).toStdString();
            for (int h = 0; h < 24; ++h) {
                const std::optional<PrintedHour> printed = readHourLine(lines.at(h));
                ASSERT_TRUE(printed) << lines.at(h).toStdString();
                const QDateTime start = wallClock(reference.starts[static_cast<std::size_t>(h)], zone);
                const QDateTime end = wallClock(reference.starts[static_cast<std::size_t>(h + 1)], zone);
                EXPECT_LE(std::llabs(printed->start.secsTo(start)), 60)
                    << "hour " << h << ": " << lines.at(h).toStdString() << ", reference starts "
                    << start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
                EXPECT_LE(std::llabs(printed->end.secsTo(end)), 60)
                    << "hour " << h << ": " << lines.at(h).toStdString() << ", reference ends "
                    << end.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
                EXPECT_EQ(printed->ruler, reference.rulers.at(h)) << "hour " << h;
                ++comparedHours;
            }
        }
    }
    EXPECT_GT(comparedHours, 2900);
}

// Auckland, the night the clocks go back (5 April 2026, 3:00 daylight time becomes 2:00): asked
// at 01:00, the hours are those of noon; "--next-hour" marks the hour that holds the moment; the
// calendar exported at 00:30 and at noon holds the same events under the same identifiers.
TEST_F(Reference, CommandLineOnTheNightTheClocksGoBack)
{
    const Row sunday{Auckland, {2026, 4, 5}};
    const QTimeZone zone(Auckland.zone);
    writeSettings(settingsPath(), Auckland, 2);
    EXPECT_EQ(runHours(settingsPath(), sunday, QTime(1, 0)), runHours(settingsPath(), sunday, QTime(12, 0)));

    // Before sunrise the hour in force is Saturday's night hour.
    const ReferenceDay saturday = referenceDay({2026, 4, 4}, Auckland.at, zone);
    ASSERT_EQ(saturday.starts.size(), 25u);
    const QDateTime now = QDateTime(QDate(2026, 4, 5), QTime(1, 0), zone).toUTC();
    int running = -1;
    for (int h = 0; h < 24; ++h)
        if (saturday.starts[static_cast<std::size_t>(h)] <= now &&
            now < saturday.starts[static_cast<std::size_t>(h + 1)])
            running = h;
    ASSERT_GE(running, 12);
    const QString planet = saturday.rulers.at(running);
    const HoursCommandResult next =
        runHoursCommand(HoursCommand::NextHour, {planet}, settingsPath(), computerLocale(), now);
    ASSERT_EQ(next.exitCode, 0) << next.error.toStdString();
    ASSERT_EQ(next.output.size(), 3);
    EXPECT_TRUE(next.output.at(0).endsWith(QLatin1String(" now"))) << next.output.at(0).toStdString();
    const std::optional<PrintedHour> marked = readHourLine(next.output.at(0).chopped(4));
    ASSERT_TRUE(marked);
    EXPECT_LE(
        std::llabs(marked->start.secsTo(wallClock(saturday.starts[static_cast<std::size_t>(running)], zone))),
        60);
    for (const QString &line : next.output.mid(1))
        EXPECT_FALSE(line.endsWith(QLatin1String(" now"))) << line.toStdString();

    // The export of the two days around the change, made at 00:30 and at noon.
    QByteArray files[2];
    for (int i = 0; i < 2; ++i) {
        const QString file = dir.filePath(QStringLiteral("export%1.ics").arg(i));
        const QDateTime at = QDateTime(QDate(2026, 4, 5), i == 0 ? QTime(0, 30) : QTime(12, 0), zone).toUTC();
        const HoursCommandResult ics = runHoursCommand(
            HoursCommand::Ics, {QStringLiteral("2026-04-04"), QStringLiteral("2026-04-05"), file},
            settingsPath(), computerLocale(), at);
        ASSERT_EQ(ics.exitCode, 0) << ics.error.toStdString();
        QFile read(file);
        ASSERT_TRUE(read.open(QIODevice::ReadOnly));
        files[i] = read.readAll();
    }
    const auto withoutStamps = [](const QByteArray &ics) {
        return QString::fromUtf8(ics).remove(QRegularExpression(QStringLiteral("DTSTAMP:\\S+\r\n")));
    };
    EXPECT_EQ(withoutStamps(files[0]), withoutStamps(files[1]));
    QStringList uids;
    for (const QString &line : QString::fromUtf8(files[0]).split(QStringLiteral("\r\n")))
        if (line.startsWith(QLatin1String("UID:")))
            uids << line;
    EXPECT_EQ(uids.filter(QStringLiteral("UID:hour-")).size(), 48);
    EXPECT_EQ(QSet<QString>(uids.begin(), uids.end()).size(), uids.size()) << "no identifier twice";
}

} // namespace
} // namespace orlam
