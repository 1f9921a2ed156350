#pragma once
// Printing one picture: the whole picture drawn into a rectangle of printer dots, from the
// full-resolution picture (never the screen's miniature) at the page's own resolution, in
// bands of a few megabytes so a large photo never needs a page-sized copy.

#include "platform/imaging/Imaging.h"

#include <QImage>
#include <QRectF>
#include <QString>
#include <functional>

class QPainter;

namespace q32 {

class PageOutput;

// A picture to print: a file, or a file's bytes (a record's picture, never written anywhere),
// decoded when the page is drawn, or pixels already in memory.
struct PrintPicture {
    QString path;
    QImage image;
    QString description;
    QByteArray bytes;
    QString name; // the bytes' file name

    bool isEmpty() const { return path.isEmpty() && bytes.isEmpty() && image.isNull(); }
    // The job's name: the description, else the file's name.
    QString title() const;
};

// What a running job is told and tells; both callbacks are called on the job's thread.
struct PrintProgress {
    std::function<bool()> stopRequested;
    std::function<void(int percent)> progress;

    bool stopped() const { return stopRequested && stopRequested(); }
    void report(int percent) const {
        if (progress)
            progress(percent);
    }
};

struct PrintOutcome {
    QString error; // empty when the job went through or was stopped
    bool stopped = false;
    bool ok() const { return error.isEmpty() && !stopped; }
};

// The picture's pixels at full resolution; the error text when it cannot be read.
QString LoadPrintPicture(const PrintPicture& picture, QImage& pixels);
// Decodes the picture's file or bytes as LoadImage does.
ImagingCondition DecodePrintPicture(const PrintPicture& picture, QImage& pixels,
                                    const LoadOptions& options = {}, ImageInfo* info = nullptr);

// Draws pixels into target, in the painter's device units (printer dots); dither chooses
// dithered conversions where a picture's colours are reduced. Taking pixels by value lets a
// shrunk copy replace the original in memory.
PrintOutcome DrawPictureBands(QPainter& painter, QImage pixels, const QRectF& target, bool dither,
                              const PrintProgress& progress);

// The whole job: reads the picture, draws it on one page of output, hands the page on.
// Nothing is handed on when the job is stopped or fails.
PrintOutcome PrintPictureOn(PageOutput& output, const PrintPicture& picture, const QRectF& target,
                            bool dither, const PrintProgress& progress);

} // namespace q32
