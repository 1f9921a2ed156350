#pragma once
// Shared by the reader and the loader: opening a file safely and choosing a decoder by code.

#include "platform/imaging/ImageInfo.h"
#include "platform/imaging/ImagingCondition.h"

#include <QByteArray>
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

// TIFF header walk: size, depth, compression code, page count.
ImagingCondition ProbeTiff(const QString& path, ImageInfo& info);

} // namespace q32::imaging
