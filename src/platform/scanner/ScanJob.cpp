#include "platform/scanner/ScanJob.h"

namespace q32 {

ScanJob::ScanJob(ScanSettings settings, QObject* parent)
    : QObject(parent), m_settings(std::move(settings)) {
    connect(&m_job, &BackgroundJob::finished, this, &ScanJob::finished);
}

void ScanJob::start() {
    m_job.start([this](const std::atomic<bool>& stop) {
        SaneSession sane;
        m_result = sane.acquire(m_settings, stop, [this](int percent) {
            emit progress(percent); // queued to the job's thread
        });
    });
}

} // namespace q32
