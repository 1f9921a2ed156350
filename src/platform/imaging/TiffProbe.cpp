#include "platform/imaging/FileProbe.h"

#include <QFile>

namespace q32::imaging {
namespace {

class TiffFile {
public:
    explicit TiffFile(QFile& f) : m_f(f) {}
    bool init() {
        const QByteArray h = m_f.read(8);
        if (h.size() < 8)
            return false;
        m_le = h[0] == 'I';
        m_first = u32(h, 4);
        return true;
    }
    quint32 first() const { return m_first; }
    unsigned u16(const QByteArray& d, int o) const {
        const unsigned a = uchar(d[o]), b = uchar(d[o + 1]);
        return m_le ? a | (b << 8) : (a << 8) | b;
    }
    quint32 u32(const QByteArray& d, int o) const {
        const quint32 a = u16(d, o), b = u16(d, o + 2);
        return m_le ? a | (b << 16) : (a << 16) | b;
    }
    QFile& file() { return m_f; }

private:
    QFile& m_f;
    bool m_le = true;
    quint32 m_first = 0;
};

} // namespace

ImagingCondition ProbeTiff(const QString& path, ImageInfo& info) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return ImagingCondition::FileUnreadable;
    TiffFile t(f);
    if (!t.init())
        return ImagingCondition::Truncated;
    quint32 offset = t.first();
    int pages = 0;
    unsigned compression = 1, samples = 1, bits = 1, photometric = 2, faxOptions = 0,
             subsampling = 0;
    int width = 0, height = 0;
    QList<quint32> seen;
    while (offset && pages < 10000) {
        if (seen.contains(offset)) // a loop of directories
            break;
        seen.append(offset);
        if (qint64(offset) + 2 > f.size() || !f.seek(offset))
            return pages ? ImagingCondition::None : ImagingCondition::Truncated;
        const QByteArray countBytes = f.read(2);
        if (countBytes.size() < 2)
            return ImagingCondition::Truncated;
        const unsigned count = t.u16(countBytes, 0);
        const QByteArray entries = f.read(qint64(count) * 12 + 4);
        if (entries.size() < qsizetype(count) * 12 + 4)
            return pages ? ImagingCondition::None : ImagingCondition::Truncated;
        if (pages == 0) {
            for (unsigned i = 0; i < count; ++i) {
                const int e = int(i) * 12;
                const unsigned tag = t.u16(entries, e), type = t.u16(entries, e + 2);
                const quint32 n = t.u32(entries, e + 4);
                const quint32 value = type == 3 ? t.u16(entries, e + 8) : t.u32(entries, e + 8);
                switch (tag) {
                case 256:
                    width = int(value);
                    break;
                case 257:
                    height = int(value);
                    break;
                case 258:
                    if (n <= 2 || type != 3)
                        bits = value;
                    else { // several samples: the values sit elsewhere, all alike in practice
                        const qint64 here = f.pos();
                        if (f.seek(value)) {
                            const QByteArray v = f.read(2);
                            if (v.size() == 2)
                                bits = t.u16(v, 0);
                        }
                        f.seek(here);
                    }
                    break;
                case 259:
                    compression = value;
                    break;
                case 262:
                    photometric = value;
                    break;
                case 277:
                    samples = value;
                    break;
                case 292:
                    faxOptions = value;
                    break;
                case 530:
                    subsampling = t.u16(entries, e + 8) * 16 + t.u16(entries, e + 10);
                    break;
                default:
                    break;
                }
            }
        }
        ++pages;
        offset = t.u32(entries, int(count) * 12);
    }
    if (width <= 0 || height <= 0)
        return ImagingCondition::Damaged;
    info.width = width;
    info.height = height;
    info.pageCount = qMax(1, pages);
    info.bitsPerPixel = int(qBound(1u, bits, 16u) * qBound(1u, samples, 4u));
    if (photometric == 5 && samples >= 4) // CMYK shows as RGB
        info.bitsPerPixel = int(bits * 3);
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
