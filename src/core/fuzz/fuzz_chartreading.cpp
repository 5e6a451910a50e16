// libFuzzer entry for the chart listing reader: any listing gives a phrase made of Sol and Luna
// parts only, and sign names from the sign table only.
#include "common/westerntext.h"
#include "shared/astronames.h"
#include "thelemic/calculate.h"
#include "thelemic/chartreading.h"

#include <cstdint>
#include <cstdlib>

namespace {

bool isSignNameOrEmpty(const QString &name)
{
    if (name.isEmpty())
        return true;
    for (const orlam::names::Sign &sign : orlam::names::Signs) {
        if (name == QLatin1String(sign.name.data(), sign.name.size()))
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the position mode: 0 sign only, 1 degree and sign, 2 or -1 none.
    const int aspectMode = data[0] % 4 - 1;
    const QStringList lines = orlam::splitLines(
        orlam::fromWestern(QByteArray(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1))));
    orlam::DateTexts texts;
    const orlam::ChartReading reading = orlam::readChartLines(lines, aspectMode, texts);
    // A listing whose Moon row comes first (or alone) starts the phrase with the Luna part.
    if (!reading.phrase.isEmpty() && !reading.phrase.startsWith(QLatin1String(" Sol ")) &&
        !reading.phrase.startsWith(QLatin1String(", Luna ")))
        std::abort();
    if (aspectMode != 0 && aspectMode != 1 && !reading.phrase.isEmpty())
        std::abort();
    if (texts.SunSign != reading.SunSign || !isSignNameOrEmpty(reading.SunSign))
        std::abort();
    // A position is at most "dd° " and a sign name: the row's columns, never more of the line.
    for (const QString *position : {&texts.SunPosition, &texts.MoonPosition}) {
        if (position->size() > 4 + 11)
            std::abort();
    }
    return 0;
}
