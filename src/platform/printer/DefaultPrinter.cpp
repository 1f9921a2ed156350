#include "platform/printer/DefaultPrinter.h"

#include "platform/printer/CupsOutput.h"
#include "platform/printer/PdfFileOutput.h"

#include <QLocale>
#include <QPrinter>
#include <QPrinterInfo>
#include <cmath>

namespace q32 {

std::unique_ptr<QPrinter> OpenDefaultPrinter() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull() || info.printerName().isEmpty())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid())
        return nullptr;
    return printer;
}

std::unique_ptr<QPrinter> OpenPdfFilePrinter() {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setResolution(600);
    const bool inches = QLocale::system().measurementSystem() == QLocale::ImperialUSSystem;
    printer->setPageLayout(QPageLayout(QPageSize(inches ? QPageSize::Letter : QPageSize::A4),
                                       QPageLayout::Portrait, QMarginsF(0.5, 0.25, 0.5, 0.25),
                                       QPageLayout::Inch));
    return printer;
}

QString PdfFilePrinterName() {
    return QStringLiteral("PDF file");
}

PrinterFacts FactsOf(const QPrinter& printer) {
    PrinterFacts facts;
    const bool pdf = printer.outputFormat() == QPrinter::PdfFormat;
    facts.deviceName = pdf ? PdfFilePrinterName() : printer.printerName();
    // A queue that lists no resolutions has not told us one: the window asks.
    if (pdf || !QPrinterInfo(printer).supportedResolutions().isEmpty())
        facts.resolution = printer.resolution();
    const QPageLayout layout = printer.pageLayout();
    const QPageSize size = layout.pageSize();
    if (!size.isValid())
        facts.paper = kPaperNotReported;
    else if (size.id() == QPageSize::Letter)
        facts.paper = kPaperLetter;
    else if (size.id() == QPageSize::Legal)
        facts.paper = kPaperLegal;
    else {
        facts.paper = kPaperOther;
        // To the hundredth of an inch: the label shows 7.27", not 7.267717".
        const QSizeF inches = layout.paintRect(QPageLayout::Inch).size();
        facts.printableInches =
            QSizeF(std::round(inches.width() * 100) / 100, std::round(inches.height() * 100) / 100);
    }
    facts.orientation = layout.orientation() == QPageLayout::Portrait ? kOrientationPortrait
                                                                      : kOrientationLandscape;
    facts.copies = printer.copyCount();
    return facts;
}

std::unique_ptr<PageOutput> OutputFor(const QPrinter& printer, const QString& title) {
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return std::make_unique<PdfFileOutput>(printer.outputFileName(), printer.pageLayout(),
                                               printer.resolution(), title);
    return std::make_unique<CupsOutput>(printer, title);
}

} // namespace q32
