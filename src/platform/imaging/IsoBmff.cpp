#include "platform/imaging/IsoBmff.h"

#include <QFile>
#include <QTimeZone>

namespace q32::imaging {
namespace {

constexpr qint64 kMaxMetaBytes = qint64(16) << 20;
// A long clip's sample tables make its 'moov' box large; the movie header comes first in it.
constexpr qint64 kMaxMovieBytes = qint64(64) << 20;

struct Box {
    qint64 start = 0;   // of the payload
    qint64 end = 0;     // one past the payload
    char type[5] = {0}; // four characters
};

// The box at offset inside [offset, limit) of r; false when none fits there.
bool ReadBox(const ByteReader& r, qint64 offset, qint64 limit, Box& box) {
    if (!r.has(offset, 8) || offset + 8 > limit)
        return false;
    quint64 size = r.be32(offset);
    qint64 header = 8;
    if (size == 1) {
        size = r.be64(offset + 8);
        header = 16;
    } else if (size == 0) {
        size = quint64(limit - offset); // runs to the end
    }
    if (size < quint64(header) || size > quint64(limit - offset))
        return false;
    for (int i = 0; i < 4; ++i)
        box.type[i] = char(r.u8(offset + 4 + i));
    box.start = offset + header;
    box.end = offset + qint64(size);
    return true;
}

bool Is(const Box& box, const char* type) {
    return qstrncmp(box.type, type, 4) == 0;
}

// The first child of the given type inside [from, to).
bool FindChild(const ByteReader& r, qint64 from, qint64 to, const char* type, Box& out) {
    Box b;
    for (qint64 at = from; ReadBox(r, at, to, b); at = b.end) {
        if (Is(b, type)) {
            out = b;
            return true;
        }
    }
    return false;
}

// The payload of the first top-level box of the given type, up to limit bytes.
QByteArray ReadTopLevel(QFile& f, const char* type, qint64 limit) {
    qint64 at = 0;
    for (int i = 0; i < 64 && f.seek(at); ++i) {
        const QByteArray h = f.read(16);
        const ByteReader r(h);
        quint64 size = r.be32(0);
        const qint64 header = size == 1 ? 16 : 8;
        if (size == 1)
            size = r.be64(8);
        else if (size == 0)
            size = quint64(f.size() - at);
        if (h.size() < header || size < quint64(header) || size > quint64(f.size() - at))
            return {};
        if (r.at(4, type)) {
            if (qint64(size) > limit || !f.seek(at + header))
                return {};
            return f.read(qint64(size) - header);
        }
        at += qint64(size);
    }
    return {};
}

} // namespace

int IsoBmffImageCode(const ByteReader& head) {
    if (!head.at(4, "ftyp"))
        return 0;
    const qint64 size = qMin<qint64>(head.be32(0), head.size());
    bool heif = false, avif = false;
    // The major brand at 8, then the compatible brands from 16.
    for (qint64 at = 8; at + 4 <= size; at += at == 8 ? 8 : 4) {
        if (head.at(at, "avif") || head.at(at, "avis"))
            avif = true;
        else if (head.at(at, "heic") || head.at(at, "heix") || head.at(at, "heim") ||
                 head.at(at, "heis") || head.at(at, "hevc") || head.at(at, "hevx") ||
                 head.at(at, "hevm") || head.at(at, "hevs") || head.at(at, "mif1") ||
                 head.at(at, "msf1"))
            heif = true;
        else if (head.at(at, "crx "))
            return 90;
    }
    return avif ? 86 : heif ? 85 : 0;
}

bool HeifPrimaryTurned(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && PrimaryItemTurned(ReadTopLevel(f, "meta", kMaxMetaBytes));
}

bool PrimaryItemTurned(const QByteArray& meta) {
    const ByteReader r(meta);
    const qint64 end = meta.size();
    // 'meta' is a full box: version and flags come first.
    Box pitm, iprp, ipco, ipma;
    if (!FindChild(r, 4, end, "pitm", pitm) || !FindChild(r, 4, end, "iprp", iprp) ||
        !FindChild(r, iprp.start, iprp.end, "ipco", ipco) ||
        !FindChild(r, iprp.start, iprp.end, "ipma", ipma))
        return false;
    const quint32 primary = r.u8(pitm.start) == 0 ? r.be16(pitm.start + 4) : r.be32(pitm.start + 4);

    // The property boxes in order; associations name them by index from 1.
    QList<QByteArray> properties;
    Box b;
    for (qint64 at = ipco.start; ReadBox(r, at, ipco.end, b) && properties.size() < 4096;
         at = b.end)
        properties.append(QByteArray(b.type, 4));

    const unsigned version = r.u8(ipma.start);
    const bool wideIndex = r.u8(ipma.start + 3) & 1;
    const quint32 entries = r.be32(ipma.start + 4);
    qint64 at = ipma.start + 8;
    for (quint32 e = 0; e < entries && at < ipma.end; ++e) {
        const quint32 item = version < 1 ? r.be16(at) : r.be32(at);
        at += version < 1 ? 2 : 4;
        const unsigned count = r.u8(at++);
        for (unsigned i = 0; i < count && at < ipma.end; ++i) {
            const unsigned index = wideIndex ? (r.be16(at) & 0x7FFF) : (r.u8(at) & 0x7F);
            at += wideIndex ? 2 : 1;
            if (item == primary && index >= 1 && index <= unsigned(properties.size())) {
                const QByteArray& type = properties[index - 1];
                if (type == "irot" || type == "imir")
                    return true;
            }
        }
    }
    return false;
}

std::optional<QDateTime> ClipCreationTime(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray movie = ReadTopLevel(f, "moov", kMaxMovieBytes);
    const ByteReader r(movie);
    Box header;
    if (!FindChild(r, 0, movie.size(), "mvhd", header) || !r.has(header.start, 12))
        return std::nullopt;
    // Seconds since 1904 in universal time, after the full box's version and flags; 0 when the
    // writer did not know.
    const quint64 seconds =
        r.u8(header.start) == 1 ? r.be64(header.start + 4) : r.be32(header.start + 4);
    if (seconds == 0)
        return std::nullopt;
    const QDateTime epoch(QDate(1904, 1, 1), QTime(0, 0), QTimeZone::utc());
    const QDateTime at = epoch.addSecs(qint64(seconds));
    if (!at.isValid() || at.date().year() < 1970 || at.date().year() > 9999)
        return std::nullopt;
    return at.toLocalTime();
}

} // namespace q32::imaging
