#include "album/BackgroundFlush.h"

#include <QFile>
#include <fcntl.h>
#include <unistd.h>

namespace q32 {

BackgroundFlush::BackgroundFlush(const QString& path, Pages afterFlush)
    : m_path(QFile::encodeName(path)), m_afterFlush(afterFlush),
      m_fd(::open(m_path.constData(), O_RDONLY | O_CLOEXEC)) {
    m_thread = std::thread([this] { work(); });
}

BackgroundFlush::~BackgroundFlush() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
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
        if (m_fd < 0)
            m_fd = ::open(m_path.constData(), O_RDONLY | O_CLOEXEC);
        // A failure here is met again, and reported, by the final flush.
        if (m_fd >= 0 && ::fdatasync(m_fd) == 0 && m_afterFlush == Pages::Dropped)
            dropCleanPages();
        lock.lock();
    }
}

void BackgroundFlush::dropCleanPages() {
    // Pages written to the disk leave the kernel's file cache at once. A run of many gigabytes
    // then reuses the same few pages instead of filling the memory with the album and pushing out
    // what the rest of the desktop had cached. Fresh pages cost too: on a virtual machine whose
    // host takes free memory back, every page touched for the first time after a while is a
    // fault in the host, which made the writes of an add run twice as slow. Pages still to be
    // written are not dropped, and reading a dropped page back only costs a disk read.
    ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_DONTNEED);
}

} // namespace q32
