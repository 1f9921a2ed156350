#include "platform/sqlite/SqliteDb.h"

#include <mutex>

namespace q32::sqlite {

Database& Database::operator=(Database&& other) noexcept {
    if (this != &other) {
        close();
        m_db = std::exchange(other.m_db, nullptr);
    }
    return *this;
}

Error Database::open(const QString& path, int flags) {
    close();
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        Error e = lastError();
        e.code = rc;
        close();
        return e;
    }
    sqlite3_extended_result_codes(m_db, 1);
    // SQLCipher 4 writes every failed decryption (a wrong password) to stderr; the album layer
    // reports those as conditions. The level alone does not silence 4.6.1; the source filter does.
    static std::once_flag quiet;
    std::call_once(quiet, [this] {
        sqlite3_exec(m_db, "PRAGMA cipher_log_level = NONE; PRAGMA cipher_log_source = NONE",
                     nullptr, nullptr, nullptr);
    });
    return {};
}

void Database::close() {
    if (m_db) {
        // Statements and blobs are owned by their RAII holders; close_v2 waits for them.
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

bool Database::isReadOnly() const {
    return m_db && sqlite3_db_readonly(m_db, "main") == 1;
}

Error Database::key(const QByteArray& key, const char* schema) {
    if (key.isEmpty())
        return {};
    const int rc = sqlite3_key_v2(m_db, schema, key.constData(), int(key.size()));
    if (rc != SQLITE_OK)
        return lastError();
    return {};
}

Error Database::exec(const QString& sql) {
    char* msg = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &msg);
    Error e;
    if (rc != SQLITE_OK) {
        e = lastError();
        e.code = rc;
        if (msg)
            e.message = QString::fromUtf8(msg);
    }
    sqlite3_free(msg);
    return e;
}

Statement Database::prepare(const QString& sql, Error* error) {
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr);
    if (error)
        *error = rc == SQLITE_OK ? Error{} : lastError();
    return Statement(m_db, stmt);
}

Error Database::lastError() const {
    Error e;
    if (!m_db) {
        e.code = SQLITE_MISUSE;
        e.message = QStringLiteral("database not open");
        return e;
    }
    e.code = sqlite3_extended_errcode(m_db);
    e.systemErrno = sqlite3_system_errno(m_db);
    e.message = QString::fromUtf8(sqlite3_errmsg(m_db));
    return e;
}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = other.m_db;
        m_stmt = std::exchange(other.m_stmt, nullptr);
    }
    return *this;
}

void Statement::bind(int index, const QString& text) {
    if (text.isNull()) {
        sqlite3_bind_null(m_stmt, index);
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text64(m_stmt, index, utf8.constData(), utf8.size(), SQLITE_TRANSIENT,
                        SQLITE_UTF8);
}

void Statement::bind(int index, const QByteArray& blob) {
    if (blob.isNull()) {
        sqlite3_bind_null(m_stmt, index);
        return;
    }
    sqlite3_bind_blob64(m_stmt, index, blob.constData(), blob.size(), SQLITE_TRANSIENT);
}

Error Statement::run() {
    int rc;
    while ((rc = step()) == SQLITE_ROW) {
    }
    if (rc == SQLITE_DONE)
        return {};
    Error e;
    e.code = sqlite3_extended_errcode(m_db);
    e.systemErrno = sqlite3_system_errno(m_db);
    e.message = QString::fromUtf8(sqlite3_errmsg(m_db));
    return e;
}

QString Statement::text(int col) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
    if (!data)
        return {};
    return QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, col));
}

QByteArray Statement::blob(int col) const {
    const void* data = sqlite3_column_blob(m_stmt, col);
    const int size = sqlite3_column_bytes(m_stmt, col);
    if (!data)
        return sqlite3_column_type(m_stmt, col) == SQLITE_NULL ? QByteArray() : QByteArray("");
    return QByteArray(static_cast<const char*>(data), size);
}

Error Blob::open(Database& db, const char* table, const char* column, int64_t rowId, bool write) {
    sqlite3_blob_close(m_blob);
    m_blob = nullptr;
    const int rc =
        sqlite3_blob_open(db.handle(), "main", table, column, rowId, write ? 1 : 0, &m_blob);
    if (rc != SQLITE_OK) {
        Error e = db.lastError();
        e.code = rc;
        sqlite3_blob_close(m_blob);
        m_blob = nullptr;
        return e;
    }
    return {};
}

Transaction::Transaction(Database& db, bool immediate) : m_db(db) {
    // Inside a running transaction the block becomes a savepoint, so calls nest.
    m_nested = m_db.inTransaction();
    m_begin = m_db.exec(m_nested    ? QStringLiteral("SAVEPOINT q32")
                        : immediate ? QStringLiteral("BEGIN IMMEDIATE")
                                    : QStringLiteral("BEGIN"));
    m_active = m_begin.ok();
}

Transaction::~Transaction() {
    if (!m_active)
        return;
    if (m_nested) {
        m_db.exec(QStringLiteral("ROLLBACK TO q32"));
        m_db.exec(QStringLiteral("RELEASE q32"));
    } else {
        m_db.exec(QStringLiteral("ROLLBACK"));
    }
}

Error Transaction::commit() {
    Error e = m_db.exec(m_nested ? QStringLiteral("RELEASE q32") : QStringLiteral("COMMIT"));
    if (e.ok())
        m_active = false;
    return e;
}

QString quoted(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

} // namespace q32::sqlite
