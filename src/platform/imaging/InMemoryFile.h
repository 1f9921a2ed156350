#pragma once
// Bytes as a file with a path, for the imaging layer, which reads paths: an anonymous in-memory
// file, so a picture of an album is decoded without being written to disk.

#include <QByteArray>
#include <QString>
#include <sys/mman.h>
#include <unistd.h>

namespace q32::imaging {

class InMemoryFile {
public:
    InMemoryFile(const char* name, const QByteArray& bytes)
        : m_fd(memfd_create(name, MFD_CLOEXEC)) {
        qint64 written = 0;
        while (m_fd >= 0 && written < bytes.size()) {
            const ssize_t n =
                ::write(m_fd, bytes.constData() + written, size_t(bytes.size() - written));
            if (n <= 0)
                break;
            written += n;
        }
        m_ok = m_fd >= 0 && written == bytes.size();
    }
    ~InMemoryFile() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    InMemoryFile(const InMemoryFile&) = delete;
    InMemoryFile& operator=(const InMemoryFile&) = delete;

    // False when the file could not be made or filled.
    bool ok() const { return m_ok; }
    QString path() const { return QStringLiteral("/proc/self/fd/%1").arg(m_fd); }

private:
    int m_fd;
    bool m_ok = false;
};

} // namespace q32::imaging
