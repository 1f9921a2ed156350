#pragma once
// Tells of the records other programs (and this one) add, change and delete in a server album,
// as the server announces them: on a connection of its own, LISTENing on the album's channel.

#include "album/AlbumCondition.h"
#include "platform/postgres/PostgresDb.h"

#include <QObject>
#include <memory>

namespace q32 {

namespace pg {
class Notifications;
}

class ServerAlbumWatch : public QObject {
    Q_OBJECT
public:
    enum class Kind { Added, Changed, Deleted };
    Q_ENUM(Kind)

    // Null with status set when the album's server cannot be reached or refuses the login.
    static std::unique_ptr<ServerAlbumWatch> open(const QString& uri, const QString& password,
                                                  AlbumStatus* status);
    ~ServerAlbumWatch() override;

    // The connection broke; nothing is told from then on.
    bool isLost() const;

signals:
    void recordChanged(qint64 id, q32::ServerAlbumWatch::Kind kind);
    // Once, when the connection to the server breaks.
    void connectionLost();

private:
    ServerAlbumWatch();
    void notified(const QString& payload);

    pg::Connection m_db; // declared first: it outlives m_notifications
    std::unique_ptr<pg::Notifications> m_notifications;
};

} // namespace q32
