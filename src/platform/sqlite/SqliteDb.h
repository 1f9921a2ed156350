#pragma once
// A small RAII layer over SQLCipher's sqlite3 API: a connection, a prepared statement and an
// incremental blob handle. Results are sqlite codes; the album layer maps them to its conditions.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <sqlcipher/sqlite3.h>
#include <utility>

namespace q32::sqlite {

// A result code with the engine's message and, for I/O errors, the system errno.
struct Error {
    int code = SQLITE_OK;
    int systemErrno = 0;
    QString message;
    bool ok() const { return code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE; }
    int primary() const { return code & 0xff; }
};

class Statement;

class Database {
public:
    Database() = default;
    ~Database() { close(); }
    Database(Database&& other) noexcept : m_db(std::exchange(other.m_db, nullptr)) {}
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // flags: SQLITE_OPEN_READONLY or SQLITE_OPEN_READWRITE [| SQLITE_OPEN_CREATE].
    Error open(const QString& path, int flags);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    sqlite3* handle() const { return m_db; }
    // True when the engine opened the file read-only although writing was asked for.
    bool isReadOnly() const;

    // Sets the key of schema "main" (or an attached schema); an empty key leaves it plain.
    Error key(const QByteArray& key, const char* schema = "main");
    Error exec(const QString& sql);
    // persistent: the statement is kept and run many times (the engine keeps its buffers).
    Statement prepare(const QString& sql, Error* error = nullptr, bool persistent = false);
    Error lastError() const;
    int64_t lastInsertRowId() const { return sqlite3_last_insert_rowid(m_db); }
    int changes() const { return sqlite3_changes(m_db); }
    void setBusyTimeout(int ms) { sqlite3_busy_timeout(m_db, ms); }
    bool inTransaction() const { return m_db && !sqlite3_get_autocommit(m_db); }

private:
    sqlite3* m_db = nullptr;
};

class Statement {
public:
    Statement() = default;
    Statement(sqlite3* db, sqlite3_stmt* stmt) : m_db(db), m_stmt(stmt) {}
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(Statement&& other) noexcept
        : m_db(other.m_db), m_stmt(std::exchange(other.m_stmt, nullptr)) {}
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool isValid() const { return m_stmt != nullptr; }
    sqlite3_stmt* handle() const { return m_stmt; }
    void bindNull(int index) { sqlite3_bind_null(m_stmt, index); }
    void bind(int index, int64_t value) { sqlite3_bind_int64(m_stmt, index, value); }
    void bind(int index, const QString& text); // a null QString binds NULL
    void bind(int index, const QByteArray& blob);
    void bindZeroBlob(int index, int64_t size) { sqlite3_bind_zeroblob64(m_stmt, index, size); }

    // SQLITE_ROW, SQLITE_DONE or an error code (see Database::lastError()).
    int step() { return sqlite3_step(m_stmt); }
    // Steps to the end; the error of the first failing step.
    Error run();
    void reset() {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }

    bool isNull(int col) const { return sqlite3_column_type(m_stmt, col) == SQLITE_NULL; }
    int64_t int64(int col) const { return sqlite3_column_int64(m_stmt, col); }
    QString text(int col) const; // NULL gives a null QString
    QByteArray blob(int col) const;

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

// An open handle on one blob value, for reading and writing it in pieces.
class Blob {
public:
    Blob() = default;
    ~Blob() { sqlite3_blob_close(m_blob); }
    Blob(const Blob&) = delete;
    Blob& operator=(const Blob&) = delete;

    Error open(Database& db, const char* table, const char* column, int64_t rowId, bool write);
    void close() {
        sqlite3_blob_close(m_blob);
        m_blob = nullptr;
    }
    bool isOpen() const { return m_blob != nullptr; }
    int size() const { return m_blob ? sqlite3_blob_bytes(m_blob) : 0; }
    int read(void* buffer, int length, int offset) {
        return sqlite3_blob_read(m_blob, buffer, length, offset);
    }
    int write(const void* buffer, int length, int offset) {
        return sqlite3_blob_write(m_blob, buffer, length, offset);
    }

private:
    sqlite3_blob* m_blob = nullptr;
};

// Runs a block as one transaction: rolled back unless commit() succeeded.
class Transaction {
public:
    // immediate: take the write lock at once, so a busy album is seen before any work.
    explicit Transaction(Database& db, bool immediate = true);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    const Error& beginError() const { return m_begin; }
    Error commit();

private:
    Database& m_db;
    Error m_begin;
    bool m_active = false;
    bool m_nested = false;
};

// Quotes a text for use as an SQL string literal.
QString quoted(const QString& text);

// The versions of the engine in use: "3.46.1" and "4.6.1 community".
QString sqliteVersion();
QString cipherVersion();

} // namespace q32::sqlite
