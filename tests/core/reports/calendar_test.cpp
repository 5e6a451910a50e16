// Transit calendars through the job, the engine and the report: with the real engine, with a
// failing one, and with the day-first date switch.

#include "../thelemic/calctestsupport.h"

#include "common/clocktime.h"
#include "hours/riseset.h"
#include "reports/calendar.h"
#include "reports/viewer.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace orlam {
namespace {

QString enginePath()
{
    return QStringLiteral(ORLAM_BIN_DIR "/orlam-ephem");
}

struct CalendarRig : test::SeparateWorkFolder, test::CalcWiring {
    explicit CalendarRig(const QString &engine,
                         LocaleFacts facts = test::localeFor(QLocale::English, QLocale::UnitedStates))
        : CalcWiring(std::move(facts), engine, work.path())
    {
        settings.TimeZone = QStringLiteral("6");
        settings.Longitude = QStringLiteral("93W21");
        settings.Latitude = QStringLiteral("45N05");
    }
    Status make(JobKind kind, QDate date, QStringList *lines)
    {
        return makeTransitCalendar(astro, kind, settings.TimeZone, settings.Longitude, settings.Latitude,
                                   clockTime(date, QTime(14, 30)), QTime(14, 30), placeZone, lines);
    }
    QTimeZone placeZone{"America/Chicago"};
};

TEST(TransitCalendar, MonthAfterYearReplacesIt)
{
    ASSERT_TRUE(QFileInfo(enginePath()).isExecutable()) << "orlam-ephem has not been built";
    CalendarRig rig(enginePath());
    QStringList year;
    ASSERT_TRUE(rig.make(JobKind::YearCalendar, QDate(2026, 6, 15), &year));
    ASSERT_FALSE(year.isEmpty());
    EXPECT_EQ(year.first(), QStringLiteral("Orlam transit calendar for the year 2026"));

    QStringList month;
    ASSERT_TRUE(rig.make(JobKind::MonthCalendar, QDate(2026, 6, 15), &month));
    ASSERT_FALSE(month.isEmpty());
    EXPECT_EQ(month.first(), QStringLiteral("Orlam transit calendar for June 2026"));
    EXPECT_LT(month.size(), year.size());
    // June's New Moon, in the month-first dates of this locale.
    EXPECT_TRUE(month.filter(QStringLiteral("New Moon")).size() == 1);
    EXPECT_FALSE(month.filter(QRegularExpression(QStringLiteral("^\\(\\w+\\)\\s+6/14/2026 "))).isEmpty())
        << month.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(rig.host.messages.isEmpty());

    // The viewer then ends with the same calendar under its title.
    QStringList view;
    ASSERT_TRUE(assembleViewerLines(rig.work.path(), &view));
    const qsizetype title = view.indexOf(QStringLiteral("Transit Calendar"));
    ASSERT_GE(title, 1);
    EXPECT_EQ(view.at(title - 1), QStringLiteral(" "));
    EXPECT_EQ(view.mid(title + 1), month);
    EXPECT_TRUE(QDir(rig.current.path()).isEmpty());
}

TEST(TransitCalendar, DayFirstLocaleGivesDayFirstDatesOfTheRightMonth)
{
    ASSERT_TRUE(QFileInfo(enginePath()).isExecutable()) << "orlam-ephem has not been built";
    CalendarRig rig(enginePath(), test::localeFor(QLocale::German, QLocale::Germany));
    ASSERT_FALSE(rig.derived.EuroDateSwitch.isEmpty());
    QStringList month;
    // 3 February: a day-first slip would ask for March.
    ASSERT_TRUE(rig.make(JobKind::MonthCalendar, QDate(2026, 2, 3), &month));
    ASSERT_FALSE(month.isEmpty());
    EXPECT_EQ(month.first(), QStringLiteral("Orlam transit calendar for February 2026"));
    const QStringList events = month.filter(QRegularExpression(QStringLiteral("^\\(\\w+\\)")));
    ASSERT_FALSE(events.isEmpty());
    for (const QString &line : events)
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\(\\w+\\)\\s+\\d+- 2-2026 ")).match(line).hasMatch())
            << line.toStdString();
}

// A year's calendar shows each event on the wall clock of its own moment: the job's one clock,
// whether standard time or the daylight state of the picked date, makes no difference.
TEST(TransitCalendar, EveryEventKeepsItsOwnOffset)
{
    ASSERT_TRUE(QFileInfo(enginePath()).isExecutable()) << "orlam-ephem has not been built";
    const auto eventLines = [](const QStringList &lines) {
        return lines.filter(QRegularExpression(QStringLiteral("^\\(\\w+\\)")));
    };
    CalendarRig standard(enginePath());
    QStringList onStandard;
    ASSERT_TRUE(standard.make(JobKind::YearCalendar, QDate(2026, 6, 15), &onStandard));

    CalendarRig summer(enginePath());
    summer.settings.TimeMode = 2;
    summer.derived.SystemZone = QTimeZone("America/Chicago");
    QStringList onSummerDate;
    ASSERT_TRUE(summer.make(JobKind::YearCalendar, QDate(2026, 6, 15), &onSummerDate));

    const QStringList a = eventLines(onStandard);
    const QStringList b = eventLines(onSummerDate);
    ASSERT_GT(a.size(), 100);
    ASSERT_EQ(a.size(), b.size());
    for (qsizetype i = 0; i < a.size(); ++i) {
        // The same events at the same moments (the engine's search may land a second apart).
        EXPECT_EQ(a[i].mid(24), b[i].mid(24)) << i;
        const std::optional<QDateTime> ta = ReportLineMoment(a[i], false);
        const std::optional<QDateTime> tb = ReportLineMoment(b[i], false);
        ASSERT_TRUE(ta && tb) << a[i].toStdString();
        EXPECT_LE(std::abs(ta->secsTo(*tb)), 60) << a[i].toStdString() << " / " << b[i].toStdString();
    }
    // The Full Moon of 3 January on Central Standard Time, the summer's events on daylight time.
    EXPECT_EQ(
        onSummerDate.filter(QStringLiteral(" 1/ 3/2026  4:03am")).filter(QStringLiteral("Full Moon")).size(),
        1)
        << onSummerDate.mid(0, 12).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(onSummerDate.filter(QStringLiteral("Times are local clock times of America/Chicago")).size(),
              1);
}

TEST(TransitCalendar, FailedRunNeverShowsTheOlderCalendar)
{
    struct Row {
        const char *name;
        QString engine;
        QString engineMessage;
    };
    const Row rows[] = {
        {"engine ends with an error", QStringLiteral("false"), QStringLiteral("Astrolog return code 1")},
        {"engine cannot be started", QStringLiteral("/nonexistent/orlam-ephem"),
         AstrologRunner::cannotStartMessage(QStringLiteral("/nonexistent/orlam-ephem"))},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        CalendarRig rig(row.engine);
        test::writeBytes(rig.work.filePath(QStringLiteral("calasp.txt")), "the year calendar of before\r\n");
        QStringList lines{QStringLiteral("earlier view")};
        const Status status = rig.make(JobKind::MonthCalendar, QDate(2026, 6, 15), &lines);
        EXPECT_FALSE(status);
        EXPECT_EQ(status.message, QStringLiteral("Cannot open file calasp.txt"));
        EXPECT_EQ(lines, QStringList{QStringLiteral("earlier view")});
        EXPECT_FALSE(QFileInfo::exists(rig.work.filePath(QStringLiteral("calasp.txt"))));
        EXPECT_EQ(rig.host.messages, QStringList{row.engineMessage});
    }
}

TEST(TransitCalendar, JobThatCannotBeWrittenIsNotRun)
{
    CalendarRig rig(QStringLiteral("false"));
    rig.settings.Longitude = QStringLiteral("93W21\n/os elsewhere.txt");
    QStringList lines;
    const Status status = rig.make(JobKind::YearCalendar, QDate(2026, 6, 15), &lines);
    EXPECT_FALSE(status);
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_TRUE(rig.host.messages.isEmpty()); // the engine never ran
}

} // namespace
} // namespace orlam
