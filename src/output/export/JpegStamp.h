#pragma once
// A stamp in a JPEG file: the JFIF extension segment (JFXX) that holds a small uncompressed
// preview, palette (8 bits) or RGB (24 bits). libjpeg and ImageMagick write the JFIF header
// but no JFXX preview, so the segment is put in here.

#include "platform/imaging/ImagingCondition.h"

#include <QImage>
#include <QString>

namespace q32 {

// Puts a width x height stamp of picture into the JPEG file at path, right after its JFIF
// header. width and height are at most 255.
ImagingCondition AddJpegStamp(const QString& path, const QImage& picture, int width, int height,
                              int bits);

} // namespace q32
