#include "jobfile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace orlam {
namespace {

std::string job(const std::string &body)
{
    return "@0102  ; Astrolog chart info.\r\n" + body;
}

JobParseResult parse(const std::string &text)
{
    return parseJobFile(text, "input.txt");
}

struct MomentCase {
    const char *name;
    const char *line;
    int hour;
    int minute;
    bool daylight;
    double zone;
    double longitudeEast;
    double latitudeNorth;
};

class MomentTest : public ::testing::TestWithParam<MomentCase> {};

TEST_P(MomentTest, ReadsTheMomentLine)
{
    const MomentCase &c = GetParam();
    const JobParseResult result = parse(job(std::string(c.line) + "\r\n"));
    ASSERT_TRUE(result.ok) << result.message;
    const Moment &m = *result.job.moment;
    EXPECT_EQ(m.hour, c.hour);
    EXPECT_EQ(m.minute, c.minute);
    EXPECT_EQ(m.daylight, c.daylight);
    EXPECT_NEAR(m.zoneHoursWest, c.zone, 1e-9);
    EXPECT_NEAR(m.longitudeEast, c.longitudeEast, 1e-9);
    EXPECT_NEAR(m.latitudeNorth, c.latitudeNorth, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Moments, MomentTest,
    ::testing::Values(
        MomentCase{"Afternoon24h", "/qb 6 15 2026 14:30PM ST 6 93W21 45N05", 14, 30, false, 6,
                   -(93 + 21 / 60.0), 45 + 5 / 60.0},
        MomentCase{"JustAfterMidnight", "/qb 1 2 2026 0:05AM ST 6 93W21 45N05", 0, 5, false, 6,
                   -(93 + 21 / 60.0), 45 + 5 / 60.0},
        MomentCase{"Noon", "/qb 1 2 2026 12:00PM ST 6 93W21 45N05", 12, 0, false, 6, -(93 + 21 / 60.0),
                   45 + 5 / 60.0},
        MomentCase{"LastMinute", "/qb 1 2 2026 23:59PM ST 6 93W21 45N05", 23, 59, false, 6, -(93 + 21 / 60.0),
                   45 + 5 / 60.0},
        MomentCase{"TwelveHourAfternoon", "/qb 1 2 2026 2:30PM DT 5 81W00 29N00", 14, 30, true, 5, -81, 29},
        MomentCase{"TwelveHourMidnight", "/qb 1 2 2026 12:10AM ST 0 0E00 60N00", 0, 10, false, 0, 0, 60},
        MomentCase{"NoMarker", "/qb 1 2 2026 9:07 ST 0 0E00 60N00", 9, 7, false, 0, 0, 60},
        MomentCase{"DecimalZoneEastSouth", "/qb 1 2 2026 9:07AM ST -5.5 151E12 33S52", 9, 7, false, -5.5,
                   151 + 12 / 60.0, -(33 + 52 / 60.0)},
        MomentCase{"HoursMinutesZone", "/qb 1 2 2026 9:07AM st -5:30 77E13 28n36", 9, 7, false, -5.5,
                   77 + 13 / 60.0, 28 + 36 / 60.0},
        MomentCase{"SecondsInPlace", "/qb 1 2 2026 9:07:30AM DT 6 93W21:30 45N05:15", 9, 7, true, 6,
                   -(93 + 21 / 60.0 + 30 / 3600.0), 45 + 5 / 60.0 + 15 / 3600.0}),
    [](const ::testing::TestParamInfo<MomentCase> &row) { return std::string(row.param.name); });

TEST(JobFile, ReadsEverySwitchOfTheJobKinds)
{
    const JobParseResult chart =
        parse(job("/qb 6 15 2026 14:30PM ST 6 93W21 45N05\r\n/os chart.txt\r\n-Yd\r\n"
                  "/R Chir\r\n/R Cere\r\n/R Pall\r\n/R Juno\r\n/R Vest\r\n/R Lili\r\n/c 12\r\n/s\r\n"));
    ASSERT_TRUE(chart.ok) << chart.message;
    EXPECT_EQ(chart.job.kind(), ReportKind::Chart);
    EXPECT_EQ(chart.job.reportName, "chart.txt");
    EXPECT_TRUE(chart.job.dayFirstDates);
    EXPECT_TRUE(chart.job.sidereal);
    EXPECT_EQ(chart.job.houseSystem, 12);
    EXPECT_FALSE(chart.job.isListed(Body::Chiron));
    EXPECT_FALSE(chart.job.isListed(Body::Lilith));
    EXPECT_TRUE(chart.job.isListed(Body::Node));

    const JobParseResult wheel =
        parse(job("/qb 6 15 2026 14:30PM ST 6 93W21 45N05\r\n/os wheel.txt\r\n\r\n/XM0\r\n"
                  "/Xr\r\n/Xm\r\n/Xo chart.wmf\r\n/c 0\r\n/w 10\r\n"));
    ASSERT_TRUE(wheel.ok) << wheel.message;
    EXPECT_EQ(wheel.job.kind(), ReportKind::Wheel);
    EXPECT_EQ(wheel.job.pictureName, "chart.wmf");
    EXPECT_TRUE(wheel.job.pictureWhiteBackground && wheel.job.pictureMonochrome && wheel.job.metafile);
    EXPECT_EQ(wheel.job.wheelRows, 10);

    const JobParseResult aspects = parse(job("/qb 6 15 2026 14:30PM ST 6 93W21 45N05\r\n/os "
                                             "aspects.txt\r\n\r\n/c 0\r\n/a0\r\n/g0\r\n/j0\r\n/Z\r\n"));
    ASSERT_TRUE(aspects.ok) << aspects.message;
    EXPECT_EQ(aspects.job.kind(), ReportKind::Aspects);
    EXPECT_TRUE(aspects.job.aspectList && aspects.job.aspectGrid && aspects.job.influence &&
                aspects.job.horizon);

    const JobParseResult riseSet =
        parse(job("/qb 3 20 2019 12:00PM DT 5 81W00 29N00\r\n/os risesetn2.txt\r\n/Zd\r\n-Yd\r\n"));
    ASSERT_TRUE(riseSet.ok) << riseSet.message;
    EXPECT_EQ(riseSet.job.kind(), ReportKind::RiseSet);

    const JobParseResult month = parse(job("/qb 3 20 2019 12:00PM DT 5 81W00 29N00\r\n/os "
                                           "calasp.txt\r\n\r\n/R0 sun moo\r\n/A opp\r\n/dm\r\n/c 0\r\n"));
    ASSERT_TRUE(month.ok) << month.message;
    EXPECT_EQ(month.job.kind(), ReportKind::MonthCalendar);
    EXPECT_EQ(month.job.aspectLimit, 2);
    EXPECT_TRUE(month.job.isListed(Body::Sun));
    EXPECT_TRUE(month.job.isListed(Body::Moon));
    EXPECT_FALSE(month.job.isListed(Body::Mercury));
    EXPECT_FALSE(month.job.isListed(Body::Node));

    const JobParseResult year = parse(job("/qb 3 20 2019 12:00PM DT 5 81W00 29N00\r\n/dy\r\n"));
    ASSERT_TRUE(year.ok) << year.message;
    EXPECT_EQ(year.job.kind(), ReportKind::YearCalendar);
    EXPECT_TRUE(year.job.reportName.empty());
}

TEST(JobFile, AcceptsLoneLineEndsCommentsAndBlankLines)
{
    const JobParseResult lf =
        parse("@0102\n; a comment\n\n   \n/qb 6 15 2026 14:30PM ST 6 93W21 45N05 ; the moment\n/os x.txt");
    ASSERT_TRUE(lf.ok) << lf.message;
    EXPECT_EQ(lf.job.reportName, "x.txt");
    const JobParseResult cr = parse("@0102\r/qb 6 15 2026 14:30PM ST 6 93W21 45N05\r/os y.txt\r");
    ASSERT_TRUE(cr.ok) << cr.message;
    EXPECT_EQ(cr.job.reportName, "y.txt");
}

struct BadCase {
    const char *name;
    std::string text;
    const char *expected; // the start of the message, naming file and line, and a telling part
    const char *detail;
};

class BadJobTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadJobTest, IsRefusedWithOneLineNamingFileLineAndSwitch)
{
    const BadCase &c = GetParam();
    const JobParseResult result = parse(c.text);
    ASSERT_FALSE(result.ok);
    EXPECT_EQ(result.message.rfind(c.expected, 0), 0u) << result.message;
    EXPECT_NE(result.message.find(c.detail), std::string::npos) << result.message;
    EXPECT_EQ(result.message.find('\n'), std::string::npos);
    EXPECT_LT(result.message.size(), 300u);
}

const std::string moment = "/qb 6 15 2026 14:30PM ST 6 93W21 45N05\r\n";

INSTANTIATE_TEST_SUITE_P(
    BadInput, BadJobTest,
    ::testing::Values(
        BadCase{"EmptyFile", "", "input.txt:1:", "must begin with \"@\""},
        BadCase{"BinaryJunk",
                std::string("\x7f"
                            "ELF\x02\x01\x01\0\0\0",
                            10),
                "input.txt:1:", "must begin"},
        BadCase{"JunkAfterHeader", job(std::string("\x01\x02\xff\xfe", 4)),
                "input.txt:2:", "control character"},
        BadCase{"HugeLine", job(std::string(10 * 1024 * 1024, 'x')), "input.txt:", "larger than 64 KiB"},
        BadCase{"LongLine", job(std::string(5000, '/')), "input.txt:2:", "longer than 1024"},
        BadCase{"NoSwitchMark", job("qb 6 15 2026\r\n"), "input.txt:2:", "is not a switch"},
        BadCase{"UnknownSwitch", job(moment + "/Q7\r\n"), "input.txt:3: \"/Q7\": unknown switch", ""},
        BadCase{"MomentWithoutValues", job("/qb\r\n"), "input.txt:2: \"/qb\": needs 8 values", "(0 given)"},
        BadCase{"ReportWithoutName", job(moment + "/os\r\n"), "input.txt:3: \"/os\": missing value",
                "file name"},
        BadCase{"HouseWithoutNumber", job(moment + "/c\r\n"), "input.txt:3: \"/c\": missing value", ""},
        BadCase{"RestrictWithoutBody", job(moment + "/R\r\n"), "input.txt:3: \"/R\": missing value", ""},
        BadCase{"AspectWithoutName", job(moment + "/A\r\n"), "input.txt:3: \"/A\":", "missing value"},
        BadCase{"ExtraValue", job(moment + "/Zd now\r\n"), "input.txt:3: \"/Zd\":", "unexpected value"},
        BadCase{"MonthOutOfRange", job("/qb 13 15 2026 14:30PM ST 6 93W21 45N05\r\n"),
                "input.txt:2: \"/qb\":", "month 13 is out of range"},
        BadCase{"DayNotInMonth", job("/qb 2 29 2026 14:30PM ST 6 93W21 45N05\r\n"),
                "input.txt:2: \"/qb\":", "does not exist in February 2026"},
        BadCase{"YearTooLate", job("/qb 1 1 3000 14:30PM ST 6 93W21 45N05\r\n"),
                "input.txt:2: \"/qb\":", "year 3000 is out of range"},
        BadCase{"YearTooEarly", job("/qb 1 1 999 14:30PM ST 6 93W21 45N05\r\n"),
                "input.txt:2: \"/qb\":", "out of range"},
        BadCase{"HourTooLarge", job("/qb 1 1 2026 24:00PM ST 6 93W21 45N05\r\n"),
                "input.txt:2:", "out of range"},
        BadCase{"MarkerDisagrees", job("/qb 1 1 2026 14:30AM ST 6 93W21 45N05\r\n"),
                "input.txt:2:", "not in the morning"},
        BadCase{"ZeroHourAfternoon", job("/qb 1 1 2026 0:30PM ST 6 93W21 45N05\r\n"),
                "input.txt:2:", "not in the afternoon"},
        BadCase{"NeitherStNorDt", job("/qb 1 1 2026 2:30PM XT 6 93W21 45N05\r\n"),
                "input.txt:2:", "neither ST nor DT"},
        BadCase{"ZoneOutOfRange", job("/qb 1 1 2026 2:30PM ST 25 93W21 45N05\r\n"), "input.txt:2:", "zone"},
        BadCase{"LongitudeOutOfRange", job("/qb 1 1 2026 2:30PM ST 6 181W00 45N05\r\n"),
                "input.txt:2:", "longitude \"181W00\" is out of range"},
        BadCase{"LatitudeWrongHemisphere", job("/qb 1 1 2026 2:30PM ST 6 93W21 45E05\r\n"),
                "input.txt:2:", "latitude"},
        BadCase{"LatitudeOutOfRange", job("/qb 1 1 2026 2:30PM ST 6 93W21 91N00\r\n"),
                "input.txt:2:", "latitude"},
        BadCase{"MinutesOutOfRange", job("/qb 1 1 2026 2:30PM ST 6 93W61 45N05\r\n"),
                "input.txt:2:", "longitude"},
        BadCase{"ParentDirectory", job(moment + "/os ../chart.txt\r\n"), "input.txt:3: \"/os\":", "refused"},
        BadCase{"AbsolutePath", job(moment + "/os /tmp/chart.txt\r\n"), "input.txt:3: \"/os\":", "refused"},
        BadCase{"Subdirectory", job(moment + "/os sub/chart.txt\r\n"), "input.txt:3: \"/os\":", "refused"},
        BadCase{"BackslashPath", job(moment + "/os ..\\chart.txt\r\n"), "input.txt:3: \"/os\":", "refused"},
        BadCase{"DotDot", job(moment + "/os ..\r\n"), "input.txt:3: \"/os\":", "refused"},
        BadCase{"PicturePath", job(moment + "/XM0\r\n/Xo ../../x.wmf\r\n"),
                "input.txt:4: \"/Xo\":", "refused"},
        BadCase{"HouseSystemOutOfRange", job(moment + "/c 14\r\n"), "input.txt:3: \"/c\":", "out of range"},
        BadCase{"UnknownBody", job(moment + "/R Xyzzy\r\n"), "input.txt:3: \"/R\":", "unknown body"},
        BadCase{"UnknownAspect", job(moment + "/A semisquare\r\n"), "input.txt:3: \"/A\":", "unknown aspect"},
        BadCase{"TwoReportKinds", job(moment + "/Zd\r\n/dm\r\n"),
                "input.txt:4: \"/dm\":", "different report"},
        BadCase{"SpanOfNoDays", job(moment + "/Zd\r\n/Zn 0\r\n"), "input.txt:4: \"/Zn\":", "out of range"},
        BadCase{"SpanTooLong", job(moment + "/Zd\r\n/Zn 401\r\n"), "input.txt:4: \"/Zn\":", "out of range"},
        BadCase{"SpanWithoutDays", job(moment + "/Zd\r\n/Zn\r\n"), "input.txt:4: \"/Zn\":", "missing value"},
        BadCase{"SecondsWithAValue", job(moment + "/Zd\r\n/Zs 1\r\n"),
                "input.txt:4: \"/Zs\":", "unexpected value"},
        BadCase{"SpanWithoutRiseSet", job(moment + "/Zn 3\r\n"), "input.txt: end of file:", "need /Zd"},
        BadCase{"SecondsOnACalendar", job(moment + "/dm\r\n/Zs\r\n"),
                "input.txt:4: \"/Zs\":", "different report"},
        BadCase{"NoMoment", job("/os chart.txt\r\n"), "input.txt: end of file:", "no /qb"},
        BadCase{"PictureWithoutName", job(moment + "/XM0\r\n"), "input.txt: end of file:", "/Xo"},
        BadCase{"SameNameTwice", job(moment + "/os a.wmf\r\n/XM0\r\n/Xo a.wmf\r\n"),
                "input.txt: end of file:", "same file"}),
    [](const ::testing::TestParamInfo<BadCase> &row) { return std::string(row.param.name); });

TEST(JobFile, PlainFileNames)
{
    EXPECT_TRUE(isPlainFileName("chart.txt"));
    EXPECT_TRUE(isPlainFileName("risesetn2.txt"));
    EXPECT_TRUE(isPlainFileName(".hidden"));
    EXPECT_FALSE(isPlainFileName(""));
    EXPECT_FALSE(isPlainFileName("."));
    EXPECT_FALSE(isPlainFileName("a/b"));
    EXPECT_FALSE(isPlainFileName("C:chart.txt"));
    EXPECT_FALSE(isPlainFileName("-rf"));
    EXPECT_FALSE(isPlainFileName(std::string("a\0b", 3)));
    EXPECT_TRUE(isPlainFileName(std::string(240, 'a')));
    EXPECT_FALSE(isPlainFileName(std::string(241, 'a'))) << "no room left for the temporary's name";
}

TEST(JobFile, DaysInMonthFollowsTheGregorianLeapRule)
{
    EXPECT_EQ(daysInMonth(2024, 2), 29);
    EXPECT_EQ(daysInMonth(2100, 2), 28);
    EXPECT_EQ(daysInMonth(2000, 2), 29);
    EXPECT_EQ(daysInMonth(2026, 4), 30);
    EXPECT_EQ(daysInMonth(2026, 13), 0);
}

} // namespace
} // namespace orlam
