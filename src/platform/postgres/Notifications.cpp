#include "platform/postgres/Notifications.h"

#include <QSocketNotifier>

namespace q32::pg {

Notifications::Notifications(Connection& connection, QObject* parent)
    : QObject(parent), m_conn(connection) {
    if (!m_conn.isOpen()) {
        m_lost = true;
        return;
    }
    m_notifier = new QSocketNotifier(PQsocket(m_conn.handle()), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &Notifications::readSocket);
}

Error Notifications::listen(const QString& channel) {
    const Error e = m_conn.exec(QStringLiteral("LISTEN ") + quotedIdentifier(channel)).error();
    // The statement may have read notifications along with its answer.
    deliver();
    if (e.kind == ErrorKind::ConnectionLost)
        lose();
    return e;
}

Error Notifications::unlisten(const QString& channel) {
    const Error e = m_conn.exec(QStringLiteral("UNLISTEN ") + quotedIdentifier(channel)).error();
    deliver();
    if (e.kind == ErrorKind::ConnectionLost)
        lose();
    return e;
}

void Notifications::readSocket() {
    PGconn* conn = m_conn.handle();
    // A connection closed or reopened elsewhere leaves the watched socket behind.
    if (!conn || PQsocket(conn) != m_notifier->socket()) {
        lose();
        return;
    }
    const bool read = PQconsumeInput(conn) == 1;
    deliver();
    if (!read || PQstatus(conn) == CONNECTION_BAD)
        lose();
}

void Notifications::deliver() {
    PGconn* conn = m_conn.handle();
    if (!conn)
        return;
    while (PGnotify* n = PQnotifies(conn)) {
        const QString channel = QString::fromUtf8(n->relname);
        const QString payload = QString::fromUtf8(n->extra);
        PQfreemem(n);
        emit notified(channel, payload);
    }
}

void Notifications::lose() {
    if (m_lost)
        return;
    m_lost = true;
    if (m_notifier)
        m_notifier->setEnabled(false);
    emit connectionLost();
}

} // namespace q32::pg
