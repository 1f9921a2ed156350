#include "common/AppPaths.h"

#include "common/PrivateFiles.h"
#include "common/Text.h"

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
    KeepPrivate(dir);
    return WithTrailingSlash(dir);
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

bool CopyShippedFiles(const QString& appDir) {
    const QString share = ShareDir();
    bool ok = true;
    QDirIterator it(share, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString relative = QDir(share).relativeFilePath(source);
        const QString target = appDir + relative;
        if (QFileInfo::exists(target))
            continue;
        KeepPrivate(QFileInfo(target).absolutePath());
        if (!QFile::copy(source, target)) {
            ok = false;
            continue;
        }
        // Shipped files are read-only in the share folder; the user's copies are writable, and
        // the user's alone.
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    return ok;
}

} // namespace q32

namespace q32 {

QString ResolvePathCase(const QString& path) {
    if (path.isEmpty() || QFileInfo::exists(path) || !path.startsWith(QLatin1Char('/')))
        return path;
    QString resolved = QStringLiteral("/");
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const QString exact = resolved + part;
        if (QFileInfo::exists(exact)) {
            resolved = exact + QLatin1Char('/');
            continue;
        }
        const QStringList entries =
            QDir(resolved).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        const auto match =
            std::find_if(entries.cbegin(), entries.cend(), [&part](const QString& e) {
                return e.compare(part, Qt::CaseInsensitive) == 0;
            });
        if (match == entries.cend())
            return path;
        resolved += *match + QLatin1Char('/');
    }
    resolved.chop(1);
    return resolved;
}

} // namespace q32
