#pragma once
// Numbers in file headers, in either byte order, for every parser and writer of the imaging
// layer. Reads are bounded: bytes past the end of the buffer count as 0, so a short or hostile
// file never makes a parser read outside what it was given.

#include <QByteArray>
#include <QByteArrayView>
#include <QtEndian>
#include <cstring>

namespace q32::imaging {

class ByteReader {
public:
    explicit ByteReader(const QByteArray& bytes) : m_b(bytes) {}

    qsizetype size() const { return m_b.size(); }
    bool has(qint64 offset, qint64 n) const {
        return offset >= 0 && n >= 0 && offset <= m_b.size() && n <= m_b.size() - offset;
    }
    unsigned u8(qint64 o) const { return has(o, 1) ? uchar(m_b[qsizetype(o)]) : 0u; }
    quint16 le16(qint64 o) const { return read<quint16>(o, true); }
    quint16 be16(qint64 o) const { return read<quint16>(o, false); }
    quint32 le32(qint64 o) const { return read<quint32>(o, true); }
    quint32 be32(qint64 o) const { return read<quint32>(o, false); }
    quint64 le64(qint64 o) const { return read<quint64>(o, true); }
    quint64 be64(qint64 o) const { return read<quint64>(o, false); }
    // Either order, as a TIFF header says.
    quint16 u16(qint64 o, bool littleEndian) const { return read<quint16>(o, littleEndian); }
    quint32 u32(qint64 o, bool littleEndian) const { return read<quint32>(o, littleEndian); }
    quint64 u64(qint64 o, bool littleEndian) const { return read<quint64>(o, littleEndian); }
    bool at(qint64 o, QByteArrayView magic) const {
        return has(o, magic.size()) &&
               QByteArrayView(m_b).sliced(qsizetype(o), magic.size()) == magic;
    }
    bool at(qint64 o, const char* magic) const {
        return at(o, QByteArrayView(magic, qsizetype(std::strlen(magic))));
    }

private:
    template <typename T> T read(qint64 o, bool littleEndian) const {
        if (has(o, sizeof(T))) {
            const char* p = m_b.constData() + o;
            return littleEndian ? qFromLittleEndian<T>(p) : qFromBigEndian<T>(p);
        }
        // Cut short: the bytes that are there, the rest as 0.
        T v = 0;
        for (int i = 0; i < int(sizeof(T)); ++i) {
            const T byte = T(u8(o + i));
            v |= littleEndian ? T(byte << (8 * i)) : T(byte << (8 * (int(sizeof(T)) - 1 - i)));
        }
        return v;
    }

    const QByteArray& m_b;
};

template <typename T> void AppendLe(QByteArray& out, T value) {
    char bytes[sizeof(T)];
    qToLittleEndian<T>(value, bytes);
    out.append(bytes, sizeof(T));
}

template <typename T> void AppendBe(QByteArray& out, T value) {
    char bytes[sizeof(T)];
    qToBigEndian<T>(value, bytes);
    out.append(bytes, sizeof(T));
}

} // namespace q32::imaging
