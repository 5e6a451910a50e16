#include "../thelemic/calctestsupport.h"

#include "hours/alarmclock.h"
#include "hours/eventlist.h"
#include "hours/planets.h"
#include "settings/settings.h"

namespace orlam {
namespace {

const QTimeZone Chicago("America/Chicago");

QDateTime at(int y, int m, int d, int h, int min, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s), Chicago).toUTC();
}

// A base day whose sunrise, sunset and next sunrise are given: its 24 hours in equal shares.
PlaceDay dayOf(QDate date, const QDateTime &rise, const QDateTime &set, const QDateTime &nextRise)
{
    PlaceDay day;
    day.date = date;
    day.hasHours = true;
    const int first = firstRulerOfDay(date.dayOfWeek());
    for (int h = 0; h < 24; ++h) {
        const bool night = h >= 12;
        const QDateTime from = night ? set : rise;
        const qint64 share = from.msecsTo(night ? nextRise : set) / 12;
        PlaceHour hour;
        hour.start = from.addMSecs(share * (h % 12));
        hour.end = h % 12 == 11 ? (night ? nextRise : set) : from.addMSecs(share * (h % 12 + 1));
        hour.ruler = (first + h) % PlanetCycleLength;
        hour.night = night;
        hour.number = h % 12;
        hour.baseDay = date;
        day.hours.append(hour);
    }
    return day;
}

// 14 and 15 June 2026 in Chicago, with a few events of every kind.
PlaceFacts juneFacts()
{
    PlaceFacts facts;
    facts.days << dayOf(QDate(2026, 6, 14), at(2026, 6, 14, 5, 26), at(2026, 6, 14, 20, 50),
                        at(2026, 6, 15, 5, 26, 20))
               << dayOf(QDate(2026, 6, 15), at(2026, 6, 15, 5, 26, 20), at(2026, 6, 15, 20, 50, 40),
                        at(2026, 6, 16, 5, 26, 40));
    facts.events = {
        {at(2026, 6, 15, 5, 26, 20), QStringLiteral("Sun"), QStringLiteral("rises")},
        {at(2026, 6, 15, 9, 0), QStringLiteral("Moon"), QStringLiteral("rises")},
        {at(2026, 6, 15, 13, 9, 40), QStringLiteral("Sun"), QStringLiteral("zeniths")},
        {at(2026, 6, 15, 14, 0), QStringLiteral("Node"), QStringLiteral("rises")},
        {at(2026, 6, 15, 15, 0), QStringLiteral("Chiron"), QStringLiteral("rises")},
        {at(2026, 6, 16, 5, 26, 40), QStringLiteral("Sun"), QStringLiteral("rises")},
        {at(2026, 6, 18, 5, 27), QStringLiteral("Sun"), QStringLiteral("rises")}, // three days on
    };
    return facts;
}

std::string describe(const EventList &list)
{
    QStringList rows;
    for (const EventEntry &entry : list.entries)
        rows << entry.moment.toString(QStringLiteral("MM-dd hh:mm ")) + entry.body + QLatin1Char(' ') +
                    entry.word + (entry.checked ? QStringLiteral(" [x]") : QString()) +
                    (entry.fired ? QStringLiteral(" fired") : QString()) +
                    (entry.missed ? QStringLiteral(" missed") : QString());
    return rows.join(QLatin1Char('\n')).toStdString();
}

AlarmChoices sunOnly()
{
    AlarmChoices choices;
    choices.riseSet[0] = true; // Sun
    choices.hour[0] = true;    // the Sun's hours
    return choices;
}

TEST(EventList, BuildTakesLastNightTodayAndTheChosenEventsFromTheMinuteOn)
{
    const LocaleFacts us = test::localeFor(QLocale::English, QLocale::UnitedStates);
    const LocaleFacts de = test::localeFor(QLocale::German, QLocale::Germany);
    struct Row {
        const char *name;
        QDateTime now;
        AlarmChoices choices;
        const char *expected;
    };
    AlarmChoices moonToo = sunOnly();
    moonToo.riseSet[1] = true;
    moonToo.hour[1] = true;
    const Row rows[] = {
        // Before sunrise: the rest of last night (a Sunday's night: its 8th hour is the Sun's)
        // then today; the zenith at 13:09:40 rings at 13:10, its rounded minute.
        {"night start", at(2026, 6, 15, 2, 0), sunOnly(),
         "06-15 03:17 Sun Hour\n06-15 05:26 Sun rises\n06-15 10:34 Sun Hour\n06-15 13:10 Sun zeniths\n06-15 "
         "15:00 Chiron rises\n"
         "06-15 19:34 Sun Hour\n06-16 01:09 Sun Hour\n06-16 05:27 Sun rises"},
        // The present minute stays, so the tick that follows the build fires it; the Node never
        // comes, a body without a flag always does.
        {"midday with the Moon", at(2026, 6, 15, 13, 10, 30), moonToo,
         "06-15 13:10 Sun zeniths\n06-15 14:26 Moon Hour\n06-15 15:00 Chiron rises\n06-15 19:34 Sun Hour\n"
         "06-15 22:17 Moon Hour\n06-16 01:09 Sun Hour\n06-16 03:18 Moon Hour\n06-16 05:27 Sun rises"},
        {"a minute later", at(2026, 6, 15, 13, 11), sunOnly(),
         "06-15 15:00 Chiron rises\n06-15 19:34 Sun Hour\n06-16 01:09 Sun Hour\n06-16 05:27 Sun rises"},
    };
    for (const Row &row : rows) {
        const EventList list = buildEventList(juneFacts(), row.choices, row.now, Chicago, us);
        EXPECT_EQ(describe(list), std::string(row.expected)) << row.name;
        EXPECT_EQ(list.builtOn, QDate(2026, 6, 15)) << row.name;
        EXPECT_EQ(list.builtOffset, -5 * 3600) << row.name;
    }

    // The rows read as the reports and "hl.txt" write them; dates in the locale's order.
    const EventList list = buildEventList(juneFacts(), sunOnly(), at(2026, 6, 15, 2, 0), Chicago, us);
    EXPECT_EQ(list.entries[0].line.toStdString(), "(Mon) 06/15/2026 03:17am Sun           Hour");
    EXPECT_EQ(list.entries[1].line.toStdString(), "(Mon) 06/15/2026 05:26am     Sun       rises");
    const EventList german = buildEventList(juneFacts(), sunOnly(), at(2026, 6, 15, 2, 0), Chicago, de);
    EXPECT_EQ(german.entries[1].line.toStdString(), "(Mon) 15.06.2026 05:26am     Sun       rises");
}

TEST(EventList, RebuildCarriesMarksOfTheSamePlaceAndNeverTwice)
{
    const LocaleFacts us = test::localeFor(QLocale::English, QLocale::UnitedStates);
    AlarmChoices all;
    all.hour.fill(true);
    all.riseSet.fill(true);
    EventList old = buildEventList(juneFacts(), all, at(2026, 6, 15, 13, 0), Chicago, us);
    ASSERT_GE(old.size(), 10);
    // The zenith's minute came (it fired); the user silenced the next row; the row after it was
    // passed over unheard (a jump).
    old.entries[1].fired = old.entries[1].checked = true;
    old.entries[2].checked = true;
    const QString silenced = old.entries[2].body + QLatin1Char(' ') + old.entries[2].word;
    // An event the new facts lack (an earlier run placed it): still to come, it stays.
    EventEntry extra = old.entries[3];
    extra.at = at(2026, 6, 15, 23, 30);
    extra.body = QStringLiteral("Mars");
    extra.word = QStringLiteral("rises");
    old.entries.append(extra);

    const QDateTime now = at(2026, 6, 15, 13, 10, 50); // the zenith's minute: it has fired
    const EventList rebuilt = buildEventList(juneFacts(), all, now, Chicago, us, &old);
    const QString rows = QString::fromStdString(describe(rebuilt));
    EXPECT_TRUE(rows.contains(QLatin1String("06-15 13:10 Sun zeniths [x] fired")));
    EXPECT_TRUE(rows.contains(silenced + QStringLiteral(" [x]")));
    EXPECT_TRUE(rows.contains(QLatin1String("06-15 23:30 Mars rises")));
    EXPECT_EQ(rows.split(QLatin1Char('\n')).removeDuplicates(), 0);
    EXPECT_TRUE(dueEvents(rebuilt, now).isEmpty()) << "the zenith does not ring twice";

    // A jump over events: a tick marks them missed once; a build that comes first keeps them
    // once more, marked missed, and the build after it drops them.
    const QDateTime jump = at(2026, 6, 15, 16, 0);
    EventList ticked = rebuilt;
    const QList<int> missed = markMissedEvents(ticked, jump);
    ASSERT_FALSE(missed.isEmpty());
    for (int i : missed)
        EXPECT_TRUE(ticked.entries[i].missed);
    EXPECT_TRUE(markMissedEvents(ticked, jump).isEmpty()) << "marked once";
    EXPECT_TRUE(dueEvents(ticked, jump).isEmpty());
    const EventList carried = buildEventList(juneFacts(), all, jump, Chicago, us, &rebuilt);
    EXPECT_NE(describe(carried).find("06-15 15:00 Chiron rises missed"), std::string::npos);
    const EventList next = buildEventList(juneFacts(), all, jump, Chicago, us, &carried);
    EXPECT_EQ(describe(next).find("missed"), std::string::npos);
}

TEST(EventList, HourInForceAndWhyThereIsNone)
{
    const LocaleFacts us = test::localeFor(QLocale::English, QLocale::UnitedStates);
    PlaceFacts polar;
    PlaceDay night;
    night.date = QDate(2026, 12, 20);
    night.noSunrise = true;
    PlaceDay midnightSun;
    midnightSun.date = QDate(2026, 6, 20);
    midnightSun.noSunset = true;
    polar.days << night << midnightSun;
    struct Row {
        const char *name;
        PlaceFacts facts;
        QDateTime now;
        std::string text;
        int tray;
    };
    const Row rows[] = {
        // A Monday's first hour is the Moon's, from sunrise at 5:26:20 (printed 5:26).
        {"first hour", juneFacts(), at(2026, 6, 15, 5, 26, 20), " [Hour of Moon 5:26 AM-6:43 AM]", 6},
        {"last night's hour", juneFacts(), at(2026, 6, 15, 2, 0), " [Hour of Jupiter 1:51 AM-2:34 AM]", 1},
        {"polar night", polar, at(2026, 12, 20, 12, 0), " [Hour not available: no sunrise]", -1},
        {"midnight sun", polar, at(2026, 6, 20, 12, 0), " [Hour not available: no sunset]", -1},
        {"not known", PlaceFacts(), at(2026, 6, 20, 12, 0), " [Hour not available]", -1},
    };
    for (const Row &row : rows) {
        const HourInForce hour = hourInForce(row.facts, row.now, Chicago, us);
        EXPECT_EQ(hour.HourText.toStdString(), row.text) << row.name;
        EXPECT_EQ(hour.trayImage, row.tray) << row.name;
    }
    EXPECT_TRUE(hourInForce(polar, at(2026, 12, 20, 12, 0), Chicago, us).noSunrise);

    const QStringList file = hoursFileLines(juneFacts(), QDate(2026, 6, 15), Chicago, us);
    ASSERT_EQ(file.size(), 24);
    EXPECT_EQ(file[0].toStdString(), "(Mon) 06/15/2026 05:26am Moon          Hour");
    EXPECT_TRUE(hoursFileLines(polar, QDate(2026, 12, 20), Chicago, us).isEmpty());
}

TEST(EventList, Sounds)
{
    const auto find = [](const QString &name) {
        return name == QLatin1String("sun.wav") || name == QLatin1String("hour.wav")
                   ? QStringLiteral("/s/") + name
                   : QString();
    };
    EventEntry sunHour;
    sunHour.body = QStringLiteral("Sun");
    sunHour.word = QStringLiteral("Hour");
    EXPECT_EQ(alarmSounds(sunHour, find), (QStringList{"/s/sun.wav", "/s/hour.wav"}));
    EventEntry sunSets = sunHour;
    sunSets.word = QStringLiteral("sets");
    EXPECT_EQ(alarmSounds(sunSets, find), (QStringList{"/s/sun.wav"}));
    EventEntry moonHour = sunHour;
    moonHour.body = QStringLiteral("Moon"); // no body sound, so no hour sound either
    EXPECT_TRUE(alarmSounds(moonHour, find).isEmpty());
}

} // namespace
} // namespace orlam
