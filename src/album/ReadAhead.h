#pragma once
// Prepares the files of an add run on threads of their own, a few files ahead of the one being
// stored: reading a file, hashing it and learning its format then overlap with writing the
// previous one into the album. Hashing alone keeps one thread about as busy as storing keeps
// another, so more than one thread prepares; files still come out in list order. Memory is
// bounded: at most `depth` files are read or wait, each read whole only up to a limit, and their
// buffers are reused.

#include "album/AddRecord.h"

#include <QStringList>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace q32 {

class ReadAhead {
public:
    // depth 0 prepares each file only when it is taken, on the caller's thread.
    ReadAhead(QStringList files, PrepareOptions options, int depth, int threads = 2);
    // Stops preparing and waits for the threads.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next file of the list, in order; waits until it is prepared.
    PreparedFile takeNext();
    // Hands a taken file's buffer back for reuse.
    void recycle(PreparedFile&& file);

private:
    void work();
    QByteArray spareBuffer(); // with m_mutex held

    const QStringList m_files;
    const PrepareOptions m_options;
    const int m_depth;
    qsizetype m_taken = 0;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    qsizetype m_claimed = 0;                   // files handed to a thread so far
    std::map<qsizetype, PreparedFile> m_ready; // prepared, by index, not yet taken
    std::vector<QByteArray> m_spare;
    bool m_stop = false;
    std::vector<std::thread> m_threads;
};

} // namespace q32
