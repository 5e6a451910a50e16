// Run once per locale and zone (LC_ALL and TZ set by CTest): the facts taken from the computer
// must follow the environment.
#include "settings/localefacts.h"
#include "settings/settings.h"

#include "common/clocktime.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <string>

using namespace orlam;

namespace {

struct LocaleRow {
    const char *shortDate, *longDate, *shortTime, *longTime, *euro;
    LocaleFacts::DateOrder order;
};

struct ZoneRow {
    int hours;
    QDateTime start, end;
};

const std::map<std::string, LocaleRow> &localeRows()
{
    using O = LocaleFacts::DateOrder;
    static const std::map<std::string, LocaleRow> rows{
        {"en_US.UTF-8", {"6/15/2026", "Monday, June 15, 2026", "2:30 PM", "2:30:00 PM", "", O::MonthDayYear}},
        {"en_GB.UTF-8", {"15/06/2026", "Monday, 15 June 2026", "14:30", "14:30:00", "-Yd", O::DayMonthYear}},
        {"de_DE.UTF-8", {"15.06.2026", "Montag, 15. Juni 2026", "14:30", "14:30:00", "-Yd", O::DayMonthYear}},
        {"C", {"6/15/2026", "Monday, June 15, 2026", "2:30 PM", "2:30:00 PM", "", O::MonthDayYear}},
        {"ja_JP.UTF-8", {"2026/06/15", nullptr, nullptr, nullptr, "", O::YearMonthDay}},
    };
    return rows;
}

const std::map<std::string, ZoneRow> &zoneRows()
{
    static const std::map<std::string, ZoneRow> rows{
        {"America/Chicago", {6, clockTime(2026, 3, 8, 2), clockTime(2026, 11, 1, 2)}},
        {"Europe/Berlin", {-1, clockTime(2026, 3, 29, 2), clockTime(2026, 10, 25, 3)}},
        {"Asia/Kolkata", {-5, {}, {}}},
        {"UTC", {0, {}, {}}},
    };
    return rows;
}

const QDate Day(2026, 6, 15);

} // namespace

TEST(SystemLocale, FollowsTheEnvironment)
{
    const std::string lc = qEnvironmentVariable("LC_ALL").toStdString();
    const std::string tz = qEnvironmentVariable("TZ").toStdString();
    ASSERT_TRUE(localeRows().count(lc)) << "no expectations for LC_ALL=" << lc;
    ASSERT_TRUE(zoneRows().count(tz)) << "no expectations for TZ=" << tz;
    const LocaleRow &l = localeRows().at(lc);
    const ZoneRow &z = zoneRows().at(tz);

    // The year is fixed so that the transitions do not depend on today's date.
    const LocaleFacts f = LocaleFacts::make(QLocale::system(), QTimeZone::systemTimeZone(), Day);
    EXPECT_EQ(f.formatShortDate(Day), QString::fromUtf8(l.shortDate));
    if (l.longDate) {
        EXPECT_EQ(f.formatLongDate(Day), QString::fromUtf8(l.longDate));
        EXPECT_EQ(f.formatShortTime(QTime(14, 30)), QString::fromUtf8(l.shortTime));
        EXPECT_EQ(f.formatLongTime(QTime(14, 30)), QString::fromUtf8(l.longTime));
    }
    EXPECT_EQ(f.dateOrder(), l.order);
    EXPECT_EQ(f.euroDateSwitch(), QString::fromLatin1(l.euro));
    EXPECT_EQ(f.zoneHours(), z.hours);
    EXPECT_EQ(f.dstStartRule(), z.start);
    EXPECT_EQ(f.dstEndRule(), z.end);

    // system() itself reads the same locale and zone.
    const LocaleFacts sys = LocaleFacts::system();
    EXPECT_EQ(sys.shortDatePattern(), f.shortDatePattern());
    EXPECT_EQ(sys.longTimePattern(), f.longTimePattern());
    EXPECT_EQ(sys.zone().id(), f.zone().id());
    EXPECT_EQ(sys.zoneHours(), z.hours);
}

TEST(SystemLocale, StartUpLoadAcceptsOrRefusesTheDateOrder)
{
    const LocaleFacts f = LocaleFacts::make(QLocale::system(), QTimeZone::systemTimeZone(), Day);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Orlam.ini"));
    TSettings s;
    DerivedValues d;
    WindowKeys w;
    const Status st = SettingsStore(path).LoadSettings(f, &s, &d, &w);
    const bool yearFirst = f.dateOrder() == LocaleFacts::DateOrder::YearMonthDay;
    if (yearFirst && f.hasDaylightSaving()) {
        EXPECT_FALSE(st.ok);
        EXPECT_EQ(st.message, DateOrderMessage);
    } else {
        EXPECT_TRUE(st.ok) << st.message.toStdString();
        EXPECT_EQ(d.DstStart, f.dstStartRule());
        EXPECT_EQ(d.DstEnd, f.dstEndRule());
        EXPECT_EQ(d.ZoneHours, f.zoneHours());
        EXPECT_EQ(d.EuroDateSwitch, f.euroDateSwitch());
    }
    EXPECT_FALSE(QFile::exists(path));
}
