#include "programstyle.h"

#include "appicons.h"

namespace orlam {

ProgramStyle::ProgramStyle() : QProxyStyle(nullptr) {}

QIcon ProgramStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *option,
                                 const QWidget *widget) const
{
    if (standardIcon == SP_ArrowLeft)
        return toolIcon(QStringLiteral("previous"));
    if (standardIcon == SP_ArrowRight)
        return toolIcon(QStringLiteral("next"));
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}

} // namespace orlam
