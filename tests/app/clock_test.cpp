// The clock and its alarms over simulated days: the real engine, a clock the test moves, and a
// sound player that records what it is given.

#include "apptestsupport.h"
#include "commandline.h"
#include "common/clocktime.h"
#include "common/soundplayer.h"
#include "hours/alarmclock.h"
#include "hours/planetaryhours.h"
#include "tfoptions.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

using namespace orlam;
using namespace orlam::test;

namespace {

QString realEngine()
{
    return QStringLiteral(ORLAM_BIN_DIR "/orlam-ephem");
}

class RecordingPlayer final : public SoundPlayer {
public:
    void enqueue(const QStringList &paths) override
    {
        for (const QString &path : paths)
            played << QFileInfo(path).fileName();
    }
    QStringList played;
};

// One event as the test follows it.
QString eventKey(const EventEntry &entry)
{
    return entry.moment.toString(QStringLiteral("yyyy-MM-dd hh:mm ")) + entry.body + QLatin1Char(' ') +
           entry.word;
}

// Every body's alarms and every hour's, the computer's own zone and daylight saving.
QByteArray alarmKeys()
{
    QByteArray keys = "Time=2\r\nMoon=1\r\n";
    for (const char *hour : {"Sun", "Moon", "Mercury", "Venus", "Mars", "Jupiter", "Saturn"})
        keys += "Hour " + QByteArray(hour) + "=1\r\n";
    return keys;
}

QByteArray placeKeys(const char *longitude, const char *latitude)
{
    return alarmKeys() + "Longitude=" + QByteArray(longitude) + "\r\nLatitude=" + QByteArray(latitude) +
           "\r\n";
}

// A window on the real engine whose clock is `*now` and whose sounds go to `player`.
struct ClockRig {
    ClockRig(const QByteArray &keys, const LocaleFacts &locale, QDateTime *now, SoundPlayer *player)
    {
        writeAll(rig.settingsPath(), "[orlam]\r\nAstrolog=" + realEngine().toUtf8() + "\r\n" + keys);
        window = std::make_unique<TOrm>(rig.settingsPath(), rig.folder(), locale);
        window->setMessageHandler([this](const QString &text) { rig.messages << text; });
        window->setEndProgram([](int) {});
        window->findChild<QTimer *>(QStringLiteral("Timer1"))->stop(); // the test ticks by hand
        window->setClock([now] { return *now; });
        window->setSoundPlayer(player);
        window->SetNow();
    }
    WindowRig rig;
    std::unique_ptr<TOrm> window;
};

} // namespace

class ClockTest : public QObject {
    Q_OBJECT
private slots:
    void simulatedDay_data();
    void simulatedDay();
    void nights_data();
    void nights();
    void suspendPauseAndTheView();
    void clockLeavesWhatExists();
};

void ClockTest::simulatedDay_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("zone");
    QTest::addColumn<QByteArray>("longitude");
    QTest::addColumn<QByteArray>("latitude");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<bool>("hasHours");
    QTest::newRow("45N May en_US") << "en_US"
                                   << "America/Chicago" << QByteArray("93W21") << QByteArray("45N05")
                                   << QDate(2026, 5, 17) << true;
    QTest::newRow("45N July en_GB") << "en_GB"
                                    << "America/Chicago" << QByteArray("93W21") << QByteArray("45N05")
                                    << QDate(2026, 7, 1) << true;
    QTest::newRow("45N May de_DE") << "de_DE"
                                   << "America/Chicago" << QByteArray("93W21") << QByteArray("45N05")
                                   << QDate(2026, 5, 17) << true;
    // The nights the clocks change, with the computer's zone ("Time" = 2).
    QTest::newRow("45N spring change en_US")
        << "en_US"
        << "America/Chicago" << QByteArray("93W21") << QByteArray("45N05") << QDate(2026, 3, 8) << true;
    QTest::newRow("45N autumn change en_US")
        << "en_US"
        << "America/Chicago" << QByteArray("93W21") << QByteArray("45N05") << QDate(2026, 11, 1) << true;
    // Dates written year first, in a zone without daylight saving.
    QTest::newRow("35N Tokyo ja_JP") << "ja_JP"
                                     << "Asia/Tokyo" << QByteArray("139E46") << QByteArray("35N41")
                                     << QDate(2026, 5, 17) << true;
    // The Sun sets just after midnight and rises an hour later: the days still have hours.
    QTest::newRow("69N May de_DE") << "de_DE"
                                   << "Europe/Oslo" << QByteArray("18E57") << QByteArray("69N39")
                                   << QDate(2026, 5, 17) << true;
    // Midnight sun: no sunrise, no sunset, no hours.
    QTest::newRow("69N July en_US") << "en_US"
                                    << "Europe/Oslo" << QByteArray("18E57") << QByteArray("69N39")
                                    << QDate(2026, 7, 1) << false;
}

// From the evening before `day` to the small hours after it, the clock ticks at the minute of
// every pending event (twice), and at midnight: every event fires once, at its minute, with its
// sounds in order.
void ClockTest::simulatedDay()
{
    QFETCH(QString, locale);
    QFETCH(QString, zone);
    QFETCH(QByteArray, longitude);
    QFETCH(QByteArray, latitude);
    QFETCH(QDate, day);
    QFETCH(bool, hasHours);
    const QTimeZone tz(zone.toLatin1());
    const LocaleFacts facts = LocaleFacts::make(QLocale(locale), tz, day);
    QDateTime now(day.addDays(-1), QTime(20, 0, 10), tz);
    const QDateTime end(day.addDays(1), QTime(3, 0), tz);
    RecordingPlayer player;
    ClockRig clock(placeKeys(longitude, latitude), facts, &now, &player);
    TOrm &window = *clock.window;
    window.FormShow();
    QVERIFY2(clock.rig.messages.isEmpty(), qPrintable(clock.rig.messages.join(QLatin1Char('\n'))));

    QSet<QString> seen; // every event any build listed, from the start on
    QStringList fired;  // in firing order
    QStringList expectedSounds;
    bool nightHourAfterMidnight = false;
    bool newDayHours = false;
    auto note = [&] {
        for (const EventEntry &entry : window.eventList().entries)
            seen.insert(eventKey(entry));
    };
    note();
    QVERIFY(!window.eventList().isEmpty());
    QListWidget *view = window.findChild<QListWidget *>(QStringLiteral("CheckListBox1"));

    auto tick = [&] {
        QSet<QString> before;
        for (const EventEntry &entry : window.eventList().entries)
            if (entry.fired)
                before.insert(eventKey(entry));
        window.Timer1Timer();
        note();
        QCOMPARE(view->count(), window.eventList().size());
        const QDateTime clockNow = clockFromLocal(now);
        for (int i = 0; i < window.eventList().size(); ++i) {
            const EventEntry &entry = window.eventList().entries[i];
            if (!entry.fired || before.contains(eventKey(entry)))
                continue;
            QCOMPARE(entry.moment.toString(QStringLiteral("yyyyMMddhhmm")),
                     clockNow.toString(QStringLiteral("yyyyMMddhhmm")));
            QCOMPARE(view->item(i)->checkState(), Qt::Checked);
            QVERIFY2(!fired.contains(eventKey(entry)), qPrintable(eventKey(entry)));
            fired << eventKey(entry);
            expectedSounds << entry.body.toLower() + QStringLiteral(".wav")
                           << entry.word.toLower() + QStringLiteral(".wav");
            if (entry.word == QLatin1String("Hour") && entry.moment.date() == day &&
                entry.moment.time().hour() < 3)
                nightHourAfterMidnight = true;
        }
    };

    tick();
    while (now < end) {
        // The next minute with a pending event, or the next midnight, whichever comes first.
        QDateTime next(now.date().addDays(1), QTime(0, 0, 5), tz);
        for (const EventEntry &entry : window.eventList().entries)
            if (!entry.fired && entry.moment > clockFromLocal(now) && entry.moment < clockFromLocal(next))
                next = QDateTime(entry.moment.date(), entry.moment.time().addSecs(5), tz);
        now = qMin(next, end);
        tick();
        if (now.date() == day && now.time() < QTime(0, 1))
            for (const EventEntry &entry : window.eventList().entries)
                if (entry.word == QLatin1String("Hour") && entry.moment.date() == day &&
                    entry.moment.time().hour() >= 4)
                    newDayHours = true;
        now = now.addSecs(40); // the same minute again: nothing fires twice
        tick();
    }

    QStringList missed;
    for (const QString &key : seen)
        if (!fired.contains(key) && key < clockFromLocal(end).toString(QStringLiteral("yyyy-MM-dd hh:mm")))
            missed << key;
    QVERIFY2(missed.isEmpty(), qPrintable(missed.join(QLatin1Char('\n'))));
    QVERIFY(fired.size() >= (hasHours ? 30 : 4));
    QCOMPARE(player.played, expectedSounds);
    QCOMPARE(newDayHours, hasHours);
    QCOMPARE(nightHourAfterMidnight, hasHours);
    QVERIFY2(clock.rig.messages.isEmpty(), qPrintable(clock.rig.messages.join(QLatin1Char('\n'))));
}

void ClockTest::nights_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QByteArray>("place"); // settings keys of the place
    QTest::addColumn<QDateTime>("start");  // the program starts (local clock of `zone`)
    QTest::addColumn<QDateTime>("end");
    QTest::addColumn<QDateTime>("change");    // the place is changed in Options then, if valid
    QTest::addColumn<QByteArray>("newPlace"); // "longitude latitude"
    QTest::addColumn<QString>("caption");     // the hour the caption shows at the start
    QTest::addColumn<QStringList>("rings");   // alarms that must ring: "MM-dd hh:mm Body word"

    const QTimeZone chicago("America/Chicago");
    const QTimeZone berlin("Europe/Berlin");
    const QByteArray minneapolis("Longitude=93W21\r\nLatitude=45N05\r\nTime Zone=6\r\n");
    const QByteArray chicagoCity("Longitude=87W39\r\nLatitude=41N51\r\nTime Zone=6\r\n");
    // The night the clocks go forward: Sunday's first hour is the Sun's, at sunrise, 7:04 CDT.
    QTest::newRow("Chicago spring, left running")
        << QByteArray("America/Chicago") << chicagoCity
        << QDateTime(QDate(2027, 3, 13), QTime(22, 0, 5), chicago)
        << QDateTime(QDate(2027, 3, 14), QTime(8, 0), chicago) << QDateTime() << QByteArray() << QString()
        << QStringList{"03-14 07:04 Sun rises", "03-14 07:04 Sun Hour", "03-14 03:01 Moon Hour"};
    QTest::newRow("Chicago spring, started at 01:56")
        << QByteArray("America/Chicago") << chicagoCity
        << QDateTime(QDate(2027, 3, 14), QTime(1, 56), chicago)
        << QDateTime(QDate(2027, 3, 14), QTime(8, 0), chicago) << QDateTime() << QByteArray()
        << " [Hour of Mercury 1:00 AM-3:01 AM]"
        << QStringList{"03-14 03:01 Moon Hour", "03-14 07:04 Sun rises", "03-14 07:04 Sun Hour"};
    // The night the clocks go back: 1:00 to 2:00 comes twice, the hours run on in elapsed time.
    QTest::newRow("Chicago autumn, left running")
        << QByteArray("America/Chicago") << chicagoCity
        << QDateTime(QDate(2026, 10, 31), QTime(22, 0, 5), chicago)
        << QDateTime(QDate(2026, 11, 1), QTime(7, 30), chicago) << QDateTime() << QByteArray() << QString()
        << QStringList{"11-01 01:43 Mercury Hour", "11-01 01:51 Moon Hour", "11-01 06:23 Sun Hour"};
    QTest::newRow("Chicago autumn, started at 01:56 CDT")
        << QByteArray("America/Chicago") << chicagoCity
        << QDateTime(QDate(2026, 11, 1), QTime(6, 56), QTimeZone::utc()).toTimeZone(chicago)
        << QDateTime(QDate(2026, 11, 1), QTime(7, 30), chicago) << QDateTime() << QByteArray()
        << " [Hour of Mercury 1:43 AM-1:51 AM]"
        << QStringList{"11-01 01:51 Moon Hour", "11-01 06:23 Sun Hour"};
    // A login in the small hours: the rest of the night's hours ring, not only the day's.
    QTest::newRow("Berlin, started at 01:18")
        << QByteArray("Europe/Berlin") << QByteArray("Longitude=13E24\r\nLatitude=52N31\r\nTime Zone=-1\r\n")
        << QDateTime(QDate(2026, 12, 9), QTime(1, 18), berlin)
        << QDateTime(QDate(2026, 12, 9), QTime(9, 0), berlin) << QDateTime() << QByteArray() << QString()
        << QStringList{"12-09 01:20 Saturn Hour", "12-09 02:41 Jupiter Hour", "12-09 04:02 Mars Hour",
                       "12-09 05:23 Sun Hour", "12-09 06:44 Venus Hour"};
    // The polar night: no hours, a neutral tray image, and the caption says why.
    QTest::newRow("Tromso, polar night")
        << QByteArray("Europe/Oslo") << QByteArray("Longitude=18E57\r\nLatitude=69N39\r\nTime Zone=-1\r\n")
        << QDateTime(QDate(2026, 12, 10), QTime(10, 0, 5), QTimeZone("Europe/Oslo"))
        << QDateTime(QDate(2026, 12, 10), QTime(13, 0), QTimeZone("Europe/Oslo")) << QDateTime()
        << QByteArray() << " [Hour not available: no sunrise]" << QStringList();
    // A new place chosen in Options: its events at once, none of the old place's after.
    QTest::newRow("Options: Minneapolis to Denver")
        << QByteArray("America/Chicago") << minneapolis
        << QDateTime(QDate(2026, 12, 8), QTime(15, 0, 5), chicago)
        << QDateTime(QDate(2026, 12, 8), QTime(20, 0), chicago)
        << QDateTime(QDate(2026, 12, 8), QTime(16, 0, 20), chicago) << QByteArray("104W59 39N44") << QString()
        << QStringList{"12-08 17:35 Sun sets", "12-08 16:01 Mercury Hour"};
}

// The real window on the real engine through a night, its clock ticking twice a minute: every
// alarm rings once, in the minute of its instant, none is missed or listed twice, and each hour of
// the Sun's rising and setting begins with it.
void ClockTest::nights()
{
    QFETCH(QByteArray, zone);
    QFETCH(QByteArray, place);
    QFETCH(QDateTime, start);
    QFETCH(QDateTime, end);
    QFETCH(QDateTime, change);
    QFETCH(QByteArray, newPlace);
    QFETCH(QString, caption);
    QFETCH(QStringList, rings);
    const QTimeZone tz(zone);
    const LocaleFacts facts = LocaleFacts::make(QLocale(QStringLiteral("en_US")), tz, start.date());
    QDateTime now = start;
    RecordingPlayer player;
    ClockRig clock(alarmKeys() + place + "Update Caption=1\r\n", facts, &now, &player);
    TOrm &window = *clock.window;
    window.FormShow();
    if (!caption.isEmpty())
        QVERIFY2(window.windowTitle().endsWith(caption), qPrintable(window.windowTitle()));
    if (caption.contains(QLatin1String("no sunrise")))
        QCOMPARE(window.trayImage(), NeutralTrayImage);

    const auto wall = [&tz](const EventEntry &entry) {
        return entry.at.toTimeZone(tz).addSecs(30).toString(QStringLiteral("MM-dd hh:mm ")) + entry.body +
               QLatin1Char(' ') + entry.word;
    };
    QStringList fired;
    QStringList problems;
    const auto tick = [&] {
        QSet<QString> before;
        for (const EventEntry &entry : window.eventList().entries)
            if (entry.fired)
                before.insert(wall(entry));
        window.Timer1Timer();
        const QList<EventEntry> &entries = window.eventList().entries;
        for (int i = 0; i < entries.size(); ++i) {
            const EventEntry &entry = entries[i];
            if (entry.missed)
                problems << QStringLiteral("missed ") + wall(entry);
            for (int j = i + 1; j < entries.size(); ++j)
                if (entry.word != QLatin1String("Hour") && entries[j].body == entry.body &&
                    entries[j].word == entry.word && qAbs(entry.at.secsTo(entries[j].at)) < 2 * 3600)
                    problems << QStringLiteral("twice ") + wall(entry) + QStringLiteral(" / ") +
                                    wall(entries[j]);
            if (!entry.fired || before.contains(wall(entry)))
                continue;
            if (alarmMinute(entry.at) != minuteOf(now))
                problems << QStringLiteral("off its minute ") + wall(entry);
            if (fired.contains(wall(entry)))
                problems << QStringLiteral("twice rung ") + wall(entry);
            fired << wall(entry);
        }
    };
    for (; now < end; now = now.addSecs(30)) {
        if (change.isValid() && now >= change && now < change.addSecs(30)) {
            TfOptions *options = nullptr;
            const std::unique_ptr<TfOptions> dialog = window.makeOptionsDialog();
            options = dialog.get();
            options->show();
            const QList<QByteArray> coordinates = newPlace.split(' ');
            options->Long->setText(QString::fromLatin1(coordinates[0]));
            options->Lat->setText(QString::fromLatin1(coordinates[1]));
            options->Button3->click();
            options->close();
            // At once, not at the next tick: the old place's pending events are gone.
            for (const EventEntry &entry : window.eventList().entries)
                QVERIFY2(entry.at.toTimeZone(tz).date() != change.date() ||
                             entry.body != QLatin1String("Sun") || entry.word != QLatin1String("sets") ||
                             entry.at.toTimeZone(tz).time() > QTime(17, 30),
                         qPrintable(wall(entry)));
        }
        tick();
    }
    problems.removeDuplicates();
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    for (const QString &ring : rings)
        QVERIFY2(fired.contains(ring),
                 qPrintable(ring + QStringLiteral(" not in:\n") + fired.join(QLatin1Char('\n'))));
    // Sunrise and sunset begin an hour: the same minute in the same day's list.
    for (const QString &event : fired)
        if (event.mid(12, 4) == QLatin1String("Sun ") && !event.endsWith(QLatin1String("Hour")) &&
            (event.endsWith(QLatin1String("rises")) || event.endsWith(QLatin1String("sets"))))
            QVERIFY2(std::any_of(fired.begin(), fired.end(),
                                 [&](const QString &other) {
                                     return other.startsWith(event.left(12)) &&
                                            other.endsWith(QLatin1String("Hour"));
                                 }),
                     qPrintable(event));
    QVERIFY2(clock.rig.messages.isEmpty(), qPrintable(clock.rig.messages.join(QLatin1Char('\n'))));
}

// A jump of four hours (a suspended computer) sounds none of the events it passed over; a paused
// clock sounds nothing; the hours report fills the view and the event view toggles.
void ClockTest::suspendPauseAndTheView()
{
    const QTimeZone tz("America/Chicago");
    const LocaleFacts facts = LocaleFacts::make(QLocale(QStringLiteral("en_US")), tz, QDate(2026, 5, 17));
    QDateTime now(QDate(2026, 5, 17), QTime(9, 0, 10), tz);
    RecordingPlayer player;
    ClockRig clock(placeKeys("93W21", "45N05"), facts, &now, &player);
    TOrm &window = *clock.window;
    window.FormShow();
    window.Timer1Timer();
    const QStringList atStart = player.played;
    const int pending = window.eventList().size();

    now = now.addSecs(4 * 3600 + 20); // 13:00:30
    window.Timer1Timer();
    for (const EventEntry &entry : window.eventList().entries)
        if (entry.fired)
            QVERIFY2(entry.moment >= clockTime(2026, 5, 17, 13, 0), qPrintable(eventKey(entry)));
    QVERIFY(player.played.size() - atStart.size() <= 4);
    QCOMPARE(window.eventList().size(), pending);

    // The minute's Calculate has removed the rise/set reports of the start; the data viewer
    // has the day's rise and set times all the same.
    QVERIFY(!QFile::exists(QDir(clock.rig.folder()).filePath(QStringLiteral("riseset.txt"))));
    auto *view = window.findChild<QTextEdit *>(QStringLiteral("TDate"));
    window.AstroButtonClick();
    const QString data = view->toPlainText();
    QVERIFY2(data.contains(QLatin1String("\nRise and Set Times\n")), qPrintable(data));
    QVERIFY(data.contains(QLatin1String("\nRise and Set Times (next day)\n")));
    QVERIFY2(data.contains(QRegularExpression(QStringLiteral("5/17/2026 +5:\\d\\dam +Sun +rises"))),
             qPrintable(data));

    // Paused across the next event: no tick, no sound; resumed after it, it stays silent.
    window.Paused1Click();
    QVERIFY(window.clockPaused());
    QVERIFY(!window.findChild<QTimer *>(QStringLiteral("Timer1"))->isActive());
    const QStringList beforePause = player.played;
    QDateTime nextEvent;
    for (const EventEntry &entry : window.eventList().entries)
        if (!entry.fired) {
            nextEvent = entry.moment;
            break;
        }
    QVERIFY(nextEvent.isValid());
    now = QDateTime(nextEvent.date(), nextEvent.time().addSecs(125), tz);
    QVERIFY(!window.findChild<QLabel *>(QStringLiteral("PausedText"))->isHidden());
    window.Paused1Click();
    QVERIFY(window.findChild<QLabel *>(QStringLiteral("PausedText"))->isHidden());
    window.findChild<QTimer *>(QStringLiteral("Timer1"))->stop();
    window.Timer1Timer();
    QCOMPARE(player.played, beforePause);
    // The row of the event that passed unheard says so; it is not checked as if it had rung.
    auto *rows = window.findChild<QListWidget *>(QStringLiteral("CheckListBox1"));
    int missedRows = 0;
    for (int i = 0; i < window.eventList().size(); ++i)
        if (window.eventList().entries[i].missed) {
            ++missedRows;
            QVERIFY(rows->item(i)->text().endsWith(QLatin1String("(missed)")));
            QCOMPARE(rows->item(i)->checkState(), Qt::Unchecked);
        }
    QVERIFY(missedRows >= 1);

    // The hours report; the clock's own runs leave the view alone.
    window.HoursButtonClick();
    const QStringList report = view->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(report.size(), 43);
    QCOMPARE(report[0], QStringLiteral("Planetary Hours"));
    QVERIFY(report[2].startsWith(QLatin1String("Sunrise: Sunday, May 17, 2026")));
    QVERIFY(report[32].startsWith(QLatin1String("Hours of Light 14:")));
    now = now.addSecs(60);
    window.Timer1Timer();
    QCOMPARE(view->toPlainText().split(QLatin1Char('\n')).size(), 43);
    QCOMPARE(window.trayImage() >= 0, true);

    auto *events = window.findChild<QListWidget *>(QStringLiteral("CheckListBox1"));
    QVERIFY(events->isHidden());
    auto *menuEntry = window.findChild<QAction *>(QStringLiteral("AlarmEvents1"));
    auto *toolbarToggle = window.findChild<QAction *>(QStringLiteral("ToolbarButton971"));
    QVERIFY(toolbarToggle);
    window.AlarmEvents1Click();
    QVERIFY(!events->isHidden());
    QVERIFY(menuEntry->isChecked());
    QVERIFY(toolbarToggle->isChecked());
    window.AlarmEvents1Click();
    QVERIFY(events->isHidden());
    // The toolbar toggle, pressed as a user would, shows the view and stays down with the menu's
    // check mark; the menu entry then hides the view and lifts the toggle.
    toolbarToggle->trigger();
    QVERIFY(!events->isHidden());
    QVERIFY(toolbarToggle->isChecked());
    QVERIFY(menuEntry->isChecked());
    menuEntry->trigger();
    QVERIFY(events->isHidden());
    QVERIFY(!toolbarToggle->isChecked());
    QVERIFY(!menuEntry->isChecked());
    QVERIFY(clock.rig.messages.isEmpty());
}

// The clock's silent work must not damage what the user has: the clipboard, the view, the
// pickers while a message box of a failing minute is open; a damaged line costs one message.
void ClockTest::clockLeavesWhatExists()
{
    const QTimeZone tz("America/Chicago");
    const LocaleFacts facts = LocaleFacts::make(QLocale(QStringLiteral("en_US")), tz, QDate(2026, 5, 17));
    QDateTime now(QDate(2026, 5, 17), QTime(9, 0, 10), tz);
    RecordingPlayer player;
    ClockRig clock(placeKeys("93W21", "45N05") + "Replace Clip=1\r\n", facts, &now, &player);
    TOrm &window = *clock.window;
    // The window's own first tick comes before the start-up: no engine run, no list.
    QVERIFY(!QFile::exists(QStringLiteral("input.txt")));
    QVERIFY(!window.eventList().built);

    window.FormShow();
    QVERIFY(QGuiApplication::clipboard()->text().contains(QLatin1String("e.v.")));
    QGuiApplication::clipboard()->setText(QStringLiteral("mine"));
    const QString shown = window.findChild<QTextEdit *>(QStringLiteral("TDate"))->toPlainText();
    now = now.addSecs(60);
    window.Timer1Timer();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("mine"));
    QCOMPARE(window.findChild<QTextEdit *>(QStringLiteral("TDate"))->toPlainText(), shown);
    QCOMPARE(window.timePickerValue().minute(), 1);

    // At midnight "hl.txt" cannot be written (a folder holds its name): its message box runs
    // ticks, which only keep the status bar going: no second minute's work, no second build.
    QVERIFY(QFile::remove(QStringLiteral("hl.txt")));
    QVERIFY(QDir().mkdir(QStringLiteral("hl.txt")));
    int nested = 0;
    window.setMessageHandler([&](const QString &) {
        ++nested;
        now = now.addSecs(60);
        window.Timer1Timer();
        QCOMPARE(window.timePickerValue(), QTime(0, 0, 10));
    });
    now = QDateTime(QDate(2026, 5, 18), QTime(0, 0, 10), tz);
    window.Timer1Timer();
    QCOMPARE(nested, 1);
    QCOMPARE(window.eventList().builtOn, QDate(2026, 5, 18));
    QVERIFY(QDir().rmdir(QStringLiteral("hl.txt")));

    // "hl.txt" is the user's copy: a damaged one is never read back into the list.
    QStringList messages;
    window.setMessageHandler([&](const QString &text) { messages << text; });
    // (The events that the jump to midnight passed over are shown missed until this build.)
    const auto listed = std::count_if(window.eventList().entries.begin(), window.eventList().entries.end(),
                                      [](const EventEntry &entry) { return !entry.missed; });
    writeAll(QStringLiteral("hl.txt"), "(Sun) 05/17/20x6 10:00pm Venus         Hour\r\n");
    window.BuildEventList();
    QCOMPARE(messages, QStringList());
    QCOMPARE(window.eventList().size(), listed);
    auto *events = window.findChild<QListWidget *>(QStringLiteral("CheckListBox1"));
    QCOMPARE(events->count(), window.eventList().size());
    QVERIFY(events->findItems(QStringLiteral("20x6"), Qt::MatchContains).isEmpty());
}

QTEST_MAIN(ClockTest)
#include "clock_test.moc"
