#include "album/ContentHashes.h"

#include "album/AlbumDb.h"
#include "album/AlbumEngine.h"
#include "album/ContentHashSchema.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <algorithm>
#include <openssl/evp.h>
#include <vector>

namespace q32 {
namespace {

constexpr int kReadPiece = 1 << 20;

} // namespace

namespace engine {
namespace {

const char kTableSql[] = "CREATE TABLE %1ContentHashes (ID INTEGER PRIMARY KEY, Sha256 BLOB)";
const char kIndexSql[] = "CREATE INDEX %1ContentHashes_Sha256 ON ContentHashes (Sha256)";

QString withSchema(const char* sql, const QString& schema) {
    return QString::fromLatin1(sql).arg(schema.isEmpty() ? QString() : schema + QLatin1Char('.'));
}

} // namespace

bool isContentHashObject(const QString& type, const QString& name, const QString& sql) {
    if (type == u"table" && name == u"ContentHashes")
        return sql == withSchema(kTableSql, {});
    if (type == u"index" && name == u"ContentHashes_Sha256")
        return sql == withSchema(kIndexSql, {});
    return false;
}

sqlite::Error createContentHashes(sqlite::Database& db, const QString& schema) {
    sqlite::Error e = db.exec(withSchema(kTableSql, schema));
    if (e.ok())
        e = db.exec(withSchema(kIndexSql, schema));
    return e;
}

bool completeContentHashes(sqlite::Database& db, bool present) {
    if (present)
        return true;
    sqlite::Transaction tx(db);
    sqlite::Error e = tx.beginError();
    if (e.ok())
        e = createContentHashes(db, QStringLiteral("main"));
    if (e.ok())
        e = tx.commit();
    return e.ok();
}

sqlite::Error storeContentHash(sqlite::Database& db, qint64 rowId, const QByteArray& sha256) {
    sqlite::Error e;
    sqlite::Statement st = db.prepare(
        QStringLiteral("INSERT OR REPLACE INTO ContentHashes (ID, Sha256) VALUES (?, ?)"), &e,
        true);
    if (!e.ok())
        return e;
    st.bind(1, rowId);
    st.bind(2, sha256);
    return st.run();
}

sqlite::Error dropContentHash(sqlite::Database& db, qint64 rowId) {
    sqlite::Error e;
    sqlite::Statement st = db.prepare(QStringLiteral("DELETE FROM ContentHashes WHERE ID = ?"), &e);
    if (!e.ok())
        return e;
    st.bind(1, rowId);
    return st.run();
}

QByteArray hashStoredPicture(sqlite::Database& db, qint64 rowId, sqlite::Error* error) {
    *error = {};
    sqlite::Statement size =
        db.prepare(QStringLiteral("SELECT length(Image) FROM Pictures WHERE rowid = ? AND "
                                  "Image IS NOT NULL"),
                   error);
    if (!error->ok())
        return {};
    size.bind(1, rowId);
    if (size.step() != SQLITE_ROW)
        return {};
    const qint64 bytes = size.int64(0);
    ContentHasher hash;
    if (bytes > 0) {
        sqlite::Blob blob;
        *error = blob.open(db, "Pictures", "Image", rowId, false);
        if (!error->ok())
            return {};
        std::vector<char> piece(kReadPiece);
        for (qint64 at = 0; at < bytes;) {
            const int length = int(std::min<qint64>(kReadPiece, bytes - at));
            const int rc = blob.read(piece.data(), length, int(at));
            if (rc != SQLITE_OK) {
                *error = db.lastError();
                error->code = rc;
                return {};
            }
            hash.add(QByteArrayView(piece.data(), length));
            at += length;
        }
    }
    return hash.result();
}

} // namespace engine

// SHA-256 from libcrypto, the library SQLCipher encrypts with: it uses the processor's SHA
// instructions and hashes about thirty times faster than QCryptographicHash of Qt 6.4, so the
// add run's hashing keeps up with its storing (bench/add prints both).
ContentHasher::ContentHasher() : m_context(EVP_MD_CTX_new()) {
    EVP_DigestInit_ex(m_context, EVP_sha256(), nullptr);
}

ContentHasher::~ContentHasher() {
    EVP_MD_CTX_free(m_context);
}

void ContentHasher::add(QByteArrayView bytes) {
    EVP_DigestUpdate(m_context, bytes.data(), size_t(bytes.size()));
}

QByteArray ContentHasher::result() {
    QByteArray out(EVP_MAX_MD_SIZE, Qt::Uninitialized);
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_context, reinterpret_cast<unsigned char*>(out.data()), &length);
    out.truncate(int(length));
    return out;
}

QByteArray ContentHash(QByteArrayView bytes) {
    ContentHasher hash;
    hash.add(bytes);
    return hash.result();
}

QByteArray FileContentHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    ContentHasher hash;
    std::vector<char> piece(kReadPiece);
    for (;;) {
        const qint64 got = f.read(piece.data(), kReadPiece);
        if (got < 0)
            return {};
        if (got == 0)
            return hash.result();
        hash.add(QByteArrayView(piece.data(), got));
    }
}

AlbumStatus FillContentHashes(AlbumDb& album, qint64* hashed, const std::function<bool()>& stop,
                              int commitEveryMs) {
    if (hashed)
        *hashed = 0;
    if (album.isReadOnly() || !album.hasContentHashes())
        return {AlbumCondition::CannotWrite, album.path()};
    sqlite::Database& db = album.connection();
    sqlite::Error e;
    // Rows without a picture come along and are passed over below.
    const std::optional<QList<qint64>> listed =
        engine::rowsWithout(db, QStringLiteral("ContentHashes"), stop, &e);
    if (!e.ok())
        return engine::fromSqlite(e);
    if (!listed)
        return {AlbumCondition::Cancelled, {}};
    const QList<qint64>& missing = *listed;
    // A long fill commits now and then, so a stop or a crash keeps what was hashed.
    qsizetype next = 0;
    while (next < missing.size()) {
        sqlite::Transaction tx(db);
        if (!tx.beginError().ok())
            return engine::fromSqlite(tx.beginError());
        QElapsedTimer age;
        age.start();
        qint64 inGroup = 0;
        qint64 stored = 0;
        // At least one record a group, however short the groups are.
        for (; next < missing.size() && (inGroup == 0 || age.elapsed() < commitEveryMs); ++next) {
            if (stop && stop())
                break;
            const QByteArray sha = engine::hashStoredPicture(db, missing[next], &e);
            if (e.ok() && !sha.isEmpty()) {
                e = engine::storeContentHash(db, missing[next], sha);
                ++stored;
            }
            if (!e.ok())
                return engine::fromSqlite(e);
            ++inGroup;
        }
        e = tx.commit();
        if (!e.ok())
            return engine::fromSqlite(e);
        if (hashed)
            *hashed += stored;
        if (stop && stop())
            return {AlbumCondition::Cancelled, {}};
    }
    return {};
}

std::optional<ContentMatch> FindByContent(AlbumDb& album, const QByteArray& sha256,
                                          AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& s = status ? *status : dummy;
    s = {};
    if (!album.hasContentHashes() || sha256.isEmpty())
        return std::nullopt;
    sqlite::Error e;
    // A hash left by a row deleted outside this program names no record.
    sqlite::Statement st = album.connection().prepare(
        QStringLiteral("SELECT h.ID, p.ImageFile FROM ContentHashes h JOIN Pictures p ON "
                       "p.rowid = h.ID WHERE h.Sha256 = ? ORDER BY h.ID LIMIT 1"),
        &e, true);
    if (!e.ok()) {
        s = engine::fromSqlite(e);
        return std::nullopt;
    }
    st.bind(1, sha256);
    const int rc = st.step();
    if (rc == SQLITE_ROW)
        return ContentMatch{st.int64(0), st.text(1)};
    if (rc != SQLITE_DONE)
        s = engine::fromSqlite(album.connection().lastError());
    return std::nullopt;
}

QList<DuplicateGroup> FindDuplicateGroups(AlbumDb& album, AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& s = status ? *status : dummy;
    s = {};
    sqlite::Database& db = album.connection();
    sqlite::Error e;
    const QString sql =
        album.hasContentHashes()
            ? QStringLiteral("SELECT p.rowid, p.ImageFile, h.Sha256 FROM Pictures p LEFT JOIN "
                             "ContentHashes h ON h.ID = p.rowid WHERE p.Image IS NOT NULL "
                             "ORDER BY p.rowid")
            : QStringLiteral("SELECT rowid, ImageFile, NULL FROM Pictures WHERE Image IS NOT "
                             "NULL ORDER BY rowid");
    sqlite::Statement st = db.prepare(sql, &e);
    if (!e.ok()) {
        s = engine::fromSqlite(e);
        return {};
    }
    QHash<QByteArray, QList<ContentMatch>> byHash;
    QList<QByteArray> firstSeen; // groups in the order of their first record
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        const ContentMatch record{st.int64(0), st.text(1)};
        QByteArray sha = st.blob(2);
        if (sha.isEmpty()) {
            sha = engine::hashStoredPicture(db, record.rowId, &e);
            if (!e.ok()) {
                s = engine::fromSqlite(e);
                return {};
            }
        }
        QList<ContentMatch>& records = byHash[sha];
        if (records.isEmpty())
            firstSeen << sha;
        records << record;
    }
    if (rc != SQLITE_DONE) {
        s = engine::fromSqlite(db.lastError());
        return {};
    }
    QList<DuplicateGroup> groups;
    for (const QByteArray& sha : std::as_const(firstSeen))
        if (const QList<ContentMatch>& records = byHash[sha]; records.size() > 1)
            groups << DuplicateGroup{sha, records};
    return groups;
}

} // namespace q32
