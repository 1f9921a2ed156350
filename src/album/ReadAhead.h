#pragma once
// Prepares the files of an add run on a thread of its own, a few files ahead of the one being
// stored: reading a file and learning its format then overlap with writing the previous one into
// the album. Memory is bounded: at most `depth` files wait, each read whole only up to a limit,
// and their buffers are reused.

#include "album/AddRecord.h"

#include <QStringList>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace q32 {

class ReadAhead {
public:
    // depth 0 prepares each file only when it is taken, on the caller's thread.
    ReadAhead(QStringList files, PrepareOptions options, int depth);
    // Stops preparing and waits for the thread.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next file of the list, in order; waits until it is prepared.
    PreparedFile takeNext();
    // Hands a taken file's buffer back for reuse.
    void recycle(PreparedFile&& file);

private:
    void work();

    const QStringList m_files;
    const PrepareOptions m_options;
    const int m_depth;
    qsizetype m_taken = 0;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<PreparedFile> m_ready;
    std::vector<QByteArray> m_spare;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace q32
