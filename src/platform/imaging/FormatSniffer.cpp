#include "platform/imaging/FormatSniffer.h"

#include "platform/imaging/ByteOrder.h"
#include "platform/imaging/IsoBmff.h"
#include "platform/imaging/OwnCodecs.h"

#include <climits>

namespace q32::imaging {
namespace {

Sniffed Bmp(const ByteReader& b) {
    Sniffed s;
    const quint32 headerSize = b.le32(14);
    if (headerSize == 12) {
        s.code = 14;
        s.width = int(b.le16(18));
        s.height = int(b.le16(20));
        s.bitsPerPixel = int(b.le16(24));
    } else if (headerSize >= 16 && headerSize <= 124) {
        // 64 (and 16) is the OS/2 2.x header; 40, 52, 56, 108, 124 are Windows.
        s.code = (headerSize == 64 || headerSize == 16) ? 74 : 6;
        s.width = int(qint32(b.le32(18)));
        // Negative is top-down; -2^31 has no positive int, so widen before turning it.
        const qint64 h = qint32(b.le32(22));
        s.height = int(qMin<qint64>(h < 0 ? -h : h, INT_MAX));
        s.bitsPerPixel = int(b.le16(28));
    } else {
        return s;
    }
    s.truncated = !b.has(14, int(headerSize));
    return s;
}

Sniffed Jpeg(const ByteReader& b) {
    Sniffed s;
    s.code = 10;
    // Walk the markers up to the frame header; a big APP segment may push it past the head,
    // in which case a library reads the size.
    int o = 2;
    while (b.has(o, 4)) {
        if (b.u8(o) != 0xFF) {
            ++o;
            continue;
        }
        const unsigned marker = b.u8(o + 1);
        if (marker == 0xFF) {
            ++o;
            continue;
        }
        const int len = int(b.be16(o + 2));
        const bool sof =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (sof) {
            if (!b.has(o + 9, 1))
                break;
            s.height = int(b.be16(o + 5));
            s.width = int(b.be16(o + 7));
            s.bitsPerPixel = int(b.u8(o + 9)) * int(b.u8(o + 4));
            if (s.bitsPerPixel == 32) // CMYK shows as RGB
                s.bitsPerPixel = 24;
            break;
        }
        if (len < 2)
            break;
        o += 2 + len;
    }
    return s;
}

Sniffed Png(const ByteReader& b) {
    Sniffed s;
    s.code = 75;
    if (!b.has(16, 13) || !b.at(12, "IHDR")) {
        s.truncated = !b.has(16, 13);
        return s;
    }
    s.width = int(b.be32(16));
    s.height = int(b.be32(20));
    const int depth = int(b.u8(24));
    const int channels[] = {1, 0, 3, 1, 2, 0, 4};
    const unsigned type = b.u8(25);
    s.bitsPerPixel = depth * (type < 7 ? channels[type] : 0);
    return s;
}

Sniffed Gif(const ByteReader& b) {
    Sniffed s;
    s.code = 2;
    s.width = int(b.le16(6));
    s.height = int(b.le16(8));
    s.bitsPerPixel = int(b.u8(10) & 7) + 1;
    s.truncated = !b.has(6, 7);
    return s;
}

Sniffed Pcx(const ByteReader& b) {
    Sniffed s;
    const unsigned version = b.u8(1), encoding = b.u8(2), bpp = b.u8(3);
    if (!(version == 0 || (version >= 2 && version <= 5)) || encoding > 1 ||
        !(bpp == 1 || bpp == 2 || bpp == 4 || bpp == 8))
        return s;
    if (!b.has(0, 128))
        return Sniffed{1, 0, 0, 0, true};
    const unsigned planes = b.u8(65);
    if (planes < 1 || planes > 4)
        return s;
    s.code = 1;
    s.width = int(b.le16(8)) - int(b.le16(4)) + 1;
    s.height = int(b.le16(10)) - int(b.le16(6)) + 1;
    s.bitsPerPixel = int(bpp * planes);
    if (s.width <= 0 || s.height <= 0)
        s.code = 0;
    return s;
}

Sniffed Targa(const ByteReader& b, qint64 fileSize) {
    Sniffed s;
    if (!b.has(0, 18))
        return s;
    const unsigned mapType = b.u8(1), type = b.u8(2), depth = b.u8(16);
    const unsigned mapDepth = b.u8(7);
    const bool typeOk =
        type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
    const bool depthOk = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
    const bool mapOk =
        mapType == 0 ||
        (mapType == 1 && (mapDepth == 15 || mapDepth == 16 || mapDepth == 24 || mapDepth == 32));
    const bool palettedOk = (type == 1 || type == 9) == (mapType == 1);
    if (!typeOk || !depthOk || !mapOk || !palettedOk || (b.u8(17) & 0xC0) != 0)
        return s;
    s.width = int(b.le16(12));
    s.height = int(b.le16(14));
    if (s.width == 0 || s.height == 0 || fileSize < 18 + 1)
        return Sniffed{};
    s.code = 4;
    s.bitsPerPixel = depth == 15 ? 16 : int(depth);
    return s;
}

Sniffed Tiff() {
    // Size and compression come from libtiff through Magick: the IFD can sit anywhere in the file.
    Sniffed s;
    s.code = 3;
    return s;
}

Sniffed Sun(const ByteReader& b) {
    Sniffed s;
    s.code = 55;
    s.width = int(b.be32(4));
    s.height = int(b.be32(8));
    s.bitsPerPixel = int(b.be32(12));
    s.truncated = !b.has(0, 32);
    return s;
}

Sniffed Psd(const ByteReader& b) {
    Sniffed s;
    s.code = 76;
    const int channels = int(b.be16(12));
    s.height = int(b.be32(14));
    s.width = int(b.be32(18));
    const int depth = int(b.be16(22));
    const int mode = int(b.be16(24));
    // Bitmap, greyscale and indexed pictures have one channel worth showing; colour ones three.
    int shown = mode == 0 || mode == 1 || mode == 2 || mode == 8 ? 1 : 3;
    if (mode == 3 && channels >= 4)
        shown = 4;
    s.bitsPerPixel = depth * shown;
    s.truncated = !b.has(0, 26);
    return s;
}

// The picture an icon directory entry points at: PNG, or a bitmap header whose height counts
// the mask rows too. False when there is none inside b.
bool EmbeddedIcon(const ByteReader& b, qint64 at, Sniffed& s) {
    if (b.at(at, "\x89PNG\r\n\x1a\n") && b.has(at + 16, 10)) {
        const int channels[] = {1, 0, 3, 1, 2, 0, 4};
        const unsigned type = b.u8(at + 25);
        s.width = int(b.be32(at + 16));
        s.height = int(b.be32(at + 20));
        s.bitsPerPixel = int(b.u8(at + 24)) * (type < 7 ? channels[type] : 0);
        return true;
    }
    if (b.le32(at) >= 40 && b.has(at, 16)) {
        s.width = int(qint32(b.le32(at + 4)));
        s.height = int(qint32(b.le32(at + 8)) / 2);
        s.bitsPerPixel = int(b.le16(at + 14));
        return true;
    }
    return false;
}

Sniffed Icon(const ByteReader& b, int code) {
    Sniffed s;
    s.code = code;
    if (!b.has(6, 16))
        return Sniffed{code, 0, 0, 0, true};
    s.width = b.u8(6) == 0 ? 256 : int(b.u8(6));
    s.height = b.u8(7) == 0 ? 256 : int(b.u8(7));
    // An icon's directory holds planes and depth where a cursor's holds its hot spot.
    const int colours = int(b.u8(8));
    s.bitsPerPixel = code == 91 && b.le16(12) ? int(b.le16(12))
                     : colours == 2           ? 1
                     : colours == 16          ? 4
                     : colours                ? 8
                                              : 0;
    EmbeddedIcon(b, b.le32(18), s); // the embedded picture has the last word
    return s;
}

bool IsPict(const ByteReader& b, int at) {
    // After the size word and the frame: version 1 opcode, or the version 2 header opcode.
    return (b.u8(at + 10) == 0x11 && b.u8(at + 11) == 0x01) ||
           (b.be16(at + 10) == 0x0011 && b.be16(at + 12) == 0x02FF);
}

Sniffed WmfInfo(const QByteArray& head) {
    const WmfSummary w = SummariseWmf(head);
    return Sniffed{15, w.width, w.height, w.bitsPerPixel, false};
}

Sniffed Eps(const ByteReader& b) {
    // The binary DOS header says which preview the file carries.
    Sniffed s;
    s.code = 16;
    const quint32 wmfLength = b.le32(16), tiffLength = b.le32(24);
    if (tiffLength)
        s.code = 63;
    else if (wmfLength)
        s.code = 64;
    return s;
}

// Camera raw files that do not start as a TIFF: Olympus, Panasonic, Fujifilm, old Canon,
// Minolta, Sigma.
bool CameraRawMagic(const ByteReader& b) {
    return b.at(0, "IIRO") || b.at(0, "IIRS") || b.at(0, "MMOR") ||
           b.at(0, QByteArrayView("IIU\0", 4)) || b.at(0, "FUJIFILMCCD-RAW") ||
           (b.at(0, "II\x1A") && b.at(6, "HEAPCCDR")) || b.at(0, QByteArrayView("\0MRM", 4)) ||
           b.at(0, "FOVb");
}

} // namespace

int SniffClip(const QByteArray& head) {
    const ByteReader b(head);
    if (b.at(4, "ftyp")) {
        if (IsoBmffImageCode(b) != 0)
            return 0;
        return b.at(8, "qt  ") ? 94 : 95;
    }
    // QuickTime files older than the 'ftyp' box start with their movie or its data.
    if (b.at(4, "moov") || b.at(4, "mdat") || b.at(4, "wide") || b.at(4, "pnot"))
        return 94;
    if (b.at(0, "\x1A\x45\xDF\xA3")) {
        // The EBML header names the document type within its first few dozen bytes.
        const QByteArray header = head.left(64);
        if (header.contains("webm"))
            return 96;
        return header.contains("matroska") ? 97 : 0;
    }
    if (b.at(0, "RIFF") && b.at(8, "AVI "))
        return 59;
    // Program stream pack, or a bare MPEG-1/2 video sequence.
    if (b.at(0, QByteArrayView("\0\0\x01\xBA", 4)) || b.at(0, QByteArrayView("\0\0\x01\xB3", 4)))
        return 93;
    // Transport stream: a sync byte every 188 bytes (192 with the time codes of AVCHD's .m2ts).
    for (const int lead : {0, 4}) {
        const int packet = lead == 0 ? 188 : 192;
        if (b.has(lead + 2 * packet, 1) && b.u8(lead) == 0x47 && b.u8(lead + packet) == 0x47 &&
            b.u8(lead + 2 * packet) == 0x47)
            return 93;
    }
    return 0;
}

QByteArray IconWithTrueDirectory(const QByteArray& file) {
    QByteArray out = file;
    const ByteReader b(file);
    const int count = qMin(int(b.le16(4)), 1024);
    for (int i = 0; i < count; ++i) {
        const qint64 entry = 6 + qint64(i) * 16;
        Sniffed s;
        if (!b.has(entry, 16) || !EmbeddedIcon(b, b.le32(entry + 12), s))
            continue;
        if (s.width > 0 && s.width <= 256 && s.height > 0 && s.height <= 256) {
            out[entry] = char(s.width & 0xFF); // 256 is written as 0
            out[entry + 1] = char(s.height & 0xFF);
        }
    }
    return out;
}

Sniffed SniffFormat(const QByteArray& head, qint64 fileSize) {
    const ByteReader b(head);
    if (b.at(0, "BM") || b.at(0, "BA"))
        return b.at(0, "BA") ? Sniffed{74, 0, 0, 0, false} : Bmp(b);
    if (b.u8(0) == 0xFF && b.u8(1) == 0xD8 && b.u8(2) == 0xFF)
        return Jpeg(b);
    if (b.at(0, "\x89PNG\r\n\x1a\n"))
        return Png(b);
    if (b.at(0, "GIF87a") || b.at(0, "GIF89a"))
        return Gif(b);
    // Classic TIFF (42) and BigTIFF (43); camera raw files built on TIFF are told apart later.
    if ((b.at(0, "II") && (b.le16(2) == 42 || b.le16(2) == 43)) ||
        (b.at(0, "MM") && (b.be16(2) == 42 || b.be16(2) == 43)))
        return Tiff();
    if (b.at(0, "RIFF") && b.at(8, "WEBP"))
        return Sniffed{87, 0, 0, 0, !b.has(0, 16)};
    if (b.at(0, "\xFF\x0A") || b.at(0, QByteArrayView("\0\0\0\x0CJXL \r\n\x87\n", 12)))
        return Sniffed{88, 0, 0, 0, false};
    if (const int code = IsoBmffImageCode(b))
        return Sniffed{code, 0, 0, 0, false};
    if (CameraRawMagic(b))
        return Sniffed{90, 0, 0, 0, false};
    if (b.at(0, "8BPS"))
        return Psd(b);
    if (b.be32(0) == 0x59A66A95u)
        return Sun(b);
    if (b.le32(0) == 0x9AC6CDD7u ||
        ((b.le16(0) == 1 || b.le16(0) == 2) && b.le16(2) == 9 && b.le16(4) == 0x0300))
        return WmfInfo(head);
    if (b.le32(0) == 0xC6D3D0C5u)
        return Eps(b);
    if (b.at(0, "%!PS-Adobe-") && head.left(64).contains("EPSF"))
        return Sniffed{16, 0, 0, 0, false};
    if (b.at(0, "\xFFWPC"))
        return Sniffed{54, 0, 0, 0, false};
    if (b.at(0, "DanM") || b.at(0, "LinS"))
        return Sniffed{53, int(b.le16(4)), int(b.le16(6)), 1, !b.has(0, 32)};
    if (b.at(0, "PCD_OPA") || b.at(0x800, "PCD_IPI"))
        return Sniffed{57, 0, 0, 24, false};
    if (b.le32(0) == 0x3ADE68B1u) // DCX: a PCX with pages
        return Sniffed{1, 0, 0, 0, false};
    if (b.le16(0) == 0 && (b.le16(2) == 1 || b.le16(2) == 2) && b.le16(4) >= 1 && b.u8(9) == 0 &&
        b.le32(18) > 0)
        return Icon(b, b.le16(2) == 1 ? 91 : 92);
    if (b.has(0, 128) && (b.at(0, "srcdocid:") || b.at(0, "version:") || b.at(0, "rtype:")) &&
        head.left(2048).contains("rpelcnt:"))
        return Sniffed{50, 0, 0, 1, false};
    if (IsPict(b, 512) || IsPict(b, 0))
        return Sniffed{56, 0, 0, 0, false};
    if (b.u8(0) == 0x0A) {
        const Sniffed pcx = Pcx(b);
        if (pcx.code)
            return pcx;
    }
    if (GemLooksValid(head))
        return Sniffed{52, int(b.be16(12)), int(b.be16(14)), int(b.be16(4)), false};
    if (MacPaintLooksValid(head, fileSize))
        return Sniffed{51, 576, 720, 1, false};
    const Sniffed tga = Targa(b, fileSize);
    if (tga.code)
        return tga;
    if (RawFaxLooksValid(head))
        return Sniffed{77, 0, 0, 1, false};
    return Sniffed{};
}

} // namespace q32::imaging
