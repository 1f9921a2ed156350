// Compact and Repair of a server album: the server's own VACUUM FULL and REINDEX on the album's
// tables, reported as the album file's compaction and repair are.

#include "album/server/ServerAlbum.h"
#include "album/server/ServerSchema.h"

#include <QStringList>

namespace q32 {

using server::fromPg;

namespace {

const char* const kTables[] = {"Pictures", "PicturePieces", "Thumbnails", "ContentHashes"};

// The album's tables as an SQL array of regclass.
QString tableArray() {
    QStringList names;
    for (const char* table : kTables)
        names << QLatin1Char('\'') + pg::quotedIdentifier(QLatin1String(table)) + QLatin1Char('\'');
    return QStringLiteral("ARRAY[%1]::regclass[]").arg(names.join(QLatin1Char(',')));
}

} // namespace

AlbumStatus ServerAlbum::checkOwner() {
    if (AlbumStatus s = checkWritable(); !s.ok())
        return s;
    // The server skips, with a mere warning, a table the role does not own.
    const pg::Result r =
        m_db.exec(QStringLiteral("SELECT bool_and(pg_has_role(current_user, c.relowner, "
                                 "'USAGE'))::int::bigint FROM pg_class c WHERE c.oid = ANY(%1)")
                      .arg(tableArray()));
    if (!r.ok())
        return fromPg(r.error());
    if (r.int64(0, 0) != 1)
        return {AlbumCondition::CannotWrite,
                QStringLiteral("only the role that owns the album's tables may do this")};
    return {};
}

qint64 ServerAlbum::storedBytes(AlbumStatus* status) {
    const pg::Result r =
        m_db.exec(QStringLiteral("SELECT sum(pg_total_relation_size(t))::bigint FROM unnest(%1) t")
                      .arg(tableArray()));
    *status = fromPg(r.error());
    return status->ok() ? r.int64(0, 0) : -1;
}

AlbumStatus ServerAlbum::onEachTable(const QString& statement) {
    for (const char* table : kTables)
        if (AlbumStatus s = fromPg(
                m_db.exec(statement.arg(pg::quotedIdentifier(QLatin1String(table)))).error());
            !s.ok())
            return s;
    return {};
}

CompactReport ServerAlbum::compact() {
    CompactReport r;
    if (r.status = checkIdle(); r.status.ok())
        r.status = checkOwner();
    if (r.status.ok())
        r.oldSize = storedBytes(&r.status);
    // Each table is rewritten under a lock that stops others' reads and writes meanwhile; one
    // that others keep busy is given up rather than waited for.
    if (r.status.ok())
        r.status = fromPg(m_db.exec(QStringLiteral("SET lock_timeout = '10s'")).error());
    if (r.status.ok())
        r.status = onEachTable(QStringLiteral("VACUUM (FULL, ANALYZE) %1"));
    m_db.exec(QStringLiteral("RESET lock_timeout"));
    if (r.status.ok())
        r.setNewSize(storedBytes(&r.status));
    return r;
}

RepairReport ServerAlbum::repair() {
    RepairReport r;
    if (r.status = checkIdle(); r.status.ok())
        r.status = checkOwner();
    // The server's own checks keep its tables whole; what can go wrong underneath is an index.
    if (r.status.ok())
        r.status = onEachTable(QStringLiteral("REINDEX TABLE %1"));
    return r;
}

} // namespace q32
