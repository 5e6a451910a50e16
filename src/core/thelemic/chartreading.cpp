#include "thelemic/chartreading.h"

#include "common/westerntext.h"
#include "shared/astronames.h"
#include "thelemic/calculate.h"

#include <QFile>

namespace orlam {

namespace {

const QString DegreeSign = QStringLiteral(u"\u00B0 ");

} // namespace

QString SignFromAbbreviation(const QString &abbreviation)
{
    for (const names::Sign &sign : names::Signs) {
        if (abbreviation == QLatin1String(sign.abbreviation.data(), sign.abbreviation.size()))
            return QString::fromLatin1(sign.name.data(), sign.name.size());
    }
    return {};
}

ChartReading readChartLines(const QStringList &lines, int aspectMode, DateTexts &texts)
{
    ChartReading reading;
    for (const QString &line : lines) {
        const bool sun = line.startsWith(QLatin1String("Sun"));
        const bool moon = line.startsWith(QLatin1String("Moon"));
        if (!sun && !moon)
            continue;
        const QString degree = line.mid(6, 2);
        const QString sign = SignFromAbbreviation(line.mid(8, 3));
        if (sun)
            reading.SunSign = sign;
        (sun ? reading.hasSun : reading.hasMoon) = !sign.isEmpty();
        QString &position = sun ? texts.SunPosition : texts.MoonPosition;
        const QLatin1String body = sun ? QLatin1String(" Sol ") : QLatin1String(", Luna ");
        if (aspectMode == 0) {
            position = sign;
            reading.phrase += body + QLatin1String("in ") + sign;
        } else if (aspectMode == 1) {
            position = degree + DegreeSign + sign;
            reading.phrase += body + position;
        }
    }
    texts.SunSign = reading.SunSign;
    return reading;
}

ChartReading readChartFile(const QString &path, int aspectMode, DateTexts &texts)
{
    QStringList lines;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        lines = splitLines(fromWestern(file.readAll()));
    return readChartLines(lines, aspectMode, texts);
}

} // namespace orlam
