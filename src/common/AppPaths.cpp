#include "common/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace q32 {

QString ComputeAppDir() {
    QString dir = qEnvironmentVariable("QUILLON32_HOME");
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
              QStringLiteral("/quillon32");
    dir = QDir::cleanPath(QDir(dir).absolutePath());
    QDir().mkpath(dir);
    // The root folder already ends in its separator.
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

QString ShareDir() {
    const QString env = qEnvironmentVariable("QUILLON32_SHARE_DIR");
    if (!env.isEmpty())
        return QDir::cleanPath(env);
    if (QCoreApplication::instance()) {
        const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                                  QStringLiteral("/../share/quillon32"));
        if (QFileInfo::exists(installed + QStringLiteral("/Database (default).atb")))
            return installed;
    }
    return QStringLiteral(QUILLON_SOURCE_DATA_DIR);
}

bool SeedAppDir(const QString& appDir) {
    const QString share = ShareDir();
    bool ok = true;
    QDirIterator it(share, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString relative = QDir(share).relativeFilePath(source);
        const QString target = appDir + relative;
        if (QFileInfo::exists(target))
            continue;
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (!QFile::copy(source, target)) {
            ok = false;
            continue;
        }
        // Shipped files are read-only in the share folder; the user's copies must be writable.
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    }
    return ok;
}

} // namespace q32
