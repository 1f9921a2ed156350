#include "platform/jobs/BackgroundJob.h"

#include <QThreadPool>
#include <limits>

namespace q32 {

namespace {

struct WorkPool : QThreadPool {
    explicit WorkPool(QThread::Priority priority) {
        setMaxThreadCount(std::numeric_limits<int>::max());
        setThreadPriority(priority);
    }
};

} // namespace

QThreadPool& LongWorkPool() {
    static WorkPool pool(QThread::InheritPriority);
    return pool;
}

QThreadPool& IdleWorkPool() {
    static WorkPool pool(QThread::IdlePriority);
    return pool;
}

BackgroundJob::BackgroundJob(QObject* parent) : QObject(parent) {
    connect(&m_watcher, &QFutureWatcherBase::finished, this, [this] {
        m_running = false;
        emit finished();
    });
}

BackgroundJob::~BackgroundJob() {
    m_stop = true;
    m_watcher.disconnect(this);
    m_watcher.waitForFinished();
}

bool BackgroundJob::start(Work work, QThreadPool& pool) {
    if (m_running)
        return false;
    m_stop = false;
    m_running = true;
    m_watcher.setFuture(QtConcurrent::run(&pool, [this, work = std::move(work)] { work(m_stop); }));
    return true;
}

} // namespace q32
