// The options dialog driven as a user would: opening, each control's rule, the city list, Save
// long/lat, Try, Defaults, every way of closing, an unwritable settings file, Start at login.

#include "apptestsupport.h"
#include "autostart.h"
#include "settings/inifile.h"
#include "settings/settingstable.h"
#include "tfoptions.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QWheelEvent>
#include <unistd.h>

using namespace orlam;
using namespace orlam::test;

namespace {

// Every option key at a value other than its default, so that a key written from the wrong
// control or not at all shows.
const QByteArray Changed =
    "DateFormat=0\r\nTimeFormat=1\r\nLines=2\r\nFormat=3\r\nTime=1\r\nDay Begins=2\r\n"
    "Aspect=0\r\nZodiac=1\r\nHouse System=12\r\nBasic=2\r\nClear=0\r\nWheel Chart=1\r\n"
    "Wheel Reverse=0\r\nMonochrome=0\r\nAspect Charts=1\r\nHints=0\r\nUpdate Caption=1\r\n"
    "Replace Clip=1\r\nGreetings=1\r\nQuoted=1\r\nSun=0\r\nMoon=1\r\nMercury=1\r\n"
    "Venus=0\r\nMars=1\r\nJupiter=0\r\nNeptune=1\r\nUranus=0\r\nSaturn=1\r\nPluto=1\r\n"
    "Hour Sun=0\r\nHour Moon=1\r\nHour Mercury=0\r\nHour Venus=1\r\nHour Mars=0\r\n"
    "Hour Jupiter=1\r\nHour Saturn=1\r\nLocal File Save=1\r\nLongitude=2E21\r\n"
    "Latitude=48N52\r\nTime Zone=-1\r\n";

const QString CityTabLine = QStringLiteral("Minneapolis              45N05     93W21");

QString value(const QString &path, const QString &key)
{
    QString v;
    return IniFile(path).value(SettingsSection, key, &v) ? v : QStringLiteral("<missing>");
}

// The dialog as the main window makes it, with its questions answered by the test.
struct Dialog {
    Dialog(TOrm &window) : dialog(window.makeOptionsDialog())
    {
        dialog->hooks().askYesNo = [this](const QString &text) {
            questions << text;
            return answerYes;
        };
        dialog->hooks().closeWithoutSaving = [this](const QString &text) {
            writeFailures << text;
            return leaveWithoutSaving;
        };
        dialog->hooks().openAddress = [this](const QString &address) { addresses << address; };
        dialog->show();
        exposed = QTest::qWaitForWindowExposed(dialog.get());
    }
    TfOptions *operator->() const { return dialog.get(); }

    std::unique_ptr<TfOptions> dialog;
    QStringList questions;
    QStringList writeFailures;
    QStringList addresses;
    bool answerYes = true;
    bool leaveWithoutSaving = false;
    bool exposed = false;
};

void clickRadio(QButtonGroup *group, int index)
{
    group->button(index)->click();
}

void click(QAbstractButton *button)
{
    button->click();
}

// Keeps a folder's files from being written, for root too, while it lives.
class Unwritable {
public:
    // The settings file itself is made unwritable: a file in a read-only folder that can itself
    // be written is updated in place, so the folder alone would not stop the write. As root only
    // the immutable attribute stops it.
    explicit Unwritable(QString file) : mFile(std::move(file))
    {
        QFile::setPermissions(mFile, QFileDevice::ReadOwner);
        if (::geteuid() == 0)
            mImmutable = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), mFile}) == 0;
    }
    ~Unwritable()
    {
        if (mImmutable)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), mFile});
        QFile::setPermissions(mFile, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    bool holds() const
    {
        QFile probe(mFile);
        return !probe.open(QIODevice::WriteOnly | QIODevice::Append);
    }

private:
    QString mFile;
    bool mImmutable = false;
};

} // namespace

class TfOptionsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void windowTabsAndButtons();
    void tabFollowsTheLayoutAndStopsAtTheCheckedRadio();
    void openingAndClosingUntouchedKeepsTheFile();
    void withoutAFileEveryOptionGetsItsDefault();
    void valuesOutOfRange();
    void localeTimeDisablesTheZone();
    void dayBeginsMessages();
    void controlsThatChangeTheRecordAtOnce();
    void everyWayOfClosingSaves_data();
    void everyWayOfClosingSaves();
    void defaultsButton();
    void unsavedLongitudeIsLost();
    void saveLocationRefusesUnusableTexts_data();
    void saveLocationRefusesUnusableTexts();
    void cityLineAskedAndSaved();
    void cityZoneComesWithTheCity_data();
    void cityZoneComesWithTheCity();
    void unknownZoneNameIsRefused();
    void typingFiltersWithoutAsking();
    void unusableCityLineIsRefused();
    void tryCalculatesWithTheOptionsChangedAtOnce();
    void unwritableFileLeavesItUntouched();
    void startAtLogin();
    void coordinatesPage();

private:
    QTemporaryDir mConfig;
};

void TfOptionsTest::initTestCase()
{
    // The autostart entry goes to a folder of the test's own.
    qputenv("XDG_CONFIG_HOME", mConfig.path().toUtf8());
}

void TfOptionsTest::windowTabsAndButtons()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    Dialog d(*window);
    QCOMPARE(d->windowTitle(), QStringLiteral("Options"));
    QStringList tabs;
    for (int i = 0; i < d->PageControl1->count(); ++i)
        tabs << d->PageControl1->tabText(i);
    QCOMPARE(tabs, QStringList({"Formatting", "Astrological", "Additional", "Alarm"}));
    QCOMPARE(d->PageControl1->currentIndex(), 1);
    QCOMPARE(d->TryButton->text(), QStringLiteral("&Try"));
    QCOMPARE(d->CloseButton->text(), QStringLiteral("Done"));
    QCOMPARE(d->ResetButton->text(), QStringLiteral("&Defaults"));
    QVERIFY(d->minimumSize().width() >= 455 && d->minimumSize().height() >= 297);
    QVERIFY(d.exposed);
    QVERIFY(d->width() >= 455 && d->height() >= 297);
    // Every control has room for its text on every tab, also at the smallest size.
    d->resize(1, 1);
    for (int tab = 0; tab < d->PageControl1->count(); ++tab) {
        d->PageControl1->setCurrentIndex(tab);
        QApplication::processEvents();
        for (QWidget *control : d->PageControl1->currentWidget()->findChildren<QWidget *>()) {
            if (!control->isVisibleTo(d.dialog.get()))
                continue;
            QVERIFY2(control->width() >= control->minimumSizeHint().width() &&
                         control->height() >= control->minimumSizeHint().height(),
                     qPrintable(control->objectName()));
        }
    }
    // The hidden options are there, and only they are hidden.
    QVERIFY(!d->OClear->isVisibleTo(d.dialog.get()));
    QVERIFY(!d->OWheelChart->isVisibleTo(d.dialog.get()));
    QCOMPARE(d->StartWithWindows->text(), QStringLiteral("Start at login"));
    QCOMPARE(d->ComboBox1->lineEdit()->placeholderText(), QStringLiteral("City List"));
}

// Tab goes through the Formatting page as it is laid out (the top row of groups left to right,
// then the second row, then the day-begins box and the greetings), and into each group of radio
// buttons at its checked one; the arrows move within the group, and Tab then stops at the new
// choice.
void TfOptionsTest::tabFollowsTheLayoutAndStopsAtTheCheckedRadio()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    Dialog d(*window);
    QVERIFY(d.exposed);
    d->PageControl1->setCurrentIndex(0);
    QApplication::setActiveWindow(d.dialog.get());
    QVERIFY(QTest::qWaitForWindowActive(d.dialog.get()));
    const auto checkedOf = [&d](const char *group) {
        auto *buttons = d->findChild<QButtonGroup *>(QString::fromLatin1(group));
        return buttons && buttons->checkedButton() ? buttons->checkedButton()->objectName() : QString();
    };
    const auto stops = [](int count, bool backwards = false) {
        QStringList names;
        for (int i = 0; i < count; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                            backwards ? Qt::ShiftModifier : Qt::NoModifier);
            names << QApplication::focusWidget()->objectName();
        }
        return names;
    };
    const QStringList layout{checkedOf("ODateFormat"),    checkedOf("OTimeFormat"),   checkedOf("OFormat"),
                             checkedOf("OLines"),         checkedOf("OBasic"),        checkedOf("OAspect"),
                             QStringLiteral("DayBegins"), QStringLiteral("Greetings")};
    QVERIFY(!layout.contains(QString()));
    d->PageControl1->tabBar()->setFocus();
    QCOMPARE(stops(int(layout.size())), layout);
    QCOMPARE(stops(2, true), (QStringList{layout[6], layout[5]}));

    // An arrow key moves the choice within "Lines"; Tab then leaves from the new choice.
    auto *lines = d->findChild<QButtonGroup *>(QStringLiteral("OLines"));
    lines->checkedButton()->setFocus();
    const int before = lines->checkedId();
    QTest::keyClick(QApplication::focusWidget(), before == 2 ? Qt::Key_Up : Qt::Key_Down);
    QVERIFY(lines->checkedId() != before);
    QCOMPARE(QApplication::focusWidget(), lines->checkedButton());
    QCOMPARE(stops(1), QStringList{layout[4]});
    QCOMPARE(stops(1, true), QStringList{lines->checkedButton()->objectName()});
}

void TfOptionsTest::openingAndClosingUntouchedKeepsTheFile()
{
    WindowRig rig(Changed);
    const QByteArray before = readAll(rig.settingsPath());
    auto window = rig.makeWindow();
    {
        Dialog d(*window);
        click(d->CloseButton);
        QVERIFY(d->saved());
    }
    QCOMPARE(readAll(rig.settingsPath()), before);
    QVERIFY(rig.messages.isEmpty());
}

void TfOptionsTest::withoutAFileEveryOptionGetsItsDefault()
{
    WindowRig rig;
    rig.setSettingsPath(rig.filePath(QStringLiteral("new/Orlam.ini")));
    QDir().mkpath(rig.filePath(QStringLiteral("new")));
    auto window = rig.makeWindow();
    {
        Dialog d(*window);
        d->close();
    }
    QCOMPARE(readAll(rig.settingsPath()), readAll(QStringLiteral(ORLAM_TEST_DATA "/app/options_new.ini")));
}

void TfOptionsTest::valuesOutOfRange()
{
    WindowRig rig("Lines=7\r\nDateFormat=-1\r\nHouse System=40\r\nDay Begins=5\r\nFormat=0x2\r\n");
    auto window = rig.makeWindow();
    {
        Dialog d(*window);
        QCOMPARE(d->OLines->checkedId(), 2);
        QCOMPARE(d->ODateFormat->checkedId(), -1);
        QCOMPARE(d->OHouseSystem->checkedId(), 13);
        QCOMPARE(d->OFormat->checkedId(), 2);
        QCOMPARE(d->DayBegins->currentIndex(), -1);
        // What the groups show is what the calculation uses while the dialog is open.
        QCOMPARE(window->settings().Lines, 2);
        QCOMPARE(window->settings().HouseSystem, 13);
        d->close();
    }
    QCOMPARE(value(rig.settingsPath(), "Lines"), QStringLiteral("2"));
    QCOMPARE(value(rig.settingsPath(), "DateFormat"), QStringLiteral("-1"));
    QCOMPARE(value(rig.settingsPath(), "House System"), QStringLiteral("13"));
    QCOMPARE(value(rig.settingsPath(), "Format"), QStringLiteral("2"));
    // A day beginning the box cannot show goes back as it came.
    QCOMPARE(value(rig.settingsPath(), "Day Begins"), QStringLiteral("5"));
}

void TfOptionsTest::localeTimeDisablesTheZone()
{
    {
        WindowRig rig("Time=2\r\n");
        auto window = rig.makeWindow();
        Dialog d(*window);
        QVERIFY(!d->Zone->isEnabled());
        QVERIFY(rig.messages.isEmpty());
        clickRadio(d->OTime, 1);
        QVERIFY(d->Zone->isEnabled());
        QVERIFY(rig.messages.isEmpty());
        d->close();
    }
    WindowRig rig;
    auto window = rig.makeWindow();
    Dialog d(*window);
    QVERIFY(d->Zone->isEnabled());
    clickRadio(d->OTime, 2);
    QVERIFY(!d->Zone->isEnabled());
    QCOMPARE(rig.messages, QStringList{QString::fromUtf8(OptionsText::LocaleTimeMessage)});
    QVERIFY(QString::fromUtf8(OptionsText::LocaleTimeMessage)
                .startsWith("The \"System Locale Settings\" option uses the Timezone and Daylight Savings "
                            "Time settings of your "
                            "computer. It probably"));
    // The record takes the time mode only at the close.
    QCOMPARE(window->settings().TimeMode, 0);
    d->close();
    QCOMPARE(window->settings().TimeMode, 2);
}

void TfOptionsTest::dayBeginsMessages()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    Dialog d(*window);
    QVERIFY(!d->DayBegins->isEditable());
    QTest::keyClick(d->DayBegins, Qt::Key_Down);
    QCOMPARE(rig.messages,
             QStringList{"Times before Sunrise will now be adjusted back to prior day of week.  "
                         "Causes two additional calls to Astrolog."});
    QCOMPARE(window->settings().DayBegins, 1);
    QTest::keyClick(d->DayBegins, Qt::Key_Down);
    QCOMPARE(rig.messages.size(), 2);
    QCOMPARE(rig.messages.last(),
             QStringLiteral("Times after Sunset will now be adjusted forward to next day of "
                            "week.  Causes two additional calls to Astrolog."));
    QTest::keyClick(d->DayBegins, Qt::Key_Home);
    QCOMPARE(rig.messages.size(), 2);
    QCOMPARE(window->settings().DayBegins, 0);
}

void TfOptionsTest::controlsThatChangeTheRecordAtOnce()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    Dialog d(*window);
    d->PageControl1->setCurrentIndex(0);
    QVERIFY(d.exposed);
    TSettings &s = window->settings();

    QVERIFY(!d->Quoted->isEnabled());
    click(d->Greetings);
    QVERIFY(d->Quoted->isEnabled());
    QVERIFY(s.Greetings);
    click(d->Quoted);
    QVERIFY(s.Quoted);
    clickRadio(d->OLines, 0);
    clickRadio(d->OBasic, 1);
    clickRadio(d->OFormat, 4);
    clickRadio(d->ODateFormat, 2);
    clickRadio(d->OTimeFormat, 1);
    clickRadio(d->OAspect, 0);
    QCOMPARE(std::make_tuple(s.Lines, s.Basic, s.YearFormat, s.DateFormat, s.TimeFormat, s.AspectMode),
             std::make_tuple(0, 1, 4, 2, 1, 0));

    d->PageControl1->setCurrentIndex(1);
    clickRadio(d->OHouseSystem, 8);
    clickRadio(d->OZodiac, 1);
    QCOMPARE(std::make_pair(s.HouseSystem, s.Zodiac), std::make_pair(8, 1));

    d->PageControl1->setCurrentIndex(2);
    click(d->OAspects);
    click(d->CheckBox1);
    QVERIFY(s.AspectCharts && s.LocalFileSave);
    // These wait for the close.
    click(d->ReplaceClip);
    click(d->UpdateCaption);
    QVERIFY(!s.ReplaceClip && !s.UpdateCaption);
    QVERIFY(window->showHints());
    click(d->OHints);
    QVERIFY(!window->showHints());

    d->PageControl1->setCurrentIndex(3);
    click(d->HourAlarms[2]);
    QVERIFY(!s.HourAlarm[2]);
    d->close();
    QVERIFY(s.ReplaceClip && s.UpdateCaption && s.HourAlarm[2]);
    QVERIFY(s.LocalFileSave);
    QCOMPARE(value(rig.settingsPath(), "Hints"), QStringLiteral("0"));
    QVERIFY(rig.messages.isEmpty());
}

void TfOptionsTest::everyWayOfClosingSaves_data()
{
    QTest::addColumn<QString>("how");
    for (const char *how : {"Done", "Escape", "close box", "Try", "Defaults"})
        QTest::newRow(how) << QString::fromLatin1(how);
}

void TfOptionsTest::everyWayOfClosingSaves()
{
    QFETCH(QString, how);
    WindowRig rig;
    auto window = rig.makeWindow();
    Dialog d(*window);
    QVERIFY(d.exposed);
    click(d->ReplaceClip);
    if (how == "Done")
        click(d->CloseButton);
    else if (how == "Escape")
        QTest::keyClick(d.dialog.get(), Qt::Key_Escape);
    else if (how == "close box")
        d->close();
    else if (how == "Try")
        click(d->TryButton);
    else
        click(d->ResetButton);
    QVERIFY(!d->isVisible());
    QVERIFY(d->saved());
    QCOMPARE(value(rig.settingsPath(), "Replace Clip"),
             how == "Defaults" ? QStringLiteral("0") : QStringLiteral("1"));
    QCOMPARE(window->settings().ReplaceClip, how != "Defaults");
}

void TfOptionsTest::defaultsButton()
{
    WindowRig rig(Changed);
    auto window = rig.makeWindow();
    {
        Dialog d(*window);
        click(d->ResetButton);
    }
    QVERIFY(rig.messages.isEmpty());
    QVERIFY(window->showHints());
    const QString path = rig.settingsPath();
    QCOMPARE(value(path, "Format"), QStringLiteral("0"));
    QCOMPARE(value(path, "Basic"), QStringLiteral("1"));
    QCOMPARE(value(path, "Hour Sun"), QStringLiteral("0"));
    QCOMPARE(value(path, "Sun"), QStringLiteral("1"));
    QCOMPARE(value(path, "Day Begins"), QStringLiteral("0"));
    QCOMPARE(value(path, "Clear"), QStringLiteral("1"));
    QCOMPARE(value(path, "Wheel Reverse"), QStringLiteral("1"));
    // The place is left as it was.
    QCOMPARE(value(path, "Longitude"), QStringLiteral("2E21"));
    QCOMPARE(value(path, "Time Zone"), QStringLiteral("-1"));
    // The record equals the file again (Local File Save was set by the box at once).
    TSettings fromFile;
    SettingsStore(path).readRecord(&fromFile);
    fromFile.Astrolog = window->settings().Astrolog;
    for (const SettingDef &def : settingTable())
        if (def.field)
            QVERIFY2(fieldValue(def, window->settings()) == fieldValue(def, fromFile), qPrintable(def.key));
    QCOMPARE(window->settings().YearFormat, 0);
    QCOMPARE(window->settings().DayBegins, 0);
}

void TfOptionsTest::unsavedLongitudeIsLost()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    {
        Dialog d(*window);
        QCOMPARE(d->Long->text(), QStringLiteral("93W21"));
        d->Long->setText(QStringLiteral("0E10"));
        d->close();
    }
    QCOMPARE(value(rig.settingsPath(), "Longitude"), QStringLiteral("<missing>"));
    QCOMPARE(window->settings().Longitude, QStringLiteral("93W21"));
}

void TfOptionsTest::saveLocationRefusesUnusableTexts_data()
{
    QTest::addColumn<QString>("longitude");
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QString>("zone");
    QTest::addColumn<QString>("named");
    QTest::newRow("good") << "2E21"
                          << "48N52"
                          << "-1"
                          << "";
    QTest::newRow("empty longitude") << ""
                                     << "48N52"
                                     << "-1"
                                     << "Longitude";
    QTest::newRow("blank in latitude") << "2E21"
                                       << "48 N52"
                                       << "-1"
                                       << "Latitude";
    QTest::newRow("tab after zone") << "2E21"
                                    << "48N52"
                                    << "-1\t"
                                    << "Time Zone";
}

void TfOptionsTest::saveLocationRefusesUnusableTexts()
{
    QFETCH(QString, longitude);
    QFETCH(QString, latitude);
    QFETCH(QString, zone);
    QFETCH(QString, named);
    WindowRig rig;
    auto window = rig.makeWindow();
    const QByteArray before = readAll(rig.settingsPath());
    Dialog d(*window);
    d->Long->setText(longitude);
    d->Lat->setText(latitude);
    d->Zone->setText(zone);
    click(d->Button3);
    if (named.isEmpty()) {
        QVERIFY(rig.messages.isEmpty());
        QCOMPARE(value(rig.settingsPath(), "Longitude"), longitude);
        QCOMPARE(value(rig.settingsPath(), "Latitude"), latitude);
        QCOMPARE(value(rig.settingsPath(), "Time Zone"), zone);
        // The record follows at the close.
        QCOMPARE(window->settings().Longitude, QStringLiteral("93W21"));
        d->close();
        QCOMPARE(window->settings().Longitude, longitude);
    } else {
        QCOMPARE(rig.messages.size(), 1);
        QVERIFY2(rig.messages.first().startsWith(named), qPrintable(rig.messages.first()));
        QCOMPARE(readAll(rig.settingsPath()), before);
    }
}

void TfOptionsTest::cityLineAskedAndSaved()
{
    WindowRig rig;
    QVERIFY(writeAll(rig.filePath(QStringLiteral("city.tab")),
                     "Oslo, Norway             59N55     10E45\r\n" + CityTabLine.toLatin1() + "\r\n"));
    auto window = rig.makeWindow();
    Dialog d(*window);
    QCOMPARE(d->ComboBox1->count(), 2);
    QCOMPARE(d->ComboBox1->itemText(1), CityTabLine);
    d->Zone->setText(QStringLiteral("5"));

    d.answerYes = false;
    emit d->ComboBox1->activated(1);
    QCOMPARE(d.questions, QStringList{"Set Longitude and Latitude to Minneapolis (93W21, 45N05)"});
    QCOMPARE(d->Long->text(), QStringLiteral("93W21"));
    QCOMPARE(value(rig.settingsPath(), "Longitude"), QStringLiteral("<missing>"));

    d.answerYes = true;
    emit d->ComboBox1->activated(0);
    QCOMPARE(d.questions.last(), QStringLiteral("Set Longitude and Latitude to Oslo, Norway (10E45, 59N55)"));
    QCOMPARE(d->Long->text(), QStringLiteral("10E45"));
    QCOMPARE(d->Lat->text(), QStringLiteral("59N55"));
    QCOMPARE(value(rig.settingsPath(), "Longitude"), QStringLiteral("10E45"));
    QCOMPARE(value(rig.settingsPath(), "Latitude"), QStringLiteral("59N55"));
    QCOMPARE(value(rig.settingsPath(), "Time Zone"), QStringLiteral("5"));
    QVERIFY(rig.messages.isEmpty());
}

void TfOptionsTest::cityZoneComesWithTheCity_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("timeZone"); // "Time Zone" afterwards (it was 5)
    QTest::addColumn<QString>("zoneName"); // "Zone Name" afterwards (it was America/Chicago)
    QTest::newRow("Berlin") << "Berlin, Germany          52N31     13E24   Europe/Berlin"
                            << "-1"
                            << "Europe/Berlin";
    QTest::newRow("quarter hour east") << "Kathmandu, Nepal         27N43     85E19   Asia/Kathmandu"
                                       << "-5:45"
                                       << "Asia/Kathmandu";
    QTest::newRow("half hour west") << "St. John's, Canada       47N34     52W43   America/St_Johns"
                                    << "3:30"
                                    << "America/St_Johns";
    QTest::newRow("a link's name") << "Harbin, China            45N45     126E39  Asia/Harbin"
                                   << "-8"
                                   << "Asia/Harbin";
    QTest::newRow("a list without zones") << "Oslo, Norway             59N55     10E45"
                                          << "5"
                                          << "";
    QTest::newRow("a zone nobody knows") << "Olympus, Mars            18N39     226E12  Mars/Olympus"
                                         << "5"
                                         << "";
}

// Choosing a city saves its zone by name and that zone's standard offset as "Time Zone"; a city
// without a known zone leaves "Time Zone" and names no zone (another place's would be wrong).
void TfOptionsTest::cityZoneComesWithTheCity()
{
    QFETCH(QString, line);
    QFETCH(QString, timeZone);
    QFETCH(QString, zoneName);
    WindowRig rig;
    QVERIFY(writeAll(rig.filePath(QStringLiteral("city.tab")), line.toLatin1() + "\r\n"));
    QVERIFY(writeAll(rig.settingsPath(), "[orlam]\r\nTime Zone=5\r\nZone Name=America/Chicago\r\n"));
    auto window = rig.makeWindow();
    {
        Dialog d(*window);
        QCOMPARE(d->ZoneName->text(), QStringLiteral("America/Chicago"));
        d.answerYes = true;
        emit d->ComboBox1->activated(0);
        QVERIFY2(rig.messages.isEmpty(), qPrintable(rig.messages.join(QLatin1Char('|'))));
        QCOMPARE(value(rig.settingsPath(), "Time Zone"), timeZone);
        QCOMPARE(value(rig.settingsPath(), "Zone Name"), zoneName);
        QCOMPARE(d->ZoneName->text(), zoneName);
        d->close();
    }
    QCOMPARE(window->settings().ZoneName, zoneName);
    QCOMPARE(window->settings().TimeZone, timeZone);
}

void TfOptionsTest::unknownZoneNameIsRefused()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    const QByteArray before = readAll(rig.settingsPath());
    Dialog d(*window);
    d->Long->setText(QStringLiteral("13E24"));
    d->Lat->setText(QStringLiteral("52N31"));
    d->Zone->setText(QStringLiteral("-1"));
    d->ZoneName->setText(QStringLiteral("Europe/Berln"));
    click(d->Button3);
    QCOMPARE(rig.messages.size(), 1);
    QVERIFY2(
        rig.messages.first().startsWith(QLatin1String("\"Europe/Berln\" is not the name of a time zone")),
        qPrintable(rig.messages.first()));
    QCOMPARE(readAll(rig.settingsPath()), before);
    d->ZoneName->setText(QStringLiteral("Europe/Berlin"));
    click(d->Button3);
    QCOMPARE(value(rig.settingsPath(), "Zone Name"), QStringLiteral("Europe/Berlin"));
}

void TfOptionsTest::typingFiltersWithoutAsking()
{
    WindowRig rig;
    QVERIFY(writeAll(rig.filePath(QStringLiteral("city.tab")),
                     "Oslo, Norway             59N55     10E45\r\n" + CityTabLine.toLatin1() +
                         "\r\nZ\xfcrich, Switzerland      47N23     8E33\r\n"));
    auto window = rig.makeWindow();
    Dialog d(*window);
    QVERIFY(d.exposed);
    QLineEdit *edit = d->ComboBox1->lineEdit();
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("RICH"));
    QVERIFY(d.questions.isEmpty());
    // The matches are the lines holding the letters anywhere.
    QCompleter *completer = d->ComboBox1->completer();
    QCOMPARE(completer->completionCount(), 1);
    QVERIFY(completer->currentCompletion().startsWith(QStringLiteral("Z\u00fcrich")));
    // Enter on a few letters asks nothing either.
    completer->popup()->hide();
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(d.questions.isEmpty());
    QVERIFY(d->isVisible());
    // Choosing the match asks once.
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_H);
    QVERIFY(completer->popup()->isVisible());
    QTest::keyClick(completer->popup(), Qt::Key_Down);
    QTest::keyClick(completer->popup(), Qt::Key_Return);
    QCOMPARE(d.questions,
             QStringList{"Set Longitude and Latitude to Z\u00fcrich, Switzerland (8E33, 47N23)"});
    QCOMPARE(value(rig.settingsPath(), "Longitude"), QStringLiteral("8E33"));
    // Stepping through the lines with the wheel or the arrows chooses none of them.
    QWheelEvent wheel(QPointF(5, 5), d->ComboBox1->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    // (The last line is the current one: both step up.)
    QApplication::sendEvent(d->ComboBox1, &wheel);
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(d.questions.size(), 1);
    d->ComboBox1->hidePopup();
    // Enter on a whole line typed or chosen before asks about it.
    edit->setText(CityTabLine);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(d.questions.size(), 2);
    QCOMPARE(value(rig.settingsPath(), "Latitude"), QStringLiteral("45N05"));
}

void TfOptionsTest::unusableCityLineIsRefused()
{
    WindowRig rig;
    QVERIFY(writeAll(rig.filePath(QStringLiteral("city.tab")),
                     "Atlantis\r\nQuito                    0 S13     78W30\r\n"));
    auto window = rig.makeWindow();
    const QByteArray before = readAll(rig.settingsPath());
    Dialog d(*window);
    emit d->ComboBox1->activated(0);
    emit d->ComboBox1->activated(1);
    QVERIFY(d.questions.isEmpty());
    QCOMPARE(rig.messages.size(), 2);
    QVERIFY(rig.messages[0].contains(QStringLiteral("\"Atlantis\"")));
    QVERIFY(rig.messages[1].contains(QStringLiteral("Quito")));
    QCOMPARE(readAll(rig.settingsPath()), before);
    QCOMPARE(d->Long->text(), QStringLiteral("93W21"));
}

void TfOptionsTest::tryCalculatesWithTheOptionsChangedAtOnce()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    window->setViewText(QString());
    Dialog d(*window);
    clickRadio(d->OLines, 0);
    clickRadio(d->OTime, 1);
    TSettings seen;
    const auto tryOptions = d->hooks().tryOptions;
    d->hooks().tryOptions = [&] {
        seen = window->settings();
        tryOptions();
    };
    click(d->TryButton);
    QCOMPARE(seen.Lines, 0);
    QCOMPARE(seen.TimeMode, 0);
    QVERIFY(!d->isVisible());
    // One line: the date of the present moment from the stand-in engine.
    const QString view = window->findChild<QTextEdit *>(QStringLiteral("TDate"))->toPlainText();
    QVERIFY2(view.startsWith(QStringLiteral("An ")) && !view.contains(QLatin1Char('\n')), qPrintable(view));
    // The next calculation uses the time mode.
    QCOMPARE(window->settings().TimeMode, 1);
}

void TfOptionsTest::unwritableFileLeavesItUntouched()
{
    WindowRig rig("Lines=2\r\nLocal File Save=0\r\nHints=1\r\n");
    const QByteArray before = readAll(rig.settingsPath());
    auto window = rig.makeWindow();
    Dialog d(*window);
    QVERIFY(d.exposed);
    clickRadio(d->OLines, 0);
    click(d->CheckBox1);
    click(d->OHints);
    QVERIFY(window->settings().LocalFileSave);
    {
        Unwritable guard(rig.settingsPath());
        if (!guard.holds())
            QSKIP("this file system lets the settings file be written whatever its permissions");
        // Staying: the dialog stays open with what the user set.
        click(d->CloseButton);
        QCOMPARE(d.writeFailures, QStringList{"Unable to write to " + rig.settingsPath()});
        QVERIFY(d->isVisible());
        QCOMPARE(d->OLines->checkedId(), 0);
        // Closing without saving.
        d.leaveWithoutSaving = true;
        QTest::keyClick(d.dialog.get(), Qt::Key_Escape);
        QCOMPARE(d.writeFailures.size(), 2);
        QVERIFY(!d->isVisible());
        QVERIFY(!d->saved());
    }
    QCOMPARE(readAll(rig.settingsPath()), before);
    QCOMPARE(window->settings().Lines, 2);
    QVERIFY(!window->settings().LocalFileSave);
    QVERIFY(window->showHints());
}

void TfOptionsTest::startAtLogin()
{
    const QString entry = mConfig.filePath(QStringLiteral("autostart/orlam.desktop"));
    QCOMPARE(autostartEntryPath(), entry);
    WindowRig rig;
    auto window = rig.makeWindow();
    {
        Dialog d(*window);
        QVERIFY(d.exposed);
        d->PageControl1->setCurrentIndex(2);
        QVERIFY(!d->StartWithWindows->isChecked());
        click(d->StartWithWindows);
        QVERIFY(QFileInfo::exists(entry));
        const QString text = QString::fromUtf8(readAll(entry));
        QVERIFY2(text.contains(QRegularExpression(QStringLiteral("\nExec=\\S*orlam --desktop\n"))),
                 qPrintable(text));
        d->close();
    }
    QVERIFY(!readAll(rig.settingsPath()).contains("Start"));
    {
        Dialog d(*window);
        QVERIFY(d.exposed);
        d->PageControl1->setCurrentIndex(2);
        QVERIFY(d->StartWithWindows->isChecked());
        click(d->StartWithWindows);
        QVERIFY(!QFileInfo::exists(entry));
    }
    // A program path with blanks and a quote is quoted as desktop entries want it.
    QVERIFY(setAutostart(true, QStringLiteral("/opt/my apps/or\"lam")).ok);
    QVERIFY(readAll(entry).contains("\nExec=\"/opt/my apps/or\\\\\"lam\" --desktop\n"));
    QVERIFY(setAutostart(false).ok);
    QVERIFY(!QFileInfo::exists(entry));
}

void TfOptionsTest::coordinatesPage()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    Dialog d(*window);
    QVERIFY(d.exposed);
    click(d->SpeedButton1);
    QCOMPARE(d.addresses.size(), 1);
    QVERIFY(d.addresses.first().startsWith(QStringLiteral("https://")));
    QVERIFY(d->isVisible());
}

QTEST_MAIN(TfOptionsTest)
#include "tfoptions_test.moc"
