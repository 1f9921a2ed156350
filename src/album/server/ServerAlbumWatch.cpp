#include "album/server/ServerAlbumWatch.h"

#include "album/server/ServerSchema.h"
#include "platform/postgres/Notifications.h"

namespace q32 {

std::unique_ptr<ServerAlbumWatch>
ServerAlbumWatch::open(const QString& uri, const QString& password, AlbumStatus* status) {
    AlbumStatus dummy;
    AlbumStatus& s = status ? *status : dummy;
    std::unique_ptr<ServerAlbumWatch> watch(new ServerAlbumWatch);
    if (s = server::fromPg(watch->m_db.open(uri, password)); !s.ok())
        return nullptr;
    watch->m_notifications = std::make_unique<pg::Notifications>(watch->m_db);
    ServerAlbumWatch* w = watch.get();
    connect(w->m_notifications.get(), &pg::Notifications::notified, w,
            [w](const QString& channel, const QString& payload) {
                if (channel == QLatin1String(server::kChannel))
                    w->notified(payload);
            });
    connect(w->m_notifications.get(), &pg::Notifications::connectionLost, w,
            &ServerAlbumWatch::connectionLost);
    if (s = server::fromPg(w->m_notifications->listen(QLatin1String(server::kChannel))); !s.ok())
        return nullptr;
    return watch;
}

ServerAlbumWatch::ServerAlbumWatch() = default;

ServerAlbumWatch::~ServerAlbumWatch() {
    m_notifications.reset();
}

bool ServerAlbumWatch::isLost() const {
    return !m_notifications || m_notifications->isLost();
}

void ServerAlbumWatch::notified(const QString& payload) {
    // "insert 12", "update 12" or "delete 12", as the album's trigger says it.
    const qsizetype space = payload.indexOf(QLatin1Char(' '));
    bool ok = false;
    const qint64 id = payload.mid(space + 1).toLongLong(&ok);
    if (space < 0 || !ok)
        return;
    const QStringView op = QStringView(payload).left(space);
    if (op == u"insert")
        emit recordChanged(id, Kind::Added);
    else if (op == u"update")
        emit recordChanged(id, Kind::Changed);
    else if (op == u"delete")
        emit recordChanged(id, Kind::Deleted);
}

} // namespace q32
