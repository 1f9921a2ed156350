#include "album/AlbumThumbnails.h"

#include "album/AlbumDb.h"
#include "album/AlbumEngine.h"

namespace q32 {
namespace {

const char* const kThumbnailTable = "CREATE TABLE Thumbnails (ID INTEGER PRIMARY KEY, Image BLOB)";

} // namespace

namespace engine {

bool isThumbnailTable(const QString& name, const QString& simplifiedSql) {
    return name == u"Thumbnails" && simplifiedSql == QLatin1String(kThumbnailTable);
}

sqlite::Error createThumbnailTable(sqlite::Database& db, const QString& schema) {
    QString sql = QLatin1String(kThumbnailTable);
    return db.exec(sql.replace(QStringLiteral("TABLE "), QStringLiteral("TABLE %1.").arg(schema)));
}

void addMissingThumbnailTable(sqlite::Database& db) {
    // Busy or a full disk: the album works without it and gets it at another open.
    if (!engine::hasTable(db, QStringLiteral("Thumbnails")))
        createThumbnailTable(db, QStringLiteral("main"));
}

sqlite::Error dropThumbnail(sqlite::Database& db, qint64 rowId) {
    if (!engine::hasTable(db, QStringLiteral("Thumbnails")))
        return {};
    sqlite::Error e;
    sqlite::Statement st = db.prepare(QStringLiteral("DELETE FROM Thumbnails WHERE ID = ?"), &e);
    if (!e.ok())
        return e;
    st.bind(1, rowId);
    return st.run();
}

} // namespace engine

QSize SizeThumbnailStandsFor(QSize thumbnail) {
    if (std::max(thumbnail.width(), thumbnail.height()) >= kThumbnailEdge)
        thumbnail.scale(QSize(1 << 16, 1 << 16), Qt::KeepAspectRatio);
    return thumbnail;
}

std::optional<QByteArray> ReadThumbnail(AlbumDb& album, qint64 rowId) {
    sqlite::Statement st =
        album.connection().prepare(QStringLiteral("SELECT Image FROM Thumbnails WHERE ID = ?"));
    if (!st.isValid())
        return std::nullopt;
    st.bind(1, rowId);
    if (st.step() != SQLITE_ROW)
        return std::nullopt;
    QByteArray bytes = st.blob(0);
    if (bytes.isNull())
        bytes = QByteArray(""); // empty, yet not "none made"
    return bytes;
}

AlbumStatus StoreThumbnail(AlbumDb& album, qint64 rowId, const QByteArray& jpeg,
                           qint64 pictureBytes) {
    sqlite::Error e;
    sqlite::Statement st = album.connection().prepare(
        pictureBytes < 0
            ? QStringLiteral("INSERT OR REPLACE INTO Thumbnails (ID, Image) VALUES (?1, ?2)")
            : QStringLiteral("INSERT OR REPLACE INTO Thumbnails (ID, Image) SELECT ?1, ?2 FROM "
                             "Pictures WHERE rowid = ?1 AND coalesce(length(Image), 0) = ?3"),
        &e);
    if (!e.ok())
        return engine::fromSqlite(e);
    st.bind(1, rowId);
    st.bind(2, jpeg.isNull() ? QByteArray("") : jpeg);
    if (pictureBytes >= 0)
        st.bind(3, pictureBytes);
    return engine::fromSqlite(st.run());
}

QList<qint64> RecordsWithoutThumbnails(AlbumDb& album, qint64* after, int scan,
                                       QList<qint64>* empty) {
    QList<qint64> ids;
    sqlite::Statement st = album.connection().prepare(
        QStringLiteral("SELECT p.rowid, t.ID IS NULL, coalesce(length(t.Image), 0) = 0 FROM "
                       "(SELECT rowid FROM Pictures WHERE "
                       "rowid > ? ORDER BY rowid LIMIT ?) AS p LEFT JOIN Thumbnails AS t ON "
                       "t.ID = p.rowid ORDER BY p.rowid"));
    if (!st.isValid())
        return ids;
    st.bind(1, *after);
    st.bind(2, qint64(scan));
    while (st.step() == SQLITE_ROW) {
        *after = st.int64(0);
        if (st.int64(1))
            ids << *after;
        else if (empty && st.int64(2))
            *empty << *after;
    }
    return ids;
}

bool HasThumbnailTable(AlbumDb& album) {
    return engine::hasTable(album.connection(), QStringLiteral("Thumbnails"));
}

} // namespace q32
