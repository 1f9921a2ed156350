#pragma once
// Test data made by the tests themselves: files of seeded random bytes and albums filled with
// generated rows.

#include "album/AlbumDb.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QString>

namespace q32::test {

inline QByteArray randomBytes(qint64 size, quint32 seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator gen(seed);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char(gen.generate() & 0xff);
    return bytes;
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline PictureRecord makeRecord(const QString& name, const QDate& date = QDate(2020, 5, 17),
                                const QString& keywords = {}, const QString& description = {}) {
    PictureRecord r;
    r.date = date;
    r.imageFile = name;
    r.imageFormat = QStringLiteral("10 JPEG");
    r.imageProperties = QStringLiteral("(1 KB) (1 x 1) (16M)");
    r.keywords = keywords;
    r.description = description;
    return r;
}

// Files in a folder, for the "only the album at rest" checks.
inline QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

} // namespace q32::test
