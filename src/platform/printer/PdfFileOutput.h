#pragma once
// Pages into a PDF file with Qt's own PDF output. The file is replaced only when the whole
// document was written: a stopped job, a full disk or a killed process leave the old file.

#include "platform/printer/PageOutput.h"

#include <QPageLayout>
#include <memory>

class QPdfWriter;
class QSaveFile;

namespace q32 {

class PdfFileOutput : public PageOutput {
public:
    PdfFileOutput(QString path, QPageLayout layout, int resolution, QString title);
    ~PdfFileOutput() override;

    QString open() override;
    QPagedPaintDevice* device() override;
    QString finish(bool discard) override;

private:
    QString m_path;
    QPageLayout m_layout;
    int m_resolution;
    QString m_title;
    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<QPdfWriter> m_writer;
};

} // namespace q32
