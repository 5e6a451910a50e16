// The hour reports of the window's Reports menu with the real engine: the next hour of a
// planet, the week of hours and the calendar export, none of which touches the window's files.

#include "apptestsupport.h"
#include "calendarexportdialog.h"
#include "common/clocktime.h"
#include "hoursmenu.h"
#include "reports/calendarexport.h"

#include <QAction>
#include <QCheckBox>
#include <QDirIterator>
#include <QSpinBox>
#include <QTest>
#include <QTextEdit>

using namespace orlam;
using namespace orlam::test;

namespace {

QMap<QString, QByteArray> filesOf(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, readAll(path));
    }
    return files;
}

// A window at 93W21 45N05 on standard time with the real engine, its date picker on Sunday
// 14 June 2026 and its clock at Monday 15 June 19:30.
struct HoursRig {
    HoursRig()
    {
        writeAll(rig.settingsPath(), "[orlam]\r\nAstrolog=" ORLAM_BIN_DIR "/orlam-ephem\r\nTime=0\r\n");
        window = rig.makeWindow();
        window->setPickers(clockTime(2026, 6, 14, 12, 0), QTime(12, 0));
        // 7:30 PM on the clock of "Time Zone" 6 (standard time, no zone named).
        window->hoursMenu().setNow(
            [] { return QDateTime(QDate(2026, 6, 15), QTime(19, 30), QTimeZone(-6 * 3600)).toUTC(); });
        view = window->findChild<QTextEdit *>(QStringLiteral("TDate"));
    }
    void trigger(const char *action) { window->findChild<QAction *>(QString::fromLatin1(action))->trigger(); }
    QStringList viewLines() const { return view->toPlainText().split(QLatin1Char('\n')); }

    WindowRig rig;
    std::unique_ptr<TOrm> window;
    QTextEdit *view = nullptr;
};

} // namespace

class HoursMenuTest : public QObject {
    Q_OBJECT
private slots:
    void weekAndNextHourInTheView();
    void exportWritesTheChosenEvents();
    void exportDialogChecksTheChoice();
};

void HoursMenuTest::weekAndNextHourInTheView()
{
    HoursRig rig;
    QVERIFY(rig.view);
    const QMap<QString, QByteArray> before = filesOf(rig.rig.filePath({}));

    rig.trigger("WeekHours1");
    QStringList lines = rig.viewLines();
    QCOMPARE(lines.value(0), QStringLiteral("Planetary Hours for the Week"));
    QCOMPARE(lines.value(1), QStringLiteral("Sunday, June 14, 2026 - Saturday, June 20, 2026"));
    // Seven blocks of 16 lines: blank, date, sunrise and sunset, the day's and the night's
    // column headings side by side, twelve rows of both.
    QCOMPARE(lines.size(), 2 + 7 * 16);
    const QStringList marked = lines.filter(QStringLiteral("\u00ab now"));
    QCOMPARE(marked.size(), 1);
    // Monday's night begins with Venus at sunset (about 8 PM); 7:30 PM is still Monday's day.
    QVERIFY2(marked.first().contains(QLatin1String(" Sun")), qPrintable(marked.first()));

    rig.trigger("NextHourVenus");
    lines = rig.viewLines();
    QCOMPARE(lines.value(0), QStringLiteral("Next Hours of Venus"));
    QCOMPARE(lines.value(1), QStringLiteral("From Monday, June 15, 2026 7:30 PM at 93W21 45N05"));
    QCOMPARE(lines.size(), 6);
    QVERIFY2(lines.at(3).startsWith(QLatin1String("Monday, June 15, 2026  ")), qPrintable(lines.at(3)));
    QVERIFY2(lines.at(3).contains(QLatin1String(" 8:")), qPrintable(lines.at(3)));
    // The start and end times in columns of their own.
    for (int i = 3; i < 6; ++i)
        QCOMPARE(lines.at(i).indexOf(QLatin1String(" - ")), lines.at(3).indexOf(QLatin1String(" - ")));

    // The reports ran their jobs elsewhere: the window's folder is as it was.
    QCOMPARE(filesOf(rig.rig.filePath({})), before);
    QVERIFY2(rig.rig.messages.isEmpty(), qPrintable(rig.rig.messages.join(QLatin1Char('|'))));
}

void HoursMenuTest::exportWritesTheChosenEvents()
{
    HoursRig rig;
    const QString file = rig.rig.filePath(QStringLiteral("two-days.ics"));
    CalendarSelection offered;
    rig.window->hoursMenu().setExportChooser([&](CalendarSelection *selection, QString *path) {
        offered = *selection;
        selection->dayCount = 2;
        selection->hourPlanets.fill(false);
        selection->hourPlanets[3] = true; // Venus
        selection->sunMoon = false;
        selection->transits = false;
        *path = file;
        return true;
    });
    int opened = 0;
    rig.window->hoursMenu().setFileOpener([&](const QString &) { return ++opened, true; });
    rig.trigger("ExportCalendar1");
    QCOMPARE(offered.first, QDate(2026, 6, 14));
    QCOMPARE(offered.dayCount, DefaultCalendarDays);
    const QByteArray ics = readAll(file);
    // Sunday has four hours of Venus (day 2 and 9, night 4 and 11), Monday three.
    QCOMPARE(ics.count("BEGIN:VEVENT"), 7);
    QCOMPARE(ics.count("SUMMARY:Hour of Venus"), 7);
    QVERIFY(rig.rig.messages.isEmpty());
    QCOMPARE(opened, 0); // without a display nobody is asked

    // Asked and answered yes: the file goes to the calendar program; when none takes it, the
    // user is told to import it.
    QString question;
    rig.window->hoursMenu().setOpenQuestion([&](const QString &text) { return question = text, true; });
    rig.trigger("ExportCalendar1");
    QVERIFY2(question.startsWith(QLatin1String("7 events of 2 days were saved in ")), qPrintable(question));
    QCOMPARE(opened, 1);
    QVERIFY(rig.rig.messages.isEmpty());
    rig.window->hoursMenu().setFileOpener([](const QString &) { return false; });
    rig.trigger("ExportCalendar1");
    QCOMPARE(rig.rig.messages.size(), 1);
    QVERIFY2(rig.rig.messages.takeFirst().contains(file), "the message names the file to import");

    // A folder that does not exist: the message names the file, nothing is written.
    rig.window->hoursMenu().setExportChooser([&](CalendarSelection *, QString *path) {
        *path = rig.rig.filePath(QStringLiteral("missing/x.ics"));
        return true;
    });
    rig.trigger("ExportCalendar1");
    QCOMPARE(rig.rig.messages.size(), 1);
    QVERIFY2(rig.rig.messages.first().startsWith(QLatin1String("Cannot create file")),
             qPrintable(rig.rig.messages.first()));
}

void HoursMenuTest::exportDialogChecksTheChoice()
{
    CalendarSelection preset;
    preset.first = QDate(2026, 6, 14);
    CalendarExportDialog dialog(preset);
    QCOMPARE(dialog.dayCount()->value(), DefaultCalendarDays);
    dialog.hours()->setChecked(false);
    QVERIFY(!dialog.planet(3)->isEnabled());
    dialog.hours()->setChecked(true);
    QVERIFY(dialog.planet(3)->isEnabled());
    for (int i = 0; i < HourPlanetCount; ++i)
        dialog.planet(i)->setChecked(i == 6);
    dialog.sunMoon()->setChecked(false);
    dialog.dayCount()->setValue(7);
    const CalendarSelection chosen = dialog.selection();
    QCOMPARE(chosen.first, QDate(2026, 6, 14));
    QCOMPARE(chosen.dayCount, 7);
    QVERIFY(chosen.hourPlanets[6] && !chosen.hourPlanets[0]);
    QVERIFY(!chosen.sunMoon && chosen.transits);

    // Nothing to include: the dialog says so and stays open.
    dialog.hours()->setChecked(false);
    dialog.transits()->setChecked(false);
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

QTEST_MAIN(HoursMenuTest)
#include "hoursmenu_test.moc"
