#include "platform/imaging/ByteOrder.h"
#include "platform/imaging/DirectCodecs.h"
#include "platform/imaging/FileProbe.h"
#include "platform/imaging/FormatSniffer.h"
#include "platform/imaging/Imaging.h"
#include "platform/imaging/Limits.h"
#include "platform/imaging/MagickBridge.h"
#include "platform/imaging/ModernCodecs.h"
#include "platform/imaging/OwnCodecs.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

namespace q32::imaging {

ImagingCondition MagickConditionOf(const Magick::Exception& e);

QImage Orient(const QImage& image, int orientation) {
    QTransform t;
    switch (orientation) {
    case 2:
        return image.mirrored(true, false);
    case 3:
        t.rotate(180);
        break;
    case 4:
        return image.mirrored(false, true);
    case 5:
        return image.mirrored(true, false).transformed(QTransform().rotate(270));
    case 6:
        t.rotate(90);
        break;
    case 7:
        return image.mirrored(true, false).transformed(QTransform().rotate(90));
    case 8:
        t.rotate(270);
        break;
    default:
        return image;
    }
    return image.transformed(t);
}

} // namespace q32::imaging

namespace q32 {

using namespace imaging;

namespace {

// Qt's decoders draw a grey remainder for a cut-off JPEG or GIF without complaint: a missing
// end marker tells us the file was cut.
bool EndMarkerMissing(const QString& path, int code) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const qint64 tail = qMin<qint64>(f.size(), 4096);
    f.seek(f.size() - tail);
    const QByteArray end = f.read(tail);
    switch (code) {
    case 10:
        return !end.contains("\xFF\xD9");
    case 75:
        return !end.contains("IEND");
    case 2:
        return !end.contains('\x3B');
    default:
        return false;
    }
}

// Qt's BMP reader fills a short file's missing rows silently.
bool BmpCut(const QString& path, const ImageInfo& info) {
    if (info.formatCode != 6 && info.formatCode != 14)
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray h = f.read(34);
    if (h.size() < 34)
        return true;
    const ByteReader r(h);
    const quint32 compression = info.formatCode == 6 ? r.le32(30) : 0;
    if (compression != 0 && compression != 3)
        return false; // run-length rows have no fixed size
    const qint64 rowBytes = ((qint64(info.width) * info.bitsPerPixel + 31) / 32) * 4;
    return f.size() < qint64(r.le32(10)) + rowBytes * info.height;
}

ImagingCondition LoadWithQt(const QString& path, const char* format, const ImageInfo& info,
                            const LoadOptions& o, QImage& out) {
    QImageReader::setAllocationLimit(kQtAllocationLimitMb);
    QImageReader reader(path, format);
    QBuffer icon;
    if (info.formatCode == 91 || info.formatCode == 92) { // small files: read them whole
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly) || f.size() > (qint64(64) << 20))
            return ImagingCondition::TooLarge;
        icon.setData(IconWithTrueDirectory(f.readAll()));
        icon.open(QIODevice::ReadOnly);
        reader.setDevice(&icon);
    }
    reader.setAutoTransform(o.autoOrient);
    if (info.pageCount > 1 && o.page > 0 && !reader.jumpToImage(o.page))
        return ImagingCondition::PageNotFound;
    if (o.fitInto.isValid()) {
        const QSize shown = o.autoOrient ? info.displaySize() : info.size();
        const QSize target = FitSize(shown, o.fitInto, o.enlarge);
        if (target != shown) // the reader scales before it turns the picture
            reader.setScaledSize(o.autoOrient && info.orientation >= 5 ? target.transposed()
                                                                       : target);
    }
    if (!reader.read(&out)) {
        out = QImage();
        if (reader.error() == QImageReader::InvalidDataError &&
            EndMarkerMissing(path, info.formatCode))
            return ImagingCondition::Truncated;
        return ImagingCondition::Damaged;
    }
    if (EndMarkerMissing(path, info.formatCode) || BmpCut(path, info)) {
        out = QImage();
        return ImagingCondition::Truncated;
    }
    return ImagingCondition::None;
}

// The size a decoder that scales while decoding should stop at, as the picture is stored
// (before it is turned); empty for the whole picture.
QSize DecodeTarget(const ImageInfo& info, const LoadOptions& o) {
    if (!o.fitInto.isValid())
        return {};
    const QSize shown = o.autoOrient ? info.displaySize() : info.size();
    QSize target = FitSize(shown, o.fitInto, o.enlarge);
    if (o.autoOrient && info.orientation >= 5)
        target.transpose();
    return target == info.size() ? QSize() : target;
}

// Our own libjpeg path: scaled inside the DCT, rows straight into the picture.
ImagingCondition LoadJpeg(const QString& path, const ImageInfo& info, const LoadOptions& o,
                          QImage& out) {
    const QSize target = DecodeTarget(info, o);
    const ImagingCondition c = DecodeJpeg(path, target, out);
    if (c == ImagingCondition::None && o.autoOrient)
        out = Orient(out, info.orientation);
    return c;
}

ImagingCondition LoadWithMagick(const QString& path, const char* coder, const ImageInfo& info,
                                const LoadOptions& o, QImage& out) {
    EnsureMagick();
    try {
        Magick::Image img = NewMagickReader(info.formatCode);
        ReadWithMagick(img, coder, path, o.page);
        // Only TIFF files carry an orientation still to apply; other coders have turned rows
        // already.
        if (o.autoOrient && std::string(coder) == "TIFF")
            out = Orient(ToQImage(img), int(img.orientation()));
        else
            out = ToQImage(img);
    } catch (const Magick::Warning&) {
        out = QImage();
        return ImagingCondition::Damaged;
    } catch (const Magick::Exception& e) {
        out = QImage();
        return MagickConditionOf(e);
    } catch (const std::bad_alloc&) {
        out = QImage();
        return ImagingCondition::TooLarge;
    }
    return out.isNull() ? ImagingCondition::TooLarge : ImagingCondition::None;
}

// Today's formats: each decoder stops at the size the box needs where its library allows, and
// gives the picture as stored; it is turned here.
ImagingCondition LoadModern(const QString& path, const ImageInfo& info, const LoadOptions& o,
                            QImage& out) {
    const QSize target = DecodeTarget(info, o);
    ImagingCondition c;
    switch (info.formatCode) {
    case kHeifCode:
    case kAvifCode:
        c = DecodeHeif(path, target, out);
        break;
    case kWebpCode:
        c = DecodeWebp(path, o.page, target, out);
        break;
    case kJxlCode:
        c = DecodeJxl(path, out);
        break;
    default:
        c = DecodeRaw(path, info, target, out);
        break;
    }
    if (c != ImagingCondition::None) {
        out = QImage();
        return c;
    }
    if (o.autoOrient)
        out = Orient(out, info.orientation);
    return ImagingCondition::None;
}

ImagingCondition LoadWithOwnCodec(const QString& path, int code, QImage& out) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return ImagingCondition::FileUnreadable;
    if (f.size() > (qint64(512) << 20))
        return ImagingCondition::TooLarge;
    const QByteArray data = f.readAll();
    switch (code) {
    case 51:
        return DecodeMacPaint(data, out);
    case 52:
        return DecodeGem(data, out);
    case 53:
        return DecodeMsp(data, out);
    case 1:
        return DecodePcxMono(data, out);
    case 16:
    case 63:
    case 64:
        return ImagingCondition::Failure; // rendered by RenderEps
    default:
        return ImagingCondition::UnrecognisedFormat;
    }
}

} // namespace

QSize FitSize(const QSize& picture, const QSize& box, bool enlarge) {
    if (picture.isEmpty() || box.isEmpty())
        return picture;
    if (!enlarge && picture.width() <= box.width() && picture.height() <= box.height())
        return picture;
    return picture.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

ImagingCondition LoadImage(const QString& path, QImage& out, const LoadOptions& options,
                           ImageInfo* infoOut) {
    out = QImage();
    ImageInfo info;
    if (const ImagingCondition c = ReadImageInfo(path, info); c != ImagingCondition::None)
        return c;
    if (infoOut)
        *infoOut = info;
    if (!SizeAcceptable(info.width, info.height))
        return ImagingCondition::TooLarge;
    if (options.page < 0 || options.page >= info.pageCount)
        return ImagingCondition::PageNotFound;

    ImagingCondition c = ImagingCondition::UnrecognisedFormat;
    if (info.formatCode == 10) {
        c = LoadJpeg(path, info, options, out);
    } else if (IsModernCode(info.formatCode)) {
        c = LoadModern(path, info, options, out);
    } else if (const char* qt = QtFormat(info.formatCode)) {
        c = LoadWithQt(path, qt, info, options, out);
    } else if (info.formatCode == 16 || info.formatCode == 63 || info.formatCode == 64) {
        c = RenderEps(path, info, out);
    } else if (OwnCodec(info.formatCode) ||
               (info.formatCode == 1 && info.bitsPerPixel == 1 && info.pageCount == 1)) {
        c = LoadWithOwnCodec(path, info.formatCode, out);
    } else {
        QFile f(path);
        const QByteArray head = f.open(QIODevice::ReadOnly) ? f.read(16) : QByteArray();
        if (const char* coder = MagickCoder(info.formatCode, head))
            c = LoadWithMagick(path, coder, info, options, out);
    }
    if (c != ImagingCondition::None)
        return c;
    if (options.fitInto.isValid()) {
        const QSize target = FitSize(out.size(), options.fitInto, options.enlarge);
        if (target != out.size())
            out = out.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return ImagingCondition::None;
}

bool CanReadFormat(int code) {
    return QtFormat(code) || OwnCodec(code) || MagickCoder(code, QByteArray()) ||
           IsModernCode(code);
}

} // namespace q32
