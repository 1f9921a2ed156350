#include "common/FolderCheck.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <unistd.h>

namespace q32 {

FolderCheck CheckFolder(const QString& folder) {
    // QDir and QFileInfo only say yes or no; the user needs to know why.
    const QByteArray path = QFile::encodeName(folder);
    if (DIR* dir = ::opendir(path.constData())) {
        ::closedir(dir);
        // Listed but not entered, its files could not be read.
        if (::access(path.constData(), X_OK) == 0)
            return {};
    }
    const int err = errno;
    if (err == ENOENT || err == ENOTDIR || folder.isEmpty())
        return {FolderCheck::Result::Missing, {}};
    return {FolderCheck::Result::Failed, QString::fromLocal8Bit(std::strerror(err))};
}

} // namespace q32
