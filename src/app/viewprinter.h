#pragma once

#include "common/status.h"

#include <QString>

class QTextDocument;

namespace orlam {

constexpr auto NoDefaultPrinterMessage =
    QT_TRANSLATE_NOOP("Messages", "There is no default printer currently selected");

// Prints the whole document on the default printer, without a dialog, page after page; the
// print job is titled `jobTitle`. A font sized in screen pixels is printed at the matching
// point size. Fails with "There is no default printer currently selected" when the system
// names no default printer, and with a message naming the printer when the job fails.
Status printOnDefaultPrinter(const QTextDocument &document, const QString &jobTitle);

} // namespace orlam
