// The toolbar's and the month calendar's images, drawn from their SVG files at build time: each
// size is the picture that Qt's SVG renderer draws at that size, pixel for pixel, so the window
// shows them as crisp as the SVG files themselves; and every image the window asks for is there.

#include "appicons.h"
#include "programstyle.h"
#include "torm.h"

#include "apptestsupport.h"

#include <QAction>
#include <QApplication>
#include <QCommonStyle>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QToolBar>
#include <QWidgetAction>
#include <QtTest>

using namespace orlam;

namespace {

QImage drawnFromSvg(const QString &name, int size)
{
    QSvgRenderer renderer(QStringLiteral(ORLAM_SOURCE_DIR "/data/icons/") + name + QStringLiteral(".svg"));
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

} // namespace

class ToolIconsTest : public QObject {
    Q_OBJECT
private slots:
    void windowReadsItsImagesWithoutPlugins();
    void sameAsTheSvg_data();
    void sameAsTheSvg();
    void everyToolHasItsImage();
};

// Each image-format plugin loaded costs the window's start a library: the window's own images,
// drawn, and the toolbar's extension button are read as PNG without asking them. Runs first,
// before anything else in the test has read an image.
void ToolIconsTest::windowReadsItsImagesWithoutPlugins()
{
    const auto pluginsLoaded = [] {
        QFile maps(QStringLiteral("/proc/self/maps"));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
    };
    QVERIFY(!pluginsLoaded());
    QApplication::setStyle(new ProgramStyle);
    {
        test::WindowRig rig;
        auto window = rig.makeWindow();
        window->show();
        QVERIFY(!window->grab().isNull());
        for (const auto button :
             {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton})
            QVERIFY(!window->style()->standardIcon(button).pixmap(16, 16).isNull());
    }
    QVERIFY(!pluginsLoaded());
    // The extension buttons' images are still Qt's own, in each size.
    const ProgramStyle ours;
    const QCommonStyle qts;
    for (const auto button :
         {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton})
        for (const int size : {8, 16, 32}) {
            const QImage own = ours.standardIcon(button).pixmap(QSize(size, size), 1.0).toImage();
            const QImage qt = qts.standardIcon(button).pixmap(QSize(size, size), 1.0).toImage();
            QCOMPARE(own.size(), qt.size());
            QCOMPARE(own.convertToFormat(QImage::Format_ARGB32), qt.convertToFormat(QImage::Format_ARGB32));
        }
}

void ToolIconsTest::sameAsTheSvg_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    const QStringList files = QDir(QStringLiteral(":/toolicons")).entryList();
    QVERIFY(!files.isEmpty());
    for (const QString &file : files) {
        const QString base = file.section(QLatin1Char('.'), 0, 0);
        QTest::newRow(qPrintable(file))
            << base.section(QLatin1Char('-'), 0, 0) << base.section(QLatin1Char('-'), 1).toInt();
    }
}

void ToolIconsTest::sameAsTheSvg()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    const QIcon icon = toolIcon(name);
    QVERIFY(icon.availableSizes().contains(QSize(size, size)));
    const QImage shipped = icon.pixmap(QSize(size, size), 1.0).toImage();
    const QImage expected = drawnFromSvg(name, size);
    QCOMPARE(shipped.size(), expected.size());
    QCOMPARE(shipped.convertToFormat(QImage::Format_ARGB32), expected.convertToFormat(QImage::Format_ARGB32));
}

void ToolIconsTest::everyToolHasItsImage()
{
    test::WindowRig rig;
    auto window = rig.makeWindow();
    const QList<QAction *> actions = window->findChild<QToolBar *>(QStringLiteral("Toolbar1"))->actions();
    int buttons = 0;
    for (const QAction *action : actions) {
        if (action->objectName().isEmpty() || qobject_cast<const QWidgetAction *>(action))
            continue;
        ++buttons;
        QVERIFY2(!action->icon().pixmap(16, 16).isNull(), qPrintable(action->objectName()));
    }
    QCOMPARE(buttons, 8);
    // The month calendar's arrows come from the program's style.
    const ProgramStyle style;
    for (const auto arrow : {QStyle::SP_ArrowLeft, QStyle::SP_ArrowRight})
        QVERIFY(!style.standardIcon(arrow).pixmap(16, 16).isNull());
    QVERIFY(toolIcon(QStringLiteral("globe")).availableSizes().size() >= 2);
}

QTEST_MAIN(ToolIconsTest)
#include "toolicons_test.moc"
