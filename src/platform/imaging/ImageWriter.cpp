#include "platform/imaging/ByteOrder.h"
#include "platform/imaging/DirectCodecs.h"
#include "platform/imaging/Imaging.h"
#include "platform/imaging/MagickBridge.h"
#include "platform/imaging/ModernCodecs.h"
#include "platform/imaging/OwnCodecs.h"
#include "platform/imaging/QualityFactor.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <QTemporaryFile>
#include <cstring>
#include <list>

namespace q32 {

using namespace imaging;

namespace {

struct Writer {
    int code;
    const char* coder; // ImageMagick coder; nullptr for our own writers
    QList<int> bits;
    bool append;
};

// The ImageMagick coder that writes a code's files; nullptr where our own writer does.
const char* MagickWriterCoder(int code) {
    switch (code) {
    case 1:
        return "PCX";
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
    case 6:
        return "BMP3";
    case 14:
        return "BMP2";
    case 10:
    case 21:
    case 23:
        return "JPEG";
    case 50:
        return "CALS";
    case 55:
        return "SUN";
    case 56:
        return "PICT";
    case 66:
        return "FAX";
    case 68:
        return "G4";
    case 75:
        return "PNG";
    case 76:
        return "PSD";
    default:
        return nullptr;
    }
}

// One writer for each code the format table gives writer bits; HEIC and AVIF only where libheif
// has the encoder plug-in (x265, libaom) for them.
const QList<Writer>& Writers() {
    static const QList<Writer> writers = [] {
        QList<Writer> all;
        for (const FormatFacts& f : KnownFormats()) {
            if (f.writerBits.isEmpty())
                continue;
            if ((f.code == kHeifCode || f.code == kAvifCode) && !HeifCanWrite(f.code == kAvifCode))
                continue;
            all.append({f.code, MagickWriterCoder(f.code), f.writerBits, f.appendsPages});
        }
        return all;
    }();
    return writers;
}

const Writer* FindWriter(int code) {
    for (const Writer& w : Writers())
        if (w.code == code)
            return &w;
    return nullptr;
}

int OwnBits(const QImage& image) {
    if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB)
        return 1;
    if (image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Grayscale8)
        return 8;
    return image.hasAlphaChannel() ? 32 : 24;
}

int DefaultBits(const Writer& w, const QImage& image) {
    const int own = OwnBits(image);
    if (w.bits.contains(own))
        return own;
    for (int b : {24, 8, 1})
        if (w.bits.contains(b))
            return b;
    return w.bits.first();
}

ImagingCondition WriteBytes(const QString& path, const QByteArray& bytes) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        return ImagingCondition::CannotWrite;
    return ImagingCondition::None;
}

// 16-bit files hold 5 bits per primary: BMP and Targa without a palette.
QByteArray Rgb555Rows(const QImage& image, bool bottomUp, int rowAlign) {
    const QImage src = image.convertToFormat(QImage::Format_RGB32);
    const int w = src.width(), h = src.height();
    const int rowBytes = ((w * 2 + rowAlign - 1) / rowAlign) * rowAlign;
    QByteArray out(qsizetype(rowBytes) * h, '\0');
    for (int y = 0; y < h; ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(bottomUp ? h - 1 - y : y));
        uchar* d = reinterpret_cast<uchar*>(out.data()) + qsizetype(y) * rowBytes;
        for (int x = 0; x < w; ++x) {
            const unsigned v =
                ((qRed(s[x]) >> 3) << 10) | ((qGreen(s[x]) >> 3) << 5) | (qBlue(s[x]) >> 3);
            qToLittleEndian<quint16>(quint16(v), d + x * 2);
        }
    }
    return out;
}

// Our own writer for direct-colour BMPs: one pass, rows streamed to the file a block at a time
// (never the whole file in memory).
ImagingCondition WriteBmpDirect(const QImage& image, int bits, const QString& path) {
    const QImage src =
        image.convertToFormat(bits == 32 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const int w = src.width(), h = src.height();
    const qsizetype rowBytes = ((qsizetype(w) * (bits / 8) + 3) / 4) * 4;
    QByteArray head("BM");
    AppendLe<quint32>(head, quint32(14 + 40 + rowBytes * h));
    AppendLe<quint32>(head, 0);
    AppendLe<quint32>(head, 54);
    AppendLe<quint32>(head, 40);
    AppendLe<quint32>(head, quint32(w));
    AppendLe<quint32>(head, quint32(h));
    AppendLe<quint16>(head, 1);
    AppendLe<quint16>(head, quint16(bits));
    AppendLe<quint32>(head, 0);
    AppendLe<quint32>(head, quint32(rowBytes * h));
    AppendLe<quint32>(head, 3780);
    AppendLe<quint32>(head, 3780);
    AppendLe<quint32>(head, 0);
    AppendLe<quint32>(head, 0);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(head) != head.size())
        return ImagingCondition::CannotWrite;
    const QByteArray rows555 = bits == 16 ? Rgb555Rows(src, true, 4) : QByteArray();
    const int rowsPerBlock = int(qMax<qsizetype>(1, (qsizetype(1) << 20) / rowBytes));
    QByteArray block(rowBytes * rowsPerBlock, '\0');
    for (int y0 = 0; y0 < h; y0 += rowsPerBlock) {
        const int n = qMin(rowsPerBlock, h - y0);
        for (int i = 0; i < n; ++i) {
            const int y = y0 + i; // file row y is picture row h - 1 - y
            uchar* d = reinterpret_cast<uchar*>(block.data()) + qsizetype(i) * rowBytes;
            if (bits == 16) {
                std::memcpy(d, rows555.constData() + qsizetype(y) * rowBytes, size_t(rowBytes));
                continue;
            }
            const uchar* s = src.constScanLine(h - 1 - y);
            if (bits == 32) {
                std::memcpy(d, s, size_t(w) * 4); // B, G, R, A in memory
                continue;
            }
            for (int x = 0; x < w; ++x) {
                d[x * 3] = s[x * 4];
                d[x * 3 + 1] = s[x * 4 + 1];
                d[x * 3 + 2] = s[x * 4 + 2];
            }
        }
        if (f.write(block.constData(), rowBytes * n) != rowBytes * n)
            return ImagingCondition::CannotWrite;
    }
    return f.commit() ? ImagingCondition::None : ImagingCondition::CannotWrite;
}

QByteArray Targa16(const QImage& image) {
    QByteArray out(18, '\0');
    out[2] = 2;
    qToLittleEndian<quint16>(quint16(image.width()), out.data() + 12);
    qToLittleEndian<quint16>(quint16(image.height()), out.data() + 14);
    out[16] = 16;
    out[17] = 0x20; // top-down rows
    return out + Rgb555Rows(image, false, 1);
}

void Reduce(Magick::Image& m, int bits) {
    if (bits == 4 || bits == 8) {
        m.quantizeColors(bits == 4 ? 16 : 256);
        m.quantizeDither(true);
        m.quantizeDitherMethod(MagickCore::FloydSteinbergDitherMethod);
        m.quantize();
        m.type(MagickCore::PaletteType);
    } else if (bits == 16) {
        m.type(MagickCore::GrayscaleType);
        m.depth(16);
    } else if (bits == 24) {
        m.matte(false);
        m.type(MagickCore::TrueColorType);
        m.depth(8);
    } else if (bits == 32) {
        m.matte(true);
        m.type(MagickCore::TrueColorMatteType);
        m.depth(8);
    }
}

void SetCodecOptions(Magick::Image& m, const Writer& w, const SaveOptions& o, int bits) {
    const char* sampling[] = {"1x1,1x1,1x1", "2x1,1x1,1x1", "2x2,1x1,1x1"};
    const int flavour = (w.code == 10 || w.code == 11) ? 0 : (w.code == 23 || w.code == 24) ? 1 : 2;
    switch (w.code) {
    case 10:
    case 23:
    case 21:
    case 11:
    case 24:
    case 22:
        m.quality(size_t(JpegQualityFromFactor(o.qualityFactor)));
        if (bits == 8) {
            m.type(MagickCore::GrayscaleType);
        } else {
            m.defineValue("jpeg", "sampling-factor", sampling[flavour]);
        }
        if (w.code == 11 || w.code == 24 || w.code == 22)
            m.compressType(MagickCore::JPEGCompression);
        break;
    case 3:
        m.compressType(MagickCore::NoCompression);
        break;
    case 17:
        m.compressType(MagickCore::LZWCompression);
        break;
    case 27:
        m.compressType(MagickCore::FaxCompression);
        break;
    case 29:
        m.compressType(MagickCore::Group4Compression);
        break;
    case 75:
        // zlib level 6 with adaptive filters for colour, none for palettes: close to level 9's
        // size at a fraction of its time.
        m.defineValue("png", "compression-level", "6");
        m.defineValue("png", "compression-filter", bits <= 8 ? "0" : "5");
        m.defineValue("png", "compression-strategy", bits <= 8 ? "0" : "1");
        if (bits <= 8) {
            m.defineValue("png", "bit-depth", std::to_string(bits));
            m.defineValue("png", "color-type", "3");
        }
        break;
    case 4:
    case 55:
        m.compressType(MagickCore::NoCompression);
        break;
    default:
        break;
    }
}

// A palette picture from the quantiser the other palette writers use, for our own encoders.
ImagingCondition ReduceToIndexed(const QImage& image, int bits, QImage& out) {
    EnsureMagick();
    try {
        Magick::Image m = FromQImage(image);
        m.matte(false);
        Reduce(m, bits);
        m.classType(MagickCore::PseudoClass);
        const int w = int(m.columns()), h = int(m.rows());
        const size_t colours = m.colorMapSize();
        if (colours == 0 || colours > (size_t(1) << bits))
            return ImagingCondition::Failure;
        QImage indexed(w, h, QImage::Format_Indexed8);
        if (indexed.isNull())
            return ImagingCondition::TooLarge;
        QList<QRgb> table;
        for (size_t i = 0; i < colours; ++i) {
            const Magick::Color c = m.colorMap(i);
            table.append(qRgb(MagickCore::ScaleQuantumToChar(c.redQuantum()),
                              MagickCore::ScaleQuantumToChar(c.greenQuantum()),
                              MagickCore::ScaleQuantumToChar(c.blueQuantum())));
        }
        indexed.setColorTable(table);
        m.getConstPixels(0, 0, size_t(w), size_t(h));
        const MagickCore::IndexPacket* index = m.getConstIndexes();
        if (!index)
            return ImagingCondition::Failure;
        for (int y = 0; y < h; ++y) {
            uchar* d = indexed.scanLine(y);
            for (int x = 0; x < w; ++x)
                d[x] = uchar(qMin<size_t>(size_t(index[qsizetype(y) * w + x]), colours - 1));
        }
        out = indexed;
    } catch (const Magick::Warning&) {
        return out.isNull() ? ImagingCondition::Failure : ImagingCondition::None;
    } catch (const Magick::Exception&) {
        return ImagingCondition::Failure;
    } catch (const std::bad_alloc&) {
        return ImagingCondition::TooLarge;
    }
    return ImagingCondition::None;
}

ImagingCondition WriteWpg(const QImage& image, const QString& path, int bits) {
    QImage src = image;
    if (bits > 1)
        if (const ImagingCondition c = ReduceToIndexed(image, bits, src);
            c != ImagingCondition::None)
            return c;
    const QByteArray bytes = EncodeWpg(src, bits);
    return bytes.isEmpty() ? ImagingCondition::Failure : WriteBytes(path, bytes);
}

ImagingCondition WriteOwn(const QImage& image, const QString& path, int code, int bits,
                          int factor) {
    switch (code) {
    case 51:
        return WriteBytes(path, EncodeMacPaint(image));
    case 52:
        return WriteBytes(path, EncodeGem(image));
    case 53:
        return WriteBytes(path, EncodeMsp(image));
    case 54:
        return WriteWpg(image, path, bits);
    case 15: {
        // A palette of the picture's own colours: the first 16 of a general palette would
        // repaint it.
        QImage src = image;
        if (bits == 4 || bits == 8)
            if (const ImagingCondition c = ReduceToIndexed(image, bits, src);
                c != ImagingCondition::None)
                return c;
        return WriteBytes(path, EncodeWmfBitmap(src, bits));
    }
    case 16:
        return WriteBytes(path, EncodeEps(image, bits));
    case 67: {
        const QByteArray fax = EncodeFax(image, FaxCoding::Group3TwoD);
        return fax.isEmpty() ? ImagingCondition::Failure : WriteBytes(path, fax);
    }
    case 71:
    case 72:
    case 73: {
        const FaxCoding coding = code == 71   ? FaxCoding::Group3
                                 : code == 72 ? FaxCoding::Group3TwoD
                                              : FaxCoding::Group4;
        if (image.width() > 0x7FFF || image.height() > 0x7FFF)
            return ImagingCondition::TooLarge; // sizes are 15-bit numbers there
        const QByteArray document = EncodeIoca(image, coding);
        return document.isEmpty() ? ImagingCondition::Failure : WriteBytes(path, document);
    }
    case 80:
    case 81:
    case 82:
    case 83: {
        // 82 takes the factor a new JPEG starts with, 83 the one given.
        const int quality = JpegQualityFromFactor(code == 83 ? factor : 20);
        const QByteArray file = EncodeFlashPix(image, bits, code - 80, quality);
        return file.isEmpty() ? ImagingCondition::Failure : WriteBytes(path, file);
    }
    default:
        return ImagingCondition::NoWriter;
    }
}

ImagingCondition WriteModern(const QImage& image, const QString& path, int code, int bits,
                             int factor) {
    const int quality = JpegQualityFromFactor(factor);
    switch (code) {
    case kHeifCode:
    case kAvifCode:
        return WriteHeif(image, path, code == kAvifCode, quality, bits == 32);
    case kWebpCode:
        return WriteWebp(image, path, quality, bits == 32);
    case kJxlCode:
        return WriteJxl(image, path, quality, bits == 32);
    default:
        return ImagingCondition::NoWriter;
    }
}

ImagingCondition WriteWithMagick(const QImage& image, const QString& path, const Writer& w,
                                 const SaveOptions& o, int bits, bool append) {
    EnsureMagick();
    try {
        Magick::Image m = bits == 1 ? FromQImage(ToMonoInk(image)) : FromQImage(image);
        if (bits == 1) {
            m.quantizeColors(2);
            m.quantizeDither(false);
            m.quantize();
            m.type(MagickCore::BilevelType);
            m.depth(1);
        } else {
            Reduce(m, bits);
        }
        if (bits <= 8)
            m.classType(MagickCore::PseudoClass);
        if (w.code == 76 && bits == 8) // an 8-bit Photoshop file is a grey one
            m.type(MagickCore::GrayscaleType);
        SetCodecOptions(m, w, o, bits);
        m.quiet(true);
        if (!append) {
            m.write(MagickSource(w.coder, path));
            return ImagingCondition::None;
        }
        std::list<Magick::Image> pages;
        Magick::readImages(&pages, MagickSource(w.coder, path));
        pages.push_back(m);
        Magick::writeImages(pages.begin(), pages.end(), MagickSource(w.coder, path), true);
    } catch (const Magick::Warning&) {
        return ImagingCondition::None;
    } catch (const Magick::Exception&) {
        return ImagingCondition::CannotWrite;
    } catch (const std::bad_alloc&) {
        return ImagingCondition::TooLarge;
    }
    return ImagingCondition::None;
}

// PCX pages at 1 and 24 bits come from our own writer; palette pages from ImageMagick's.
// Append turns the file into a DCX holding the pages it had and the new one.
ImagingCondition WritePcx(const QImage& image, const QString& path, int bits, bool append) {
    QByteArray page;
    if (!append && (bits == 1 || bits == 24)) {
        QSaveFile f(path);
        const bool ok = f.open(QIODevice::WriteOnly) &&
                        EncodePcx(image, bits, [&](const char* data, qsizetype n) {
                            return f.write(data, n) == n;
                        });
        return ok && f.commit() ? ImagingCondition::None : ImagingCondition::CannotWrite;
    }
    if (bits == 1 || bits == 24) {
        page = EncodePcx(image, bits);
    } else {
        QTemporaryFile temp(QFileInfo(path).dir().filePath(QStringLiteral("pcxpage-XXXXXX")));
        if (!temp.open())
            return ImagingCondition::CannotWrite;
        temp.close();
        const ImagingCondition c = WriteWithMagick(image, temp.fileName(), *FindWriter(1),
                                                   SaveOptions{1, bits, 0, false}, bits, false);
        if (c != ImagingCondition::None)
            return c;
        if (!temp.open())
            return ImagingCondition::CannotWrite;
        page = temp.readAll();
    }
    if (!append)
        return WriteBytes(path, page);
    QFile existing(path);
    if (!existing.open(QIODevice::ReadOnly))
        return ImagingCondition::CannotWrite;
    const QByteArray dcx = AppendDcxPage(existing.readAll(), page);
    existing.close();
    return dcx.isEmpty() ? ImagingCondition::CannotWrite : WriteBytes(path, dcx);
}

} // namespace

bool UsesQualityFactor(int code) {
    const FormatFacts* f = FindFormat(code);
    return f && f->qualityFactor && FindWriter(code);
}

bool CanWriteFormat(int code) {
    return FindWriter(code) != nullptr;
}

QList<int> WritableBits(int code) {
    const Writer* w = FindWriter(code);
    return w ? w->bits : QList<int>();
}

ImagingCondition SaveImage(const QImage& image, const QString& path, const SaveOptions& o) {
    const Writer* w = FindWriter(o.formatCode);
    if (!w)
        return ImagingCondition::NoWriter;
    if (image.isNull())
        return ImagingCondition::Failure;
    const int bits = o.bitsPerPixel ? o.bitsPerPixel : DefaultBits(*w, image);
    if (!w->bits.contains(bits))
        return ImagingCondition::InvalidBits;
    if (UsesQualityFactor(w->code) && !QualityFactorValid(o.qualityFactor))
        return ImagingCondition::InvalidQuality;
    const QFileInfo target(path);
    if (!target.dir().exists())
        return ImagingCondition::CannotWrite;
    const bool append = o.multiPage && w->append && target.exists() && target.size() > 0;

    if (IsModernCode(w->code))
        return WriteModern(image, path, w->code, bits, o.qualityFactor);
    if (!w->coder)
        return WriteOwn(image, path, w->code, bits, o.qualityFactor);
    if (w->code == 6 && bits >= 16)
        return WriteBmpDirect(image, bits, path);
    if (bits == 16 && w->code == 4)
        return WriteBytes(path, Targa16(image));
    if (w->code == 75 && bits >= 24)
        return WritePng(image, path, bits == 32);
    if (w->code == 55 && bits == 1)
        return WriteBytes(path, EncodeSunMono(image));
    if (w->code == 1)
        return WritePcx(image, path, bits, append);
    if ((w->code == 3 || w->code == 17) && bits == 24)
        return WriteTiffRgb(image, path, w->code == 17, append);
    if (w->code == 25 || w->code == 28)
        return WriteTiffFax(image, path, w->code == 25 ? FaxCoding::Rle : FaxCoding::Group3TwoD,
                            append);
    if ((w->code == 11 || w->code == 24 || w->code == 22) && bits == 24)
        return WriteTiffJpeg(image, path, w->code == 11 ? 1 : 2, w->code == 22 ? 2 : 1,
                             JpegQualityFromFactor(o.qualityFactor));
    return WriteWithMagick(image, path, *w, o, bits, append);
}

} // namespace q32
