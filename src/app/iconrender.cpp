// Draws SVG images as PNG files in given sizes with Qt's own SVG renderer, as the SVG icon plugin
// would draw them on screen. A build step: the window module ships its small images drawn this
// way (appicons.h), so that the window's start reads PNG files instead of parsing SVG.
//
//   orlam-icon-render OUTPUT_FOLDER SIZES FILE.svg...
//
// SIZES is a comma-separated list of sizes in pixels; FILE.svg gives FILE-SIZE.png for each.

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 4) {
        std::fputs("usage: orlam-icon-render OUTPUT_FOLDER SIZES FILE.svg...\n", stderr);
        return 2;
    }
    const QDir output(arguments.at(1));
    if (!output.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "orlam-icon-render: cannot make %s\n", qPrintable(output.path()));
        return 1;
    }
    QList<int> sizes;
    for (const QString &size : arguments.at(2).split(QLatin1Char(','))) {
        bool ok = false;
        sizes << size.toInt(&ok);
        if (!ok || sizes.last() <= 0) {
            std::fprintf(stderr, "orlam-icon-render: %s is not a size\n", qPrintable(size));
            return 2;
        }
    }
    for (const QString &file : arguments.mid(3)) {
        QSvgRenderer renderer(file);
        if (!renderer.isValid()) {
            std::fprintf(stderr, "orlam-icon-render: %s is not an SVG image\n", qPrintable(file));
            return 1;
        }
        for (const int size : sizes) {
            // As the icon plugin does: the picture's own proportions within the square.
            QSize drawn = renderer.defaultSize();
            drawn.scale(size, size, Qt::KeepAspectRatio);
            QImage image(drawn, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            renderer.render(&painter);
            painter.end();
            const QString name = output.filePath(QFileInfo(file).completeBaseName() + QLatin1Char('-') +
                                                 QString::number(size) + QStringLiteral(".png"));
            if (!image.save(name, "PNG")) {
                std::fprintf(stderr, "orlam-icon-render: cannot write %s\n", qPrintable(name));
                return 1;
            }
        }
    }
    return 0;
}
