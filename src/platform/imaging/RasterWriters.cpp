// Our own ZSoft PCX (1-bit reader; 1- and 24-bit writer), multi-page DCX and 1-bit Sun Raster:
// ImageMagick stores two-colour pictures in these at 24 bits, reads 1-bit PCX with its colours
// swapped, and its PCX writer is slow.
#include "platform/imaging/ByteOrder.h"
#include "platform/imaging/OwnCodecs.h"

#include <cstring>

namespace q32::imaging {
namespace {

constexpr quint32 kDcxMagic = 0x3ADE68B1u;
constexpr int kDcxMaxPages = 1023;

// PCX run-length code: a byte with both top bits set is a count (1..63) for the byte after it.
uchar* PcxRle(const uchar* in, int n, uchar* out) {
    int i = 0;
    while (i < n) {
        const uchar v = in[i];
        int run = 1;
        while (i + run < n && run < 63 && in[i + run] == v)
            ++run;
        if (run > 1 || v >= 0xC0)
            *out++ = uchar(0xC0 | run);
        *out++ = v;
        i += run;
    }
    return out;
}

} // namespace

ImagingCondition DecodePcxMono(const QByteArray& file, QImage& out) {
    // A DCX of one page: the page its table points at.
    const QByteArray d = ByteReader(file).le32(0) == kDcxMagic
                             ? file.mid(qMin<qsizetype>(ByteReader(file).le32(4), file.size()))
                             : file;
    if (d.size() < 128)
        return ImagingCondition::Truncated;
    const ByteReader r(d);
    const auto u8 = [&](qint64 o) { return uchar(r.u8(o)); };
    if (u8(0) != 0x0A || u8(3) != 1 || u8(65) != 1)
        return ImagingCondition::Damaged;
    const int w = int(r.le16(8)) - int(r.le16(4)) + 1, h = int(r.le16(10)) - int(r.le16(6)) + 1;
    const int bytesPerLine = int(r.le16(66));
    if (w <= 0 || h <= 0 || w > kOwnCodecMaxSide || h > kOwnCodecMaxSide ||
        bytesPerLine < (w + 7) / 8)
        return ImagingCondition::Damaged;
    // A run of two bytes gives at most 63: refuse a declared size the data cannot fill before
    // any pixel memory exists.
    if ((d.size() - 128) * 63 / 2 + 63 < qint64(bytesPerLine) * h)
        return ImagingCondition::Truncated;
    QImage img(w, h, QImage::Format_Mono);
    if (img.isNull())
        return ImagingCondition::TooLarge;
    // The header's two colours when they differ; otherwise 0 is black and 1 white.
    const QRgb c0 = qRgb(u8(16), u8(17), u8(18)), c1 = qRgb(u8(19), u8(20), u8(21));
    img.setColorTable(c0 != c1 ? QList<QRgb>{c0, c1}
                               : QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)});
    const bool raw = u8(2) == 0;
    const int used = (w + 7) / 8;
    QByteArray line(bytesPerLine, '\0');
    qsizetype pos = 128;
    for (int y = 0; y < h; ++y) {
        int filled = 0;
        while (filled < bytesPerLine) {
            if (pos >= d.size())
                return ImagingCondition::Truncated;
            uchar v = u8(int(pos++));
            int count = 1;
            if (!raw && v >= 0xC0) {
                count = v & 0x3F;
                if (pos >= d.size())
                    return ImagingCondition::Truncated;
                v = u8(int(pos++));
            }
            // A run may spill into the next row; keep what belongs to this one.
            count = qMin(count, bytesPerLine - filled);
            std::memset(line.data() + filled, v, size_t(count));
            filled += count;
        }
        std::memcpy(img.scanLine(y), line.constData(), size_t(used));
    }
    out = img;
    return ImagingCondition::None;
}

bool EncodePcx(const QImage& image, int bitsPerPixel, const PcxSink& sink) {
    const bool mono = bitsPerPixel == 1;
    const QImage src = mono ? ToMonoInk(image) : image.convertToFormat(QImage::Format_RGB32);
    const int w = qMin(src.width(), 0xFFFF), h = qMin(src.height(), 0xFFFF);
    const int planes = mono ? 1 : 3;
    const int plane = mono ? (w + 7) / 8 : w;
    const int bytesPerLine = plane + (plane & 1); // rows hold an even number of bytes
    uchar hd[128] = {};
    hd[0] = 0x0A;
    hd[1] = 5;
    hd[2] = 1;
    hd[3] = mono ? 1 : 8;
    qToLittleEndian<quint16>(quint16(w - 1), hd + 8);
    qToLittleEndian<quint16>(quint16(h - 1), hd + 10);
    qToLittleEndian<quint16>(quint16(96), hd + 12);
    qToLittleEndian<quint16>(quint16(96), hd + 14);
    if (mono) // pixel 0 black, 1 white
        std::memset(hd + 19, 0xFF, 3);
    hd[65] = uchar(planes);
    qToLittleEndian<quint16>(quint16(bytesPerLine), hd + 66);
    qToLittleEndian<quint16>(quint16(1), hd + 68);
    if (!sink(reinterpret_cast<const char*>(hd), 128))
        return false;

    QByteArray line(qsizetype(bytesPerLine) * planes, '\0');
    uchar* l = reinterpret_cast<uchar*>(line.data());
    // Coded rows gathered into blocks of about a megabyte; the code at worst doubles a row.
    const qsizetype worstRow = qsizetype(bytesPerLine) * planes * 2;
    QByteArray block(qMax<qsizetype>(worstRow, qsizetype(1) << 20), '\0');
    uchar* const begin = reinterpret_cast<uchar*>(block.data());
    uchar* d = begin;
    for (int y = 0; y < h; ++y) {
        const uchar* s = src.constScanLine(y);
        if (mono) {
            for (int i = 0; i < plane; ++i)
                l[i] = uchar(~s[i]); // ink bits are 1 for black
        } else {
            for (int x = 0; x < w; ++x) { // B, G, R, X in memory
                l[x] = s[x * 4 + 2];
                l[bytesPerLine + x] = s[x * 4 + 1];
                l[2 * bytesPerLine + x] = s[x * 4];
            }
        }
        if ((d - begin) + worstRow > block.size()) {
            if (!sink(block.constData(), d - begin))
                return false;
            d = begin;
        }
        d = PcxRle(l, bytesPerLine * planes, d);
    }
    return sink(block.constData(), d - begin);
}

QByteArray EncodePcx(const QImage& image, int bitsPerPixel) {
    QByteArray out;
    EncodePcx(image, bitsPerPixel, [&](const char* data, qsizetype n) {
        out.append(data, n);
        return true;
    });
    return out;
}

QByteArray AppendDcxPage(const QByteArray& existing, const QByteArray& page) {
    QList<QByteArray> pages;
    if (existing.size() >= 8 && ByteReader(existing).le32(0) == kDcxMagic) {
        QList<quint32> offsets;
        for (qsizetype o = 4; o + 4 <= existing.size() && offsets.size() < kDcxMaxPages; o += 4) {
            const quint32 at = ByteReader(existing).le32(o);
            if (!at)
                break;
            offsets.append(at);
        }
        for (qsizetype i = 0; i < offsets.size(); ++i) {
            const qsizetype from = offsets[i];
            const qsizetype to =
                i + 1 < offsets.size() ? qsizetype(offsets[i + 1]) : existing.size();
            if (from < to && to <= existing.size())
                pages.append(existing.mid(from, to - from));
        }
    } else if (!existing.isEmpty()) {
        pages.append(existing);
    }
    if (pages.size() >= kDcxMaxPages)
        return {};
    pages.append(page);
    QByteArray out;
    const qsizetype tableBytes = 4 + 4 * (kDcxMaxPages + 1);
    out.reserve(tableBytes);
    AppendLe<quint32>(out, kDcxMagic);
    qsizetype at = tableBytes;
    for (const QByteArray& p : pages) {
        AppendLe<quint32>(out, quint32(at));
        at += p.size();
    }
    out.append(QByteArray(tableBytes - out.size(), '\0'));
    for (const QByteArray& p : pages)
        out += p;
    return out;
}

QByteArray EncodeSunMono(const QImage& image) {
    const QImage ink = ToMonoInk(image); // a set bit is black, as in the format
    const int w = ink.width(), h = ink.height();
    const int rowBytes = ((w + 15) / 16) * 2;
    QByteArray out;
    for (quint32 v : {0x59A66A95u, quint32(w), quint32(h), 1u, quint32(rowBytes * h), 1u, 0u, 0u})
        AppendBe<quint32>(out, v);
    out.reserve(out.size() + qsizetype(rowBytes) * h);
    QByteArray row(rowBytes, '\0');
    const int used = (w + 7) / 8;
    for (int y = 0; y < h; ++y) {
        std::memcpy(row.data(), ink.constScanLine(y), size_t(used));
        if (w % 8)
            row[used - 1] = char(uchar(row[used - 1]) & uchar(0xFF << (8 - w % 8)));
        out += row;
    }
    return out;
}

} // namespace q32::imaging
