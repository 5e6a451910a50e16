#include "appfonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace orlam {

namespace {

DesktopFonts &desktop()
{
    static DesktopFonts fonts;
    return fonts;
}

// The desktop's fixed-pitch font, and failing that any fixed-pitch family.
QFont anyFixedPitchFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (!QFontInfo(font).fixedPitch()) {
        for (const QString &family : QFontDatabase::families())
            if (QFontDatabase::isFixedPitch(family))
                return QFont(family);
    }
    return font;
}

} // namespace

void useDesktopFonts(const DesktopFonts &fonts)
{
    desktop() = fonts;
}

QFont windowFont()
{
    const QString &standIn = desktop().windowFamily;
    QFont font(standIn.isEmpty() ? QString::fromLatin1(WindowFontFamily) : standIn);
    font.setPixelSize(WindowFontPixels);
    return font;
}

// Courier New where it is installed (or a font the desktop offers in its place with the same
// metrics), the desktop's fixed-pitch font otherwise, and failing that any fixed-pitch family.
QFont viewFont()
{
    const DesktopFonts &fonts = desktop();
    QFont font;
    if (!fonts.viewFamily.isEmpty()) {
        font = fonts.viewFixedPitch ? QFont(fonts.viewFamily) : anyFixedPitchFont();
    } else {
        font = QFont(QString::fromLatin1(ViewFontFamily));
        font.setPixelSize(ViewFontPixels);
        if (!QFontInfo(font).fixedPitch())
            font = anyFixedPitchFont();
    }
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(ViewFontPixels);
    return font;
}

QString documentFamily(const QFont &font)
{
    const QString family = font.family();
    const DesktopFonts &fonts = desktop();
    if (!fonts.viewFamily.isEmpty() && family == fonts.viewFamily)
        return QString::fromLatin1(ViewFontFamily);
    return family;
}

} // namespace orlam
