#include "appicons.h"

#include <QIconEngine>
#include <QImageReader>
#include <QPainter>

#include <array>
#include <utility>

namespace orlam {

namespace {

QIcon fromResource(const QString &name)
{
    return QIcon(QStringLiteral(":/icons/") + name + QStringLiteral(".svg"));
}

// The images drawn from the SVG files at build time, in these sizes (src/app/CMakeLists.txt).
constexpr std::array ToolIconSizes{ORLAM_TOOL_ICON_SIZES};

// A tool image whose files are read only when it is first drawn: Qt reads every file of an icon
// as it is made, and the toolbar is made before the window first shows.
class ToolIconEngine : public QIconEngine {
public:
    explicit ToolIconEngine(QString name) : mName(std::move(name)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    // In device pixels, as QIconEngine asks for them.
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, 1.0, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (const int size : ToolIconSizes)
            sizes << QSize(size, size);
        return sizes;
    }
    QIconEngine *clone() const override { return new ToolIconEngine(mName); }
    QString key() const override { return QStringLiteral("orlam-tool-icon"); }

private:
    const QIcon &icon()
    {
        if (mIcon.isNull()) {
            QStringList files;
            for (const int size : ToolIconSizes)
                files << QStringLiteral(":/toolicons/%1-%2.png").arg(mName).arg(size);
            mIcon = pngIcon(files);
        }
        return mIcon;
    }

    QString mName;
    QIcon mIcon;
};

} // namespace

QIcon programIcon()
{
    return fromResource(QStringLiteral("orlam"));
}

QIcon pngIcon(const QStringList &files)
{
    QIcon icon;
    for (const QString &file : files) {
        QImageReader reader(file, "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QIcon toolIcon(const QString &name)
{
    return QIcon(new ToolIconEngine(name));
}

QIcon planetIcon(int index)
{
    static const std::array<const char *, PlanetImageCount> names{"saturn", "jupiter", "mars", "sun",
                                                                  "venus",  "mercury", "moon"};
    if (index < 0 || index >= PlanetImageCount)
        index = static_cast<int>(PlanetImage::Sun);
    return fromResource(QString::fromLatin1(names[static_cast<size_t>(index)]));
}

} // namespace orlam
