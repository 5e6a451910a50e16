// What the desktop notices and the tray's tooltip say about an alarm and the present hour.
#include "../thelemic/calctestsupport.h"

#include "hours/eventlist.h"
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

const QTimeZone Chicago("America/Chicago");

// An instant given on Chicago's wall clock.
QDateTime chicago(int day, int hour, int minute, int second = 0)
{
    return QDateTime(QDate(2026, 6, day), QTime(hour, minute, second), Chicago).toUTC();
}

// The clock in Saturn's hour of Saturday 13 June 2026, 9:23:40 to 10:04:50 (10:05 to the minute).
CurrentHour saturnHour()
{
    CurrentHour present;
    present.CurrentRuler = QStringLiteral("Saturn");
    PlanetHour hour;
    hour.startUtc = chicago(13, 9, 23, 40);
    hour.endUtc = chicago(13, 10, 4, 50);
    present.hour = hour;
    return present;
}

TEST(Notices, AnAlarmSaysWhatHappensAndUntilWhen)
{
    const LocaleFacts us = localeFor(QLocale::English, QLocale::UnitedStates);
    const CurrentHour saturn = saturnHour();
    struct Row {
        const char *name;
        const char *body, *word;
        QDateTime at; // the event's instant
        CurrentHour present;
        QString summary, text;
    } rows[] = {
        // The alarm rings in the minute its instant rounds to, 9:24.
        {"the hour in force", "Saturn", "Hour", chicago(13, 9, 23, 40), saturn, "Hour of Saturn",
         "9:24 " + Dash + " 10:05 AM"},
        // An alarm that comes when the hours have moved on (or were never found) cannot say
        // when its hour ends, and does not borrow another hour's end.
        {"another hour", "Saturn", "Hour", chicago(13, 16, 40), saturn, "Hour of Saturn", "4:40 PM"},
        {"the same minute a day before", "Saturn", "Hour", chicago(12, 9, 23, 40), saturn, "Hour of Saturn",
         "9:24 AM"},
        {"hours unknown", "Venus", "Hour", chicago(13, 9, 23, 40), CurrentHour(), "Hour of Venus", "9:24 AM"},
        {"a rising", "Sun", "rises", chicago(13, 5, 26), saturn, "Sun rises", "5:26 AM"},
        {"a culmination", "Moon", "zeniths", chicago(13, 21, 2), CurrentHour(), "Moon zeniths", "9:02 PM"},
    };
    for (const Row &row : rows) {
        const QTime ringing = QDateTime::fromSecsSinceEpoch(alarmMinute(row.at) * 60, Chicago).time();
        const Notice notice = alarmNotice(QLatin1String(row.body), QLatin1String(row.word), ringing,
                                          presentHourEnd(row.present, row.at, Chicago), us);
        EXPECT_EQ(notice.summary, row.summary) << row.name;
        EXPECT_EQ(notice.body, row.text) << row.name;
    }
}

TEST(Notices, TheTooltipNamesTheProgramAndThePresentHour)
{
    const LocaleFacts gb = localeFor(QLocale::English, QLocale::UnitedKingdom);
    EXPECT_EQ(presentHourTip(saturnHour(), Chicago, gb), "Orlam\nHour of Saturn, 09:24 " + Dash + " 10:05");
    // The same hour on another wall clock.
    EXPECT_EQ(presentHourTip(saturnHour(), QTimeZone("Europe/London"), gb),
              "Orlam\nHour of Saturn, 15:24 " + Dash + " 16:05");
    EXPECT_EQ(presentHourTip(CurrentHour(), Chicago, gb), QStringLiteral("Orlam"));
}

} // namespace
} // namespace orlam
