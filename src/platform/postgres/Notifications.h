#pragma once
// LISTEN on a connection: the server's notifications arrive as signals through the event loop.

#include "platform/postgres/PostgresDb.h"

#include <QObject>

class QSocketNotifier;

namespace q32::pg {

class Notifications : public QObject {
    Q_OBJECT
public:
    // The connection must outlive this object and be used for listening only: a statement run
    // on it elsewhere may read a notification that would then wait for the next one.
    explicit Notifications(Connection& connection, QObject* parent = nullptr);

    Error listen(const QString& channel);
    Error unlisten(const QString& channel);
    bool isLost() const { return m_lost; }

signals:
    void notified(const QString& channel, const QString& payload);
    // Once, when the server closes the connection or it breaks.
    void connectionLost();

private:
    void readSocket();
    void deliver();
    void lose();

    Connection& m_conn;
    QSocketNotifier* m_notifier = nullptr;
    bool m_lost = false;
};

} // namespace q32::pg
