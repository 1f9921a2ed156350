#include "output/print/PrintRun.h"

namespace q32 {

PrintRun::PrintRun(QObject* parent) : QObject(parent) {
    connect(&m_job, &BackgroundJob::finished, this, [this] { emit finished(m_outcome); });
}

void PrintRun::start(Job job) {
    m_job.start([this, job = std::move(job)](const std::atomic<bool>& stop) {
        PrintProgress progress;
        progress.stopRequested = [&stop] { return stop.load(); };
        int last = -1;
        progress.progress = [this, &last](int percent) {
            if (percent != last) // queued signals: one per step, not per band
                emit this->progress(last = percent);
        };
        m_outcome = job(progress);
    });
}

} // namespace q32
