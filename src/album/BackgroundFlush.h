#pragma once
// Flushes a file to the disk on a thread of its own, when asked, without making the asker wait.
//
// A long run of stores asks now and then. The disk then writes while the next files are read and
// stored, and each commit's own flush finds little left. Starting the kernel's write-out alone
// (sync_file_range) is not enough on virtual disks: their host keeps the data in its cache until
// a flush, so every commit still waited for all of it. The early flushes change nothing of what
// a commit makes durable; they only do the waiting sooner, where nobody waits for it. What they
// have written is then dropped from the kernel's file cache (see dropCleanPages).
//
// A compaction asks the same while the engine writes its copy, and keeps the flushed pages cached
// for the check that reads the copy back.
//
// A thread of its own rather than a background job: it lives for the whole run and waits for
// requests; a flush in hand is finished before it stops, as the commit would wait for it anyway.

#include <QString>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace q32 {

class BackgroundFlush {
public:
    enum class Pages { Dropped, KeptCached };
    // The file is opened at the first request when it does not exist yet.
    explicit BackgroundFlush(const QString& path, Pages afterFlush = Pages::Dropped);
    // Waits for a flush under way.
    ~BackgroundFlush();
    BackgroundFlush(const BackgroundFlush&) = delete;
    BackgroundFlush& operator=(const BackgroundFlush&) = delete;

    // Flushes what has been written so far; a request made while a flush runs is served by one
    // more flush after it.
    void request();

private:
    void work();
    void dropCleanPages();

    QByteArray m_path;
    Pages m_afterFlush;
    int m_fd = -1;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_pending = false;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace q32
