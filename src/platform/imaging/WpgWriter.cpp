// WordPerfect raster: a version 1 graphics file holding one run-length coded bitmap. Reading
// goes through ImageMagick; the row decoder here checks our code (fuzz target).
#include "platform/imaging/ByteOrder.h"
#include "platform/imaging/OwnCodecs.h"

#include <cstring>

namespace q32::imaging {
namespace {

enum WpgRecord : uchar {
    kBitmap = 0x0B,
    kColourMap = 0x0E,
    kStart = 0x0F,
    kEnd = 0x10,
};

// A record's length takes one byte below 0xFF, else 0xFF and a word; lengths of 0x8000 and
// more need two words, the first flagged with its top bit.
void PutRecord(QByteArray& out, uchar type, const QByteArray& body) {
    out.append(char(type));
    const quint32 n = quint32(body.size());
    if (n < 0xFF) {
        out.append(char(n));
    } else {
        out.append(char(0xFF));
        if (n < 0x8000) {
            AppendLe<quint16>(out, quint16(n));
        } else {
            AppendLe<quint16>(out, quint16(0x8000 | (n >> 16)));
            AppendLe<quint16>(out, quint16(n & 0xFFFF));
        }
    }
    out += body;
}

// Sizes in the start record are in 1/1200 inch; our pixels are taken at 96 per inch.
unsigned Wpu(int pixels) {
    return unsigned(qMin<qint64>(qint64(pixels) * 1200 / 96, 0xFFFF));
}

// Entries of red, green, blue. 1-bit pictures need one too: without it readers take the first
// two colours of the format's default palette, black and green.
QByteArray ColourMap(const QList<QRgb>& table, int entries) {
    QByteArray body;
    AppendLe<quint16>(body, quint16(0));
    AppendLe<quint16>(body, quint16(entries));
    for (int i = 0; i < entries; ++i) {
        const QRgb c = i < table.size() ? table[i] : qRgb(0, 0, 0);
        body.append(char(qRed(c)));
        body.append(char(qGreen(c)));
        body.append(char(qBlue(c)));
    }
    return body;
}

// Fills row with the file's bytes for picture row y.
void PackRow(const QImage& src, int bits, int y, QByteArray& row) {
    const uchar* s = src.constScanLine(y);
    uchar* d = reinterpret_cast<uchar*>(row.data());
    const int w = src.width();
    if (bits == 1) { // ink bits are 1 for black; the file's 0 is black
        for (qsizetype i = 0; i < row.size(); ++i)
            d[i] = uchar(~s[i]);
    } else if (bits == 4) {
        std::memset(d, 0, size_t(row.size()));
        for (int x = 0; x < w; ++x)
            d[x / 2] |= uchar((s[x] & 0x0F) << (x % 2 ? 0 : 4));
    } else {
        std::memcpy(d, s, size_t(w));
    }
}

} // namespace

uchar* WpgRle(const uchar* in, int n, uchar* out) {
    // Runs start at three equal bytes: a run then costs less than it breaks up, so a row grows
    // only by the count byte of each literal of up to 127 bytes.
    const auto runAt = [&](int i) { return i + 2 < n && in[i] == in[i + 1] && in[i] == in[i + 2]; };
    int i = 0;
    while (i < n) {
        if (runAt(i)) {
            int run = 3;
            while (i + run < n && run < kWpgMaxCount && in[i + run] == in[i])
                ++run;
            *out++ = uchar(0x80 | run);
            *out++ = in[i];
            i += run;
            continue;
        }
        int lit = 1;
        while (i + lit < n && lit < kWpgMaxCount && !runAt(i + lit))
            ++lit;
        *out++ = uchar(lit);
        std::memcpy(out, in + i, size_t(lit));
        out += lit;
        i += lit;
    }
    return out;
}

bool WpgUnRle(const QByteArray& data, qsizetype& pos, uchar* row, int n) {
    int filled = 0;
    while (filled < n) {
        if (pos >= data.size())
            return false;
        const uchar code = uchar(data[pos++]);
        int count = code & 0x7F;
        if (code & 0x80) {
            if (pos >= data.size())
                return false;
            uchar value = 0xFF;
            if (count)
                value = uchar(data[pos++]);
            else
                count = uchar(data[pos++]);
            if (count > n - filled)
                return false;
            std::memset(row + filled, value, size_t(count));
        } else {
            if (count == 0 || count > n - filled || count > data.size() - pos)
                return false;
            std::memcpy(row + filled, data.constData() + pos, size_t(count));
            pos += count;
        }
        filled += count;
    }
    return true;
}

QByteArray EncodeWpg(const QImage& image, int bitsPerPixel) {
    const int bits = bitsPerPixel;
    if (bits != 1 && bits != 4 && bits != 8)
        return {};
    QImage src;
    if (bits == 1) {
        src = ToMonoInk(image);
    } else if (image.format() == QImage::Format_Indexed8 &&
               image.colorCount() <= (bits == 4 ? 16 : 256)) {
        src = image;
    } else {
        return {}; // palette pictures come reduced
    }
    const int w = qMin(src.width(), 0xFFFF), h = qMin(src.height(), 0xFFFF);
    if (w <= 0 || h <= 0)
        return {};

    // Records begin at 16; product 1, file type 0x16 (graphics), version 1.0, no encryption.
    QByteArray out = QByteArray("\xFFWPC", 4) + QByteArray::fromHex("100000000116010000000000");

    QByteArray start;
    start.append(char(1)); // version
    start.append(char(0)); // no PostScript inside
    AppendLe<quint16>(start, quint16(Wpu(w)));
    AppendLe<quint16>(start, quint16(Wpu(h)));
    PutRecord(out, kStart, start);

    PutRecord(
        out, kColourMap,
        ColourMap(bits == 1 ? QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)} : src.colorTable(),
                  1 << bits));

    QByteArray bitmap;
    for (unsigned v : {unsigned(w), unsigned(h), unsigned(bits), 96u, 96u})
        AppendLe<quint16>(bitmap, quint16(v));
    const int rowBytes = (w * bits + 7) / 8;
    QByteArray row(rowBytes, '\0');
    QByteArray coded(WpgRleBound(rowBytes), '\0');
    bitmap.reserve(bitmap.size() + qsizetype(rowBytes) * h / 2);
    for (int y = 0; y < h; ++y) {
        PackRow(src, bits, y, row);
        uchar* begin = reinterpret_cast<uchar*>(coded.data());
        const uchar* end = WpgRle(reinterpret_cast<const uchar*>(row.constData()), rowBytes, begin);
        bitmap.append(coded.constData(), end - begin);
    }
    PutRecord(out, kBitmap, bitmap);
    PutRecord(out, kEnd, {});
    return out;
}

} // namespace q32::imaging
