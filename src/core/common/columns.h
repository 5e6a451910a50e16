#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace orlam {

// Text tables for the fixed-pitch view: every column as wide as its widest cell.
enum class ColumnAlign { Left, Right };

// The rows as lines: each cell padded to its column's width, left- or right-aligned as
// `aligns` says (columns beyond it are left-aligned), `gap` blanks between columns; a row may
// have fewer cells than others. Blanks at the end of a line are cut.
QStringList tableLines(const QList<QStringList> &rows, const QList<ColumnAlign> &aligns, int gap = 1);

// Two blocks of lines side by side: `left` padded to its widest line, `gap` blanks, `right`.
// The shorter block is filled with empty lines.
QStringList sideBySide(const QStringList &left, const QStringList &right, int gap);

// A count with its noun in the right number: "1 transit", "2 transits", "0 transits".
QString countOf(qint64 count, const char *one, const char *many);

} // namespace orlam
