#include "album/AlbumEngine.h"

#include "album/AlbumDb.h"

#include <QCollator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace q32::engine {

namespace {

const char* const kFieldNames[] = {"Date",      "Thumbnail",  "Image",       "SoundFile",
                                   "SoundType", "ImageFile",  "ImageFormat", "ImageProperties",
                                   "Keywords",  "Description"};

QString textArg(sqlite3_value* value) {
    const auto* data = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return data ? QString::fromUtf8(data, sqlite3_value_bytes(value)) : QString();
}

// Pattern match with the album's wildcards: * any run, ? one character, # one digit,
// [abc] / [!abc] / [a-z] one character of a set. Both sides are case-folded by the caller.
bool wildMatch(const QString& text, qsizetype t, const QString& pattern, qsizetype p) {
    while (p < pattern.size()) {
        const QChar pc = pattern.at(p);
        if (pc == u'*') {
            while (p < pattern.size() && pattern.at(p) == u'*')
                ++p;
            if (p == pattern.size())
                return true;
            for (qsizetype i = t; i <= text.size(); ++i)
                if (wildMatch(text, i, pattern, p))
                    return true;
            return false;
        }
        if (t >= text.size())
            return false;
        const QChar tc = text.at(t);
        if (pc == u'?') {
        } else if (pc == u'#') {
            if (!tc.isDigit())
                return false;
        } else if (pc == u'[') {
            const qsizetype close = pattern.indexOf(u']', p + 1);
            if (close < 0)
                return tc == pc && wildMatch(text, t + 1, pattern, p + 1);
            qsizetype i = p + 1;
            const bool negate = i < close && pattern.at(i) == u'!';
            if (negate)
                ++i;
            bool inSet = false;
            for (; i < close; ++i) {
                if (i + 2 < close && pattern.at(i + 1) == u'-') {
                    inSet = inSet || (tc >= pattern.at(i) && tc <= pattern.at(i + 2));
                    i += 2;
                } else {
                    inSet = inSet || tc == pattern.at(i);
                }
            }
            if (inSet == negate)
                return false;
            p = close;
        } else if (pc != tc) {
            return false;
        }
        ++p;
        ++t;
    }
    return t == text.size();
}

// q32_like(value, pattern): case-insensitive for every language, unlike the engine's LIKE.
void likeFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString value = textArg(argv[0]).toCaseFolded();
    const QString pattern = textArg(argv[1]).toCaseFolded();
    sqlite3_result_int(ctx, wildMatch(value, 0, pattern, 0) ? 1 : 0);
}

// Names sort as people read them (é with e), without case, in the user's language.
QCollator makeCollator() {
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

int noCaseCollation(void*, int lengthA, const void* a, int lengthB, const void* b) {
    thread_local const QCollator collator = makeCollator();
    const QString sa = QString::fromUtf8(static_cast<const char*>(a), lengthA);
    const QString sb = QString::fromUtf8(static_cast<const char*>(b), lengthB);
    const int folded = collator.compare(sa, sb);
    return folded != 0 ? folded : sa.compare(sb, Qt::CaseSensitive);
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

// The text index's columns, in order. Date leads so that the date orders and the filters (which
// sort by date) walk the index in order; the rest make it cover every text a row shows.
const char* const kTextIndexColumns[] = {
    "Date", "ImageFile", "ImageFormat", "SoundType", "ImageProperties", "Keywords", "Description"};

QString textIndexSql(const QString& schema) {
    QStringList columns;
    for (const char* c : kTextIndexColumns)
        columns << QLatin1String(c);
    return QStringLiteral("CREATE INDEX %1.%2 ON Pictures (%3)")
        .arg(schema, QLatin1String(kTextIndex), columns.join(QStringLiteral(", ")));
}

} // namespace

const char* const kTextIndex = "Pictures_Texts";

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

void configure(sqlite::Database& db, bool) {
    // One file at rest: the rollback journal is deleted at every commit. For multi-megabyte
    // blobs it is also several times faster than WAL, which writes every page twice.
    db.exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
    db.exec(QStringLiteral("PRAGMA synchronous = FULL"));
    // Enough cache to hold a large picture's pages while it is stored, so they are written once.
    db.exec(QStringLiteral("PRAGMA cache_size = -32768"));
    db.exec(QStringLiteral("PRAGMA temp_store = MEMORY"));
    db.setBusyTimeout(5000);
    sqlite3_create_function_v2(db.handle(), "q32_like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                               nullptr, likeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_collation_v2(db.handle(), "Q32_NOCASE", SQLITE_UTF8, nullptr, noCaseCollation,
                                nullptr);
}

AlbumStatus openKeyed(const QString& path, int flags, const QString& password, sqlite::Database& db,
                      bool* encrypted) {
    if (!QFileInfo::exists(path))
        return {AlbumCondition::FileNotFound, path};
    sqlite::Error e = db.open(path, flags);
    if (!e.ok())
        return fromSqlite(e);
    if (!password.isEmpty()) {
        db.key(password.toUtf8());
        // SQLCipher 3 forgets the page size between opens; it must follow the key.
        db.exec(QStringLiteral("PRAGMA cipher_page_size = %1").arg(AlbumDb::PageSize));
    }
    e = db.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    if (e.ok()) {
        *encrypted = !password.isEmpty();
        return {};
    }
    db.close();
    if (e.primary() == SQLITE_NOTADB) {
        if (!password.isEmpty() && isPlainSqlite(path))
            return openKeyed(path, flags, QString(), db, encrypted);
        if (looksEncrypted(path))
            return {AlbumCondition::WrongPassword, {}};
        return {AlbumCondition::NotAnAlbum, {}};
    }
    return fromSqlite(e);
}

AlbumStatus verifyAlbum(sqlite::Database& db, bool* unique, bool* textIndex) {
    sqlite::Error e;
    sqlite::Statement master =
        db.prepare(QStringLiteral("SELECT type, name, sql FROM sqlite_master"), &e);
    if (!e.ok())
        return fromSqlite(e);
    bool hasPictures = false;
    int rc;
    while ((rc = master.step()) == SQLITE_ROW) {
        const QString type = master.text(0);
        const QString name = master.text(1);
        const QString sql = master.text(2).simplified();
        if (type == u"trigger" || type == u"view")
            return {AlbumCondition::NotAnAlbum, QStringLiteral("holds %1 %2").arg(type, name)};
        if (type == u"table" && sql.startsWith(u"CREATE VIRTUAL", Qt::CaseInsensitive))
            return {AlbumCondition::NotAnAlbum, QStringLiteral("virtual table %1").arg(name)};
        if (type == u"table" && name.compare(u"Pictures", Qt::CaseInsensitive) == 0)
            hasPictures = true;
    }
    if (rc != SQLITE_DONE)
        return fromSqlite(db.lastError());
    if (!hasPictures)
        return {AlbumCondition::NotAnAlbum, QStringLiteral("no table Pictures")};

    sqlite::Statement info = db.prepare(QStringLiteral("PRAGMA table_info(Pictures)"), &e);
    if (!e.ok())
        return fromSqlite(e);
    int column = 0;
    while (info.step() == SQLITE_ROW) {
        if (column >= 10 ||
            info.text(1).compare(QLatin1String(kFieldNames[column]), Qt::CaseInsensitive) != 0)
            return {AlbumCondition::NotAnAlbum, QStringLiteral("unexpected fields")};
        ++column;
    }
    if (column != 10)
        return {AlbumCondition::NotAnAlbum, QStringLiteral("missing fields")};

    *unique = false;
    sqlite::Statement indexes = db.prepare(QStringLiteral("PRAGMA index_list(Pictures)"), &e);
    if (!e.ok())
        return fromSqlite(e);
    bool hasTextIndex = false;
    while (indexes.step() == SQLITE_ROW) {
        if (indexes.text(1) == u"Primary_Key")
            *unique = indexes.int64(2) != 0;
        if (indexes.text(1) == QLatin1String(kTextIndex))
            hasTextIndex = true;
    }
    if (hasTextIndex) {
        // Only an index with exactly our columns and their plain order is used as ours.
        sqlite::Statement columns =
            db.prepare(QStringLiteral("PRAGMA index_xinfo(%1)").arg(QLatin1String(kTextIndex)), &e);
        if (!e.ok())
            return fromSqlite(e);
        // Rows: seqno, cid, name, desc, coll, key; the key columns come first, in order.
        int n = 0;
        while (hasTextIndex && columns.step() == SQLITE_ROW && columns.int64(5) != 0) {
            hasTextIndex = n < int(std::size(kTextIndexColumns)) &&
                           columns.text(2) == QLatin1String(kTextIndexColumns[n]) &&
                           columns.int64(3) == 0 && columns.text(4) == u"BINARY";
            ++n;
        }
        hasTextIndex = hasTextIndex && n == int(std::size(kTextIndexColumns));
    }
    if (textIndex)
        *textIndex = hasTextIndex;
    return {};
}

AlbumStatus createSchema(sqlite::Database& db, const QString& schema, bool unique) {
    // Date holds ISO text (YYYY-MM-DD) so it sorts by time; the text sizes are the limits the
    // album layer enforces. The index compares names without case, as users expect.
    sqlite::Error e =
        db.exec(QStringLiteral("CREATE TABLE %1.Pictures (Date TEXT, Thumbnail BLOB, Image BLOB, "
                               "SoundFile BLOB, SoundType VARCHAR(128), ImageFile VARCHAR(128), "
                               "ImageFormat VARCHAR(55), ImageProperties VARCHAR(80), "
                               "Keywords VARCHAR(128), Description TEXT)")
                    .arg(schema));
    if (e.ok())
        e = db.exec(QStringLiteral("CREATE %1INDEX %2.Primary_Key ON Pictures "
                                   "(ImageFile COLLATE NOCASE)")
                        .arg(unique ? QStringLiteral("UNIQUE ") : QString(), schema));
    if (e.ok())
        e = db.exec(textIndexSql(schema));
    return fromSqlite(e);
}

AlbumStatus addTextIndex(sqlite::Database& db) {
    sqlite::Transaction tx(db);
    sqlite::Error e = tx.beginError();
    if (e.ok())
        e = db.exec(textIndexSql(QStringLiteral("main")));
    if (e.ok())
        e = tx.commit();
    return fromSqlite(e);
}

AlbumStatus attachTarget(sqlite::Database& db, const QString& path, const QString& schema,
                         const QString& password) {
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
    attach.bind(2, password.isEmpty() ? QStringLiteral("") : password);
    e = attach.run();
    if (!e.ok())
        return fromSqlite(e);
    e = db.exec(
        password.isEmpty()
            ? QStringLiteral("PRAGMA %1.page_size = %2").arg(schema).arg(AlbumDb::PageSize)
            : QStringLiteral("PRAGMA %1.cipher_page_size = %2").arg(schema).arg(AlbumDb::PageSize));
    return fromSqlite(e);
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
