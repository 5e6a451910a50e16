#include "../thelemic/calctestsupport.h"

#include "common/clocktime.h"
#include "hours/eventlist.h"
#include "settings/settings.h"

namespace orlam {
namespace {

using test::eventLine;

QString line(const char *date, const char *time, const char *body, const char *word)
{
    return eventLine(QString::fromLatin1(date), QString::fromLatin1(time), QString::fromLatin1(body),
                     QString::fromLatin1(word));
}

QStringList describe(const EventList &list)
{
    QStringList rows;
    for (const EventEntry &entry : list.entries)
        rows << entry.moment.toString(QStringLiteral("MM-dd hh:mm ")) + entry.body + QLatin1Char(' ') +
                    entry.word + (entry.checked ? QStringLiteral(" [x]") : QString()) +
                    (entry.fired ? QStringLiteral(" fired") : QString());
    return rows;
}

TEST(EventList, BuildFiltersPadsSortsAndPrunes)
{
    TSettings settings;           // Sun on, Moon off; the hours of the Sun only
    settings.HourAlarm[1] = true; // Moon's hours on
    const QList<EventSource> sources{
        {{line(" 6/15/2026", " 8:50pm", "Sun", "sets"), line(" 6/15/2026", " 5:26am", "Sun", "rises"),
          line(" 6/15/2026", " 1:10pm", "Sun", "zeniths"), line(" 6/15/2026", " 9:00am", "Moon", "rises"),
          line(" 6/15/2026", " 2:00pm", "Node", "rises"), line(" 6/15/2026", " 3:00pm", "Chiron", "rises")},
         false},
        {{line(" 6/16/2026", " 5:27am", "Sun", "rises")}, false},
        // An hour line, written month first with the locale's separators whatever the reports use.
        {{QStringLiteral("(Mon) 06/15/2026 02:12pm Moon          Hour"),
          QStringLiteral("(Mon) 06/15/2026 03:30pm Venus         Hour"), QStringLiteral("garbage line"),
          QStringLiteral("(Mon) 06/15/2026 04:40pm Sun           Hour")},
         false},
    };
    const QDateTime now = clockTime(2026, 6, 15, 13, 10, 30);
    const EventBuild build = BuildEventList(sources, settings, now, -5 * 3600);
    EXPECT_EQ(build.unreadable, 1);
    // The Moon's rising (flag off), the Node and the past events are gone; the body without a
    // flag stays; the zenith of the present minute stays so that this minute's tick fires it.
    EXPECT_EQ(describe(build.list),
              (QStringList{"06-15 13:10 Sun zeniths", "06-15 14:12 Moon Hour", "06-15 15:00 Chiron rises",
                           "06-15 16:40 Sun Hour", "06-15 20:50 Sun sets", "06-16 05:27 Sun rises"}));
    EXPECT_EQ(build.list.entries[0].line, line("06/15/2026", "01:10pm", "Sun", "zeniths"));
    EXPECT_EQ(build.list.builtOn, QDate(2026, 6, 15));

    // Day-first reports: "16- 6-2026" is 16 June, padded to "16-06-2026".
    const EventBuild dayFirst =
        BuildEventList({{{line("16- 6-2026", " 7:05am", "Sun", "rises")}, true}}, settings, now, 0);
    ASSERT_EQ(dayFirst.list.size(), 1);
    EXPECT_EQ(dayFirst.list.entries[0].moment, clockTime(2026, 6, 16, 7, 5));
    EXPECT_TRUE(dayFirst.list.entries[0].line.contains(QLatin1String("16-06-2026 07:05am")));
}

TEST(EventList, RebuildCarriesPendingEventsAndMarksWithoutDuplicates)
{
    TSettings settings;
    for (bool &flag : settings.HourAlarm)
        flag = true;
    // Built on the evening of 15 June: the night's hours run past midnight.
    const QList<EventSource> evening{{{line(" 6/16/2026", " 5:27am", "Sun", "rises")}, false},
                                     {{QStringLiteral("(Mon) 06/15/2026 11:20pm Mars          Hour"),
                                       QStringLiteral("(Tue) 06/16/2026 12:30am Sun           Hour"),
                                       QStringLiteral("(Tue) 06/16/2026 01:40am Venus         Hour"),
                                       QStringLiteral("(Tue) 06/16/2026 02:50am Mercury       Hour")},
                                      false}};
    EventList old = BuildEventList(evening, settings, clockTime(2026, 6, 15, 22, 0), 0).list;
    ASSERT_EQ(old.size(), 5);
    old.entries[0].checked = old.entries[0].fired = true; // Mars fired at 23:20
    old.entries[2].checked = true;                        // the user silenced Venus

    // After midnight the reports and "hl.txt" are those of 16 June, from its sunrise on.
    const QList<EventSource> morning{
        {{line(" 6/16/2026", " 5:27am", "Sun", "rises")}, false},
        {{QStringLiteral("(Tue) 06/16/2026 05:27am Mars          Hour")}, false}};
    const QDateTime now = clockTime(2026, 6, 16, 0, 30, 1);
    const EventList rebuilt = BuildEventList(morning, settings, now, 0, &old).list;
    EXPECT_EQ(describe(rebuilt),
              (QStringList{"06-16 00:30 Sun Hour", "06-16 01:40 Venus Hour [x]", "06-16 02:50 Mercury Hour",
                           "06-16 05:27 Sun rises", "06-16 05:27 Mars Hour"}));
    EXPECT_EQ(dueEvents(rebuilt, now), (QList<int>{0}));
    EXPECT_EQ(rebuilt.builtOn, QDate(2026, 6, 16));

    // A build in the very minute an event fired keeps it fired: it does not ring twice.
    EventList fired = rebuilt;
    fired.entries[0].checked = fired.entries[0].fired = true;
    const EventList again = BuildEventList(evening, settings, now, 0, &fired).list;
    EXPECT_TRUE(again.entries[0].fired);
    EXPECT_TRUE(dueEvents(again, now).isEmpty());
}

TEST(EventList, SoundsAndTickPlan)
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

    EventList list;
    const QDateTime now = clockTime(2026, 6, 15, 23, 59, 59);
    const QDateTime pickers = clockTime(2026, 6, 15, 23, 59, 0);
    EXPECT_TRUE(planTick(now, 0, pickers, list, true, false).rebuild) << "never built";
    list.built = true;
    list.builtOn = QDate(2026, 6, 15);
    list.builtOffset = -5 * 3600;
    struct Row {
        const char *name;
        QDateTime now;
        int offset;
        bool started, nested;
        bool minuteWork, rebuild;
    };
    const Row rows[] = {
        {"same minute", now, -5 * 3600, true, false, false, false},
        {"next minute, next day", clockTime(2026, 6, 16, 0, 0, 0), -5 * 3600, true, false, true, true},
        {"an hour on, same minute number", clockTime(2026, 6, 16, 0, 59, 0), -5 * 3600, true, false, true,
         true},
        {"offset changed", clockTime(2026, 6, 15, 23, 59, 30), -6 * 3600, true, false, false, true},
        {"inside a tick", clockTime(2026, 6, 16, 0, 0, 0), -5 * 3600, true, true, false, false},
        {"before the start-up", clockTime(2026, 6, 16, 0, 0, 0), -5 * 3600, false, false, false, false},
    };
    for (const Row &row : rows) {
        const TickPlan plan = planTick(row.now, row.offset, pickers, list, row.started, row.nested);
        EXPECT_EQ(plan.minuteWork, row.minuteWork) << row.name;
        EXPECT_EQ(plan.rebuild, row.rebuild) << row.name;
    }
}

} // namespace
} // namespace orlam
