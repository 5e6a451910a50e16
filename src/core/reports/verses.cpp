#include "reports/verses.h"

#include "common/westerntext.h"
#include "thelemic/composition.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace orlam {

std::uint32_t verseSeed(QTime utcTimeOfDay)
{
    const int t = utcTimeOfDay.isValid() ? utcTimeOfDay.msecsSinceStartOfDay() : 0;
    return static_cast<std::uint32_t>(t);
}

int drawVerseIndex(std::uint32_t &seed, int n)
{
    seed = seed * VerseMultiplier + 1u; // unsigned arithmetic wraps modulo 2^32
    const std::uint64_t product = static_cast<std::uint64_t>(seed) * static_cast<std::uint64_t>(n);
    return static_cast<int>(product >> 32);
}

VersePick PickVerse(const QString &path, std::uint32_t seed)
{
    VersePick pick;
    if (!QFileInfo::exists(path))
        return pick;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        pick.status = Status::failure(
            QCoreApplication::translate("Messages", "Cannot open file %1").arg(QFileInfo(path).fileName()));
        return pick;
    }
    const QStringList lines = splitLines(fromUtf8OrWestern(file.readAll()));
    if (lines.isEmpty())
        return pick;
    pick.found = true;
    pick.verse = lines.at(drawVerseIndex(seed, int(lines.size())));
    return pick;
}

QString dateBalloonText(const QString &viewText)
{
    const QStringList lines = splitLines(viewText);
    if (lines.size() < 2)
        return viewText;
    // The two lines run together would read "...2:30 PMAn v12...": each keeps a line of its own.
    return lines.at(1) + QLatin1Char('\n') + lines.at(0);
}

QString lawClipboardText()
{
    return greetingLines(false).join(QStringLiteral("\r\n"));
}

namespace {

QString cutWithEllipsis(const QString &text, int length)
{
    if (text.size() <= length)
        return text;
    qsizetype keep = length - 1;
    // Neither half of a surrogate pair is left alone.
    if (keep > 0 && text.at(keep - 1).isHighSurrogate())
        --keep;
    return text.left(keep) + QChar(0x2026);
}

} // namespace

QString balloonTitle(const QString &title)
{
    return cutWithEllipsis(title, BalloonTitleLength);
}

QString balloonText(const QString &text)
{
    return cutWithEllipsis(text, BalloonTextLength);
}

} // namespace orlam
