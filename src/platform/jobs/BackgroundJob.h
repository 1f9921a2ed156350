#pragma once
// The one way the program runs background work. A short piece of work (a decode, a read) runs
// on Qt's global pool as a QFuture and hands its result back with WhenReady
// (common/WhenReady.h). A long job (a scan, an add run, a print, a compaction) runs through a
// BackgroundJob: on a thread of its own, so it never keeps a short decode waiting, with a stop
// flag it checks between its steps and finished() on the thread that owns the job. The job's
// progress and results are its owner's own signals and values, emitted from the work (queued
// to the owner's thread, or sent with CallOnThreadOf) and read after finished().

#include <QFutureWatcher>
#include <QObject>
#include <QtConcurrent/QtConcurrentRun>
#include <atomic>
#include <functional>
#include <thread>
#include <utility>

class QThreadPool;

namespace q32 {

// Long jobs' pool: as many threads as jobs at once, so one job never waits for another.
QThreadPool& LongWorkPool();

// A long piece of work that only returns a result (see WhenReady): runs on LongWorkPool.
template <typename Work> auto RunLong(Work&& work) {
    return QtConcurrent::run(&LongWorkPool(), std::forward<Work>(work));
}

class BackgroundJob : public QObject {
    Q_OBJECT
public:
    using Work = std::function<void(const std::atomic<bool>& stop)>;

    explicit BackgroundJob(QObject* parent = nullptr);
    // Asks the work to stop and waits for the step in hand: the work must not outlive what it
    // uses. Owners whose work may take long to stop hand it what it needs by value instead and
    // let it run on.
    ~BackgroundJob() override;

    enum class Priority {
        Normal,
        // Work that yields to everything else (filling the hashes of a whole album).
        Lowest,
    };
    // False when a job is still running.
    bool start(Work work, Priority priority = Priority::Normal);
    void requestStop() { m_stop = true; }
    bool stopRequested() const { return m_stop; }
    // From start() until the work has returned.
    bool isRunning() const { return m_running; }

signals:
    // On the owner's thread, once the work has returned.
    void finished();

private:
    // A thread of its own for each run: as many at once as jobs, started and joined where
    // ThreadSanitizer sees both, and a lowered priority ends with it.
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    bool m_running = false;
};

} // namespace q32
