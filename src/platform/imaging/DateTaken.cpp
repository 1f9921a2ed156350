// When a photo was taken, from whatever record its format keeps of it.
#include "platform/imaging/ByteOrder.h"
#include "platform/imaging/Exif.h"
#include "platform/imaging/FileProbe.h"
#include "platform/imaging/FormatSniffer.h"
#include "platform/imaging/Imaging.h"
#include "platform/imaging/IsoBmff.h"
#include "platform/imaging/MappedFile.h"
#include "platform/imaging/ModernCodecs.h"

#include <QFile>
#include <QTimeZone>

namespace q32 {

using namespace imaging;

namespace {

constexpr int kMaxPngChunks = 100000;
constexpr qint64 kJpegExifBytes = qint64(256) << 10; // EXIF sits in the first segments

// PNG keeps EXIF in an eXIf chunk and its own time stamp in tIME, either of which may follow the
// pixel data. libpng reaches chunks after the pixels only by decoding them; walking the chunk
// headers reads a few bytes each.
std::optional<QDateTime> PngDateTaken(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<QDateTime> stamp;
    qint64 at = 8;
    for (int i = 0; i < kMaxPngChunks && f.seek(at); ++i) {
        const QByteArray h = f.read(8);
        const ByteReader r(h);
        if (h.size() < 8)
            break;
        const quint32 length = r.be32(0);
        if (r.at(4, "eXIf") && length <= (16u << 20)) {
            if (auto taken = ReadExif(f.read(length)).taken)
                return taken;
        } else if (r.at(4, "tIME") && length == 7) {
            const QByteArray t = f.read(7);
            const ByteReader time(t);
            const QDate day(time.be16(0), int(time.u8(2)), int(time.u8(3)));
            const QTime clock(int(time.u8(4)), int(time.u8(5)), int(time.u8(6)));
            if (day.isValid() && clock.isValid()) // universal time, as the format says
                stamp = QDateTime(day, clock, QTimeZone::utc()).toLocalTime();
        } else if (r.at(4, "IEND")) {
            break;
        }
        at += 12 + qint64(length);
    }
    return stamp;
}

// A TIFF-built file is its own EXIF block: IFD 0 points at the EXIF directory, wherever in the
// file it is.
std::optional<QDateTime> TiffDateTaken(const QString& path) {
    const MappedFile file(path);
    if (!file.ok())
        return std::nullopt;
    return ReadExif(QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()),
                                            qsizetype(file.size())))
        .taken;
}

} // namespace

std::optional<QDateTime> ReadDateTaken(const QString& path) {
    QByteArray head;
    qint64 fileSize = 0;
    if (ReadHead(path, head, fileSize) != ImagingCondition::None)
        return std::nullopt;
    const Sniffed s = SniffFormat(head, fileSize);
    switch (s.code) {
    case 10: {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return std::nullopt;
        return ReadExif(f.read(kJpegExifBytes)).taken;
    }
    case 75:
        return PngDateTaken(path);
    case 3: {
        // A raw file built on TIFF keeps the date where LibRaw finds it.
        if (auto taken = TiffDateTaken(path))
            return taken;
        ImageInfo info;
        TiffKind kind = TiffKind::Plain;
        ProbeTiff(path, info, &kind);
        return kind == TiffKind::Plain ? std::nullopt : RawDateTaken(path);
    }
    case kHeifCode:
    case kAvifCode:
        return ReadExif(HeifExif(path)).taken;
    case kWebpCode:
        return ReadExif(WebpExif(path)).taken;
    case kJxlCode:
        return ReadExif(JxlExif(path)).taken;
    case kCameraRawCode:
        return RawDateTaken(path);
    default: {
        const ByteReader r(head);
        if (r.at(4, "ftyp") || r.at(4, "moov") || r.at(4, "mdat") || r.at(4, "wide") ||
            r.at(4, "free"))
            return ClipCreationTime(path);
        return std::nullopt;
    }
    }
}

} // namespace q32
