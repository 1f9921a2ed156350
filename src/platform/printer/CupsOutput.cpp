#include "platform/printer/CupsOutput.h"

#include <QDir>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryFile>
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
    m_file = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                              QStringLiteral("/quillon32-print-XXXXXX.pdf"));
    if (!m_file->open())
        return QStringLiteral("Cannot write the print file in %1: %2")
            .arg(QDir::tempPath(), m_file->errorString());
    m_writer = std::make_unique<QPdfWriter>(m_file.get());
    m_writer->setPageLayout(m_layout);
    m_writer->setResolution(m_resolution);
    m_writer->setTitle(m_title);
    m_writer->setCreator(QStringLiteral("Quillon 32"));
    return {};
}

QPagedPaintDevice* CupsOutput::device() {
    return m_writer.get();
}

QString CupsOutput::finish(bool discard) {
    m_writer.reset();
    if (!m_file || discard)
        return {};
    if (!m_file->flush() || m_file->error() != QFileDevice::NoError)
        return QStringLiteral("Cannot write the print file %1: %2")
            .arg(m_file->fileName(), m_file->errorString());

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

    m_jobId = cupsPrintFile2(CUPS_HTTP_DEFAULT, m_queue.toUtf8().constData(),
                             QFile::encodeName(m_file->fileName()).constData(),
                             m_title.toUtf8().constData(), count, options);
    cupsFreeOptions(count, options);
    if (m_jobId == 0)
        return QStringLiteral("The printer \"%1\" did not take the job: %2")
            .arg(m_queue, QString::fromUtf8(cupsLastErrorString()));
    return {};
}

} // namespace q32
