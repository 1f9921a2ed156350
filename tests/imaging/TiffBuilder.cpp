#include "TiffBuilder.h"

#include <QtEndian>
#include <algorithm>

namespace q32::test {
namespace {

int TypeSize(quint16 type) {
    return type == TiffBuilder::Short                                        ? 2
           : type == TiffBuilder::Long                                       ? 4
           : type == TiffBuilder::Rational || type == TiffBuilder::SRational ? 8
                                                                             : 1;
}

void Put(QByteArray& out, qint64 offset, quint32 v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[offset + i] = char((v >> (8 * i)) & 0xFF);
}

} // namespace

int TiffBuilder::addDirectory(bool topLevel) {
    m_dirs.append(Directory{{}, topLevel});
    return int(m_dirs.size()) - 1;
}

void TiffBuilder::add(int ifd, quint16 tag, Type type, const QList<qint64>& values) {
    const int size = TypeSize(type);
    const int perValue = (type == Rational || type == SRational) ? 4 : size;
    QByteArray value(values.size() * perValue, '\0');
    for (qsizetype i = 0; i < values.size(); ++i)
        Put(value, i * perValue, quint32(values[i]), perValue);
    m_dirs[ifd].fields.append(
        Field{tag, quint16(type), quint32(value.size() / size), value, -1, {}});
}

void TiffBuilder::addAscii(int ifd, quint16 tag, const QByteArray& text) {
    const QByteArray value = text + '\0';
    m_dirs[ifd].fields.append(Field{tag, Ascii, quint32(value.size()), value, -1, {}});
}

void TiffBuilder::addStrip(int ifd, const QByteArray& data) {
    m_strips.append(data);
    m_dirs[ifd].fields.append(
        Field{273, Long, 1, QByteArray(4, '\0'), int(m_strips.size()) - 1, {}});
    add(ifd, 279, Long, {data.size()});
}

void TiffBuilder::addPicture(int ifd, int width, int height, const QList<qint64>& bits,
                             int compression, int photometric, const QByteArray& strip) {
    add(ifd, 256, Long, {width});
    add(ifd, 257, Long, {height});
    add(ifd, 258, Short, bits);
    add(ifd, 259, Short, {compression});
    add(ifd, 262, Short, {photometric});
    addStrip(ifd, strip);
    add(ifd, 277, Short, {bits.size()});
    add(ifd, 278, Long, {height});
}

void TiffBuilder::link(int ifd, quint16 tag, const QList<int>& targets) {
    m_dirs[ifd].fields.append(Field{tag, Long, quint32(targets.size()),
                                    QByteArray(targets.size() * 4, '\0'), -1, targets});
}

QByteArray TiffBuilder::build() const {
    // Header, strips, then the directories with their long values after each.
    QList<qint64> stripAt;
    qint64 at = 8;
    for (const QByteArray& s : m_strips) {
        stripAt.append(at);
        at += (s.size() + 1) & ~qint64(1);
    }
    QList<qint64> dirAt;
    for (const Directory& d : m_dirs) {
        dirAt.append(at);
        at += 2 + 12 * d.fields.size() + 4;
        for (const Field& f : d.fields)
            if (f.value.size() > 4)
                at += (f.value.size() + 1) & ~qint64(1);
    }
    QByteArray out(at, '\0');
    out.replace(0, 4, QByteArray("II*\0", 4));
    Put(out, 4, quint32(dirAt.value(0)), 4);
    for (qsizetype i = 0; i < m_strips.size(); ++i)
        out.replace(stripAt[i], m_strips[i].size(), m_strips[i]);

    QList<int> topLevel;
    for (qsizetype i = 0; i < m_dirs.size(); ++i)
        if (m_dirs[i].topLevel)
            topLevel.append(int(i));
    for (qsizetype i = 0; i < m_dirs.size(); ++i) {
        QList<Field> fields = m_dirs[i].fields;
        std::sort(fields.begin(), fields.end(),
                  [](const Field& a, const Field& b) { return a.tag < b.tag; });
        qint64 e = dirAt[i];
        qint64 extra = e + 2 + 12 * fields.size() + 4;
        Put(out, e, quint32(fields.size()), 2);
        e += 2;
        for (Field f : fields) {
            if (f.strip >= 0)
                Put(f.value, 0, quint32(stripAt[f.strip]), 4);
            for (qsizetype t = 0; t < f.targets.size(); ++t)
                Put(f.value, t * 4, quint32(dirAt[f.targets[t]]), 4);
            Put(out, e, f.tag, 2);
            Put(out, e + 2, f.type, 2);
            Put(out, e + 4, f.count, 4);
            if (f.value.size() <= 4) {
                out.replace(e + 8, f.value.size(), f.value);
            } else {
                Put(out, e + 8, quint32(extra), 4);
                out.replace(extra, f.value.size(), f.value);
                extra += (f.value.size() + 1) & ~qint64(1);
            }
            e += 12;
        }
        const qsizetype chain = topLevel.indexOf(int(i));
        quint32 next =
            chain >= 0 && chain + 1 < topLevel.size() ? quint32(dirAt[topLevel[chain + 1]]) : 0;
        if (i == 0 && m_nextOfFirst)
            next = m_nextOfFirst;
        Put(out, e, next, 4);
    }
    return out;
}

} // namespace q32::test
