// The main window driven as a user would: menus, toolbar, pickers, calendar, layout, about box.

#include "apptestsupport.h"
#include "commandline.h"
#include "common/clocktime.h"
#include "firstframe.h"
#include "settings/inifile.h"
#include "taboutbox.h"
#include "workfolder.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QDateEdit>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTextEdit>
#include <QTimeEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

#include <functional>
#include <optional>

using namespace orlam;
using namespace orlam::test;

namespace {

const QString PauseMessage = QStringLiteral("Alarm and clock will be paused. Use Clock menu to resume.");
const QString JuneDate = QStringLiteral("An v12 Sol 24\u00b0 Gemini, Luna 5\u00b0 Leo Dies Lun\u00e6\n"
                                        "Monday, June 15, 2026 e.v. 2:30 PM");

// "&Calculate" or "-" for a separator; a leading "!" marks an entry shown disabled, "~" hidden,
// and "> " a submenu with its entries in brackets.
QStringList describe(const QMenu *menu)
{
    QStringList entries;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator()) {
            entries << QStringLiteral("-");
            continue;
        }
        QString text = action->text();
        if (action->menu())
            text = QStringLiteral("> ") + text + QStringLiteral(" [") +
                   describe(action->menu()).join(QLatin1String("; ")) + QLatin1Char(']');
        if (!action->isVisible())
            text.prepend(QLatin1Char('~'));
        else if (!action->isEnabled())
            text.prepend(QLatin1Char('!'));
        entries << text;
    }
    return entries;
}

template <typename T> T *child(QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qWarning("no child %s", name);
    return found;
}

void setMoment(TOrm &window, int day = 15)
{
    window.setPickers(clockTime(2026, 6, day, 14, 30), QTime(14, 30));
}

QString viewText(TOrm &window)
{
    return child<QTextEdit>(&window, "TDate")->toPlainText();
}

// The parts of `window` that Tab stops at, in the order it stops at them.
QStringList tabStops(QWidget *window)
{
    QStringList stops;
    for (QWidget *part = window->nextInFocusChain(); part != window; part = part->nextInFocusChain())
        if (part->window() == window && (part->focusPolicy() & Qt::TabFocus))
            stops << QLatin1String(part->metaObject()->className()) + QLatin1Char(' ') + part->objectName();
    return stops;
}

// What a window's start has done when a part of it is first painted.
class FirstPaintProbe : public QObject {
public:
    FirstPaintProbe(QWidget *part, std::function<bool()> done) : mPart(part), mDone(std::move(done))
    {
        part->installEventFilter(this);
    }
    std::optional<bool> doneAtFirstPaint;
    QSize windowSizeAtFirstPaint;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !doneAtFirstPaint) {
            doneAtFirstPaint = mDone();
            windowSizeAtFirstPaint = mPart->window()->size();
        }
        return false;
    }

private:
    QWidget *mPart;
    std::function<bool()> mDone;
};

QModelIndex calendarCell(QAbstractItemView *view, int day)
{
    const QAbstractItemModel *model = view->model();
    // Rows 1 and 5-6 may hold days of the neighbouring months; the 16th is always in the middle.
    for (int row = 2; row < model->rowCount() - 1; ++row)
        for (int column = 0; column < model->columnCount(); ++column) {
            const QModelIndex index = model->index(row, column);
            if (index.data().toInt() == day)
                return index;
        }
    return {};
}

} // namespace

class TOrmTest : public QObject {
    Q_OBJECT
private slots:
    void mainMenu_data();
    void mainMenu();
    void unsupportedDateOrderStopsTheStart();
    void trayMenu();
    void toolbarItemsAndHints();
    void viewContextMenuAndFonts();
    void defaultLayoutSizes();

    void calculateShowsTheDate();
    void nowSetsThePresentAndCalculates();
    void monthCalendarClickChartsThatDay();
    void userPickerChangeShowsPlaceholderOnce();
    void programPickerChangeIsSilent();
    void clockMenuResumesThePausedClock();
    void statusBarShowsTheLongDateAndTime();
    void caption_data();
    void caption();
    void copyPutsTheViewOnTheClipboard();

    void viewTogglesFollowTheirMarks();
    void toolbarMovesBetweenTopAndBottom();
    void layoutKeysWrittenAtCloseAndAppliedAtStart();
    void maximisedCloseReopensNormalAtThatSize();
    void failedLayoutWriteKeepsWindowOpen();
    void datePickerHoldsEveryDateTheEngineCharts();
    void trayExitLeavesTheLayoutAlone();
    void minimiseWithoutTrayKeepsTheWindowReachable();
    void hintsCanBeSwitchedOff();

    void startUp_data();
    void startUp();
    void startChartingAtOnce();
    void restOfStartFollowsFirstFrame_data();
    void restOfStartFollowsFirstFrame();
    void firstFrameWaitEnds_data();
    void firstFrameWaitEnds();

    void aboutBoxText_data();
    void aboutBoxText();
    void aboutBoxWindow();
    void aboutBoxFitsTheLongestVersionText_data();
    void aboutBoxFitsTheLongestVersionText();

    void commandLine_data();
    void commandLine();
    void desktopWorkFolder();
};

void TOrmTest::mainMenu_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("File") << "&File"
                          << QStringList{"&Calculate", "&Now", "&Batch..", "&Print...", "&Save...", "&Exit"};
    QTest::newRow("Edit") << "&Edit" << QStringList{"&Copy to clipboad", "Insert into &Word97"};
    QTest::newRow("Clock") << "&Clock" << QStringList{"Paused"};
    QTest::newRow("Reports") << "&Reports"
                             << QStringList{
                                    "> &Calendar [For the &Month; For the &Year]",
                                    "&Astrological data",
                                    "&Planetary hours",
                                    "> &Next hour of [Sun; Moon; Mercury; Venus; Mars; Jupiter; Saturn]",
                                    "Planetary hours for the &week",
                                    "&Export to calendar...",
                                    "-",
                                    "&Random Verse"};
    QTest::newRow("View") << "&View"
                          << QStringList{"&ToolBars", "&Status bar", "&Monthly calendar", "&Alarm Events"};
    QTest::newRow("Options") << "&Options" << QStringList{"&Program options"};
    QTest::newRow("Help") << "&Help"
                          << QStringList{
                                 "&Help", "&About",
                                 "> &Web [&www.orlam.org; &Orlam Homepage; Naval Observatory; O.T.O.; "
                                 "> Other Software [Astrolog]]",
                                 "~&Topics"};
}

void TOrmTest::mainMenu()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, entries);
    WindowRig rig;
    auto window = rig.makeWindow();
    QStringList titles;
    const QMenu *found = nullptr;
    for (QAction *action : window->menuBar()->actions()) {
        titles << action->text();
        if (action->text() == menu)
            found = action->menu();
    }
    QCOMPARE(titles, (QStringList{"&File", "&Edit", "&Clock", "&Reports", "&View", "&Options", "&Help"}));
    QVERIFY(found);
    QCOMPARE(describe(found), entries);
    if (menu == QLatin1String("&View"))
        for (const char *name : {"ToolBars1", "Statusbar2", "MonthlyCalendar1"})
            QVERIFY(child<QAction>(window.get(), name)->isChecked());
    if (menu == QLatin1String("&Help")) {
        const QString hint = QStringLiteral(" Astronomical Applications Data Services");
        QCOMPARE(child<QAction>(window.get(), "NavalObservatory1")->toolTip(), hint);
        QCOMPARE(child<QAction>(window.get(), "NavalObservatory2")->toolTip(), hint);
    }
}

void TOrmTest::unsupportedDateOrderStopsTheStart()
{
    WindowRig rig;
    const QByteArray before = readAll(rig.settingsPath());
    // Year first, in a zone with daylight saving.
    const LocaleFacts swedish = LocaleFacts::make(QLocale(QStringLiteral("sv_SE")),
                                                  QTimeZone("Europe/Stockholm"), QDate(2026, 6, 15));
    TOrm window(rig.settingsPath(), rig.folder(), swedish);
    QVERIFY(!window.createStatus().ok);
    QCOMPARE(window.createStatus().message, DateOrderMessage);
    QCOMPARE(readAll(rig.settingsPath()), before);
}

void TOrmTest::trayMenu()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    auto *tray = child<QMenu>(window.get(), "PopupMenu2");
    QVERIFY(tray);
    QCOMPARE(describe(tray),
             (QStringList{"Date", "Quote", "Word Document", "> ClipBoard [Quote; Date; Law]", "-",
                          "> &Web [&Orlam Homepage; &www.orlam.org; US &Naval Observatory; &O.T.O.]",
                          "Restore", "Exit"}));
    QCOMPARE(window->trayImage(), 3);
    window->setTrayImage(6);
    QCOMPARE(window->trayImage(), 6);
    // An index the image list does not hold shows the Sun rather than nothing.
    window->setTrayImage(7);
    QCOMPARE(window->trayImage(), 3);
    window->setTrayImage(-2);
    QCOMPARE(window->trayImage(), 3);
    // A day without hours (polar day or night) shows the neutral image, not a planet's.
    window->setTrayImage(NeutralTrayImage);
    QCOMPARE(window->trayImage(), NeutralTrayImage);
}

void TOrmTest::toolbarItemsAndHints()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    auto *toolbar = child<QToolBar>(window.get(), "Toolbar1");
    QVERIFY(toolbar);
    QCOMPARE(toolbar->windowTitle(), QStringLiteral("Date tool"));
    QCOMPARE(toolbar->allowedAreas(), Qt::TopToolBarArea | Qt::BottomToolBarArea);
    QCOMPARE(window->toolBarArea(toolbar), Qt::TopToolBarArea);

    QStringList items;
    for (QAction *action : toolbar->actions()) {
        QWidget *widget = toolbar->widgetForAction(action);
        QString item = widget->objectName();
        if (qobject_cast<QToolButton *>(widget))
            item += QStringLiteral(": ") + action->toolTip() + (action->isEnabled() ? "" : " (later)") +
                    (action->isCheckable() ? " (toggle)" : "");
        items << item;
    }
    QCOMPARE(items, (QStringList{"GDate", "Time", "CalcButton: Calculate using displayed information",
                                 "NowButton: Set Date/Time to \"Now\" and Calculate",
                                 "ClipButton: Copy Thelemic Date to clipboard",
                                 "AstroButton: Display Astrolog program output",
                                 "HoursButton: Display Planetary Hours",
                                 "ToolbarButton971: Toggle Event Display (toggle)", "Opt1: Program Options",
                                 "Verse: Random Verse"}));
    auto *date = child<QDateEdit>(window.get(), "GDate");
    QVERIFY(date->calendarPopup());
    QCOMPARE(date->displayFormat(), usLocale().shortDatePattern());
    QCOMPARE(date->width(), 110);
    QCOMPARE(child<QTimeEdit>(window.get(), "Time")->width(), 110);
    for (QAction *action : toolbar->actions())
        if (!action->icon().isNull())
            QVERIFY2(!action->icon().pixmap(16, 16).isNull(), qPrintable(action->objectName()));
}

void TOrmTest::viewContextMenuAndFonts()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    auto *view = child<QTextEdit>(window.get(), "TDate");
    QVERIFY(view->isReadOnly());
    QCOMPARE(view->toolTip(), QStringLiteral("Thelemic date"));
    QVERIFY(QFontInfo(view->font()).fixedPitch());
    QCOMPARE(view->font().pixelSize(), 13);
    QCOMPARE(window->font().family(), QStringLiteral("Arial"));
    QCOMPARE(window->font().pixelSize(), 13);
    QCOMPARE(describe(child<QMenu>(window.get(), "PopupMenu1")), (QStringList{"Copy", "Select all"}));
    auto *events = child<QListWidget>(window.get(), "CheckListBox1");
    QVERIFY(events->isHidden());
    QVERIFY(QFontInfo(events->font()).fixedPitch());
    QCOMPARE(events->font().pixelSize(), 13);
    QVERIFY(view->toPlainText().isEmpty());
}

void TOrmTest::defaultLayoutSizes()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    // Client area 400 x 315 below the menu bar: dock 30, calendar 212, splitter 3, status bar 20.
    // (Once the date is shown the window grows to fit it; see the shell test.)
    QCOMPARE(window->size(), QSize(400, 315 + window->menuBar()->sizeHint().height()));
    QCOMPARE(window->pos(), QPoint(10, 10));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(child<QToolBar>(window.get(), "Toolbar1")->height(), 30);
    QCOMPARE(child<QWidget>(window.get(), "Panel1")->height(), 212);
    QCOMPARE(child<QSplitter>(window.get(), "Splitter1")->handleWidth(), 3);
    QCOMPARE(child<QStatusBar>(window.get(), "StatusBar1")->height(), 20);

    // What is left for the view holds the two date lines without a vertical scroll bar, also
    // when the first line is too long for the width.
    window->setViewText(QStringLiteral(
        "An v12 Sol 15\u00b0 Sagittarius, Luna 26\u00b0 Scorpio Dies Lun\u00e6 Monday, December 7, "
        "2026 e.v. 2:41 AM Monday, December 7, 2026 e.v. 2:41 AM\n"
        "Monday, December 7, 2026 e.v. 2:41 AM"));
    auto *view = child<QTextEdit>(window.get(), "TDate");
    QTRY_VERIFY(view->horizontalScrollBar()->isVisible());
    QVERIFY(!view->verticalScrollBar()->isVisible());
    QVERIFY(view->document()->size().height() <= view->viewport()->height());
}

void TOrmTest::calculateShowsTheDate()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    setMoment(*window);
    child<QAction>(window.get(), "CalcButton")->trigger();
    QCOMPARE(viewText(*window), JuneDate);
    QCOMPARE(child<QCalendarWidget>(window.get(), "MonthCalendar1")->selectedDate(), QDate(2026, 6, 15));
    QVERIFY(rig.messages.isEmpty());

    child<QAction>(window.get(), "Calculate1")->trigger();
    QCOMPARE(viewText(*window), JuneDate);
}

void TOrmTest::nowSetsThePresentAndCalculates()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    setMoment(*window, 1);
    const QDate before = QDate::currentDate();
    child<QAction>(window.get(), "NowButton")->trigger();
    const QDate after = QDate::currentDate();
    const QDate shown = child<QDateEdit>(window.get(), "GDate")->date();
    QVERIFY(shown == before || shown == after);
    const QStringList lines = viewText(*window).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).startsWith(QLatin1String("An ")));
    QVERIFY2(lines.at(1).startsWith(usLocale().formatLongDate(shown) + QStringLiteral(" e.v. ")),
             qPrintable(lines.at(1)));
    QCOMPARE(child<QCalendarWidget>(window.get(), "MonthCalendar1")->selectedDate(), shown);
    QVERIFY(rig.messages.isEmpty());
}

void TOrmTest::monthCalendarClickChartsThatDay()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    setMoment(*window);
    window->CalcButtonClick();
    auto *calendar = child<QCalendarWidget>(window.get(), "MonthCalendar1");
    auto *table = calendar->findChild<QAbstractItemView *>();
    QVERIFY(table);
    const QModelIndex cell = calendarCell(table, 16);
    QVERIFY(cell.isValid());
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(cell).center());
    QCOMPARE(child<QDateEdit>(window.get(), "GDate")->date(), QDate(2026, 6, 16));
    QCOMPARE(child<QTimeEdit>(window.get(), "Time")->time(), QTime(14, 30));
    QCOMPARE(viewText(*window).section(QLatin1Char('\n'), 1),
             QStringLiteral("Tuesday, June 16, 2026 e.v. 2:30 PM"));
    QVERIFY2(rig.messages.isEmpty(), qPrintable(rig.messages.join('|')));
}

void TOrmTest::userPickerChangeShowsPlaceholderOnce()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    setMoment(*window);
    window->CalcButtonClick();
    auto *date = child<QDateEdit>(window.get(), "GDate");
    date->setFocus();
    date->setCurrentSection(QDateTimeEdit::DaySection);
    QTest::keyClick(date, Qt::Key_Up);
    QVERIFY(date->date() != QDate(2026, 6, 15));
    QCOMPARE(rig.messages, QStringList{PauseMessage});
    QVERIFY(window->clockPaused());
    QCOMPARE(viewText(*window), QStringLiteral("- Click Calculate Button to Compute -"));

    // The clock is paused now: a further change only shows the placeholder again.
    window->CalcButtonClick();
    auto *time = child<QTimeEdit>(window.get(), "Time");
    time->setFocus();
    time->setCurrentSection(QDateTimeEdit::HourSection);
    QTest::keyClick(time, Qt::Key_Up);
    QCOMPARE(time->time(), QTime(15, 30));
    QCOMPARE(rig.messages.size(), 1);
    QCOMPARE(viewText(*window), QStringLiteral("- Click Calculate Button to Compute -"));
}

void TOrmTest::programPickerChangeIsSilent()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    setMoment(*window);
    window->CalcButtonClick();
    window->SetNow();
    setMoment(*window, 20);
    QCOMPARE(viewText(*window), JuneDate);
    QVERIFY(rig.messages.isEmpty());
    QVERIFY(!window->clockPaused());
}

void TOrmTest::clockMenuResumesThePausedClock()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto *clock = child<QTimer>(window.get(), "Timer1");
    auto *paused = child<QAction>(window.get(), "Paused1");
    QVERIFY(clock->isActive());
    QCOMPARE(clock->interval(), 1000);
    auto *time = child<QTimeEdit>(window.get(), "Time");
    const auto changeTimeByHand = [time] {
        time->setFocus();
        time->setCurrentSection(QDateTimeEdit::HourSection);
        // The picker does not wrap: in the day's last hour the hour can only go down.
        QTest::keyClick(time, time->time().hour() < 23 ? Qt::Key_Up : Qt::Key_Down);
    };

    // The message sends the user to the Clock menu, so its entry must be there to use.
    changeTimeByHand();
    QCOMPARE(rig.messages, QStringList{PauseMessage});
    QVERIFY(paused->isEnabled());
    QVERIFY(paused->isChecked());
    QVERIFY(!clock->isActive());

    paused->trigger();
    QVERIFY(!paused->isChecked());
    QVERIFY(!window->clockPaused());
    QVERIFY(clock->isActive());
    // Running again, so the next change by hand warns again.
    changeTimeByHand();
    QCOMPARE(rig.messages, (QStringList{PauseMessage, PauseMessage}));

    // Paused from the menu: changes by hand say nothing more.
    paused->trigger();
    paused->trigger();
    QVERIFY(window->clockPaused());
    changeTimeByHand();
    QCOMPARE(rig.messages.size(), 2);
}

void TOrmTest::statusBarShowsTheLongDateAndTime()
{
    WindowRig rig;
    const LocaleFacts locale = usLocale();
    // The present moment read before and after: the text shows one of the two seconds.
    const auto shows = [&locale](const QString &text, const QDateTime &before, const QDateTime &after) {
        for (QDateTime second = before; second <= after.addSecs(1); second = second.addSecs(1))
            if (text == locale.formatPattern(QStringLiteral("dddddd tt"), second))
                return true;
        return false;
    };
    QDateTime before = clockNow();
    auto window = rig.makeWindow();
    QDateTime after = clockNow();
    auto *text = child<QLabel>(window.get(), "StatusText");
    QVERIFY(text->text().contains(QLatin1String(", 20")));
    QVERIFY2(shows(text->text(), before, after), qPrintable(text->text()));

    // Each tick writes it anew.
    text->clear();
    before = clockNow();
    window->Timer1Timer();
    after = clockNow();
    QVERIFY2(shows(text->text(), before, after), qPrintable(text->text()));
}

void TOrmTest::caption_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<QString>("caption");
    QTest::newRow("plain") << QByteArray() << "Orlam";
    QTest::newRow("update caption") << QByteArray("Update Caption=1\r\n")
                                    << "Monday, June 15, 2026 e.v. 2:30 PM";
}

void TOrmTest::caption()
{
    QFETCH(QByteArray, keys);
    QFETCH(QString, caption);
    WindowRig rig(keys);
    auto window = rig.makeWindow();
    QCOMPARE(window->windowTitle(), QStringLiteral("Orlam"));
    setMoment(*window);
    window->CalcButtonClick();
    QCOMPARE(window->windowTitle(), caption);
    QCOMPARE(window->applicationTitle(), caption);
    QVERIFY(QGuiApplication::applicationDisplayName() != caption || caption == QLatin1String("Orlam"));
}

void TOrmTest::copyPutsTheViewOnTheClipboard()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    setMoment(*window);
    window->CalcButtonClick();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    child<QAction>(window.get(), "ClipButton")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), JuneDate);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    child<QAction>(window.get(), "Copytoclipboad1")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), JuneDate);
}

void TOrmTest::viewTogglesFollowTheirMarks()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto *panel = child<QWidget>(window.get(), "Panel1");
    auto *splitter = child<QSplitter>(window.get(), "Splitter1");
    child<QAction>(window.get(), "MonthlyCalendar1")->trigger();
    QVERIFY(!child<QAction>(window.get(), "MonthlyCalendar1")->isChecked());
    QVERIFY(!panel->isVisible());
    QTRY_VERIFY(!splitter->handle(1)->isVisible());
    child<QAction>(window.get(), "MonthlyCalendar1")->trigger();
    QVERIFY(panel->isVisible());
    QTRY_VERIFY(splitter->handle(1)->isVisible());

    child<QAction>(window.get(), "ToolBars1")->trigger();
    QVERIFY(!child<QToolBar>(window.get(), "Toolbar1")->isVisible());
    child<QAction>(window.get(), "Statusbar2")->trigger();
    QVERIFY(!child<QStatusBar>(window.get(), "StatusBar1")->isVisible());
    window->ToolBars1Click();
    QVERIFY(child<QAction>(window.get(), "ToolBars1")->isChecked());
    QVERIFY(child<QToolBar>(window.get(), "Toolbar1")->isVisible());
}

void TOrmTest::toolbarMovesBetweenTopAndBottom()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto *toolbar = child<QToolBar>(window.get(), "Toolbar1");
    // The handle sits before the date picker.
    const int handleX = child<QDateEdit>(window.get(), "GDate")->geometry().left() / 2;
    const auto dragHandleTo = [&](int windowY) {
        const QPoint handle(handleX, toolbar->height() / 2);
        const QPoint target = toolbar->mapFrom(window.get(), QPoint(handleX, windowY));
        QTest::mousePress(toolbar, Qt::LeftButton, {}, handle);
        QTest::mouseRelease(toolbar, Qt::LeftButton, {}, target);
    };

    dragHandleTo(window->height() - 30);
    QTRY_COMPARE(window->toolBarArea(toolbar), Qt::BottomToolBarArea);
    QVERIFY(toolbar->isVisible());
    // Above the status bar, below the view, once the layout has followed.
    QTRY_VERIFY(toolbar->geometry().top() > child<QWidget>(window.get(), "Splitter1")->geometry().bottom());
    QTRY_VERIFY(toolbar->geometry().bottom() <
                child<QStatusBar>(window.get(), "StatusBar1")->geometry().top());

    // A drag that stays in the lower half leaves it where it is.
    dragHandleTo(window->height() - 60);
    QTest::qWait(10);
    QCOMPARE(window->toolBarArea(toolbar), Qt::BottomToolBarArea);

    dragHandleTo(40);
    QTRY_COMPARE(window->toolBarArea(toolbar), Qt::TopToolBarArea);

    // A click on the handle, or a drag that starts on a button, moves nothing.
    dragHandleTo(toolbar->height() / 2);
    auto *calc = toolbar->widgetForAction(child<QAction>(window.get(), "CalcButton"));
    QTest::mousePress(calc, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseRelease(calc, Qt::LeftButton, {},
                        calc->mapFrom(window.get(), QPoint(5, window->height() - 30)));
    QTest::qWait(10);
    QCOMPARE(window->toolBarArea(toolbar), Qt::TopToolBarArea);
}

void TOrmTest::layoutKeysWrittenAtCloseAndAppliedAtStart()
{
    WindowRig rig;
    {
        auto window = rig.makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->MonthlyCalendar1Click();
        window->Statusbar2Click();
        window->resize(520, window->height() + 40);
        window->move(60, 70);
        QVERIFY(window->close());
        QCOMPARE(rig.endCode, 0);
        QVERIFY(rig.messages.isEmpty());
    }
    const IniFile ini(rig.settingsPath());
    QCOMPARE(ini.readInteger("orlam", "Month Calendar", 7), 0);
    QCOMPARE(ini.readInteger("orlam", "Status Bar", 7), 0);
    QCOMPARE(ini.readInteger("orlam", "Tool Bar", 7), 1);
    QCOMPARE(ini.readInteger("orlam", "ClientWidth", 0), 520);
    QCOMPARE(ini.readInteger("orlam", "ClientHeight", 0), 355);
    QCOMPARE(ini.readInteger("orlam", "Left", 0), 60);
    QCOMPARE(ini.readInteger("orlam", "Top", 0), 70);

    auto again = rig.makeWindow();
    again->show();
    QVERIFY(QTest::qWaitForWindowExposed(again.get()));
    QVERIFY(!child<QAction>(again.get(), "MonthlyCalendar1")->isChecked());
    QVERIFY(!child<QWidget>(again.get(), "Panel1")->isVisible());
    QVERIFY(!child<QSplitter>(again.get(), "Splitter1")->handle(1)->isVisible());
    QVERIFY(!child<QStatusBar>(again.get(), "StatusBar1")->isVisible());
    QVERIFY(child<QToolBar>(again.get(), "Toolbar1")->isVisible());
    QCOMPARE(again->width(), 520);
    QCOMPARE(again->pos(), QPoint(60, 70));
    // Written back unchanged by the next close.
    QVERIFY(again->close());
    QCOMPARE(IniFile(rig.settingsPath()).readInteger("orlam", "ClientHeight", 0), 355);
}

void TOrmTest::maximisedCloseReopensNormalAtThatSize()
{
    WindowRig rig;
    QSize size;
    QPoint position;
    {
        auto window = rig.makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->showMaximized();
        QTRY_VERIFY(window->isMaximized());
        QTRY_VERIFY(window->width() > 400);
        size = window->size();
        position = window->pos();
        QVERIFY(window->close());
    }
    const IniFile ini(rig.settingsPath());
    QCOMPARE(ini.readInteger("orlam", "ClientWidth", 0), size.width());
    QCOMPARE(ini.readInteger("orlam", "Left", -1), position.x());
    QCOMPARE(ini.readInteger("orlam", "Top", -1), position.y());

    auto again = rig.makeWindow();
    again->show();
    QVERIFY(QTest::qWaitForWindowExposed(again.get()));
    QVERIFY(!again->isMaximized());
    QCOMPARE(again->size(), size);
    QCOMPARE(again->pos(), position);
}

void TOrmTest::failedLayoutWriteKeepsWindowOpen()
{
    WindowRig rig;
    // A settings file inside something that is not a folder cannot be written, whoever runs this.
    QVERIFY(writeAll(rig.filePath("blocker"), "x"));
    rig.setSettingsPath(rig.filePath("blocker/Orlam.ini"));
    auto window = rig.makeWindow();
    QStringList questions;
    bool closeAnyway = false;
    window->setQuestionHandler([&](const QString &text) {
        questions << text;
        return closeAnyway;
    });
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    // The message, and the offer to close all the same: declined, the window stays.
    QVERIFY(!window->close());
    QVERIFY(window->isVisible());
    QCOMPARE(questions.size(), 1);
    QVERIFY(questions.last().startsWith(QStringLiteral("Unable to write to %1\n\n").arg(rig.settingsPath())));
    QVERIFY(questions.last().contains(QLatin1String("without saving")));
    QCOMPARE(rig.endCode, -1);
    // Accepted, the window closes and the program ends, without a tray to leave by.
    closeAnyway = true;
    QVERIFY(window->close());
    QCOMPARE(questions.size(), 2);
    QCOMPARE(rig.endCode, 0);
    QVERIFY(!QFileInfo::exists(rig.settingsPath()));
}

void TOrmTest::datePickerHoldsEveryDateTheEngineCharts()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    // The picker's own lower end (14 September 1752) would chart earlier dates as that day.
    for (const QDate &day : {QDate(1000, 1, 1), QDate(1752, 9, 13), QDate(2999, 12, 31)}) {
        window->setPickers(clockTime(day, QTime(12, 0)), QTime(12, 0));
        QCOMPARE(window->datePickerValue().date(), day);
    }
}

void TOrmTest::trayExitLeavesTheLayoutAlone()
{
    WindowRig rig;
    const QByteArray before = readAll(rig.settingsPath());
    auto window = rig.makeWindow();
    window->show();
    window->move(200, 200);
    child<QAction>(window.get(), "Exit2")->trigger();
    QCOMPARE(rig.endCode, 0);
    QCOMPARE(readAll(rig.settingsPath()), before);
}

void TOrmTest::minimiseWithoutTrayKeepsTheWindowReachable()
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        QSKIP("this desktop has a tray");
    WindowRig rig;
    auto window = rig.makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->showMinimized();
    QTest::qWait(20);
    QVERIFY(window->isVisible());
    window->Restore1Click();
    QVERIFY(!window->isMinimized());
}

void TOrmTest::hintsCanBeSwitchedOff()
{
    WindowRig rig("Hints=0\r\n");
    auto window = rig.makeWindow();
    QVERIFY(!window->showHints());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto *view = child<QTextEdit>(window.get(), "TDate");
    const auto askForHint = [view] {
        QHelpEvent event(QEvent::ToolTip, QPoint(5, 5), view->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(view, &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(askForHint(), QString());
    window->setShowHints(true);
    QCOMPARE(askForHint(), QStringLiteral("Thelemic date"));
    QToolTip::hideText();
}

void TOrmTest::startUp_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("interactive") << QStringList{};
    QTest::newRow("three arguments") << QStringList{"a", "b", "c"};
}

void TOrmTest::startUp()
{
    QFETCH(QStringList, arguments);
    WindowRig rig;
    auto window = rig.makeWindow();
    window->setCommandLine(parseCommandLine(arguments));
    // The pickers hold the moment of start; a fixed one keeps the result known.
    setMoment(*window);
    QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    window->FormShow();
    QVERIFY2(rig.messages.isEmpty(), qPrintable(rig.messages.join('|')));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
    QCOMPARE(viewText(*window), JuneDate);
    // The window writes its layout only when it closes.
    QCOMPARE(IniFile(rig.settingsPath()).readInteger("orlam", "ClientWidth", 0), 0);
    // The sequence runs once.
    window->CalcButtonClick();
    window->FormShow();
    QVERIFY(rig.messages.isEmpty());
}

// The program's own window charts the present moment while it is built, and builds its month
// calendar after its first showing: it shows with the date, and ends up as a window built whole.
void TOrmTest::startChartingAtOnce()
{
    WindowRig rig;
    auto window = rig.makeWindow(TOrm::FirstDate::AtOnce);
    QVERIFY(!window->findChild<QCalendarWidget *>());
    window->show();
    const QString shown = viewText(*window);
    QVERIFY2(shown.startsWith(QLatin1String("An ")) && shown.contains(QLatin1String(" e.v. ")),
             qPrintable(shown));
    // The moment was charted before the pickers were built: they show the one charted.
    const QDate pickerDate = child<QDateEdit>(window.get(), "GDate")->date();
    const QTime pickerTime = child<QTimeEdit>(window.get(), "Time")->time();
    QVERIFY(qAbs(QDateTime(pickerDate, pickerTime).secsTo(QDateTime::currentDateTime())) < 60);
    QVERIFY2(shown.contains(usLocale().formatLongDate(pickerDate) + QStringLiteral(" e.v. ") +
                            usLocale().locale().toString(pickerTime, QStringLiteral("h:mm AP"))),
             qPrintable(shown));

    QTRY_VERIFY(window->findChild<QCalendarWidget *>(QStringLiteral("MonthCalendar1")));
    auto *calendar = child<QCalendarWidget>(window.get(), "MonthCalendar1");
    QCOMPARE(calendar->selectedDate(), child<QDateEdit>(window.get(), "GDate")->date());
    QVERIFY(calendar->isVisible());
    QCOMPARE(calendar->parentWidget(), child<QWidget>(window.get(), "Panel1"));
    // Its parts have their names, as have those of the date picker's drop-down calendar.
    const auto *pickerEdit = child<QDateEdit>(window.get(), "GDate");
    QTRY_VERIFY(pickerEdit->findChild<QCalendarWidget *>());
    const auto *picker = pickerEdit->findChild<QCalendarWidget *>();
    for (const QCalendarWidget *named : {static_cast<const QCalendarWidget *>(calendar), picker})
        QCOMPARE(named->findChild<QWidget *>(QStringLiteral("qt_calendar_prevmonth"))->accessibleName(),
                 QStringLiteral("Previous month"));

    // Tab goes through it as through the calendar of a window built whole.
    auto whole = rig.makeWindow();
    const QStringList stops = tabStops(window.get());
    QVERIFY(stops.contains(QStringLiteral("QCalendarView qt_calendar_calendarview")));
    QCOMPARE(stops, tabStops(whole.get()));

    // The first date is charted once: the view keeps it until the clock's minute comes.
    QCOMPARE(viewText(*window), shown);
    QVERIFY2(rig.messages.isEmpty(), qPrintable(rig.messages.join('|')));
}

// The window is drawn with its date before the rest of the start (the picker's drop-down
// calendar, the tray, the clock) holds it up. Without a stored size, the rest comes first, so
// that the first frame already has the size the date and the caption need.
void TOrmTest::restOfStartFollowsFirstFrame_data()
{
    QTest::addColumn<QByteArray>("layout");
    QTest::addColumn<bool>("restBeforeFirstFrame");
    QTest::newRow("stored size") << QByteArray("ClientWidth=400\r\nClientHeight=280\r\n") << false;
    QTest::newRow("no stored size") << QByteArray() << true;
}

void TOrmTest::restOfStartFollowsFirstFrame()
{
    QFETCH(QByteArray, layout);
    QFETCH(bool, restBeforeFirstFrame);
    WindowRig rig(layout);
    auto window = rig.makeWindow(TOrm::FirstDate::AtOnce);
    const auto *pickerEdit = child<QDateEdit>(window.get(), "GDate");
    FirstPaintProbe probe(child<QTextEdit>(window.get(), "TDate")->viewport(),
                          [pickerEdit] { return pickerEdit->findChild<QCalendarWidget *>() != nullptr; });
    window->show();
    QTRY_VERIFY(pickerEdit->findChild<QCalendarWidget *>());
    QTRY_VERIFY(probe.doneAtFirstPaint.has_value());
    QCOMPARE(*probe.doneAtFirstPaint, restBeforeFirstFrame);
    QCOMPARE(probe.windowSizeAtFirstPaint, window->size());
}

// Work that waits for a window's first frame runs whatever the window does, never from within
// the call, and goes with the window.
void TOrmTest::firstFrameWaitEnds_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("runs");
    QTest::newRow("shown") << "shown" << true;
    QTest::newRow("never shown") << "hidden" << true;
    QTest::newRow("shown, its exposure unseen") << "unseen" << true; // another workspace
    QTest::newRow("closed and gone first") << "gone" << false;
}

void TOrmTest::firstFrameWaitEnds()
{
    QFETCH(QString, window);
    QFETCH(bool, runs);
    auto widget = std::make_unique<QWidget>();
    if (window != QLatin1String("hidden")) {
        widget->show();
        QVERIFY(!widget->windowHandle()->isExposed());
    }
    bool ran = false;
    afterFirstFrame(widget.get(), [&ran] { ran = true; });
    QVERIFY(!ran);
    if (window == QLatin1String("unseen")) {
        // Installed last, this filter sees the exposure first and keeps it from the others.
        struct Swallow : QObject {
            bool eventFilter(QObject *, QEvent *event) override { return event->type() == QEvent::Expose; }
        };
        static Swallow swallow;
        widget->windowHandle()->installEventFilter(&swallow);
    }
    if (window == QLatin1String("gone"))
        widget.reset();
    if (runs) {
        QTRY_VERIFY(ran);
    } else {
        QTest::qWait(2 * FirstFrameWaitMs);
        QVERIFY(!ran);
    }
}

void TOrmTest::aboutBoxText_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    const QString version = QStringLiteral("Version ") + VersionText + QStringLiteral("\r\nCompiled: ");
    QTest::newRow("US") << "en_US" << version + "6/15/2026 2:30:05 PM";
    QTest::newRow("German") << "de_DE" << version + "15.06.2026 14:30:05";
    QTest::newRow("British") << "en_GB" << version + "15/06/2026 14:30:05";
}

void TOrmTest::aboutBoxText()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    const LocaleFacts facts =
        LocaleFacts::make(QLocale(locale), QTimeZone("Europe/Berlin"), QDate(2026, 6, 15));
    QCOMPARE(TAboutBox::versionText(facts, clockTime(2026, 6, 15, 14, 30, 5)), text);
}

void TOrmTest::aboutBoxWindow()
{
    const LocaleFacts facts = usLocale();
    TAboutBox box(nullptr, facts);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.windowTitle(), QStringLiteral("About Orlam"));
    QCOMPARE(box.size(), QSize(227, 149));
    QVERIFY(!(box.windowFlags() & Qt::WindowCloseButtonHint));
    QCOMPARE(child<QLabel>(&box, "ProductName")->text(), QStringLiteral("Orlam"));
    QCOMPARE(child<QLabel>(&box, "ProductName")->font().pixelSize(), 16);
    QCOMPARE(child<QLabel>(&box, "Version")->font().pixelSize(), 13);
    QCOMPARE(child<QLabel>(&box, "Copyright")->font().pixelSize(), 11);
    QVERIFY(child<QLabel>(&box, "Copyright")->text().contains(QStringLiteral("city-timezones (MIT)")));
    const QDateTime built = clockFromLocal(QFileInfo(QCoreApplication::applicationFilePath()).lastModified());
    QCOMPARE(child<QLabel>(&box, "Version")->text(),
             QStringLiteral("Version ") + VersionText + QStringLiteral("\r\nCompiled: ") +
                 facts.formatShortDate(built.date()) + QLatin1Char(' ') + facts.formatLongTime(built.time()));
    QVERIFY(!child<QLabel>(&box, "ProgramIcon")->pixmap().isNull());
    // A click on a label closes the box.
    QTest::mouseClick(child<QLabel>(&box, "Version"), Qt::LeftButton);
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));
}

void TOrmTest::aboutBoxFitsTheLongestVersionText_data()
{
    QTest::addColumn<QString>("locale");
    // Two-digit month, day and hour: the widest texts of each locale.
    QTest::newRow("US") << "en_US";
    QTest::newRow("British") << "en_GB";
    QTest::newRow("German") << "de_DE";
}

void TOrmTest::aboutBoxFitsTheLongestVersionText()
{
    QFETCH(QString, locale);
    const LocaleFacts facts =
        LocaleFacts::make(QLocale(locale), QTimeZone("America/Chicago"), QDate(2026, 6, 15));
    TAboutBox box(nullptr, facts);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    auto *version = child<QLabel>(&box, "Version");
    const QString text = TAboutBox::versionText(facts, clockTime(2026, 12, 28, 12, 58, 58));
    version->setText(text);
    box.layout()->activate();
    child<QWidget>(&box, "Panel1")->layout()->activate();
    QCOMPARE(box.size(), QSize(227, 149));

    // Every label shows all of its text inside the panel, none of it cut off.
    const QRect inside = child<QFrame>(&box, "Panel1")->contentsRect();
    for (const char *name : {"ProductName", "Version", "Copyright"}) {
        auto *label = child<QLabel>(&box, name);
        const QRect room = label->contentsRect();
        const QRect needed = label->fontMetrics().boundingRect(room, Qt::TextWordWrap,
                                                               label->text().remove(QLatin1Char('\r')));
        QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
                 qPrintable(QStringLiteral("%1 needs %2x%3, has %4x%5")
                                .arg(QLatin1String(name))
                                .arg(needed.width())
                                .arg(needed.height())
                                .arg(room.width())
                                .arg(room.height())));
        QVERIFY2(inside.contains(label->geometry()), name);
    }
}

void TOrmTest::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("desktop");
    using M = CommandLine::Mode;
    QTest::newRow("none") << QStringList{} << int(M::Interactive) << false;
    QTest::newRow("x") << QStringList{"x"} << int(M::CopyDate) << false;
    QTest::newRow("capital X is another argument") << QStringList{"X"} << int(M::CopyView) << false;
    QTest::newRow("other") << QStringList{"today"} << int(M::CopyView) << false;
    QTest::newRow("help") << QStringList{"--help"} << int(M::Usage) << false;
    QTest::newRow("version") << QStringList{"--version"} << int(M::Version) << false;
    QTest::newRow("batch") << QStringList{"in.txt", "out.txt"} << int(M::Batch) << false;
    QTest::newRow("three") << QStringList{"a", "b", "c"} << int(M::Interactive) << false;
    QTest::newRow("desktop") << QStringList{"--desktop"} << int(M::Interactive) << true;
    QTest::newRow("desktop and x") << QStringList{"--desktop", "x"} << int(M::CopyDate) << true;
}

void TOrmTest::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, mode);
    QFETCH(bool, desktop);
    const CommandLine line = parseCommandLine(arguments);
    QCOMPARE(int(line.mode), mode);
    QCOMPARE(line.desktop, desktop);
    if (line.mode == CommandLine::Mode::Batch) {
        QCOMPARE(line.first, QStringLiteral("in.txt"));
        QCOMPARE(line.second, QStringLiteral("out.txt"));
    }
}

void TOrmTest::desktopWorkFolder()
{
    const QString previous = QDir::currentPath();
    QTemporaryDir home;
    const QString help = home.filePath("orlam.html");
    QVERIFY(writeAll(help, "<html>help</html>"));
    const QString folder = home.filePath("data/Orlam");
    QVERIFY(enterWorkFolder(folder, help).ok);
    QCOMPARE(QDir::currentPath(), QFileInfo(folder).canonicalFilePath());
    QCOMPARE(readAll(QDir(folder).filePath("orlam.html")), QByteArray("<html>help</html>"));
    // A page the user already has stays as it is.
    QVERIFY(writeAll(QDir(folder).filePath("orlam.html"), "mine"));
    QVERIFY(enterWorkFolder(folder, help).ok);
    QCOMPARE(readAll(QDir(folder).filePath("orlam.html")), QByteArray("mine"));
    QDir::setCurrent(previous);
    QVERIFY(writeAll(home.filePath("file"), "x"));
    QVERIFY(!enterWorkFolder(home.filePath("file/Orlam"), help).ok);
    QCOMPARE(QDir::currentPath(), previous);
}

QTEST_MAIN(TOrmTest)
#include "torm_test.moc"
