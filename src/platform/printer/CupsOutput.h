#pragma once
// Pages for a CUPS queue. They are written as a PDF in memory first (a picture of a protected
// album must not reach a temporary file) and handed to CUPS only when the document is complete,
// so a stopped job prints nothing and a queue that refuses the job is reported (Qt's own printer
// hands over whatever was painted, and stays silent when CUPS refuses it).

#include "platform/printer/PageOutput.h"

#include <QPageLayout>
#include <memory>

class QBuffer;
class QPdfWriter;
class QPrinter;

namespace q32 {

class CupsOutput : public PageOutput {
public:
    // Takes the queue's name and the settings chosen for it (paper, resolution, copies,
    // colour, both sides) from printer.
    CupsOutput(const QPrinter& printer, QString title);
    ~CupsOutput() override;

    QString open() override;
    QPagedPaintDevice* device() override;
    QString finish(bool discard) override;
    // The CUPS job number after a successful finish.
    int jobId() const { return m_jobId; }

private:
    QString m_queue;
    QString m_title;
    QPageLayout m_layout;
    int m_resolution;
    int m_copies;
    bool m_collate;
    bool m_grey;
    int m_sides; // 0 one side, 1 long edge, 2 short edge
    int m_jobId = 0;
    std::unique_ptr<QBuffer> m_pdf;
    std::unique_ptr<QPdfWriter> m_writer;
};

} // namespace q32
