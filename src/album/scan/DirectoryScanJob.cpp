#include "album/scan/DirectoryScanJob.h"

#include <QElapsedTimer>
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
    bool stopRequested() const override { return m_job->m_job.stopRequested(); }
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
    : QObject(parent), m_request(std::move(request)) {
    connect(&m_job, &BackgroundJob::finished, this, &DirectoryScanJob::finished);
}

void DirectoryScanJob::start() {
    m_job.start([this](const std::atomic<bool>&) {
        Listener listener(this);
        m_result = RunSearch(m_request, &listener);
        listener.flush();
    });
}

} // namespace q32
