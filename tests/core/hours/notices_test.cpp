// What the desktop notices and the tray's tooltip say about an alarm and the present hour.
#include "../thelemic/calctestsupport.h"

#include "common/clocktime.h"
#include "hours/notices.h"

namespace orlam {
namespace {

using test::localeFor;

const QString Dash = QString(QChar(0x2013));

struct SpanRow {
    const char *name;
    QLocale::Language language;
    QLocale::Territory territory;
    QTime start, end;
    QString expected;
};

TEST(Notices, TimeSpansWriteASharedDayHalfOnce)
{
    const SpanRow rows[] = {
        {"morning", QLocale::English, QLocale::UnitedStates, QTime(9, 23), QTime(10, 5),
         "9:23 " + Dash + " 10:05 AM"},
        {"across noon", QLocale::English, QLocale::UnitedStates, QTime(11, 40), QTime(12, 32),
         "11:40 AM " + Dash + " 12:32 PM"},
        {"across midnight", QLocale::English, QLocale::UnitedStates, QTime(23, 10), QTime(0, 15),
         "11:10 PM " + Dash + " 12:15 AM"},
        {"evening", QLocale::English, QLocale::UnitedStates, QTime(21, 0), QTime(22, 7),
         "9:00 " + Dash + " 10:07 PM"},
        {"24-hour clock", QLocale::German, QLocale::Germany, QTime(9, 23), QTime(10, 5),
         "09:23 " + Dash + " 10:05"},
        {"24-hour, British", QLocale::English, QLocale::UnitedKingdom, QTime(23, 10), QTime(0, 15),
         "23:10 " + Dash + " 00:15"},
    };
    for (const SpanRow &row : rows) {
        const LocaleFacts locale = localeFor(row.language, row.territory);
        EXPECT_EQ(timeSpanText(row.start, row.end, locale), row.expected) << row.name;
    }
}

EventEntry event(const char *body, const char *word, int hour, int minute)
{
    EventEntry entry;
    entry.moment = clockTime(2026, 6, 13, hour, minute);
    entry.body = QLatin1String(body);
    entry.word = QLatin1String(word);
    return entry;
}

// The clock in Saturn's hour of Saturday 13 June 2026, 9:23:40 to 10:05:12.
CurrentHour saturnHour()
{
    CurrentHour present;
    present.CurrentRuler = QStringLiteral("Saturn");
    PlanetaryHour hour;
    hour.start = clockTime(2026, 6, 13, 9, 23).addSecs(40);
    hour.end = clockTime(2026, 6, 13, 10, 5).addSecs(12);
    present.hour = hour;
    return present;
}

TEST(Notices, AnAlarmSaysWhatHappensAndUntilWhen)
{
    const LocaleFacts us = localeFor(QLocale::English, QLocale::UnitedStates);
    const CurrentHour saturn = saturnHour();
    struct Row {
        const char *name;
        EventEntry entry;
        CurrentHour present;
        QString summary, body;
    } rows[] = {
        {"the hour the clock is in", event("Saturn", "Hour", 9, 23), saturn, "Hour of Saturn",
         "9:23 " + Dash + " 10:05 AM"},
        // An alarm that comes when the hours have moved on (or were never found) cannot say
        // when its hour ends, and does not borrow another hour's end.
        {"another hour", event("Saturn", "Hour", 16, 40), saturn, "Hour of Saturn", "4:40 PM"},
        {"hours unknown", event("Venus", "Hour", 9, 23), CurrentHour(), "Hour of Venus", "9:23 AM"},
        {"a rising", event("Sun", "rises", 5, 26), saturn, "Sun rises", "5:26 AM"},
        {"a culmination", event("Moon", "zeniths", 21, 2), CurrentHour(), "Moon zeniths", "9:02 PM"},
    };
    for (const Row &row : rows) {
        const EventEntry &e = row.entry;
        const Notice notice =
            alarmNotice(e.body, e.word, e.moment.time(), presentHourEnd(row.present, e.moment), us);
        EXPECT_EQ(notice.summary, row.summary) << row.name;
        EXPECT_EQ(notice.body, row.body) << row.name;
    }
    // Saturn's hour of the day before, at the same minute, is not the present one.
    EXPECT_FALSE(presentHourEnd(saturn, event("Saturn", "Hour", 9, 23).moment.addDays(-1)));
}

TEST(Notices, TheTooltipNamesTheProgramAndThePresentHour)
{
    const LocaleFacts gb = localeFor(QLocale::English, QLocale::UnitedKingdom);
    EXPECT_EQ(presentHourTip(QStringLiteral("Saturn"), QTime(9, 23, 40), QTime(10, 5, 12), gb),
              "Orlam\nHour of Saturn, 09:23 " + Dash + " 10:05");
    EXPECT_EQ(presentHourTip(QString(), QTime(), QTime(), gb), QStringLiteral("Orlam"));
}

} // namespace
} // namespace orlam
