#include "output/print/PrintRun.h"

#include <QThread>

namespace q32 {

PrintRun::PrintRun(QObject* parent) : QObject(parent) {}

PrintRun::~PrintRun() {
    m_stop = true;
    if (m_thread)
        m_thread->wait();
}

void PrintRun::start(Job job) {
    if (m_running)
        return;
    if (m_thread)
        m_thread->wait();
    m_stop = false;
    m_running = true;
    m_thread.reset(QThread::create([this, job = std::move(job)] {
        PrintProgress progress;
        progress.stopRequested = [this] { return m_stop.load(); };
        int last = -1;
        progress.progress = [this, &last](int percent) {
            if (percent != last) // queued signals: one per step, not per band
                emit this->progress(last = percent);
        };
        const PrintOutcome outcome = job(progress);
        QMetaObject::invokeMethod(
            this,
            [this, outcome] {
                m_running = false;
                emit finished(outcome);
            },
            Qt::QueuedConnection);
    }));
    m_thread->start();
}

} // namespace q32
