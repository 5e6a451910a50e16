#include "astrocalls/astrocalls.h"
#include "astrocalls/runner.h"
#include "common/clocktime.h"
#include "common/westerntext.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTimeZone>

namespace orlam {
namespace {

using test::readBytes;
using test::ScopedWorkDir;
using test::showBytes;
using test::testData;

// Test names of table rows.
template <class Row> std::string rowName(const testing::TestParamInfo<Row> &param)
{
    return param.param.name;
}

const QDateTime June15 = clockTime(2026, 6, 15, 14, 30);
const QTime HalfPastTwo(14, 30);

// Daylight saving of America/Chicago in 2026, as the locale facts give it.
const QDateTime ChicagoDstStart = clockTime(2026, 3, 8, 2, 0);
const QDateTime ChicagoDstEnd = clockTime(2026, 11, 1, 2, 0);
// And of Australia/Sydney: it starts later in the year than it ends.
const QDateTime SydneyDstStart = clockTime(2026, 10, 4, 2, 0);
const QDateTime SydneyDstEnd = clockTime(2026, 4, 5, 3, 0);

JobArgs defaultArgs(const QDateTime &date = June15, QTime time = HalfPastTwo)
{
    return {QStringLiteral("6"), QStringLiteral("93W21"), QStringLiteral("45N05"), date, time, {}};
}

// The job writer bound to a runner that is never started by these tests.
struct JobFixture {
    TSettings settings;
    DerivedValues derived;
    SilentSink sink;
    test::WorkFolder dir;
    AstrologRunner runner{sink, QStringLiteral("/nonexistent/orlam-ephem"), dir.path()};
    Astrocalls astro{settings, derived, runner};
};

// ---- Whole job files, byte for byte ----

struct GoldenRow {
    const char *name;
    JobKind kind;
    const char *euroDateSwitch;
    int zodiac;
    int houseSystem;
    bool wheelReverse;
    bool monochrome;
    const char *longitude;
    const char *latitude;
    const char *golden;
};

void PrintTo(const GoldenRow &row, std::ostream *out)
{
    *out << row.name;
}

const GoldenRow GoldenRows[] = {
    {"chart_month_first", JobKind::Chart, "", 0, 0, true, true, "93W21", "45N05", "chart.job"},
    {"chart_day_first", JobKind::Chart, "-Yd", 0, 0, true, true, "93W21", "45N05", "chart_euro.job"},
    {"wheel_month_first", JobKind::Wheel, "", 0, 0, true, true, "93W21", "45N05", "wheel.job"},
    {"wheel_day_first", JobKind::Wheel, "-Yd", 0, 0, true, true, "93W21", "45N05", "wheel_euro.job"},
    {"wheel_options_off", JobKind::Wheel, "", 0, 0, false, false, "93W21", "45N05", "wheel_plain.job"},
    {"aspects_month_first", JobKind::Aspects, "", 0, 0, true, true, "93W21", "45N05", "aspects.job"},
    {"aspects_day_first", JobKind::Aspects, "-Yd", 0, 0, true, true, "93W21", "45N05", "aspects_euro.job"},
    {"riseset_month_first", JobKind::RiseSet, "", 0, 0, true, true, "93W21", "45N05", "riseset.job"},
    {"riseset_day_first", JobKind::RiseSet, "-Yd", 0, 0, true, true, "93W21", "45N05", "riseset_euro.job"},
    // The rise/set job has neither a house nor a zodiac line.
    {"riseset_sidereal", JobKind::RiseSet, "", 1, 5, true, true, "93W21", "45N05", "riseset.job"},
    {"month_month_first", JobKind::MonthCalendar, "", 0, 0, true, true, "93W21", "45N05", "month.job"},
    {"month_day_first", JobKind::MonthCalendar, "-Yd", 0, 0, true, true, "93W21", "45N05", "month_euro.job"},
    {"year_month_first", JobKind::YearCalendar, "", 0, 0, true, true, "93W21", "45N05", "year.job"},
    {"year_day_first", JobKind::YearCalendar, "-Yd", 0, 0, true, true, "93W21", "45N05", "year_euro.job"},
    {"chart_sidereal_no_houses", JobKind::Chart, "", 1, 13, true, true, "93W21", "45N05",
     "chart_sidereal.job"},
    {"wheel_sidereal_topocentric", JobKind::Wheel, "-Yd", 1, 8, true, false, "93W21", "45N05",
     "wheel_sidereal.job"},
    {"aspects_sidereal_whole", JobKind::Aspects, "", 1, 12, true, true, "93W21", "45N05",
     "aspects_sidereal.job"},
    {"year_sidereal_porphyry", JobKind::YearCalendar, "", 1, 5, true, true, "93W21", "45N05",
     "year_sidereal.job"},
    // Zodiac values other than 1 are tropical: no "/s" line and no empty line in its place.
    {"chart_zodiac_2_tropical", JobKind::Chart, "", 2, 0, true, true, "93W21", "45N05", "chart.job"},
    {"chart_western_code_page", JobKind::Chart, "", 0, 0, true, true, "93\u00B021'W", "45\u00B005'N",
     "chart_degree.job"},
};

class GoldenJobFile : public testing::TestWithParam<GoldenRow> {};

TEST_P(GoldenJobFile, WritesInputTxtByteForByte)
{
    const GoldenRow &row = GetParam();
    JobFixture f;
    f.derived.EuroDateSwitch = QString::fromLatin1(row.euroDateSwitch);
    f.settings.Zodiac = row.zodiac;
    f.settings.HouseSystem = row.houseSystem;
    f.settings.WheelReverse = row.wheelReverse;
    f.settings.Monochrome = row.monochrome;
    JobArgs args = defaultArgs();
    args.longitude = QString::fromUtf8(row.longitude);
    args.latitude = QString::fromUtf8(row.latitude);
    if (row.kind == JobKind::RiseSet)
        args.reportName = QStringLiteral("riseset.txt");

    const Status status = f.astro.writeJob(row.kind, args);
    ASSERT_TRUE(status.ok) << status.message.toStdString();

    const QByteArray expected = readBytes(testData(QString::fromLatin1(row.golden)));
    ASSERT_FALSE(expected.isEmpty()) << "golden file missing: " << row.golden;
    const QByteArray written = readBytes(f.dir.filePath(QStringLiteral("input.txt")));
    EXPECT_EQ(written, expected) << "written:\n"
                                 << showBytes(written) << "expected:\n"
                                 << showBytes(expected);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, GoldenJobFile, testing::ValuesIn(GoldenRows), rowName<GoldenRow>);

TEST(ChartJobFile, DefaultJobHasElevenLinesAndEndsWithCrLf)
{
    JobFixture f;
    const QStringList lines = jobLines(JobKind::Chart, defaultArgs(), f.settings, f.derived).lines;
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines[0], QStringLiteral("@0102  ; Astrolog chart info."));
    EXPECT_EQ(lines[1], QStringLiteral("/qb 6 15 2026 14:30PM ST 6 93W21 45N05"));
    EXPECT_EQ(lines[3], QString());
    EXPECT_EQ(lines[10], QStringLiteral("/c 0"));
}

TEST(ChartJobFile, EveryHouseSystemNumberIsWrittenInDecimal)
{
    JobFixture f;
    for (int house = 0; house < int(HouseSystemNames.size()); ++house) {
        f.settings.HouseSystem = house;
        const QStringList lines = jobLines(JobKind::Chart, defaultArgs(), f.settings, f.derived).lines;
        EXPECT_EQ(lines.last(), QStringLiteral("/c %1").arg(house)) << HouseSystemNames[house].toStdString();
    }
}

// ---- The moment line ----

struct MomentRow {
    const char *name;
    QDateTime date;
    QTime time;
    int timeMode;
    const char *zone;
    int zoneHours;
    QDateTime dstStart;
    QDateTime dstEnd;
    const char *expected;
    bool daylight;
};

void PrintTo(const MomentRow &row, std::ostream *out)
{
    *out << row.name;
}

const MomentRow MomentRows[] = {
    {"five_past_midnight",
     clockTime(2026, 1, 2),
     QTime(0, 5),
     0,
     "6",
     6,
     {},
     {},
     "/qb 1 2 2026 0:05AM ST 6 93W21 45N05",
     false},
    {"noon", June15, QTime(12, 0), 0, "6", 6, {}, {}, "/qb 6 15 2026 12:00PM ST 6 93W21 45N05", false},
    {"last_minute",
     clockTime(2026, 12, 31),
     QTime(23, 59),
     0,
     "6",
     6,
     {},
     {},
     "/qb 12 31 2026 23:59PM ST 6 93W21 45N05",
     false},
    {"single_digit_hour",
     June15,
     QTime(9, 7),
     0,
     "6",
     6,
     {},
     {},
     "/qb 6 15 2026 9:07AM ST 6 93W21 45N05",
     false},
    {"before_noon",
     June15,
     QTime(11, 59),
     0,
     "6",
     6,
     {},
     {},
     "/qb 6 15 2026 11:59AM ST 6 93W21 45N05",
     false},
    {"seconds_dropped",
     June15,
     QTime(14, 30, 59, 999),
     0,
     "6",
     6,
     {},
     {},
     "/qb 6 15 2026 14:30PM ST 6 93W21 45N05",
     false},
    {"daylight_mode_keeps_zone_text",
     June15,
     HalfPastTwo,
     1,
     "5",
     6,
     {},
     {},
     "/qb 6 15 2026 14:30PM DT 5 93W21 45N05",
     false},
    {"standard_mode_in_daylight_window", June15, HalfPastTwo, 0, "6", 6, ChicagoDstStart, ChicagoDstEnd,
     "/qb 6 15 2026 14:30PM ST 6 93W21 45N05", true},
    {"system_at_dst_start", ChicagoDstStart, QTime(2, 0), 2, "6", 6, ChicagoDstStart, ChicagoDstEnd,
     "/qb 3 8 2026 2:00AM ST 6 93W21 45N05", false},
    {"system_minute_after_dst_start", ChicagoDstStart.addSecs(60), QTime(2, 1), 2, "6", 6, ChicagoDstStart,
     ChicagoDstEnd, "/qb 3 8 2026 2:01AM DT 6 93W21 45N05", true},
    {"system_day_after_dst_start", ChicagoDstStart.addDays(1), QTime(2, 0), 2, "6", 6, ChicagoDstStart,
     ChicagoDstEnd, "/qb 3 9 2026 2:00AM DT 6 93W21 45N05", true},
    {"system_day_before_dst_end", ChicagoDstEnd.addDays(-1), QTime(2, 0), 2, "6", 6, ChicagoDstStart,
     ChicagoDstEnd, "/qb 10 31 2026 2:00AM DT 6 93W21 45N05", true},
    {"system_at_dst_end", ChicagoDstEnd, QTime(2, 0), 2, "6", 6, ChicagoDstStart, ChicagoDstEnd,
     "/qb 11 1 2026 2:00AM ST 6 93W21 45N05", false},
    {"system_minute_after_dst_end", ChicagoDstEnd.addSecs(60), QTime(2, 1), 2, "6", 6, ChicagoDstStart,
     ChicagoDstEnd, "/qb 11 1 2026 2:01AM ST 6 93W21 45N05", false},
    {"system_day_after_dst_end", ChicagoDstEnd.addDays(1), QTime(2, 0), 2, "6", 6, ChicagoDstStart,
     ChicagoDstEnd, "/qb 11 2 2026 2:00AM ST 6 93W21 45N05", false},
    {"system_zone_hours_over_zone_text", June15, HalfPastTwo, 2, "8", 6, ChicagoDstStart, ChicagoDstEnd,
     "/qb 6 15 2026 14:30PM DT 6 93W21 45N05", true},
    {"system_east_of_greenwich",
     June15,
     HalfPastTwo,
     2,
     "6",
     -5,
     {},
     {},
     "/qb 6 15 2026 14:30PM ST -5 93W21 45N05",
     false},
    {"system_zone_without_daylight_saving",
     June15,
     HalfPastTwo,
     2,
     "6",
     0,
     {},
     {},
     "/qb 6 15 2026 14:30PM ST 0 93W21 45N05",
     false},
    // A southern zone's period runs across the new year (start after end).
    {"southern_summer_after_start", clockTime(2026, 12, 20, 14, 30), HalfPastTwo, 2, "6", -10, SydneyDstStart,
     SydneyDstEnd, "/qb 12 20 2026 14:30PM DT -10 93W21 45N05", true},
    {"southern_summer_before_end", clockTime(2026, 1, 10, 14, 30), HalfPastTwo, 2, "6", -10, SydneyDstStart,
     SydneyDstEnd, "/qb 1 10 2026 14:30PM DT -10 93W21 45N05", true},
    {"southern_winter", June15, HalfPastTwo, 2, "6", -10, SydneyDstStart, SydneyDstEnd,
     "/qb 6 15 2026 14:30PM ST -10 93W21 45N05", false},
    {"southern_at_dst_start", SydneyDstStart, QTime(2, 0), 2, "6", -10, SydneyDstStart, SydneyDstEnd,
     "/qb 10 4 2026 2:00AM ST -10 93W21 45N05", false},
    {"southern_at_dst_end", SydneyDstEnd, QTime(3, 0), 2, "6", -10, SydneyDstStart, SydneyDstEnd,
     "/qb 4 5 2026 3:00AM ST -10 93W21 45N05", false},
    {"southern_minute_before_dst_end", SydneyDstEnd.addSecs(-60), QTime(2, 59), 2, "6", -10, SydneyDstStart,
     SydneyDstEnd, "/qb 4 5 2026 2:59AM DT -10 93W21 45N05", true},
    // A hand-edited mode outside 0..2 keeps the line's shape: standard time with the zone text.
    {"unknown_mode_is_standard", June15, HalfPastTwo, 7, "6", 3, ChicagoDstStart, ChicagoDstEnd,
     "/qb 6 15 2026 14:30PM ST 6 93W21 45N05", true},
};

class MomentLine : public testing::TestWithParam<MomentRow> {};

TEST_P(MomentLine, FollowsTimeModeAndDaylightWindow)
{
    const MomentRow &row = GetParam();
    JobFixture f;
    f.settings.TimeMode = row.timeMode;
    f.derived.ZoneHours = row.zoneHours;
    f.derived.DstStart = row.dstStart;
    f.derived.DstEnd = row.dstEnd;
    JobArgs args = defaultArgs(row.date, row.time);
    args.zone = QString::fromLatin1(row.zone);

    const JobLines job = jobLines(JobKind::Chart, args, f.settings, f.derived);
    ASSERT_GE(job.lines.size(), 2);
    EXPECT_EQ(job.lines[1].toStdString(), std::string(row.expected));
    EXPECT_EQ(job.daylight, row.daylight);
}

INSTANTIATE_TEST_SUITE_P(Rows, MomentLine, testing::ValuesIn(MomentRows), rowName<MomentRow>);

TEST(MomentLine, DaylightTestComparesClockReadingsWhateverTheTimeSpec)
{
    JobFixture f;
    f.settings.TimeMode = 2;
    f.derived.ZoneHours = 6;
    f.derived.DstStart = ChicagoDstStart;
    f.derived.DstEnd = ChicagoDstEnd;
    // 1:30 on the clock is before the 2:00 change, although as an instant (7:30 Greenwich time)
    // it lies after a 2:00 taken as Greenwich time.
    const QDateTime localReading(QDate(2026, 3, 8), QTime(1, 30), QTimeZone("America/Chicago"));
    ASSERT_TRUE(localReading.isValid());
    const JobLines job =
        jobLines(JobKind::Chart, defaultArgs(localReading, QTime(1, 30)), f.settings, f.derived);
    EXPECT_EQ(job.lines[1], QStringLiteral("/qb 3 8 2026 1:30AM ST 6 93W21 45N05"));
    EXPECT_FALSE(job.daylight);
}

// With the computer's zone known, "Time" = 2 takes the zone's own rules for the job's moment:
// that year's daylight-saving dates, the offset then in force, and its minutes.
TEST(MomentLine, SystemZoneDecidesForTheJobsOwnMoment)
{
    struct Row {
        const char *name;
        const char *zone;
        QDateTime date;
        QTime time;
        const char *expected;
    };
    const Row rows[] = {
        {"half-hour zone east", "Asia/Kolkata", June15, HalfPastTwo,
         "/qb 6 15 2026 14:30PM ST -5:30 93W21 45N05"},
        {"half-hour zone west", "America/St_Johns", clockTime(2026, 1, 15), HalfPastTwo,
         "/qb 1 15 2026 14:30PM ST 3:30 93W21 45N05"},
        {"quarter-hour zone", "Asia/Kathmandu", June15, HalfPastTwo,
         "/qb 6 15 2026 14:30PM ST -5:45 93W21 45N05"},
        {"southern half-hour summer", "Australia/Adelaide", clockTime(2026, 1, 15), HalfPastTwo,
         "/qb 1 15 2026 14:30PM DT -9:30 93W21 45N05"},
        {"southern half-hour winter", "Australia/Adelaide", June15, HalfPastTwo,
         "/qb 6 15 2026 14:30PM ST -9:30 93W21 45N05"},
        // This year's dates (March to November) would call these standard time.
        {"summer long ago", "America/Chicago", clockTime(1990, 6, 15), HalfPastTwo,
         "/qb 6 15 1990 14:30PM DT 6 93W21 45N05"},
        {"before a start long ago", "America/Chicago", clockTime(1990, 3, 31), HalfPastTwo,
         "/qb 3 31 1990 14:30PM ST 6 93W21 45N05"},
        {"daylight of 1990 began on 1 April", "America/Chicago", clockTime(1990, 4, 2), HalfPastTwo,
         "/qb 4 2 1990 14:30PM DT 6 93W21 45N05"},
        {"at the change itself", "America/Chicago", clockTime(2026, 3, 8, 2, 0), QTime(2, 0),
         "/qb 3 8 2026 2:00AM ST 6 93W21 45N05"},
        {"a minute after the change", "America/Chicago", clockTime(2026, 3, 8, 2, 0), QTime(3, 1),
         "/qb 3 8 2026 3:01AM DT 6 93W21 45N05"},
        {"the time picker's time decides", "America/Chicago", clockTime(2026, 11, 1, 0, 30), QTime(2, 30),
         "/qb 11 1 2026 2:30AM ST 6 93W21 45N05"},
        {"no daylight saving", "UTC", June15, HalfPastTwo, "/qb 6 15 2026 14:30PM ST 0 93W21 45N05"},
        // Daylight time the whole year, without a change: three hours west, not four.
        {"daylight all year", "America/Argentina/Buenos_Aires", clockTime(1950, 3, 21), HalfPastTwo,
         "/qb 3 21 1950 14:30PM DT 4 93W21 45N05"},
        {"the first of January of such a year", "America/Argentina/Buenos_Aires", clockTime(1950, 1, 1),
         QTime(0, 0), "/qb 1 1 1950 0:00AM DT 4 93W21 45N05"},
    };
    for (const Row &row : rows) {
        JobFixture f;
        f.settings.TimeMode = 2;
        // What the start-up derived for this year and whole hours must not decide any more.
        f.derived.ZoneHours = 99;
        f.derived.DstStart = ChicagoDstStart;
        f.derived.DstEnd = ChicagoDstEnd;
        f.derived.SystemZone = QTimeZone(QByteArray(row.zone));
        ASSERT_TRUE(f.derived.SystemZone.isValid()) << row.zone;
        const JobLines job = jobLines(JobKind::Chart, defaultArgs(row.date, row.time), f.settings, f.derived);
        EXPECT_EQ(job.lines[1].toStdString(), std::string(row.expected)) << row.name;
        EXPECT_EQ(job.daylight, job.lines[1].contains(QLatin1String(" DT "))) << row.name;
    }
    // The zone text of the settings still serves "Time" = 0 and 1.
    JobFixture f;
    f.derived.SystemZone = QTimeZone("Asia/Kolkata");
    EXPECT_EQ(jobLines(JobKind::Chart, defaultArgs(), f.settings, f.derived).lines[1],
              QStringLiteral("/qb 6 15 2026 14:30PM ST 6 93W21 45N05"));
}

// ---- Odd place texts from the settings file ----

// Whatever the settings hold goes into the moment line as it stands: no trimming, no
// placeholder expansion, no cut, and a character the code page lacks becomes "?".
TEST(MomentLine, OddPlaceTextsGoInAsTheyStand)
{
    struct Row {
        const char *name;
        QString zone, longitude, latitude;
        QByteArray expected;
    };
    const QString huge(2047, QLatin1Char('9'));
    const Row rows[] = {
        {"empty_texts", QString(), QString(), QString(), "/qb 6 15 2026 14:30PM ST   "},
        {"placeholders", QStringLiteral("%1"), QStringLiteral("%2%10"), QStringLiteral("%%3"),
         "/qb 6 15 2026 14:30PM ST %1 %2%10 %%3"},
        {"blanks_and_switch_like", QStringLiteral(" 6 "), QStringLiteral("/os x.txt"), QStringLiteral("-Yd"),
         "/qb 6 15 2026 14:30PM ST  6  /os x.txt -Yd"},
        {"longest_text", QStringLiteral("6"), huge, QStringLiteral("45N05"),
         "/qb 6 15 2026 14:30PM ST 6 " + huge.toLatin1() + " 45N05"},
        {"outside_code_page", QStringLiteral("6"), QStringLiteral("93′W"), QStringLiteral("45°N"),
         "/qb 6 15 2026 14:30PM ST 6 93?W 45\xb0N"},
    };
    for (const Row &row : rows) {
        JobFixture f;
        JobArgs args = defaultArgs();
        args.zone = row.zone;
        args.longitude = row.longitude;
        args.latitude = row.latitude;
        ASSERT_TRUE(f.astro.writeJob(JobKind::Chart, args).ok) << row.name;
        const QList<QByteArray> lines = readBytes(f.dir.filePath(QStringLiteral("input.txt"))).split('\n');
        ASSERT_EQ(lines.size(), 12) << row.name; // eleven lines and what follows the last line end
        EXPECT_EQ(lines[1], row.expected + "\r") << row.name;
    }
}

// ---- Texts that would break the job file ----

struct UnsafeRow {
    const char *name;
    const char *field; // which argument holds the bad text
    QString text;
    const char *shown; // how the message shows it
};

void PrintTo(const UnsafeRow &row, std::ostream *out)
{
    *out << row.name;
}

const UnsafeRow UnsafeRows[] = {
    {"longitude_line_feed", "longitude", QStringLiteral("93W21\n/os /etc/x"), "\"93W21\\n/os /etc/x\""},
    {"latitude_carriage_return", "latitude", QStringLiteral("45N05\r/Xo x.wmf"), "\"45N05\\r/Xo x.wmf\""},
    {"zone_tab", "time zone", QStringLiteral("6\t"), "\"6\\t\""},
    {"zone_escape", "time zone", QStringLiteral("6\x1b"), "\"6\\x1B\""},
    {"longitude_delete", "longitude", QStringLiteral("93W21\x7f"), "\"93W21\\x7F\""},
    {"latitude_next_line", "latitude", QStringLiteral("45N05\u0085"), "\"45N05\\x85\""},
    {"latitude_line_separator", "latitude", QStringLiteral("45N05\u2028/os x"), "\"45N05"},
    {"report_name_line_feed", "report name", QStringLiteral("riseset.txt\n/os x"), "\"riseset.txt\\n/os x\""},
};

JobArgs withText(const UnsafeRow &row)
{
    JobArgs args = defaultArgs();
    const std::string field = row.field;
    if (field == "time zone")
        args.zone = row.text;
    else if (field == "longitude")
        args.longitude = row.text;
    else if (field == "latitude")
        args.latitude = row.text;
    else
        args.reportName = row.text;
    return args;
}

class UnsafeText : public testing::TestWithParam<UnsafeRow> {};

TEST_P(UnsafeText, IsRefusedWithTheValueShownVisibly)
{
    const UnsafeRow &row = GetParam();
    const Status status = checkJobText(withText(row));
    ASSERT_FALSE(status.ok);
    const std::string message = status.message.toStdString();
    EXPECT_NE(message.find(std::string("The ") + row.field + " "), std::string::npos) << message;
    EXPECT_NE(message.find(row.shown), std::string::npos) << message;
    EXPECT_NE(message.find("the job was not run"), std::string::npos) << message;
    // The message itself never carries a raw control character into a message box.
    for (const QChar c : status.message)
        EXPECT_NE(c.category(), QChar::Other_Control) << message;
}

TEST_P(UnsafeText, LeavesAnExistingJobFileUntouched)
{
    const UnsafeRow &row = GetParam();
    JobFixture f;
    const QString jobFile = f.dir.filePath(QStringLiteral("input.txt"));
    ASSERT_TRUE(writeFileAtomically(jobFile, "previous job\r\n").ok);
    const JobKind kind = std::string(row.field) == "report name" ? JobKind::RiseSet : JobKind::Chart;
    EXPECT_FALSE(f.astro.writeJob(kind, withText(row)).ok);
    EXPECT_EQ(readBytes(jobFile), QByteArray("previous job\r\n"));
}

INSTANTIATE_TEST_SUITE_P(Rows, UnsafeText, testing::ValuesIn(UnsafeRows), rowName<UnsafeRow>);

TEST(UnsafeText, MessageNamesTheFieldAndValue)
{
    JobArgs args = defaultArgs();
    args.longitude = QStringLiteral("93W21\n/os /etc/x");
    EXPECT_EQ(checkJobText(args).message,
              QStringLiteral("The longitude \"93W21\\n/os /etc/x\" contains a line break or another control "
                             "character; the job was not run. Correct it in the options."));
}

TEST(UnsafeText, OrdinaryAndEmptyTextsPass)
{
    JobArgs args = defaultArgs();
    EXPECT_TRUE(checkJobText(args).ok);
    args.longitude = QStringLiteral("93\u00B021'W");
    args.latitude = QString();
    args.zone = QStringLiteral("-5.5");
    EXPECT_TRUE(checkJobText(args).ok);
}

TEST(UnsafeText, ZoneIsNotCheckedWhenTheSystemZoneIsWritten)
{
    JobFixture f;
    f.settings.TimeMode = 2;
    f.derived.ZoneHours = 6;
    JobArgs args = defaultArgs();
    args.zone = QStringLiteral("6\n/os /etc/x");
    ASSERT_TRUE(f.astro.writeJob(JobKind::Chart, args).ok);
    EXPECT_FALSE(readBytes(f.dir.filePath(QStringLiteral("input.txt"))).contains("/etc/x"));
}

// ---- Writing the file ----

TEST(JobFileWrite, ReplacesALongerOldFileCompletely)
{
    JobFixture f;
    const QString jobFile = f.dir.filePath(QStringLiteral("input.txt"));
    ASSERT_TRUE(writeFileAtomically(jobFile, QByteArray(4096, 'x')).ok);
    ASSERT_TRUE(f.astro.writeJob(JobKind::Chart, defaultArgs()).ok);
    EXPECT_EQ(readBytes(jobFile), readBytes(testData(QStringLiteral("chart.job"))));
}

TEST(JobFileWrite, UnwritableJobFileIsReportedAndTheEngineIsNotRun)
{
    ScopedWorkDir dir;
    // A directory in the job file's place cannot be replaced by a file, even by root.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("input.txt")));
    test::RecordingSink sink;
    TSettings settings;
    DerivedValues derived;
    AstrologRunner runner(sink, QStringLiteral("/nonexistent/orlam-ephem"), dir.path());
    Astrocalls astro(settings, derived, runner);
    const Status status = astro.ChartJob(QStringLiteral("6"), QStringLiteral("93W21"),
                                         QStringLiteral("45N05"), June15, HalfPastTwo);
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.message, QStringLiteral("Cannot create file input.txt"));
    EXPECT_TRUE(sink.messages.isEmpty()) << "the runner must not have been tried";
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("input.txt"))).isDir());
}

TEST(JobFileWrite, InvalidDateIsRefused)
{
    JobFixture f;
    EXPECT_FALSE(f.astro.writeJob(JobKind::Chart, defaultArgs(QDateTime(), HalfPastTwo)).ok);
    EXPECT_FALSE(f.astro.writeJob(JobKind::Chart, defaultArgs(June15, QTime())).ok);
    EXPECT_FALSE(QFileInfo::exists(f.dir.filePath(QStringLiteral("input.txt"))));
}

} // namespace
} // namespace orlam
