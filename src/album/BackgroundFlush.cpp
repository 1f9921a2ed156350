#include "album/BackgroundFlush.h"

#include <QFile>
#include <fcntl.h>
#include <unistd.h>

namespace q32 {

BackgroundFlush::BackgroundFlush(const QString& path)
    : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC)) {
    if (m_fd >= 0)
        m_thread = std::thread([this] { work(); });
}

BackgroundFlush::~BackgroundFlush() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
    if (m_fd >= 0)
        ::close(m_fd);
}

void BackgroundFlush::request() {
    {
        std::lock_guard lock(m_mutex);
        m_pending = true;
    }
    m_wake.notify_one();
}

void BackgroundFlush::work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_pending || m_stop; });
        if (m_stop)
            return;
        m_pending = false;
        lock.unlock();
        // A failure here is met again, and reported, by the commit's own flush.
        ::fdatasync(m_fd);
        lock.lock();
    }
}

} // namespace q32
