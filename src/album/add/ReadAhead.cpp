#include "album/add/ReadAhead.h"

#include "album/ContentHashes.h"

#include <algorithm>

namespace q32 {
namespace {

PrepareOptions withoutHash(PrepareOptions options) {
    options.contentHash = false;
    return options;
}

} // namespace

ReadAhead::ReadAhead(QStringList files, PrepareOptions options, int depth)
    : m_files(std::move(files)), m_options(std::move(options)),
      m_readOptions(withoutHash(m_options)), m_depth(depth) {
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

QByteArray ReadAhead::takeSpare() {
    if (m_spare.empty())
        return {};
    QByteArray buffer = std::move(m_spare.back());
    m_spare.pop_back();
    return buffer;
}

void ReadAhead::hashNewest(std::unique_lock<std::mutex>& lock) {
    for (auto it = m_ready.rbegin(); it != m_ready.rend(); ++it) {
        if (!it->unhashed)
            continue;
        Waiting& waiting = *it;
        waiting.unhashed = false;
        waiting.hashing = true;
        lock.unlock();
        QByteArray hash = ContentHash(waiting.file.bytes);
        lock.lock();
        waiting.file.sha256 = std::move(hash);
        waiting.hashing = false;
        m_changed.notify_all();
        return;
    }
}

void ReadAhead::work() {
    qsizetype next = 0;
    std::unique_lock lock(m_mutex);
    auto canRead = [&] { return next < m_files.size() && qsizetype(m_ready.size()) < m_depth; };
    for (;;) {
        // Reading comes first: it is quick, and it gives the taker files to hash too.
        m_changed.wait(lock, [&] {
            return m_stop || canRead() ||
                   std::any_of(m_ready.begin(), m_ready.end(),
                               [](const Waiting& w) { return w.unhashed; });
        });
        if (m_stop)
            return;
        if (canRead()) {
            QByteArray buffer = takeSpare();
            const QString& path = m_files.at(next++);
            lock.unlock();
            Waiting waiting;
            waiting.file = PrepareFile(path, m_readOptions, std::move(buffer));
            // Only files read whole are hashed here; PrepareFile sets inMemory once all is read.
            waiting.unhashed = m_options.contentHash && waiting.file.inMemory;
            lock.lock();
            m_ready.push_back(std::move(waiting));
            m_changed.notify_all();
            continue;
        }
        hashNewest(lock);
    }
}

PreparedFile ReadAhead::takeNext() {
    if (m_taken >= m_files.size())
        return {};
    const QString& path = m_files.at(m_taken++);
    if (m_depth <= 0)
        return PrepareFile(path, m_options, takeSpare());
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_ready.empty() && !m_ready.front().hashing; });
    Waiting waiting = std::move(m_ready.front());
    m_ready.pop_front();
    lock.unlock();
    m_changed.notify_all();
    if (waiting.unhashed)
        waiting.file.sha256 = ContentHash(waiting.file.bytes);
    return std::move(waiting.file);
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
