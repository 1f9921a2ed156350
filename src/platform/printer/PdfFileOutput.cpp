#include "platform/printer/PdfFileOutput.h"

#include <QPdfWriter>
#include <QSaveFile>

namespace q32 {

std::unique_ptr<QPdfWriter> NewPdfWriter(QIODevice* device, const QPageLayout& layout,
                                         int resolution, const QString& title) {
    auto writer = std::make_unique<QPdfWriter>(device);
    writer->setPageLayout(layout);
    writer->setResolution(resolution);
    writer->setTitle(title);
    writer->setCreator(QStringLiteral("Quillon 32"));
    return writer;
}

PdfFileOutput::PdfFileOutput(QString path, QPageLayout layout, int resolution, QString title)
    : m_path(std::move(path)), m_layout(std::move(layout)), m_resolution(resolution),
      m_title(std::move(title)) {}

PdfFileOutput::~PdfFileOutput() = default;

QString PdfFileOutput::open() {
    m_file = std::make_unique<QSaveFile>(m_path);
    if (!m_file->open(QIODevice::WriteOnly))
        return QStringLiteral("Cannot write \"%1\": %2").arg(m_path, m_file->errorString());
    m_writer = NewPdfWriter(m_file.get(), m_layout, m_resolution, m_title);
    return {};
}

QPagedPaintDevice* PdfFileOutput::device() {
    return m_writer.get();
}

QString PdfFileOutput::finish(bool discard) {
    m_writer.reset();
    if (!m_file)
        return {};
    if (discard) {
        m_file->cancelWriting();
        m_file->commit();
        return {};
    }
    if (!m_file->commit())
        return QStringLiteral("Cannot write \"%1\": %2").arg(m_path, m_file->errorString());
    return {};
}

} // namespace q32
