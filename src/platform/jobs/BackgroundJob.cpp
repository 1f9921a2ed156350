#include "platform/jobs/BackgroundJob.h"

#include "platform/jobs/HandOff.h"

#include <QThreadPool>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

namespace q32 {
namespace {

struct WorkPool : QThreadPool {
    WorkPool() { setMaxThreadCount(std::numeric_limits<int>::max()); }
};

// Its threads are given the lowest nice value for good: a thread cannot be given its priority
// back without privileges. Not SCHED_IDLE: a job that holds the album's write lock must still
// get the processor on a busy machine, or every other writer waits for it.
QThreadPool& LowestPriorityPool() {
    static WorkPool pool;
    return pool;
}

} // namespace

QThreadPool& LongWorkPool() {
    static WorkPool pool;
    return pool;
}

BackgroundJob::BackgroundJob(QObject* parent) : QObject(parent) {
    connect(&m_watcher, &QFutureWatcherBase::finished, this, [this] {
        TakeOver(this);
        m_running = false;
        emit finished();
    });
}

BackgroundJob::~BackgroundJob() {
    m_stop = true;
    m_watcher.disconnect(this);
    m_watcher.waitForFinished();
    TakeOver(this);
}

bool BackgroundJob::start(Work work, Priority priority) {
    if (m_running)
        return false;
    m_stop = false;
    m_running = true;
    const bool lowest = priority == Priority::Lowest;
    HandOver(this);
    m_watcher.setFuture(QtConcurrent::run(lowest ? &LowestPriorityPool() : &LongWorkPool(),
                                          [this, lowest, work = std::move(work)] {
                                              if (lowest)
                                                  setpriority(PRIO_PROCESS, id_t(gettid()), 19);
                                              TakeOver(this);
                                              work(m_stop);
                                              HandOver(this);
                                          }));
    return true;
}

} // namespace q32
