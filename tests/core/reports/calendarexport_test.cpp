// The calendar export: the iCalendar file read back by libical and by a second, independent
// parser, the transit calendar's events, and the engine jobs of a private folder.

#include "astrocalls/astrocalls.h"
#include "astrocalls/runner.h"
#include "astrocalls/scratchjobs.h"
#include "common/clocktime.h"
#include "common/westerntext.h"
#include "hours/hoursspan.h"
#include "hours/planetaryhours.h"
#include "hours/planets.h"
#include "hours/riseset.h"
#include "reports/calendarexport.h"
#include "reports/icalwriter.h"
#include "reports/transitevents.h"
#include "settings/localefacts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <libical/ical.h>

#include <map>
#include <memory>

namespace orlam {
namespace {

const QString EnginePath = QStringLiteral(ORLAM_BIN_DIR "/orlam-ephem");

// An event of a parsed file, as both parsers report it.
struct ParsedEvent {
    QString uid;
    QString summary;
    QDateTime start;
    QDateTime end;
};

struct CalendarFree {
    void operator()(icalcomponent *c) const { icalcomponent_free(c); }
};

QDateTime fromIcal(icaltimetype t)
{
    if (icaltime_is_null_time(t))
        return {};
    return QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(t, icaltimezone_get_utc_timezone()),
                                         Qt::UTC);
}

std::vector<ParsedEvent> parseWithLibical(const QByteArray &ics)
{
    std::unique_ptr<icalcomponent, CalendarFree> calendar(icalparser_parse_string(ics.constData()));
    std::vector<ParsedEvent> events;
    if (!calendar)
        return events;
    for (icalcomponent *e = icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(calendar.get(), ICAL_VEVENT_COMPONENT)) {
        ParsedEvent event;
        event.uid = QString::fromUtf8(icalcomponent_get_uid(e));
        event.summary = QString::fromUtf8(icalcomponent_get_summary(e));
        event.start = fromIcal(icalcomponent_get_dtstart(e));
        if (icalcomponent_get_first_property(e, ICAL_DTEND_PROPERTY))
            event.end = fromIcal(icalcomponent_get_dtend(e));
        events.push_back(event);
    }
    return events;
}

// Debian's python3-icalendar, run by Debian's own interpreter (another python on PATH may not
// have it). One line per event: uid, summary, start, end in ISO form.
const char *const PythonReader = R"(
import sys, icalendar
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
for e in cal.walk('VEVENT'):
    end = e.get('dtend')
    print('\t'.join([str(e['uid']), str(e['summary']), e['dtstart'].dt.strftime('%Y-%m-%dT%H:%M:%SZ'),
                     end.dt.strftime('%Y-%m-%dT%H:%M:%SZ') if end else '']))
)";

std::vector<ParsedEvent> parseWithPython(const QByteArray &ics, QString *error)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("export.ics"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(ics) != ics.size()) {
        *error = QStringLiteral("cannot write the file");
        return {};
    }
    file.close();
    QProcess python;
    python.start(QStringLiteral(ORLAM_DEBIAN_PYTHON),
                 {QStringLiteral("-c"), QString::fromLatin1(PythonReader), path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        *error = QStringLiteral("python3-icalendar could not read the file: ") +
                 QString::fromUtf8(python.readAllStandardError()) + python.errorString();
        return {};
    }
    std::vector<ParsedEvent> events;
    for (const QString &line : QString::fromUtf8(python.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != 4)
            continue;
        ParsedEvent event{fields[0], fields[1], QDateTime::fromString(fields[2], Qt::ISODate), {}};
        if (!fields[3].isEmpty())
            event.end = QDateTime::fromString(fields[3], Qt::ISODate);
        events.push_back(event);
    }
    return events;
}

// Both parsers must see the same events as we wrote.
void expectBothParsersRead(const QByteArray &ics, const QList<CalendarEvent> &written,
                           const QString &placeKey)
{
    const std::vector<ParsedEvent> byLibical = parseWithLibical(ics);
    QString error;
    const std::vector<ParsedEvent> byPython = parseWithPython(ics, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(byLibical.size(), static_cast<std::size_t>(written.size()));
    ASSERT_EQ(byPython.size(), static_cast<std::size_t>(written.size()));
    for (qsizetype i = 0; i < written.size(); ++i) {
        const auto n = static_cast<std::size_t>(i);
        const QDateTime start = placeMinute(written[i].startUtc, QTimeZone::utc());
        for (const ParsedEvent &parsed : {byLibical[n], byPython[n]}) {
            SCOPED_TRACE(parsed.uid.toStdString());
            EXPECT_EQ(parsed.uid, calendarEventUid(written[i], placeKey));
            EXPECT_EQ(parsed.summary, written[i].summary);
            EXPECT_EQ(parsed.start.toSecsSinceEpoch(), start.toSecsSinceEpoch());
            EXPECT_EQ(parsed.end.isValid(), written[i].endUtc.isValid());
        }
    }
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QDateTime utc(int y, int m, int d, int h, int min, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s), Qt::UTC);
}

TEST(ICalendarWriter, BothParsersReadBackWhatWasWritten)
{
    const QString place = calendarPlaceKey(QStringLiteral("93W21"), QStringLiteral("45N05"));
    EXPECT_EQ(place, QStringLiteral("93w21-45n05"));
    QList<CalendarEvent> events;
    events.append({QStringLiteral("hour"), QStringLiteral("Venus"), QStringLiteral("Hour of Venus"),
                   QStringLiteral("Hour 4 of the day of Monday 2026-06-15 at 93W21 45N05"),
                   QStringLiteral("Planetary hours"), utc(2026, 6, 15, 14, 12, 29),
                   utc(2026, 6, 15, 15, 20, 2)});
    events.append({QStringLiteral("rises"),
                   QStringLiteral("Sun"),
                   QStringLiteral("Sunrise"),
                   {},
                   QStringLiteral("Sun and Moon"),
                   utc(2026, 6, 15, 10, 26),
                   {}});
    // Text that must be escaped and folded: commas, semicolons, a line break, a long line and
    // characters outside ASCII.
    events.append({QStringLiteral("ingress"),
                   QStringLiteral("Moon"),
                   QStringLiteral("Moon enters Aquarius; ×, \u00e6"),
                   QStringLiteral("A long description, ").repeated(8) + QStringLiteral("\nsecond line"),
                   QStringLiteral("Transits"),
                   utc(2026, 6, 16, 3, 6),
                   {}});
    const QByteArray ics =
        writeICalendar(events, place, utc(2026, 6, 1, 12, 0), QStringLiteral("Orlam test"));

    expectBothParsersRead(ics, events, place);
    EXPECT_TRUE(ics.startsWith("BEGIN:VCALENDAR\r\n"));
    EXPECT_TRUE(ics.endsWith("END:VCALENDAR\r\n"));
    EXPECT_FALSE(ics.contains("\n\n")) << "every line ends with CR LF";
    for (const QByteArray &line : ics.split('\n'))
        EXPECT_LE(line.size(), 76) << "lines are folded at 75 octets: " << line.toStdString();
    EXPECT_TRUE(ics.contains("UID:hour-venus-20260615T1412Z-93w21-45n05@orlam\r\n"));
    EXPECT_TRUE(ics.contains("DTSTART:20260615T141200Z\r\n")) << "universal time, to the nearest minute";
    EXPECT_EQ(ics.count("TRANSP:TRANSPARENT"), 3) << "no event marks the user busy";
    EXPECT_EQ(ics.count("DTEND"), 1) << "instants have no end";
}

// An identifier too long for one line is folded like any other line and reads back whole.
TEST(ICalendarWriter, ALongIdentifierIsFolded)
{
    const QString place =
        calendarPlaceKey(QStringLiteral("93W21") + QStringLiteral("w").repeated(60), QStringLiteral("45N05"));
    const QList<CalendarEvent> events{{QStringLiteral("hour"),
                                       QStringLiteral("Venus"),
                                       QStringLiteral("Hour of Venus"),
                                       {},
                                       QStringLiteral("Planetary hours"),
                                       utc(2026, 6, 15, 14, 12),
                                       utc(2026, 6, 15, 15, 20)}};
    const QByteArray ics = writeICalendar(events, place, utc(2026, 6, 1, 12, 0), {});
    for (const QByteArray &line : ics.split('\n'))
        EXPECT_LE(line.size(), 76) << "lines are folded at 75 octets: " << line.toStdString();
    QByteArray unfolded = ics;
    unfolded.replace("\r\n ", "");
    EXPECT_TRUE(unfolded.contains("\r\nUID:" + calendarEventUid(events.front(), place).toLatin1() + "\r\n"))
        << ics.toStdString();
    expectBothParsersRead(ics, events, place);
}

TEST(ICalendarWriter, IdentifiersFollowKindBodyStartAndPlace)
{
    const CalendarEvent hour{
        QStringLiteral("hour"),       QStringLiteral("Venus"), QStringLiteral("Hour of Venus"), {}, {},
        utc(2026, 6, 15, 14, 12, 20), utc(2026, 6, 15, 15, 20)};
    CalendarEvent sameMinute = hour;
    sameMinute.startUtc = utc(2026, 6, 15, 14, 11, 40);
    sameMinute.description = QStringLiteral("another text");
    CalendarEvent otherBody = hour;
    otherBody.body = QStringLiteral("Mars");
    CalendarEvent otherKind = hour;
    otherKind.kind = QStringLiteral("rises");
    const QString here = calendarPlaceKey(QStringLiteral("93W21"), QStringLiteral("45N05"));
    const QString there = calendarPlaceKey(QStringLiteral("18E57"), QStringLiteral("69N39"));

    EXPECT_EQ(calendarEventUid(hour, here), calendarEventUid(sameMinute, here));
    EXPECT_NE(calendarEventUid(hour, here), calendarEventUid(otherBody, here));
    EXPECT_NE(calendarEventUid(hour, here), calendarEventUid(otherKind, here));
    EXPECT_NE(calendarEventUid(hour, here), calendarEventUid(hour, there));
}

// Times are written from the instant's milliseconds: the nearest minute, half a minute up,
// across midnight, the turn of a year, leap days and instants before 1970.
TEST(ICalendarWriter, TimesAreTheNearestMinuteOfTheInstant)
{
    const auto at = [](int y, int m, int d, int h, int min, int s, int ms = 0) {
        return QDateTime(QDate(y, m, d), QTime(h, min, s, ms), Qt::UTC);
    };
    struct Row {
        const char *name;
        QDateTime start;
        const char *written; // DTSTART; the identifier has the same without seconds
    };
    const Row rows[] = {
        {"just under half a minute rounds down", at(2026, 6, 15, 14, 12, 29, 999), "20260615T141200Z"},
        {"half a minute rounds up", at(2026, 6, 15, 14, 12, 30), "20260615T141300Z"},
        {"into the next day", at(2026, 6, 15, 23, 59, 30), "20260616T000000Z"},
        {"into the next year", at(2026, 12, 31, 23, 59, 45), "20270101T000000Z"},
        {"a leap day", at(2028, 2, 29, 12, 0, 0), "20280229T120000Z"},
        {"no leap day in 2100", at(2100, 2, 28, 23, 59, 50), "21000301T000000Z"},
        {"the leap day of 2000", at(2000, 2, 28, 23, 59, 50), "20000229T000000Z"},
        {"before 1970, rounding down", at(1969, 12, 31, 23, 59, 29), "19691231T235900Z"},
        {"before 1970, rounding up into 1970", at(1969, 12, 31, 23, 59, 31), "19700101T000000Z"},
        {"a zone's clock reads the same instant",
         QDateTime(QDate(2026, 6, 15), QTime(9, 12, 40), QTimeZone("America/Chicago")), "20260615T141300Z"},
    };
    const QString place = calendarPlaceKey(QStringLiteral("93W21"), QStringLiteral("45N05"));
    for (const Row &row : rows) {
        const CalendarEvent event{
            QStringLiteral("rises"), QStringLiteral("Sun"), QStringLiteral("Sunrise"), {}, {}, row.start, {}};
        const QByteArray ics = writeICalendar({event}, place, row.start, {});
        const QByteArray written(row.written);
        EXPECT_TRUE(ics.contains("DTSTART:" + written + "\r\n")) << row.name << "\n" << ics.toStdString();
        EXPECT_TRUE(ics.contains("DTSTAMP:" + written + "\r\n")) << row.name;
        const QString uid = QStringLiteral("rises-sun-%1-93w21-45n05@orlam")
                                .arg(QString::fromLatin1(written.left(13) + written.right(1)));
        EXPECT_EQ(calendarEventUid(event, place), uid) << row.name;
        EXPECT_TRUE(ics.contains("UID:" + uid.toLatin1() + "\r\n")) << row.name;
    }
}

// Many events in one file, as an export writes them: each instant's own date and minute, whether
// the one before it fell on the same day or in the same minute, another day with the same clock
// time, an earlier day, or a year beyond four digits.
TEST(ICalendarWriter, EachEventOfAFileCarriesItsOwnDate)
{
    const auto at = [](int y, int m, int d, int h, int min) {
        return QDateTime(QDate(y, m, d), QTime(h, min), Qt::UTC);
    };
    struct Row {
        QDateTime start, end;
        const char *lines; // DTSTART and DTEND as written
    };
    const Row rows[] = {
        {at(2026, 6, 15, 14, 12), at(2026, 6, 15, 15, 20),
         "DTSTART:20260615T141200Z\r\nDTEND:20260615T152000Z"},
        {at(2026, 6, 15, 23, 10), at(2026, 6, 16, 0, 5),
         "DTSTART:20260615T231000Z\r\nDTEND:20260616T000500Z"},
        {at(2026, 6, 17, 23, 10), {}, "DTSTART:20260617T231000Z\r\nSUMMARY"},
        {at(2026, 6, 14, 23, 10), at(2026, 6, 17, 23, 10),
         "DTSTART:20260614T231000Z\r\nDTEND:20260617T231000Z"},
        {at(10000, 1, 1, 0, 0), at(2026, 6, 14, 8, 0), "DTSTART:100000101T000000Z\r\nDTEND:20260614T080000Z"},
        {at(2026, 6, 14, 8, 0), at(2026, 6, 14, 9, 0), "DTSTART:20260614T080000Z\r\nDTEND:20260614T090000Z"},
        {at(2026, 6, 15, 9, 0), {}, "DTSTART:20260615T090000Z\r\nSUMMARY"},
        {at(2026, 6, 15, 9, 0).addSecs(20), at(2026, 6, 15, 9, 0).addSecs(40),
         "DTSTART:20260615T090000Z\r\nDTEND:20260615T090100Z"},
        {at(1969, 12, 31, 12, 0), {}, "DTSTART:19691231T120000Z\r\nSUMMARY"},
    };
    QList<CalendarEvent> events;
    for (const Row &row : rows)
        events.append({QStringLiteral("hour"),
                       QStringLiteral("Venus"),
                       QStringLiteral("Hour of Venus"),
                       {},
                       QStringLiteral("Planetary hours"),
                       row.start,
                       row.end});
    const QString place = calendarPlaceKey(QStringLiteral("93W21"), QStringLiteral("45N05"));
    const QByteArray ics = writeICalendar(events, place, at(2026, 6, 1, 12, 0), {});
    QList<QByteArray> written; // each event's text
    for (qsizetype from = ics.indexOf("BEGIN:VEVENT"); from >= 0;) {
        const qsizetype next = ics.indexOf("BEGIN:VEVENT", from + 1);
        written.append(ics.mid(from, next < 0 ? -1 : next - from));
        from = next;
    }
    ASSERT_EQ(written.size(), static_cast<qsizetype>(std::size(rows)));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(written[static_cast<qsizetype>(i)].contains(rows[i].lines))
            << written[static_cast<qsizetype>(i)].toStdString();
        EXPECT_TRUE(written[static_cast<qsizetype>(i)].contains(
            "UID:" + calendarEventUid(events[static_cast<qsizetype>(i)], place).toLatin1() + "\r\n"));
    }
}

TEST(TransitEvents, MonthCalendarGivesMoonPhasesAndIngresses)
{
    QStringList lines;
    ASSERT_TRUE(readWesternLines(QStringLiteral(ORLAM_TEST_DATA "/engine/golden/calasp-month.txt"), &lines));
    const QList<TransitEvent> events = readTransitEvents(lines, engineReportLocale());
    ASSERT_EQ(events.size(), 16);
    EXPECT_EQ(events.front().text, QStringLiteral("Moon enters Aquarius"));
    EXPECT_EQ(events.front().clock, clockTime(2019, 3, 2, 15, 6));
    int newMoons = 0, fullMoons = 0, sunIngresses = 0;
    for (const TransitEvent &event : events) {
        newMoons += event.kind == TransitEvent::Kind::NewMoon;
        fullMoons += event.kind == TransitEvent::Kind::FullMoon;
        sunIngresses += event.kind == TransitEvent::Kind::Ingress && event.body == QLatin1String("Sun");
    }
    EXPECT_EQ(newMoons, 1);
    EXPECT_EQ(fullMoons, 1);
    EXPECT_EQ(sunIngresses, 1);
    const auto full = std::find_if(events.begin(), events.end(), [](const TransitEvent &e) {
        return e.kind == TransitEvent::Kind::FullMoon;
    });
    EXPECT_EQ(full->clock, clockTime(2019, 3, 20, 21, 43));
    EXPECT_EQ(full->text, QStringLiteral("Full Moon"));
}

// The engine's reports are read in their own shape; every line gives what the general reader,
// under the same conventions, gives: the golden calendars and lines of other shapes.
TEST(TransitEvents, TheEnginesShapeReadsAsTheGeneralReaderReadsIt)
{
    QStringList year, month;
    ASSERT_TRUE(readWesternLines(QStringLiteral(ORLAM_TEST_DATA "/engine/golden/calasp-year.txt"), &year));
    ASSERT_TRUE(readWesternLines(QStringLiteral(ORLAM_TEST_DATA "/engine/golden/calasp-month.txt"), &month));
    const QString ingress = QStringLiteral("  Moon enters Aquarius");
    const QStringList odd{
        QStringLiteral("(Sat) 12/31/2019 12:30am") + ingress,
        QStringLiteral("(Sat) 12/31/2019 12:30pm") + ingress,
        QStringLiteral("(Sat)  1/ 2/2019  4:58AM") + ingress,
        QStringLiteral("(Sat)  1-2-2019   4:58am") + ingress,
        QStringLiteral("(Sat) 1 / 2 /2019  4:58am") + ingress,
        QStringLiteral("(Sat)  1/ 2/ 2019 4:58am") + ingress,
        QStringLiteral("(Sat)  1/ 2/2019  0:58am") + ingress,
        QStringLiteral("(Sat)  1/ 2/2019 13:58pm") + ingress,
        QStringLiteral("(Sat)  1/ 2/2019  4:60am") + ingress,
        QStringLiteral("(Sat)  2/29/2019  4:58am") + ingress,
        QStringLiteral("(Sat)  1/ 2/2019  4:58am  Mond enters L\u00f6we"),
        QStringLiteral("(Sat)  1/ 2/2019  4:58am  Moon enters Aquarius again"),
        QStringLiteral("(Sat)  1/ 2/2019  4:58am  Moon enters"),
        QStringLiteral("(Sat)  1/ 2/2019  4:58am  Moon_2 enters Aquarius"),
    };
    // The same conventions held elsewhere: read by the general reader alone.
    const LocaleFacts general = engineReportLocale();
    const std::pair<const char *, QStringList> reports[] = {
        {"year", year}, {"month", month}, {"odd lines", odd}};
    for (const auto &[name, lines] : reports) {
        const QList<TransitEvent> read = readTransitEvents(lines, engineReportLocale());
        const QList<TransitEvent> expected = readTransitEvents(lines, general);
        ASSERT_EQ(read.size(), expected.size()) << name;
        for (qsizetype i = 0; i < read.size(); ++i) {
            EXPECT_EQ(read[i].clock, expected[i].clock) << name << " " << expected[i].text.toStdString();
            EXPECT_EQ(read[i].kind, expected[i].kind) << name;
            EXPECT_EQ(read[i].body, expected[i].body) << name;
            EXPECT_EQ(read[i].sign, expected[i].sign) << name;
            EXPECT_EQ(read[i].text, expected[i].text) << name;
        }
    }
    EXPECT_EQ(readTransitEvents(odd, engineReportLocale()).size(), 6)
        << "midnight and noon, the upper-case AM, the year cut short by a blank, the hour 0, the underscore";
}

TEST(ScratchJobs, MomentLineGivesTheClockOfTheReport)
{
    struct Row {
        const char *name;
        const char *line;
        std::optional<double> hoursWest;
    };
    const Row rows[] = {
        {"standard", "/qb 6 15 2026 14:30PM ST 6 93W21 45N05", 6.0},
        {"daylight", "/qb 6 15 2026 14:30PM DT 6 93W21 45N05", 5.0},
        {"east with minutes", "/qb 6 15 2026 0:05AM ST -5:30 77E12 28N36", -5.5},
        {"east decimal", "/qb 6 15 2026 0:05AM DT -9.5 138E36 34S55", -10.5},
        {"plus sign", "/qb 6 15 2026 0:05AM ST +3 93W21 45N05", 3.0},
        {"not a zone", "/qb 6 15 2026 0:05AM ST six 93W21 45N05", std::nullopt},
        {"no word", "/qb 6 15 2026 0:05AM XT 6 93W21 45N05", std::nullopt},
        {"not a moment line", "/os chart.txt", std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(momentLineHoursWest(QString::fromLatin1(row.line)), row.hoursWest);
    }
}

TEST(CalendarSelection, RangeAndContentAreChecked)
{
    CalendarSelection selection;
    selection.first = QDate(2026, 6, 15);
    EXPECT_TRUE(selection.check());
    EXPECT_EQ(selection.last(), QDate(2026, 7, 14)) << "thirty days by default";

    CalendarSelection noPlanet = selection;
    noPlanet.hourPlanets.fill(false);
    EXPECT_FALSE(noPlanet.check());
    noPlanet.hours = false;
    EXPECT_TRUE(noPlanet.check()) << "no planet matters only when hours are asked for";
    noPlanet.sunMoon = noPlanet.transits = false;
    EXPECT_FALSE(noPlanet.check());

    for (int days : {0, -3, MaxCalendarDays + 1}) {
        CalendarSelection range = selection;
        range.dayCount = days;
        EXPECT_FALSE(range.check()) << days;
    }
    CalendarSelection invalid = selection;
    invalid.first = QDate();
    EXPECT_FALSE(invalid.check());
}

TEST(CalendarSelection, CommandLineDatesAreIsoOrTheLocalesShortDate)
{
    const LocaleFacts british = LocaleFacts::make(QLocale(QLocale::English, QLocale::UnitedKingdom),
                                                  QTimeZone("Europe/London"), {2026, 1, 1});
    EXPECT_EQ(readCommandLineDate(QStringLiteral("2026-06-05"), british), QDate(2026, 6, 5));
    EXPECT_EQ(readCommandLineDate(QStringLiteral("05/06/2026"), british), QDate(2026, 6, 5));
    EXPECT_EQ(readCommandLineDate(QStringLiteral("2026-02-30"), british), std::nullopt);
    EXPECT_EQ(readCommandLineDate(QStringLiteral("tomorrow"), british), std::nullopt);
}

class WithEngine : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QFileInfo(EnginePath).isExecutable()) << "orlam-ephem is not built"; }
};

TEST_F(WithEngine, JobsLeaveTheWorkingFolderAlone)
{
    QTemporaryDir work;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(work.path()));
    TSettings settings;
    DerivedValues derived;
    derived.EuroDateSwitch = QStringLiteral("-Yd");
    {
        ScratchJobs jobs(settings, derived, EnginePath);
        HoursSpan span;
        const HoursPlace place{settings.Longitude, settings.Latitude, QTimeZone(-6 * 3600)};
        const Status status =
            jobs.ready() ? fetchHoursSpan(jobs, place, {2026, 6, 14}, {2026, 6, 16}, &span) : jobs.ready();
        ASSERT_TRUE(status) << status.message.toStdString();
        ASSERT_EQ(span.days().size(), 4u) << "the three days and the one before";
        const BaseDayHours *day = span.day({2026, 6, 15});
        ASSERT_TRUE(day && day->valid());
        EXPECT_EQ(placeClock(day->sunRise, place.zone).date(), QDate(2026, 6, 15));
        EXPECT_EQ(placeClock(day->nextSunRise, place.zone).date(), QDate(2026, 6, 16));
        EXPECT_EQ(span.eventsOn({2026, 6, 15}).size(), 4 * 11)
            << "ten bodies and the Node each rise, culminate, set and pass the nadir";
        EXPECT_NE(day->sunRise.time().second(), 0) << "the engine gives the seconds";
    }
    EXPECT_TRUE(QDir(work.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    QDir::setCurrent(before);
}

// Each report is handed over as soon as it is in, in the order of the jobs, before the next
// one is read.
TEST_F(WithEngine, ReportsAreHandedOverJobByJob)
{
    TSettings settings;
    ScratchJobs jobs(settings, DerivedValues{}, EnginePath);
    const QTime noon(12, 0);
    std::vector<ScratchJob> three;
    for (int day = 14; day <= 16; ++day) {
        ScratchJob job;
        job.kind = JobKind::RiseSet;
        job.args = {settings.TimeZone,
                    settings.Longitude,
                    settings.Latitude,
                    clockTime({2026, 6, day}, noon),
                    noon,
                    QStringLiteral("riseset.txt")};
        three.push_back(job);
    }
    std::vector<ScratchReport> reports;
    std::vector<std::size_t> order;
    const Status status = jobs.run(three, &reports, [&](std::size_t index) {
        order.push_back(index);
        EXPECT_TRUE(reports[index].lines && !reports[index].lines->isEmpty()) << index;
        for (std::size_t later = index + 1; later < reports.size(); ++later)
            EXPECT_FALSE(reports[later].lines) << index << " before " << later;
    });
    ASSERT_TRUE(status) << status.message.toStdString();
    EXPECT_EQ(order, (std::vector<std::size_t>{0, 1, 2}));
}

TEST_F(WithEngine, AnEngineThatCannotStartIsAFailureWithItsName)
{
    TSettings settings;
    DerivedValues derived;
    ScratchJobs jobs(settings, derived, QStringLiteral("/nonexistent/engine"));
    HoursSpan span;
    const HoursPlace place{settings.Longitude, settings.Latitude, QTimeZone(-6 * 3600)};
    const Status status = fetchHoursSpan(jobs, place, {2026, 6, 14}, {2026, 6, 14}, &span);
    EXPECT_FALSE(status);
    EXPECT_TRUE(status.message.contains(QLatin1String("/nonexistent/engine")));

    TSettings unsafe;
    unsafe.Longitude = QStringLiteral("93W21\n/os ../../escape.txt");
    ScratchJobs guarded(unsafe, derived, EnginePath);
    EXPECT_FALSE(fetchHoursSpan(guarded, {unsafe.Longitude, unsafe.Latitude, QTimeZone(-6 * 3600)},
                                {2026, 6, 14}, {2026, 6, 14}, &span));
}

// A year's transits reach its first and last local days however far the place's zone lies from
// the jobs' clock: on those days they are the ones a calendar of the days around holds.
TEST_F(WithEngine, TransitsOfAYearReachItsFirstAndLastLocalDays)
{
    struct Row {
        const char *name;
        const char *clockZone; // the settings' "Time Zone": the jobs' clock, hours west
        const char *placeZone;
    };
    const Row rows[] = {
        {"the place's own clock", "6", "America/Chicago"},
        {"summer time an hour ahead of the jobs' clock", "-10", "Australia/Sydney"},
        {"fifteen hours ahead of the jobs' clock", "6", "Asia/Tokyo"},
    };
    // The transits of the local dates first .. last: identifier and local date.
    const auto transits = [](ScratchJobs &jobs, const HoursPlace &place, QDate first, QDate last) {
        CalendarSelection selection;
        selection.first = first;
        selection.dayCount = static_cast<int>(first.daysTo(last)) + 1;
        selection.hours = false;
        selection.sunMoon = false;
        QByteArray ics;
        CalendarCounts counts;
        const Status status = buildCalendar(jobs, place, selection, utc(2026, 1, 1, 0, 0), &ics, &counts);
        EXPECT_TRUE(status) << status.message.toStdString();
        std::map<QString, QDate> found;
        for (const ParsedEvent &event : parseWithLibical(ics))
            found[event.uid] = placeClock(event.start, place.zone).date();
        return found;
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TSettings settings;
        settings.TimeZone = QString::fromLatin1(row.clockZone);
        const HoursPlace place{settings.Longitude, settings.Latitude, QTimeZone(row.placeZone)};
        ScratchJobs jobs(settings, DerivedValues{}, EnginePath);
        const std::map<QString, QDate> year = transits(jobs, place, {2026, 1, 1}, {2026, 12, 31});
        EXPECT_GE(year.size(), 190u);
        for (const QDate edge : {QDate(2026, 1, 1), QDate(2026, 12, 31)}) {
            const std::map<QString, QDate> around = transits(jobs, place, edge.addDays(-1), edge.addDays(1));
            int onEdge = 0;
            for (const auto &[uid, date] : around) {
                if (date != edge)
                    continue;
                ++onEdge;
                EXPECT_EQ(year.count(uid), 1u) << uid.toStdString();
            }
            for (const auto &[uid, date] : year)
                EXPECT_TRUE(date != edge || around.count(uid) == 1) << uid.toStdString();
            if (QLatin1String(row.placeZone) == QLatin1String("Australia/Sydney") && edge.month() == 1) {
                EXPECT_EQ(onEdge, 1) << "the Moon enters Gemini 13 minutes into the year, before the jobs' "
                                        "clock begins it";
            }
        }
    }
}

// A calendar handed on in pieces, or written to a file as it is made, is the calendar built
// whole; a failure of the receiver ends the export, and a failed export leaves the file alone.
TEST_F(WithEngine, ACalendarWrittenInPiecesIsTheCalendarBuiltWhole)
{
    TSettings settings;
    const HoursPlace place{settings.Longitude, settings.Latitude, QTimeZone(-6 * 3600)};
    CalendarSelection selection;
    selection.first = QDate(2026, 6, 1);
    const QDateTime stamp = utc(2026, 5, 1, 8, 0);
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("june.ics"));

    ScratchJobs jobs(settings, DerivedValues{}, EnginePath);
    QByteArray whole;
    CalendarCounts counts;
    ASSERT_TRUE(buildCalendar(jobs, place, selection, stamp, &whole, &counts));
    QList<QByteArray> pieces;
    const auto keep = [&pieces](const QByteArray &piece) {
        pieces.append(piece);
        return Status::success();
    };
    ASSERT_TRUE(buildCalendar(jobs, place, selection, stamp, keep, &counts));
    EXPECT_GT(pieces.size(), 2) << "a month runs to some 270 kB";
    EXPECT_EQ(pieces.join(), whole);
    const Status written = writeCalendar(jobs, place, selection, stamp, file, &counts);
    ASSERT_TRUE(written) << written.message.toStdString();
    EXPECT_EQ(fileBytes(file), whole);

    int asked = 0;
    const auto refuse = [&asked](const QByteArray &) {
        return ++asked < 2 ? Status::success() : Status::failure(QStringLiteral("the disk is full"));
    };
    const Status refused = buildCalendar(jobs, place, selection, stamp, refuse, &counts);
    EXPECT_EQ(refused.message, QStringLiteral("the disk is full"));
    EXPECT_EQ(asked, 2) << "nothing more after the failure";

    const QString nowhere = folder.filePath(QStringLiteral("missing/june.ics"));
    EXPECT_EQ(writeCalendar(jobs, place, selection, stamp, nowhere, &counts).message,
              QStringLiteral("Cannot create file ") + nowhere);
    ScratchJobs broken(settings, DerivedValues{}, QStringLiteral("/nonexistent/engine"));
    EXPECT_FALSE(writeCalendar(broken, place, selection, stamp, file, &counts));
    EXPECT_EQ(fileBytes(file), whole) << "the file written before is left as it was";
}

TEST_F(WithEngine, AMonthOfEveryPlanetsHoursAgreesWithTheWindowAndKeepsItsIdentifiers)
{
    TSettings settings; // 93W21 45N05, six hours west, standard time
    const HoursPlace place{settings.Longitude, settings.Latitude, QTimeZone(-6 * 3600)};
    CalendarSelection selection;
    selection.first = QDate(2026, 6, 1);
    ASSERT_EQ(selection.dayCount, 30);

    QByteArray first, second;
    CalendarCounts counts, againCounts;
    {
        ScratchJobs jobs(settings, DerivedValues{}, EnginePath);
        Status status = buildCalendar(jobs, place, selection, utc(2026, 5, 1, 8, 0), &first, &counts);
        ASSERT_TRUE(status) << status.message.toStdString();
        status = buildCalendar(jobs, place, selection, utc(2026, 5, 2, 9, 30), &second, &againCounts);
        ASSERT_TRUE(status) << status.message.toStdString();
    }
    EXPECT_EQ(counts.hours, 720);
    EXPECT_GE(counts.sunMoon, 8 * 30 - 10) << "the Moon skips a rise or a set now and then";
    EXPECT_LE(counts.sunMoon, 8 * 30);
    EXPECT_GE(counts.transits, 14) << "about thirteen Moon ingresses, a Sun ingress, a New and a Full Moon";

    const std::vector<ParsedEvent> events = parseWithLibical(first);
    ASSERT_EQ(events.size(), static_cast<std::size_t>(counts.total()));
    QString error;
    EXPECT_EQ(parseWithPython(first, &error).size(), events.size()) << error.toStdString();

    // Identifiers: unique in a file, the same in the next export (only the stamp differs).
    QStringList uids;
    for (const ParsedEvent &event : events)
        uids << event.uid;
    EXPECT_EQ(QSet<QString>(uids.begin(), uids.end()).size(), uids.size());
    QStringList againUids;
    for (const ParsedEvent &event : parseWithLibical(second))
        againUids << event.uid;
    EXPECT_EQ(againUids, uids);
    EXPECT_EQ(QString::fromUtf8(first).remove(QRegularExpression(QStringLiteral("DTSTAMP:\\S+"))),
              QString::fromUtf8(second).remove(QRegularExpression(QStringLiteral("DTSTAMP:\\S+"))));

    // The first hour starts at the sunrise of 1 June and the last ends at the sunrise after 30 June.
    std::vector<ParsedEvent> hours;
    std::copy_if(events.begin(), events.end(), std::back_inserter(hours),
                 [](const ParsedEvent &e) { return e.summary.startsWith(QLatin1String("Hour of ")); });
    ASSERT_EQ(hours.size(), 720u);
    HoursSpan span;
    {
        ScratchJobs jobs(settings, DerivedValues{}, EnginePath);
        ASSERT_TRUE(fetchHoursSpan(jobs, place, {2026, 6, 1}, {2026, 6, 30}, &span));
    }
    EXPECT_EQ(hours.front().start, placeMinute(span.day({2026, 6, 1})->sunRise, QTimeZone::utc()));
    EXPECT_EQ(hours.front().summary, QStringLiteral("Hour of Moon")) << "1 June 2026 is a Monday";
    EXPECT_EQ(hours.back().end, placeMinute(span.day({2026, 6, 30})->nextSunRise, QTimeZone::utc()));

    // Each hour says which it is, of which half of which base day; the rest say where.
    const QString text = QString::fromUtf8(first);
    for (const char *description : {"Hour 1 of the day of Monday 2026-06-01 at 93W21 45N05",
                                    "Hour 12 of the day of Monday 2026-06-01 at 93W21 45N05",
                                    "Hour 1 of the night of Monday 2026-06-01 at 93W21 45N05",
                                    "Hour 10 of the night of Tuesday 2026-06-30 at 93W21 45N05"})
        EXPECT_EQ(text.count(QStringLiteral("\r\nDESCRIPTION:%1\r\n").arg(QLatin1String(description))), 1)
            << description;
    EXPECT_EQ(text.count(QStringLiteral("\r\nDESCRIPTION:Hour ")), counts.hours);
    EXPECT_EQ(text.count(QStringLiteral("\r\nDESCRIPTION:93W21 45N05\r\n")),
              counts.sunMoon + counts.transits);
}

} // namespace
} // namespace orlam
