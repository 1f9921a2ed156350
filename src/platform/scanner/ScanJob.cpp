#include "platform/scanner/ScanJob.h"

#include <QThread>

namespace q32 {

ScanJob::ScanJob(ScanSettings settings, QObject* parent)
    : QObject(parent), m_settings(std::move(settings)) {}

ScanJob::~ScanJob() {
    if (m_thread) {
        m_cancel = true;
        m_thread->wait();
        delete m_thread;
    }
}

void ScanJob::start() {
    if (isRunning())
        return;
    delete m_thread;
    m_cancel = false;
    m_thread = QThread::create([this] {
        SaneSession sane;
        m_result = sane.acquire(m_settings, m_cancel, [this](int percent) {
            emit progress(percent); // queued to the job's thread
        });
    });
    connect(m_thread, &QThread::finished, this, &ScanJob::finished);
    m_thread->start();
}

bool ScanJob::isRunning() const {
    return m_thread && m_thread->isRunning();
}

} // namespace q32
