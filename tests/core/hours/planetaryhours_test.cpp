#include "../thelemic/calctestsupport.h"

#include "common/clocktime.h"
#include "common/westerntext.h"
#include "hours/hoursspan.h"
#include "hours/planetaryhours.h"
#include "hours/planets.h"
#include "hours/riseset.h"
#include "settings/settings.h"
#include "shared/risesetformat.h"

namespace orlam {
namespace {

using test::localeFor;
using test::readBytes;
using test::showBytes;

const QTimeZone Utc = QTimeZone::utc();

QDateTime utc(int y, int m, int d, int h = 0, int min = 0, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s), Utc);
}

HorizonInstant event(const char *body, const char *word, const QDateTime &at)
{
    return {at, QString::fromLatin1(body), QString::fromLatin1(word)};
}

HoursPlace placeIn(const QTimeZone &zone)
{
    return {QStringLiteral("0E00"), QStringLiteral("51N30"), zone};
}

// Sunday 14 May 2000 on a clock at UTC: sunrise 6:00, sunset 18:00, next sunrise 6:00;
// Saturday's sunset 18:00 and sunrise 6:00.
QList<HorizonInstant> sundayEvents()
{
    return {
        event("Sun", "rises", utc(2000, 5, 13, 6)),     event("Sun", "sets", utc(2000, 5, 13, 18)),
        event("Sun", "nadirs", utc(2000, 5, 14, 0, 1)), event("Sun", "rises", utc(2000, 5, 14, 6)),
        event("Sun", "zeniths", utc(2000, 5, 14, 12)),  event("Sun", "sets", utc(2000, 5, 14, 18)),
        event("Sun", "rises", utc(2000, 5, 15, 6)),     event("Moon", "rises", utc(2000, 5, 14, 15, 30)),
        event("Moon", "sets", utc(2000, 5, 15, 2, 10)), // the next day's: not printed
        event("Moon", "zeniths", utc(2000, 5, 13, 20)), // the day before's: not printed
        event("Sun", "sets", utc(2000, 5, 15, 18)),     event("Sun", "rises", utc(2000, 5, 16, 6)),
    };
}

TEST(PlanetCycle, DaysStartThreePlacesOnAndTheTableIsConsistent)
{
    // Sunday Sun, Monday Moon, Tuesday Mars, Wednesday Mercury, Thursday Jupiter, Friday Venus,
    // Saturday Saturn (Qt numbers Monday 1 .. Sunday 7).
    const char *firsts[] = {"Moon", "Mars", "Mercury", "Jupiter", "Venus", "Saturn", "Sun"};
    for (int day = 1; day <= 7; ++day)
        EXPECT_EQ(planetName(firstRulerOfDay(day)), QLatin1String(firsts[day - 1])) << day;
    // Each tray image and each alarm flag belongs to exactly one planet.
    QSet<int> trays, alarms;
    for (const HourPlanet &planet : PlanetCycle) {
        trays.insert(planet.trayImage);
        alarms.insert(planet.alarmIndex);
        EXPECT_EQ(BodyKeys[planet.alarmIndex], QLatin1String(planet.name));
    }
    EXPECT_EQ(trays.size(), 7);
    EXPECT_EQ(alarms.size(), 7);
    EXPECT_EQ(PlanetCycle[*planetByName(QStringLiteral("Saturn"))].trayImage, 0);
    EXPECT_EQ(PlanetCycle[*planetByName(QStringLiteral("Moon"))].trayImage, 6);
    EXPECT_FALSE(planetByName(QStringLiteral("sun")).has_value());
}

TEST(PlanetaryHours, SundayRulersFileAndReport)
{
    const LocaleFacts us = localeFor(QLocale::English, QLocale::UnitedStates);
    const QDate sunday(2000, 5, 14);
    const HoursSpan span = HoursSpan::fromEvents(placeIn(Utc), sunday, sunday, sundayEvents());
    const BaseDayHours *day = span.day(sunday);
    ASSERT_NE(day, nullptr);
    ASSERT_TRUE(day->valid());
    ASSERT_EQ(span.days().size(), 2u) << "the day before is there for its night";
    QStringList rulers;
    for (const PlanetHour &hour : day->hours) {
        EXPECT_EQ(hour.startUtc.secsTo(hour.endUtc), 3600) << hour.startUtc.toString().toStdString();
        rulers << planetName(hour.ruler);
    }
    EXPECT_EQ(rulers.join(QLatin1Char(' ')),
              QStringLiteral("Sun Venus Mercury Moon Saturn Jupiter Mars Sun Venus Mercury Moon Saturn "
                             "Jupiter Mars Sun Venus Mercury Moon Saturn Jupiter Mars Sun Venus Mercury"));
    EXPECT_EQ(day->hours[12].startUtc, utc(2000, 5, 14, 18));
    EXPECT_EQ(day->hours[23].endUtc, utc(2000, 5, 15, 6));

    const QByteArray golden = readBytes(QStringLiteral(ORLAM_TEST_DATA "/hours/hl_sunday.txt"));
    ASSERT_FALSE(golden.isEmpty());
    EXPECT_EQ(showBytes(hoursFileBytes(*day, Utc, us)), showBytes(golden));

    const QStringList report = hoursReport(span, sunday, QStringLiteral("ddddd \"e.v. \""), us);
    ASSERT_EQ(report.size(), 43);
    // The times right-aligned in one column, "12:00 PM" the widest.
    const std::pair<int, const char *> lines[] = {
        {0, "Planetary Hours"},
        {1, " "},
        {2, "Sunrise: 5/14/2000 e.v. "},
        {3, "Hours of the Day"},
        {4, " 6:00 AM Sun"},
        {10, "12:00 PM Mars"},
        {15, " 5:00 PM Saturn"},
        {17, "Sunset 5/14/2000 e.v. "},
        {19, " 6:00 PM Jupiter"},
        {30, " 5:00 AM Mercury"},
        {31, ""},
        {32, "Hours of Light 12:00  Hours of Darkness 12:00"},
        {34, "Sun   Nadir 12:01 AM"},
        {35, "Sun    Rise  6:00 AM"},
        {38, " "},
        {39, "Moon  Nadir"}, // never found
        {40, "Moon   Rise  3:30 PM"},
        {41, "Moon Zenith"}, // the day before's
        {42, "Moon    Set"}, // the next day's
    };
    for (const auto &[index, text] : lines)
        EXPECT_EQ(report[index], QString::fromUtf8(text)) << index;

    // Under a locale with the full stop as its separators, the file and line 33 follow them.
    const LocaleFacts finnish = localeFor(QLocale::Finnish, QLocale::Finland);
    EXPECT_EQ(hourLine(day->hours[0], Utc, finnish),
              QStringLiteral("(Sun) 05.14.2000 06.00am Sun           Hour"));
    EXPECT_EQ(hoursReport(span, sunday, QStringLiteral("ddddd"), finnish)[32],
              QStringLiteral("Hours of Light 12.00  Hours of Darkness 12.00"));
}

TEST(PlanetaryHours, CurrentHourThroughTheDayAndTheNightBefore)
{
    const LocaleFacts us = localeFor(QLocale::English, QLocale::UnitedStates);
    const QDate sunday(2000, 5, 14);
    const HoursSpan span = HoursSpan::fromEvents(placeIn(Utc), sunday, sunday, sundayEvents());
    QList<HorizonInstant> withoutSaturday = sundayEvents();
    withoutSaturday.removeFirst();
    withoutSaturday.removeFirst();
    const HoursSpan noNightBefore = HoursSpan::fromEvents(placeIn(Utc), sunday, sunday, withoutSaturday);

    struct Row {
        const char *name;
        const HoursSpan &span;
        QDateTime now;
        const char *text;
        int tray;
    };
    const Row rows[] = {
        {"at the start of day hour 3", span, utc(2000, 5, 14, 9), " [Hour of Moon 9:00 AM-10:00 AM]", 6},
        {"a second before it", span, utc(2000, 5, 14, 8, 59, 59), " [Hour of Mercury 8:00 AM-9:00 AM]", 5},
        {"at sunrise", span, utc(2000, 5, 14, 6), " [Hour of Sun 6:00 AM-7:00 AM]", 3},
        {"at sunset", span, utc(2000, 5, 14, 18), " [Hour of Jupiter 6:00 PM-7:00 PM]", 1},
        {"in the twelfth hour of the night", span, utc(2000, 5, 15, 5, 59),
         " [Hour of Mercury 5:00 AM-6:00 AM]", 5},
        // Saturday's night goes on after midnight: its tenth hour is Saturn's.
        {"after midnight before sunrise", span, utc(2000, 5, 14, 3, 30), " [Hour of Saturn 3:00 AM-4:00 AM]",
         0},
        {"after midnight, no Saturday sunset known", noNightBefore, utc(2000, 5, 14, 3, 30),
         " [Hour not available: no sunrise]", -1},
        {"past the span", span, utc(2000, 5, 17, 12), HourNotAvailableText, -1},
    };
    for (const Row &row : rows) {
        const CurrentHour current = currentHour(row.span, row.now, us);
        EXPECT_EQ(current.HourText, QLatin1String(row.text)) << row.name;
        EXPECT_EQ(current.trayImage, row.tray) << row.name;
        EXPECT_EQ(current.CurrentRuler.isEmpty(), row.tray < 0) << row.name;
    }
    // The rulers are those of the base day's weekday, whatever date the instant has.
    EXPECT_EQ(span.hourAt(utc(2000, 5, 15, 0, 30))->ruler, *planetByName(QStringLiteral("Saturn")));
    EXPECT_EQ(span.hourAt(utc(2000, 5, 15, 0, 30))->baseDay, sunday);
}

// Which days have hours, from sunrise S, the first sunset T after it and the next sunrise S',
// wherever local midnight falls.
TEST(PlanetaryHours, ValidityFollowsTheEventsNotMidnight)
{
    const QTimeZone reykjavik("Atlantic/Reykjavik");
    const QTimeZone tromso("Europe/Oslo");
    struct Row {
        const char *name;
        QTimeZone zone;
        QDate day;
        QList<HorizonInstant> events;
        NoHours expected;
    };
    const Row rows[] = {
        {"sunset after local midnight",
         reykjavik,
         {2026, 6, 21},
         {event("Sun", "sets", utc(2026, 6, 21, 0, 3)), event("Sun", "rises", utc(2026, 6, 21, 2, 55)),
          event("Sun", "sets", utc(2026, 6, 22, 0, 4)), event("Sun", "rises", utc(2026, 6, 22, 2, 56))},
         NoHours::None},
        {"the set after midnight, the rise soon after",
         tromso,
         {2026, 5, 17},
         {event("Sun", "rises", utc(2026, 5, 16, 23, 40)), event("Sun", "sets", utc(2026, 5, 17, 22, 20)),
          event("Sun", "rises", utc(2026, 5, 17, 23, 18))},
         NoHours::None},
        {"midnight sun: a rise, then no set",
         tromso,
         {2026, 5, 18},
         {event("Sun", "rises", utc(2026, 5, 17, 23, 18))},
         NoHours::NoSunset},
        {"polar night: no rise at all",
         tromso,
         {2026, 12, 10},
         {event("Sun", "zeniths", utc(2026, 12, 10, 10, 50))},
         NoHours::NoSunrise},
        {"the last sunset before the polar night",
         tromso,
         {2026, 11, 26},
         {event("Sun", "rises", utc(2026, 11, 26, 10, 0)), event("Sun", "sets", utc(2026, 11, 26, 11, 0)),
          event("Sun", "rises", utc(2027, 1, 15, 11, 0))},
         NoHours::NoSunrise},
        {"a rise again before any set",
         tromso,
         {2026, 5, 20},
         {event("Sun", "rises", utc(2026, 5, 20, 0, 10)), event("Sun", "rises", utc(2026, 5, 20, 23, 50)),
          event("Sun", "sets", utc(2026, 5, 21, 0, 20))},
         NoHours::NoSunset},
    };
    for (const Row &row : rows) {
        const HoursSpan span = HoursSpan::fromEvents(placeIn(row.zone), row.day, row.day, row.events);
        const BaseDayHours *day = span.day(row.day);
        ASSERT_NE(day, nullptr) << row.name;
        EXPECT_EQ(day->noHours, row.expected) << row.name;
        if (day->valid()) {
            EXPECT_LT(day->sunRise, day->sunSet) << row.name;
            EXPECT_LT(day->sunSet, day->nextSunRise) << row.name;
            EXPECT_EQ(day->hours[23].endUtc, day->nextSunRise) << row.name;
        }
    }
    EXPECT_EQ(noHoursText(NoHours::NoSunrise), QStringLiteral("no sunrise"));
    EXPECT_EQ(noHoursText(NoHours::NoSunset), QStringLiteral("no sunset"));
}

// Chicago, the nights the clocks change: hours are equal shares of elapsed time and each start is
// printed with the offset in force at its own instant.
TEST(PlanetaryHours, DaylightSavingNightsDivideElapsedTime)
{
    const LocaleFacts us = localeFor(QLocale::English, QLocale::UnitedStates);
    const QTimeZone chicago("America/Chicago");
    struct Row {
        const char *name;
        QDate day;
        QDateTime rise, set, next; // instants
        qint64 darknessMinutes;
        int hour;            // a night hour
        const char *printed; // its start on the wall clock
    };
    const Row rows[] = {
        // Clocks go forward at 2:00 on 8 March 2026: the night is an hour shorter than the clock says.
        {"spring",
         {2026, 3, 7},
         utc(2026, 3, 7, 12, 20),
         utc(2026, 3, 7, 23, 50),
         utc(2026, 3, 8, 12, 21),
         12 * 60 + 31,
         20,
         "3:11 AM"},
        // Clocks go back at 2:00 on 1 November 2026.
        {"autumn",
         {2026, 10, 31},
         utc(2026, 10, 31, 12, 30),
         utc(2026, 10, 31, 23, 0),
         utc(2026, 11, 1, 12, 32),
         13 * 60 + 32,
         20,
         "2:01 AM"},
    };
    for (const Row &row : rows) {
        const HoursSpan span =
            HoursSpan::fromEvents(placeIn(chicago), row.day, row.day,
                                  {event("Sun", "rises", row.rise), event("Sun", "sets", row.set),
                                   event("Sun", "rises", row.next)});
        const BaseDayHours *day = span.day(row.day);
        ASSERT_TRUE(day && day->valid()) << row.name;
        EXPECT_EQ(day->darknessSecs(), row.darknessMinutes * 60) << row.name;
        for (int k = 12; k < 23; ++k)
            EXPECT_EQ(day->hours[k].startUtc.secsTo(day->hours[k].endUtc), row.darknessMinutes * 5)
                << row.name << k;
        // (Trimmed: the report right-aligns the times.)
        EXPECT_EQ(hoursReport(span, row.day, QStringLiteral("ddddd"), us)[row.hour + 7].trimmed(),
                  QLatin1String(row.printed) + QLatin1Char(' ') + planetName(day->hours[row.hour].ruler))
            << row.name;
        const QDateTime middle = day->hours[row.hour].startUtc.addSecs(row.darknessMinutes * 5 / 2);
        EXPECT_EQ(span.hourAt(middle)->index(), row.hour) << row.name;
    }
}

TEST(PlanetaryHours, PrintedTimesAreRoundedToTheNearestMinute)
{
    const LocaleFacts us = localeFor(QLocale::English, QLocale::UnitedStates);
    struct Row {
        QDateTime at;
        const char *shown;
    };
    const Row rows[] = {
        {utc(2026, 6, 15, 6, 36, 29), "06:36"},
        {utc(2026, 6, 15, 6, 36, 30), "06:37"},
        {utc(2026, 6, 15, 23, 59, 31), "00:00"},
        {QDateTime(QDate(1969, 12, 31), QTime(23, 59, 40), Utc), "00:00"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(placeMinute(row.at, Utc).toString(QStringLiteral("HH:mm")), QLatin1String(row.shown))
            << row.at.toString(Qt::ISODate).toStdString();
    EXPECT_EQ(placeMinute(utc(2026, 6, 15, 23, 59, 31), Utc).date(), QDate(2026, 6, 16));
    // Lengths are the differences of the printed times.
    EXPECT_EQ(hoursMinutesText((13 * 60 + 59) * 60LL + 59, us), QStringLiteral("13:59"));
    EXPECT_EQ(hoursMinutesText((24 * 60 + 70) * 60LL, us), QStringLiteral("1:10"));
}

// Report lines become instants at once: the line's clock less the job's offset.
TEST(HorizonLine, ReportLinesBecomeInstants)
{
    const auto line = [](const char *date, const char *time, const char *body, const char *word,
                         const char *seconds = nullptr) {
        QString text = test::eventLine(QString::fromLatin1(date), QString::fromLatin1(time),
                                       QString::fromLatin1(body), QString::fromLatin1(word));
        if (seconds)
            text = text.leftJustified(48, QLatin1Char(' ')) + QLatin1String(seconds);
        return text;
    };
    struct Row {
        const char *name;
        QString line;
        double hoursWest;
        bool dayFirst;
        QDateTime expected; // invalid: not an event
        const char *word;
    };
    const Row rows[] = {
        {"standard time six hours west", line(" 3/14/2027", " 6:04am", "Sun", "rises"), 6, false,
         utc(2027, 3, 14, 12, 4), "rises"},
        {"daylight job: five hours west", line(" 3/14/2027", " 7:04am", "Sun", "rises"), 5, false,
         utc(2027, 3, 14, 12, 4), "rises"},
        {"seconds field", line(" 3/14/2027", " 6:04am", "Sun", "rises", "06:04:21"), 6, false,
         utc(2027, 3, 14, 12, 4, 21), "rises"},
        {"seconds of the day before the rounded minute",
         line(" 3/14/2027", "12:00am", "Sun", "nadirs", "23:59:55"), 6, false, utc(2027, 3, 14, 5, 59, 55),
         "nadirs"},
        {"east of Greenwich, day first", line("5-4-2026", " 6:36am", "Sun", "rises"), -12, true,
         utc(2026, 4, 4, 18, 36), "rises"},
        {"a Node line is an event too", line(" 3/14/2027", " 9:00pm", "Node", "sets"), 6, false,
         utc(2027, 3, 15, 3, 0), "sets"},
        {"two-digit hour after noon", line(" 3/14/2027", "11:59pm", "Moon", "sets"), 6, false,
         utc(2027, 3, 15, 5, 59), "sets"},
        {"half past noon", line("12/31/2026", "12:30pm", "Moon", "zeniths"), 0, false,
         utc(2026, 12, 31, 12, 30), "zeniths"},
        // Shapes the engine does not write are read by the general reader all the same.
        {"upper-case AM", line(" 3/14/2027", " 6:04AM", "Sun", "rises"), 6, false, utc(2027, 3, 14, 12, 4),
         "rises"},
        {"a date with full stops, day first", line("14.3.2027", " 6:04am", "Sun", "rises"), 6, true,
         utc(2027, 3, 14, 12, 4), "rises"},
        {"an unreadable seconds field leaves the minute",
         line(" 3/14/2027", " 6:04am", "Sun", "rises", "06:0x:21"), 6, false, utc(2027, 3, 14, 12, 4),
         "rises"},
        {"no such hour", line(" 3/14/2027", "13:04pm", "Sun", "rises"), 6, false, QDateTime(), ""},
        {"no such day", line(" 2/30/2027", " 6:04am", "Sun", "rises"), 6, false, QDateTime(), ""},
        {"no such day, day first", line("30-2-2027", " 6:04am", "Sun", "rises"), 6, true, QDateTime(), ""},
        {"no event word", line(" 3/14/2027", " 9:00pm", "Sun", ""), 6, false, QDateTime(), ""},
        {"no time", QStringLiteral("(Sun)  3/14/2027"), 6, false, QDateTime(), ""},
    };
    for (const Row &row : rows) {
        const std::optional<HorizonInstant> read = readHorizonLine(row.line, row.hoursWest, row.dayFirst);
        ASSERT_EQ(read.has_value(), row.expected.isValid()) << row.name;
        if (read) {
            EXPECT_EQ(read->utc, row.expected) << row.name;
            EXPECT_EQ(read->word, QLatin1String(row.word)) << row.name;
            EXPECT_EQ(read->body, row.line.mid(riseset::BodyColumn, riseset::BodyWidth).trimmed())
                << row.name;
        }
    }
}

// The two readers of a report line give the same event, or both none.
void expectSameEvent(const std::optional<HorizonInstant> &fromBytes,
                     const std::optional<HorizonInstant> &fromText, const char *name)
{
    ASSERT_EQ(fromBytes.has_value(), fromText.has_value()) << name;
    if (!fromText)
        return;
    EXPECT_EQ(fromBytes->utc, fromText->utc) << name;
    EXPECT_EQ(fromBytes->utc.timeSpec(), Qt::UTC) << name;
    EXPECT_EQ(fromBytes->body, fromText->body) << name;
    EXPECT_EQ(fromBytes->word, fromText->word) << name;
}

// A report's bytes read as the engine writes them, and every other shape as its text reads:
// bytes beyond ASCII in the Western code page, where the text reader sees other characters.
TEST(HorizonLine, ReportBytesReadAsTheirText)
{
    const QByteArray plain = "(Sun)  3/14/2027  6:04am     Sun       rises";
    struct Row {
        const char *name;
        QByteArray line;
        bool dayFirst;
        bool event; // whether the line holds one
    };
    const Row rows[] = {
        {"the engine's line", plain + "    06:04:21", false, true},
        {"without seconds", plain, false, true},
        {"seconds of the day before the rounded minute",
         "(Sun)  3/14/2027 12:00am     Sun       nadirs   23:59:55", false, true},
        {"seconds after the rounded midnight", "(Sat)  3/13/2027 11:59pm    Moon       sets     00:00:02",
         false, true},
        {"day first", "(Sat)   4-5-2026  6:36am     Sun       rises    06:35:40", true, true},
        {"a Node line", "(Sun)  3/14/2027  9:00pm    Node       sets", false, true},
        {"no-break spaces around the body", "(Sun)  3/14/2027  6:04am   \xA0 Sun\xA0      rises", false,
         true},
        {"a body that begins with an ellipsis", "(Sun)  3/14/2027  6:04am    \x85Sun       rises", false,
         true},
        {"a tab before the body", "(Sun)  3/14/2027  6:04am  \t  Sun       rises", false, true},
        {"upper-case AM", "(Sun)  3/14/2027  6:04AM     Sun       rises", false, true},
        {"a date with full stops", "(Sun) 14.3.2027   6:04am     Sun       rises", true, true},
        {"a euro sign in the date",
         "(Sun)  3/14/20\x80"
         "7  6:04am     Sun       rises",
         false, false},
        {"a superscript two in the seconds", plain + "    06:0\xB2:21", false, true},
        {"seconds that are no time of day", plain + "    25:04:21", false, true},
        {"letters in the seconds", plain + "    06:0x:21", false, true},
        {"an event word before its column", "sets)  3/14/2027  6:04am     Sun       sets", false, false},
        {"no event word", "(Sun)  3/14/2027  6:04am     Sun", false, false},
        {"no body", "(Sun)  3/14/2027  6:04am               rises", false, false},
        {"no such day", "(Sun)  2/30/2027  6:04am     Sun       rises", false, false},
        {"no time", "(Sun)  3/14/2027", false, false},
        {"empty", "", false, false},
    };
    for (const Row &row : rows) {
        const std::optional<HorizonInstant> fromBytes =
            readHorizonLine(QByteArrayView(row.line), 6, row.dayFirst);
        expectSameEvent(fromBytes, readHorizonLine(fromWestern(row.line), 6, row.dayFirst), row.name);
        EXPECT_EQ(fromBytes.has_value(), row.event) << row.name;
    }
}

// A whole report read from its bytes gives the events of its lines, whatever ends them.
TEST(HorizonLine, AReportsBytesGiveTheEventsOfItsLines)
{
    const QByteArray report = readBytes(QStringLiteral(ORLAM_TEST_DATA "/engine/golden/risesetspan.txt"));
    QList<HorizonInstant> expected;
    for (const QString &line : splitLines(fromWestern(report)))
        if (std::optional<HorizonInstant> e = readHorizonLine(line, 5, false))
            expected.append(*e);
    ASSERT_EQ(expected.size(), report.count("\r\n")) << "every line of the engine's report is an event";

    QByteArray lf = report;
    lf.replace("\r\n", "\n");
    QByteArray cr = report;
    cr.replace("\r\n", "\r");
    const std::pair<const char *, QByteArray> forms[] = {
        {"CR LF", report}, {"LF", lf}, {"CR", cr}, {"no end after the last line", report.chopped(2)}};
    for (const auto &[name, bytes] : forms) {
        QList<HorizonInstant> read;
        readHorizonReport(bytes, 5, false, &read);
        ASSERT_EQ(read.size(), expected.size()) << name;
        for (qsizetype i = 0; i < read.size(); ++i)
            expectSameEvent(read[i], expected[i], name);
    }
}

TEST(HoursSpan, EventsOfOverlappingReportsCountOnce)
{
    const QTimeZone chicago("America/Chicago");
    const QDate sunday(2027, 3, 14);
    // Two reports of a change night: each event twice, once a few seconds apart (a report with
    // seconds, one without).
    QList<HorizonInstant> events;
    for (int copy = 0; copy < 2; ++copy) {
        events << event("Sun", "nadirs", utc(2027, 3, 14, 6, 0, copy ? 0 : 11))
               << event("Sun", "rises", utc(2027, 3, 14, 12, 4, copy ? 0 : 21))
               << event("Sun", "sets", utc(2027, 3, 14, 23, 56))
               << event("Sun", "rises", utc(2027, 3, 15, 12, 3))
               << event("Sun", "rises", utc(2027, 3, 13, 12, 6))
               << event("Sun", "sets", utc(2027, 3, 13, 23, 55));
    }
    const HoursSpan span = HoursSpan::fromEvents(placeIn(chicago), sunday, sunday, events);
    EXPECT_EQ(span.events().size(), 6);
    const QList<HorizonInstant> on = span.eventsOn(sunday);
    ASSERT_EQ(on.size(), 3) << "the nadir, the rise and the set of the Sunday";
    EXPECT_EQ(placeMinute(on[1].utc, chicago).time(), QTime(7, 4)) << "sunrise on daylight time";
    EXPECT_EQ(placeMinute(on[0].utc, chicago).time(), QTime(0, 0)) << "the nadir on standard time";
    ASSERT_TRUE(span.day(sunday)->valid());
    EXPECT_EQ(planetName(span.day(sunday)->hours[0].ruler), QStringLiteral("Sun"));
}

// The wall clock of the settings' place: its own zone by name, else the computer's under System
// Locale Settings, else the fixed offset of "Time Zone" (an hour ahead under Daylight Time).
TEST(HoursSpan, PlaceZoneOfTheSettings)
{
    const QTimeZone computer("Asia/Tokyo");
    struct Row {
        const char *name;
        const char *zoneName;
        int timeMode;
        const char *timeZone;
        QTimeZone expected;
    };
    const Row rows[] = {
        {"named zone", "Europe/Berlin", 0, "6", QTimeZone("Europe/Berlin")},
        {"named zone under System Locale Settings", "America/Chicago", 2, "6", QTimeZone("America/Chicago")},
        {"unknown name, System Locale Settings", "Europe/Berln", 2, "6", computer},
        {"no name, standard time", "", 0, "6", QTimeZone(-6 * 3600)},
        {"no name, daylight time", "", 1, "6", QTimeZone(-5 * 3600)},
        {"no name, hours and minutes east", "", 0, "-5:30", QTimeZone(5 * 3600 + 1800)},
        {"no name, a zone text that does not read", "", 0, "six", computer},
    };
    for (const Row &row : rows) {
        TSettings settings;
        settings.ZoneName = QString::fromLatin1(row.zoneName);
        settings.TimeMode = row.timeMode;
        settings.TimeZone = QString::fromLatin1(row.timeZone);
        const QTimeZone zone = placeZone(settings, computer);
        const QDateTime at(QDate(2026, 7, 1), QTime(12, 0), Utc);
        EXPECT_EQ(zone.offsetFromUtc(at), row.expected.offsetFromUtc(at)) << row.name;
        EXPECT_EQ(zone.id(), row.expected.id()) << row.name;
    }
}

TEST(ReportLineMoment, EngineFormsWhateverTheLocale)
{
    const auto line = [](const char *date, const char *time) {
        return test::eventLine(QString::fromLatin1(date), QString::fromLatin1(time), QStringLiteral("Sun"),
                               QStringLiteral("rises"));
    };
    struct Row {
        const char *name;
        QString line;
        bool dayFirst;
        QDateTime expected; // invalid: does not read
    };
    const Row rows[] = {
        {"month first, blanks", line(" 5/16/2000", " 7:05pm"), false, clockTime(2000, 5, 16, 19, 5)},
        {"day first", line("16- 5-2000", " 7:05am"), true, clockTime(2000, 5, 16, 7, 5)},
        {"an hour line with full stops", line("05.16.2000", "07.05pm"), false, clockTime(2000, 5, 16, 19, 5)},
        {"midnight", line(" 5/16/2000", "12:00am"), false, clockTime(2000, 5, 16, 0, 0)},
        {"noon", line(" 5/16/2000", "12:30pm"), false, clockTime(2000, 5, 16, 12, 30)},
        {"no such day", line("13/16/2000", " 7:05pm"), false, QDateTime()},
        {"no such hour", line(" 5/16/2000", "13:05pm"), false, QDateTime()},
        {"short line", QStringLiteral("(Mon) 5/16"), false, QDateTime()},
    };
    for (const Row &row : rows) {
        const std::optional<QDateTime> moment = ReportLineMoment(row.line, row.dayFirst);
        EXPECT_EQ(moment.has_value(), row.expected.isValid()) << row.name;
        if (moment && row.expected.isValid()) {
            EXPECT_EQ(*moment, row.expected) << row.name;
        }
    }

    // A locale that writes dates year first reads the engine's month-first reports.
    const LocaleFacts japanese =
        LocaleFacts::make(QLocale(QStringLiteral("ja_JP")), QTimeZone("Asia/Tokyo"), QDate(2026, 6, 15));
    test::RecordingSink sink;
    TRiseSetTable table;
    EXPECT_TRUE(
        readRiseSetLines(QStringList{line(" 6/15/2026", " 4:26am")},
                         QStringList{line(" 6/16/2026", " 4:26am")}, japanese, table, sink,
                         QStringList{test::eventLine(QStringLiteral(" 6/14/2026"), QStringLiteral(" 7:00pm"),
                                                     QStringLiteral("Sun"), QStringLiteral("sets"))}));
    EXPECT_TRUE(sink.messages.isEmpty());
    EXPECT_EQ(table.SunRise, clockTime(2026, 6, 15, 4, 26));
    EXPECT_EQ(table.NextSunRise, clockTime(2026, 6, 16, 4, 26));
    EXPECT_EQ(table.PrevSunSet, clockTime(2026, 6, 14, 19, 0));
}

} // namespace
} // namespace orlam
