// The yardsticks of startup_window: a bare Qt Widgets window that shows its title, and two floors
// for reading beside it.
// - "--text": the kinds of text the program's window shows first (a date in a line edit in the
//   desktop's font, a line in a 13-pixel sans serif, two lines in a 13-pixel fixed-pitch font),
//   each a face of its own to load and shape.
// - "--widgets": the widgets the program's window shows at its start, with its fonts and its
//   font warm-up on a second thread, and nothing behind them: no settings, no engine, no icons,
//   no clock. What is left of the program's start above this is the program's own.
// The title is the last argument, so the benchmark knows what to wait for.
#include "fontwarmup.h"
#include "windowlayout.h"

#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QSplitter>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimeEdit>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>
#include <vector>

namespace {

QFont pixelFont(const QString &family, QFont::StyleHint hint, int pixels = orlam::WindowFontPixels)
{
    QFont font(family);
    font.setStyleHint(hint);
    font.setPixelSize(pixels);
    return font;
}

const QString DateLines = QString::fromUtf8("An v12 Sol 24\u00b0 Gemini, Luna 5\u00b0 Cancer Dies Lun\u00e6\n"
                                            "Monday, June 15, 2026 e.v. 2:30 PM");
const QString ClockLine = QStringLiteral("Monday, June 15, 2026 2:30:02 PM");

void addText(QWidget *window)
{
    auto *layout = new QVBoxLayout(window);
    layout->addWidget(new QLineEdit(QStringLiteral("6/15/2026")));
    auto *line = new QLabel(ClockLine);
    line->setFont(pixelFont(QStringLiteral("Arial"), QFont::SansSerif));
    layout->addWidget(line);
    auto *view = new QTextEdit;
    view->setFont(pixelFont(QStringLiteral("Courier New"), QFont::TypeWriter));
    view->setPlainText(DateLines);
    layout->addWidget(view);
}

// The program's window as it first shows: a toolbar with the two pickers and eight buttons, the
// calendar's place (the calendar itself comes after the start) above the view with the date's
// two lines, a hidden event list, a status bar with the clock's line, and seven menus.
void buildWindow(QMainWindow *window, const orlam::DesktopFonts &fonts)
{
    const auto family = [](const QString &standIn, const char *named) {
        return standIn.isEmpty() ? QString::fromLatin1(named) : standIn;
    };
    window->setFont(pixelFont(family(fonts.windowFamily, orlam::WindowFontFamily), QFont::SansSerif));
    QFont viewFont =
        pixelFont(family(fonts.viewFamily, orlam::ViewFontFamily), QFont::TypeWriter, orlam::ViewFontPixels);
    viewFont.setFixedPitch(true);

    auto *toolbar = new QToolBar(window);
    toolbar->setIconSize(QSize(16, 16));
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar->setContentsMargins(0, 0, 0, 0);
    toolbar->layout()->setSpacing(0);
    toolbar->setStyleSheet(QStringLiteral("QToolButton { padding: 0px; margin: 0px; }"));
    window->addToolBar(Qt::TopToolBarArea, toolbar);
    auto *date = new QDateEdit(QDate(2026, 6, 15), toolbar);
    date->setDisplayFormat(QStringLiteral("M/d/yyyy"));
    date->setCalendarPopup(true);
    date->setFixedWidth(orlam::PickerWidth);
    toolbar->addWidget(date);
    auto *time = new QTimeEdit(QTime(14, 30, 2), toolbar);
    time->setDisplayFormat(QStringLiteral("h:mm:ss AP"));
    time->setFixedWidth(orlam::PickerWidth);
    toolbar->addWidget(time);
    // The program's buttons show icons; a blank one keeps these to their size without text.
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    for (const char *hint : {"Calculate", "Now", "Copy", "Data", "Hours", "Events", "Options", "Verse"}) {
        QAction *action = toolbar->addAction(QIcon(blank), QString::fromLatin1(hint));
        action->setToolTip(action->text());
        toolbar->widgetForAction(action)->setFixedSize(orlam::ToolButtonSize);
    }

    auto *splitter = new QSplitter(Qt::Vertical, window);
    splitter->setHandleWidth(orlam::SplitterWidth);
    auto *calendarPlace = new QWidget(splitter);
    auto *viewPanel = new QWidget(splitter);
    auto *viewLayout = new QVBoxLayout(viewPanel);
    viewLayout->setContentsMargins(0, 0, 0, 0);
    auto *view = new QTextEdit(viewPanel);
    view->setReadOnly(true);
    view->setFont(viewFont);
    view->setLineWrapMode(QTextEdit::NoWrap);
    view->setPlainText(DateLines);
    viewLayout->addWidget(view);
    view->setFocus();
    auto *events = new QListWidget(viewPanel);
    events->setFont(viewFont);
    events->hide();
    viewLayout->addWidget(events);
    splitter->addWidget(calendarPlace);
    splitter->addWidget(viewPanel);
    splitter->setSizes({orlam::CalendarPanelHeight, orlam::ViewMinimumHeight});
    window->setCentralWidget(splitter);

    auto *status = new QStatusBar(window);
    status->setFixedHeight(orlam::StatusBarHeight);
    status->setSizeGripEnabled(true);
    status->addWidget(new QLabel(ClockLine), 1);
    auto *paused = new QLabel(QStringLiteral("Clock paused"));
    paused->hide();
    status->addPermanentWidget(paused);
    window->setStatusBar(status);

    const std::vector<std::vector<const char *>> menus = {
        {"&File", "&Calculate", "&Now", "&Batch..", "&Print...", "&Save...", "&Exit"},
        {"&Edit", "&Copy", "Insert into &Word97"},
        {"&Clock", "Paused"},
        {"&Reports", "&Calendar", "&Astrological data", "&Planetary hours"},
        {"&View", "&Toolbar", "&Status bar", "Alarm &events"},
        {"&Options", "&Options..."},
        {"&Help", "&Contents", "&Random verse", "&About"}};
    for (const std::vector<const char *> &entries : menus) {
        QMenu *menu = window->menuBar()->addMenu(QString::fromUtf8(entries.front()));
        for (std::size_t i = 1; i < entries.size(); ++i)
            menu->addAction(QString::fromUtf8(entries[i]));
    }
}

} // namespace

int main(int argc, char **argv)
{
    const QByteArray mode = argc > 2 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "--widgets")
        orlam::FontWarmUp::start();
    QApplication app(argc, argv);
    std::unique_ptr<QWidget> window;
    if (mode == "--widgets") {
        auto *mainWindow = new QMainWindow;
        window.reset(mainWindow);
        buildWindow(mainWindow, orlam::FontWarmUp::wait());
    } else {
        window = std::make_unique<QWidget>();
        if (mode == "--text")
            addText(window.get());
    }
    window->setWindowTitle(argc > 1 ? QString::fromLocal8Bit(argv[argc - 1]) : QStringLiteral("bare window"));
    window->resize(400, 315);
    window->show();
    return app.exec();
}
