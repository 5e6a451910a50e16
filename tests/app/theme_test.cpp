// The window in the desktop's colours and at its scale. Run twice by CTest: with the default
// light palette, and with a real dark desktop theme (the qt6ct platform theme with its "darker"
// colours and the Fusion style) at a scale factor of 2 (ORLAM_THEME_TEST=dark).

#include "apptestsupport.h"
#include "apptheme.h"
#include "common/clocktime.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QProxyStyle>
#include <QStyle>
#include <QTest>
#include <QTextCharFormat>
#include <QTextEdit>
#include <QTimeEdit>

using namespace orlam;
using namespace orlam::test;

namespace {

bool darkRun()
{
    return qgetenv("ORLAM_THEME_TEST") == "dark";
}

double luminanceOf(const QColor &colour)
{
    return contrastRatio(colour, Qt::black); // grows with the luminance
}

} // namespace

class ThemeTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void readableColours_data();
    void readableColours();
    void viewsFollowThePalette();
    void pickersAreNotClipped();
};

void ThemeTest::initTestCase()
{
    const QPalette palette = QApplication::palette();
    const bool dark = luminanceOf(palette.color(QPalette::Base)) < luminanceOf(palette.color(QPalette::Text));
    if (darkRun()) {
        // The theme is the desktop's own component: without it there is nothing to test.
        QVERIFY2(dark, "no dark palette: is the qt6ct platform theme installed (scripts/deps)?");
        // The theme's own style wraps Fusion.
        const QStyle *style = QApplication::style();
        if (auto *proxy = qobject_cast<const QProxyStyle *>(style))
            style = proxy->baseStyle();
        QCOMPARE(style->name(), QStringLiteral("fusion"));
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
    } else {
        QVERIFY(!dark);
    }
}

void ThemeTest::readableColours_data()
{
    QTest::addColumn<QColor>("wanted");
    QTest::addColumn<QColor>("background");
    QTest::newRow("red on white") << QColor(Qt::red) << QColor(Qt::white);
    QTest::newRow("red on a dark base") << QColor(Qt::red) << QColor(0x2a, 0x2a, 0x2a);
    QTest::newRow("red on black") << QColor(Qt::red) << QColor(Qt::black);
    QTest::newRow("red on a mid grey") << QColor(Qt::red) << QColor(0x80, 0x80, 0x80);
    QTest::newRow("dark blue on navy") << QColor(0, 0, 0x80) << QColor(0, 0, 0x40);
    QTest::newRow("already readable") << QColor(Qt::black) << QColor(Qt::white);
}

void ThemeTest::readableColours()
{
    QFETCH(QColor, wanted);
    QFETCH(QColor, background);
    const QColor readable = readableOn(wanted, background);
    QVERIFY2(contrastRatio(readable, background) >= 4.5,
             qPrintable(readable.name() + QStringLiteral(" on ") + background.name()));
    // Still the colour asked for: the same hue, only lighter or darker.
    if (wanted.hslHue() >= 0 && readable.hslSaturation() > 0)
        QCOMPARE(readable.hslHue(), wanted.hslHue());
    if (contrastRatio(wanted, background) >= 4.5)
        QCOMPARE(readable, wanted);
}

void ThemeTest::viewsFollowThePalette()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->setPickers(clockTime(2026, 6, 15, 14, 30), QTime(14, 30));
    window->CalcButtonClick();

    const QPalette desktop = QApplication::palette();
    auto *view = window->findChild<QTextEdit *>(QStringLiteral("TDate"));
    QVERIFY(!view->toPlainText().isEmpty());
    QCOMPARE(view->palette().color(QPalette::Base), desktop.color(QPalette::Base));
    QVERIFY(contrastRatio(view->palette().color(QPalette::Text), view->palette().color(QPalette::Base)) >= 7);
    // What is drawn: the view's middle is its base, not white on a dark desktop.
    const QImage shot = view->viewport()->grab().toImage();
    QCOMPARE(QColor(shot.pixel(shot.width() - 4, shot.height() - 4)).rgb(),
             view->palette().color(QPalette::Base).rgb());

    auto *events = window->findChild<QListWidget *>(QStringLiteral("CheckListBox1"));
    QVERIFY(contrastRatio(events->palette().color(QPalette::Text), events->palette().color(QPalette::Base)) >=
            7);

    // The picker's drop-down calendar is made once the start is over.
    auto *picker = window->findChild<QDateEdit *>(QStringLiteral("GDate"));
    QTRY_VERIFY(picker->findChild<QCalendarWidget *>());
    for (QCalendarWidget *calendar :
         {window->findChild<QCalendarWidget *>(QStringLiteral("MonthCalendar1")), picker->calendarWidget()}) {
        const QColor base = calendar->palette().color(QPalette::Base);
        for (const Qt::DayOfWeek day : {Qt::Saturday, Qt::Sunday}) {
            const QColor weekend = calendar->weekdayTextFormat(day).foreground().color();
            QVERIFY2(contrastRatio(weekend, base) >= 4.5, qPrintable(weekend.name() + " on " + base.name()));
            QCOMPARE(weekend.hslHue(), 0); // still red
        }
    }

    // A desktop that turns dark while the program runs: the calendar follows.
    QPalette night = desktop;
    night.setColor(QPalette::Base, QColor(0x10, 0x10, 0x10));
    night.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    auto *calendar = window->findChild<QCalendarWidget *>(QStringLiteral("MonthCalendar1"));
    calendar->setPalette(night);
    QTRY_VERIFY(contrastRatio(calendar->weekdayTextFormat(Qt::Sunday).foreground().color(),
                              night.color(QPalette::Base)) >= 4.5);
}

void ThemeTest::pickersAreNotClipped()
{
    WindowRig rig;
    auto window = rig.makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    for (const char *name : {"GDate", "Time"}) {
        auto *picker = window->findChild<QDateTimeEdit *>(QString::fromLatin1(name));
        QVERIFY2(picker->width() >= picker->sizeHint().width(),
                 qPrintable(QStringLiteral("%1: %2 < %3")
                                .arg(name)
                                .arg(picker->width())
                                .arg(picker->sizeHint().width())));
        QVERIFY(picker->height() >= picker->minimumSizeHint().height());
        // The widest texts of the day fit in the field the style leaves beside the buttons.
        picker->setDateTime(QDateTime(QDate(2026, 12, 28), QTime(12, 58, 58)));
        const auto *field = picker->findChild<QLineEdit *>();
        const int text = field->fontMetrics().horizontalAdvance(picker->text());
        QVERIFY2(text <= field->contentsRect().width(), qPrintable(QStringLiteral("%1: %2 in %3")
                                                                       .arg(picker->text())
                                                                       .arg(text)
                                                                       .arg(field->contentsRect().width())));
        // A style or a font that needs more room gets it.
        QFont larger = picker->font();
        larger.setPixelSize(picker->fontInfo().pixelSize() * 2);
        picker->setFont(larger);
        QTRY_VERIFY(picker->width() >= picker->sizeHint().width());
    }
}

QTEST_MAIN(ThemeTest)
#include "theme_test.moc"
