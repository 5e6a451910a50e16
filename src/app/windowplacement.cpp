#include "windowplacement.h"

#include "shared/astronames.h"
#include "thelemic/chartreading.h"
#include "thelemic/composition.h"

#include <QLocale>
#include <algorithm>

namespace orlam {

namespace {

// Replaces the whole words among `names` by the longest of them.
void widenNames(QString &line, const QStringList &names)
{
    QString longest;
    for (const QString &name : names) {
        if (name.size() > longest.size())
            longest = name;
    }
    for (const QString &name : names) {
        if (name.isEmpty() || name == longest)
            continue;
        qsizetype at = 0;
        while ((at = line.indexOf(name, at)) >= 0) {
            const qsizetype end = at + name.size();
            const bool wordStart = at == 0 || !line.at(at - 1).isLetter();
            const bool wordEnd = end >= line.size() || !line.at(end).isLetter();
            if (wordStart && wordEnd) {
                line.replace(at, name.size(), longest);
                at += longest.size();
            } else {
                at = end;
            }
        }
    }
}

qint64 area(const QRect &rect)
{
    return rect.isEmpty() ? 0 : qint64(rect.width()) * rect.height();
}

} // namespace

QStringList widestDateLines(const QStringList &lines, const QLocale &locale)
{
    QStringList signs, months, days, latinDays;
    for (const names::Sign &sign : names::Signs)
        signs << QString::fromLatin1(sign.name.data(), sign.name.size());
    for (int m = 1; m <= 12; ++m) {
        months << locale.monthName(m, QLocale::LongFormat) << locale.monthName(m, QLocale::ShortFormat);
    }
    for (int d = 1; d <= 7; ++d) {
        days << locale.dayName(d, QLocale::LongFormat);
        latinDays << latinDayName(d);
    }
    QStringList widened;
    for (QString line : lines) {
        widenNames(line, signs);
        widenNames(line, days);
        widenNames(line, latinDays);
        widenNames(line, months);
        widened << line;
    }
    return widened;
}

QRect keepOnScreen(const QRect &frame, const QList<QRect> &screens)
{
    if (screens.isEmpty())
        return frame;
    const QRect titleBar(frame.topLeft(), QSize(frame.width(), TitleBarHeight));
    const QRect *best = &screens.front();
    qint64 bestOverlap = 0;
    for (const QRect &screen : screens) {
        // The whole height of the title bar, and a grip's width of it, on one screen.
        const QRect grip = titleBar.intersected(screen);
        if (grip.width() >= std::min(TitleGripWidth, frame.width()) && grip.height() == titleBar.height())
            return frame;
        if (const qint64 overlap = area(frame.intersected(screen)); overlap > bestOverlap) {
            bestOverlap = overlap;
            best = &screen;
        }
    }
    QRect placed(frame.topLeft(), frame.size().boundedTo(best->size()));
    placed.moveLeft(std::clamp(placed.left(), best->left(), best->right() - placed.width() + 1));
    placed.moveTop(std::clamp(placed.top(), best->top(), best->bottom() - placed.height() + 1));
    return placed;
}

} // namespace orlam
