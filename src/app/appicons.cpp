#include "appicons.h"

#include <array>

namespace orlam {

namespace {

QIcon fromResource(const QString &name)
{
    return QIcon(QStringLiteral(":/icons/") + name + QStringLiteral(".svg"));
}

} // namespace

QIcon programIcon()
{
    return fromResource(QStringLiteral("orlam"));
}

QIcon toolIcon(const QString &name)
{
    return fromResource(name);
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
