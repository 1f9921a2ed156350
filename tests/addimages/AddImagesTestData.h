#pragma once
// Pictures and albums for the Add Images tests, made by the tests themselves.

#include "TestFiles.h"
#include "album/AlbumDb.h"

#include <QColor>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QPainter>

namespace q32::test {

// A small photo-like picture that differs for every seed.
inline bool makePicture(const QString& path, int seed, QSize size = {64, 48}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor::fromHsv((seed * 47) % 360, 200, 220));
    QPainter p(&image);
    p.drawText(image.rect(), Qt::AlignCenter, QString::number(seed));
    p.end();
    return image.save(path);
}

// A PNG whose header says it is 0 x 0 pixels.
inline bool makeDamagedPicture(const QString& path, int seed) {
    if (!makePicture(path, seed))
        return false;
    QByteArray png = readFile(path);
    return writeFile(path, png.replace(16, 8, QByteArray(8, '\0')));
}

// File name -> bytes of each file, as albumContents gives them once stored.
inline QMultiMap<QString, QByteArray> contentsOf(const QStringList& files) {
    QMultiMap<QString, QByteArray> rows;
    for (const QString& f : files)
        rows.insert(QFileInfo(f).fileName(), readFile(f));
    return rows;
}

// ImageFile -> the stored Image bytes, for every row; empty when the album does not open.
inline QMultiMap<QString, QByteArray> albumContents(const QString& path,
                                                    const QString& password = {}) {
    QMultiMap<QString, QByteArray> rows;
    AlbumStatus status;
    auto album = AlbumDb::open(path, {true, password}, &status);
    if (!album)
        return rows;
    auto query = album->connection().prepare("SELECT rowid, ImageFile FROM Pictures");
    while (query.step() == 100 /* SQLITE_ROW */)
        rows.insert(query.text(1), album->readBytes(query.int64(0), PictureField::Image));
    return rows;
}

} // namespace q32::test
