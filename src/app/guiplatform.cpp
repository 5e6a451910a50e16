#include "guiplatform.h"

#include <QGuiApplication>

namespace orlam {

bool isHeadless()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

} // namespace orlam
