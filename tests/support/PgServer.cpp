#include "PgServer.h"

#include <QFile>
#include <QProcess>
#include <QUrl>
#include <pwd.h>
#include <unistd.h>

namespace q32::test {

namespace {

const QString kBin = QStringLiteral("/usr/lib/postgresql/15/bin/");

QString sqlLiteral(QString text) {
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

QString sqlName(QString name) {
    return QLatin1Char('"') + name.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

} // namespace

PgServer::PgServer(bool durable) : m_durable(durable) {
    if (!missingReason().isEmpty()) {
        m_error = missingReason();
        return;
    }
    if (geteuid() == 0) {
        const passwd* pw = getpwnam("postgres");
        if (!pw) {
            fail(
                QStringLiteral("running as root, and there is no user postgres to run the server"));
            return;
        }
        if (::chown(QFile::encodeName(m_dir.path()).constData(), pw->pw_uid, pw->pw_gid) != 0) {
            fail(QStringLiteral("cannot give %1 to the user postgres").arg(m_dir.path()));
            return;
        }
    }
    if (!run(QStringLiteral("initdb"),
             {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-U"),
              QStringLiteral("postgres"), QStringLiteral("-E"), QStringLiteral("UTF8"),
              QStringLiteral("--no-locale"), QStringLiteral("--no-sync"),
              QStringLiteral("--no-instructions")},
             true))
        return;
    QFile hba(m_dir.filePath(QStringLiteral("data/pg_hba.conf")));
    if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        hba.write("local all postgres trust\n"
                  "local all all scram-sha-256\n") < 0) {
        fail(QStringLiteral("cannot write %1").arg(hba.fileName()));
        return;
    }
    hba.close();
    start();
}

PgServer::~PgServer() {
    if (m_running)
        stop();
}

QString PgServer::missingReason() {
    for (const char* tool : {"initdb", "pg_ctl", "postgres", "psql"})
        if (!QFile::exists(kBin + QLatin1String(tool)))
            return QStringLiteral("no %1 in %2: install the Debian package postgresql-15")
                .arg(QLatin1String(tool), kBin);
    return {};
}

QString PgServer::conninfo(const QString& db, const QString& user) const {
    return QStringLiteral("host=%1 port=%2 dbname=%3 user=%4")
        .arg(socketDir())
        .arg(port())
        .arg(db, user);
}

QString PgServer::uri(const QString& db, const QString& role, const QString& password) const {
    return QStringLiteral("postgresql://%1:%2@/%3?host=%4")
        .arg(role, password, db, QString::fromLatin1(QUrl::toPercentEncoding(socketDir())));
}

bool PgServer::createRole(const QString& name, const QString& password, Role role) {
    QString sql =
        QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD %2").arg(sqlName(name), sqlLiteral(password));
    switch (role) {
    case Role::Owner:
        sql += QStringLiteral(" CREATEDB");
        break;
    case Role::ReadOnly:
        sql += QStringLiteral("; GRANT pg_read_all_data TO %1").arg(sqlName(name));
        break;
    case Role::Superuser:
        sql += QStringLiteral(" SUPERUSER");
        break;
    }
    return !psql(sql).isNull();
}

bool PgServer::createDatabase(const QString& name, const QString& owner) {
    QString sql = QStringLiteral("CREATE DATABASE %1").arg(sqlName(name));
    if (!owner.isEmpty())
        sql += QStringLiteral(" OWNER %1").arg(sqlName(owner));
    return !psql(sql).isNull();
}

QString PgServer::psql(const QString& sql, const QString& db) {
    QString output;
    if (!run(QStringLiteral("psql"),
             {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"),
              QStringLiteral("-t"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
              QStringLiteral("-h"), socketDir(), QStringLiteral("-p"), QString::number(port()),
              QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-d"), db,
              QStringLiteral("-c"), sql},
             false, &output))
        return {};
    return output.isNull() ? QStringLiteral("") : output;
}

bool PgServer::start() {
    // pg_ctl -w returns once the server says it accepts connections, or fails.
    m_running = run(QStringLiteral("pg_ctl"),
                    {QStringLiteral("start"), QStringLiteral("-w"), QStringLiteral("-t"),
                     QStringLiteral("60"), QStringLiteral("-D"),
                     m_dir.filePath(QStringLiteral("data")), QStringLiteral("-l"),
                     m_dir.filePath(QStringLiteral("server.log")), QStringLiteral("-o"),
                     QStringLiteral("-c listen_addresses='' -k '%1' -p %2 -c max_connections=20 ")
                             .arg(socketDir())
                             .arg(port()) +
                         (m_durable ? QStringLiteral("-c shared_buffers=128MB")
                                    : QStringLiteral("-c fsync=off -c shared_buffers=16MB"))},
                    true);
    return m_running;
}

bool PgServer::stop() {
    const bool stopped =
        run(QStringLiteral("pg_ctl"),
            {QStringLiteral("stop"), QStringLiteral("-w"), QStringLiteral("-m"),
             QStringLiteral("fast"), QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data"))},
            true);
    if (stopped)
        m_running = false;
    return stopped;
}

bool PgServer::run(const QString& tool, const QStringList& args, bool asServerUser,
                   QString* output) {
    QProcess process;
    // The server's user may not enter the test's folder, and initdb needs a current folder.
    process.setWorkingDirectory(m_dir.path());
    if (asServerUser && geteuid() == 0) {
        process.setProgram(QStringLiteral("runuser"));
        process.setArguments(QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                         QStringLiteral("--"), kBin + tool} +
                             args);
    } else {
        process.setProgram(kBin + tool);
        process.setArguments(args);
    }
    if (!output)
        process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(process.readAllStandardOutput() +
                                                    process.readAllStandardError());
        return fail(
            QStringLiteral("%1 %2 failed (%3): %4")
                .arg(tool, args.join(QLatin1Char(' ')), process.errorString(), said.trimmed()));
    }
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    return true;
}

bool PgServer::fail(const QString& what) {
    m_error = what;
    QFile log(m_dir.filePath(QStringLiteral("server.log")));
    if (log.open(QIODevice::ReadOnly)) {
        const QByteArray all = log.readAll();
        m_error += QStringLiteral("\nserver log:\n") + QString::fromLocal8Bit(all.right(2000));
    }
    return false;
}

} // namespace q32::test
