#pragma once
// Today's photo formats, each through the Debian library that decodes it best:
// HEIC and AVIF (libheif), WebP still and animated (libwebp), JPEG XL (libjxl), camera raw and
// DNG (LibRaw). Each probe fills ImageInfo from the headers; each decoder gives the picture as
// stored, before its orientation is applied (except what libheif applies itself, see IsoBmff.h).
// A valid target lets a decoder stop at a smaller picture that still covers it.

#include "formats/FormatTable.h"
#include "platform/imaging/ImageInfo.h"
#include "platform/imaging/ImagingCondition.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>
#include <optional>

namespace q32::imaging {

inline bool IsModernCode(int code) {
    return code >= kHeifCode && code <= kCameraRawCode;
}

ImagingCondition ProbeHeif(const QString& path, ImageInfo& info);
ImagingCondition DecodeHeif(const QString& path, const QSize& target, QImage& out);
// Whether libheif has an encoder for AV1 (avif) or HEVC.
bool HeifCanWrite(bool avif);
// quality 1..100; avif: AV1 inside, else HEVC.
ImagingCondition WriteHeif(const QImage& image, const QString& path, bool avif, int quality,
                           bool alpha);
QByteArray HeifExif(const QString& path);

ImagingCondition ProbeWebp(const QString& path, ImageInfo& info);
ImagingCondition DecodeWebp(const QString& path, int frame, const QSize& target, QImage& out);
ImagingCondition WriteWebp(const QImage& image, const QString& path, int quality, bool alpha);
QByteArray WebpExif(const QString& path);

ImagingCondition ProbeJxl(const QString& path, ImageInfo& info);
ImagingCondition DecodeJxl(const QString& path, QImage& out);
ImagingCondition WriteJxl(const QImage& image, const QString& path, int quality, bool alpha);
QByteArray JxlExif(const QString& path);

ImagingCondition ProbeRaw(const QString& path, ImageInfo& info);
// Previews from the camera's embedded JPEG when it covers target (or, without a target, when it
// is as large as the picture); otherwise develops the sensor data.
ImagingCondition DecodeRaw(const QString& path, const ImageInfo& info, const QSize& target,
                           QImage& out);
std::optional<QDateTime> RawDateTaken(const QString& path);

} // namespace q32::imaging
