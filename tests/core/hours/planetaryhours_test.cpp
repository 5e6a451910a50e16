#include "../thelemic/calctestsupport.h"

#include "common/clocktime.h"
#include "hours/planetaryhours.h"
#include "hours/planets.h"
#include "hours/riseset.h"

namespace orlam {
namespace {

using test::localeFor;
using test::readBytes;
using test::showBytes;

const QTimeZone Utc = QTimeZone::utc();

// Sunday 14 May 2000: sunrise 6:00, sunset 18:00, next sunrise 6:00; Saturday's sunset 18:00.
TRiseSetTable sundayTable()
{
    TRiseSetTable table;
    table.SunRise = clockTime(2000, 5, 14, 6, 0);
    table.SunSet = clockTime(2000, 5, 14, 18, 0);
    table.NextSunRise = clockTime(2000, 5, 15, 6, 0);
    table.SunNadir = clockTime(2000, 5, 14, 0, 1);
    table.SunZenith = clockTime(2000, 5, 14, 12, 0);
    table.MoonRise = clockTime(2000, 5, 14, 15, 30);
    table.MoonSet = clockTime(2000, 5, 15, 2, 10);    // on the next day: not printed
    table.MoonZenith = clockTime(2000, 5, 13, 20, 0); // an older run's moment: not printed
    return table;
}

TEST(PlanetCycle, DaysStartThreePlacesOnAndTheTableIsConsistent)
{
    // Sunday Sun, Monday Moon, Tuesday Mars, Wednesday Mercury, Thursday Jupiter, Friday Venus,
    // Saturday Saturn (Qt numbers Monday 1 .. Sunday 7).
    const char *firsts[] = {"Moon", "Mars", "Mercury", "Jupiter", "Venus", "Saturn", "Sun"};
    for (int day = 1; day <= 7; ++day)
        EXPECT_EQ(planetName(firstRulerOfDay(day)), QLatin1String(firsts[day - 1])) << day;
    // Each tray image and each alarm flag belongs to exactly one planet.
    QSet<int> trays, alarms;
    for (const HourPlanet &planet : PlanetCycle) {
        trays.insert(planet.trayImage);
        alarms.insert(planet.alarmIndex);
        EXPECT_EQ(BodyKeys[planet.alarmIndex], QLatin1String(planet.name));
    }
    EXPECT_EQ(trays.size(), 7);
    EXPECT_EQ(alarms.size(), 7);
    EXPECT_EQ(PlanetCycle[*planetByName(QStringLiteral("Saturn"))].trayImage, 0);
    EXPECT_EQ(PlanetCycle[*planetByName(QStringLiteral("Moon"))].trayImage, 6);
    EXPECT_FALSE(planetByName(QStringLiteral("sun")).has_value());
}

TEST(PlanetaryHours, SundayRulersFileAndReport)
{
    const LocaleFacts us = localeFor(QLocale::English, QLocale::UnitedStates);
    const TRiseSetTable table = sundayTable();
    const PlanetaryHours hours = computePlanetaryHours(QDate(2000, 5, 14), table, Utc);
    ASSERT_TRUE(hours.valid);
    QStringList rulers;
    for (const PlanetaryHour &hour : hours.hours) {
        EXPECT_EQ(hour.start.msecsTo(hour.end), 3600 * 1000) << hour.start.toString().toStdString();
        rulers << planetName(hour.ruler);
    }
    EXPECT_EQ(rulers.join(QLatin1Char(' ')),
              QStringLiteral("Sun Venus Mercury Moon Saturn Jupiter Mars Sun Venus Mercury Moon Saturn "
                             "Jupiter Mars Sun Venus Mercury Moon Saturn Jupiter Mars Sun Venus Mercury"));
    EXPECT_EQ(hours.hours[12].start, clockTime(2000, 5, 14, 18, 0));
    EXPECT_EQ(hours.hours[23].end, clockTime(2000, 5, 15, 6, 0));

    const QByteArray golden = readBytes(QStringLiteral(ORLAM_TEST_DATA "/hours/hl_sunday.txt"));
    ASSERT_FALSE(golden.isEmpty());
    EXPECT_EQ(showBytes(hoursFileBytes(hours, us)), showBytes(golden));

    const QStringList report = hoursReport(hours, table, QStringLiteral("ddddd \"e.v. \""), us);
    ASSERT_EQ(report.size(), 43);
    EXPECT_EQ(report[0], QStringLiteral("Planetary Hours"));
    EXPECT_EQ(report[1], QStringLiteral(" "));
    EXPECT_EQ(report[2], QStringLiteral("Sunrise: 5/14/2000 e.v. "));
    EXPECT_EQ(report[3], QStringLiteral("Hours of the Day"));
    EXPECT_EQ(report[4], QStringLiteral(" 6:00 AM Sun")); // times right-aligned in one column
    EXPECT_EQ(report[15], QStringLiteral(" 5:00 PM Saturn"));
    EXPECT_EQ(report[17], QStringLiteral("Sunset 5/14/2000 e.v. "));
    EXPECT_EQ(report[19], QStringLiteral(" 6:00 PM Jupiter"));
    EXPECT_EQ(report[30], QStringLiteral(" 5:00 AM Mercury"));
    EXPECT_EQ(report[10], QStringLiteral("12:00 PM Mars"));
    EXPECT_EQ(report[31], QString());
    EXPECT_EQ(report[32], QStringLiteral("Hours of Light 12:00  Hours of Darkness 12:00"));
    EXPECT_EQ(report[34], QStringLiteral("Sun   Nadir 12:01 AM"));
    EXPECT_EQ(report[35], QStringLiteral("Sun    Rise  6:00 AM"));
    EXPECT_EQ(report[38], QStringLiteral(" "));
    EXPECT_EQ(report[39], QStringLiteral("Moon  Nadir")); // never found
    EXPECT_EQ(report[40], QStringLiteral("Moon   Rise  3:30 PM"));
    EXPECT_EQ(report[41], QStringLiteral("Moon Zenith")); // another day's
    EXPECT_EQ(report[42], QStringLiteral("Moon    Set")); // the next day's

    // Under a locale with the full stop as its separators, the file and line 33 follow them.
    const LocaleFacts finnish = localeFor(QLocale::Finnish, QLocale::Finland);
    EXPECT_EQ(hourLine(hours.hours[0], finnish),
              QStringLiteral("(Sun) 05.14.2000 06.00am Sun           Hour"));
    EXPECT_EQ(hoursReport(hours, table, QStringLiteral("ddddd"), finnish)[32],
              QStringLiteral("Hours of Light 12.00  Hours of Darkness 12.00"));
}

TEST(PlanetaryHours, CurrentHourThroughTheDay)
{
    const LocaleFacts us = localeFor(QLocale::English, QLocale::UnitedStates);
    TRiseSetTable table = sundayTable();
    const PlanetaryHours noNightBefore = computePlanetaryHours(QDate(2000, 5, 14), table, Utc);
    table.PrevSunSet = clockTime(2000, 5, 13, 18, 0);
    const PlanetaryHours hours = computePlanetaryHours(QDate(2000, 5, 14), table, Utc);

    struct Row {
        const char *name;
        QDateTime now;
        const char *text;
        int tray;
    };
    const Row rows[] = {
        {"at the start of day hour 3", clockTime(2000, 5, 14, 9, 0), " [Hour of Moon 9:00 AM-10:00 AM]", 6},
        {"a millisecond before it", clockTime(2000, 5, 14, 8, 59, 59, 999),
         " [Hour of Mercury 8:00 AM-9:00 AM]", 5},
        {"at sunrise", clockTime(2000, 5, 14, 6, 0), " [Hour of Sun 6:00 AM-7:00 AM]", 3},
        {"at sunset", clockTime(2000, 5, 14, 18, 0), " [Hour of Jupiter 6:00 PM-7:00 PM]", 1},
        {"in the twelfth hour of the night", clockTime(2000, 5, 15, 5, 59),
         " [Hour of Mercury 5:00 AM-6:00 AM]", 5},
        {"at the next sunrise", clockTime(2000, 5, 15, 6, 0), "", -1},
        // Saturday's night goes on after midnight: its tenth hour is Saturn's.
        {"after midnight before sunrise", clockTime(2000, 5, 14, 3, 30), " [Hour of Saturn 3:00 AM-4:00 AM]",
         0},
        {"before Saturday's sunset", clockTime(2000, 5, 13, 17, 0), HourNotAvailableText, -1},
    };
    for (const Row &row : rows) {
        const CurrentHour current = currentHour(hours, row.now, Utc, us);
        EXPECT_EQ(current.HourText, QLatin1String(row.text)) << row.name;
        EXPECT_EQ(current.trayImage, row.tray) << row.name;
        EXPECT_EQ(current.CurrentRuler.isEmpty(), row.tray < 0) << row.name;
    }
    // Without Saturday's sunset the hours before sunrise are not known.
    const CurrentHour early = currentHour(noNightBefore, clockTime(2000, 5, 14, 3, 30), Utc, us);
    EXPECT_EQ(early.HourText, QLatin1String(HourNotAvailableText));
    EXPECT_EQ(early.trayImage, -1);
    // The rulers are those of the base day's weekday, whatever day `now` falls on.
    EXPECT_EQ(hourAt(hours, clockTime(2000, 5, 15, 0, 30), Utc)->ruler,
              *planetByName(QStringLiteral("Saturn")));
}

TEST(PlanetaryHours, DaysWithoutAProperSunriseAndSunset)
{
    const LocaleFacts us = localeFor(QLocale::English, QLocale::UnitedStates);
    struct Row {
        const char *name;
        QDateTime rise, set, next;
    };
    const QDate day(2026, 5, 17);
    const Row rows[] = {
        // At 69 degrees north the Sun sets at 00:03 (the night before) and rises at 01:18.
        {"set before rise", clockTime(2026, 5, 17, 1, 18), clockTime(2026, 5, 17, 0, 3),
         clockTime(2026, 5, 18, 1, 0)},
        {"sunrise of an older run", clockTime(2026, 5, 15, 1, 30), clockTime(2026, 5, 17, 23, 50),
         clockTime(2026, 5, 18, 1, 0)},
        {"next sunrise two days on", clockTime(2026, 5, 17, 1, 18), clockTime(2026, 5, 17, 23, 50),
         clockTime(2026, 5, 19, 1, 0)},
        {"never found", QDateTime(), QDateTime(), QDateTime()},
    };
    for (const Row &row : rows) {
        TRiseSetTable table;
        table.SunRise = row.rise;
        table.SunSet = row.set;
        table.NextSunRise = row.next;
        const PlanetaryHours hours = computePlanetaryHours(day, table, Utc);
        EXPECT_FALSE(hours.valid) << row.name;
        EXPECT_TRUE(hoursFileBytes(hours, us).isEmpty()) << row.name;
        const CurrentHour current = currentHour(hours, clockTime(2026, 5, 17, 12, 0), Utc, us);
        EXPECT_EQ(current.HourText, QLatin1String(HourNotAvailableText)) << row.name;
        EXPECT_EQ(current.trayImage, -1) << row.name;
        const QStringList report = hoursReport(hours, table, QStringLiteral("ddddd \"e.v. \""), us);
        EXPECT_EQ(report.size(), 43) << row.name;
        EXPECT_EQ(report[2], QStringLiteral("The Sun does not rise and set on 5/17/2026 e.v.")) << row.name;
    }
    // A sunset just after midnight still makes a day.
    TRiseSetTable late;
    late.SunRise = clockTime(2026, 5, 17, 1, 18);
    late.SunSet = clockTime(2026, 5, 18, 0, 3);
    late.NextSunRise = clockTime(2026, 5, 18, 1, 10);
    EXPECT_TRUE(computePlanetaryHours(day, late, Utc).valid);
}

TEST(PlanetaryHours, DaylightSavingNightsDivideElapsedTime)
{
    const LocaleFacts us = localeFor(QLocale::English, QLocale::UnitedStates);
    const QTimeZone chicago("America/Chicago");
    ASSERT_EQ(hoursClockZone(2, chicago), chicago);
    ASSERT_EQ(hoursClockZone(0, chicago), Utc);
    struct Row {
        const char *name;
        QDate day;
        QDateTime rise, set, next;
        qint64 darknessMinutes;
    };
    const Row rows[] = {
        // Clocks go forward at 2:00 on 8 March 2026: the night is an hour shorter than the clock says.
        {"spring", QDate(2026, 3, 7), clockTime(2026, 3, 7, 6, 20), clockTime(2026, 3, 7, 17, 50),
         clockTime(2026, 3, 8, 7, 21), 12 * 60 + 31},
        // Clocks go back at 2:00 on 1 November 2026.
        {"autumn", QDate(2026, 10, 31), clockTime(2026, 10, 31, 7, 30), clockTime(2026, 10, 31, 18, 0),
         clockTime(2026, 11, 1, 6, 32), 13 * 60 + 32},
    };
    for (const Row &row : rows) {
        TRiseSetTable table;
        table.SunRise = row.rise;
        table.SunSet = row.set;
        table.NextSunRise = row.next;
        const PlanetaryHours hours = computePlanetaryHours(row.day, table, chicago);
        ASSERT_TRUE(hours.valid) << row.name;
        EXPECT_EQ(hours.darknessMs, row.darknessMinutes * 60 * 1000) << row.name;
        const qint64 length = hours.darknessMs / 12;
        for (int k = 12; k < 24; ++k) {
            const PlanetaryHour &hour = hours.hours[k];
            // Every start is a reading the clock really shows, and hours last the same time.
            EXPECT_EQ(clockFromLocal(QDateTime::fromMSecsSinceEpoch(hour.startMs, chicago)), hour.start)
                << row.name << k;
            EXPECT_FALSE(hour.start.time() >= QTime(2, 0) && hour.start.time() < QTime(3, 0) &&
                         hour.start.date() == QDate(2026, 3, 8))
                << row.name << k;
            if (k < 23) {
                EXPECT_EQ(hour.endMs - hour.startMs, length) << row.name << k;
            }
        }
        // The hour that contains a moment is found on both sides of the change (a reading of the
        // hour that is set back is taken at its first pass).
        for (int k = 12; k < 24; ++k) {
            const QDateTime middle =
                clockFromLocal(QDateTime::fromMSecsSinceEpoch(hours.hours[k].startMs + length / 2, chicago));
            if (middle.date() != QDate(2026, 11, 1) || middle.time().hour() != 1) {
                EXPECT_EQ(hourAt(hours, middle, chicago)->number, k - 12) << row.name << k;
            }
        }
    }
    // The spring night's hour 8 starts at 2:10 standard time, that is 3:10 daylight time.
    TRiseSetTable spring;
    spring.SunRise = rows[0].rise;
    spring.SunSet = rows[0].set;
    spring.NextSunRise = rows[0].next;
    const PlanetaryHours hours = computePlanetaryHours(rows[0].day, spring, chicago);
    EXPECT_EQ(hours.hours[19].start.toString(QStringLiteral("hh:mm")), QStringLiteral("01:08"));
    EXPECT_EQ(hours.hours[20].start.toString(QStringLiteral("hh:mm")), QStringLiteral("03:10"));
    EXPECT_EQ(hoursReport(hours, spring, QStringLiteral("ddddd"), us)[32],
              QStringLiteral("Hours of Light 11:30  Hours of Darkness 12:31"));
}

TEST(PlanetaryHours, LengthsAreTruncatedToTheMinuteOfADay)
{
    const LocaleFacts us = localeFor(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(hoursMinutesText((13 * 60 + 59) * 60000LL + 59999, us), QStringLiteral("13:59"));
    EXPECT_EQ(hoursMinutesText(5 * 60000LL, us), QStringLiteral("0:05"));
    EXPECT_EQ(hoursMinutesText((24 * 60 + 70) * 60000LL, us), QStringLiteral("1:10"));
}

TEST(ReportLineMoment, EngineFormsWhateverTheLocale)
{
    const auto line = [](const char *date, const char *time) {
        return test::eventLine(QString::fromLatin1(date), QString::fromLatin1(time), QStringLiteral("Sun"),
                               QStringLiteral("rises"));
    };
    struct Row {
        const char *name;
        QString line;
        bool dayFirst;
        QDateTime expected; // invalid: does not read
    };
    const Row rows[] = {
        {"month first, blanks", line(" 5/16/2000", " 7:05pm"), false, clockTime(2000, 5, 16, 19, 5)},
        {"day first", line("16- 5-2000", " 7:05am"), true, clockTime(2000, 5, 16, 7, 5)},
        {"an hour line with full stops", line("05.16.2000", "07.05pm"), false, clockTime(2000, 5, 16, 19, 5)},
        {"midnight", line(" 5/16/2000", "12:00am"), false, clockTime(2000, 5, 16, 0, 0)},
        {"noon", line(" 5/16/2000", "12:30pm"), false, clockTime(2000, 5, 16, 12, 30)},
        {"no such day", line("13/16/2000", " 7:05pm"), false, QDateTime()},
        {"no such hour", line(" 5/16/2000", "13:05pm"), false, QDateTime()},
        {"short line", QStringLiteral("(Mon) 5/16"), false, QDateTime()},
    };
    for (const Row &row : rows) {
        const std::optional<QDateTime> moment = ReportLineMoment(row.line, row.dayFirst);
        EXPECT_EQ(moment.has_value(), row.expected.isValid()) << row.name;
        if (moment && row.expected.isValid()) {
            EXPECT_EQ(*moment, row.expected) << row.name;
        }
    }

    // A locale that writes dates year first reads the engine's month-first reports.
    const LocaleFacts japanese =
        LocaleFacts::make(QLocale(QStringLiteral("ja_JP")), QTimeZone("Asia/Tokyo"), QDate(2026, 6, 15));
    test::RecordingSink sink;
    TRiseSetTable table;
    EXPECT_TRUE(
        readRiseSetLines(QStringList{line(" 6/15/2026", " 4:26am")},
                         QStringList{line(" 6/16/2026", " 4:26am")}, japanese, table, sink,
                         QStringList{test::eventLine(QStringLiteral(" 6/14/2026"), QStringLiteral(" 7:00pm"),
                                                     QStringLiteral("Sun"), QStringLiteral("sets"))}));
    EXPECT_TRUE(sink.messages.isEmpty());
    EXPECT_EQ(table.SunRise, clockTime(2026, 6, 15, 4, 26));
    EXPECT_EQ(table.NextSunRise, clockTime(2026, 6, 16, 4, 26));
    EXPECT_EQ(table.PrevSunSet, clockTime(2026, 6, 14, 19, 0));
}

} // namespace
} // namespace orlam
