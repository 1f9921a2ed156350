#include "album/ReadAhead.h"

#include <algorithm>

namespace q32 {

ReadAhead::ReadAhead(QStringList files, PrepareOptions options, int depth, int threads)
    : m_files(std::move(files)), m_options(std::move(options)), m_depth(depth) {
    if (m_depth <= 0 || m_files.isEmpty())
        return;
    const int count = std::clamp(threads, 1, m_depth);
    for (int i = 0; i < count; ++i)
        m_threads.emplace_back([this] { work(); });
}

ReadAhead::~ReadAhead() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

QByteArray ReadAhead::spareBuffer() {
    if (m_spare.empty())
        return {};
    QByteArray buffer = std::move(m_spare.back());
    m_spare.pop_back();
    return buffer;
}

void ReadAhead::work() {
    for (;;) {
        qsizetype index;
        QByteArray buffer;
        {
            std::unique_lock lock(m_mutex);
            // Files being read count against the depth as much as files waiting.
            m_changed.wait(lock, [this] { return m_stop || m_claimed - m_taken < m_depth; });
            if (m_stop || m_claimed >= m_files.size())
                return;
            index = m_claimed++;
            buffer = spareBuffer();
        }
        PreparedFile file = PrepareFile(m_files.at(index), m_options, std::move(buffer));
        {
            std::lock_guard lock(m_mutex);
            m_ready.emplace(index, std::move(file));
        }
        m_changed.notify_all();
    }
}

PreparedFile ReadAhead::takeNext() {
    if (m_taken >= m_files.size())
        return {};
    if (m_threads.empty()) {
        const QString& path = m_files.at(m_taken++);
        return PrepareFile(path, m_options, spareBuffer());
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_ready.count(m_taken) > 0; });
    auto found = m_ready.find(m_taken);
    PreparedFile file = std::move(found->second);
    m_ready.erase(found);
    ++m_taken;
    lock.unlock();
    m_changed.notify_all();
    return file;
}

void ReadAhead::recycle(PreparedFile&& file) {
    if (file.bytes.capacity() == 0)
        return;
    std::lock_guard lock(m_mutex);
    // Buffers in flight: the ones being read or waiting, and the one being stored.
    if (int(m_spare.size()) <= m_depth)
        m_spare.push_back(std::move(file.bytes));
}

} // namespace q32
