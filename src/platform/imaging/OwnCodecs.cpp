#include "platform/imaging/OwnCodecs.h"

#include "platform/imaging/ByteOrder.h"

#include <cstring>

namespace q32::imaging {
namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

QImage NewInkImage(int width, int height) {
    QImage img(width, height, QImage::Format_Mono);
    if (img.isNull())
        return img;
    img.setColorTable({kWhite, kBlack});
    img.fill(0);
    return img;
}

bool SideOk(int v) {
    return v > 0 && v <= kOwnCodecMaxSide;
}

// PackBits as MacPaint and TIFF use it.
QByteArray PackBits(const uchar* row, int n) {
    QByteArray out;
    int i = 0;
    while (i < n) {
        int run = 1;
        while (i + run < n && run < 128 && row[i + run] == row[i])
            ++run;
        if (run >= 2) {
            out.append(char(257 - run));
            out.append(char(row[i]));
            i += run;
            continue;
        }
        int lit = 1;
        while (i + lit < n && lit < 128 && !(i + lit + 1 < n && row[i + lit] == row[i + lit + 1]))
            ++lit;
        out.append(char(lit - 1));
        out.append(reinterpret_cast<const char*>(row + i), lit);
        i += lit;
    }
    return out;
}

// Unpacks exactly n bytes; false when the data ends early or a run overshoots the row.
bool UnpackBits(const QByteArray& d, qsizetype& pos, uchar* row, int n) {
    int filled = 0;
    while (filled < n) {
        if (pos >= d.size())
            return false;
        const int c = static_cast<signed char>(d[pos++]);
        if (c >= 0) {
            const int count = c + 1;
            if (filled + count > n || pos + count > d.size())
                return false;
            std::memcpy(row + filled, d.constData() + pos, size_t(count));
            pos += count;
            filled += count;
        } else if (c != -128) {
            const int count = 1 - c;
            if (filled + count > n || pos >= d.size())
                return false;
            std::memset(row + filled, ByteReader(d).u8(pos++), size_t(count));
            filled += count;
        }
    }
    return true;
}

} // namespace

QImage ToMonoInk(const QImage& image) {
    QImage mono =
        image.format() == QImage::Format_Mono
            ? image
            : image.convertToFormat(QImage::Format_Mono, Qt::MonoOnly | Qt::DiffuseDither);
    if (mono.isNull())
        return mono;
    QList<QRgb> table = mono.colorTable();
    while (table.size() < 2)
        table.append(table.isEmpty() ? kWhite : kBlack);
    if (qGray(table[0]) < qGray(table[1]))
        mono.invertPixels();
    else if (table[0] == table[1] && qGray(table[0]) < 128)
        mono.fill(1);
    mono.setColorTable({kWhite, kBlack});
    return mono;
}

// ---- Microsoft Paint: 32-byte little-endian header; version 2 adds a per-row length map and
// a byte run-length code. In the file a set bit is white.

ImagingCondition DecodeMsp(const QByteArray& d, QImage& out) {
    const ByteReader r(d);
    if (d.size() < 32)
        return ImagingCondition::Truncated;
    const bool v2 = d.startsWith("LinS");
    const int w = int(r.le16(4)), h = int(r.le16(6));
    if (!SideOk(w) || !SideOk(h))
        return ImagingCondition::Damaged;
    const int stride = (w + 7) / 8;
    // Enough data for what the header declares, before any pixel memory exists: a version 1
    // file holds every row whole, a version 2 file at least its row map.
    if (d.size() < 32 + (v2 ? qsizetype(h) * 2 : qsizetype(stride) * h))
        return ImagingCondition::Truncated;
    QImage img = NewInkImage(w, h);
    if (img.isNull())
        return ImagingCondition::TooLarge;
    QByteArray row(stride, '\0');
    qsizetype pos = 32;
    if (v2)
        pos += qsizetype(h) * 2; // the row map: we decode in order and need no offsets
    for (int y = 0; y < h; ++y) {
        if (!v2) {
            if (pos + stride > d.size())
                return ImagingCondition::Truncated;
            std::memcpy(row.data(), d.constData() + pos, size_t(stride));
            pos += stride;
        } else {
            const unsigned rowLength = r.le16(32 + qsizetype(y) * 2);
            const qsizetype end = pos + rowLength;
            if (end > d.size())
                return ImagingCondition::Truncated;
            if (rowLength == 0) {
                row.fill(char(0xFF));
            } else {
                int filled = 0;
                while (filled < stride && pos < end) {
                    const unsigned type = r.u8(pos++);
                    if (type == 0) {
                        if (pos + 2 > end)
                            return ImagingCondition::Damaged;
                        const int count = int(r.u8(pos));
                        const char value = d[pos + 1];
                        pos += 2;
                        if (filled + count > stride)
                            return ImagingCondition::Damaged;
                        std::memset(row.data() + filled, value, size_t(count));
                        filled += count;
                    } else {
                        const int count = int(type);
                        if (pos + count > end || filled + count > stride)
                            return ImagingCondition::Damaged;
                        std::memcpy(row.data() + filled, d.constData() + pos, size_t(count));
                        pos += count;
                        filled += count;
                    }
                }
                if (filled != stride)
                    return ImagingCondition::Damaged;
                pos = end;
            }
        }
        uchar* line = img.scanLine(y);
        for (int i = 0; i < stride; ++i)
            line[i] = uchar(~uchar(row[i]));
    }
    out = img;
    return ImagingCondition::None;
}

QByteArray EncodeMsp(const QImage& image) {
    const QImage ink = ToMonoInk(image);
    const int w = qMin(ink.width(), 0xFFFF), h = qMin(ink.height(), 0xFFFF);
    const int stride = (w + 7) / 8;
    QByteArray out;
    const unsigned words[12] = {0x694C, 0x536E, unsigned(w), unsigned(h), 1, 1,
                                1,      1,      unsigned(w), unsigned(h), 0, 0};
    unsigned checksum = 0;
    for (unsigned v : words) {
        AppendLe<quint16>(out, quint16(v));
        checksum ^= v;
    }
    AppendLe<quint16>(out, quint16(checksum));
    AppendLe<quint16>(out, quint16(0));
    AppendLe<quint16>(out, quint16(0));
    AppendLe<quint16>(out, quint16(0));
    QByteArray body;
    QByteArray map;
    QByteArray row(stride, '\0');
    for (int y = 0; y < h; ++y) {
        const uchar* line = ink.constScanLine(y);
        for (int i = 0; i < stride; ++i)
            row[i] = char(~line[i]);
        if (w % 8)
            row[stride - 1] = char(row[stride - 1] | (0xFF >> (w % 8)));
        QByteArray packed;
        int i = 0;
        while (i < stride) {
            int run = 1;
            while (i + run < stride && run < 255 && row[i + run] == row[i])
                ++run;
            if (run >= 3) {
                packed.append('\0');
                packed.append(char(run));
                packed.append(row[i]);
                i += run;
                continue;
            }
            int lit = 1;
            while (i + lit < stride && lit < 255 &&
                   !(i + lit + 2 < stride && row[i + lit] == row[i + lit + 1] &&
                     row[i + lit] == row[i + lit + 2]))
                ++lit;
            packed.append(char(lit));
            packed.append(row.constData() + i, lit);
            i += lit;
        }
        AppendLe<quint16>(map, quint16(packed.size()));
        body += packed;
    }
    return out + map + body;
}

// ---- GEM Image: big-endian header of (at least) 8 words; each row, plane by plane, is coded as
// solid runs, pattern runs, literal bit strings, with a prefix repeating a whole row.

bool GemLooksValid(const QByteArray& h) {
    const ByteReader r(h);
    if (h.size() < 16)
        return false;
    const unsigned version = r.be16(0), headerWords = r.be16(2), planes = r.be16(4),
                   pattern = r.be16(6);
    const unsigned w = r.be16(12), lines = r.be16(14);
    return (version == 1 || version == 2) && headerWords >= 8 && headerWords <= 1024 &&
           planes >= 1 && planes <= 8 && pattern >= 1 && pattern <= 8 && w >= 1 &&
           w <= unsigned(kOwnCodecMaxSide) && lines >= 1 && lines <= unsigned(kOwnCodecMaxSide) &&
           r.be16(8) > 0 && r.be16(10) > 0;
}

ImagingCondition DecodeGem(const QByteArray& d, QImage& out) {
    const ByteReader r(d);
    if (d.size() < 16)
        return ImagingCondition::Truncated;
    if (!GemLooksValid(d))
        return ImagingCondition::Damaged;
    const int headerBytes = int(r.be16(2)) * 2;
    const int planes = int(r.be16(4)), patternLength = int(r.be16(6));
    const int w = int(r.be16(12)), h = int(r.be16(14));
    const int stride = (w + 7) / 8;
    // The densest code gives 127 bytes of a plane row per byte and repeats a row 255 times for
    // four bytes: a file shorter than that bound cannot hold the declared picture.
    const qsizetype rowGroups = (h + 254) / 255;
    if (d.size() < headerBytes + rowGroups * planes * ((stride + 126) / 127))
        return ImagingCondition::Truncated;
    QImage img;
    if (planes == 1) {
        img = NewInkImage(w, h);
    } else {
        img = QImage(w, h, QImage::Format_Indexed8);
        QList<QRgb> grey;
        const int colours = 1 << planes;
        for (int i = 0; i < colours; ++i) {
            const int v = 255 - i * 255 / (colours - 1); // index 0 is paper, the last is full ink
            grey.append(qRgb(v, v, v));
        }
        if (!img.isNull())
            img.setColorTable(grey);
    }
    if (img.isNull())
        return ImagingCondition::TooLarge;
    QByteArray planeRows(stride * planes, '\0');
    qsizetype pos = headerBytes;
    int y = 0;
    while (y < h) {
        int repeat = 1;
        if (pos + 4 <= d.size() && r.u8(pos) == 0 && r.u8(pos + 1) == 0 && r.u8(pos + 2) == 0xFF) {
            repeat = int(r.u8(pos + 3));
            pos += 4;
        }
        for (int p = 0; p < planes; ++p) {
            char* row = planeRows.data() + p * stride;
            int filled = 0;
            while (filled < stride) {
                if (pos >= d.size())
                    return ImagingCondition::Truncated;
                const unsigned c = r.u8(pos++);
                if (c == 0) {
                    if (pos >= d.size())
                        return ImagingCondition::Truncated;
                    const int times = int(r.u8(pos++));
                    if (times == 0 || pos + patternLength > d.size() ||
                        filled + times * patternLength > stride)
                        return ImagingCondition::Damaged;
                    for (int t = 0; t < times; ++t) {
                        std::memcpy(row + filled, d.constData() + pos, size_t(patternLength));
                        filled += patternLength;
                    }
                    pos += patternLength;
                } else if (c == 0x80) {
                    if (pos >= d.size())
                        return ImagingCondition::Truncated;
                    const int count = int(r.u8(pos++));
                    if (pos + count > d.size())
                        return ImagingCondition::Truncated;
                    if (filled + count > stride)
                        return ImagingCondition::Damaged;
                    std::memcpy(row + filled, d.constData() + pos, size_t(count));
                    pos += count;
                    filled += count;
                } else {
                    const int count = int(c & 0x7F);
                    if (filled + count > stride)
                        return ImagingCondition::Damaged;
                    std::memset(row + filled, (c & 0x80) ? 0xFF : 0x00, size_t(count));
                    filled += count;
                }
            }
        }
        for (int r = 0; r < repeat && y < h; ++r, ++y) {
            uchar* line = img.scanLine(y);
            if (planes == 1) {
                std::memcpy(line, planeRows.constData(), size_t(stride));
                continue;
            }
            for (int x = 0; x < w; ++x) {
                int index = 0;
                for (int p = 0; p < planes; ++p)
                    if (uchar(planeRows[p * stride + x / 8]) & (0x80 >> (x % 8)))
                        index |= 1 << p;
                line[x] = uchar(index);
            }
        }
    }
    out = img;
    return ImagingCondition::None;
}

QByteArray EncodeGem(const QImage& image) {
    const QImage ink = ToMonoInk(image);
    const int w = qMin(ink.width(), kOwnCodecMaxSide), h = qMin(ink.height(), kOwnCodecMaxSide);
    const int stride = (w + 7) / 8;
    QByteArray out;
    // 85 micrometres per pixel is 300 dots per inch.
    for (unsigned v : {1u, 8u, 1u, 1u, 85u, 85u, unsigned(w), unsigned(h)})
        AppendBe<quint16>(out, quint16(v));
    auto encodeRow = [&](const uchar* row) {
        QByteArray r;
        int i = 0;
        while (i < stride) {
            const uchar b = row[i];
            if (b == 0x00 || b == 0xFF) {
                int run = 1;
                while (i + run < stride && run < 127 && row[i + run] == b)
                    ++run;
                r.append(char((b ? 0x80 : 0x00) | run));
                i += run;
                continue;
            }
            int lit = 1;
            while (i + lit < stride && lit < 255 && row[i + lit] != 0x00 && row[i + lit] != 0xFF)
                ++lit;
            r.append(char(0x80));
            r.append(char(lit));
            r.append(reinterpret_cast<const char*>(row + i), lit);
            i += lit;
        }
        return r;
    };
    int y = 0;
    while (y < h) {
        const uchar* row = ink.constScanLine(y);
        int same = 1;
        while (y + same < h && same < 255 &&
               std::memcmp(ink.constScanLine(y + same), row, size_t(stride)) == 0)
            ++same;
        if (same > 1) {
            out.append(QByteArray("\0\0\xFF", 3));
            out.append(char(same));
        }
        out += encodeRow(row);
        y += same;
    }
    return out;
}

// ---- MacPaint: 512-byte header, then 720 rows of 72 bytes, each row PackBits-packed on its own;
// a set bit is black. A MacBinary wrapper of 128 bytes may come first.

namespace {
qsizetype MacPaintStart(const QByteArray& d) {
    const ByteReader r(d);
    if (d.size() > 128 && r.u8(0) == 0 && r.u8(1) >= 1 && r.u8(1) <= 63 && d.mid(65, 4) == "PNTG")
        return 128;
    return 0;
}
} // namespace

bool MacPaintLooksValid(const QByteArray& head, qint64 fileSize) {
    const qsizetype start = MacPaintStart(head);
    if (fileSize < start + 512 + 720 * 2 || head.size() < start + 512 + 2)
        return false;
    const quint32 version = ByteReader(head).be32(start);
    if (version != 0 && version != 2 && version != 3)
        return false;
    // Rows must unpack to exactly 72 bytes each, as far as the head reaches.
    qsizetype pos = start + 512;
    uchar row[72];
    int rows = 0;
    while (pos < head.size() && rows < 720) {
        const qsizetype before = pos;
        if (!UnpackBits(head, pos, row, 72))
            return before + 200 > head.size() && rows >= 4; // ran off the head, not off the rules
        ++rows;
    }
    return rows >= 4;
}

ImagingCondition DecodeMacPaint(const QByteArray& d, QImage& out) {
    const qsizetype start = MacPaintStart(d);
    if (d.size() < start + 512)
        return ImagingCondition::Truncated;
    QImage img = NewInkImage(kMacPaintWidth, kMacPaintHeight);
    qsizetype pos = start + 512;
    for (int y = 0; y < kMacPaintHeight; ++y) {
        if (pos >= d.size())
            return ImagingCondition::Truncated;
        if (!UnpackBits(d, pos, img.scanLine(y), 72))
            return pos >= d.size() ? ImagingCondition::Truncated : ImagingCondition::Damaged;
    }
    out = img;
    return ImagingCondition::None;
}

QByteArray EncodeMacPaint(const QImage& image) {
    QImage page = NewInkImage(kMacPaintWidth, kMacPaintHeight);
    const QImage ink = ToMonoInk(image);
    const int rows = qMin(ink.height(), kMacPaintHeight);
    const int bytes = qMin((ink.width() + 7) / 8, 72);
    for (int y = 0; y < rows; ++y) {
        std::memcpy(page.scanLine(y), ink.constScanLine(y), size_t(bytes));
        if (ink.width() < kMacPaintWidth && ink.width() % 8) // clear the bits past the right edge
            page.scanLine(y)[bytes - 1] &= uchar(0xFF << (8 - ink.width() % 8));
    }
    QByteArray out(512, '\0');
    out[3] = 2;
    for (int i = 4; i < 4 + 38 * 8; ++i) // 38 patterns, plain black
        out[i] = char(0xFF);
    for (int y = 0; y < kMacPaintHeight; ++y)
        out += PackBits(page.constScanLine(y), 72);
    return out;
}

// ---- Windows Metafile holding one bitmap.

QByteArray EncodeWmfBitmap(const QImage& image, int bitsPerPixel) {
    const int w = qMin(image.width(), 0x7FFF), h = qMin(image.height(), 0x7FFF);
    QImage src = image.copy(0, 0, w, h);
    QList<QRgb> palette;
    if (bitsPerPixel == 1) {
        src = ToMonoInk(src);
        palette = src.colorTable();
    } else if (bitsPerPixel == 4 || bitsPerPixel == 8) {
        if (src.format() != QImage::Format_Indexed8)
            src = src.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
        palette = src.colorTable();
        palette.resize(1 << bitsPerPixel, kBlack);
    } else {
        bitsPerPixel = 24;
        src = src.convertToFormat(QImage::Format_RGB888);
    }
    const int rowBytes = ((w * bitsPerPixel + 31) / 32) * 4;
    QByteArray dib;
    AppendLe<quint32>(dib, quint32(40));
    AppendLe<quint32>(dib, quint32(w));
    AppendLe<quint32>(dib, quint32(h));
    AppendLe<quint16>(dib, quint16(1));
    AppendLe<quint16>(dib, quint16(bitsPerPixel));
    AppendLe<quint32>(dib, quint32(0));
    AppendLe<quint32>(dib, quint32(rowBytes * h));
    AppendLe<quint32>(dib, quint32(3780)); // 96 dots per inch
    AppendLe<quint32>(dib, quint32(3780));
    AppendLe<quint32>(dib, quint32(palette.size()));
    AppendLe<quint32>(dib, quint32(0));
    for (QRgb c : palette) {
        dib.append(char(qBlue(c)));
        dib.append(char(qGreen(c)));
        dib.append(char(qRed(c)));
        dib.append('\0');
    }
    QByteArray row(rowBytes, '\0');
    for (int y = h - 1; y >= 0; --y) { // bottom-up
        row.fill('\0');
        const uchar* s = src.constScanLine(y);
        if (bitsPerPixel == 24) {
            for (int x = 0; x < w; ++x) {
                row[x * 3] = char(s[x * 3 + 2]);
                row[x * 3 + 1] = char(s[x * 3 + 1]);
                row[x * 3 + 2] = char(s[x * 3]);
            }
        } else if (bitsPerPixel == 1) {
            std::memcpy(row.data(), s, size_t((w + 7) / 8));
        } else if (bitsPerPixel == 8) {
            std::memcpy(row.data(), s, size_t(w));
        } else {
            for (int x = 0; x < w; ++x)
                row[x / 2] = char(uchar(row[x / 2]) | ((s[x] & 0x0F) << ((x % 2) ? 0 : 4)));
        }
        dib += row;
    }
    if (dib.size() % 2)
        dib.append('\0');

    QByteArray records;
    auto record = [&](unsigned function, std::initializer_list<unsigned> params,
                      const QByteArray& tail = {}) {
        AppendLe<quint32>(records, quint32(3 + params.size() + tail.size() / 2));
        AppendLe<quint16>(records, quint16(function));
        for (unsigned p : params)
            AppendLe<quint16>(records, quint16(p));
        records += tail;
    };
    record(0x0103, {8});                        // SetMapMode: anisotropic
    record(0x020B, {0, 0});                     // SetWindowOrg
    record(0x020C, {unsigned(h), unsigned(w)}); // SetWindowExt
    const quint32 srcCopy = 0x00CC0020;
    record(0x0F43,
           {srcCopy & 0xFFFF, srcCopy >> 16, 0, unsigned(h), unsigned(w), 0, 0, unsigned(h),
            unsigned(w), 0, 0},
           dib);
    record(0x0000, {}); // end of file

    quint32 maxRecord = 0;
    for (qsizetype o = 0; o < records.size();) {
        const quint32 words = ByteReader(records).le32(o);
        maxRecord = qMax(maxRecord, words);
        o += qsizetype(words) * 2;
    }
    QByteArray out;
    AppendLe<quint32>(out, quint32(0x9AC6CDD7u));
    AppendLe<quint16>(out, quint16(0));
    for (unsigned v : {0u, 0u, unsigned(w), unsigned(h), 96u})
        AppendLe<quint16>(out, quint16(v));
    AppendLe<quint32>(out, quint32(0));
    unsigned checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= ByteReader(out).le16(i * 2);
    AppendLe<quint16>(out, quint16(checksum));
    AppendLe<quint16>(out, quint16(1));
    AppendLe<quint16>(out, quint16(9));
    AppendLe<quint16>(out, quint16(0x0300));
    AppendLe<quint32>(out, quint32(9 + records.size() / 2));
    AppendLe<quint16>(out, quint16(0));
    AppendLe<quint32>(out, quint32(maxRecord));
    AppendLe<quint16>(out, quint16(0));
    return out + records;
}

WmfSummary SummariseWmf(const QByteArray& head) {
    const ByteReader r(head);
    WmfSummary s;
    qsizetype pos = 0;
    if (r.le16(0) == 0xCDD7 && r.le16(2) == 0x9AC6) {
        const int left = int(qint16(r.le16(6))), top = int(qint16(r.le16(8)));
        const int right = int(qint16(r.le16(10))), bottom = int(qint16(r.le16(12)));
        const int inch = int(r.le16(14));
        if (inch > 0) { // shown at 96 dots per inch
            s.width = int(qAbs(right - left) * 96LL / inch);
            s.height = int(qAbs(bottom - top) * 96LL / inch);
        }
        pos = 22;
    }
    pos += qsizetype(r.le16(pos + 2)) * 2; // the metafile header
    while (pos + 6 <= head.size()) {
        const quint32 words = r.le32(pos);
        const unsigned function = r.le16(pos + 4);
        if (words < 3 || function == 0)
            break;
        qsizetype dibAt = -1;
        if (function == 0x0F43) // StretchDIB
            dibAt = pos + 6 + 22;
        else if (function == 0x0B41) // DIBStretchBlt
            dibAt = pos + 6 + 20;
        if (dibAt >= 0 && dibAt + 16 <= head.size()) {
            s.bitsPerPixel = int(r.le16(dibAt + 14));
            break;
        }
        pos += qsizetype(words) * 2;
    }
    return s;
}

bool RawFaxLooksValid(const QByteArray& head) {
    const ByteReader r(head);
    // An end-of-line code is eleven zero bits and a one, first or last bit first in the byte.
    if (head.size() < 16 || r.u8(0) != 0)
        return false;
    const unsigned b1 = r.u8(1);
    return (b1 & 0xF0) == 0x10 || (b1 & 0x0F) == 0x08 || b1 == 0x01 || b1 == 0x80;
}

} // namespace q32::imaging
