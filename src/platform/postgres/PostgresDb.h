#pragma once
// A small RAII layer over libpq: a connection, its results and a transaction. Failures carry a
// kind taken from the SQLSTATE or the connection's state; the album layer maps it to its
// conditions. One connection is used from one thread at a time.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <libpq-fe.h>
#include <utility>
#include <variant>
#include <vector>

namespace q32::pg {

enum class ErrorKind {
    None,
    Unreachable,      // no server answered at host and port
    AuthFailed,       // a wrong or missing password, or a role the server does not accept
    NoSuchDatabase,   // 3D000
    PermissionDenied, // 42501
    ConnectionLost,   // the server went away under an open connection
    Other,
};

struct Error {
    ErrorKind kind = ErrorKind::None;
    QString sqlState; // empty when the failure has none (a refused socket, a lost connection)
    QString message;
    QString host; // where the connection went; a socket folder for a local server
    QString port;
    bool ok() const { return kind == ErrorKind::None; }
};

// A parameter: NULL, an integer, a text or bytes. Bytes are sent in binary, so a bytea needs
// no escaping and is not copied into text.
using Param = std::variant<std::monostate, int64_t, QString, QByteArray>;
using Params = std::vector<Param>;

class Result {
public:
    Result() = default;
    Result(PGresult* result, Error error) : m_res(result), m_error(std::move(error)) {}
    ~Result() { PQclear(m_res); }
    Result(Result&& other) noexcept
        : m_res(std::exchange(other.m_res, nullptr)), m_error(std::move(other.m_error)) {}
    Result& operator=(Result&& other) noexcept;
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;

    bool ok() const { return m_error.ok(); }
    const Error& error() const { return m_error; }
    const QString& sqlState() const { return m_error.sqlState; }
    PGresult* handle() const { return m_res; }

    int rows() const { return m_res ? PQntuples(m_res) : 0; }
    int columns() const { return m_res ? PQnfields(m_res) : 0; }
    bool isNull(int row, int col) const { return PQgetisnull(m_res, row, col) == 1; }
    // NULL gives a null QString. Of a binary result, only text, integer and bytea columns read
    // as text; cast others to text in the query.
    QString text(int row, int col) const;
    int64_t int64(int row, int col) const;
    QByteArray bytes(int row, int col) const; // NULL gives a null QByteArray
    // The rows an INSERT, UPDATE or DELETE touched.
    int64_t affectedRows() const;

private:
    bool binary(int col) const { return PQfformat(m_res, col) == 1; }

    PGresult* m_res = nullptr;
    Error m_error;
};

class Connection {
public:
    Connection() = default;
    ~Connection() { close(); }
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // conninfoOrUri: "postgresql://user@host/album?sslmode=require", "host=... dbname=...",
    // "service=name" (pg_service.conf, as libpq reads it) or a bare database name. The
    // password, when not empty, takes the place of one in the text; it is kept nowhere.
    // sslmode is "prefer" unless the text, a named service or PGSSLMODE says otherwise.
    Error open(const QString& conninfoOrUri, const QString& password = {});
    void close();
    // False once the server is gone, though the handle stays until close().
    bool isOpen() const { return m_conn && PQstatus(m_conn) == CONNECTION_OK; }
    PGconn* handle() const { return m_conn; }
    // Of the last open() or statement that failed.
    const Error& error() const { return m_error; }
    QString errorMessage() const { return m_error.message; }
    // What open() was given, as a URI without any password, for lists of recent albums.
    QString uriWithoutPassword() const { return m_uri; }

    // Runs one or more statements; text results.
    Result exec(const QString& sql);
    // One statement with $1.. parameters; binary results.
    Result execParams(const QString& sql, const Params& params = {});
    // The server infers the parameter types; execPrepared() runs it with binary results.
    Error prepare(const QString& name, const QString& sql);
    Result execPrepared(const QString& name, const Params& params = {});
    // Runs a query and hands the rows to onRow one at a time as they arrive, so a result larger
    // than memory streams through (large media come back as many rows of pieces). onRow sees a
    // one-row result and returns false to stop; the rest of the query is then cancelled.
    Error forEachRow(const QString& sql, const Params& params,
                     const std::function<bool(const Result&)>& onRow);

    bool inTransaction() const;

private:
    Result finish(PGresult* result);
    Error statementError(const PGresult* result) const;

    PGconn* m_conn = nullptr;
    Error m_error;
    QString m_uri;
};

// Runs a block as one transaction: rolled back unless commit() succeeded. Inside a running
// transaction the block becomes a savepoint, so calls nest.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    const Error& beginError() const { return m_begin; }
    Error commit();

private:
    Connection& m_conn;
    Error m_begin;
    bool m_active = false;
    bool m_nested = false;
};

// The URI form of a connection text, without its password (empty when the text is not valid).
QString uriWithoutPassword(const QString& conninfoOrUri);
// Quotes a name for use as an SQL identifier ("Album ""A""").
QString quotedIdentifier(const QString& name);

} // namespace q32::pg
