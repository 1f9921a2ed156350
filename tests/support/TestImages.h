#pragma once
// Pictures made in memory and compared by their pixels, with the tolerance a codec's loss needs,
// and a refusal of a damaged file told from any other failure (header only).

#include "platform/imaging/ImagingCondition.h"

#include <QBuffer>
#include <QImage>
#include <cstdlib>

namespace q32::test {

// A picture of one colour.
inline QImage Filled(QSize size, const QColor& colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The bytes of image written as format ("PNG", "JPEG") at quality (-1: the writer's own).
inline QByteArray Encoded(const QImage& image, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

// Whether two colours differ by at most tolerance, summed over the channels.
inline bool NearColour(QRgb a, QRgb b, int tolerance = 40) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
               std::abs(qBlue(a) - qBlue(b)) <=
           tolerance;
}

// Mean difference per channel of two pictures; 255 when their sizes differ.
inline double PixelDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull())
        return 255;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return double(sum) / (3.0 * x.width() * x.height());
}

// The conditions a cut, scrambled or crafted file may end in.
inline bool IsDamageCondition(ImagingCondition c) {
    const int n = ConditionNumber(c);
    return (n >= 20030 && n <= 20062) || c == ImagingCondition::UnrecognisedFormat;
}

} // namespace q32::test
