#include "programstyle.h"

#include "appicons.h"

#include <QGuiApplication>
#include <QStyleOption>

namespace orlam {

namespace {

// The images Qt's own styles give the button that shows a toolbar's or the menu bar's hidden
// commands, read as the window is built.
QIcon extensionIcon(bool horizontal, bool rightToLeft)
{
    const QString base = QStringLiteral(":/qt-project.org/styles/commonstyle/images/toolbar-ext-");
    QStringList files;
    if (!horizontal) {
        for (const char *size : {"5", "10", "20"})
            files << base + QStringLiteral("v-") + QLatin1String(size) + QStringLiteral(".png");
    } else {
        for (const char *size : {"8", "16", "32"})
            files << base + (rightToLeft ? QStringLiteral("h-rtl-") : QStringLiteral("h-")) +
                         QLatin1String(size) + QStringLiteral(".png");
    }
    return pngIcon(files);
}

} // namespace

ProgramStyle::ProgramStyle() : QProxyStyle(nullptr) {}

QIcon ProgramStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *option,
                                 const QWidget *widget) const
{
    if (standardIcon == SP_ArrowLeft)
        return toolIcon(QStringLiteral("previous"));
    if (standardIcon == SP_ArrowRight)
        return toolIcon(QStringLiteral("next"));
    if (standardIcon == SP_ToolBarHorizontalExtensionButton ||
        standardIcon == SP_ToolBarVerticalExtensionButton) {
        const Qt::LayoutDirection direction = option ? option->direction : QGuiApplication::layoutDirection();
        const QIcon icon =
            extensionIcon(standardIcon == SP_ToolBarHorizontalExtensionButton, direction == Qt::RightToLeft);
        if (!icon.isNull())
            return icon;
    }
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}

} // namespace orlam
