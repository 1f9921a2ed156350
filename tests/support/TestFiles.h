#pragma once
// Whole files read and written in one call, seeded random bytes, and what a folder holds, for
// tests that make their own data.

#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <sys/stat.h>

namespace q32::test {

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The whole file; empty when it cannot be read.
inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The same bytes for the same seed, on every run.
inline QByteArray randomBytes(qint64 size, quint32 seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator gen(seed);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char(gen.generate() & 0xff);
    return bytes;
}

// The permission bits of path (of a link itself, not what it points to); -1 when it is not there.
inline int modeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// Every file below folder, hidden ones too.
inline QStringList filesBelow(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

} // namespace q32::test
