#include "album/AlbumEngine.h"

#include "album/AlbumDb.h"
#include "album/AlbumFunctions.h"
#include "album/RowIdRuns.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace q32::engine {

namespace {

// Protected albums: SQLCipher 4's format with HMAC-SHA256 page authentication and the default
// key derivation (PBKDF2-HMAC-SHA512, 256,000 iterations), on 64 KiB pages.
// - HMAC-SHA256 instead of the default SHA512: these processors hash SHA-256 in hardware (SHA
//   extensions). bench/album, in the same runs as the SQLCipher 3.4.1 build (HMAC-SHA1), in MB
//   of album per second of processor: store 273-312 against 229-312 for 3.4.1, extract 654-747
//   against 646-677; with HMAC-SHA512, store 235 and extract 436 (23 and 28 % slower).
// - The key derivation stays at its default: about 0.12 s of processor per open here, which is
//   the point.
// - 64 KiB pages: pictures are large blobs, and big pages store and read them several times
//   faster than 4 KiB ones (AlbumDb::PageSize).
const char* const kCurrentCipher =
    "PRAGMA %1cipher_page_size = %2; PRAGMA %1cipher_hmac_algorithm = HMAC_SHA256";
// Albums protected by the SQLCipher 3 build: its defaults (PBKDF2-HMAC-SHA1, 64,000 iterations,
// HMAC-SHA1) and our 64 KiB pages.
const char* const kVersion3Cipher =
    "PRAGMA %1cipher_compatibility = 3; PRAGMA %1cipher_page_size = %2";

sqlite::Error applyCipher(sqlite::Database& db, const QString& schema, CipherFormat format) {
    const QString prefix = schema.isEmpty() ? QString() : schema + QLatin1Char('.');
    const char* settings = format == CipherFormat::Version3 ? kVersion3Cipher : kCurrentCipher;
    return db.exec(QString::fromLatin1(settings).arg(prefix).arg(AlbumDb::PageSize));
}

// An encrypted album is indistinguishable from noise: whole pages, no known signature, and
// nearly every byte value in its first page. Text, pictures and empty files are not.
bool looksEncrypted(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (size < 1024 || size % 512 != 0)
        return false;
    const QByteArray head = file.read(4096);
    static const char* const signatures[] = {
        "SQLite format 3", "\xFF\xD8\xFF", "\x89PNG", "GIF8", "%PDF", "PK\x03\x04", "RIFF"};
    for (const char* sig : signatures)
        if (head.startsWith(sig))
            return false;
    bool seen[256] = {};
    int distinct = 0;
    for (char c : head) {
        auto& s = seen[static_cast<unsigned char>(c)];
        if (!s) {
            s = true;
            ++distinct;
        }
    }
    return distinct >= 200;
}

bool isPlainSqlite(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3", 16);
}

} // namespace

AlbumStatus fromSqlite(const sqlite::Error& error) {
    if (error.ok())
        return {};
    AlbumStatus s{AlbumCondition::Unexpected, error.message};
    switch (error.primary()) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        s.condition = AlbumCondition::Busy;
        break;
    case SQLITE_FULL:
        s.condition = AlbumCondition::DiskFull;
        break;
    case SQLITE_IOERR:
        if (error.systemErrno == ENOSPC || error.systemErrno == EFBIG ||
            error.systemErrno == EDQUOT)
            s.condition = AlbumCondition::DiskFull;
        break;
    case SQLITE_READONLY:
        s.condition = AlbumCondition::CannotWrite;
        break;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        s.condition = AlbumCondition::Damaged;
        break;
    case SQLITE_CONSTRAINT:
        if (error.code == SQLITE_CONSTRAINT_UNIQUE || error.code == SQLITE_CONSTRAINT_PRIMARYKEY)
            s.condition = AlbumCondition::DuplicateKey;
        break;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        s.condition = AlbumCondition::PathAccess;
        break;
    case SQLITE_INTERRUPT:
    case SQLITE_ABORT:
        s.condition = AlbumCondition::Cancelled;
        break;
    case SQLITE_TOOBIG:
        s.condition = AlbumCondition::FieldTooLong;
        break;
    default:
        break;
    }
    return s;
}

void configure(sqlite::Database& db) {
    // One file at rest: the rollback journal is deleted at every commit. For multi-megabyte
    // blobs it is also several times faster than WAL, which writes every page twice.
    db.exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
    db.exec(QStringLiteral("PRAGMA synchronous = FULL"));
    // A small cache: reading an order walks megabytes of index pages once, and every page of a
    // large cache is fresh memory to fault in (on this machine that cost more than the walk
    // itself: 100,000 rows opened in 25 ms of processor time with 2 MiB, 70 ms with 32 MiB).
    // Storing pictures spills a few more times, and is faster for the memory it no longer
    // touches.
    db.exec(QStringLiteral("PRAGMA cache_size = -%1").arg(kCacheKib));
    db.exec(QStringLiteral("PRAGMA temp_store = MEMORY"));
    db.setBusyTimeout(5000);
}

AlbumStatus openKeyed(const QString& path, int flags, const QString& password, sqlite::Database& db,
                      CipherFormat* format) {
    if (!QFileInfo::exists(path))
        return {AlbumCondition::FileNotFound, path};
    // A password given for a plain album is not needed to open it.
    const bool keyed = !password.isEmpty() && !isPlainSqlite(path);
    const CipherFormat tries[] = {keyed ? CipherFormat::Current : CipherFormat::Plain,
                                  CipherFormat::Version3};
    sqlite::Error e;
    for (const CipherFormat tried : tries) {
        e = db.open(path, flags);
        if (!e.ok())
            return fromSqlite(e);
        // Another connection's commit holds the file for a moment: the check waits for it, as
        // every later statement does, instead of taking the album for a damaged one.
        db.setBusyTimeout(5000);
        // A file from a stranger is only read: nothing in its schema may call our functions
        // unless they are marked harmless.
        db.exec(QStringLiteral("PRAGMA trusted_schema = OFF"));
        registerFunctions(db);
        if (keyed) {
            db.key(password.toUtf8());
            applyCipher(db, {}, tried);
        }
        e = db.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        if (e.ok()) {
            *format = tried;
            return {};
        }
        db.close();
        if (!keyed || e.primary() != SQLITE_NOTADB)
            break;
    }
    if (e.primary() == SQLITE_NOTADB)
        return {looksEncrypted(path) ? AlbumCondition::WrongPassword : AlbumCondition::NotAnAlbum,
                {}};
    return fromSqlite(e);
}

namespace {

// password null: the key main was opened with, as the engine hands it to an attachment without
// a KEY clause (the derived key and its salt, so no second derivation).
AlbumStatus attach(sqlite::Database& db, const QString& path, const QString& schema,
                   const QString* password) {
    // Connections do not create files: the new file is made empty first.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return {AlbumCondition::PathAccess, path};
    ::close(fd);
    sqlite::Error e;
    sqlite::Statement attach =
        db.prepare(QStringLiteral("ATTACH DATABASE ?1 AS %1 KEY ?2").arg(schema), &e);
    if (!e.ok())
        return fromSqlite(e);
    attach.bind(1, path);
    if (password)
        attach.bind(2, password->isEmpty() ? QStringLiteral("") : *password);
    else
        attach.bindNull(2);
    e = attach.run();
    if (!e.ok())
        return fromSqlite(e);
    e = password && password->isEmpty()
            ? db.exec(QStringLiteral("PRAGMA %1.page_size = %2").arg(schema).arg(AlbumDb::PageSize))
            : applyCipher(db, schema, CipherFormat::Current);
    return fromSqlite(e);
}

} // namespace

AlbumStatus attachTarget(sqlite::Database& db, const QString& path, const QString& schema,
                         const QString& password) {
    return attach(db, path, schema, &password);
}

AlbumStatus attachTargetWithMainKey(sqlite::Database& db, const QString& path,
                                    const QString& schema) {
    return attach(db, path, schema, nullptr);
}

bool hasTable(sqlite::Database& db, const QString& name) {
    sqlite::Statement st =
        db.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
    if (!st.isValid())
        return false;
    st.bind(1, name);
    return st.step() == SQLITE_ROW;
}

std::optional<QList<qint64>> rowsWithout(sqlite::Database& db, const QString& table,
                                         const std::function<bool()>& stop, sqlite::Error* error) {
    *error = {};
    RowIdRuns present;
    int rc = SQLITE_DONE;
    if (hasTable(db, table)) {
        sqlite::Statement ids =
            db.prepare(QStringLiteral("SELECT ID FROM %1 ORDER BY ID").arg(table), error);
        while (error->ok() && (rc = ids.step()) == SQLITE_ROW)
            present.append(ids.int64(0));
    }
    QList<qint64> missing;
    if (error->ok() && rc == SQLITE_DONE) {
        sqlite::Statement rows = db.prepare(QStringLiteral("SELECT rowid FROM Pictures"), error);
        for (qint64 n = 1; error->ok() && (rc = rows.step()) == SQLITE_ROW; ++n) {
            if (const qint64 id = rows.int64(0); !present.contains(id))
                missing << id;
            if (n % 65536 == 0 && stop && stop())
                return std::nullopt;
        }
    }
    if (error->ok() && rc != SQLITE_DONE)
        *error = db.lastError();
    std::sort(missing.begin(), missing.end());
    return missing;
}

bool atomicReplace(const QString& source, const QString& target) {
    if (::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) != 0)
        return false;
    const QString folder = QFileInfo(target).absolutePath();
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return true;
}

} // namespace q32::engine
