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

RowIdRuns PictureRowIds(AlbumDb& album, AlbumStatus* status) {
    std::vector<qint64> ids;
    sqlite::Error e;
    sqlite::Statement st =
        album.connection().prepare(QStringLiteral("SELECT rowid FROM Pictures"), &e);
    int rc = SQLITE_DONE;
    while (e.ok() && (rc = st.step()) == SQLITE_ROW)
        ids.push_back(st.int64(0));
    if (e.ok() && rc != SQLITE_DONE)
        e = album.connection().lastError();
    if (status)
        *status = engine::fromSqlite(e);
    return RowIdRuns::fromUnsorted(std::move(ids));
}

QList<qint64> RecordsWithoutThumbnails(AlbumDb& album, const RowIdRuns& rows, qint64* after,
                                       int scan, QList<qint64>* empty) {
    const QList<qint64> ids = rows.idsAfter(*after, scan);
    if (ids.isEmpty())
        return {};
    // Only the thumbnails of these rows are read, by their ids: the Pictures table is not.
    sqlite::Statement st = album.connection().prepare(
        QStringLiteral("SELECT ID, coalesce(length(Image), 0) = 0 FROM Thumbnails WHERE ID "
                       "BETWEEN ? AND ? ORDER BY ID"));
    if (!st.isValid())
        return {};
    st.bind(1, ids.first());
    st.bind(2, ids.last());
    QList<qint64> missing;
    qsizetype next = 0;
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        const qint64 id = st.int64(0);
        for (; next < ids.size() && ids[next] < id; ++next)
            missing << ids[next];
        if (next < ids.size() && ids[next] == id) {
            if (empty && st.int64(1))
                *empty << id;
            ++next;
        }
    }
    if (rc != SQLITE_DONE)
        return {}; // busy or damaged: looked at again another time
    missing << ids.mid(next);
    *after = ids.last();
    return missing;
}

bool HasThumbnailTable(AlbumDb& album) {
    return engine::hasTable(album.connection(), QStringLiteral("Thumbnails"));
}

} // namespace q32
