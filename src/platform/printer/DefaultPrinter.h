#pragma once
// The printer the program prints on: the default printer as CUPS names it, or, on a machine
// without one, Qt's own PDF output. Also what the print window needs to know of it, and where
// its pages go.

#include "platform/printer/PageOutput.h"
#include "platform/printer/PrinterFacts.h"

#include <memory>

class QPrinter;

namespace q32 {

// The default printer at its own resolution; null when there is none or CUPS cannot be
// reached.
std::unique_ptr<QPrinter> OpenDefaultPrinter();
// PDF files on the local paper size (Letter where inches rule, else A4) at 600 dpi, with the
// margins of a Letter printer (half an inch at the sides, a quarter at top and bottom).
std::unique_ptr<QPrinter> OpenPdfFilePrinter();
// The name the print window shows for a printer that writes PDF files.
QString PdfFilePrinterName();

PrinterFacts FactsOf(const QPrinter& printer);
// Where a printer's pages go: its CUPS queue, or the PDF file named in the printer (the print
// dialog's "Print to File"). title names the job.
std::unique_ptr<PageOutput> OutputFor(const QPrinter& printer, const QString& title);

} // namespace q32
