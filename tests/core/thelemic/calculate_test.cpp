#include "calctestsupport.h"

#include "common/clocktime.h"
#include "thelemic/composition.h"

namespace orlam {
namespace {

using test::CalcRig;
using test::eventLine;
using test::readBytes;

const QString Lunae = QStringLiteral(u"Dies Lun\u00E6");
const QString Deg = QStringLiteral(u"\u00B0");
const QString FirstLine = QStringLiteral("An v12 Sol 24") + Deg + QStringLiteral(" Gemini, Luna 5") + Deg +
                          QStringLiteral(" Leo ") + Lunae;
const QString SecondLine = QStringLiteral("Monday, June 15, 2026 e.v. 2:30 PM");

TEST(Calculate, ToolbarRoadDeliversToTheView)
{
    CalcRig rig;
    const char *stale[] = {"riseset.txt", "risesetn.txt", "planets.txt", "wheel.txt",
                           "aspects.txt", "calasp.txt",   "chart.wmf"};
    const char *kept[] = {"risesety.txt", "risesetn2.txt"};
    for (const char *name : stale)
        test::writeBytes(rig.work.filePath(QString::fromLatin1(name)), "old\r\n");
    for (const char *name : kept)
        test::writeBytes(rig.work.filePath(QString::fromLatin1(name)), "old\r\n");

    ASSERT_TRUE(rig.calc.calculate(Calculator::Output::Show));

    EXPECT_EQ(rig.host.viewHistory,
              QStringList({QStringLiteral("- Please wait -"), FirstLine + QLatin1Char('\n') + SecondLine}));
    EXPECT_GE(rig.host.repaints, 1);
    EXPECT_EQ(rig.host.monthCalendar, QDate(2026, 6, 15));
    EXPECT_EQ(rig.host.appTitle, QStringLiteral("Orlam"));
    EXPECT_EQ(rig.host.caption, QStringLiteral("Orlam"));
    EXPECT_TRUE(rig.host.clipboard.isEmpty());
    EXPECT_FALSE(QFile::exists(rig.work.filePath(QStringLiteral("td.txt"))));
    EXPECT_EQ(rig.calc.lastLines, QStringList({FirstLine, SecondLine}));
    // One chart job, nothing else; stale reports gone, the neighbours' files kept.
    EXPECT_EQ(rig.engine.jobs(),
              QStringList({QStringLiteral("chart.txt|6 15 2026 14:30PM ST 6 93W21 45N05")}));
    for (const char *name : stale)
        EXPECT_FALSE(QFile::exists(rig.work.filePath(QString::fromLatin1(name)))) << name;
    for (const char *name : kept)
        EXPECT_TRUE(QFile::exists(rig.work.filePath(QString::fromLatin1(name)))) << name;
    EXPECT_TRUE(rig.host.messages.isEmpty()) << rig.host.messages.join(QLatin1Char('|')).toStdString();
}

TEST(Calculate, SilentRunFromTheClockChangesTheCaptionOnly)
{
    CalcRig rig;
    rig.settings.UpdateCaption = true;
    rig.host.view = QStringLiteral("earlier result");
    ASSERT_TRUE(rig.calc.calculate(Calculator::Output::Silent));
    EXPECT_TRUE(rig.host.viewHistory.isEmpty());
    EXPECT_EQ(rig.host.view, QStringLiteral("earlier result"));
    EXPECT_EQ(rig.host.appTitle, SecondLine);
    EXPECT_EQ(rig.host.caption, SecondLine);
}

TEST(Calculate, ReplaceClipLeavesTheNewLinesNeverThePlaceholder)
{
    CalcRig rig;
    rig.settings.ReplaceClip = true;
    rig.settings.Greetings = true;
    ASSERT_TRUE(rig.calc.calculate(Calculator::Output::Show));
    EXPECT_EQ(rig.host.clipboard,
              QStringList({FirstLine, SecondLine,
                           QStringLiteral("Do what thou wilt shall be the whole of the Law."),
                           QStringLiteral("Love is the law, love under will.")})
                  .join(QLatin1Char('\n')));
}

TEST(Calculate, LocalFileSaveWritesTheLinesInTheWesternCodePage)
{
    CalcRig rig;
    rig.settings.LocalFileSave = true;
    ASSERT_TRUE(rig.calc.calculate(Calculator::Output::Show));
    const QByteArray written = readBytes(rig.work.filePath(QStringLiteral("td.txt")));
    EXPECT_EQ(written, readBytes(test::testData(QStringLiteral("thelemic/td-default.txt"))));
    EXPECT_TRUE(written.contains("24\xB0 Gemini"));
    EXPECT_TRUE(written.contains("Lun\xE6\r\n"));
}

TEST(Calculate, UnwritableDateFileStopsTheRunWithItsMessage)
{
    CalcRig rig;
    rig.settings.LocalFileSave = true;
    rig.settings.ReplaceClip = true;
    rig.settings.UpdateCaption = true;
    ASSERT_TRUE(QDir(rig.work.path()).mkdir(QStringLiteral("td.txt")));
    const Status status = rig.calc.calculate(Calculator::Output::Show);
    EXPECT_FALSE(status);
    EXPECT_EQ(status.message, QStringLiteral("Cannot create file td.txt"));
    // The file is the last delivery: caption, view and clipboard have their new text already.
    const QString lines = FirstLine + QLatin1Char('\n') + SecondLine;
    EXPECT_EQ(rig.host.caption, SecondLine);
    EXPECT_EQ(rig.host.view, lines);
    EXPECT_EQ(rig.host.clipboard, lines);
}

TEST(Calculate, UnsafeLocationStopsBeforeTheEngineAndKeepsThePlaceholder)
{
    CalcRig rig;
    rig.settings.Longitude = QStringLiteral("93W21\n/os evil.txt");
    const Status status = rig.calc.calculate(Calculator::Output::Show);
    EXPECT_FALSE(status);
    EXPECT_FALSE(status.message.isEmpty());
    EXPECT_TRUE(rig.engine.jobs().isEmpty());
    EXPECT_EQ(rig.host.view, QStringLiteral("- Please wait -"));
}

TEST(Calculate, MissingChartComposesWithoutPositionsAndKeepsTheOldOnes)
{
    CalcRig rig;
    ASSERT_TRUE(rig.calc.calculate(Calculator::Output::Show));
    rig.engine.removeReport(QStringLiteral("chart.txt"));
    test::writeBytes(rig.work.filePath(QStringLiteral("chart.txt")), "Sun   01Ari stale\r\n");
    rig.host.pickerDate = clockTime(2026, 3, 17, 14, 30);
    ASSERT_TRUE(rig.calc.calculate(Calculator::Output::Show));
    // The stale listing was deleted before the job; March without a chart is before the turnover.
    EXPECT_EQ(rig.calc.lastLines.first(), QStringLiteral("An v11 Dies Martis"));
    EXPECT_EQ(rig.calc.texts.SunPosition, QStringLiteral("24") + Deg + QStringLiteral(" Gemini"));
    EXPECT_TRUE(rig.calc.texts.SunSign.isEmpty());
}

TEST(Calculate, WheelAndAspectJobsFollowTheChartInOrder)
{
    CalcRig rig;
    rig.settings.WheelChart = true;
    rig.settings.AspectCharts = true;
    ASSERT_TRUE(rig.calc.calculate(Calculator::Output::Show));
    QStringList names;
    for (const QString &job : rig.engine.jobs())
        names << job.section(QLatin1Char('|'), 0, 0);
    EXPECT_EQ(names, QStringList({QStringLiteral("chart.txt"), QStringLiteral("wheel.txt"),
                                  QStringLiteral("aspects.txt")}));
}

// Sunrise 05:26 and sunset 20:50 on Monday 15 June 2026.
void prepareHorizon(CalcRig &rig)
{
    rig.engine.setReport(QStringLiteral("riseset.txt"),
                         {eventLine(QStringLiteral(" 6/15/2026"), QStringLiteral(" 5:26am"),
                                    QStringLiteral("Sun"), QStringLiteral("rises")),
                          eventLine(QStringLiteral(" 6/15/2026"), QStringLiteral(" 1:12pm"),
                                    QStringLiteral("Sun"), QStringLiteral("zeniths")),
                          eventLine(QStringLiteral(" 6/15/2026"), QStringLiteral(" 8:50pm"),
                                    QStringLiteral("Sun"), QStringLiteral("sets"))});
    rig.engine.setReport(QStringLiteral("risesetn.txt"),
                         {eventLine(QStringLiteral(" 6/16/2026"), QStringLiteral(" 5:26am"),
                                    QStringLiteral("Sun"), QStringLiteral("rises"))});
}

TEST(Calculate, DayBeginsMovesOnlyTheDayName)
{
    struct Case {
        const char *name;
        int dayBegins;
        QTime time;
        const char *dayText;
    };
    const Case cases[] = {
        {"sunrise rule, before sunrise", 1, QTime(3, 0), "Dies Solis"},
        {"sunrise rule, at sunrise", 1, QTime(5, 26), "Dies Lun\xc3\xa6"},
        {"sunrise rule, evening", 1, QTime(22, 0), "Dies Lun\xc3\xa6"},
        {"sunset rule, a minute before", 2, QTime(20, 49), "Dies Lun\xc3\xa6"},
        {"sunset rule, at sunset", 2, QTime(20, 50), "Dies Martis"},
        {"sunset rule, late evening", 2, QTime(23, 0), "Dies Martis"},
        {"sunset rule, early morning", 2, QTime(3, 0), "Dies Lun\xc3\xa6"},
        {"common time", 0, QTime(23, 0), "Dies Lun\xc3\xa6"},
    };
    for (const Case &c : cases) {
        CalcRig rig;
        prepareHorizon(rig);
        rig.settings.DayBegins = c.dayBegins;
        rig.settings.Lines = 2;
        rig.host.pickerTime = c.time;
        ASSERT_TRUE(rig.calc.calculate(Calculator::Output::Show)) << c.name;
        ASSERT_EQ(rig.calc.lastLines.size(), 3) << c.name;
        EXPECT_EQ(rig.calc.lastLines[1], QString::fromUtf8(c.dayText)) << c.name;
        EXPECT_TRUE(rig.calc.lastLines[2].startsWith(QStringLiteral("Monday, June 15, 2026"))) << c.name;
        EXPECT_EQ(rig.calc.lastLines[0], QStringLiteral("An v12 Sol 24") + Deg +
                                             QStringLiteral(" Gemini, Luna 5") + Deg + QStringLiteral(" Leo"))
            << c.name;
        EXPECT_EQ(rig.engine.jobs().size(), c.dayBegins > 0 ? 5 : 1) << c.name;
    }
}

TEST(Calculate, RiseSetJobsCoverFourDaysInOrder)
{
    CalcRig rig;
    prepareHorizon(rig);
    rig.settings.DayBegins = 1;
    ASSERT_TRUE(rig.calc.calculate(Calculator::Output::Show));
    EXPECT_EQ(rig.engine.jobs(),
              QStringList({QStringLiteral("chart.txt|6 15 2026 14:30PM ST 6 93W21 45N05"),
                           QStringLiteral("risesety.txt|6 14 2026 14:30PM ST 6 93W21 45N05"),
                           QStringLiteral("riseset.txt|6 15 2026 14:30PM ST 6 93W21 45N05"),
                           QStringLiteral("risesetn.txt|6 16 2026 14:30PM ST 6 93W21 45N05"),
                           QStringLiteral("risesetn2.txt|6 17 2026 14:30PM ST 6 93W21 45N05")}));
    EXPECT_EQ(rig.calc.RiseSetTable.SunRise, clockTime(2026, 6, 15, 5, 26));
    EXPECT_EQ(rig.calc.RiseSetTable.SunZenith, clockTime(2026, 6, 15, 13, 12));
    EXPECT_EQ(rig.calc.RiseSetTable.SunSet, clockTime(2026, 6, 15, 20, 50));
    EXPECT_EQ(rig.calc.RiseSetTable.NextSunRise, clockTime(2026, 6, 16, 5, 26));
    EXPECT_FALSE(rig.calc.RiseSetTable.MoonRise.isValid());
}

TEST(Calculate, EveryFileIsInTheWorkFolderNoneInTheCurrentOne)
{
    CalcRig rig;
    prepareHorizon(rig);
    rig.settings.DayBegins = 1;
    rig.settings.WheelChart = true;
    rig.settings.AspectCharts = true;
    rig.settings.LocalFileSave = true;
    // Reports of the same names in the current folder are someone else's: neither read nor removed.
    const QByteArray foreignChart = "Sun   01Ari foreign\r\n";
    const QByteArray foreignHorizon = eventLine(QStringLiteral(" 6/15/2026"), QStringLiteral(" 4:00am"),
                                                QStringLiteral("Sun"), QStringLiteral("rises"))
                                          .toLatin1() +
                                      "\r\n";
    test::writeBytes(rig.current.filePath(QStringLiteral("chart.txt")), foreignChart);
    test::writeBytes(rig.current.filePath(QStringLiteral("riseset.txt")), foreignHorizon);

    ASSERT_TRUE(rig.calc.calculate(Calculator::Output::Show));

    EXPECT_EQ(rig.calc.lastLines.first(), FirstLine);
    EXPECT_EQ(rig.calc.RiseSetTable.SunRise, clockTime(2026, 6, 15, 5, 26));
    EXPECT_EQ(QDir(rig.current.path()).entryList(QDir::Files),
              QStringList({QStringLiteral("chart.txt"), QStringLiteral("riseset.txt")}));
    EXPECT_EQ(readBytes(rig.current.filePath(QStringLiteral("chart.txt"))), foreignChart);
    EXPECT_EQ(readBytes(rig.current.filePath(QStringLiteral("riseset.txt"))), foreignHorizon);
    for (const char *name : {"input.txt", "td.txt", "chart.txt", "riseset.txt", "risesetn.txt"})
        EXPECT_TRUE(QFile::exists(rig.work.filePath(QString::fromLatin1(name)))) << name;
    EXPECT_EQ(rig.engine.jobs().size(), 7);
    EXPECT_TRUE(rig.host.messages.isEmpty()) << rig.host.messages.join(QLatin1Char('|')).toStdString();
}

TEST(Calculate, UnknownSunsetInAFreshProcessMovesNothing)
{
    CalcRig rig;
    rig.settings.DayBegins = 2;
    rig.host.pickerTime = QTime(23, 0);
    ASSERT_TRUE(rig.calc.calculate(Calculator::Output::Show));
    EXPECT_EQ(rig.calc.texts.DayName, QStringLiteral(u"Lun\u00E6"));
}

TEST(Calculate, OlderSunsetIsUsedAsItStands)
{
    CalcRig rig;
    rig.settings.DayBegins = 2;
    rig.calc.RiseSetTable.SunSet = clockTime(2026, 6, 16, 21, 0);
    rig.host.pickerTime = QTime(23, 0);
    ASSERT_TRUE(rig.calc.calculate(Calculator::Output::Show));
    // No report this time: the table keeps the later sunset, so 23:00 today is still before it.
    EXPECT_EQ(rig.calc.texts.DayName, QStringLiteral(u"Lun\u00E6"));
}

TEST(DayBeginsWeekday, AcrossTheWeekEnd)
{
    TRiseSetTable table;
    table.SunRise = clockTime(2026, 6, 21, 5, 27);
    table.SunSet = clockTime(2026, 6, 20, 20, 51);
    // Sunday before sunrise is still Saturday; Saturday after sunset is already Sunday.
    EXPECT_EQ(dayBeginsWeekday(clockTime(2026, 6, 21, 4, 0), 1, table), 7);
    EXPECT_EQ(dayBeginsWeekday(clockTime(2026, 6, 20, 21, 0), 2, table), 1);
    EXPECT_EQ(dayBeginsWeekday(clockTime(2026, 6, 20, 21, 0), 0, table), 7);
}

} // namespace
} // namespace orlam
