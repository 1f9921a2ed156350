#pragma once
// The imaging layer: what a picture file is, its pixels for display, and saving a picture in
// any of the export formats. Headless; safe on hostile files (conditions, never crashes).

#include "platform/imaging/ImageInfo.h"
#include "platform/imaging/ImagingCondition.h"

#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

namespace q32 {

struct LoadOptions {
    QSize fitInto;          // empty: the whole picture at its own size
    bool enlarge = false;   // with fitInto: also grow pictures smaller than the box
    int page = 0;           // multi-page files
    bool autoOrient = true; // turn photos the way their EXIF orientation says
};

struct SaveOptions {
    int formatCode = 0;
    int bitsPerPixel = 0;   // 0: what the picture has
    int qualityFactor = 0;  // see QualityFactor.h; lossy formats only
    bool multiPage = false; // append a page to an existing file of a multi-page format
};

// Format, size and depth from the file's header; pixels are not decoded.
ImagingCondition ReadImageInfo(const QString& path, ImageInfo& info);

// Decodes one page. With fitInto, never decodes more than the box needs where the codec allows
// it (JPEG scales inside the DCT). info, when given, receives the file information.
ImagingCondition LoadImage(const QString& path, QImage& out, const LoadOptions& options = {},
                           ImageInfo* info = nullptr);

ImagingCondition SaveImage(const QImage& image, const QString& path, const SaveOptions& options);

// When the photo was taken: the EXIF DateTimeOriginal (else DateTimeDigitized) of a JPEG, TIFF,
// PNG, HEIC, AVIF, WebP or JPEG XL file, a camera raw file's own record, or else a PNG's tIME
// stamp, as local time. Nothing when the file does not say.
std::optional<QDateTime> ReadDateTaken(const QString& path);

// The small preview a camera keeps in a JPEG photo's EXIF block, turned as the photo is; nothing
// when there is none or its proportions are not the photo's.
std::optional<QImage> ReadEmbeddedThumbnail(const QString& path);

bool CanReadFormat(int code);
bool CanWriteFormat(int code);
// Lossy writers, which take SaveOptions::qualityFactor (JPEG, HEIC, AVIF, WebP, JPEG XL).
bool UsesQualityFactor(int code);
// Bits per pixel a format's writer accepts; empty when it has no writer.
QList<int> WritableBits(int code);

// The largest size with the picture's proportions inside box (never larger than the picture
// unless enlarge).
QSize FitSize(const QSize& picture, const QSize& box, bool enlarge = false);

} // namespace q32
