#pragma once
// Album rows made by the tests themselves, and the files in a folder.

#include "TestFiles.h"
#include "album/AlbumDb.h"

#include <QByteArray>
#include <QDir>
#include <QString>

namespace q32::test {

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
