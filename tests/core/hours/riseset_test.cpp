#include "../thelemic/calctestsupport.h"

#include "common/clocktime.h"
#include "hours/riseset.h"

namespace orlam {
namespace {

using test::eventLine;
using test::localeFor;

using test::RecordingSink;

QString sunLine(const char *date, const char *time, const char *event)
{
    return eventLine(QString::fromLatin1(date), QString::fromLatin1(time), QStringLiteral("Sun"),
                     QString::fromLatin1(event));
}
QString moonLine(const char *date, const char *time, const char *event)
{
    return eventLine(QString::fromLatin1(date), QString::fromLatin1(time), QStringLiteral("Moon"),
                     QString::fromLatin1(event));
}

TEST(LineMoment, MonthFirstWithSlash)
{
    const LocaleFacts us = localeFor(QLocale::English, QLocale::UnitedStates);
    struct Case {
        const char *name;
        const char *date, *time;
        QDateTime expected;
    };
    const Case cases[] = {
        {"leading blanks", " 5/16/2000", " 7:05pm", clockTime(2000, 5, 16, 19, 5)},
        {"leading zeros", "05/16/2000", "07:05am", clockTime(2000, 5, 16, 7, 5)},
        {"midnight", "12/31/2026", "12:00am", clockTime(2026, 12, 31, 0, 0)},
        {"noon", "12/31/2026", "12:00pm", clockTime(2026, 12, 31, 12, 0)},
        {"last minute", " 1/ 1/2027", "11:59pm", clockTime(2027, 1, 1, 23, 59)},
    };
    for (const Case &c : cases) {
        const std::optional<QDateTime> moment = LineMoment(sunLine(c.date, c.time, "rises"), us);
        ASSERT_TRUE(moment.has_value()) << c.name;
        EXPECT_EQ(*moment, c.expected) << c.name;
    }
    EXPECT_EQ(LocalizeDateText(QStringLiteral("16- 5-2000 7:05"), us), QStringLiteral("16- 5-2000 7:05"));
}

TEST(LineMoment, DayFirstWithFullStop)
{
    const LocaleFacts german = localeFor(QLocale::German, QLocale::Germany);
    ASSERT_TRUE(german.dayFirst());
    ASSERT_EQ(german.dateSeparator(), QLatin1Char('.'));
    EXPECT_EQ(LocalizeDateText(QStringLiteral("16- 5-2000"), german), QStringLiteral("16. 5.2000"));
    const std::optional<QDateTime> moment = LineMoment(sunLine("16- 5-2000", " 7:05pm", "sets"), german);
    ASSERT_TRUE(moment.has_value());
    EXPECT_EQ(*moment, clockTime(2000, 5, 16, 19, 5));
}

TEST(LineMoment, DayFirstWithItsOwnTimeSeparator)
{
    const LocaleFacts finnish = localeFor(QLocale::Finnish, QLocale::Finland);
    ASSERT_TRUE(finnish.dayFirst());
    ASSERT_EQ(finnish.timeSeparator(), QLatin1Char('.'));
    EXPECT_EQ(LocalizeDateText(QStringLiteral(" 7:05pm"), finnish), QStringLiteral(" 7.05pm"));
    const std::optional<QDateTime> moment = LineMoment(sunLine("16- 5-2000", " 7:05pm", "sets"), finnish);
    ASSERT_TRUE(moment.has_value());
    EXPECT_EQ(*moment, clockTime(2000, 5, 16, 19, 5));
}

TEST(LineMoment, YearFirstLocaleDoesNotRead)
{
    const LocaleFacts swedish = localeFor(QLocale::Swedish, QLocale::Sweden);
    EXPECT_FALSE(LineMoment(sunLine(" 5/16/2000", " 7:05pm", "rises"), swedish).has_value());
    EXPECT_FALSE(
        LineMoment(QStringLiteral("short"), localeFor(QLocale::English, QLocale::UnitedStates)).has_value());
}

TEST(RiseSetReading, ColumnsKeywordsAndOrder)
{
    const LocaleFacts us = localeFor(QLocale::English, QLocale::UnitedStates);
    RecordingSink sink;
    TRiseSetTable table;
    const QDateTime oldMoonRise = clockTime(2026, 6, 1, 23, 0);
    table.MoonRise = oldMoonRise;
    QString shiftedSun = sunLine(" 6/15/2026", " 4:00am", "nadirs");
    shiftedSun.insert(20, QLatin1Char(' ')); // " Sun" one column too far right
    const QStringList base{
        QStringLiteral("Header without a body"),
        sunLine(" 6/15/2026", " 1:12am", "nadirs"),
        sunLine(" 6/15/2026", " 5:26am", "rises"),
        shiftedSun,
        sunLine(" 6/15/2026", " 1:12pm", "zeniths"),
        sunLine(" 6/15/2026", " 8:49pm", "sets"),
        sunLine(" 6/15/2026", " 8:50pm", "sets"),
        moonLine(" 6/15/2026", " 2:00am", "zeniths"),
        moonLine(" 6/15/2026", " 9:00am", "sets"),
        moonLine(" 6/15/2026", " 8:00pm", "nadirs"),
        eventLine(QStringLiteral(" 6/15/2026"), QStringLiteral(" 3:00pm"), QStringLiteral("Venus"),
                  QStringLiteral("rises")),
        sunLine("garbage", "", ""), // a Sun line without a keyword is never read
    };
    const QStringList next{sunLine(" 6/16/2026", " 5:27am", "rises"),
                           sunLine(" 6/16/2026", " 5:28am", "rises")};
    EXPECT_TRUE(readRiseSetLines(base, next, us, table, sink));
    EXPECT_TRUE(sink.messages.isEmpty());
    EXPECT_EQ(table.SunNadir, clockTime(2026, 6, 15, 1, 12));
    EXPECT_EQ(table.SunRise, clockTime(2026, 6, 15, 5, 26));
    EXPECT_EQ(table.SunZenith, clockTime(2026, 6, 15, 13, 12));
    EXPECT_EQ(table.SunSet, clockTime(2026, 6, 15, 20, 50)); // the later of two
    EXPECT_EQ(table.MoonZenith, clockTime(2026, 6, 15, 2, 0));
    EXPECT_EQ(table.MoonSet, clockTime(2026, 6, 15, 9, 0));
    EXPECT_EQ(table.MoonNadir, clockTime(2026, 6, 15, 20, 0));
    EXPECT_EQ(table.MoonRise, oldMoonRise);                      // no moonrise that day: kept
    EXPECT_EQ(table.NextSunRise, clockTime(2026, 6, 16, 5, 28)); // the last one wins
}

TEST(RiseSetReading, MissingReportsLeaveTheirFields)
{
    const LocaleFacts us = localeFor(QLocale::English, QLocale::UnitedStates);
    RecordingSink sink;
    TRiseSetTable table;
    table.SunRise = clockTime(2026, 6, 14, 5, 25);
    EXPECT_TRUE(readRiseSetLines(std::nullopt, QStringList{sunLine(" 6/16/2026", " 5:27am", "rises")}, us,
                                 table, sink));
    EXPECT_EQ(table.SunRise, clockTime(2026, 6, 14, 5, 25));
    EXPECT_EQ(table.NextSunRise, clockTime(2026, 6, 16, 5, 27));
    EXPECT_FALSE(table.SunSet.isValid());
}

TEST(RiseSetReading, UnreadableLineStopsWithOneMessage)
{
    // A line in the other date order is the locale's mismatch, and the message says how to mend
    // it; a damaged line is named with its report and its place, and the locale is left alone.
    const LocaleFacts us = localeFor(QLocale::English, QLocale::UnitedStates);
    const QString goodRise = sunLine(" 6/15/2026", " 5:26am", "rises");
    const QString goodSet = sunLine(" 6/15/2026", " 8:50pm", "sets");
    const QString goodNext = sunLine(" 6/16/2026", " 5:27am", "rises");
    const QString damaged = sunLine(" 6/15/20x6", " 5:26am", "rises");
    const QString dayFirst = sunLine("15/06/2026", " 5:26am", "rises");
    const QString badTime = sunLine(" 6/15/2026", "25:99pm", "sets");
    const struct {
        const char *what;
        QStringList base, next;
        QString message;
    } rows[] = {
        {"a damaged date",
         {damaged, goodSet},
         {goodNext},
         QStringLiteral("The rise and set report riseset.txt is damaged at line 1: \"") + damaged + '"'},
        {"a damaged line further on",
         {goodSet, QStringLiteral("Sun junk"), badTime},
         {goodNext},
         QStringLiteral("The rise and set report riseset.txt is damaged at line 3: \"") + badTime + '"'},
        {"a damaged next day",
         {goodRise},
         {damaged},
         QStringLiteral("The rise and set report risesetn.txt is damaged at line 1: \"") + damaged + '"'},
        {"a day-first report under a month-first locale", {dayFirst, goodSet}, {goodNext}, DateOrderMessage},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        RecordingSink sink;
        TRiseSetTable table;
        EXPECT_FALSE(readRiseSetLines(row.base, row.next, us, table, sink));
        EXPECT_EQ(sink.messages, QStringList({row.message}));
        EXPECT_FALSE(table.NextSunRise.isValid());
    }
}

TEST(RiseSetReading, FailureAfterSomeFieldsKeepsThem)
{
    const LocaleFacts us = localeFor(QLocale::English, QLocale::UnitedStates);
    RecordingSink sink;
    TRiseSetTable table;
    const QStringList base{sunLine(" 6/15/2026", " 5:26am", "rises"),
                           sunLine("99/99/9999", " 8:50pm", "sets"),
                           moonLine(" 6/15/2026", " 9:00am", "sets")};
    EXPECT_FALSE(
        readRiseSetLines(base, QStringList{sunLine(" 6/16/2026", " 5:27am", "rises")}, us, table, sink));
    EXPECT_EQ(sink.messages.size(), 1);
    EXPECT_EQ(table.SunRise, clockTime(2026, 6, 15, 5, 26));
    EXPECT_FALSE(table.MoonSet.isValid());
    EXPECT_FALSE(table.NextSunRise.isValid());
}

TEST(RiseSetReading, FilesInAFolder)
{
    test::ScopedWorkDir work;
    const LocaleFacts us = localeFor(QLocale::English, QLocale::UnitedStates);
    RecordingSink sink;
    TRiseSetTable table;
    // CR-only line ends read as well as CR LF.
    test::writeBytes(work.filePath(QStringLiteral("riseset.txt")),
                     (sunLine(" 6/15/2026", " 5:26am", "rises") + QLatin1Char('\r') +
                      sunLine(" 6/15/2026", " 8:50pm", "sets"))
                         .toLatin1());
    EXPECT_TRUE(readRiseSetFiles(work.path(), us, table, sink));
    EXPECT_EQ(table.SunRise, clockTime(2026, 6, 15, 5, 26));
    EXPECT_EQ(table.SunSet, clockTime(2026, 6, 15, 20, 50));
    EXPECT_FALSE(table.NextSunRise.isValid());
}

} // namespace
} // namespace orlam
