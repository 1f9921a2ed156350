#include "common/SharedServices.h"

#include "common/ProgramState.h"
#include "common/Text.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace q32 {

QString ImagesTail(qint64 count) {
    return count >= 2 ? QStringLiteral(" images)") : QStringLiteral(" image)");
}

QString AlbumStatusText(const OpenAlbumState& album) {
    const QString& path = album.OpenAlbumPath;
    const QFileInfo info(path);
    const qint64 size = info.isFile() ? info.size() : 0;
    return FileNameOfPath(path) + QStringLiteral("  (") + QString::number(album.RecordCount) +
           ImagesTail(album.RecordCount) + QStringLiteral("  ") + FormatThousands(size) +
           QStringLiteral(" bytes");
}

bool OpenWebPage(const QString& address) {
    return QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

} // namespace q32
