#include "settings/settings.h"

#include "common/clocktime.h"
#include "settings/localefacts.h"

#include "ordinaryuser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orlam;

namespace {

const QDate Day(2026, 6, 15);

LocaleFacts facts(const char *locale, const char *zone)
{
    return LocaleFacts::make(QLocale(QString::fromLatin1(locale)), QTimeZone(QByteArray(zone)), Day);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class SettingsStoreTest : public ::testing::Test {
protected:
    QString path() const { return mDir.filePath(QStringLiteral("Orlam.ini")); }
    void write(const QByteArray &bytes)
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QTemporaryDir mDir;
};

} // namespace

TEST(SettingsKeys, BodyAndHourKeysInRecordOrder)
{
    EXPECT_EQ(BodyKeys.front(), QString("Sun"));
    EXPECT_EQ(BodyKeys.back(), QString("Pluto"));
    EXPECT_EQ(BodyKeys[6], QString("Saturn"));
    EXPECT_EQ(HourKeys.front(), QString("Hour Sun"));
    EXPECT_EQ(HourKeys.back(), QString("Hour Saturn"));
}

TEST_F(SettingsStoreTest, FirstStartGivesTheDefaultsAndCreatesNoFile)
{
    TSettings s;
    s.Lines = 99;
    s.Longitude.clear();
    DerivedValues d;
    WindowKeys w;
    w.Top = -1;
    ASSERT_TRUE(SettingsStore(path()).LoadSettings(facts("en_US", "America/Chicago"), &s, &d, &w).ok);
    const TSettings def;
    EXPECT_EQ(s.Longitude, QString("93W21"));
    EXPECT_EQ(s.Latitude, QString("45N05"));
    EXPECT_EQ(s.TimeZone, QString("6"));
    EXPECT_EQ(s.YearFormat, 1);
    EXPECT_EQ(s.AspectMode, 1);
    EXPECT_EQ(s.Lines, 1);
    EXPECT_EQ(s.DateFormat, 1);
    EXPECT_TRUE(s.RiseSetAlarm[0]);
    EXPECT_TRUE(s.HourAlarm[0]);
    EXPECT_EQ(s.RiseSetAlarm, def.RiseSetAlarm);
    EXPECT_EQ(s.HourAlarm, def.HourAlarm);
    EXPECT_TRUE(s.WheelReverse && s.Monochrome);
    EXPECT_FALSE(s.ForceExe || s.LocalFileSave || s.Greetings);
    EXPECT_TRUE(s.Astrolog.isEmpty());
    EXPECT_EQ(w.Top, 10);
    EXPECT_EQ(w.ClientHeight, 315);
    EXPECT_EQ(w.ClientWidth, 400);
    EXPECT_TRUE(w.ToolBar && w.StatusBar && w.MonthCalendar);
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(SettingsStoreTest, LoadReadsEveryKey)
{
    write(
        "[orlam]\r\nTime=2\r\nWheel Reverse=0\r\nMonochrome=0\r\nHouse System=12\r\nZodiac=1\r\nAspect=0\r\n"
        "Basic=2\r\nFormat=0x4\r\nDay Begins=1\r\nDateFormat=0\r\nTimeFormat=1\r\nLines=7\r\n"
        "Greetings=2\r\nQuoted=1\r\nUpdate Caption=1\r\nReplace Clip=1\r\nLocal File Save=1\r\n"
        "Longitude=\r\nLatitude=51N30\r\nTime Zone=0\r\nWheel Chart=1\r\nAspect Charts=1\r\n"
        "Sun=0\r\nPluto=1\r\nHour Sun=0\r\nHour Saturn=1\r\nForceExe=1\r\nAstrolog=/opt/engine\r\n"
        "Tool Bar=0\r\nStatus Bar=0\r\nMonth Calendar=0\r\nClientHeight=480\r\nClientWidth=0x280\r\n"
        "Top=-20\r\nLeft=30\r\n");
    TSettings s;
    DerivedValues d;
    WindowKeys w;
    ASSERT_TRUE(SettingsStore(path()).LoadSettings(facts("en_US", "America/Chicago"), &s, &d, &w).ok);
    EXPECT_EQ(s.TimeMode, 2);
    EXPECT_FALSE(s.WheelReverse);
    EXPECT_FALSE(s.Monochrome);
    EXPECT_EQ(s.HouseSystem, 12);
    EXPECT_EQ(s.Zodiac, 1);
    EXPECT_EQ(s.AspectMode, 0);
    EXPECT_EQ(s.Basic, 2);
    EXPECT_EQ(s.YearFormat, 4);
    EXPECT_EQ(s.DayBegins, 1);
    EXPECT_EQ(s.DateFormat, 0);
    EXPECT_EQ(s.TimeFormat, 1);
    EXPECT_EQ(s.Lines, 7); // out of range, taken unchanged
    EXPECT_TRUE(s.Greetings && s.Quoted && s.UpdateCaption && s.ReplaceClip && s.LocalFileSave);
    EXPECT_EQ(s.Longitude, QString(""));
    EXPECT_EQ(s.Latitude, QString("51N30"));
    EXPECT_EQ(s.TimeZone, QString("0"));
    EXPECT_TRUE(s.WheelChart && s.AspectCharts);
    EXPECT_FALSE(s.RiseSetAlarm[0]);
    EXPECT_TRUE(s.RiseSetAlarm[9]);
    EXPECT_FALSE(s.HourAlarm[0]);
    EXPECT_TRUE(s.HourAlarm[6]);
    EXPECT_TRUE(s.ForceExe);
    EXPECT_EQ(s.Astrolog, QString("/opt/engine"));
    EXPECT_FALSE(w.ToolBar || w.StatusBar || w.MonthCalendar);
    EXPECT_EQ(w.ClientHeight, 480);
    EXPECT_EQ(w.ClientWidth, 640);
    EXPECT_EQ(w.Top, -20);
    EXPECT_EQ(w.Left, 30);
}

TEST_F(SettingsStoreTest, ReadingRulesOfTheRecord)
{
    struct Row {
        const char *name;
        QByteArray line;
        int format;
        bool greetings;
    };
    const Row rows[] = {
        {"hex", "Format=0x3\r\nGreetings=2", 3, true},
        {"letters", "Format=abc\r\nGreetings=yes", 1, false},
        {"empty", "Format=\r\nGreetings=", 1, false},
        {"zero", "Format=0\r\nGreetings=0", 0, false},
        {"negative", "Format=-1\r\nGreetings=-1", -1, true},
    };
    for (const Row &row : rows) {
        write("[orlam]\r\n" + row.line + "\r\n");
        TSettings s;
        SettingsStore(path()).readRecord(&s);
        EXPECT_EQ(s.YearFormat, row.format) << row.name;
        EXPECT_EQ(s.Greetings, row.greetings) << row.name;
    }
}

TEST_F(SettingsStoreTest, DerivedValues)
{
    struct Row {
        const char *locale, *zone;
        QDateTime start, end;
        int hours;
        const char *euro;
    };
    const Row rows[] = {
        {"en_US", "America/Chicago", clockTime(2026, 3, 8, 2), clockTime(2026, 11, 1, 2), 6, ""},
        {"de_DE", "Europe/Berlin", clockTime(2026, 3, 29, 2), clockTime(2026, 10, 25, 3), -1, "-Yd"},
        {"en_GB", "Asia/Kolkata", {}, {}, -5, "-Yd"},
        {"C", "UTC", {}, {}, 0, ""},
        {"ja_JP", "UTC", {}, {}, 0, ""},
    };
    for (const Row &row : rows) {
        TSettings s;
        DerivedValues d;
        WindowKeys w;
        d.DstStart = clockTime(2000, 1, 1);
        ASSERT_TRUE(SettingsStore(path()).LoadSettings(facts(row.locale, row.zone), &s, &d, &w).ok)
            << row.locale;
        EXPECT_EQ(d.DstStart, row.start) << row.locale << " " << row.zone;
        EXPECT_EQ(d.DstEnd, row.end) << row.locale << " " << row.zone;
        EXPECT_EQ(d.ZoneHours, row.hours) << row.zone;
        EXPECT_EQ(d.EuroDateSwitch, QString::fromLatin1(row.euro)) << row.locale;
    }
}

TEST_F(SettingsStoreTest, YearWithOneClockChangeHasADaylightPeriodAllTheSame)
{
    struct Row {
        const char *locale, *zone;
        QDate today;
        QDateTime start, end;
        int hours;
        bool starts;
    };
    const Row rows[] = {
        {"en_US", "America/Sao_Paulo", QDate(2019, 1, 10), clockTime(2019, 1, 1), clockTime(2019, 2, 17), 3,
         true},
        {"en_GB", "Europe/Istanbul", QDate(2016, 12, 10), clockTime(2016, 3, 27, 3),
         clockTime(2016, 12, 31, 23, 59, 59), -2, true},
        // Such a zone has daylight saving that year, so a year-first locale cannot start.
        {"ja_JP", "America/Sao_Paulo", QDate(2019, 1, 10), {}, {}, 3, false},
    };
    for (const Row &row : rows) {
        TSettings s;
        DerivedValues d;
        WindowKeys w;
        const LocaleFacts f = LocaleFacts::make(QLocale(QString::fromLatin1(row.locale)),
                                                QTimeZone(QByteArray(row.zone)), row.today);
        const Status st = SettingsStore(path()).LoadSettings(f, &s, &d, &w);
        EXPECT_EQ(st.ok, row.starts) << row.locale << " " << row.zone;
        if (!st.ok)
            continue;
        EXPECT_EQ(d.DstStart, row.start) << row.zone;
        EXPECT_EQ(d.DstEnd, row.end) << row.zone;
        EXPECT_EQ(d.ZoneHours, row.hours) << row.zone;
    }
}

TEST_F(SettingsStoreTest, YearFirstLocaleWithDaylightSavingEndsTheStart)
{
    for (const char *locale : {"ja_JP", "sv_SE"}) {
        TSettings s;
        DerivedValues d;
        WindowKeys w;
        const Status st = SettingsStore(path()).LoadSettings(facts(locale, "America/Chicago"), &s, &d, &w);
        EXPECT_FALSE(st.ok) << locale;
        EXPECT_EQ(st.message, DateOrderMessage) << locale;
        EXPECT_FALSE(QFile::exists(path()));
    }
}

TEST_F(SettingsStoreTest, ReloadKeepsLocalFileSaveForceExeAndEngineInMemory)
{
    write(
        "[orlam]\r\nLocal File Save=0\r\nForceExe=0\r\nAstrolog=from-file\r\nLines=2\r\nLongitude=1E00\r\n");
    TSettings s;
    s.LocalFileSave = true;
    s.ForceExe = true;
    s.Astrolog = QStringLiteral("in-memory");
    SettingsStore(path()).ReloadSettings(&s);
    EXPECT_TRUE(s.LocalFileSave);
    EXPECT_TRUE(s.ForceExe);
    EXPECT_EQ(s.Astrolog, QString("in-memory"));
    EXPECT_EQ(s.Lines, 2);
    EXPECT_EQ(s.Longitude, QString("1E00"));
}

TEST_F(SettingsStoreTest, SaveLocationWritesOnlyTheFile)
{
    SettingsStore store(path());
    ASSERT_TRUE(store.SaveLocation("12E30", "50N07", "-1").ok);
    EXPECT_EQ(readAll(path()),
              QByteArray("[orlam]\r\nLongitude=12E30\r\nLatitude=50N07\r\nTime Zone=-1\r\n"));
    ASSERT_TRUE(store.SaveLocation("", "45N05", "6").ok);
    TSettings s;
    store.readRecord(&s);
    EXPECT_EQ(s.Longitude, QString(""));
    EXPECT_EQ(s.Latitude, QString("45N05"));
    EXPECT_EQ(s.TimeZone, QString("6"));
}

TEST_F(SettingsStoreTest, WindowKeysWrittenInTheirOrder)
{
    WindowKeys w;
    w.ToolBar = false;
    w.ClientHeight = 480;
    w.ClientWidth = 640;
    w.Top = -20;
    w.Left = 30;
    ASSERT_TRUE(SettingsStore(path()).saveWindowKeys(w).ok);
    EXPECT_EQ(readAll(path()), readAll(QStringLiteral(ORLAM_TEST_DATA "/settings/windowkeys_new.ini")));
}

TEST_F(SettingsStoreTest, FailedWriteNamesTheFileAndChangesNothing)
{
    const QString blocker = path();
    write("[orlam]\r\nLongitude=93W21\r\n");
    const QString inside = blocker + QStringLiteral("/Orlam.ini");
    SettingsStore store(inside);
    const Status st = store.SaveLocation("1E00", "2N00", "0");
    EXPECT_FALSE(st.ok);
    EXPECT_EQ(st.message, QStringLiteral("Unable to write to ") + inside);
    EXPECT_FALSE(store.saveWindowKeys(WindowKeys()).ok);
    EXPECT_EQ(readAll(blocker), QByteArray("[orlam]\r\nLongitude=93W21\r\n"));
}

TEST_F(SettingsStoreTest, FilePlace)
{
    // A writable program folder without the file is no portable copy: the build tree or
    // ~/.local/bin must not collect a settings file.
    const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(mDir.filePath("cfg")));
    const QString config = mDir.filePath("cfg/Orlam/Orlam.ini");
    EXPECT_EQ(settingsFilePathIn(mDir.path()), config);

    // A file that is there is used when this user may write it, and only then: one left behind
    // by another user (root) would give this one "Unable to write to" at every start.
    write("[orlam]\r\n");
    EXPECT_EQ(settingsFilePathIn(mDir.path()), path());
    ASSERT_TRUE(QFile::setPermissions(mDir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                       QFile::ReadOther | QFile::ExeOther));
    const auto chosenByOrdinaryUser = [this](const QString &expected) {
        return test::asOrdinaryUser(
            [this, expected] { return settingsFilePathIn(mDir.path()) == expected ? 0 : 1; });
    };
    EXPECT_EQ(chosenByOrdinaryUser(config), 0) << "someone else's file";
    ASSERT_EQ(::chown(QFile::encodeName(path()).constData(), test::ordinaryUser(), gid_t(-1)), 0);
    EXPECT_EQ(chosenByOrdinaryUser(path()), 0) << "the user's own file";
    QFile::remove(path());

    // An unknown executable directory is not the working directory, even when that holds the file.
    {
        write("");
        const QString previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(mDir.path()));
        EXPECT_EQ(settingsFilePathIn(QString()), config);
        QDir::setCurrent(previous);
    }
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(settingsFilePathIn(mDir.filePath("bin")), QDir::homePath() + "/.config/Orlam/Orlam.ini");
    if (!oldXdg.isNull())
        qputenv("XDG_CONFIG_HOME", oldXdg);

    // Without an application object the running executable's directory is looked at; the test
    // programs' folder holds no settings file.
    EXPECT_FALSE(QFile::exists(QString(ORLAM_TEST_BIN_DIR "/Orlam.ini")));
    EXPECT_EQ(QFileInfo(settingsFilePath()).absolutePath(),
              QFileInfo(settingsFilePathIn(QString())).absolutePath());
}

TEST_F(SettingsStoreTest, SettingsFileThatIsNoRegularFileEndsTheStart)
{
    const QString fifo = mDir.filePath("pipe.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &name : {fifo, QStringLiteral("/dev/zero")}) {
        const int result = test::inChild(
            [&name] {
                TSettings s;
                DerivedValues d;
                WindowKeys w;
                const Status st =
                    SettingsStore(name).LoadSettings(facts("en_US", "America/Chicago"), &s, &d, &w);
                return !st.ok && st.message.contains(name + QStringLiteral(" is not a regular file")) ? 0 : 1;
            },
            5);
        EXPECT_EQ(result, 0) << name.toStdString();
    }
}

TEST(DateOrderMessage, GivesTheLinuxWay)
{
    EXPECT_TRUE(
        DateOrderMessage.startsWith("Sorry, Orlam is only compatible with date formats of mdy or dmy. "));
    EXPECT_TRUE(DateOrderMessage.contains("LC_TIME"));
    EXPECT_FALSE(DateOrderMessage.contains("Control Panel"));
}
