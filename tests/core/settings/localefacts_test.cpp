#include "settings/localefacts.h"

#include "common/clocktime.h"

#include <gtest/gtest.h>

using namespace orlam;

namespace {

const QDate Day(2026, 6, 15);
const QTime Moment(14, 30);

LocaleFacts facts(const char *locale, const char *zone = "UTC")
{
    return LocaleFacts::make(QLocale(QString::fromLatin1(locale)), QTimeZone(QByteArray(zone)), Day);
}

std::string show(const std::optional<QDateTime> &v)
{
    return v ? v->toString(Qt::ISODate).toStdString() : std::string("none");
}

} // namespace

TEST(LocaleFacts, FormatsUsersOfEachLocaleExpect)
{
    struct Row {
        const char *locale;
        const char *shortDate, *longDate, *shortTime, *longTime;
        LocaleFacts::DateOrder order;
        char dateSep, timeSep;
        const char *euro;
    };
    using O = LocaleFacts::DateOrder;
    const Row rows[] = {
        {"en_US", "6/15/2026", "Monday, June 15, 2026", "2:30 PM", "2:30:00 PM", O::MonthDayYear, '/', ':',
         ""},
        {"en_GB", "15/06/2026", "Monday, 15 June 2026", "14:30", "14:30:00", O::DayMonthYear, '/', ':',
         "-Yd"},
        {"de_DE", "15.06.2026", "Montag, 15. Juni 2026", "14:30", "14:30:00", O::DayMonthYear, '.', ':',
         "-Yd"},
        // No locale at all behaves as US English.
        {"C", "6/15/2026", "Monday, June 15, 2026", "2:30 PM", "2:30:00 PM", O::MonthDayYear, '/', ':', ""},
        {"sv_SE", "2026-06-15", "m\u00e5ndag 15 juni 2026", "14:30", "14:30:00", O::YearMonthDay, '-', ':',
         ""},
        {"nl_NL", "15-06-2026", "maandag 15 juni 2026", "14:30", "14:30:00", O::DayMonthYear, '-', ':',
         "-Yd"},
    };
    for (const Row &row : rows) {
        const LocaleFacts f = facts(row.locale);
        EXPECT_EQ(f.formatShortDate(Day), QString::fromUtf8(row.shortDate)) << row.locale;
        EXPECT_EQ(f.formatLongDate(Day), QString::fromUtf8(row.longDate)) << row.locale;
        EXPECT_EQ(f.formatShortTime(Moment), QString::fromUtf8(row.shortTime)) << row.locale;
        EXPECT_EQ(f.formatLongTime(Moment), QString::fromUtf8(row.longTime)) << row.locale;
        EXPECT_EQ(f.dateOrder(), row.order) << row.locale;
        EXPECT_EQ(f.dateSeparator(), QChar(row.dateSep)) << row.locale;
        EXPECT_EQ(f.timeSeparator(), QChar(row.timeSep)) << row.locale;
        EXPECT_EQ(f.euroDateSwitch(), QString::fromLatin1(row.euro)) << row.locale;
    }
}

TEST(LocaleFacts, YearFirstLocalesAndWesternOutput)
{
    const LocaleFacts ja = facts("ja_JP");
    EXPECT_EQ(ja.dateOrder(), LocaleFacts::DateOrder::YearMonthDay);
    EXPECT_EQ(ja.formatShortDate(Day), QString("2026/06/15"));
    // Locale text outside the Western code page never reaches a date line.
    for (const QString &s : {ja.formatLongDate(Day), ja.formatLongTime(Moment), ja.formatShortTime(Moment)})
        EXPECT_EQ(s, QString::fromLatin1(s.toLatin1())) << s.toStdString();
    // Zone names are not part of any time format.
    for (const char *name : {"en_US", "en_GB", "de_DE", "ja_JP", "zh_CN", "ko_KR"})
        EXPECT_FALSE(facts(name).longTimePattern().contains(QLatin1Char('t'))) << name;
    // Two-digit years become four-digit ones.
    EXPECT_EQ(facts("ko_KR").formatShortDate(Day).left(4), QString("2026"));
}

TEST(LocaleFacts, FormatPatternLetters)
{
    const LocaleFacts us = facts("en_US");
    const QDateTime m = clockTime(Day, Moment);
    EXPECT_EQ(us.formatPattern(QStringLiteral("ddddd \"e.v. \""), m), QString("6/15/2026 e.v. "));
    EXPECT_EQ(us.formatPattern(QStringLiteral("dddddd \"e.v. \""), m),
              QString("Monday, June 15, 2026 e.v. "));
    EXPECT_EQ(us.formatPattern(QStringLiteral("t"), m), QString("2:30 PM"));
    EXPECT_EQ(us.formatPattern(QStringLiteral("tt"), m), QString("2:30:00 PM"));
    EXPECT_EQ(us.formatPattern(QStringLiteral(" "), m), QString(" "));
    EXPECT_EQ(us.formatPattern(QStringLiteral("dddddd tt"), m), QString("Monday, June 15, 2026 2:30:00 PM"));
    EXPECT_EQ(facts("de_DE").formatPattern(QStringLiteral("ddddd tt"), m), QString("15.06.2026 14:30:00"));
}

TEST(LocaleFacts, ZoneHoursAndDaylightSaving)
{
    struct Row {
        const char *zone;
        int hours;
        QDateTime start, end;
    };
    const Row rows[] = {
        {"America/Chicago", 6, clockTime(2026, 3, 8, 2), clockTime(2026, 11, 1, 2)},
        {"Europe/Berlin", -1, clockTime(2026, 3, 29, 2), clockTime(2026, 10, 25, 3)},
        {"Asia/Kolkata", -5, {}, {}},
        {"UTC", 0, {}, {}},
        {"America/St_Johns", 3, clockTime(2026, 3, 8, 2), clockTime(2026, 11, 1, 2)},
        // Southern hemisphere: daylight saving starts later in the year than it ends.
        {"Australia/Sydney", -10, clockTime(2026, 10, 4, 2), clockTime(2026, 4, 5, 3)},
        // Winter is the "negative daylight time" in the zone data, yet users see summer time.
        {"Europe/Dublin", 0, clockTime(2026, 3, 29, 1), clockTime(2026, 10, 25, 2)},
        {"Asia/Tehran", -3, {}, {}},
    };
    for (const Row &row : rows) {
        const LocaleFacts f = facts("en_US", row.zone);
        EXPECT_EQ(f.zoneHours(), row.hours) << row.zone;
        EXPECT_EQ(f.hasDaylightSaving(), row.start.isValid()) << row.zone;
        EXPECT_EQ(f.dstStartRule(), row.start) << row.zone;
        EXPECT_EQ(f.dstEndRule(), row.end) << row.zone;
    }
    const LocaleFacts none = LocaleFacts::make(QLocale("en_US"), QTimeZone(), Day);
    EXPECT_EQ(none.zoneHours(), 0);
    EXPECT_FALSE(none.hasDaylightSaving());
}

// The zone data of past years holds years with only one change of the clock. Whatever day of
// such a year the program starts on, the standard offset and the daylight period are the same.
TEST(LocaleFacts, YearWithASingleChangeOfTheClock)
{
    struct Row {
        const char *name;
        const char *zone;
        int year;
        int hours;
        QDateTime start, end;
    };
    const Row rows[] = {
        // Daylight time running when the year began, never started again.
        {"daylight_ends_for_good", "America/Sao_Paulo", 2019, 3, clockTime(2019, 1, 1),
         clockTime(2019, 2, 17, 0)},
        {"east_of_greenwich_ends_for_good", "Pacific/Apia", 2021, -13, clockTime(2021, 1, 1),
         clockTime(2021, 4, 4, 4)},
        // Daylight time begun and kept to the end of the year (then made the standard time).
        {"daylight_kept_past_the_year", "Europe/Istanbul", 2016, -2, clockTime(2016, 3, 27, 3),
         clockTime(2016, 12, 31, 23, 59, 59)},
        // A lone change of the standard offset is no daylight saving.
        {"standard_offset_moved", "Europe/Volgograd", 2020, -4, {}, {}},
        // The year before, an ordinary southern pair.
        {"both_changes", "America/Sao_Paulo", 2018, 3, clockTime(2018, 11, 4, 0), clockTime(2018, 2, 18, 0)},
    };
    for (const Row &row : rows) {
        const QTimeZone zone{QByteArray(row.zone)};
        ASSERT_TRUE(zone.isValid()) << row.zone;
        for (const int month : {1, 3, 7, 12}) {
            const LocaleFacts f = LocaleFacts::make(QLocale("en_US"), zone, QDate(row.year, month, 10));
            EXPECT_EQ(f.zoneHours(), row.hours) << row.name << " month " << month;
            EXPECT_EQ(f.dstStartRule(), row.start) << row.name << " month " << month;
            EXPECT_EQ(f.dstEndRule(), row.end) << row.name << " month " << month;
        }
    }
}

TEST(LocaleFacts, ParseShortDate)
{
    struct Row {
        const char *locale, *text;
        QDate expected; // invalid: must fail
    };
    const Row rows[] = {
        {"en_US", "6/15/2026", QDate(2026, 6, 15)},
        {"en_US", " 06/15/2026 ", QDate(2026, 6, 15)},
        {"en_US", "6/15/26", QDate(2026, 6, 15)},
        {"en_US", "6/15/75", QDate(1975, 6, 15)},
        {"en_US", "2/29/2024", QDate(2024, 2, 29)},
        {"en_US", "2/30/2026", {}},
        {"en_US", "13/1/2026", {}},
        {"en_US", "15/6/2026", {}},
        {"en_US", "6-15-2026", {}},
        {"en_US", "6/15", {}},
        {"en_US", "6/15/2026x", {}},
        {"en_US", "", {}},
        {"en_GB", "15/06/2026", QDate(2026, 6, 15)},
        {"de_DE", "15.6.2026", QDate(2026, 6, 15)},
        {"de_DE", "16. 5.2000", QDate(2000, 5, 16)},
        {"de_DE", "6/15/2026", {}},
        {"ja_JP", "2026/06/15", QDate(2026, 6, 15)},
        {"ja_JP", "6/15/2026", {}},
    };
    for (const Row &row : rows) {
        const auto d = facts(row.locale).parseShortDate(QString::fromLatin1(row.text));
        EXPECT_EQ(d.has_value(), row.expected.isValid()) << row.locale << " '" << row.text << "'";
        if (d && row.expected.isValid()) {
            EXPECT_EQ(*d, row.expected) << row.locale << " '" << row.text << "'";
        }
    }
}

TEST(LocaleFacts, ParseTime)
{
    struct Row {
        const char *locale, *text;
        QTime expected;
    };
    const Row rows[] = {
        {"en_US", "14:30", QTime(14, 30)},
        {"en_US", "2:30 PM", QTime(14, 30)},
        {"en_US", "2:30PM", QTime(14, 30)},
        {"en_US", "2:30 pm", QTime(14, 30)},
        {"en_US", "14:30:15", QTime(14, 30, 15)},
        {"en_US", "12:00 AM", QTime(0, 0)},
        {"en_US", "12:00 PM", QTime(12, 0)},
        {"en_US", " 5:26am", QTime(5, 26)},
        {"en_US", "0:05", QTime(0, 5)},
        {"en_US", "23:59:59", QTime(23, 59, 59)},
        {"en_US", "25:00", {}},
        {"en_US", "14:60", {}},
        {"en_US", "14:30:60", {}},
        {"en_US", "13:00 PM", {}},
        {"en_US", "14", {}},
        {"en_US", "2:30 XM", {}},
        {"en_US", "", {}},
        {"en_GB", "2:30 pm", QTime(14, 30)},
        {"de_DE", "14:30", QTime(14, 30)},
        {"ko_KR", "\uc624\ud6c4 2:30", QTime(14, 30)},
    };
    for (const Row &row : rows) {
        const auto t = facts(row.locale).parseTime(QString::fromUtf8(row.text));
        EXPECT_EQ(t.has_value(), row.expected.isValid()) << row.locale << " '" << row.text << "'";
        if (t && row.expected.isValid()) {
            EXPECT_EQ(*t, row.expected) << row.locale << " '" << row.text << "'";
        }
    }
}

TEST(LocaleFacts, ParseDateTimeAsReportLinesAreRead)
{
    struct Row {
        const char *locale, *text;
        QDateTime expected;
    };
    const Row rows[] = {
        {"en_US", "6/15/2026  5:26am", clockTime(2026, 6, 15, 5, 26)},
        {"en_US", " 5/16/2000  7:05pm", clockTime(2000, 5, 16, 19, 5)},
        {"en_US", "6/15/2026 12:00am", clockTime(2026, 6, 15, 0, 0)},
        {"en_US", "6/15/2026 12:30pm", clockTime(2026, 6, 15, 12, 30)},
        {"en_US", "3/8/2026 2:0:0", clockTime(2026, 3, 8, 2)},
        {"en_US", "6/15/2026", clockTime(2026, 6, 15)},
        {"en_US", "6/15/2026 5:26am x", {}},
        {"en_US", "2/30/2026 1:00am", {}},
        {"de_DE", "16. 5.2000  7:05pm", clockTime(2000, 5, 16, 19, 5)},
        {"de_DE", "29.3.2026 2:0:0", clockTime(2026, 3, 29, 2)},
        {"en_GB", "15/6/2026 14:30", clockTime(2026, 6, 15, 14, 30)},
        // Year-first: the text of the daylight-saving check never reads.
        {"ja_JP", "3/8/2026 2:0:0", {}},
        {"sv_SE", "3-8-2026 2:0:0", {}},
    };
    for (const Row &row : rows) {
        const auto v = facts(row.locale).parseDateTime(QString::fromLatin1(row.text));
        EXPECT_EQ(show(v), row.expected.isValid() ? row.expected.toString(Qt::ISODate).toStdString() : "none")
            << row.locale << " '" << row.text << "'";
    }
}

TEST(LocaleFacts, ParsersNeverAcceptAnInvalidValue)
{
    const QString alphabet = QStringLiteral("0123456789/:.- apmAPM\t\u202f");
    const LocaleFacts locales[] = {facts("en_US"), facts("de_DE"), facts("ja_JP")};
    quint32 x = 2026;
    for (int i = 0; i < 20000; ++i) {
        QString text;
        x = x * 1664525u + 1013904223u;
        const int length = int(x >> 28) + 1;
        for (int k = 0; k < length; ++k) {
            x = x * 1664525u + 1013904223u;
            text += alphabet.at(int((x >> 16) % alphabet.size()));
        }
        for (const LocaleFacts &f : locales) {
            if (const auto d = f.parseShortDate(text)) {
                EXPECT_TRUE(d->isValid()) << text.toStdString();
            }
            if (const auto t = f.parseTime(text)) {
                EXPECT_TRUE(t->isValid()) << text.toStdString();
            }
            if (const auto m = f.parseDateTime(text)) {
                EXPECT_TRUE(m->isValid()) << text.toStdString();
            }
        }
    }
    // Digit runs that would overflow an int are refused, not wrapped.
    EXPECT_FALSE(facts("en_US").parseShortDate(QStringLiteral("99999999999/1/2026")));
    EXPECT_FALSE(facts("en_US").parseTime(QStringLiteral("99999999999:00")));
}
