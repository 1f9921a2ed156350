#pragma once
// Prepares the files of an add run on a thread of its own, a few files ahead of the one being
// stored: reading a file and learning its format then overlap with writing the previous one into
// the album. Memory is bounded: at most `depth` files wait, each read whole only up to a limit,
// and their buffers are reused.
//
// The content hash is the costliest part of preparing a file, and one thread hashing every file
// held the run back on a two-processor machine while the storing thread waited. So the two share
// it: the thread reads ahead first, then hashes the newest file still waiting, and the one taking
// a file hashes it itself when the thread has not got to it yet.

#include "album/add/AddRecord.h"

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
    struct Waiting {
        PreparedFile file;
        bool unhashed = false; // wants its hash, which nobody has started
        bool hashing = false;  // the thread is hashing it
    };
    void work();
    // A buffer handed back for reuse, or none. Called locked when the thread runs.
    QByteArray takeSpare();
    // Hashes the newest waiting file nobody has started to hash. Called locked.
    void hashNewest(std::unique_lock<std::mutex>& lock);

    const QStringList m_files;
    const PrepareOptions m_options;     // as the caller gave them
    const PrepareOptions m_readOptions; // the same without hashing: done apart
    const int m_depth;
    qsizetype m_taken = 0;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Waiting> m_ready; // references stay valid while others are added
    std::vector<QByteArray> m_spare;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace q32
