#include "../thelemic/calctestsupport.h"

#include "hours/alarmclock.h"
#include "hours/eventlist.h"
#include "hours/planets.h"
#include "settings/settings.h"

#include <QCoreApplication>

namespace orlam {
namespace {

const QTimeZone Chicago("America/Chicago");

QDateTime at(int y, int m, int d, int h, int min, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s), Chicago).toUTC();
}

HorizonInstant event(const QDateTime &utc, const char *body, const char *word)
{
    return {utc, QLatin1String(body), QLatin1String(word)};
}

// 15 June 2026 in Chicago and the night before, with a few events of every kind: the hours of
// 14 and 15 June come from the Sun's rises and sets as the hours road divides them.
HoursSpan juneSpan()
{
    const QList<HorizonInstant> events = {
        event(at(2026, 6, 14, 5, 26), "Sun", "rises"),
        event(at(2026, 6, 14, 20, 50), "Sun", "sets"),
        event(at(2026, 6, 15, 5, 26, 20), "Sun", "rises"),
        event(at(2026, 6, 15, 9, 0), "Moon", "rises"),
        event(at(2026, 6, 15, 13, 9, 40), "Sun", "zeniths"),
        event(at(2026, 6, 15, 14, 0), "Node", "rises"),
        event(at(2026, 6, 15, 15, 0), "Chiron", "rises"),
        event(at(2026, 6, 15, 20, 50, 40), "Sun", "sets"),
        event(at(2026, 6, 16, 5, 26, 40), "Sun", "rises"),
        event(at(2026, 6, 18, 5, 27), "Sun", "rises"), // three days on
    };
    const QDate june15(2026, 6, 15);
    return HoursSpan::fromEvents({QStringLiteral("93W21"), QStringLiteral("45N05"), Chicago}, june15, june15,
                                 events);
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
         "06-15 19:34 Sun Hour\n06-15 20:51 Sun sets\n06-16 01:09 Sun Hour\n06-16 05:27 Sun rises"},
        // The present minute stays, so the tick that follows the build fires it; the Node never
        // comes, a body without a flag always does.
        {"midday with the Moon", at(2026, 6, 15, 13, 10, 30), moonToo,
         "06-15 13:10 Sun zeniths\n06-15 14:26 Moon Hour\n06-15 15:00 Chiron rises\n06-15 19:34 Sun Hour\n"
         "06-15 20:51 Sun sets\n06-15 22:17 Moon Hour\n06-16 01:09 Sun Hour\n06-16 03:18 Moon Hour\n06-16 "
         "05:27 Sun rises"},
        {"a minute later", at(2026, 6, 15, 13, 11), sunOnly(),
         "06-15 15:00 Chiron rises\n06-15 19:34 Sun Hour\n06-15 20:51 Sun sets\n06-16 01:09 Sun Hour\n"
         "06-16 05:27 Sun rises"},
    };
    for (const Row &row : rows) {
        const EventList list = buildEventList(juneSpan(), row.choices, row.now, us);
        EXPECT_EQ(describe(list), std::string(row.expected)) << row.name;
        EXPECT_EQ(list.builtOn, QDate(2026, 6, 15)) << row.name;
        EXPECT_EQ(list.builtOffset, -5 * 3600) << row.name;
    }

    // The rows read as the reports and "hl.txt" write them; dates in the locale's order.
    const EventList list = buildEventList(juneSpan(), sunOnly(), at(2026, 6, 15, 2, 0), us);
    EXPECT_EQ(list.entries[0].line.toStdString(), "(Mon) 06/15/2026 03:17am Sun           Hour");
    EXPECT_EQ(list.entries[1].line.toStdString(), "(Mon) 06/15/2026 05:26am     Sun       rises");
    const EventList german = buildEventList(juneSpan(), sunOnly(), at(2026, 6, 15, 2, 0), de);
    EXPECT_EQ(german.entries[1].line.toStdString(), "(Mon) 15.06.2026 05:26am     Sun       rises");
}

TEST(EventList, RebuildCarriesMarksOfTheSamePlaceAndNeverTwice)
{
    const LocaleFacts us = test::localeFor(QLocale::English, QLocale::UnitedStates);
    AlarmChoices all;
    all.hour.fill(true);
    all.riseSet.fill(true);
    EventList old = buildEventList(juneSpan(), all, at(2026, 6, 15, 13, 0), us);
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
    const EventList rebuilt = buildEventList(juneSpan(), all, now, us, &old);
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
    const EventList carried = buildEventList(juneSpan(), all, jump, us, &rebuilt);
    EXPECT_NE(describe(carried).find("06-15 15:00 Chiron rises missed"), std::string::npos);
    const EventList next = buildEventList(juneSpan(), all, jump, us, &carried);
    EXPECT_EQ(describe(next).find("missed"), std::string::npos);
}

// The clock keeps the span its provider gives: its list is the one buildEventList() makes of it,
// its hour the one currentHour() finds in it. A failed fetch says so once, leaves an empty list
// of the day, and is tried again the next minute.
TEST(AlarmClock, HoldsTheSpanOfItsProvider)
{
    int argc = 1;
    char name[] = "clock";
    char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    const LocaleFacts us = test::localeFor(QLocale::English, QLocale::UnitedStates);
    QDateTime now = at(2026, 6, 15, 2, 0, 10);
    bool engineRuns = false;
    QList<std::pair<QDate, QDate>> asked;
    AlarmClock clock(us);
    clock.setNow([&now] { return now; });
    clock.setProvider([&](const ClockPlace &, QDate first, QDate last, HoursSpan *span) {
        asked.append({first, last});
        if (!engineRuns)
            return Status::failure(QStringLiteral("The engine did not start."));
        *span = juneSpan();
        return Status::success();
    });
    ClockPlace place;
    place.longitude = QStringLiteral("93W21");
    place.latitude = QStringLiteral("45N05");
    place.zone = Chicago;
    clock.setPlace(place);
    clock.setChoices(sunOnly());
    QStringList failures, hours, rung;
    QObject::connect(&clock, &AlarmClock::failed, [&](const QString &text) { failures << text; });
    QObject::connect(&clock, &AlarmClock::hourChanged,
                     [&](const CurrentHour &hour) { hours << hour.HourText; });
    QObject::connect(&clock, &AlarmClock::alarmDue,
                     [&](const EventEntry &entry) { rung << entry.body + QLatin1Char(' ') + entry.word; });
    clock.setPaused(true); // the test ticks by hand
    clock.start();

    EXPECT_EQ(failures, QStringList{"The engine did not start."});
    EXPECT_TRUE(clock.events().built);
    EXPECT_TRUE(clock.events().isEmpty());
    EXPECT_EQ(clock.today(), QDate(2026, 6, 15));
    EXPECT_EQ(hours, QStringList{" [Hour not available]"});
    now = now.addSecs(30);
    clock.tick();
    ASSERT_EQ(asked.size(), 1) << "not again within the minute";

    // The next minute fetches again; the same failure is not told twice.
    now = now.addSecs(30);
    clock.tick();
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(failures.size(), 1);

    engineRuns = true;
    now = now.addSecs(60);
    clock.tick();
    ASSERT_EQ(asked.size(), 3);
    EXPECT_EQ(asked.back(), std::make_pair(QDate(2026, 6, 14), QDate(2026, 6, 17)));
    EXPECT_EQ(describe(clock.events()), describe(buildEventList(juneSpan(), sunOnly(), now, us)));
    EXPECT_TRUE(clock.hour() == currentHour(clock.span(), now, us));
    EXPECT_EQ(hours.back(), " [Hour of Jupiter 1:51 AM-2:34 AM]");

    // The Sun's hour at 3:17 rings in its minute, once; the hour in force follows.
    now = at(2026, 6, 15, 3, 17, 5);
    clock.tick();
    now = now.addSecs(30);
    clock.tick();
    EXPECT_EQ(rung, QStringList{"Sun Hour"});
    EXPECT_EQ(hours.back(), " [Hour of Sun 3:17 AM-4:00 AM]");
    EXPECT_EQ(asked.size(), 3) << "the span serves the whole day";
}

// The first tick does the minute's work only when the minute the window shows has passed.
TEST(AlarmClock, FirstTickCatchesUpASlowStart)
{
    int argc = 1;
    char name[] = "clock";
    char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    const LocaleFacts us = test::localeFor(QLocale::English, QLocale::UnitedStates);
    struct Row {
        const char *name;
        QDateTime workedAt;
        int minutes; // minuteStarted at the first tick
    };
    const QDateTime now = at(2026, 6, 15, 2, 0, 10);
    const Row rows[] = {
        {"shown this minute", at(2026, 6, 15, 2, 0, 1), 0},
        {"shown the minute before", at(2026, 6, 15, 1, 59, 58), 1},
        {"not said", QDateTime(), 0},
    };
    for (const Row &row : rows) {
        AlarmClock clock(us);
        clock.setNow([&now] { return now; });
        clock.setProvider([](const ClockPlace &, QDate, QDate, HoursSpan *span) {
            *span = juneSpan();
            return Status::success();
        });
        int minutes = 0;
        QObject::connect(&clock, &AlarmClock::minuteStarted, [&minutes] { ++minutes; });
        clock.setPaused(true);
        clock.start(row.workedAt);
        clock.tick();
        EXPECT_EQ(minutes, row.minutes) << row.name;
    }
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
