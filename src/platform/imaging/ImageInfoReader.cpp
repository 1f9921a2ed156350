#include "platform/imaging/FileProbe.h"
#include "platform/imaging/FormatSniffer.h"
#include "platform/imaging/Imaging.h"
#include "platform/imaging/Limits.h"
#include "platform/imaging/MagickBridge.h"
#include "platform/imaging/ModernCodecs.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace q32::imaging {

ImagingCondition ReadHead(const QString& path, QByteArray& head, qint64& fileSize) {
    const QFileInfo fi(path);
    if (!fi.exists() || fi.isDir())
        return ImagingCondition::FileNotFound;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return ImagingCondition::FileUnreadable;
    fileSize = f.size();
    if (fileSize == 0)
        return ImagingCondition::EmptyFile;
    head = f.read(kSniffBytes);
    return ImagingCondition::None;
}

const char* QtFormat(int code) {
    switch (code) {
    case 10:
        return "jpeg";
    case 75:
        return "png";
    case 2:
        return "gif";
    case 6:
    case 14:
        return "bmp";
    case 91:
        return "ico";
    case 92:
        return "cur";
    default:
        return nullptr;
    }
}

bool OwnCodec(int code) {
    return code == 51 || code == 52 || code == 53 || code == 16 || code == 63 || code == 64;
}

const char* MagickCoder(int code, const QByteArray& head) {
    switch (code) {
    case 1:
        return head.startsWith("\xB1\x68\xDE\x3A") ? "DCX" : "PCX";
    case 3:
    case 11:
    case 17:
    case 22:
    case 24:
    case 25:
    case 27:
    case 28:
    case 29:
        return "TIFF";
    case 4:
        return "TGA";
    case 15:
        return "WMF";
    case 50:
        return "CALS";
    case 54:
        return "WPG";
    case 55:
        return "SUN";
    case 56:
        return "PICT";
    case 57:
        return "PCD";
    case 74:
        return "BMP";
    case 76:
        return "PSD";
    case 77:
        return "FAX";
    default:
        return nullptr;
    }
}

namespace {

int BitsFromMagick(const Magick::Image& img) {
    const int depth = int(img.depth()) > 8 ? 16 : 8;
    switch (img.type()) {
    case MagickCore::BilevelType:
        return 1;
    case MagickCore::GrayscaleType:
        return depth;
    case MagickCore::GrayscaleMatteType:
        return 2 * depth;
    case MagickCore::PaletteType:
    case MagickCore::PaletteMatteType: {
        const size_t colours = img.colorMapSize();
        return colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
    }
    case MagickCore::TrueColorMatteType:
    case MagickCore::ColorSeparationType:
    case MagickCore::ColorSeparationMatteType:
        return 4 * depth > 32 ? 64 : 32;
    default:
        return img.matte() ? 4 * depth : 3 * depth > 24 ? 48 : 24;
    }
}

ImagingCondition MagickCondition(const Magick::Exception& e) {
    const std::string what = e.what();
    if (dynamic_cast<const Magick::ErrorResourceLimit*>(&e) ||
        what.find("width or height exceeds limit") != std::string::npos)
        return ImagingCondition::TooLarge;
    if (what.find("nexpected end") != std::string::npos ||
        what.find("insufficient image data") != std::string::npos)
        return ImagingCondition::Truncated;
    return ImagingCondition::Damaged;
}

ImagingCondition PingWithMagick(const QString& path, const char* coder, ImageInfo& info) {
    EnsureMagick();
    try {
        Magick::Image img = NewMagickReader(info.formatCode);
        // A fax stream's length is only known once decoded.
        ReadWithMagick(img, coder, path, 0, info.formatCode != 77);
        if (!info.width || !info.height) {
            info.width = int(img.columns());
            info.height = int(img.rows());
        }
        if (!info.bitsPerPixel)
            info.bitsPerPixel = BitsFromMagick(img);
    } catch (const Magick::Warning&) {
        // a warning still leaves a usable picture
    } catch (const Magick::Exception& e) {
        return MagickCondition(e);
    }
    return info.width > 0 && info.height > 0 ? ImagingCondition::None : ImagingCondition::Damaged;
}

} // namespace

ImagingCondition MagickConditionOf(const Magick::Exception& e) {
    return MagickCondition(e);
}

} // namespace q32::imaging

namespace q32 {

using namespace imaging;

namespace {

ImagingCondition ProbeModern(const QString& path, ImageInfo& info) {
    switch (info.formatCode) {
    case kHeifCode:
    case kAvifCode:
        return ProbeHeif(path, info);
    case kWebpCode:
        return ProbeWebp(path, info);
    case kJxlCode:
        return ProbeJxl(path, info);
    default:
        return ProbeRaw(path, info);
    }
}

// A TIFF, or a camera's raw file built on TIFF; the raw decoder decides the second.
ImagingCondition ProbeTiffOrRaw(const QString& path, ImageInfo& info) {
    TiffKind kind = TiffKind::Plain;
    const ImagingCondition c = ProbeTiff(path, info, &kind);
    if (kind == TiffKind::Plain)
        return c;
    ImageInfo raw = info;
    const ImagingCondition rawCondition = ProbeRaw(path, raw);
    if (rawCondition == ImagingCondition::None || kind == TiffKind::Dng) {
        info = raw;
        return rawCondition;
    }
    return c; // a TIFF from a camera, not its sensor data
}

// Whatever a header says, a picture has a size we can hold: refused here, an impossible size
// never reaches an album row or a decoder.
ImagingCondition Checked(ImagingCondition c, const ImageInfo& info) {
    if (c != ImagingCondition::None)
        return c;
    if (info.width <= 0 || info.height <= 0)
        return ImagingCondition::ImpossibleSize;
    return SizeAcceptable(info.width, info.height) ? ImagingCondition::None
                                                   : ImagingCondition::TooLarge;
}

ImagingCondition ReadInfo(const QString& path, ImageInfo& info) {
    QByteArray head;
    qint64 fileSize = 0;
    if (const ImagingCondition c = ReadHead(path, head, fileSize); c != ImagingCondition::None)
        return c;
    const Sniffed s = SniffFormat(head, fileSize);
    if (!s.code)
        return ImagingCondition::UnrecognisedFormat;
    if (s.truncated)
        return ImagingCondition::Truncated;
    info.formatCode = s.code;
    info.width = s.width;
    info.height = s.height;
    info.bitsPerPixel = s.bitsPerPixel;

    if (s.code == 3)
        return ProbeTiffOrRaw(path, info);
    if (IsModernCode(s.code))
        return ProbeModern(path, info);
    if (const char* qt = QtFormat(s.code)) {
        QImageReader reader(path, qt);
        reader.setAutoTransform(true);
        if (s.code == 10 || s.code == 2 || !info.width || !info.height) {
            if (!reader.canRead())
                return ImagingCondition::Damaged;
            const QSize size = reader.size();
            if (size.isValid() && (!info.width || !info.height)) {
                info.width = size.width();
                info.height = size.height();
            }
        }
        if (s.code == 10) {
            const QImageIOHandler::Transformations t = reader.transformation();
            static const int orientations[8] = {1, 2, 4, 3, 6, 5, 7, 8}; // by Qt's flag bits
            info.orientation = orientations[int(t) & 7];
        } else if (s.code == 2) {
            info.pageCount = qMax(1, reader.imageCount());
            info.animated = info.pageCount > 1;
        } else if (s.code == 91 || s.code == 92) {
            info.pageCount = qMax(1, reader.imageCount());
        }
        if (!info.width || !info.height)
            return ImagingCondition::Damaged;
        if (!info.bitsPerPixel)
            info.bitsPerPixel = 24;
        return ImagingCondition::None;
    }
    if (s.code == 16 || s.code == 63 || s.code == 64)
        return ProbeEps(path, info);
    if (OwnCodec(s.code))
        return info.width > 0 && info.height > 0 ? ImagingCondition::None
                                                 : ImagingCondition::Damaged;
    if (s.code == 1 && head.startsWith("\xB1\x68\xDE\x3A")) { // DCX: a table of page offsets
        info.pageCount = 0;
        for (int o = 4; o + 4 <= head.size() && info.pageCount < 1023; o += 4) {
            if (!head[o] && !head[o + 1] && !head[o + 2] && !head[o + 3])
                break;
            ++info.pageCount;
        }
        info.pageCount = qMax(1, info.pageCount);
    }
    if (const char* coder = MagickCoder(s.code, head)) {
        if (s.code == 77 && !info.width)
            info.width = 1728; // every fax line is 1728 pixels
        if (info.width && info.height && info.bitsPerPixel)
            return ImagingCondition::None;
        return PingWithMagick(path, coder, info);
    }
    return ImagingCondition::UnrecognisedFormat;
}

} // namespace

ImagingCondition ReadImageInfo(const QString& path, ImageInfo& info) {
    info = ImageInfo{};
    return Checked(ReadInfo(path, info), info);
}

} // namespace q32
