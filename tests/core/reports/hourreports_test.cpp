// The next hour of a planet and the week of hours: on days of equal hours (sunrise 6:00, sunset
// 18:00), and with the real engine inside the polar circle, where days have no hours.

#include "astrocalls/scratchjobs.h"
#include "common/clocktime.h"
#include "common/columns.h"
#include "hours/hoursspan.h"
#include "hours/planetaryhours.h"
#include "hours/planets.h"
#include "reports/hourreports.h"
#include "settings/localefacts.h"
#include "settings/settings.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace orlam {
namespace {

const QString EnginePath = QStringLiteral(ORLAM_BIN_DIR "/orlam-ephem");

LocaleFacts localeOf(QLocale::Language language, QLocale::Territory territory, const char *zone)
{
    return LocaleFacts::make(QLocale(language, territory), QTimeZone(zone), QDate(2026, 1, 1));
}

const QTimeZone SixWest(-6 * 3600);

// A wall-clock reading six hours west of Greenwich, as an instant.
QDateTime local(int y, int m, int d, int h, int min = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min), SixWest).toUTC();
}

// Days from `first` whose Sun rises at 6:00 and sets at 18:00 (every hour lasts an hour), on a
// clock six hours west; the days listed in `withoutHours` have no sunset.
HoursSpan evenDays(QDate first, int count, const QList<QDate> &withoutHours = {})
{
    QList<HorizonInstant> events;
    for (int i = -1; i <= count; ++i) {
        const QDate date = first.addDays(i);
        events.append(
            {QDateTime(date, QTime(6, 0), SixWest).toUTC(), QStringLiteral("Sun"), QStringLiteral("rises")});
        if (!withoutHours.contains(date))
            events.append({QDateTime(date, QTime(18, 0), SixWest).toUTC(), QStringLiteral("Sun"),
                           QStringLiteral("sets")});
    }
    return HoursSpan::fromEvents({QStringLiteral("87W39"), QStringLiteral("41N51"), SixWest}, first,
                                 first.addDays(count - 1), events);
}

struct Expected {
    QDateTime start;
    QDate baseDay;
};

// 14 June 2026 is a Sunday: by night Jupiter 18:00, Mars, Sun, Venus, Mercury, Moon 23:00,
// Saturn 0:00, ..., Mercury 5:00; Monday by day Moon 6:00, Saturn 7:00, ..., Moon 13:00, and by
// night Venus 18:00, Mercury, Moon 20:00.
TEST(NextHours, AcrossMidnightAndSunrise)
{
    const HoursSpan series = evenDays(QDate(2026, 6, 13), 6);
    struct Row {
        const char *name;
        QDateTime now;
        const char *planet;
        std::vector<Expected> hours;
        bool firstRunning;
    };
    const QDate sunday(2026, 6, 14), monday(2026, 6, 15);
    const Row rows[] = {
        {"the next Saturn hour is Sunday's night hour after midnight",
         local(2026, 6, 14, 23, 30),
         "Saturn",
         {{local(2026, 6, 15, 0, 0), sunday},
          {local(2026, 6, 15, 7, 0), monday},
          {local(2026, 6, 15, 14, 0), monday}},
         false},
        {"the running hour counts and is marked",
         local(2026, 6, 14, 23, 30),
         "Moon",
         {{local(2026, 6, 14, 23, 0), sunday},
          {local(2026, 6, 15, 6, 0), monday},
          {local(2026, 6, 15, 13, 0), monday}},
         true},
        {"before sunrise the night of the day before runs; the Moon comes with Monday's sunrise",
         local(2026, 6, 15, 5, 30),
         "Moon",
         {{local(2026, 6, 15, 6, 0), monday},
          {local(2026, 6, 15, 13, 0), monday},
          {local(2026, 6, 15, 20, 0), monday}},
         false},
        {"before sunrise, in Sunday's last night hour",
         local(2026, 6, 15, 5, 30),
         "Mercury",
         {{local(2026, 6, 15, 5, 0), sunday},
          {local(2026, 6, 15, 12, 0), monday},
          {local(2026, 6, 15, 19, 0), monday}},
         true},
        {"an hour that ends at now is over",
         local(2026, 6, 15, 7, 0),
         "Moon",
         {{local(2026, 6, 15, 13, 0), monday},
          {local(2026, 6, 15, 20, 0), monday},
          {local(2026, 6, 16, 3, 0), monday}},
         false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const NextHours answer = findNextHours(series, QString::fromLatin1(row.planet), row.now);
        ASSERT_EQ(answer.hours.size(), static_cast<qsizetype>(row.hours.size()));
        for (std::size_t i = 0; i < row.hours.size(); ++i) {
            const PlanetHour &hour = answer.hours[static_cast<qsizetype>(i)];
            EXPECT_EQ(hour.startUtc, row.hours[i].start) << i;
            EXPECT_EQ(hour.endUtc, row.hours[i].start.addSecs(3600)) << i;
            EXPECT_EQ(hour.baseDay, row.hours[i].baseDay) << i;
            EXPECT_EQ(planetName(hour.ruler), QString::fromLatin1(row.planet));
        }
        EXPECT_EQ(answer.hours.front().contains(row.now), row.firstRunning);
        EXPECT_TRUE(answer.daysWithoutHours.isEmpty());
        EXPECT_EQ(nextHoursLines(answer).front().endsWith(QLatin1String(" now")), row.firstRunning);
    }
}

TEST(NextHours, DaysWithoutHoursAreNamedAndPassed)
{
    const QDate sunday(2026, 6, 14);
    const HoursSpan series = evenDays(sunday.addDays(-1), 16, {sunday, sunday.addDays(1), sunday.addDays(2)});
    const NextHours answer = findNextHours(series, QStringLiteral("Venus"), local(2026, 6, 14, 9, 0));
    EXPECT_EQ(answer.daysWithoutHours, (QList<QDate>{sunday, sunday.addDays(1), sunday.addDays(2)}));
    ASSERT_EQ(answer.hours.size(), 3);
    EXPECT_EQ(answer.hours.front().baseDay, sunday.addDays(3))
        << "Wednesday: Mercury 6:00, Moon, Saturn, Jupiter, Mars, Sun, Venus 12:00";
    EXPECT_EQ(answer.hours.front().startUtc, local(2026, 6, 17, 12, 0));
    EXPECT_EQ(nextHoursLines(answer),
              (QStringList{"2026-06-14 no hours", "2026-06-15 no hours", "2026-06-16 no hours",
                           "2026-06-17 12:00-13:00 Venus", "2026-06-17 19:00-20:00 Venus",
                           "2026-06-18 02:00-03:00 Venus"}));

    const LocaleFacts us = localeOf(QLocale::English, QLocale::UnitedStates, "America/Chicago");
    TSettings settings;
    const QStringList report = nextHoursReport(answer, us, settings);
    EXPECT_EQ(report.at(0), QStringLiteral("Next Hours of Venus"));
    // The three days without hours take one line.
    EXPECT_EQ(report.at(3),
              QStringLiteral("Sunday, June 14, 2026 - Tuesday, June 16, 2026: no planetary hours, "
                             "the Sun does not rise and set on these days"));
    EXPECT_EQ(report.at(4), QStringLiteral("Wednesday, June 17, 2026  12:00 PM - 1:00 PM"));
    EXPECT_EQ(report.size(), 7) << report.join(QLatin1Char('\n')).toStdString();
}

TEST(WeekReport, SevenBlocksUnderBritishAndGermanLocales)
{
    const QDate sunday(2026, 6, 14);
    const HoursSpan series = evenDays(sunday, 7, {sunday.addDays(3)});
    const QDateTime now = local(2026, 6, 15, 19, 30); // Monday's second night hour, Mercury
    struct Row {
        const char *name;
        LocaleFacts locale;
        const char *heading;
        const char *sunday;
        const char *firstHour;
        const char *marked;
    };
    const Row rows[] = {
        {"en_GB", localeOf(QLocale::English, QLocale::UnitedKingdom, "Europe/London"),
         "Sunday, 14 June 2026 - Saturday, 20 June 2026", "Sunday, 14 June 2026",
         "06:00 Sun           18:00 Jupiter", "07:00 Saturn        19:00 Mercury \u00ab now"},
        {"de_DE", localeOf(QLocale::German, QLocale::Germany, "Europe/Berlin"),
         "Sonntag, 14. Juni 2026 - Samstag, 20. Juni 2026", "Sonntag, 14. Juni 2026",
         "06:00 Sun           18:00 Jupiter", "07:00 Saturn        19:00 Mercury \u00ab now"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QStringList lines = weekHoursReport(series, sunday, now, row.locale);
        EXPECT_EQ(lines.at(0), QStringLiteral("Planetary Hours for the Week"));
        EXPECT_EQ(lines.at(1), QString::fromUtf8(row.heading));
        EXPECT_EQ(lines.at(3), QString::fromUtf8(row.sunday));
        EXPECT_EQ(lines.at(5), QStringLiteral("Hours of the Day    Hours of the Night"));
        EXPECT_EQ(lines.at(6), QString::fromUtf8(row.firstHour));
        EXPECT_EQ(lines.at(17), QStringLiteral("17:00 Saturn        05:00 Mercury"));
        // Seven blocks: six of 16 lines (blank, date, sunrise and sunset, the headings of the
        // day's and the night's columns, 12 rows) and Wednesday's three.
        EXPECT_EQ(lines.size(), 2 + 6 * 16 + 3);
        EXPECT_EQ(lines.filter(QStringLiteral("\u00ab now")), QStringList{QString::fromUtf8(row.marked)});
        EXPECT_EQ(lines.filter(QStringLiteral("No planetary hours")).size(), 1);
        // Monday begins with the Moon, Thursday with Jupiter.
        EXPECT_TRUE(lines.at(3 + 16 + 3).startsWith(QStringLiteral("06:00 Moon ")));
        EXPECT_TRUE(lines.at(3 + 3 * 16 + 3 + 3).startsWith(QStringLiteral("06:00 Jupiter ")))
            << "Thursday, after Wednesday's three lines";
    }
    // Outside the week nothing is marked.
    const QStringList later =
        weekHoursReport(series, sunday, local(2026, 6, 21, 9, 0),
                        localeOf(QLocale::English, QLocale::UnitedKingdom, "Europe/London"));
    EXPECT_TRUE(later.filter(QStringLiteral("\u00ab now")).isEmpty());
}

// On the night daylight saving begins the night is an hour shorter in elapsed time than the clock
// says, and the hours are equal shares of the elapsed time.
TEST(HourTimes, UniversalTimeAcrossADaylightSavingNight)
{
    const QTimeZone chicago("America/Chicago");
    const auto at = [&](int d, int h, int min) {
        return QDateTime(QDate(2026, 3, d), QTime(h, min), chicago).toUTC();
    };
    const HoursSpan span = HoursSpan::fromEvents(
        {QStringLiteral("87W39"), QStringLiteral("41N51"), chicago}, {2026, 3, 7}, {2026, 3, 7},
        {{at(7, 6, 20), QStringLiteral("Sun"), QStringLiteral("rises")},
         {at(7, 17, 56), QStringLiteral("Sun"), QStringLiteral("sets")},
         {at(8, 7, 18), QStringLiteral("Sun"), QStringLiteral("rises")}}); // daylight time from 2:00
    const BaseDayHours *saturday = span.day({2026, 3, 7});
    ASSERT_TRUE(saturday && saturday->valid());
    EXPECT_EQ(saturday->hours.front().startUtc,
              QDateTime(QDate(2026, 3, 7), QTime(12, 20), QTimeZone::utc()));
    EXPECT_EQ(saturday->hours.at(12).startUtc, QDateTime(QDate(2026, 3, 7), QTime(23, 56), QTimeZone::utc()));
    EXPECT_EQ(saturday->hours.back().endUtc, QDateTime(QDate(2026, 3, 8), QTime(12, 18), QTimeZone::utc()));
    // Twelve equal night hours of 12 h 22 min elapsed, not of the 13 h 22 min the clock shows.
    EXPECT_EQ(saturday->hours.at(12).startUtc.secsTo(saturday->hours.at(12).endUtc),
              (12 * 60 + 22) * 60 / 12);
    EXPECT_EQ(planetName(saturday->hours.front().ruler), QStringLiteral("Saturn"));
    EXPECT_EQ(dayHoursLines(span, {2026, 3, 7}).last(), QStringLiteral("2026-03-08 06:16-07:18 Mars"));
}

class PolarEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo(EnginePath).isExecutable()) << "orlam-ephem is not built";
        settings.Longitude = QStringLiteral("18E57");
        settings.Latitude = QStringLiteral("69N39");
        settings.TimeZone = QStringLiteral("-1");
        settings.TimeMode = 1;
    }
    TSettings settings;
    DerivedValues derived;
};

// At 69N39 the Sun does not set from late May to late July: those days have no hours.
TEST_F(PolarEngine, TheAnswerLooksPastDaysWithoutHours)
{
    ScratchJobs jobs(settings, derived, EnginePath);
    const HoursPlace place{settings.Longitude, settings.Latitude, QTimeZone("Europe/Oslo")};
    const auto noon = [&](int m, int d) {
        return QDateTime(QDate(2026, m, d), QTime(12, 0), place.zone).toUTC();
    };
    NextHours june;
    Status status = searchNextHours(jobs, place, QStringLiteral("Venus"), noon(6, 15), &june);
    ASSERT_TRUE(status) << status.message.toStdString();
    EXPECT_TRUE(june.hours.isEmpty());
    EXPECT_EQ(june.daysWithoutHours.size(), NextHourSearchDays);
    EXPECT_EQ(june.searchedUntil, QDate(2026, 6, 28));
    const LocaleFacts us = localeOf(QLocale::English, QLocale::UnitedStates, "America/Chicago");
    EXPECT_EQ(nextHoursReport(june, us, settings).last(),
              QStringLiteral("No hour of Venus in the 14 days from Monday, June 15, 2026."));

    // The week when the Sun begins to set again: days without hours, then Venus hours.
    NextHours july;
    status = searchNextHours(jobs, place, QStringLiteral("Venus"), noon(7, 22), &july);
    ASSERT_TRUE(status) << status.message.toStdString();
    ASSERT_EQ(july.hours.size(), 3);
    ASSERT_FALSE(july.daysWithoutHours.isEmpty());
    EXPECT_EQ(july.daysWithoutHours.front(), QDate(2026, 7, 22));
    for (const QDate &day : july.daysWithoutHours)
        EXPECT_LT(day, july.hours.front().baseDay);
    for (const PlanetHour &hour : july.hours) {
        EXPECT_EQ(planetName(hour.ruler), QStringLiteral("Venus"));
        EXPECT_LT(hour.startUtc, hour.endUtc);
    }
    EXPECT_LT(july.hours.at(0).startUtc, july.hours.at(1).startUtc);
    EXPECT_LT(july.hours.at(1).startUtc, july.hours.at(2).startUtc);
}

// The reports line their columns up in the fixed-pitch view under a locale whose times vary in
// width ("6:00 AM" and "10:00 AM"): every hour's ruler starts in one column, every time ends in
// one, and the week shows the day's hours beside the night's.
TEST(ReportColumns, TimesAndRulersLineUp)
{
    const LocaleFacts us = localeOf(QLocale::English, QLocale::UnitedStates, "America/Chicago");
    const QDate sunday(2026, 6, 14);
    const HoursSpan series = evenDays(sunday.addDays(-1), 10);

    const QStringList week = weekHoursReport(series, sunday, local(2026, 6, 14, 10, 30), us);
    // Two headings, then per day: blank, date, sunrise and sunset, the column headings, 12 rows.
    ASSERT_EQ(week.size(), 2 + 7 * 16);
    for (int day = 0; day < 7; ++day) {
        SCOPED_TRACE(day);
        const int at = 2 + day * 16;
        EXPECT_EQ(week.at(at), QStringLiteral(" "));
        EXPECT_EQ(week.at(at + 1), us.formatLongDate(sunday.addDays(day)));
        EXPECT_EQ(week.at(at + 2), QStringLiteral("Sunrise 6:00 AM  Sunset 6:00 PM"));
        const QString heading = week.at(at + 3);
        ASSERT_TRUE(heading.startsWith(QLatin1String("Hours of the Day")));
        const qsizetype night = heading.indexOf(QLatin1String("Hours of the Night"));
        ASSERT_GT(night, 16);
        for (int row = 0; row < 12; ++row) {
            const QString line = week.at(at + 4 + row);
            // " 6:00 AM Sun" ... "10:00 AM Saturn": every time ends in the same column, in the
            // day's column and in the night's, and the rulers follow after one blank.
            SCOPED_TRACE(line.toStdString());
            for (const qsizetype column : {qsizetype(0), night}) {
                const QString time = line.mid(column, 8);
                EXPECT_TRUE(time.endsWith(QLatin1String(" AM")) || time.endsWith(QLatin1String(" PM")));
                EXPECT_TRUE(time.at(1).isDigit());
                EXPECT_EQ(line.at(column + 8), QLatin1Char(' '));
                EXPECT_TRUE(line.at(column + 9).isUpper());
            }
        }
    }
    // Sunday's 10:00 hour is Saturn's and runs at 10:30.
    const QString running = week.at(2 + 4 + 4);
    EXPECT_TRUE(running.startsWith(QStringLiteral("10:00 AM Saturn")));
    EXPECT_LT(running.indexOf(QStringLiteral("\u00ab now")), running.indexOf(QLatin1String(" PM ")));
    EXPECT_EQ(week.filter(QStringLiteral("\u00ab now")).size(), 1);

    // Next hours: the date, start and end each in a column of their own.
    const NextHours answer = findNextHours(series, QStringLiteral("Sun"), local(2026, 6, 14, 9, 0));
    const QStringList next = nextHoursReport(answer, us, TSettings());
    ASSERT_EQ(next.size(), 3 + NextHourCount);
    const QString first = next.at(3);
    for (int i = 3; i < next.size(); ++i) {
        SCOPED_TRACE(next.at(i).toStdString());
        EXPECT_EQ(next.at(i).indexOf(QLatin1String(" - ")), first.indexOf(QLatin1String(" - ")));
        EXPECT_EQ(next.at(i).size(), first.size());
    }
}

TEST(ReportColumns, TablesAndCounts)
{
    EXPECT_EQ(tableLines({{"6:00 AM", "Sun"}, {"10:00 AM", "Mercury", "now"}, {"", "x"}},
                         {ColumnAlign::Right, ColumnAlign::Left}),
              (QStringList{" 6:00 AM Sun", "10:00 AM Mercury now", "         x"}));
    EXPECT_EQ(sideBySide({"Day", "a", "bb"}, {"Night", "c"}, 2), (QStringList{"Day  Night", "a    c", "bb"}));
    EXPECT_EQ(countOf(1, "transit", "transits"), QStringLiteral("1 transit"));
    EXPECT_EQ(countOf(0, "transit", "transits"), QStringLiteral("0 transits"));
    EXPECT_EQ(countOf(366, "day", "days"), QStringLiteral("366 days"));
}

} // namespace
} // namespace orlam
