#pragma once
// A private PostgreSQL 15 for one test: a cluster in a temporary folder, reached only through
// the Unix socket in that folder (no TCP port), stopped when the object goes. Run as root (CI),
// the server runs as the system user postgres, since initdb refuses root.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace q32::test {

class PgServer {
public:
    enum class Role {
        Owner,     // logs in, may create databases
        ReadOnly,  // logs in, reads every table and writes none
        Superuser, // logs in with a password, may do anything
    };

    // Creates the cluster and starts it; see isRunning() and error(). Tests run it without
    // flushes to the disk (fsync off); a benchmark wants it durable, as a real server is.
    explicit PgServer(bool durable = false);
    ~PgServer();
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    // Why no server can be made here (the binaries are missing); empty when one can.
    static QString missingReason();

    bool isRunning() const { return m_running; }
    // The last failure, with the end of the server's log.
    const QString& error() const { return m_error; }
    QString socketDir() const { return m_dir.path(); }
    int port() const { return 5432; }
    QString conninfo(const QString& db = QStringLiteral("postgres"),
                     const QString& user = QStringLiteral("postgres")) const;

    // The URI a program is given for database db, with the role's password in it.
    QString uri(const QString& db, const QString& role, const QString& password) const;

    // The superuser "postgres" connects over the socket without a password; every role made
    // here must give its own (scram-sha-256).
    bool createRole(const QString& name, const QString& password, Role role = Role::Owner);
    bool createDatabase(const QString& name, const QString& owner = {});
    // Runs statements as the superuser; the unaligned output, or a null QString on failure.
    QString psql(const QString& sql, const QString& db = QStringLiteral("postgres"));

    // For a server going away under a session and coming back.
    bool stop();
    bool start();

private:
    bool run(const QString& tool, const QStringList& args, bool asServerUser,
             QString* output = nullptr);
    bool fail(const QString& what);

    QTemporaryDir m_dir;
    bool m_durable = false;
    bool m_running = false;
    QString m_error;
};

} // namespace q32::test
