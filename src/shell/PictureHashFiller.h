#pragma once
// Gives the records of an open album that lack a picture hash one, on a thread of its own at the
// lowest priority over a connection of its own, a few records per transaction so the window's
// writes wait at most a moment. Stops (and waits for its thread) when destroyed.

#include <QString>
#include <atomic>
#include <thread>

namespace q32 {

class PictureHashFiller {
public:
    PictureHashFiller(const QString& path, const QString& password);
    ~PictureHashFiller();
    PictureHashFiller(const PictureHashFiller&) = delete;
    PictureHashFiller& operator=(const PictureHashFiller&) = delete;

    // True once the thread has finished (every record hashed, or nothing could be done).
    bool finished() const { return m_finished; }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
};

} // namespace q32
