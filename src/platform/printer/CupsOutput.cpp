#include "platform/printer/CupsOutput.h"

#include <QBuffer>
#include <QPdfWriter>
#include <QPrinter>
#include <cups/cups.h>

namespace q32 {

CupsOutput::CupsOutput(const QPrinter& printer, QString title)
    : m_queue(printer.printerName()), m_title(std::move(title)), m_layout(printer.pageLayout()),
      m_resolution(printer.resolution()), m_copies(printer.copyCount()),
      m_collate(printer.collateCopies()), m_grey(printer.colorMode() == QPrinter::GrayScale) {
    switch (printer.duplex()) {
    case QPrinter::DuplexLongSide:
        m_sides = 1;
        break;
    case QPrinter::DuplexShortSide:
        m_sides = 2;
        break;
    default:
        m_sides = 0;
    }
}

CupsOutput::~CupsOutput() = default;

QString CupsOutput::open() {
    m_pdf = std::make_unique<QBuffer>();
    m_pdf->open(QIODevice::WriteOnly);
    m_writer = NewPdfWriter(m_pdf.get(), m_layout, m_resolution, m_title);
    return {};
}

QPagedPaintDevice* CupsOutput::device() {
    return m_writer.get();
}

QString CupsOutput::finish(bool discard) {
    m_writer.reset();
    if (!m_pdf || discard)
        return {};
    const QByteArray& pdf = m_pdf->data();

    cups_option_t* options = nullptr;
    int count = 0;
    count = cupsAddOption("copies", QByteArray::number(m_copies).constData(), count, &options);
    if (m_copies > 1)
        count = cupsAddOption("collate", m_collate ? "true" : "false", count, &options);
    const QByteArray media = m_layout.pageSize().key().toUtf8();
    if (!media.isEmpty())
        count = cupsAddOption("media", media.constData(), count, &options);
    if (m_grey)
        count = cupsAddOption("print-color-mode", "monochrome", count, &options);
    const char* sides[] = {"one-sided", "two-sided-long-edge", "two-sided-short-edge"};
    count = cupsAddOption("sides", sides[m_sides], count, &options);

    const QByteArray queue = m_queue.toUtf8();
    const QByteArray title = m_title.toUtf8();
    const int job =
        cupsCreateJob(CUPS_HTTP_DEFAULT, queue.constData(), title.constData(), count, options);
    cupsFreeOptions(count, options);
    // The document goes to the scheduler from memory, in pieces.
    bool sent =
        job > 0 && cupsStartDocument(CUPS_HTTP_DEFAULT, queue.constData(), job, title.constData(),
                                     CUPS_FORMAT_PDF, 1) == HTTP_STATUS_CONTINUE;
    constexpr qsizetype kPiece = 1 << 16;
    for (qsizetype at = 0; sent && at < pdf.size(); at += kPiece)
        sent =
            cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf.constData() + at,
                                 size_t(std::min(kPiece, pdf.size() - at))) == HTTP_STATUS_CONTINUE;
    if (job > 0 && cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.constData()) != IPP_STATUS_OK)
        sent = false;
    m_pdf.reset();
    if (!sent) {
        const QString why = QString::fromUtf8(cupsLastErrorString());
        if (job > 0)
            cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.constData(), job, 0);
        return QStringLiteral("The printer \"%1\" did not take the job: %2").arg(m_queue, why);
    }
    m_jobId = job;
    return {};
}

} // namespace q32
