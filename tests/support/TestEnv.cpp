#include "TestEnv.h"

#include <QDir>

namespace q32::test {

TestEnv::TestEnv() {
    QDir(m_dir.path()).mkpath(QStringLiteral("home"));
    QDir(m_dir.path()).mkpath(QStringLiteral("config"));
    qputenv("QUILLON32_HOME", appDir().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toLocal8Bit());
}

QString TestEnv::configFile() const {
    return m_dir.filePath(QStringLiteral("config/quillon32/quillon32.ini"));
}

} // namespace q32::test
