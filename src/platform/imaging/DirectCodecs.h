#pragma once
// Codecs that talk to libjpeg and libpng directly: the display path and the PNG writer are the
// hot paths of the program, and the general-purpose wrappers cost several times the codec's own
// time there (whole-picture decodes before shrinking, row-by-row copies, 16-bit pixel caches).

#include "platform/imaging/ImagingCondition.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace q32::imaging {

// A picture of more than a few megabytes whose pixels live on transparent huge pages: touching
// 100 MB of fresh 4 KiB pages costs more than decoding a photo on some virtual machines.
QImage NewLargeImage(int width, int height, QImage::Format format);

// Writes a 24-bit TIFF through libtiff, uncompressed or LZW, as a new file or an added page.
ImagingCondition WriteTiffRgb(const QImage& image, const QString& path, bool lzw, bool append);

// Black and white TIFF pages in one of the CCITT codings, through libtiff.
enum class FaxCoding { Rle, Group3, Group3TwoD, Group4 };
ImagingCondition WriteTiffFax(const QImage& image, const QString& path, FaxCoding coding,
                              bool append);
// The CCITT data alone, as a fax file or another container holds it: libtiff's coder, one strip
// for the whole page. Empty on failure.
QByteArray EncodeFax(const QImage& image, FaxCoding coding);
// A document of one page holding the picture as one bilevel image object in the given CCITT
// coding (Group 3 one- or two-dimensional, or Group 4). Empty on failure.
QByteArray EncodeIoca(const QImage& image, FaxCoding coding);
// A FlashPix file (a compound file written by libgsf) of the picture at 8 (grey) or 24 bits, in
// 64 x 64 tiles at every resolution down to one tile. kind: 0 tiles stored as they are, 1 tiles
// of one colour stored as that colour, 2 and 3 JPEG tiles of the quality given (1-100).
QByteArray EncodeFlashPix(const QImage& image, int bits, int kind, int quality);
// A 24-bit JPEG-compressed TIFF in YCbCr with the given chroma subsampling (1, 1 keeps every
// sample; 2, 1 halves the columns; 2, 2 rows and columns), quality 1-100.
ImagingCondition WriteTiffJpeg(const QImage& image, const QString& path, int hsub, int vsub,
                               int quality);

// Decodes a JPEG file. With a valid target, libjpeg scales inside the DCT to the smallest of
// 1/8, 1/4, 1/2, 5/8 or the whole size that still covers target (the sizes it decodes fastest),
// and the result is then shrunk to target exactly.
// CMYK files come out as RGB; a cut-off file gives Truncated.
ImagingCondition DecodeJpeg(const QString& path, const QSize& target, QImage& out);
// The same for a JPEG held in memory (a camera raw file's preview).
ImagingCondition DecodeJpegData(const uchar* data, size_t size, const QSize& target, QImage& out);

// Writes a 24- or 32-bit PNG with zlib level, filters and strategy chosen for photos.
ImagingCondition WritePng(const QImage& image, const QString& path, bool alpha);

} // namespace q32::imaging
