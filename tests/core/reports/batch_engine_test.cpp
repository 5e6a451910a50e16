// End to end with the real engine: batch lines through Calculate, orlam-ephem and the readers.

#include "../thelemic/calctestsupport.h"

#include "common/clocktime.h"
#include "reports/batch.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace orlam {
namespace {

QString enginePath()
{
    return QStringLiteral(ORLAM_BIN_DIR "/orlam-ephem");
}

// The rig with the real engine in place of the stand-in.
struct EngineRig : test::SeparateWorkFolder, test::CalcWiring {
    explicit EngineRig(LocaleFacts facts = test::localeFor(QLocale::English, QLocale::UnitedStates))
        : CalcWiring(std::move(facts), enginePath(), work.path())
    {
    }
};

class WithEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo(enginePath()).isExecutable()) << "orlam-ephem has not been built";
    }
};

TEST_F(WithEngine, BatchGivesPlausibleDateParts)
{
    EngineRig rig;
    const QString in = rig.work.filePath(QStringLiteral("in.txt"));
    const QString out = rig.work.filePath(QStringLiteral("out.txt"));
    test::writeBytes(in, "a,Minneapolis,6/15/2026,14:30,6,93W21,45N05\r\n"
                         "b,London,3/10/2026,12:00,0,0W07,51N30\r\n"
                         "c,Minneapolis,3/25/2026,12:00,6,93W21,45N05\r\n"
                         "d,\"Sydney, Australia\",1/1/2026,\"9:15 PM\",-10,151E12,33S52\r\n");
    const Status status = BatchConvert(rig.calc, in, out);
    ASSERT_TRUE(status) << status.message.toStdString();
    EXPECT_TRUE(rig.host.messages.isEmpty()) << rig.host.messages.join(QLatin1Char('|')).toStdString();

    const QStringList lines = fromWestern(test::readBytes(out)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[4].isEmpty());

    const QString signs = QStringLiteral("(Aries|Taurus|Gemini|Cancer|Leo|Virgo|Libra|Scorpio|Sagittarius|"
                                         "Capricorn|Aquarius|Pisces)");
    const QRegularExpression anyPosition(QStringLiteral(u"^[ 12]\\d\u00B0 ") + signs + QLatin1Char('$'));
    struct Expected {
        const char *era, *sunSign, *day;
    };
    const Expected expected[] = {
        {"v12", "Gemini", "Lun\xc3\xa6"},
        {"v11", "Pisces", "Martis"},
        {"v12", "Aries", "Mercurii"},
        {"v11", "Capricorn", "Jovis"},
    };
    for (int i = 0; i < 4; ++i) {
        const QStringList parts = lines[i].split(QLatin1Char(','));
        // Seven input values (the quoted comma of Sydney adds one), four date parts, a final empty.
        const int first = i == 3 ? 8 : 7;
        ASSERT_EQ(parts.size(), first + 5) << lines[i].toStdString();
        EXPECT_EQ(parts[first], QString::fromUtf8(expected[i].era)) << lines[i].toStdString();
        EXPECT_TRUE(anyPosition.match(parts[first + 1]).hasMatch()) << lines[i].toStdString();
        EXPECT_TRUE(parts[first + 1].endsWith(QLatin1String(expected[i].sunSign))) << lines[i].toStdString();
        EXPECT_TRUE(anyPosition.match(parts[first + 2]).hasMatch()) << lines[i].toStdString();
        EXPECT_EQ(parts[first + 3], QString::fromUtf8(expected[i].day)) << lines[i].toStdString();
    }
    // 15 June 2026 14:30 CST: the Sun about 24 degrees into Gemini.
    EXPECT_TRUE(lines[0].contains(QStringLiteral(u",24\u00B0 Gemini,")) ||
                lines[0].contains(QStringLiteral(u",23\u00B0 Gemini,")))
        << lines[0].toStdString();
}

// Settings that follow the computer's zone (a first start in Berlin) must not move a line that
// names its own: the same lines give the same dates as under standard time, and the time mode
// is the user's again afterwards.
TEST_F(WithEngine, EachLineKeepsItsOwnZoneWhenTheSettingsFollowTheComputer)
{
    const QByteArray lines = "a,Minneapolis,6/15/2026,14:30,6,93W21,45N05\r\n"
                             "b,Mumbai,1/20/2026,23:50,-5:30,72E50,18N58\r\n";
    QByteArray results[3];
    for (int mode : {0, 2}) {
        EngineRig rig;
        rig.settings.TimeMode = mode;
        rig.derived.ZoneHours = -1;
        const QString in = rig.work.filePath(QStringLiteral("in.txt"));
        const QString out = rig.work.filePath(QStringLiteral("out.txt"));
        test::writeBytes(in, lines);
        const Status status = BatchConvert(rig.calc, in, out);
        ASSERT_TRUE(status) << status.message.toStdString();
        EXPECT_EQ(rig.settings.TimeMode, mode);
        results[mode] = test::readBytes(out);
    }
    EXPECT_EQ(results[2], results[0]);
    // 20:30 UT: the Moon early in Cancer, not where 12:30 UT, Berlin's summer clock, leaves it.
    EXPECT_TRUE(fromWestern(results[2]).contains(QStringLiteral(u",v12,24\u00B0 Gemini, 5\u00B0 Cancer,")))
        << results[2].constData();
}

TEST_F(WithEngine, SunriseDecidesTheDayName)
{
    EngineRig rig;
    rig.settings.DayBegins = 1;
    rig.settings.Lines = 2;
    rig.host.pickerDate = clockTime(2026, 6, 15, 3, 0);
    rig.host.pickerTime = QTime(3, 0);
    ASSERT_TRUE(rig.calc.calculate(Calculator::Output::Show));
    EXPECT_TRUE(rig.host.messages.isEmpty()) << rig.host.messages.join(QLatin1Char('|')).toStdString();

    // Minneapolis in standard time: sunrise a little before half past four, sunset near 20:00.
    const TRiseSetTable &t = rig.calc.RiseSetTable;
    EXPECT_EQ(t.SunRise.date(), QDate(2026, 6, 15));
    EXPECT_GT(t.SunRise.time(), QTime(4, 0));
    EXPECT_LT(t.SunRise.time(), QTime(5, 0));
    EXPECT_GT(t.SunSet.time(), QTime(19, 30));
    EXPECT_LT(t.SunSet.time(), QTime(20, 30));
    EXPECT_EQ(t.NextSunRise.date(), QDate(2026, 6, 16));
    EXPECT_LT(t.SunNadir, t.SunRise);
    EXPECT_LT(t.SunRise, t.SunZenith);
    EXPECT_LT(t.SunZenith, t.SunSet);
    // 03:00 on Monday is before sunrise: still Sunday's day name.
    EXPECT_EQ(rig.calc.lastLines.value(1), QStringLiteral("Dies Solis"));
    EXPECT_TRUE(rig.calc.lastLines.value(2).startsWith(QStringLiteral("Monday, June 15, 2026")));
}

TEST_F(WithEngine, DayFirstLocaleReadsTheEnginesDates)
{
    EngineRig rig(test::localeFor(QLocale::German, QLocale::Germany));
    ASSERT_EQ(rig.derived.EuroDateSwitch, QStringLiteral("-Yd"));
    rig.settings.DayBegins = 2;
    rig.settings.Lines = 2;
    rig.host.pickerDate = clockTime(2026, 6, 15, 21, 0);
    rig.host.pickerTime = QTime(21, 0);
    ASSERT_TRUE(rig.calc.calculate(Calculator::Output::Show));
    EXPECT_TRUE(rig.host.messages.isEmpty()) << rig.host.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(rig.calc.RiseSetTable.SunSet.date(), QDate(2026, 6, 15));
    EXPECT_EQ(rig.calc.RiseSetTable.NextSunRise.date(), QDate(2026, 6, 16));
    // 21:00 standard time is after sunset: Tuesday's name on Monday's date.
    EXPECT_EQ(rig.calc.lastLines.value(1), QStringLiteral("Dies Martis"));
    EXPECT_TRUE(rig.calc.lastLines.value(2).contains(QStringLiteral("15. Juni 2026")))
        << rig.calc.lastLines.value(2).toStdString();
}

} // namespace
} // namespace orlam
