#include "torm.h"

#include "accessiblenames.h"
#include "appfonts.h"
#include "appicons.h"
#include "apptheme.h"
#include "astrocalls/astrocalls.h"
#include "astrocalls/runner.h"
#include "astrocalls/scratchjobs.h"
#include "batchdialog.h"
#include "common/clocktime.h"
#include "common/messagetext.h"
#include "common/westerntext.h"
#include "eventview.h"
#include "firstframe.h"
#include "hours/alarmclock.h"
#include "hours/hoursspan.h"
#include "hours/notices.h"
#include "hours/planetaryhours.h"
#include "hours/riseset.h"
#include "hoursmenu.h"
#include "reportcommands.h"
#include "reports/batch.h"
#include "settings/citylist.h"
#include "settings/inifile.h"
#include "settings/settingstable.h"
#include "shellmessages.h"
#include "soundmodule.h"
#include "taboutbox.h"
#include "tfoptions.h"
#include "toolbardock.h"
#include "trayicon.h"
#include "weblinks.h"
#include "windowlayout.h"
#include "windowplacement.h"
#include "workfolder.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimeEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <utility>

namespace orlam {

namespace {

constexpr auto PauseMessage =
    QT_TRANSLATE_NOOP("orlam::TOrm", "Alarm and clock will be paused. Use Clock menu to resume.");
constexpr int BalloonSeconds = 10;
// The window system's icon and three buttons beside a caption.
constexpr int TitleBarButtonsWidth = 120;

// An alarm sound ("venus.wav"): the user's own in the work folder, else the one installed with
// the program among its sounds.
QString findAlarmSound(const QString &workFolder, const QString &name)
{
    const QString found = userOrInstalledDataFile(workFolder, name);
    return found.isEmpty() ? installedDataFile(QStringLiteral("sounds/") + name) : found;
}

} // namespace

// Tooltips ("hints") can be switched off for the whole program.
class HintSwitch : public QObject {
public:
    bool on = true;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!on && event->type() == QEvent::ToolTip)
            return true;
        return QObject::eventFilter(watched, event);
    }
};

TOrm::TOrm(const QString &settingsPath, const QString &workFolder, const LocaleFacts &locale,
           FirstDate firstDate, QWidget *parent)
    : QMainWindow(parent), CalcParts(settingsPath, workFolder, locale, *this), mWorkFolder(workFolder),
      mHints(std::make_unique<HintSwitch>()), mApplicationTitle(QString::fromLatin1(ApplicationTitle))
{
    setObjectName(QStringLiteral("Orm"));
    setWindowTitle(mApplicationTitle);
    setFont(windowFont());
    mMessageHandler = [this](const QString &text) { showUserMessage(this, text); };
    mEndProgram = [](int code) { QCoreApplication::exit(code); };
    mClock = [] { return QDateTime::currentDateTime(); };
    mOwnSound = std::make_unique<ModuleSoundPlayer>([this](const QString &text) { showMessage(text); });
    mSound = mOwnSound.get();
    mQuestionHandler = [this](const QString &text) { return askUser(this, text); };
    qApp->installEventFilter(mHints.get());

    // FormCreate, in its order: the settings, the layout keys, the pickers, the alarm list. The
    // settings (loaded as the CalcParts base is built) come before the widgets, which do not
    // read them, so that the engine charts the present moment while the widgets are built.
    if (firstDate == FirstDate::AtOnce && mCreateStatus) {
        SetNow();
        startFirstDate();
    }
    buildToolbar();
    buildViews();
    buildMenus();
    buildTray();

    buildClock();

    // Every part a screen reader meets has a name, Qt's own parts included.
    nameStandardParts(this);

    mReports = std::make_unique<ReportCommands>(*this, *this, mSettings, *TDate, *mAstro);
    mReports->outside().calculateNow = [this] { NowButtonClick(); };
    mReports->outside().balloon = [this](const QString &title, const QString &text) {
        ShowBalloon(title, text, BalloonIcon::Information, BalloonSeconds);
    };
    setShowHints(readSetting(mStore.readSection(), settingDef(SettingsKeys::Hints)).number != 0);
    applyWindowKeys();
    mClockJobs = std::make_unique<ScratchJobs>(mSettings, mDerived, mRunner->program());
    mClockJobs->setComputerZone(mLocale.zone());
    syncClockFeed();
    // Set already for the first date's run, which charts the pickers' moment.
    if (!mStarted)
        SetNow();

    Timer1Timer();
    Timer1->start();
    // The view takes the keyboard at start, not the date picker, whose first field would show
    // up selected.
    TDate->setFocus();
}

TOrm::~TOrm()
{
    // FormDestroy: the alarm list goes with the clock, a child of the window.
    mSound = nullptr;
    qApp->removeEventFilter(mHints.get());
}

void TOrm::buildToolbar()
{
    Toolbar1 = new QToolBar(tr("Date tool"), this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    // The toolbar docks at the top (Dock) or at the bottom above the status bar (Dock971).
    Toolbar1->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    Toolbar1->setFloatable(false);
    Toolbar1->setMovable(true);
    Toolbar1->setIconSize(QSize(16, 16));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // Two pickers and eight buttons share the 400 pixels of the default width: the buttons sit
    // close together, as on the toolbar's first home.
    Toolbar1->setContentsMargins(0, 0, 0, 0);
    Toolbar1->layout()->setSpacing(0);
    // A style sheet also stops the window's font at the toolbar: the pickers show the desktop's
    // font, and the toolbar's height of 30 pixels follows from it.
    Toolbar1->setStyleSheet(QStringLiteral("QToolButton { padding: 0px; margin: 0px; }"));
    addToolBar(Qt::TopToolBarArea, Toolbar1);

    GDate = new QDateEdit(Toolbar1);
    GDate->setObjectName(QStringLiteral("GDate"));
    GDate->setLocale(mLocale.locale());
    GDate->setDisplayFormat(mLocale.shortDatePattern());
    GDate->setCalendarPopup(true);
    // Every day the engine charts, no more: a date outside would be charted as the nearest end.
    GDate->setDateRange(QDate(FirstChartYear, 1, 1), QDate(LastChartYear, 12, 31));
    GDate->setAccessibleName(tr("Date"));
    GDate->setAccessibleDescription(tr("The day to calculate; changing it pauses the clock"));
    fitPicker(GDate, PickerWidth);
    Toolbar1->addWidget(GDate);

    Time = new QTimeEdit(Toolbar1);
    Time->setObjectName(QStringLiteral("Time"));
    Time->setLocale(mLocale.locale());
    Time->setDisplayFormat(mLocale.longTimePattern());
    Time->setAccessibleName(tr("Time"));
    Time->setAccessibleDescription(tr("The time of day to calculate; changing it pauses the clock"));
    fitPicker(Time, PickerWidth);
    Toolbar1->addWidget(Time);
    if (mEarlyPickerDate.isValid())
        setPickers(clockTime(mEarlyPickerDate, mDatePickerTime), mEarlyPickerTime);

    // Parented to the window, which owns it.
    new ToolbarDock(this, Toolbar1, GDate, [this] { return ToolBars1->isChecked(); });

    connect(GDate, &QDateEdit::dateChanged, this, &TOrm::pickerChangedByUser);
    connect(Time, &QTimeEdit::timeChanged, this, &TOrm::pickerChangedByUser);

    struct Button {
        const char *name;
        const char *icon;
        const char *caption; // what a screen reader calls the button
        const char *hint;
        std::function<void()> handler; // empty: the command arrives with a later release
        bool toggle;
    };
    const Button buttons[] = {
        {"CalcButton", "calculate", QT_TR_NOOP("Calculate"),
         QT_TR_NOOP("Calculate using displayed information"), [this] { CalcButtonClick(); }, false},
        {"NowButton", "now", QT_TR_NOOP("Now"), QT_TR_NOOP("Set Date/Time to \"Now\" and Calculate"),
         [this] { NowButtonClick(); }, false},
        {"ClipButton", "clip", QT_TR_NOOP("Copy date"), QT_TR_NOOP("Copy Thelemic Date to clipboard"),
         [this] { ClipButtonClick(); }, false},
        {"AstroButton", "astro", QT_TR_NOOP("Astrological data"),
         QT_TR_NOOP("Display Astrolog program output"), [this] { AstroButtonClick(); }, false},
        {"HoursButton", "hours", QT_TR_NOOP("Planetary hours"), QT_TR_NOOP("Display Planetary Hours"),
         [this] { HoursButtonClick(); }, false},
        {"ToolbarButton971", "events", QT_TR_NOOP("Alarm events"), QT_TR_NOOP("Toggle Event Display"),
         [this] { AlarmEvents1Click(); }, true},
        {"Opt1", "options", QT_TR_NOOP("Options"), QT_TR_NOOP("Program Options"), [this] { Options1Click(); },
         false},
        {"Verse", "verse", QT_TR_NOOP("Random verse"), QT_TR_NOOP("Random Verse"),
         [this] { RandomVerse1Click(); }, false},
    };
    for (const Button &button : buttons) {
        QAction *action = Toolbar1->addAction(toolIcon(QString::fromLatin1(button.icon)), tr(button.hint));
        action->setObjectName(QString::fromLatin1(button.name));
        action->setToolTip(tr(button.hint));
        action->setCheckable(button.toggle);
        if (button.toggle)
            // A screen reader toggles the button without a click: the state it leaves is the command.
            connect(action, &QAction::toggled, this, [this](bool on) { showEventView(on); });
        else if (button.handler)
            connect(action, &QAction::triggered, this, button.handler);
        else
            action->setEnabled(false);
        QWidget *widget = Toolbar1->widgetForAction(action);
        widget->setObjectName(QString::fromLatin1(button.name));
        widget->setFixedSize(ToolButtonSize);
        widget->setAccessibleName(tr(button.caption));
        widget->setAccessibleDescription(tr(button.hint));
    }
}

void TOrm::buildViews()
{
    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(SplitterWidth);
    Splitter1->setAccessibleName(tr("Calendar and view"));
    Splitter1->setChildrenCollapsible(false);

    Panel1 = new QWidget(Splitter1);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto *calendarLayout = new QGridLayout(Panel1);
    calendarLayout->setContentsMargins(0, 0, 0, 0);
    // A window that charts at once shows before its calendar is built: the calendar and its
    // sizes cost the start as much as the toolbar.
    if (!mStarted)
        buildMonthCalendar();

    Panel2 = new QWidget(Splitter1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto *viewLayout = new QGridLayout(Panel2);
    viewLayout->setContentsMargins(0, 0, 0, 0);

    TDate = new QTextEdit(Panel2);
    TDate->setObjectName(QStringLiteral("TDate"));
    TDate->setReadOnly(true);
    TDate->setAcceptRichText(true);
    TDate->setToolTip(tr("Thelemic date"));
    TDate->setAccessibleName(tr("Thelemic date"));
    TDate->setAccessibleDescription(tr("The date and the reports of the last calculation"));
    // The desktop's colours, light or dark: the text and base of its palette.
    TDate->setFont(viewFont());
    // Lines keep their layout: long ones scroll sideways rather than wrap.
    TDate->setLineWrapMode(QTextEdit::NoWrap);
    TDate->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    TDate->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    TDate->setContextMenuPolicy(Qt::CustomContextMenu);
    TDate->installEventFilter(this);
    viewLayout->addWidget(TDate, 0, 0);
    if (!mEarlyViewText.isNull())
        setViewText(std::exchange(mEarlyViewText, QString()));

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QAction *copy = PopupMenu1->addAction(tr("Copy"), this, &TOrm::Copy2Click);
    copy->setObjectName(QStringLiteral("Copy2"));
    QAction *selectAll = PopupMenu1->addAction(tr("Select all"), this, &TOrm::Selectall2Click);
    selectAll->setObjectName(QStringLiteral("Selectall2"));
    connect(TDate, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(TDate->viewport()->mapToGlobal(at)); });

    CheckListBox1 = new EventView(Panel2);
    CheckListBox1->setAccessibleName(tr("Alarm events"));
    CheckListBox1->setAccessibleDescription(tr("The day's events; a checked event sounds no alarm"));
    CheckListBox1->setCheckHandler(
        [this](int row, bool checked) { mAlarmClock->setRowChecked(row, checked); });
    viewLayout->addWidget(CheckListBox1, 0, 0);

    Splitter1->addWidget(Panel1);
    Splitter1->addWidget(Panel2);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    // The calendar keeps its 212 pixels and the view takes what is left: at the default size
    // that is room for the two date lines, and no more, so the view may be smaller than Qt
    // would make it and keeps only a thin margin around its text.
    TDate->document()->setDocumentMargin(2);
    TDate->setMinimumHeight(ViewMinimumHeight);
    Splitter1->setSizes({CalendarPanelHeight, ViewMinimumHeight});
    setCentralWidget(Splitter1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(StatusBarHeight);
    StatusBar1->setSizeGripEnabled(true);
    mStatusText = new QLabel(StatusBar1);
    mStatusText->setObjectName(QStringLiteral("StatusText"));
    mStatusText->setContentsMargins(2, 0, 0, 0);
    StatusBar1->addWidget(mStatusText, 1);
    // The clock's pause is said in words beside the time it stopped at.
    mPausedText = new QLabel(tr("Clock paused"), StatusBar1);
    mPausedText->setObjectName(QStringLiteral("PausedText"));
    mPausedText->hide();
    StatusBar1->addPermanentWidget(mPausedText);
    setStatusBar(StatusBar1);
}

void TOrm::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    const auto menu = [](QWidget *parentMenu, const char *name, const QString &caption) {
        QMenu *created = nullptr;
        if (auto *asBar = qobject_cast<QMenuBar *>(parentMenu))
            created = asBar->addMenu(caption);
        else
            created = static_cast<QMenu *>(parentMenu)->addMenu(caption);
        created->setObjectName(QString::fromLatin1(name));
        created->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Item"));
        return created;
    };
    // An entry without a handler belongs to a command of a later release: shown, not usable.
    const auto item = [this](QMenu *parentMenu, const char *name, const QString &caption,
                             std::function<void()> handler = {}) {
        QAction *action = parentMenu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        if (handler)
            connect(action, &QAction::triggered, this, handler);
        else
            action->setEnabled(false);
        return action;
    };
    const auto check = [this](QMenu *parentMenu, const char *name, const QString &caption, bool checked,
                              std::function<void()> handler = {}) {
        QAction *action = parentMenu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        action->setChecked(checked);
        if (handler)
            // The handlers flip the mark themselves (they are called directly too), so the flip
            // the menu already made is undone first.
            connect(action, &QAction::triggered, this, [action, handler] {
                action->setChecked(!action->isChecked());
                handler();
            });
        else
            action->setEnabled(false);
        return action;
    };

    QMenu *file = menu(bar, "File1", tr("&File"));
    // The keys of Linux desktops; a key that a focused field uses itself (Ctrl+C in a picker)
    // stays the field's.
    item(file, "Calculate1", tr("&Calculate"), [this] {
        CalcButtonClick();
    })->setShortcut(QKeySequence(Qt::Key_F5));
    item(file, "Now1", tr("&Now"), [this] { NowButtonClick(); });
    item(file, "Batch1", tr("&Batch.."), [this] { Batch1Click(); });
    item(file, "Print1", tr("&Print..."), [this] {
        Print1Click();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    item(file, "Save1", tr("&Save..."), [this] {
        Save1Click();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    item(file, "Exit1", tr("&Exit"), [this] {
        Exit1Click();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu *edit = menu(bar, "Edit1", tr("&Edit"));
    // Ctrl+C copies the whole view; with a part of it selected, the view copies that part.
    item(edit, "Copytoclipboad1", tr("&Copy to clipboad"), [this] {
        ClipButtonClick();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    item(edit, "InsertintoWord971", tr("Insert into &Word97"), [this] { InsertintoWord971Click(); });

    QMenu *clock = menu(bar, "Clock1", tr("&Clock"));
    Paused1 = check(clock, "Paused1", tr("Paused"), false, [this] { Paused1Click(); });

    QMenu *reports = menu(bar, "Reports1", tr("&Reports"));
    QMenu *calendar = menu(reports, "Calendar1", tr("&Calendar"));
    item(calendar, "Forthemonth1", tr("For the &Month"), [this] { Forthemonth1Click(); });
    item(calendar, "Fortheyear1", tr("For the &Year"), [this] { Fortheyear1Click(); });
    item(reports, "Astrologicaldata1", tr("&Astrological data"), [this] { AstroButtonClick(); });
    item(reports, "Planetaryhours1", tr("&Planetary hours"), [this] { HoursButtonClick(); });
    mHoursMenu = new HoursMenu(this, *this, mSettings, mDerived, mLocale);
    mHoursMenu->addTo(reports);
    reports->addSeparator();
    item(reports, "RandomVerse1", tr("&Random Verse"), [this] { RandomVerse1Click(); });

    QMenu *view = menu(bar, "View1", tr("&View"));
    ToolBars1 = check(view, "ToolBars1", tr("&ToolBars"), true, [this] { ToolBars1Click(); });
    Statusbar2 = check(view, "Statusbar2", tr("&Status bar"), true, [this] { Statusbar2Click(); });
    MonthlyCalendar1 =
        check(view, "MonthlyCalendar1", tr("&Monthly calendar"), true, [this] { MonthlyCalendar1Click(); });
    AlarmEvents1 = check(view, "AlarmEvents1", tr("&Alarm Events"), false, [this] { AlarmEvents1Click(); });

    QMenu *options = menu(bar, "Options2", tr("&Options"));
    item(options, "Options1", tr("&Program options"), [this] { Options1Click(); });

    QMenu *help = menu(bar, "Help1", tr("&Help"));
    item(help, "Help2", tr("&Help"), [this] { Help2Click(); })->setShortcut(QKeySequence(Qt::Key_F1));
    item(help, "About1", tr("&About"), [this] { About1Click(); });
    QMenu *web = menu(help, "Web1", tr("&Web"));
    web->setToolTipsVisible(true);
    item(web, "MakerHome1", QString::fromLatin1(WebLinks::MakerCaption), [this] { MakerHome1Click(); });
    item(web, "OrlamHomepage1", tr("&Orlam Homepage"), [this] { OrlamHome1Click(); });
    item(web, "NavalObservatory1", tr("Naval Observatory"), [this] {
        NavalObservatory1Click();
    })->setToolTip(QString::fromLatin1(WebLinks::NavalObservatoryHint));
    item(web, "OTO1", tr("O.T.O."), [this] { OTO1Click(); });
    QMenu *other = menu(web, "OtherSoftware1", tr("Other Software"));
    item(other, "Astrolog1", QStringLiteral("Astrolog"), [this] { Astrolog1Click(); });
    QAction *topics = item(help, "Topics1", tr("&Topics"), [this] { Help2Click(); });
    topics->setVisible(false);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    // The tray's "Date" shows the date in a balloon; the clipboard submenu's "Date" copies it.
    item(PopupMenu2, "Date1", tr("Date"), [this] { Query1Click(); });
    item(PopupMenu2, "Quote1", tr("Quote"), [this] { Quote1Click(); });
    item(PopupMenu2, "WordDocument1", tr("Word Document"), [this] { InsertintoWord971Click(); });
    QMenu *clip = menu(PopupMenu2, "ClipBoard1", tr("ClipBoard"));
    item(clip, "Quote2", tr("Quote"), [this] { Quote2Click(); });
    item(clip, "Date2", tr("Date"), [this] { Date1Click(); });
    item(clip, "Law1", tr("Law"), [this] { Law1Click(); });
    PopupMenu2->addSeparator();
    QMenu *trayWeb = menu(PopupMenu2, "Web2", tr("&Web"));
    trayWeb->setToolTipsVisible(true);
    item(trayWeb, "OrlamHome1", tr("&Orlam Homepage"), [this] { OrlamHome1Click(); });
    item(trayWeb, "MakerHome2", QString::fromLatin1(WebLinks::MakerCaption), [this] { MakerHome1Click(); });
    item(trayWeb, "NavalObservatory2", tr("US &Naval Observatory"), [this] {
        NavalObservatory1Click();
    })->setToolTip(QString::fromLatin1(WebLinks::NavalObservatoryHint));
    item(trayWeb, "OTO2", tr("&O.T.O."), [this] { OTO1Click(); });
    item(PopupMenu2, "Restore1", tr("Restore"), [this] { Restore1Click(); });
    item(PopupMenu2, "Exit2", tr("Exit"), [this] { Exit2Click(); });
}

void TOrm::buildTray()
{
    mTray = new TrayIcon(PopupMenu2, this);
    mTray->setClickHandler([this] { NotificationIcon1Click(); });
}

void TOrm::NotificationIcon1Click()
{
    // A left click shows the window, or hides it into the tray when it is on screen.
    if (isVisible() && !isMinimized())
        hide();
    else
        Restore1Click();
}

void TOrm::applyWindowKeys()
{
    ToolBars1->setChecked(mWindowKeys.ToolBar);
    Statusbar2->setChecked(mWindowKeys.StatusBar);
    MonthlyCalendar1->setChecked(mWindowKeys.MonthCalendar);
    // The stored client area leaves out the menu bar, which sits in the window's frame on the
    // desktop the layout keys were first defined for.
    resize(mWindowKeys.ClientWidth, mWindowKeys.ClientHeight + menuBarHeight());
    // A place stored on a screen that is no longer there (or beyond its edge) comes back.
    const QRect placed =
        keepOnScreen(QRect(QPoint(mWindowKeys.Left, mWindowKeys.Top), size()), availableScreenAreas());
    resize(placed.size());
    move(placed.topLeft());
    holdFrameCorner(this, placed.topLeft());
    // Without a stored size the window grows to fit the date lines once they are known.
    QString stored;
    mFitFirstSize = !mStore.readSection().value(QStringLiteral("ClientWidth"), &stored);
    Toolbar1->setVisible(ToolBars1->isChecked());
    StatusBar1->setVisible(Statusbar2->isChecked());
    // The splitter hides its handle together with the panel.
    Panel1->setVisible(MonthlyCalendar1->isChecked());
}

int TOrm::menuBarHeight() const
{
    return menuBar()->sizeHint().height();
}

void TOrm::setMessageHandler(std::function<void(const QString &)> handler)
{
    mMessageHandler = std::move(handler);
}

void TOrm::setEndProgram(std::function<void(int)> endProgram)
{
    mEndProgram = std::move(endProgram);
}

// --- CalcHost -------------------------------------------------------------------------------

QDateTime TOrm::datePickerValue() const
{
    return clockTime(GDate ? GDate->date() : mEarlyPickerDate, mDatePickerTime);
}

QTime TOrm::timePickerValue() const
{
    return Time ? Time->time() : mEarlyPickerTime;
}

void TOrm::setPickers(const QDateTime &date, QTime time)
{
    // Changes made here are the program's own, never the user's.
    mDatePickerTime = date.time();
    if (!GDate) {
        // As the picker will hold it: within the days the engine charts.
        mEarlyPickerDate = qBound(QDate(FirstChartYear, 1, 1), date.date(), QDate(LastChartYear, 12, 31));
        mEarlyPickerTime = time;
        return;
    }
    const bool wasSetting = mSettingPickers;
    mSettingPickers = true;
    GDate->setDate(date.date());
    Time->setTime(time);
    mSettingPickers = wasSetting;
}

void TOrm::setMonthCalendarDate(QDate date)
{
    if (!MonthCalendar1) {
        mEarlyCalendarDate = date;
        return;
    }
    MonthCalendar1->setSelectedDate(date);
}

void TOrm::setViewText(const QString &text)
{
    if (!TDate) {
        mEarlyViewText = text;
        return;
    }
    // Lines keep their layout: long ones scroll sideways rather than wrap (a verse alone wraps).
    TDate->setLineWrapMode(QTextEdit::NoWrap);
    TDate->setPlainText(text);
    TDate->moveCursor(QTextCursor::Start);
    TDate->ensureCursorVisible();
}

void TOrm::repaintNow()
{
    if (isVisible())
        repaint();
}

void TOrm::setCaptions(const QString &applicationTitle, const QString &windowCaption)
{
    // On this desktop the taskbar shows the window's caption; the application title is kept for
    // the commands that read it.
    mApplicationTitle = applicationTitle;
    setWindowTitle(windowCaption);
}

void TOrm::copyViewToClipboard()
{
    QGuiApplication::clipboard()->setText(TDate->toPlainText());
}

void TOrm::showMessage(const QString &text)
{
    mMessageHandler(text);
}

// --- Commands -------------------------------------------------------------------------------

void TOrm::CalcButtonClick(Calculator::Output output)
{
    // Calculate finishes the minute's own first (see finishMinuteWork).
    const Status status = mCalc->calculate(output);
    if (!status)
        showMessage(status.message);
}

void TOrm::NowButtonClick()
{
    SetNow();
    CalcButtonClick(Calculator::Output::Show);
}

void TOrm::SetNow()
{
    mPickersSetAt = mClock();
    const QDateTime now = clockFromLocal(mPickersSetAt);
    setPickers(now, now.time());
    setMonthCalendarDate(datePickerValue().date());
}

void TOrm::MonthCalendar1Click(QDate date)
{
    setPickers(clockTime(date, mDatePickerTime), Time->time());
    CalcButtonClick(Calculator::Output::Show);
}

void TOrm::pickerChangedByUser()
{
    if (!mSettingPickers)
        GDateChange();
}

void TOrm::GDateChange()
{
    if (!clockPaused()) {
        showMessage(tr(PauseMessage));
        Paused1Click();
    }
    setViewText(QCoreApplication::translate("Messages", ClickCalculateText));
}

bool TOrm::clockPaused() const
{
    return Paused1->isChecked();
}

void TOrm::Paused1Click()
{
    // The mark is the pause state; a paused clock does not tick at all, so neither the pickers
    // nor the alarms move until the user resumes it here.
    Paused1->setChecked(!Paused1->isChecked());
    mAlarmClock->setPaused(Paused1->isChecked());
}

void TOrm::ClipButtonClick()
{
    copyViewToClipboard();
}

void TOrm::Copy2Click()
{
    TDate->copy();
}

void TOrm::Selectall2Click()
{
    TDate->selectAll();
}

void TOrm::Batch1Click()
{
    finishMinuteWork();
    // Names are the user's: a name without a folder is taken from where the program was started.
    const QString folder = mCommandLine.startFolder.isEmpty() ? QDir::homePath() : mCommandLine.startFolder;
    BatchDialog dialog(folder, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const auto absolute = [&folder](const QString &name) { return QDir(folder).absoluteFilePath(name); };
    const QString input = absolute(dialog.inputName());
    const QString output = absolute(dialog.outputName());
    const QDateTime date = datePickerValue();
    const QTime time = timePickerValue();
    qint64 lines = 0;
    // From the menu each line's date shows in the view as it is converted.
    const Status status = BatchConvert(*mCalc, input, output, QString(), Calculator::Output::Show, &lines);
    // Every line has been charted through the pickers: they go back to the moment they showed,
    // and the view shows that moment's date again.
    setPickers(date, time);
    setMonthCalendarDate(date.date());
    CalcButtonClick(Calculator::Output::Show);
    showMessage(status ? tr("%1 of %2 converted into %3.")
                             .arg(countText(lines, QT_TRANSLATE_NOOP("Messages", "line"),
                                            QT_TRANSLATE_NOOP("Messages", "lines")),
                                  QDir::toNativeSeparators(input), QDir::toNativeSeparators(output))
                       : status.message);
}

// --- Reports and output -----------------------------------------------------------------------

void TOrm::AstroButtonClick()
{
    finishMinuteWork();
    // Every Calculate, the minute's too, removes the rise/set reports with the other reports of
    // its run, and the clock fetches its hours away from the work folder: the viewer has those of
    // the picker's day made when it finds none.
    const QDir work(mWorkFolder);
    if (!QFile::exists(work.filePath(QLatin1String(RiseSetFileName))) &&
        !QFile::exists(work.filePath(QLatin1String(RiseSetNextFileName))))
        mCalc->updateRiseSet();
    mReports->AstroButtonClick();
}

void TOrm::Forthemonth1Click()
{
    finishMinuteWork();
    mReports->Forthemonth1Click();
}

void TOrm::Fortheyear1Click()
{
    finishMinuteWork();
    mReports->Fortheyear1Click();
}

void TOrm::RandomVerse1Click()
{
    mReports->RandomVerse1Click();
}

void TOrm::Quote1Click()
{
    mReports->showVerseNotice();
}

void TOrm::Quote2Click()
{
    mReports->copyVerse();
}

void TOrm::Law1Click()
{
    mReports->Law1Click();
}

void TOrm::Date1Click()
{
    mReports->copyPresentDate();
}

void TOrm::Query1Click()
{
    mReports->showPresentDateNotice();
}

void TOrm::Print1Click()
{
    mReports->Print1Click();
}

void TOrm::Save1Click()
{
    mReports->Save1Click();
}

void TOrm::InsertintoWord971Click()
{
    mReports->InsertintoWord971Click();
}

void TOrm::ToolBars1Click()
{
    ToolBars1->setChecked(!ToolBars1->isChecked());
    Toolbar1->setVisible(ToolBars1->isChecked());
}

void TOrm::Statusbar2Click()
{
    Statusbar2->setChecked(!Statusbar2->isChecked());
    StatusBar1->setVisible(Statusbar2->isChecked());
}

void TOrm::MonthlyCalendar1Click()
{
    MonthlyCalendar1->setChecked(!MonthlyCalendar1->isChecked());
    Panel1->setVisible(MonthlyCalendar1->isChecked());
}

bool TOrm::eventFilter(QObject *watched, QEvent *event)
{
    // Ctrl+C in the view copies its selection; with nothing selected the key goes on to the
    // Edit menu's copy of the whole view. (A read-only view would leave the key to the menu.)
    if (watched == TDate && event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        event->setAccepted(TDate->textCursor().hasSelection());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

QMenu *TOrm::createPopupMenu()
{
    // The View menu is the one place that shows and hides the bars, so its marks stay true.
    return nullptr;
}

void TOrm::Exit1Click()
{
    close();
}

void TOrm::Exit2Click()
{
    quitWithoutClosing();
}

void TOrm::quitWithoutClosing()
{
    // The layout keys keep the values of the last ordinary close.
    mEndProgram(0);
}

void TOrm::Restore1Click()
{
    show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
}

void TOrm::openAddress(const char *address)
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(address)));
}

void TOrm::Help2Click()
{
    // The copy in the work folder; a missing page is not worth a message.
    const QFileInfo page(QDir(mWorkFolder).filePath(QLatin1String(HelpPageName)));
    if (page.exists())
        QDesktopServices::openUrl(QUrl::fromLocalFile(page.absoluteFilePath()));
}

void TOrm::About1Click()
{
    TAboutBox box(this, mLocale);
    box.exec();
}

void TOrm::MakerHome1Click()
{
    openAddress(WebLinks::MakerHome);
}

void TOrm::OrlamHome1Click()
{
    openAddress(WebLinks::OrlamHome);
}

void TOrm::NavalObservatory1Click()
{
    openAddress(WebLinks::NavalObservatory);
}

void TOrm::OTO1Click()
{
    openAddress(WebLinks::Oto);
}

void TOrm::Astrolog1Click()
{
    openAddress(WebLinks::Astrolog);
}

void TOrm::setClock(std::function<QDateTime()> clock)
{
    mClock = std::move(clock);
}

void TOrm::setSoundPlayer(SoundPlayer *player)
{
    mSound = player;
}

QDateTime TOrm::presentMoment() const
{
    return clockFromLocal(mClock());
}

std::unique_ptr<TfOptions> TOrm::makeOptionsDialog()
{
    TfOptions::Hooks hooks;
    hooks.setShowHints = [this](bool on) { setShowHints(on); };
    hooks.tryOptions = [this] {
        SetNow();
        CalcButtonClick(Calculator::Output::Show);
    };
    hooks.reloadSettings = [this] {
        mStore.ReloadSettings(&mSettings);
        // "System Locale Settings" follows the place's own zone, which a city may have changed.
        followPlaceZone(mSettings, mLocale.zone(), &mDerived);
        // The alarm list follows the new alarm flags.
        BuildEventList();
    };
    hooks.message = [this](const QString &text) { showMessage(text); };
    return std::make_unique<TfOptions>(mStore, mSettings, std::move(hooks),
                                       userOrInstalledDataFile(mWorkFolder, CityListFileName), this);
}

void TOrm::Options1Click()
{
    const std::unique_ptr<TfOptions> dialog = makeOptionsDialog();
    dialog->exec();
}

// --- Clock ----------------------------------------------------------------------------------

void TOrm::buildClock()
{
    mAlarmClock = new AlarmClock(mLocale, this);
    mAlarmClock->setNow([this] { return mClock(); });
    // One engine run in the clock's scratch folder, so the working folder's reports stay as they are.
    mAlarmClock->setProvider([this](const ClockPlace &place, QDate first, QDate last, HoursSpan *span) {
        return fetchHoursSpan(*mClockJobs, {place.longitude, place.latitude, place.zone}, first, last, span);
    });
    Timer1 = mAlarmClock->timer();
    connect(mAlarmClock, &AlarmClock::secondTicked, this, [this](const QDateTime &now) {
        mStatusText->setText(mLocale.formatPattern(QStringLiteral("dddddd tt"), wallClock(now)));
    });
    connect(mAlarmClock, &AlarmClock::minuteStarted, this, &TOrm::minuteWork);
    connect(mAlarmClock, &AlarmClock::hourChanged, this, &TOrm::showHourInForce);
    connect(mAlarmClock, &AlarmClock::listRebuilt, this, &TOrm::showEventList);
    connect(mAlarmClock, &AlarmClock::alarmDue, this, &TOrm::soundAlarm);
    connect(mAlarmClock, &AlarmClock::rowFired, this, [this](int row) { CheckListBox1->markFired(row); });
    connect(mAlarmClock, &AlarmClock::rowsMissed, this, [this](const QList<int> &rows) {
        for (int row : rows)
            CheckListBox1->markMissed(row);
    });
    connect(mAlarmClock, &AlarmClock::pausedChanged, this,
            [this](bool paused) { mPausedText->setVisible(paused); });
    connect(mAlarmClock, &AlarmClock::failed, this, &TOrm::showMessage);
}

void TOrm::syncClockFeed()
{
    ClockPlace place;
    place.longitude = mSettings.Longitude;
    place.latitude = mSettings.Latitude;
    place.jobZone = mSettings.TimeZone;
    place.timeMode = mSettings.TimeMode;
    place.zone = placeZone(mSettings, mLocale.zone());
    mAlarmClock->setPlace(place);
    mAlarmClock->setChoices(AlarmChoices::from(mSettings));
}

QDateTime TOrm::wallClock(const QDateTime &instant) const
{
    return clockFromLocal(instant.toTimeZone(mAlarmClock->place().zone));
}

void TOrm::Timer1Timer()
{
    mAlarmClock->tick();
}

void TOrm::minuteWork()
{
    // Silent: the view keeps what it shows. The hours are the clock's own, kept from its last
    // build: the minute costs one engine run, which the window does not wait for. A run of the
    // minute before that is still going is dropped: this one is newer.
    SetNow();
    mCalc->startCalculate(Calculator::Output::Silent, [this](const Status &status) {
        if (!status)
            showMessage(status.message);
        showCaption();
    });
}

void TOrm::finishMinuteWork()
{
    mCalc->finishCalculate();
}

void TOrm::showHourInForce(const CurrentHour &hour)
{
    if (hour.trayImage >= 0)
        setTrayImage(hour.trayImage);
    else if (hour.why != NoHours::None)
        setTrayImage(NeutralTrayImage);
    mTray->setToolTip(presentHourTip(hour, mAlarmClock->place().zone, mLocale));
    showCaption();
}

void TOrm::showCaption()
{
    if (!mSettings.UpdateCaption)
        return;
    const QString caption = mCalc->texts.CommonDateText + mAlarmClock->hour().HourText;
    setCaptions(caption, caption);
}

void TOrm::showEventList(const orlam::EventList &list)
{
    CheckListBox1->showEvents(list);
    // "hl.txt" is the user's copy of today's hours, as the hours command writes it; nothing reads
    // it back.
    const HoursSpan &span = mAlarmClock->span();
    const BaseDayHours *day = span.day(mAlarmClock->today());
    if (!day || !day->valid())
        return;
    if (const Status written =
            writeWorkFileIn(mWorkFolder, QLatin1String(HoursFileName),
                            hoursFileBytes(*day, span.place().zone, mLocale), WorkFile::Kept);
        !written)
        showMessage(written.message);
}

void TOrm::soundAlarm(const EventEntry &entry)
{
    const QStringList sounds =
        alarmSounds(entry, [this](const QString &name) { return findAlarmSound(mWorkFolder, name); });
    if (!sounds.isEmpty() && mSound)
        mSound->enqueue(sounds);
    if (mSettings.Notify)
        notifyAlarm(entry);
}

void TOrm::HoursButtonClick(Calculator::Output output)
{
    // The working folder's rise/set reports stay what the viewer shows.
    mCalc->updateRiseSet();
    const QDate baseDay = GDate->date();
    HoursSpan span;
    ScratchJobs jobs(mSettings, mDerived, mRunner->program());
    const Status fetched =
        jobs.ready() ? fetchHoursSpan(jobs, settingsPlace(mSettings, mLocale.zone()), baseDay, baseDay, &span)
                     : jobs.ready();
    if (!fetched) {
        showMessage(fetched.message);
        return;
    }
    // The tray and the caption show the hour in force, which the clock keeps.
    showCaption();
    const BaseDayHours *day = span.day(baseDay);
    const Status written = writeWorkFileIn(
        mWorkFolder, QLatin1String(HoursFileName),
        day ? hoursFileBytes(*day, span.place().zone, mLocale) : QByteArray(), WorkFile::Kept);
    if (!written) {
        showMessage(written.message);
        return;
    }
    if (output == Calculator::Output::Show)
        setViewText(hoursReport(span, baseDay, mCalc->texts.DatePattern, mLocale).join(QLatin1Char('\n')));
}

void TOrm::BuildEventList()
{
    // The settings may name another place or other alarms: the list is built afresh for them, at
    // once, with the marks of the same place and choices kept.
    syncClockFeed();
    if (mAlarmClock->started())
        mAlarmClock->rebuild();
}

void TOrm::AlarmEvents1Click()
{
    // Hidden, not visible: the window itself may be hidden in the tray.
    showEventView(CheckListBox1->isHidden());
}

void TOrm::showEventView(bool on)
{
    CheckListBox1->setHidden(!on);
    if (on)
        CheckListBox1->raise();
    AlarmEvents1->setChecked(on);
    // The toolbar's toggle and the menu's check mark show the same state, whichever was used.
    if (auto *toggle = Toolbar1->findChild<QAction *>(QStringLiteral("ToolbarButton971")))
        toggle->setChecked(on);
}

// --- Tray -----------------------------------------------------------------------------------

void TOrm::setTrayImage(int index)
{
    mTray->setImage(index);
}

int TOrm::trayImage() const
{
    return mTray->image();
}

void TOrm::notifyAlarm(const EventEntry &entry)
{
    // The clock has moved to the hour an hour's alarm starts before it rings.
    const Notice notice =
        alarmNotice(entry.body, entry.word, entry.moment.time(),
                    presentHourEnd(mAlarmClock->hour(), entry.at, mAlarmClock->place().zone), mLocale);
    ShowBalloon(notice.summary, notice.body, BalloonIcon::Information, 10);
}

void TOrm::ShowBalloon(const QString &title, const QString &text, BalloonIcon icon, int seconds)
{
    mTray->showBalloon(title, text, icon, seconds);
}

void TOrm::setShowHints(bool on)
{
    mHints->on = on;
}

bool TOrm::showHints() const
{
    return mHints->on;
}

// --- Lifecycle ------------------------------------------------------------------------------

void TOrm::FormShow()
{
    const bool dateShown = showFirstDate();
    // A window shown later shows its tray icon then, as after finishStart().
    mStartFinished = true;
    if (dateShown)
        startClock();
}

void TOrm::startFirstDate()
{
    mStarted = true;
    mCalc->startCalculate(Calculator::Output::Show, [this](const Status &status) {
        // A message, then the rest of the start, once the window is on the screen with its
        // date. A window without a stored size first takes the size its date and caption need
        // (with the clock's hour), so that it is not seen growing.
        const auto rest = [this, status] {
            if (!status)
                showMessage(status.message);
            finishStart(status.ok);
        };
        if (mFitFirstSize)
            QTimer::singleShot(0, this, rest);
        else
            afterFirstFrame(this, rest);
    });
}

void TOrm::finishStart(bool dateShown)
{
    if (mStartFinished)
        return;
    mStartFinished = true;
    buildMonthCalendar();
    mTray->showOnce();
    readyPickerCalendar();
    if (dateShown)
        startClock();
    // Qt Multimedia, loaded now rather than at the first alarm, when loading could make it late.
    if (mSound == mOwnSound.get())
        QTimer::singleShot(0, this, [this] { mOwnSound->load(); });
}

void TOrm::buildMonthCalendar()
{
    if (MonthCalendar1)
        return;
    MonthCalendar1 = new QCalendarWidget(Panel1);
    MonthCalendar1->setObjectName(QStringLiteral("MonthCalendar1"));
    MonthCalendar1->setLocale(mLocale.locale());
    MonthCalendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    MonthCalendar1->setGridVisible(false);
    MonthCalendar1->setAccessibleName(tr("Month calendar"));
    MonthCalendar1->setAccessibleDescription(tr("Click a day to calculate its date"));
    Panel1->layout()->addWidget(MonthCalendar1);
    if (mEarlyCalendarDate.isValid())
        MonthCalendar1->setSelectedDate(mEarlyCalendarDate);
    connect(MonthCalendar1, &QCalendarWidget::clicked, this, &TOrm::MonthCalendar1Click);
    followPalette(MonthCalendar1);
    if (TDate) {
        // Built after the rest of the window (the view is there): Tab reaches it between the
        // toolbar and the view, as when it is built with the window, and its parts have names.
        QWidget::setTabOrder(Time, MonthCalendar1);
        nameCalendarControls(MonthCalendar1);
        nameStandardParts(MonthCalendar1);
        MonthCalendar1->show();
    }
}

void TOrm::readyPickerCalendar()
{
    // The picker's drop-down calendar, named and coloured as the month calendar. Made here, not
    // with the picker: a calendar widget costs the window's start as much as half the toolbar.
    QCalendarWidget *calendar = GDate->calendarWidget();
    followPalette(calendar);
    nameCalendarControls(calendar);
    nameStandardParts(calendar);
}

bool TOrm::showFirstDate()
{
    if (mStarted)
        return false;
    mStarted = true;
    const Status status = mCalc->calculate(Calculator::Output::Show);
    if (!status) {
        showMessage(status.message);
        return false;
    }
    return true;
}

void TOrm::startClock()
{
    // Only now, with the date shown: the desktop takes the icon in several sizes, each drawn from
    // its picture.
    setWindowIcon(programIcon());
    QApplication::setWindowIcon(windowIcon());
    // The clock builds the hours and the alarm list (tray image, caption, "hl.txt", event view).
    syncClockFeed();
    mAlarmClock->start(mPickersSetAt);
    if (mFitFirstSize)
        fitFirstSize();
}

QList<QRect> TOrm::availableScreenAreas()
{
    // The primary screen first: a window that is nowhere goes there.
    QList<QRect> areas;
    const QScreen *primary = QGuiApplication::primaryScreen();
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen == primary)
            areas.prepend(screen->availableGeometry());
        else
            areas.append(screen->availableGeometry());
    }
    return areas;
}

void TOrm::fitFirstSize()
{
    mFitFirstSize = false;
    // The view's text as the date of any day could make it, in the view's font, and the
    // caption with its hour in the title bar's font.
    const QStringList lines = widestDateLines(splitLines(TDate->toPlainText()), mLocale.locale());
    const QFontMetrics text(TDate->font());
    int textWidth = 0;
    for (const QString &line : lines)
        textWidth = qMax(textWidth, text.horizontalAdvance(line));
    const int viewChrome = 2 * int(TDate->document()->documentMargin()) + 2 * TDate->frameWidth() +
                           text.averageCharWidth(); // the caret's room at the end of a line
    int wanted = textWidth + viewChrome + (width() - TDate->width());
    const QFontMetrics title(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    wanted = qMax(wanted, title.horizontalAdvance(windowTitle()) + TitleBarButtonsWidth);
    const int viewHeight = int(lines.size()) * text.lineSpacing() + viewChrome;
    QSize fitted(qMax(width(), wanted), height() + qMax(0, viewHeight - TDate->height()));
    if (const QScreen *here = screen())
        fitted = fitted.boundedTo(here->availableGeometry().size() - (frameGeometry().size() - size()));
    resize(fitted);
    // Grown past the screen's right or bottom edge, it moves back onto the screen; a window
    // that fits stays exactly where it is.
    if (const QScreen *here = screen()) {
        const QRect area = here->availableGeometry();
        const QRect frame(pos(), frameGeometry().size());
        QPoint moved = frame.topLeft();
        if (frame.right() > area.right())
            moved.setX(qMax(area.left(), area.right() - frame.width() + 1));
        if (frame.bottom() > area.bottom())
            moved.setY(qMax(area.top(), area.bottom() - frame.height() + 1));
        if (moved != frame.topLeft())
            move(moved);
    }
}

Status TOrm::FormClose()
{
    WindowKeys keys;
    keys.ToolBar = ToolBars1->isChecked();
    keys.StatusBar = Statusbar2->isChecked();
    keys.MonthCalendar = MonthlyCalendar1->isChecked();
    keys.ClientHeight = height() - menuBarHeight();
    keys.ClientWidth = width();
    keys.Top = pos().y();
    keys.Left = pos().x();
    return mStore.saveWindowKeys(keys);
}

void TOrm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (mStartFinished) {
        mTray->showOnce();
        return;
    }
    if (mStarted) {
        // The first date's run, begun with the window, has had the time the window took to
        // build: the window shows with its date rather than with the placeholder. The calendar
        // follows at once, ahead of the rest of the start.
        QTimer::singleShot(0, this, &TOrm::buildMonthCalendar);
        mCalc->finishCalculate();
        return;
    }
    // After the window has been drawn once, so the placeholder is seen while the engine runs.
    // The date reaches the screen before the tray icon (which asks the desktop's bus for a
    // tray), the hours and the alarm list.
    afterFirstFrame(this, [this] {
        const bool dateShown = showFirstDate();
        QTimer::singleShot(0, this, [this, dateShown] { finishStart(dateShown); });
    });
}

void TOrm::closeEvent(QCloseEvent *event)
{
    const Status status = FormClose();
    if (!status && !mQuestionHandler(status.message + QStringLiteral("\n\n") +
                                     tr("Close Orlam without saving the window's size and place?"))) {
        event->ignore();
        return;
    }
    event->accept();
    // The minute's engine run, if one is going, ends with the window.
    mCalc->dropCalculate();
    mEndProgram(0);
}

void TOrm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized())
        return;
    // Into the tray only when there is a tray to come back from.
    if (mTray->showOnce())
        QTimer::singleShot(0, this, &QWidget::hide);
}

} // namespace orlam
