#pragma once
// Shared by the reader and the loader: opening a file safely and choosing a decoder by code.

#include "platform/imaging/ImageInfo.h"
#include "platform/imaging/ImagingCondition.h"

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QString>

namespace q32::imaging {

// Reads the first bytes; FileNotFound, FileUnreadable or EmptyFile when that fails.
ImagingCondition ReadHead(const QString& path, QByteArray& head, qint64& fileSize);

// The ImageMagick coder for a code we hand to ImageMagick; nullptr otherwise.
const char* MagickCoder(int code, const QByteArray& head);
// The Qt image plugin for a code Qt decodes well; nullptr otherwise.
const char* QtFormat(int code);
// Codes decoded by our own codecs.
bool OwnCodec(int code);

// EPS: size from the bounding box (one point = one pixel), rendered in colour.
ImagingCondition ProbeEps(const QString& path, ImageInfo& info);
// Renders an EPS through Ghostscript, in a separate process with a time limit.
ImagingCondition RenderEps(const QString& path, const ImageInfo& info, QImage& out);

// What a TIFF-structured file is: a picture, a DNG, or perhaps a camera maker's raw file (a TIFF
// with a maker and sensor data; the raw decoder has the last word).
enum class TiffKind { Plain, Dng, MaybeCameraRaw };

// TIFF and BigTIFF header walk: size, depth, compression code, page count, orientation.
ImagingCondition ProbeTiff(const QString& path, ImageInfo& info, TiffKind* kind = nullptr);
ImagingCondition ProbeTiff(QIODevice& device, ImageInfo& info, TiffKind* kind = nullptr);

// Turns a decoded picture the way an EXIF orientation (1..8) says.
QImage Orient(const QImage& image, int orientation);

} // namespace q32::imaging
