#include "viewprinter.h"

#include <QCoreApplication>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>
#include <memory>

namespace orlam {

namespace {

// The screen the view's pixel sizes were chosen for.
constexpr double ScreenDotsPerInch = 96.0;

} // namespace

Status printOnDefaultPrinter(const QTextDocument &document, const QString &jobTitle)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return Status::failure(QCoreApplication::translate("Messages", NoDefaultPrinterMessage));

    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(jobTitle);
    printer.setCreator(QStringLiteral("Orlam"));

    // On a printer's resolution a font of 13 screen pixels would be a speck: it is printed at
    // the size it has on the screen.
    std::unique_ptr<QTextDocument> copy(document.clone());
    QFont font = copy->defaultFont();
    if (font.pixelSize() > 0) {
        font.setPointSizeF(font.pixelSize() * 72.0 / ScreenDotsPerInch);
        copy->setDefaultFont(font);
    }
    copy->print(&printer);
    if (printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted)
        return Status::failure(
            QCoreApplication::translate("Messages", "Printing on %1 failed").arg(info.printerName()));
    return Status::success();
}

} // namespace orlam
