#include "TestEnv.h"

#include <QDir>
#include <QFile>

namespace q32::test {

TestEnv::TestEnv() {
    QDir(m_dir.path()).mkpath(QStringLiteral("home"));
    QDir(m_dir.path()).mkpath(QStringLiteral("config"));
    qputenv("QUILLON32_HOME", appDir().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral("cache")).toLocal8Bit());
    // The files handed to programs outside go here, not into the user's session folder.
    QDir(m_dir.path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtimeDir().toLocal8Bit());
}

QString TestEnv::configFile() const {
    return m_dir.filePath(QStringLiteral("config/quillon32/quillon32.ini"));
}

} // namespace q32::test
