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

} // namespace

QThreadPool& LongWorkPool() {
    static WorkPool pool;
    return pool;
}

BackgroundJob::BackgroundJob(QObject* parent) : QObject(parent) {}

BackgroundJob::~BackgroundJob() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

bool BackgroundJob::start(Work work, Priority priority) {
    if (m_running)
        return false;
    m_stop = false;
    m_running = true;
    m_thread = std::thread([this, priority, work = std::move(work)] {
        // Not SCHED_IDLE: a job that holds the album's write lock must still get the processor
        // on a busy machine, or every other writer waits for it.
        if (priority == Priority::Lowest)
            setpriority(PRIO_PROCESS, id_t(gettid()), 19);
        work(m_stop);
        CallOnThreadOf(this, [this] {
            m_thread.join();
            m_running = false;
            emit finished();
        });
    });
    return true;
}

} // namespace q32
