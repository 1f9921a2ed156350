#include "output/export/JpegStamp.h"

#include <QFile>
#include <QSaveFile>

namespace q32 {
namespace {

constexpr uchar kPaletteStamp = 0x11;
constexpr uchar kRgbStamp = 0x13;

QByteArray Segment(uchar marker, const QByteArray& body) {
    QByteArray s;
    s.append(char(0xFF)).append(char(marker));
    const int length = int(body.size()) + 2;
    s.append(char(length >> 8)).append(char(length & 0xFF));
    return s + body;
}

QByteArray StampBody(const QImage& picture, int width, int height, int bits) {
    const QImage small =
        picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QByteArray body("JFXX", 5); // with its terminating zero
    body.append(char(bits == 8 ? kPaletteStamp : kRgbStamp));
    body.append(char(width)).append(char(height));
    if (bits == 8) {
        const QImage indexed = small.convertToFormat(QImage::Format_RGB32)
                                   .convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
        const QList<QRgb> table = indexed.colorTable();
        for (int i = 0; i < 256; ++i) {
            const QRgb c = table.value(i);
            body.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
        }
        for (int y = 0; y < height; ++y)
            body.append(reinterpret_cast<const char*>(indexed.constScanLine(y)), width);
    } else {
        const QImage rgb = small.convertToFormat(QImage::Format_RGB888);
        for (int y = 0; y < height; ++y)
            body.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), qsizetype(width) * 3);
    }
    return body;
}

// Offset just past the JFIF APP0 segment that must come first; -1 when the file has none.
qsizetype AfterJfif(const QByteArray& jpeg) {
    if (jpeg.size() < 20 || uchar(jpeg[0]) != 0xFF || uchar(jpeg[1]) != 0xD8 ||
        uchar(jpeg[2]) != 0xFF || uchar(jpeg[3]) != 0xE0 || jpeg.mid(6, 5) != QByteArray("JFIF", 5))
        return -1;
    const int length = (uchar(jpeg[4]) << 8) | uchar(jpeg[5]);
    return 4 + length <= jpeg.size() ? 4 + length : -1;
}

} // namespace

ImagingCondition AddJpegStamp(const QString& path, const QImage& picture, int width, int height,
                              int bits) {
    if (picture.isNull() || width < 1 || height < 1 || width > 255 || height > 255)
        return ImagingCondition::Failure;
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return ImagingCondition::FileNotFound;
    QByteArray jpeg = in.readAll();
    in.close();
    qsizetype at = AfterJfif(jpeg);
    QByteArray head;
    if (at < 0) {
        if (jpeg.size() < 4 || uchar(jpeg[0]) != 0xFF || uchar(jpeg[1]) != 0xD8)
            return ImagingCondition::UnrecognisedFormat;
        // A JFXX segment is only valid after a JFIF header: give the file one (1:1, no density).
        head = Segment(0xE0, QByteArray("JFIF\0\x01\x02\0\0\x01\0\x01\0\0", 14));
        at = 2;
    } else if (jpeg[11] == 1 && jpeg[12] < 2) {
        jpeg[12] = 2; // extension segments came with JFIF 1.02
    }
    const QByteArray stamp = Segment(0xE0, StampBody(picture, width, height, bits));
    if (stamp.size() > 65537)
        return ImagingCondition::TooLarge;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(jpeg.constData(), at) != at ||
        out.write(head) != head.size() || out.write(stamp) != stamp.size() ||
        out.write(jpeg.constData() + at, jpeg.size() - at) != jpeg.size() - at || !out.commit())
        return ImagingCondition::CannotWrite;
    return ImagingCondition::None;
}

} // namespace q32
