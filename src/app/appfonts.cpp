#include "appfonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace orlam {

namespace {
constexpr int ViewFontPixels = 13;
} // namespace

QFont windowFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    return font;
}

// Courier New where it is installed (or a font the desktop offers in its place with the same
// metrics), the desktop's fixed-pitch font otherwise, and failing that any fixed-pitch family.
QFont viewFont()
{
    QFont font(QStringLiteral("Courier New"));
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        if (!QFontInfo(font).fixedPitch()) {
            for (const QString &family : QFontDatabase::families())
                if (QFontDatabase::isFixedPitch(family)) {
                    font = QFont(family);
                    break;
                }
        }
    }
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(ViewFontPixels);
    return font;
}

} // namespace orlam
