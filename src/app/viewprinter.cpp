#include "viewprinter.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>
#include <QTextOption>
#include <algorithm>
#include <memory>

namespace orlam {

namespace {

// The page is laid out in the units the view's pixel sizes were chosen for.
constexpr double ScreenDotsPerInch = 96.0;
constexpr double MmPerInch = 25.4;

} // namespace

double equalPrintMarginMm(const QMarginsF &printerMinimumMm)
{
    return std::max({PrintMarginMm, printerMinimumMm.left(), printerMinimumMm.top(), printerMinimumMm.right(),
                     printerMinimumMm.bottom()});
}

Status printOnDefaultPrinter(const QTextDocument &document, const QString &jobTitle)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return Status::failure(QCoreApplication::translate("Messages", NoDefaultPrinterMessage));

    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(jobTitle);
    printer.setCreator(QStringLiteral("Orlam"));
    // The margins are ours: the painter's origin is the paper's corner.
    printer.setFullPage(true);
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    const double marginMm = equalPrintMarginMm(layout.minimumMargins());
    const double dotsPerInch = printer.resolution();
    const double margin = marginMm / MmPerInch * dotsPerInch;
    const QRectF body = printer.paperRect(QPrinter::DevicePixel).adjusted(margin, margin, -margin, -margin);
    const double scale = dotsPerInch / ScreenDotsPerInch;
    const QSizeF page(body.width() / scale, body.height() / scale);

    std::unique_ptr<QTextDocument> copy(document.clone());
    copy->setDefaultFont(document.defaultFont());
    copy->setDocumentMargin(0);
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    copy->setDefaultTextOption(option);
    copy->setPageSize(page);

    QPainter painter;
    if (!painter.begin(&printer))
        return Status::failure(
            QCoreApplication::translate("Messages", "Printing on %1 failed").arg(info.printerName()));
    const int pages = copy->pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            printer.newPage();
        painter.save();
        painter.translate(body.topLeft());
        painter.scale(scale, scale);
        painter.translate(0, -i * page.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(QPointF(0, i * page.height()), page);
        context.palette.setColor(QPalette::Text, Qt::black);
        copy->documentLayout()->draw(&painter, context);
        painter.restore();
    }
    painter.end();
    if (printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted)
        return Status::failure(
            QCoreApplication::translate("Messages", "Printing on %1 failed").arg(info.printerName()));
    return Status::success();
}

} // namespace orlam
