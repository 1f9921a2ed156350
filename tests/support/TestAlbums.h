#pragma once
// Albums and pictures made by the tests themselves (header only: for tests that link the album).

#include "album/AlbumDb.h"
#include "album/ContentHashes.h"

#include <QFile>
#include <QImage>

namespace q32::test {

// Rows (file name, description, keywords, picture file, format text), dated a day apart; a row
// without a picture file stores picture.
inline QString MakeAlbum(const QString& path, const QList<QStringList>& rows,
                         const QString& picture = {}) {
    QFile::remove(path);
    if (!AlbumDb::create(path, false).ok())
        return {};
    AlbumStatus status;
    auto album = AlbumDb::open(path, {}, &status);
    int day = 0;
    for (const QStringList& r : rows) {
        PictureRecord rec;
        rec.date = QDate(2021, 3, 1).addDays(day++);
        rec.imageFile = r.at(0);
        rec.description = r.value(1);
        rec.keywords = r.value(2);
        rec.imageFormat = r.value(4, QStringLiteral("75 Portable Network Graphics"));
        if (!album->addRecord(rec, r.value(3, picture)).ok())
            return {};
    }
    // Hashed, as the window's background run leaves an album, so no test meets that run's writes
    // unless it asks for them.
    return FillContentHashes(*album).ok() ? path : QString();
}

inline QString MakePicture(const QString& path, QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB888);
    image.fill(colour);
    return image.save(path) ? path : QString();
}

} // namespace q32::test
