#pragma once

#include "commandline.h"
#include "hours/alarmclock.h"
#include "hours/eventlist.h"
#include "hours/planetaryhours.h"
#include "settings/localefacts.h"
#include "thelemic/calcparts.h"
#include "trayicon.h"

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QCalendarWidget;
class QDateEdit;
class QLabel;
class QMenu;
class QSplitter;
class QStatusBar;
class QTextEdit;
class QTimeEdit;
class QTimer;
class QToolBar;
class QToolButton;

namespace orlam {

class ScratchJobs;
class EventView;
class HintSwitch;
class ModuleSoundPlayer;
class SoundPlayer;
class HoursMenu;
class TfOptions;
class ReportCommands;
class TrayIcon;

// The main window: the pickers, the month calendar, the text view, the toolbar, the menus, the
// status bar and the tray icon, and every command handler. Handlers keep the names of the
// components and events that invoke them; they read the widgets, call the core and put the
// result back on screen.
class TOrm : public QMainWindow, public CalcHost, private CalcParts {
    Q_OBJECT
public:
    // When the start charts the present moment: when the window is first shown (FormShow does
    // it without showing), or at once, while the window is being built: the engine then runs
    // beside the building, and the window shows the date from its first showing. The month
    // calendar of such a window is built right after that showing, in its place in the layout
    // and the focus chain.
    enum class FirstDate { OnShow, AtOnce };

    // FormCreate: loads the settings from `settingsPath`, builds the window, applies the layout
    // keys and sets the pickers to the present. See createStatus() for the one failure. The job
    // file, the reports and the user's data files are in `workFolder`, an existing folder.
    TOrm(const QString &settingsPath, const QString &workFolder, const LocaleFacts &locale,
         FirstDate firstDate = FirstDate::OnShow, QWidget *parent = nullptr);
    ~TOrm() override;

    using CalcParts::createStatus;

    // The command line the program was started with (its start folder names the Batch
    // command's files).
    void setCommandLine(const CommandLine &commandLine) { mCommandLine = commandLine; }
    // Where messages go (a message box, or standard error without a display, by default).
    void setMessageHandler(std::function<void(const QString &)> handler);
    // What ends the program (QCoreApplication::exit by default).
    void setEndProgram(std::function<void(int)> endProgram);
    // Where yes/no questions go (a message box by default); true means yes.
    void setQuestionHandler(std::function<bool(const QString &)> handler)
    {
        mQuestionHandler = std::move(handler);
    }

    // FormShow: the start-up sequence (the present moment charted and shown, the hours, the
    // alarm list, the clock). Runs once, at the first showing of the window. The command-line
    // modes that end at once run without a window (commandlinerun.h).
    void FormShow();

    // FormClose: writes the layout keys. A failure carries "Unable to write to %s".
    Status FormClose();

    // Tray operations used by the hours and verses commands.
    void setTrayImage(int index);
    int trayImage() const;
    using BalloonIcon = orlam::BalloonIcon;
    void ShowBalloon(const QString &title, const QString &text, BalloonIcon icon, int seconds);
    // The notice of an alarm that has come: what happens and until when, through ShowBalloon.
    void notifyAlarm(const EventEntry &entry);

    // "Show Hints": tooltips throughout the program.
    void setShowHints(bool on);
    bool showHints() const;

    using CalcParts::calculator;
    // "Next hour of", the week of hours and the calendar export of the Reports menu.
    HoursMenu &hoursMenu() { return *mHoursMenu; }
    using CalcParts::settings;
    const QString &applicationTitle() const { return mApplicationTitle; }
    bool clockPaused() const;

    // The alarm clock: the hours in force and the alarm list (row i of the event view is entry i).
    AlarmClock &alarmClock() { return *mAlarmClock; }
    const orlam::EventList &eventList() const { return mAlarmClock->events(); }

    // Where the window takes "now" from: a moment in the computer's zone (the wall clock by
    // default). Tests run days through it in moments.
    void setClock(std::function<QDateTime()> clock);
    // The alarms' sound player (the desktop's audio by default); not owned.
    void setSoundPlayer(SoundPlayer *player);

    // CalcHost
    QDateTime datePickerValue() const override;
    QTime timePickerValue() const override;
    void setPickers(const QDateTime &date, QTime time) override;
    void setMonthCalendarDate(QDate date) override;
    void setViewText(const QString &text) override;
    void repaintNow() override;
    void setCaptions(const QString &applicationTitle, const QString &windowCaption) override;
    void copyViewToClipboard() override;
    void showMessage(const QString &text) override;

    // Command handlers.
    void CalcButtonClick(Calculator::Output output = Calculator::Output::Show);
    void NowButtonClick();
    void SetNow();
    void MonthCalendar1Click(QDate date);
    void GDateChange();
    void Paused1Click();
    void HoursButtonClick(Calculator::Output output = Calculator::Output::Show);
    void BuildEventList();
    void AlarmEvents1Click();
    void ClipButtonClick();
    void Batch1Click();
    void ToolBars1Click();
    void Statusbar2Click();
    void MonthlyCalendar1Click();
    // Exit1 (the File menu) closes the window, which saves the layout; Exit2 (the tray) leaves
    // at once without it.
    void Exit1Click();
    void Exit2Click();
    void Restore1Click();
    // A left click on the tray icon: shows or hides the window.
    void NotificationIcon1Click();
    void Help2Click();
    void About1Click();
    void MakerHome1Click();
    void OrlamHome1Click();
    void NavalObservatory1Click();
    void OTO1Click();
    void Astrolog1Click();
    void Timer1Timer();
    void Copy2Click();
    void Selectall2Click();
    // "&Program options" and the toolbar's Opt1: the options dialog, shown modally.
    void Options1Click();
    // The options dialog as Options1Click shows it, wired to this window.
    std::unique_ptr<TfOptions> makeOptionsDialog();
    // Reports and output (reportcommands.h).
    void AstroButtonClick();
    void Forthemonth1Click();
    void Fortheyear1Click();
    void RandomVerse1Click();
    // The tray's Quote1 shows a verse in a balloon; the ClipBoard submenu's Quote2 copies one.
    void Quote1Click();
    void Quote2Click();
    void Law1Click();
    // The tray's Date1 item runs Query1Click (the date in a balloon); the ClipBoard submenu's
    // Date2 runs Date1Click (the date to the clipboard).
    void Date1Click();
    void Query1Click();
    void Print1Click();
    void Save1Click();
    void InsertintoWord971Click();
    ReportCommands &reports() { return *mReports; }
    TrayIcon &trayIcon() { return *mTray; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    QMenu *createPopupMenu() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildToolbar();
    void buildViews();
    void buildMenus();
    void buildTray();
    void applyWindowKeys();
    void pickerChangedByUser();
    // The event view in place of the text view (on) or behind it, with both check marks.
    void showEventView(bool on);
    // FormShow's two halves: the present moment charted and shown (false when it failed or had
    // run before), then the hours, the alarm list and the clock.
    bool showFirstDate();
    // FirstDate::AtOnce: the engine's run for the present moment, begun as soon as the pickers
    // are there; the rest of the start follows its end.
    void startFirstDate();
    void startClock();
    // What follows the first date on the window: the tray icon, the date picker's drop-down
    // calendar, then, when the date was shown, the clock; last the sound player.
    void finishStart(bool dateShown);
    void readyPickerCalendar();
    void buildMonthCalendar();
    // Without a stored layout: the window grows to show the date lines whole, whatever day
    // they name, and the caption with its hour; it stays on its screen.
    void fitFirstSize();
    static QList<QRect> availableScreenAreas();
    QDateTime presentMoment() const; // the clock seam's reading as a local clock value
    // The clock's wiring and what its signals show.
    void buildClock();
    void syncClockFeed(); // the place and alarm choices of the settings, to the clock
    QDateTime wallClock(const QDateTime &instant) const;
    void minuteWork();
    // Waits for the minute's Calculate still going, so that a command finds the work folder as
    // that Calculate leaves it.
    void finishMinuteWork();
    void showHourInForce(const CurrentHour &hour);
    void showCaption();
    void showEventList(const orlam::EventList &list);
    void soundAlarm(const EventEntry &entry);
    void openAddress(const char *address);
    int menuBarHeight() const;
    void quitWithoutClosing();

    CommandLine mCommandLine;
    QString mWorkFolder;
    std::unique_ptr<HintSwitch> mHints;
    std::unique_ptr<ReportCommands> mReports;
    std::function<void(const QString &)> mMessageHandler;
    std::function<void(int)> mEndProgram;
    std::function<QDateTime()> mClock;
    QDateTime mPickersSetAt; // the instant SetNow() last read, for the clock's first minute
    std::unique_ptr<ModuleSoundPlayer> mOwnSound;
    SoundPlayer *mSound = nullptr;
    AlarmClock *mAlarmClock = nullptr;
    std::unique_ptr<ScratchJobs> mClockJobs; // the clock's engine jobs, away from the work folder
    std::function<bool(const QString &)> mQuestionHandler;

    QString mApplicationTitle;
    QTime mDatePickerTime; // the date picker holds a whole date-time; it shows the date only
    bool mStarted = false;
    bool mStartFinished = false; // finishStart() has run
    // What the first date's run sets and shows before the pickers, the view and the month
    // calendar are built.
    QDate mEarlyPickerDate;
    QTime mEarlyPickerTime;
    QString mEarlyViewText;
    QDate mEarlyCalendarDate;
    bool mSettingPickers = false;
    bool mFitFirstSize = false;

    QToolBar *Toolbar1 = nullptr;
    QDateEdit *GDate = nullptr;
    QTimeEdit *Time = nullptr;
    QWidget *Panel1 = nullptr;
    QCalendarWidget *MonthCalendar1 = nullptr;
    QSplitter *Splitter1 = nullptr;
    QWidget *Panel2 = nullptr;
    QTextEdit *TDate = nullptr;
    EventView *CheckListBox1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QLabel *mStatusText = nullptr;
    QLabel *mPausedText = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QMenu *PopupMenu2 = nullptr;
    TrayIcon *mTray = nullptr; // NotificationIcon1
    QTimer *Timer1 = nullptr;

    QAction *ToolBars1 = nullptr;
    QAction *Statusbar2 = nullptr;
    QAction *MonthlyCalendar1 = nullptr;
    QAction *Paused1 = nullptr;
    QAction *AlarmEvents1 = nullptr;
    HoursMenu *mHoursMenu = nullptr;
};

} // namespace orlam
