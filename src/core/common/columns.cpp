#include "common/columns.h"

#include <algorithm>

namespace orlam {

namespace {

QString cutTrailingBlanks(QString line)
{
    qsizetype end = line.size();
    while (end > 0 && line.at(end - 1) == QLatin1Char(' '))
        --end;
    line.truncate(end);
    return line;
}

} // namespace

QStringList tableLines(const QList<QStringList> &rows, const QList<ColumnAlign> &aligns, int gap)
{
    QList<qsizetype> widths;
    for (const QStringList &row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c >= widths.size())
                widths.append(0);
            widths[c] = std::max(widths[c], row.at(c).size());
        }
    }
    const QString between(gap, QLatin1Char(' '));
    QStringList lines;
    for (const QStringList &row : rows) {
        QString line;
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c > 0)
                line += between;
            const bool right = c < aligns.size() && aligns.at(c) == ColumnAlign::Right;
            line += right ? row.at(c).rightJustified(widths.at(c), QLatin1Char(' '))
                          : row.at(c).leftJustified(widths.at(c), QLatin1Char(' '));
        }
        lines << cutTrailingBlanks(line);
    }
    return lines;
}

QStringList sideBySide(const QStringList &left, const QStringList &right, int gap)
{
    qsizetype width = 0;
    for (const QString &line : left)
        width = std::max(width, line.size());
    QStringList lines;
    const qsizetype count = std::max(left.size(), right.size());
    for (qsizetype i = 0; i < count; ++i) {
        const QString l = i < left.size() ? left.at(i) : QString();
        const QString r = i < right.size() ? right.at(i) : QString();
        lines << cutTrailingBlanks(l.leftJustified(width + gap, QLatin1Char(' ')) + r);
    }
    return lines;
}

QString countOf(qint64 count, const char *one, const char *many)
{
    return QString::number(count) + QLatin1Char(' ') + QLatin1String(count == 1 ? one : many);
}

} // namespace orlam
