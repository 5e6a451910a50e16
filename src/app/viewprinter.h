#pragma once

#include "common/status.h"

#include <QMarginsF>
#include <QString>

class QTextDocument;

namespace orlam {

constexpr auto NoDefaultPrinterMessage =
    QT_TRANSLATE_NOOP("Messages", "There is no default printer currently selected");

// Every edge of a printed page keeps the same margin, at least this wide.
constexpr double PrintMarginMm = 15.0;

// The margin of every edge: 15 mm, or the widest edge the printer cannot print on when that is
// wider, so that the text stands in the middle of the paper.
double equalPrintMarginMm(const QMarginsF &printerMinimumMm);

// Prints the whole document on the default printer, without a dialog, page after page; the
// print job is titled `jobTitle`. The text is laid out anew for the page between equal
// margins: a line longer than the page is wide wraps (at a blank, else anywhere), lines that
// fit keep their layout, so a report's columns stay in line. A font sized in screen pixels
// is printed at the size it has on the screen. Fails with "There is no default printer
// currently selected" when the system names no default printer, and with a message naming
// the printer when the job fails.
Status printOnDefaultPrinter(const QTextDocument &document, const QString &jobTitle);

} // namespace orlam
