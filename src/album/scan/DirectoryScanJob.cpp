#include "album/scan/DirectoryScanJob.h"

#include <QElapsedTimer>
#include <QThread>
#include <utility>

namespace q32 {

namespace {
constexpr qint64 kSignalIntervalMs = 30;
}

// Lives on the worker thread; emits the job's signals from there (queued to the job's thread).
class DirectoryScanJob::Listener : public ScanListener {
public:
    explicit Listener(DirectoryScanJob* job) : m_job(job) {}
    void directoryRecorded(const QString& path) override {
        if (!m_dirTimer.isValid() || m_dirTimer.elapsed() >= kSignalIntervalMs) {
            m_dirTimer.start();
            emit m_job->directoryRecorded(path);
        }
    }
    void progress(const ScanProgress& p) override {
        if (!m_progressTimer.isValid() || m_progressTimer.elapsed() >= kSignalIntervalMs) {
            m_progressTimer.start();
            emit m_job->progress(p.directories, p.files);
        }
    }
    bool stopRequested() const override { return m_job->m_stop; }
    void filesListed(const QStringList& files) override {
        m_batch += files;
        if (!m_batchTimer.isValid() || m_batchTimer.elapsed() >= kSignalIntervalMs)
            flush();
    }
    void flush() {
        m_batchTimer.start();
        if (!m_batch.isEmpty())
            emit m_job->filesFound(std::exchange(m_batch, {}));
    }

private:
    DirectoryScanJob* m_job;
    QStringList m_batch;
    QElapsedTimer m_batchTimer;
    QElapsedTimer m_dirTimer;
    QElapsedTimer m_progressTimer;
};

DirectoryScanJob::DirectoryScanJob(SearchRequest request, QObject* parent)
    : QObject(parent), m_request(std::move(request)) {}

DirectoryScanJob::~DirectoryScanJob() {
    if (m_thread) {
        m_stop = true;
        m_thread->wait();
        delete m_thread;
    }
}

void DirectoryScanJob::start() {
    if (isRunning())
        return;
    delete m_thread;
    m_stop = false;
    m_thread = QThread::create([this] {
        Listener listener(this);
        m_result = RunSearch(m_request, &listener);
        listener.flush();
    });
    // QThread::finished comes from the worker; the job's own thread sees it queued.
    connect(m_thread, &QThread::finished, this, &DirectoryScanJob::finished);
    m_thread->start();
}

bool DirectoryScanJob::isRunning() const {
    return m_thread && m_thread->isRunning();
}

} // namespace q32
