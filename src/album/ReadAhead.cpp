#include "album/ReadAhead.h"

namespace q32 {

ReadAhead::ReadAhead(QStringList files, PrepareOptions options, int depth)
    : m_files(std::move(files)), m_options(std::move(options)), m_depth(depth) {
    if (m_depth > 0 && !m_files.isEmpty())
        m_thread = std::thread([this] { work(); });
}

ReadAhead::~ReadAhead() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void ReadAhead::work() {
    for (qsizetype i = 0; i < m_files.size(); ++i) {
        QByteArray buffer;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || qsizetype(m_ready.size()) < m_depth; });
            if (m_stop)
                return;
            if (!m_spare.empty()) {
                buffer = std::move(m_spare.back());
                m_spare.pop_back();
            }
        }
        PreparedFile file = PrepareFile(m_files.at(i), m_options, std::move(buffer));
        {
            std::lock_guard lock(m_mutex);
            m_ready.push_back(std::move(file));
        }
        m_changed.notify_all();
    }
}

PreparedFile ReadAhead::takeNext() {
    if (m_taken >= m_files.size())
        return {};
    const QString& path = m_files.at(m_taken++);
    if (m_depth <= 0) {
        QByteArray buffer;
        if (!m_spare.empty()) {
            buffer = std::move(m_spare.back());
            m_spare.pop_back();
        }
        return PrepareFile(path, m_options, std::move(buffer));
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_ready.empty(); });
    PreparedFile file = std::move(m_ready.front());
    m_ready.pop_front();
    lock.unlock();
    m_changed.notify_all();
    return file;
}

void ReadAhead::recycle(PreparedFile&& file) {
    if (file.bytes.capacity() == 0)
        return;
    std::lock_guard lock(m_mutex);
    // Buffers in flight: the ones waiting, the one being stored and one being filled.
    if (int(m_spare.size()) <= m_depth)
        m_spare.push_back(std::move(file.bytes));
}

} // namespace q32
