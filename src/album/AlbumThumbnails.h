#pragma once
// Thumbnails kept inside the album file, in a table of their own beside Pictures: one small JPEG
// per record, made once. An empty image marks a record whose picture cannot be shown small (a
// clip, a sound, a damaged file): it shows a placeholder and is not tried again.

#include "album/AlbumCondition.h"
#include "album/RowIdRuns.h"
#include "platform/sqlite/SqliteDb.h"

#include <QByteArray>
#include <QList>
#include <QSize>
#include <optional>

namespace q32 {

class AlbumDb;

// The longest side of a thumbnail, in pixels.
constexpr int kThumbnailEdge = 160;

// The size of picture a thumbnail of this size stands for while the picture is decoded: its own
// when the picture was no larger than a thumbnail, else a large one of its shape.
QSize SizeThumbnailStandsFor(QSize thumbnail);

// nullopt when none was made yet (or the album has no table for them yet).
std::optional<QByteArray> ReadThumbnail(AlbumDb& album, qint64 rowId);
// Stores rowId's thumbnail. With pictureBytes >= 0 it is stored only while the record still
// holds a picture of that many bytes: one made from a picture that was replaced or deleted in
// the meantime is dropped.
AlbumStatus StoreThumbnail(AlbumDb& album, qint64 rowId, const QByteArray& jpeg,
                           qint64 pictureBytes = -1);
// Every row id of Pictures, read from its smallest index: the table's own pages hold the
// pictures, and reading them in row id order would read the album.
RowIdRuns PictureRowIds(AlbumDb& album, AlbumStatus* status = nullptr);
// The records without a thumbnail among the next `scan` of rows after row id *after, by row id;
// *after moves past the records looked at and stays where it was once there are none left. A
// short scan keeps each call short, so a worker can look at other work in between. With empty,
// the records among them whose thumbnail is empty (a placeholder) go there.
QList<qint64> RecordsWithoutThumbnails(AlbumDb& album, const RowIdRuns& rows, qint64* after,
                                       int scan, QList<qint64>* empty = nullptr);
bool HasThumbnailTable(AlbumDb& album);

namespace engine {
// The table as the engine stores its definition.
bool isThumbnailTable(const QString& name, const QString& simplifiedSql);
sqlite::Error createThumbnailTable(sqlite::Database& db, const QString& schema);
// Adds the table to an album made before it existed (writable connections only).
void addMissingThumbnailTable(sqlite::Database& db);
// Forgets a record's thumbnail (the record is deleted, or its picture replaced).
sqlite::Error dropThumbnail(sqlite::Database& db, qint64 rowId);
} // namespace engine

} // namespace q32
