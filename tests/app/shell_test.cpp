// The window as a demanding desktop user meets it: its first size and its place, the keys of
// Linux desktops, the about box, a click on the tray icon, message boxes over the window that
// asked, and the batch and calendar-export dialogs.

#include "appicons.h"
#include "apptestsupport.h"

#include "batchdialog.h"
#include "calendarexportdialog.h"
#include "commandline.h"
#include "common/clocktime.h"
#include "common/columns.h"
#include "common/westerntext.h"
#include "reportcommands.h"
#include "shellmessages.h"
#include "taboutbox.h"
#include "trayicon.h"
#include "windowplacement.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

using namespace orlam;
using namespace orlam::test;

namespace {

const QString JuneDate = QStringLiteral("An v12 Sol 24\u00b0 Gemini, Luna 5\u00b0 Leo Dies Lun\u00e6\n"
                                        "Monday, June 15, 2026 e.v. 2:30 PM");

QTextEdit *viewOf(TOrm &window)
{
    return window.findChild<QTextEdit *>(QStringLiteral("TDate"));
}

QAction *action(TOrm &window, const char *name)
{
    return window.findChild<QAction *>(QString::fromLatin1(name));
}

// Shows the window at 2:30 PM on 15 June 2026 and waits for the start-up sequence to put the
// date in the view.
bool showStarted(TOrm &window)
{
    window.setClock(
        [] { return QDateTime(QDate(2026, 6, 15), QTime(14, 30), QTimeZone("America/Chicago")); });
    window.SetNow();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    // The date first, then the clock with the hours and the alarm list.
    return QTest::qWaitFor(
        [&window] { return !viewOf(window)->toPlainText().isEmpty() && window.eventList().built; }, 10000);
}

QRect screenArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

} // namespace

class ShellTest : public QObject {
    Q_OBJECT
private slots:
    void firstSizeFitsTheDateLines();
    void savedSizeIsKeptAndALostPlaceComesBack_data();
    void savedSizeIsKeptAndALostPlaceComesBack();
    void keyboardReachesTheCommands();
    void ctrlCCopiesTheSelectionOrTheWholeView();
    void aboutBoxClosesWithEnterAndEscape();
    void trayClickShowsAndHidesTheWindow();
    void trayIconKeepsWhatItIsGivenUntilMade();
    void messageBoxesStandOverTheirAsker();
    void batchDialogConvertsAndSaysSo();
    void calendarExportTakesOneToAYear();
    void saveDialogsStartInDocuments();
};

void ShellTest::firstSizeFitsTheDateLines()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    QVERIFY(showStarted(*window));
    QTextEdit *view = viewOf(*window);
    const QStringList lines = splitLines(view->toPlainText());
    QCOMPARE(lines.size(), 2);
    // Wide enough for these lines with the longest sign, month and day names, in the view's
    // font: nothing cut, nothing to scroll sideways, and the caption with its hour too.
    const QFontMetrics metrics(view->font());
    const int room = view->viewport()->width() - 2 * int(view->document()->documentMargin());
    const QStringList widest = widestDateLines(lines, QLocale(QStringLiteral("en_US")));
    QVERIFY2(widest[0].contains(QStringLiteral("Sagittarius, Luna 5\u00b0 Sagittarius Dies Mercurii")),
             qPrintable(widest[0]));
    QVERIFY2(widest[1].startsWith(QLatin1String("Wednesday, September")), qPrintable(widest[1]));
    for (const QString &line : widest) {
        QVERIFY2(metrics.horizontalAdvance(line) <= room,
                 qPrintable(
                     QStringLiteral("%1 > %2: %3").arg(metrics.horizontalAdvance(line)).arg(room).arg(line)));
    }
    QVERIFY(window->width() > 400);
    QVERIFY(!view->horizontalScrollBar()->isVisible());
    QVERIFY(view->document()->size().height() <= view->viewport()->height());
    const QFontMetrics title(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    QVERIFY(title.horizontalAdvance(window->windowTitle()) < window->width());
    QVERIFY(screenArea().contains(window->frameGeometry()));
    // The size the user leaves is the one kept.
    QVERIFY(window->FormClose());
    QVERIFY(readAll(rig.settingsPath()).contains("ClientWidth=" + QByteArray::number(window->width())));
}

void ShellTest::savedSizeIsKeptAndALostPlaceComesBack_data()
{
    QTest::addColumn<QPoint>("stored");
    QTest::addColumn<bool>("kept");
    QTest::newRow("on the screen") << QPoint(100, 50) << true;
    QTest::newRow("title bar just on it") << QPoint(-300, 20) << true;
    QTest::newRow("left of every screen") << QPoint(-5000, 40) << false;
    QTest::newRow("below every screen") << QPoint(60, 9000) << false;
    QTest::newRow("above the top") << QPoint(60, -400) << false;
}

void ShellTest::savedSizeIsKeptAndALostPlaceComesBack()
{
    QFETCH(QPoint, stored);
    QFETCH(bool, kept);
    WindowRig rig("ClientWidth=450\r\nClientHeight=300\r\nTop=" + QByteArray::number(stored.y()) +
                  "\r\nLeft=" + QByteArray::number(stored.x()) + "\r\n");
    auto window = rig.makeWindow();
    const QSize size = window->size();
    QCOMPARE(size.width(), 450);
    if (kept) {
        QCOMPARE(window->pos(), stored);
    } else {
        QVERIFY2(screenArea().contains(QRect(window->pos(), size)),
                 qPrintable(QStringLiteral("%1,%2").arg(window->x()).arg(window->y())));
    }
    // A stored size is not grown once the date is shown.
    QVERIFY(showStarted(*window));
    QCOMPARE(window->size(), size);
}

void ShellTest::keyboardReachesTheCommands()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    window->reports().outside().askSaveName = [] { return ReportCommands::SaveChoice{}; };
    QVERIFY(showStarted(*window));
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    viewOf(*window)->setFocus();

    const struct {
        const char *action;
        QKeyCombination key;
    } keys[] = {
        {"Print1", Qt::CTRL | Qt::Key_P},
        {"Save1", Qt::CTRL | Qt::Key_S},
        {"Calculate1", QKeyCombination(Qt::Key_F5)},
        {"Help2", QKeyCombination(Qt::Key_F1)},
        {"Copytoclipboad1", Qt::CTRL | Qt::Key_C},
    };
    for (const auto &key : keys) {
        QSignalSpy spy(action(*window, key.action), &QAction::triggered);
        QTest::keyClick(QApplication::focusWidget(), key.key.key(), key.key.keyboardModifiers());
        QVERIFY2(spy.count() == 1, key.action);
    }
    // Print reached the printer's check, F5 the date.
    QCOMPARE(rig.messages, QStringList{QStringLiteral("There is no default printer currently selected")});
    QCOMPARE(viewOf(*window)->toPlainText(), JuneDate);

    // View > Alarm Events by its access keys.
    QTest::keyClick(window.get(), Qt::Key_V, Qt::AltModifier);
    QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_A);
    QTRY_VERIFY(action(*window, "AlarmEvents1")->isChecked());
    QVERIFY(window->findChild<QWidget *>(QStringLiteral("CheckListBox1"))->isVisible());

    // Ctrl+Q closes the window, which ends the program.
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), Qt::Key_Q,
                    Qt::ControlModifier);
    QTRY_COMPARE(rig.endCode, 0);
    QVERIFY(!window->isVisible());
}

void ShellTest::ctrlCCopiesTheSelectionOrTheWholeView()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    QVERIFY(showStarted(*window));
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTextEdit *view = viewOf(*window);
    view->setFocus();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), view->toPlainText());

    // With a part selected, that part.
    QTextCursor cursor(view->document());
    cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, 6);
    view->setTextCursor(cursor);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("An v12"));
}

void ShellTest::aboutBoxClosesWithEnterAndEscape()
{
    const LocaleFacts locale = usLocale();
    for (const QKeyCombination key :
         {QKeyCombination(Qt::Key_Return), QKeyCombination(Qt::KeypadModifier, Qt::Key_Enter),
          QKeyCombination(Qt::Key_Escape)}) {
        TAboutBox box(nullptr, locale);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::keyClick(&box, key.key(), key.keyboardModifiers());
        QVERIFY2(!box.isVisible(), qPrintable(QKeySequence(key).toString()));
    }
}

void ShellTest::trayClickShowsAndHidesTheWindow()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    QVERIFY(showStarted(*window));
    auto *icon = window->findChild<QSystemTrayIcon *>(QStringLiteral("NotificationIcon1"));
    QVERIFY(icon);
    // What the desktop reports for a left click, then for the menu's right click.
    Q_EMIT icon->activated(QSystemTrayIcon::Trigger);
    QTRY_VERIFY(!window->isVisible());
    Q_EMIT icon->activated(QSystemTrayIcon::Context);
    QVERIFY(!window->isVisible());
    Q_EMIT icon->activated(QSystemTrayIcon::Trigger);
    QTRY_VERIFY(window->isVisible());
    QVERIFY(!window->isMinimized());
    // From the taskbar's minimised state as well.
    window->showMinimized();
    Q_EMIT icon->activated(QSystemTrayIcon::Trigger);
    QTRY_VERIFY(window->isVisible() && !window->isMinimized());
}

// The icon is made when it is first shown, with what it was given before.
void ShellTest::trayIconKeepsWhatItIsGivenUntilMade()
{
    QObject owner;
    QMenu menu;
    auto *tray = new TrayIcon(&menu, &owner);
    tray->setToolTip(QStringLiteral("Hour of Mercury"));
    tray->setImage(NeutralTrayImage);
    tray->setImage(99); // out of range: the Sun
    QVERIFY(!owner.findChild<QSystemTrayIcon *>());
    tray->showOnce();
    const auto *icon = owner.findChild<QSystemTrayIcon *>(QStringLiteral("NotificationIcon1"));
    QVERIFY(icon);
    QCOMPARE(icon->toolTip(), QStringLiteral("Hour of Mercury"));
    const auto drawn = [](const QIcon &image) { return image.pixmap(QSize(16, 16)).toImage(); };
    QCOMPARE(drawn(icon->icon()), drawn(planetIcon(static_cast<int>(PlanetImage::Sun))));
}

void ShellTest::messageBoxesStandOverTheirAsker()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    QVERIFY(showStarted(*window));
    window->move(20, 20);

    QRect shown;
    const auto answer = [&shown] {
        QTimer::singleShot(0, [&shown] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            shown = box->frameGeometry();
            box->accept();
        });
    };
    // Over the window.
    answer();
    showNotice(window.get(), QStringLiteral("Orlam"), QStringLiteral("A notice"));
    QVERIFY(!shown.isEmpty());
    QVERIFY2((shown.center() - window->frameGeometry().center()).manhattanLength() <= 2,
             qPrintable(QStringLiteral("%1,%2").arg(shown.center().x()).arg(shown.center().y())));

    // Over the dialog the user works in, though the window asks.
    QDialog dialog(window.get());
    dialog.resize(300, 200);
    dialog.move(420, 300);
    dialog.open();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    answer();
    showNotice(window.get(), QStringLiteral("Orlam"), QStringLiteral("A notice"));
    QVERIFY((shown.center() - dialog.frameGeometry().center()).manhattanLength() <= 2);
    dialog.close();

    // Never half off the screen: a window in the screen's corner keeps its box on it.
    window->move(screenArea().right() - 60, screenArea().bottom() - 60);
    answer();
    showNotice(window.get(), QStringLiteral("Orlam"),
               QStringLiteral("A notice long enough to be wider than the part of the window on the screen"));
    QVERIFY2(screenArea().contains(shown), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                          .arg(shown.x())
                                                          .arg(shown.y())
                                                          .arg(shown.width())
                                                          .arg(shown.height())));

    // The rule itself, for boxes larger than the screen too.
    const QRect screen(0, 0, 800, 600);
    QCOMPARE(placeOver(QRect(100, 100, 400, 300), QSize(200, 100), screen), QRect(200, 200, 200, 100));
    QCOMPARE(placeOver(QRect(700, 550, 400, 300), QSize(200, 100), screen), QRect(600, 500, 200, 100));
    QCOMPARE(placeOver(QRect(-500, -500, 100, 100), QSize(200, 100), screen), QRect(0, 0, 200, 100));
    QCOMPARE(placeOver(QRect(0, 0, 800, 600), QSize(900, 700), screen).topLeft(), QPoint(0, 0));
}

void ShellTest::batchDialogConvertsAndSaysSo()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    QTemporaryDir user;
    CommandLine started;
    started.startFolder = user.path();
    window->setCommandLine(started);
    QVERIFY(writeAll(user.filePath("moments.txt"), "one,two,6/16/2026,08:00,6,93W21,45N05\r\n"
                                                   "three,four,6/17/2026,21:15,6,93W21,45N05\r\n"));
    window->setPickers(clockTime(2026, 6, 15, 14, 30), QTime(14, 30));
    window->CalcButtonClick();
    QCOMPARE(viewOf(*window)->toPlainText(), JuneDate);

    QString presetInput, presetOutput, browseStart;
    bool convertBeforeNames = true;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<BatchDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        presetInput = dialog->inputEdit()->text();
        presetOutput = dialog->outputEdit()->text();
        convertBeforeNames = dialog->convertButton()->isEnabled();
        dialog->chooseInput = [&](const QString &start) {
            browseStart = start;
            return user.filePath("moments.txt");
        };
        dialog->chooseOutput = [&](const QString &) { return user.filePath("dates.txt"); };
        dialog->findChild<QPushButton *>(QStringLiteral("InputFileBrowse"))->click();
        dialog->findChild<QPushButton *>(QStringLiteral("OutputFileBrowse"))->click();
        dialog->convertButton()->click();
    });
    action(*window, "Batch1")->trigger();
    QCOMPARE(presetInput, QString());
    QCOMPARE(presetOutput, QString());
    QVERIFY(!convertBeforeNames);
    QCOMPARE(browseStart, user.path());
    QCOMPARE(rig.messages, QStringList{QStringLiteral("2 lines of %1 converted into %2.")
                                           .arg(user.filePath("moments.txt"), user.filePath("dates.txt"))});
    QCOMPARE(readAll(user.filePath("dates.txt")).count("\r\n"), 2);
    // The pickers and the view show the same moment: the one they showed before the batch.
    QCOMPARE(window->datePickerValue().date(), QDate(2026, 6, 15));
    QCOMPARE(window->timePickerValue(), QTime(14, 30));
    QCOMPARE(viewOf(*window)->toPlainText(), JuneDate);

    // A name typed without a folder is the start folder's; a file that is not there is named.
    rig.messages.clear();
    QTimer::singleShot(0, [&] {
        if (auto *dialog = qobject_cast<BatchDialog *>(QApplication::activeModalWidget())) {
            dialog->inputEdit()->setText(QStringLiteral("none.txt"));
            dialog->outputEdit()->setText(QStringLiteral("out.txt"));
            dialog->convertButton()->click();
        }
    });
    window->Batch1Click();
    QCOMPARE(rig.messages.size(), 1);
    QVERIFY2(rig.messages[0].contains(user.filePath("none.txt")), qPrintable(rig.messages[0]));
    QVERIFY(!QFileInfo::exists(user.filePath("out.txt")));

    // Cancelled: nothing at all.
    rig.messages.clear();
    QTimer::singleShot(0, [] {
        if (auto *dialog = qobject_cast<BatchDialog *>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    window->Batch1Click();
    QVERIFY(rig.messages.isEmpty());
}

void ShellTest::calendarExportTakesOneToAYear()
{
    CalendarSelection preset;
    preset.first = QDate(2026, 1, 1);
    CalendarExportDialog dialog(preset);
    QCOMPARE(dialog.dayCount()->minimum(), 1);
    QCOMPARE(dialog.dayCount()->maximum(), 366);
    for (const int days : {1, 2, 366}) {
        dialog.dayCount()->setValue(days);
        QCOMPARE(dialog.selection().dayCount, days);
        QVERIFY(dialog.selection().check());
        // "1 day", "2 days".
        QCOMPARE(dialog.dayCount()->text(), countOf(days, "day", "days"));
    }
}

// File > Save and the calendar export, each at its first use, open in the user's Documents
// folder (never in the program's work folder).
void ShellTest::saveDialogsStartInDocuments()
{
    QTemporaryDir home;
    QVERIFY(QDir(home.path()).mkpath(QStringLiteral("Documents")));
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.path().toUtf8());
    qunsetenv("XDG_CONFIG_HOME");
    const QString documents = QDir(home.filePath(QStringLiteral("Documents"))).absolutePath();

    WindowRig rig;
    auto window = rig.makeWindow();
    QStringList started;
    const auto note = [&started] {
        QTimer::singleShot(0, [&started] {
            if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                started << dialog->directory().absolutePath();
                dialog->reject();
            }
        });
    };
    note();
    action(*window, "Save1")->trigger();
    QTimer::singleShot(0, [&note] {
        if (auto *dialog = qobject_cast<CalendarExportDialog *>(QApplication::activeModalWidget())) {
            note();
            dialog->accept();
        }
    });
    action(*window, "ExportCalendar1")->trigger();

    qputenv("HOME", oldHome);
    if (!oldConfig.isEmpty())
        qputenv("XDG_CONFIG_HOME", oldConfig);
    QCOMPARE(started, (QStringList{documents, documents}));
    QVERIFY(rig.messages.isEmpty());
}

QTEST_MAIN(ShellTest)
#include "shell_test.moc"
