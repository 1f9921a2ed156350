#pragma once
// A private configuration and program folder for one test, so no test reads the user's files.

#include <QString>
#include <QTemporaryDir>

namespace q32::test {

class TestEnv {
public:
    TestEnv();
    QString root() const { return m_dir.path(); }
    QString appDir() const { return m_dir.path() + QStringLiteral("/home/"); }
    QString configFile() const;
    // $XDG_RUNTIME_DIR for the test (0700).
    QString runtimeDir() const { return m_dir.filePath(QStringLiteral("run")); }
    QString path(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

} // namespace q32::test
