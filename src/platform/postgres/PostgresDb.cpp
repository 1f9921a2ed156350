#include "platform/postgres/PostgresDb.h"

#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QUrl>
#include <QtEndian>
#include <cerrno>
#include <poll.h>

namespace q32::pg {

namespace {

Q_LOGGING_CATEGORY(lcPg, "q32.postgres")

// Type oids of pg_type.h, which libpq-dev does not install.
constexpr Oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26;

using Options = std::vector<std::pair<QString, QString>>;

bool isConnectionString(const QString& text) {
    return text.startsWith(QLatin1String("postgresql://")) ||
           text.startsWith(QLatin1String("postgres://")) || text.contains(QLatin1Char('='));
}

// The options a connection text gives itself (no service file, no environment); a bare word is
// a database name, as libpq takes it.
Options givenOptions(const QString& text, bool* valid) {
    *valid = true;
    if (text.isEmpty())
        return {};
    if (!isConnectionString(text))
        return {{QStringLiteral("dbname"), text}};
    char* message = nullptr;
    PQconninfoOption* options = PQconninfoParse(text.toUtf8().constData(), &message);
    if (!options) {
        PQfreemem(message);
        *valid = false;
        return {};
    }
    Options given;
    for (const PQconninfoOption* o = options; o->keyword; ++o)
        if (o->val && *o->val)
            given.emplace_back(QString::fromUtf8(o->keyword), QString::fromUtf8(o->val));
    PQconninfoFree(options);
    return given;
}

QString take(Options& options, const QString& key) {
    for (auto it = options.begin(); it != options.end(); ++it)
        if (it->first == key) {
            QString value = it->second;
            options.erase(it);
            return value;
        }
    return {};
}

QString uriFrom(Options options) {
    take(options, QStringLiteral("password"));
    const QString user = take(options, QStringLiteral("user"));
    QString host = take(options, QStringLiteral("host"));
    QString port = take(options, QStringLiteral("port"));
    const QString dbname = take(options, QStringLiteral("dbname"));
    auto encoded = [](const QString& v, const char* keep = "") {
        return QString::fromLatin1(QUrl::toPercentEncoding(v, keep));
    };

    QString uri = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        uri += encoded(user) + QLatin1Char('@');
    // A socket folder or a list of hosts reads better as a query value than encoded in place.
    if (!host.isEmpty() && !host.contains(QLatin1Char('/')) && !host.contains(QLatin1Char(',')) &&
        !host.startsWith(QLatin1Char('@'))) {
        uri += host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']')
                                               : encoded(host);
        if (!port.isEmpty() && !port.contains(QLatin1Char(',')))
            uri += QLatin1Char(':') + std::exchange(port, QString());
        host.clear();
    }
    uri += QLatin1Char('/') + encoded(dbname);
    if (!port.isEmpty())
        options.insert(options.begin(), {QStringLiteral("port"), port});
    if (!host.isEmpty())
        options.insert(options.begin(), {QStringLiteral("host"), host});
    QStringList query;
    for (const auto& [key, value] : options)
        query << key + QLatin1Char('=') + encoded(value, "/:,@");
    if (!query.isEmpty())
        uri += QLatin1Char('?') + query.join(QLatin1Char('&'));
    return uri;
}

bool sslModeChosen(const Options& given) {
    for (const auto& option : given)
        if (option.first == QLatin1String("sslmode") || option.first == QLatin1String("service"))
            return true;
    return !qEnvironmentVariableIsEmpty("PGSSLMODE") || !qEnvironmentVariableIsEmpty("PGSERVICE");
}

// connect_timeout as libpq reads it (at least 2 s); 30 s when none is set.
int connectTimeoutMs(PGconn* conn) {
    int seconds = 0;
    PQconninfoOption* options = PQconninfo(conn);
    for (const PQconninfoOption* o = options; o && o->keyword; ++o)
        if (qstrcmp(o->keyword, "connect_timeout") == 0 && o->val)
            seconds = QByteArray(o->val).toInt();
    PQconninfoFree(options);
    return seconds > 0 ? std::max(seconds, 2) * 1000 : 30000;
}

ErrorKind kindOf(const QString& state) {
    if (state == QLatin1String("42501"))
        return ErrorKind::PermissionDenied;
    if (state == QLatin1String("3D000"))
        return ErrorKind::NoSuchDatabase;
    if (state.startsWith(QLatin1String("28")))
        return ErrorKind::AuthFailed;
    // Class 08 and the shutdown codes: the server ended the session.
    if (state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01") ||
        state == QLatin1String("57P02"))
        return ErrorKind::ConnectionLost;
    return ErrorKind::Other;
}

// While connecting, the server's error reaches libpq only as text. With verbose errors that
// text carries the SQLSTATE after the severity ("FATAL:  3D000: ..."); the last one counts.
const QRegularExpression& connectStateCode() {
    static const QRegularExpression re(QStringLiteral(":  ([0-9A-Z]{5}): "));
    return re;
}

QString withoutCodes(QString message) {
    message.replace(connectStateCode(), QStringLiteral(":  "));
    message.remove(QRegularExpression(QStringLiteral("^LOCATION:[^\\n]*\\n?"),
                                      QRegularExpression::MultilineOption));
    return message.trimmed();
}

Error connectError(PGconn* conn, const char* const* keys, const char* const* values,
                   bool timedOut) {
    Error e;
    e.host = QString::fromUtf8(PQhost(conn));
    e.port = QString::fromUtf8(PQport(conn));
    const QString raw = QString::fromUtf8(PQerrorMessage(conn));
    for (auto m = connectStateCode().globalMatch(raw); m.hasNext();)
        e.sqlState = m.next().captured(1);
    e.message = withoutCodes(raw);

    if (timedOut)
        e.kind = ErrorKind::Unreachable;
    else if (PQconnectionNeedsPassword(conn))
        e.kind = ErrorKind::AuthFailed;
    else if (e.sqlState == QLatin1String("57P03")) // starting up or shutting down
        e.kind = ErrorKind::Unreachable;
    else if (!e.sqlState.isEmpty())
        e.kind = kindOf(e.sqlState);
    else // libpq's ping tells a server that never answered from options it could not use
        e.kind = PQpingParams(keys, values, 1) == PQPING_NO_RESPONSE ? ErrorKind::Unreachable
                                                                     : ErrorKind::Other;
    if (e.kind == ErrorKind::Unreachable)
        e.message =
            QStringLiteral("No PostgreSQL server answers at %1, port %2%3")
                .arg(e.host, e.port,
                     timedOut ? QStringLiteral(" (timed out)") : QStringLiteral(": ") + e.message);
    return e;
}

void logNotice(void*, const PGresult* result) {
    qCDebug(lcPg).noquote() << QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
}

// Parameters as libpq takes them: texts and integers as text of no stated type, so the server
// reads them as the type the statement needs (an int in substring(), a bigint key); bytes in
// binary as bytea.
struct ParamArrays {
    explicit ParamArrays(const Params& params) {
        storage.reserve(params.size());
        for (const Param& p : params) {
            const char* value = nullptr;
            int length = 0, format = 0;
            Oid type = 0;
            if (const auto* i = std::get_if<int64_t>(&p)) {
                storage.push_back(QByteArray::number(qlonglong(*i)));
                value = storage.back().constData();
            } else if (const auto* s = std::get_if<QString>(&p); s && !s->isNull()) {
                storage.push_back(s->toUtf8());
                value = storage.back().constData();
            } else if (const auto* b = std::get_if<QByteArray>(&p); b && !b->isNull()) {
                value = b->constData();
                length = int(b->size());
                format = 1;
                type = kBytea;
            }
            values.push_back(value);
            lengths.push_back(length);
            formats.push_back(format);
            types.push_back(type);
        }
    }
    int count() const { return int(values.size()); }

    std::vector<QByteArray> storage;
    std::vector<const char*> values;
    std::vector<int> lengths;
    std::vector<int> formats;
    std::vector<Oid> types;
};

} // namespace

Result& Result::operator=(Result&& other) noexcept {
    if (this != &other) {
        PQclear(m_res);
        m_res = std::exchange(other.m_res, nullptr);
        m_error = std::move(other.m_error);
    }
    return *this;
}

QString Result::text(int row, int col) const {
    if (!m_res || isNull(row, col))
        return {};
    if (binary(col)) {
        switch (PQftype(m_res, col)) {
        case kInt2:
        case kInt4:
        case kInt8:
        case kOid:
            return QString::number(int64(row, col));
        case kBool:
            return *PQgetvalue(m_res, row, col) ? QStringLiteral("t") : QStringLiteral("f");
        }
    }
    return QString::fromUtf8(PQgetvalue(m_res, row, col), PQgetlength(m_res, row, col));
}

int64_t Result::int64(int row, int col) const {
    if (!m_res || isNull(row, col))
        return 0;
    const char* value = PQgetvalue(m_res, row, col);
    if (binary(col)) {
        switch (PQftype(m_res, col)) {
        case kInt8:
            return qFromBigEndian<qint64>(value);
        case kInt4:
            return qFromBigEndian<qint32>(value);
        case kInt2:
            return qFromBigEndian<qint16>(value);
        case kOid:
            return qFromBigEndian<quint32>(value);
        case kBool:
            return *value;
        }
    }
    return QByteArray(value, PQgetlength(m_res, row, col)).trimmed().toLongLong();
}

QByteArray Result::bytes(int row, int col) const {
    if (!m_res || isNull(row, col))
        return {};
    const char* value = PQgetvalue(m_res, row, col);
    if (binary(col) || PQftype(m_res, col) != kBytea)
        return QByteArray(value, PQgetlength(m_res, row, col));
    size_t length = 0;
    unsigned char* raw = PQunescapeBytea(reinterpret_cast<const unsigned char*>(value), &length);
    const QByteArray out(reinterpret_cast<const char*>(raw), qsizetype(length));
    PQfreemem(raw);
    return out;
}

int64_t Result::affectedRows() const {
    return m_res ? QByteArray(PQcmdTuples(m_res)).toLongLong() : 0;
}

Connection::Connection(Connection&& other) noexcept
    : m_conn(std::exchange(other.m_conn, nullptr)), m_error(std::move(other.m_error)),
      m_uri(std::move(other.m_uri)) {}

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        close();
        m_conn = std::exchange(other.m_conn, nullptr);
        m_error = std::move(other.m_error);
        m_uri = std::move(other.m_uri);
    }
    return *this;
}

Error Connection::open(const QString& conninfoOrUri, const QString& password) {
    close();
    m_error = {};
    const QString text = conninfoOrUri.trimmed();
    bool valid = false;
    const Options given = givenOptions(text, &valid);
    m_uri = valid ? uriFrom(given) : QString();

    // Entries before dbname yield to the connection text, those after it override it.
    const QByteArray info = text.toUtf8();
    const QByteArray pass = password.toUtf8();
    std::vector<const char*> keys;
    std::vector<const char*> values;
    auto add = [&](const char* key, const char* value) {
        keys.push_back(key);
        values.push_back(value);
    };
    if (!sslModeChosen(given))
        add("sslmode", "prefer");
    add("dbname", info.constData());
    add("client_encoding", "UTF8");
    add("fallback_application_name", "quillon32");
    if (!pass.isEmpty())
        add("password", pass.constData());
    add(nullptr, nullptr);

    // Connecting step by step lets the errors carry their SQLSTATE (see connectStateCode).
    m_conn = PQconnectStartParams(keys.data(), values.data(), 1);
    if (!m_conn) {
        m_error = {ErrorKind::Other, {}, QStringLiteral("out of memory"), {}, {}};
        return m_error;
    }
    PQsetErrorVerbosity(m_conn, PQERRORS_VERBOSE);
    const QDeadlineTimer deadline(connectTimeoutMs(m_conn));
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    bool timedOut = false;
    while (PQstatus(m_conn) != CONNECTION_BAD && state != PGRES_POLLING_OK &&
           state != PGRES_POLLING_FAILED) {
        pollfd fd{PQsocket(m_conn), short(state == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
        if (fd.fd < 0)
            break;
        const int ready = ::poll(&fd, 1, int(std::max<qint64>(0, deadline.remainingTime())));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            timedOut = true;
            break;
        }
        state = PQconnectPoll(m_conn);
    }
    if (!timedOut && PQstatus(m_conn) == CONNECTION_OK) {
        PQsetErrorVerbosity(m_conn, PQERRORS_DEFAULT);
        PQsetNoticeReceiver(m_conn, logNotice, nullptr);
        return {};
    }
    m_error = connectError(m_conn, keys.data(), values.data(), timedOut);
    close();
    return m_error;
}

void Connection::close() {
    if (m_conn) {
        PQfinish(m_conn);
        m_conn = nullptr;
    }
}

Error Connection::statementError(const PGresult* result) const {
    Error e;
    if (!m_conn) {
        e.kind = ErrorKind::Other;
        e.message = QStringLiteral("not connected to a server");
        return e;
    }
    e.host = QString::fromUtf8(PQhost(m_conn));
    e.port = QString::fromUtf8(PQport(m_conn));
    if (result)
        e.sqlState = QString::fromLatin1(PQresultErrorField(result, PG_DIAG_SQLSTATE));
    e.message =
        QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(m_conn)).trimmed();
    e.kind = PQstatus(m_conn) == CONNECTION_BAD ? ErrorKind::ConnectionLost : kindOf(e.sqlState);
    return e;
}

Result Connection::finish(PGresult* result) {
    switch (PQresultStatus(result)) {
    case PGRES_COMMAND_OK:
    case PGRES_TUPLES_OK:
    case PGRES_SINGLE_TUPLE:
    case PGRES_EMPTY_QUERY:
        if (result)
            return Result(result, {});
        break;
    default:
        break;
    }
    m_error = statementError(result);
    return Result(result, m_error);
}

Result Connection::exec(const QString& sql) {
    if (!m_conn)
        return finish(nullptr);
    return finish(PQexec(m_conn, sql.toUtf8().constData()));
}

Result Connection::execParams(const QString& sql, const Params& params) {
    if (!m_conn)
        return finish(nullptr);
    const ParamArrays p(params);
    return finish(PQexecParams(m_conn, sql.toUtf8().constData(), p.count(), p.types.data(),
                               p.values.data(), p.lengths.data(), p.formats.data(), 1));
}

Error Connection::prepare(const QString& name, const QString& sql) {
    if (!m_conn)
        return finish(nullptr).error();
    return finish(
               PQprepare(m_conn, name.toUtf8().constData(), sql.toUtf8().constData(), 0, nullptr))
        .error();
}

Result Connection::execPrepared(const QString& name, const Params& params) {
    if (!m_conn)
        return finish(nullptr);
    const ParamArrays p(params);
    return finish(PQexecPrepared(m_conn, name.toUtf8().constData(), p.count(), p.values.data(),
                                 p.lengths.data(), p.formats.data(), 1));
}

Error Connection::forEachRow(const QString& sql, const Params& params,
                             const std::function<bool(const Result&)>& onRow) {
    if (!m_conn)
        return finish(nullptr).error();
    // Stopping inside a transaction reads the rest away: a cancel would abort the transaction.
    const bool mayCancel = !inTransaction();
    const ParamArrays p(params);
    if (!PQsendQueryParams(m_conn, sql.toUtf8().constData(), p.count(), p.types.data(),
                           p.values.data(), p.lengths.data(), p.formats.data(), 1))
        return finish(nullptr).error();
    PQsetSingleRowMode(m_conn);

    Error error;
    bool stopped = false;
    while (PGresult* result = PQgetResult(m_conn)) {
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_SINGLE_TUPLE && !stopped) {
            const Result row(result, {});
            if (!onRow(row)) {
                stopped = true;
                if (PGcancel* cancel = mayCancel ? PQgetCancel(m_conn) : nullptr) {
                    char message[256];
                    PQcancel(cancel, message, sizeof message);
                    PQfreeCancel(cancel);
                }
            }
        } else if (status == PGRES_SINGLE_TUPLE || status == PGRES_TUPLES_OK ||
                   status == PGRES_COMMAND_OK || (stopped && mayCancel)) {
            PQclear(result); // the end, or what follows a stop (the cancel's error included)
        } else {
            error = finish(result).error();
        }
    }
    if (error.ok() && PQstatus(m_conn) == CONNECTION_BAD)
        error = finish(nullptr).error();
    return error;
}

bool Connection::inTransaction() const {
    if (!m_conn)
        return false;
    const PGTransactionStatusType status = PQtransactionStatus(m_conn);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
}

Transaction::Transaction(Connection& connection) : m_conn(connection) {
    m_nested = m_conn.inTransaction();
    m_begin =
        m_conn.exec(m_nested ? QStringLiteral("SAVEPOINT q32") : QStringLiteral("BEGIN")).error();
    m_active = m_begin.ok();
}

Transaction::~Transaction() {
    if (!m_active)
        return;
    if (m_nested) {
        m_conn.exec(QStringLiteral("ROLLBACK TO SAVEPOINT q32"));
        m_conn.exec(QStringLiteral("RELEASE SAVEPOINT q32"));
    } else {
        m_conn.exec(QStringLiteral("ROLLBACK"));
    }
}

Error Transaction::commit() {
    // COMMIT of a failed transaction rolls back and reports success; say it failed.
    if (!m_nested && m_conn.handle() && PQtransactionStatus(m_conn.handle()) == PQTRANS_INERROR)
        return {ErrorKind::Other,
                QStringLiteral("25P02"),
                QStringLiteral("the transaction was aborted by an earlier error"),
                {},
                {}};
    Error e =
        m_conn.exec(m_nested ? QStringLiteral("RELEASE SAVEPOINT q32") : QStringLiteral("COMMIT"))
            .error();
    if (e.ok())
        m_active = false;
    return e;
}

QString uriWithoutPassword(const QString& conninfoOrUri) {
    bool valid = false;
    const Options given = givenOptions(conninfoOrUri.trimmed(), &valid);
    return valid ? uriFrom(given) : QString();
}

QString quotedIdentifier(const QString& name) {
    QString out = name;
    out.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

} // namespace q32::pg
