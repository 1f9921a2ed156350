// The TIFF header walk: size, depth, compression and page count from the directories alone,
// for TIFF and BigTIFF, and the marks that tell a camera's raw file from a TIFF.
#include "platform/imaging/ByteOrder.h"
#include "platform/imaging/FileProbe.h"

#include <QFile>
#include <QSet>
#include <climits>

namespace q32::imaging {
namespace {

constexpr int kMaxPages = 10000;
constexpr quint64 kMaxEntries = 4096; // a real directory holds a few dozen

enum Tag : quint16 {
    NewSubfileType = 254,
    ImageWidth = 256,
    ImageLength = 257,
    BitsPerSample = 258,
    Compression = 259,
    Photometric = 262,
    Make = 271,
    Orientation = 274,
    SamplesPerPixel = 277,
    T4Options = 292,
    SubIfds = 330,
    YCbCrSubSampling = 530,
    DngVersion = 50706,
};

// Bytes of one value of a TIFF field type; 0 for a type we do not read.
int TypeSize(unsigned type) {
    switch (type) {
    case 1: // BYTE
    case 2: // ASCII
    case 6: // SBYTE
    case 7: // UNDEFINED
        return 1;
    case 3: // SHORT
    case 8: // SSHORT
        return 2;
    case 4:  // LONG
    case 9:  // SLONG
    case 13: // IFD
        return 4;
    case 16: // LONG8
    case 17: // SLONG8
    case 18: // IFD8
        return 8;
    default:
        return 0;
    }
}

struct Entry {
    quint16 tag = 0;
    unsigned type = 0;
    quint64 count = 0;
    QByteArray values; // count values of the type, in the file's byte order
};

class TiffWalker {
public:
    explicit TiffWalker(QIODevice& f) : m_f(f) {}

    // Reads the header; false for a file too short to hold one.
    bool init() {
        const QByteArray h = readAt(0, 16);
        const ByteReader r(h);
        if (h.size() < 8)
            return false;
        m_le = h[0] == 'I';
        m_big = r.u16(2, m_le) == 43;
        if (!m_big) {
            m_canonRaw = r.at(8, "CR"); // Canon's CR2 marks its header
            m_first = r.u32(4, m_le);
            return true;
        }
        // BigTIFF: the offset size (always 8), a reserved word, then an 8-byte offset.
        m_first = r.u64(8, m_le);
        return h.size() >= 16 && r.u16(4, m_le) == 8;
    }
    quint64 first() const { return m_first; }
    bool canonRaw() const { return m_canonRaw; }
    bool littleEndian() const { return m_le; }

    // The directory at offset; false when it is cut short or out of the file.
    bool readDirectory(quint64 offset, QList<Entry>& entries, quint64& next) {
        const int countBytes = m_big ? 8 : 2, entryBytes = m_big ? 20 : 12;
        const QByteArray c = readAt(offset, countBytes);
        if (c.size() < countBytes)
            return false;
        const quint64 count = m_big ? ByteReader(c).u64(0, m_le) : ByteReader(c).u16(0, m_le);
        if (count > kMaxEntries)
            return false;
        const qint64 bytes = qint64(count) * entryBytes + countBytes;
        const QByteArray d = readAt(offset + countBytes, bytes);
        if (d.size() < bytes)
            return false;
        const ByteReader r(d);
        entries.clear();
        for (quint64 i = 0; i < count; ++i) {
            const qint64 e = qint64(i) * entryBytes;
            Entry entry;
            entry.tag = r.u16(e, m_le);
            entry.type = r.u16(e + 2, m_le);
            entry.count = m_big ? r.u64(e + 4, m_le) : r.u32(e + 4, m_le);
            const int size = TypeSize(entry.type);
            const qint64 inlineBytes = m_big ? 8 : 4, valueAt = e + (m_big ? 12 : 8);
            // Only the first few values of a field matter here.
            const qint64 wanted = qint64(qMin<quint64>(entry.count, 64)) * size;
            if (wanted > 0 && quint64(size) * entry.count <= quint64(inlineBytes))
                entry.values = d.mid(valueAt, wanted);
            else if (wanted > 0)
                entry.values = readAt(m_big ? r.u64(valueAt, m_le) : r.u32(valueAt, m_le), wanted);
            entries.append(entry);
        }
        next = m_big ? r.u64(qint64(count) * entryBytes, m_le) : r.u32(qint64(count) * 12, m_le);
        return true;
    }

    // The i-th value of a numeric field, 0 when it has none.
    quint64 value(const Entry& e, int i = 0) const {
        const ByteReader r(e.values);
        const int size = TypeSize(e.type);
        switch (size) {
        case 1:
            return r.u8(i);
        case 2:
            return r.u16(qint64(i) * 2, m_le);
        case 4:
            return r.u32(qint64(i) * 4, m_le);
        case 8:
            return r.u64(qint64(i) * 8, m_le);
        default:
            return 0;
        }
    }

private:
    QByteArray readAt(quint64 offset, qint64 n) {
        if (offset > quint64(m_f.size()) || !m_f.seek(qint64(offset)))
            return {};
        return m_f.read(n);
    }

    QIODevice& m_f;
    bool m_le = true;
    bool m_big = false;
    bool m_canonRaw = false;
    quint64 m_first = 0;
};

// Compressions and photometric kinds that only a camera's sensor data uses.
bool RawOnly(quint64 compression, quint64 photometric) {
    return photometric == 32803 || photometric == 34892 || compression == 34713 ||
           compression == 32767 || compression == 32769 || compression == 32770 ||
           compression == 65000 || compression == 65535;
}

} // namespace

ImagingCondition ProbeTiff(const QString& path, ImageInfo& info, TiffKind* kind) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return ImagingCondition::FileUnreadable;
    return ProbeTiff(f, info, kind);
}

ImagingCondition ProbeTiff(QIODevice& f, ImageInfo& info, TiffKind* kind) {
    TiffWalker t(f);
    if (!t.init())
        return ImagingCondition::Truncated;

    QList<Entry> first;
    quint64 next = 0;
    if (!t.readDirectory(t.first(), first, next))
        return ImagingCondition::Truncated;
    // The page count follows the chain; a broken link past the first page only ends it.
    int pages = 1;
    QSet<quint64> seen{t.first()};
    QList<Entry> entries;
    while (next && pages < kMaxPages && !seen.contains(next)) {
        seen.insert(next);
        quint64 after = 0;
        if (!t.readDirectory(next, entries, after))
            break;
        ++pages;
        next = after;
    }

    quint64 width = 0, height = 0, compression = 1, samples = 1, bits = 1, photometric = 2,
            faxOptions = 0, subsampling = 0, orientation = 1;
    bool dng = false, make = false, subIfds = false, reduced = false;
    for (const Entry& e : first) {
        switch (e.tag) {
        case ImageWidth:
            width = t.value(e);
            break;
        case ImageLength:
            height = t.value(e);
            break;
        case BitsPerSample: // one value per sample, all alike in practice
            bits = t.value(e);
            break;
        case Compression:
            compression = t.value(e);
            break;
        case Photometric:
            photometric = t.value(e);
            break;
        case SamplesPerPixel:
            samples = t.value(e);
            break;
        case T4Options:
            faxOptions = t.value(e);
            break;
        case YCbCrSubSampling:
            subsampling = t.value(e, 0) * 16 + t.value(e, 1);
            break;
        case Orientation:
            orientation = t.value(e);
            break;
        case NewSubfileType:
            reduced = t.value(e) & 1;
            break;
        case DngVersion:
            dng = true;
            break;
        case Make:
            make = e.count > 1;
            break;
        case SubIfds:
            subIfds = true;
            break;
        default:
            break;
        }
    }
    info.pageCount = pages;
    info.orientation = orientation >= 1 && orientation <= 8 ? int(orientation) : 1;
    if (kind) {
        const bool makerRaw =
            t.canonRaw() || (make && (subIfds || reduced || RawOnly(compression, photometric)));
        *kind = dng ? TiffKind::Dng : makerRaw ? TiffKind::MaybeCameraRaw : TiffKind::Plain;
    }

    info.width = int(qMin<quint64>(width, INT_MAX));
    info.height = int(qMin<quint64>(height, INT_MAX));
    const int sampleBits = int(qBound<quint64>(1, bits, 16));
    int shown = int(qBound<quint64>(1, samples, 4));
    if (photometric == 5 && samples >= 4) // CMYK shows as RGB, with its alpha if it has one
        shown = samples > 4 ? 4 : 3;
    info.bitsPerPixel = sampleBits * shown;
    switch (compression) {
    case 1:
        info.formatCode = 3;
        break;
    case 2:
        info.formatCode = 25;
        break;
    case 3:
        info.formatCode = (faxOptions & 1) ? 28 : 27;
        break;
    case 4:
        info.formatCode = 29;
        break;
    case 6:
    case 7: // JPEG by chroma subsampling: 4:4:4, 4:2:2, 4:2:0
        if (photometric == 6 && subsampling == 0)
            subsampling = 0x22; // the YCbCr default
        info.formatCode = subsampling == 0x21 ? 24 : subsampling == 0x22 ? 22 : 11;
        break;
    default:
        info.formatCode = 17;
        break;
    }
    return ImagingCondition::None;
}

} // namespace q32::imaging
