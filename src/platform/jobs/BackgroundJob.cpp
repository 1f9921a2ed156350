#include "platform/jobs/BackgroundJob.h"

#include <QThreadPool>
#include <limits>

namespace q32 {

QThreadPool& LongWorkPool() {
    static QThreadPool pool;
    static const bool sized = [] {
        pool.setMaxThreadCount(std::numeric_limits<int>::max());
        return true;
    }();
    Q_UNUSED(sized);
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

bool BackgroundJob::start(Work work) {
    if (m_running)
        return false;
    m_stop = false;
    m_running = true;
    m_watcher.setFuture(
        QtConcurrent::run(&LongWorkPool(), [this, work = std::move(work)] { work(m_stop); }));
    return true;
}

} // namespace q32
