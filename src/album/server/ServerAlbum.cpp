#include "album/server/ServerAlbum.h"

#include "album/SortKey.h"
#include "album/server/ServerSchema.h"
#include "common/Wildcard.h"

#include <QHash>
#include <QStringList>

namespace q32 {

using server::fromPg;
using server::rowParams;

namespace {

// The row texts as PictureRecord holds them, the date as ISO text whatever the server's
// DateStyle.
const QLatin1String kRowColumns(
    "SELECT \"ID\", to_char(\"Date\", 'YYYY-MM-DD'), \"SoundType\", \"ImageFile\", "
    "\"ImageFormat\", \"ImageProperties\", \"Keywords\", \"Description\", \"SoundFileSize\", "
    "\"Version\" FROM \"Pictures\" ");

PictureRecord recordFrom(const pg::Result& r, int row) {
    PictureRecord p;
    p.rowId = r.int64(row, 0);
    p.date = QDate::fromString(r.text(row, 1), Qt::ISODate);
    p.soundType = r.text(row, 2);
    p.imageFile = r.text(row, 3);
    p.imageFormat = r.text(row, 4);
    p.imageProperties = r.text(row, 5);
    p.keywords = r.text(row, 6);
    p.description = r.text(row, 7);
    p.soundSize = r.int64(row, 8);
    p.version = r.int64(row, 9);
    return p;
}

// The order clause of the album file's queries (AlbumQuery), in this schema's terms: the leading
// terms, then every text the file's order indexes carry, then the row id. NULL sorts first
// going up and last going down, as in the file.
QString orderClause(int order) {
    const bool up = order % 2 == 0;
    QStringList leading;
    if (order == 2 || order == 3)
        leading << QStringLiteral("\"NameKey\"");
    else if (order == 4 || order == 5)
        leading << QStringLiteral("\"FormatKey\"") << QStringLiteral("\"NameKey\"");
    leading << QStringLiteral("\"Date\"") << QStringLiteral("\"ImageFile\"")
            << QStringLiteral("\"ImageFormat\"") << QStringLiteral("\"SoundType\"")
            << QStringLiteral("\"ImageProperties\"") << QStringLiteral("\"Keywords\"")
            << QStringLiteral("\"Description\"");
    const QString direction =
        up ? QStringLiteral(" ASC NULLS FIRST") : QStringLiteral(" DESC NULLS LAST");
    QStringList terms;
    for (const QString& term : leading)
        terms << term + direction;
    terms << (up ? QStringLiteral("\"ID\" ASC") : QStringLiteral("\"ID\" DESC"));
    return QStringLiteral("ORDER BY ") + terms.join(QStringLiteral(", "));
}

class ServerGroup : public WriteGroup {
public:
    explicit ServerGroup(pg::Connection& db) : m_tx(db) {}
    const pg::Error& beginError() const { return m_tx.beginError(); }
    AlbumStatus commit() override { return fromPg(m_tx.commit()); }

private:
    pg::Transaction m_tx;
};

} // namespace

AlbumStatus ServerAlbum::create(const QString& uri, const QString& password, bool allowDuplicates) {
    pg::Connection db;
    if (const pg::Error e = db.open(uri, password); !e.ok())
        return fromPg(e);
    return server::createSchema(db, !allowDuplicates);
}

std::unique_ptr<ServerAlbum> ServerAlbum::open(const QString& uri, const QString& password,
                                               bool readOnly, AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& st = status ? *status : dummy;
    std::unique_ptr<ServerAlbum> album(new ServerAlbum);
    st = fromPg(album->m_db.open(uri, password));
    if (!st.ok())
        return nullptr;
    album->m_location = album->m_db.uriWithoutPassword();
    server::SchemaState schema;
    st = server::checkSchema(album->m_db, &schema);
    if (!st.ok())
        return nullptr;
    album->m_readOnly = readOnly || !schema.writable;
    // Keys made by an earlier build are made again by the first writable open of the tables'
    // owner; never back to an older version by an older build. When that cannot be done now
    // the orders use the keys as they are.
    if (!album->m_readOnly && schema.owner && schema.keysVersion < SortKeyVersion())
        server::rebuildSortKeys(album->m_db);
    album->m_unique = schema.unique;
    album->m_sequence = schema.sequence;
    return album;
}

ServerAlbum::~ServerAlbum() = default;

AlbumStatus ServerAlbum::checkIdle() const {
    if (m_streaming)
        return {AlbumCondition::Unexpected,
                QStringLiteral("the album was called while it hands out the rows of a query")};
    return {};
}

AlbumStatus ServerAlbum::checkWritable() const {
    if (m_readOnly)
        return {AlbumCondition::CannotWrite,
                QStringLiteral("%1 is open read-only").arg(m_location)};
    return checkIdle();
}

qint64 ServerAlbum::rowCount(AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& s = status ? *status : dummy;
    if (s = checkIdle(); !s.ok())
        return -1;
    const pg::Result r = m_db.execParams(QStringLiteral("SELECT count(*) FROM \"Pictures\""));
    s = fromPg(r.error());
    return s.ok() ? r.int64(0, 0) : -1;
}

std::optional<PictureRecord> ServerAlbum::record(qint64 rowId, AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& s = status ? *status : dummy;
    if (s = checkIdle(); !s.ok())
        return std::nullopt;
    const pg::Result r =
        m_db.execParams(kRowColumns + QStringLiteral("WHERE \"ID\" = $1"), {int64_t(rowId)});
    if (s = fromPg(r.error()); !s.ok())
        return std::nullopt;
    if (r.rows() == 0) {
        s = {AlbumCondition::NoCurrentRecord, {}};
        return std::nullopt;
    }
    return recordFrom(r, 0);
}

QList<qint64> ServerAlbum::rowIds(qint64 after, int limit, AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& s = status ? *status : dummy;
    QList<qint64> ids;
    if (s = checkIdle(); !s.ok())
        return ids;
    const pg::Result r = m_db.execParams(
        QStringLiteral(
            "SELECT \"ID\" FROM \"Pictures\" WHERE \"ID\" > $1 ORDER BY \"ID\" LIMIT $2"),
        {int64_t(after), int64_t(std::max(limit, 0))});
    if (s = fromPg(r.error()); !s.ok())
        return ids;
    ids.reserve(r.rows());
    for (int i = 0; i < r.rows(); ++i)
        ids << r.int64(i, 0);
    return ids;
}

AlbumStatus ServerAlbum::forEachRecord(const AlbumQuery& query,
                                       const std::function<bool(const PictureRecord&)>& onRecord) {
    if (AlbumStatus s = checkIdle(); !s.ok())
        return s;
    if (query.isSimilar()) {
        // Find Similar's rows in its own order; those deleted meanwhile are left out.
        for (const qint64 id : query.similarRows) {
            AlbumStatus s;
            const std::optional<PictureRecord> r = record(id, &s);
            if (!s.ok() && s.condition != AlbumCondition::NoCurrentRecord)
                return s;
            if (r && !onRecord(*r))
                break;
        }
        return {};
    }
    if (query.order < 0 || query.order >= AlbumQuery::OrderCount)
        return {AlbumCondition::Unexpected, QStringLiteral("no order %1").arg(query.order)};

    // A filter is matched here with the file's own wildcard match, so both kinds of album find
    // the same rows for every script and pattern; the server only leaves out the Null texts.
    const bool byKeywords = query.order == 6 || query.order == 7;
    QString where;
    if (query.isFilter())
        where = byKeywords ? QStringLiteral("WHERE \"Keywords\" IS NOT NULL ")
                           : QStringLiteral("WHERE \"Description\" IS NOT NULL ");
    const QString pattern = query.pattern().toCaseFolded();

    m_streaming = true;
    const pg::Error e = m_db.forEachRow(
        kRowColumns + where + orderClause(query.order), {}, [&](const pg::Result& row) {
            const PictureRecord r = recordFrom(row, 0);
            if (query.isFilter()) {
                const QString& text = byKeywords ? r.keywords : r.description;
                if (!WildcardMatch(text.toCaseFolded(), pattern, Wildcards::Album))
                    return true;
            }
            return onRecord(r);
        });
    m_streaming = false;
    return fromPg(e);
}

AlbumStatus ServerAlbum::updateRecord(const PictureRecord& fields) {
    if (AlbumStatus s = checkWritable(); !s.ok())
        return s;
    if (AlbumStatus s = CheckRecordTexts(fields); !s.ok())
        return s;
    pg::Params params = rowParams(fields);
    params.push_back(int64_t(fields.version));
    const pg::Result r = m_db.execParams(
        QStringLiteral("UPDATE \"Pictures\" SET \"Date\" = $2, \"SoundType\" = $3, "
                       "\"ImageFile\" = $4, \"ImageFormat\" = $5, \"ImageProperties\" = $6, "
                       "\"Keywords\" = $7, \"Description\" = $8, \"NameKey\" = $9, "
                       "\"FormatKey\" = $10, \"Version\" = \"Version\" + 1 "
                       "WHERE \"ID\" = $1 AND ($11::bigint = 0 OR \"Version\" = $11::bigint)"),
        params);
    if (!r.ok())
        return fromPg(r.error());
    if (r.affectedRows() == 1)
        return {};
    // Not written: the row is gone, or someone saved it since it was read.
    const pg::Result now =
        m_db.execParams(QStringLiteral("SELECT \"Version\" FROM \"Pictures\" WHERE \"ID\" = $1"),
                        {int64_t(fields.rowId)});
    if (!now.ok())
        return fromPg(now.error());
    if (now.rows() == 0)
        return {AlbumCondition::NoCurrentRecord, {}};
    return {AlbumCondition::RecordChanged,
            QStringLiteral("record %1 was saved as change %2 since change %3 was read")
                .arg(fields.rowId)
                .arg(now.int64(0, 0))
                .arg(fields.version)};
}

AlbumStatus ServerAlbum::deleteRecord(qint64 rowId) {
    if (AlbumStatus s = checkWritable(); !s.ok())
        return s;
    // Its pieces, thumbnail and hash go with it (ON DELETE CASCADE).
    const pg::Result r = m_db.execParams(
        QStringLiteral("DELETE FROM \"Pictures\" WHERE \"ID\" = $1"), {int64_t(rowId)});
    if (!r.ok())
        return fromPg(r.error());
    return r.affectedRows() == 1 ? AlbumStatus{} : AlbumStatus{AlbumCondition::NoCurrentRecord, {}};
}

qint64 ServerAlbum::fieldSize(qint64 rowId, PictureField field, AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& s = status ? *status : dummy;
    if (s = checkIdle(); !s.ok())
        return -1;
    const QString column = QLatin1String(PictureFieldName(field));
    // The binary fields by their stored sizes; the texts in characters, the date as its text.
    const QString size = IsBinaryField(field)
                             ? pg::quotedIdentifier(column + QStringLiteral("Size"))
                         : field == PictureField::Date
                             ? QStringLiteral("length(to_char(\"Date\", 'YYYY-MM-DD'))")
                             : QStringLiteral("char_length(%1)").arg(pg::quotedIdentifier(column));
    const pg::Result r = m_db.execParams(
        QStringLiteral("SELECT coalesce(%1, 0) FROM \"Pictures\" WHERE \"ID\" = $1").arg(size),
        {int64_t(rowId)});
    if (s = fromPg(r.error()); !s.ok())
        return -1;
    if (r.rows() == 0) {
        s = {AlbumCondition::NoCurrentRecord, {}};
        return -1;
    }
    return r.int64(0, 0);
}

QByteArray ServerAlbum::thumbnail(qint64 rowId, AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& s = status ? *status : dummy;
    if (s = checkIdle(); !s.ok())
        return {};
    const pg::Result r = m_db.execParams(
        QStringLiteral("SELECT \"Image\" FROM \"Thumbnails\" WHERE \"ID\" = $1"), {int64_t(rowId)});
    s = fromPg(r.error());
    return s.ok() && r.rows() == 1 ? r.bytes(0, 0) : QByteArray();
}

AlbumStatus ServerAlbum::storeThumbnail(qint64 rowId, const QByteArray& jpeg) {
    if (AlbumStatus s = checkWritable(); !s.ok())
        return s;
    // Kept only while the record is there; not a change of the record, so its Version stays.
    const pg::Result r = m_db.execParams(
        QStringLiteral("INSERT INTO \"Thumbnails\" (\"ID\", \"Image\") "
                       "SELECT \"ID\", $2 FROM \"Pictures\" WHERE \"ID\" = $1 "
                       "ON CONFLICT (\"ID\") DO UPDATE SET \"Image\" = excluded.\"Image\""),
        {int64_t(rowId), jpeg.isNull() ? QByteArray("") : jpeg});
    if (!r.ok())
        return fromPg(r.error());
    return r.affectedRows() == 1 ? AlbumStatus{} : AlbumStatus{AlbumCondition::NoCurrentRecord, {}};
}

std::optional<ContentMatch> ServerAlbum::findByContent(const QByteArray& sha256,
                                                       AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& s = status ? *status : dummy;
    if (s = checkIdle(); !s.ok())
        return std::nullopt;
    const pg::Result r = m_db.execParams(
        QStringLiteral("SELECT p.\"ID\", p.\"ImageFile\" FROM \"ContentHashes\" h "
                       "JOIN \"Pictures\" p ON p.\"ID\" = h.\"ID\" WHERE h.\"Sha256\" = $1 "
                       "ORDER BY p.\"ID\" LIMIT 1"),
        {sha256});
    if (s = fromPg(r.error()); !s.ok() || r.rows() == 0)
        return std::nullopt;
    return ContentMatch{r.int64(0, 0), r.text(0, 1)};
}

QString ServerAlbum::serverDescription() const {
    PGconn* conn = m_db.handle();
    if (!conn)
        return {};
    return QStringLiteral("PostgreSQL %1, %2")
        .arg(QString::fromUtf8(PQparameterStatus(conn, "server_version")),
             PQsslInUse(conn) ? QStringLiteral("over TLS")
                              : QStringLiteral("connection not encrypted"));
}

QList<DuplicateGroup> ServerAlbum::findDuplicateGroups(AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& s = status ? *status : dummy;
    if (s = checkIdle(); !s.ok())
        return {};
    // Only the hashes held more than once come back; the server finds them by its index.
    const pg::Result r = m_db.execParams(QStringLiteral(
        "SELECT p.\"ID\", p.\"ImageFile\", h.\"Sha256\" FROM \"ContentHashes\" h "
        "JOIN \"Pictures\" p ON p.\"ID\" = h.\"ID\" WHERE h.\"Sha256\" IN (SELECT \"Sha256\" "
        "FROM \"ContentHashes\" GROUP BY 1 HAVING count(*) > 1) ORDER BY p.\"ID\""));
    if (s = fromPg(r.error()); !s.ok())
        return {};
    QList<DuplicateGroup> groups;
    QHash<QByteArray, qsizetype> groupOf;
    for (int row = 0; row < r.rows(); ++row) {
        const QByteArray sha = r.bytes(row, 2);
        auto at = groupOf.constFind(sha);
        if (at == groupOf.cend()) {
            at = groupOf.insert(sha, groups.size());
            groups.append({sha, {}});
        }
        groups[*at].records.append({r.int64(row, 0), r.text(row, 1)});
    }
    return groups;
}

std::unique_ptr<WriteGroup> ServerAlbum::beginGroup(AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& s = status ? *status : dummy;
    if (s = checkWritable(); !s.ok())
        return nullptr;
    // Inside a running group the new one is a savepoint, so groups nest.
    auto group = std::make_unique<ServerGroup>(m_db);
    if (s = fromPg(group->beginError()); !s.ok())
        return nullptr;
    return group;
}

} // namespace q32
