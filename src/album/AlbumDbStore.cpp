// The file album's side of AlbumStore that its own callers do not use: reading and storing
// fields through readers, rows in id order, groups, and what the add run asks of any album.
// Copies between albums go through it.

#include "album/AlbumDb.h"
#include "album/AlbumEngine.h"
#include "album/AlbumRecordset.h"
#include "album/AlbumThumbnails.h"
#include "album/ContentHashes.h"
#include "album/PictureHashes.h"

namespace q32 {
namespace {

constexpr int kPiece = 1 << 20;
// The engine's limit on one value (SQLITE_MAX_LENGTH).
constexpr qint64 kLargestBlob = 1000000000;

class BlobReader : public FieldReader {
public:
    BlobReader(sqlite::Database& db, qint64 size) : m_db(db), m_size(size) {}
    sqlite::Blob& blob() { return m_blob; }
    qint64 size() const override { return m_size; }
    AlbumStatus next(QByteArray& piece) override {
        const int length = int(std::min<qint64>(kPiece, std::max<qint64>(m_size, 0) - m_at));
        piece.resize(length);
        if (length == 0)
            return {};
        const int rc = m_blob.read(piece.data(), length, int(m_at));
        if (rc != SQLITE_OK) {
            sqlite::Error e = m_db.lastError();
            e.code = rc;
            piece.clear();
            return engine::fromSqlite(e);
        }
        m_at += length;
        return {};
    }

private:
    sqlite::Database& m_db;
    sqlite::Blob m_blob;
    qint64 m_size;
    qint64 m_at = 0;
};

// A larger page cache while an add run stores. With the browsing connection's small one, a
// group's pictures push the index pages out and the engine spills them mid-group, which in a large
// album first copies each one to the journal: adding to a million-record album ran at 0.80-0.92
// of the speed of adding to an empty one, 1.00-1.08 with this (bench/million).
class RunCache {
public:
    explicit RunCache(sqlite::Database& db) : m_db(db) {
        m_db.exec(QStringLiteral("PRAGMA cache_size = -32768"));
    }
    ~RunCache() { m_db.exec(QStringLiteral("PRAGMA cache_size = -%1").arg(engine::kCacheKib)); }
    RunCache(const RunCache&) = delete;
    RunCache& operator=(const RunCache&) = delete;

private:
    sqlite::Database& m_db;
};

class SqliteGroup : public WriteGroup {
public:
    explicit SqliteGroup(sqlite::Database& db) : m_tx(db) {}
    const sqlite::Error& beginError() const { return m_tx.beginError(); }
    AlbumStatus commit() override { return engine::fromSqlite(m_tx.commit()); }

private:
    sqlite::Transaction m_tx;
};

// The engine binds a value whole, so what a reader holds is gathered first (a field of the
// file album is at most 1 GB). Null comes back as a null array.
AlbumStatus gather(FieldReader& source, QByteArray& bytes) {
    const qint64 size = source.size();
    bytes = QByteArray();
    if (size < 0)
        return {};
    if (size > kLargestBlob)
        return {AlbumCondition::FieldTooLong, QStringLiteral("a field of %1 bytes").arg(size)};
    bytes = size == 0 ? QByteArray("") : QByteArray(size, Qt::Uninitialized); // empty, not Null
    qint64 at = 0;
    for (QByteArray piece;;) {
        const AlbumStatus s = source.next(piece);
        if (!s.ok())
            return s;
        if (piece.isEmpty())
            break;
        if (at + piece.size() > size)
            return {AlbumCondition::Unexpected, QStringLiteral("a field longer than it said")};
        memcpy(bytes.data() + at, piece.constData(), size_t(piece.size()));
        at += piece.size();
    }
    if (at != size)
        return {AlbumCondition::Unexpected, QStringLiteral("a field shorter than it said")};
    return {};
}

} // namespace

QList<qint64> AlbumDb::rowIds(qint64 after, int limit, AlbumStatus* status) {
    QList<qint64> ids;
    sqlite::Error e;
    sqlite::Statement st = m_db.prepare(
        QStringLiteral("SELECT rowid FROM Pictures WHERE rowid > ? ORDER BY rowid LIMIT ?"), &e);
    int rc = SQLITE_DONE;
    if (e.ok()) {
        st.bind(1, after);
        st.bind(2, qint64(limit));
        while ((rc = st.step()) == SQLITE_ROW)
            ids << st.int64(0);
        if (rc != SQLITE_DONE)
            e = m_db.lastError();
    }
    if (status)
        *status = engine::fromSqlite(e);
    return ids;
}

AlbumStatus AlbumDb::forEachRecord(const AlbumQuery& query,
                                   const std::function<bool(const PictureRecord&)>& onRecord) {
    AlbumRecordset rows(*this, query);
    if (!rows.status().ok())
        return rows.status();
    for (qint64 i = 0;; ++i) {
        AlbumStatus status;
        const auto r = rows.recordAt(i, &status);
        if (!r)
            return status.condition == AlbumCondition::NoCurrentRecord ? AlbumStatus{} : status;
        if (!onRecord(*r))
            return {};
    }
}

AlbumStatus AlbumDb::addRecordFrom(const PictureRecord& fields, FieldReader* image, qint64* rowId,
                                   bool keepRowId) {
    if (!image)
        return insertRow(fields, std::nullopt, rowId, {}, keepRowId);
    QByteArray bytes;
    const AlbumStatus s = gather(*image, bytes);
    if (!s.ok())
        return s;
    return insertRow(fields, bytes.isNull() ? std::nullopt : std::optional<QByteArrayView>(bytes),
                     rowId, {}, keepRowId);
}

std::unique_ptr<FieldReader> AlbumDb::readField(qint64 rowId, PictureField field,
                                                AlbumStatus* status) {
    if (!IsBinaryField(field)) {
        *status = {AlbumCondition::Unexpected, QStringLiteral("not a binary field")};
        return nullptr;
    }
    // Null and empty are told apart, so a copy keeps either as it was.
    sqlite::Error e;
    sqlite::Statement st = m_db.prepare(QStringLiteral("SELECT %1 IS NULL, length(%1) FROM "
                                                       "Pictures WHERE rowid = ?")
                                            .arg(QLatin1String(PictureFieldName(field))),
                                        &e);
    if (!e.ok()) {
        *status = engine::fromSqlite(e);
        return nullptr;
    }
    st.bind(1, rowId);
    const int rc = st.step();
    if (rc != SQLITE_ROW) {
        *status = rc == SQLITE_DONE ? AlbumStatus{AlbumCondition::NoCurrentRecord, {}}
                                    : engine::fromSqlite(m_db.lastError());
        return nullptr;
    }
    auto reader = std::make_unique<BlobReader>(m_db, st.int64(0) ? -1 : st.int64(1));
    if (reader->size() > 0) {
        e = reader->blob().open(m_db, "Pictures", PictureFieldName(field), rowId, false);
        if (!e.ok()) {
            *status = engine::fromSqlite(e);
            return nullptr;
        }
    }
    *status = {};
    return reader;
}

AlbumStatus AlbumDb::storeField(qint64 rowId, PictureField field, FieldReader& source) {
    if (!IsBinaryField(field))
        return {AlbumCondition::Unexpected, QStringLiteral("not a binary field")};
    QByteArray bytes;
    const AlbumStatus s = gather(source, bytes);
    return s.ok() ? replaceField(rowId, field, bytes, bytes.isNull()) : s;
}

QByteArray AlbumDb::thumbnail(qint64 rowId, AlbumStatus* status) {
    if (status)
        *status = {};
    return ReadThumbnail(*this, rowId).value_or(QByteArray());
}

AlbumStatus AlbumDb::storeThumbnail(qint64 rowId, const QByteArray& jpeg) {
    return StoreThumbnail(*this, rowId, jpeg);
}

std::unique_ptr<WriteGroup> AlbumDb::beginGroup(AlbumStatus* status) {
    auto group = std::make_unique<SqliteGroup>(m_db);
    *status = engine::fromSqlite(group->beginError());
    return status->ok() ? std::move(group) : nullptr;
}

AlbumStatus AlbumDb::completeContentHashes(const std::function<bool()>& stop) {
    return FillContentHashes(*this, nullptr, stop);
}

std::optional<ContentMatch> AlbumDb::findByContent(const QByteArray& sha256, AlbumStatus* status) {
    return FindByContent(*this, sha256, status);
}

QList<DuplicateGroup> AlbumDb::findDuplicateGroups(AlbumStatus* status) {
    return FindDuplicateGroups(*this, status);
}

AlbumStatus AlbumDb::storePictureHash(qint64 rowId, std::optional<quint64> hash) {
    return StorePictureHash(*this, rowId, hash);
}

std::shared_ptr<void> AlbumDb::beginAddRun() {
    return std::make_shared<RunCache>(m_db);
}

} // namespace q32
