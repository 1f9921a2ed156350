#pragma once
// Where printed pages go: a printer queue or a PDF file. The painter is begun on device()
// between open() and finish(); both may run on a worker thread.

#include <QString>
#include <memory>

class QIODevice;
class QPageLayout;
class QPagedPaintDevice;
class QPdfWriter;

namespace q32 {

class PageOutput {
public:
    virtual ~PageOutput() = default;
    // Prepares the device; an error text when it cannot take pages.
    virtual QString open() = 0;
    virtual QPagedPaintDevice* device() = 0;
    // After the painter has ended: hands the pages on, or throws them away when discard is
    // set (a stopped or failed job prints nothing). An error text when handing on failed.
    virtual QString finish(bool discard) = 0;
};

// Both outputs draw into a PDF: one on device with the pages' layout, resolution and title.
std::unique_ptr<QPdfWriter> NewPdfWriter(QIODevice* device, const QPageLayout& layout,
                                         int resolution, const QString& title);

} // namespace q32
