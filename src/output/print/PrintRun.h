#pragma once
// Runs one print job on a thread of its own so the window stays live: it reports progress,
// and a stop request is honoured between bands and between pictures.

#include "output/print/PrintRender.h"

#include <QObject>
#include <atomic>
#include <memory>

class QThread;

namespace q32 {

class PrintRun : public QObject {
    Q_OBJECT
public:
    using Job = std::function<PrintOutcome(const PrintProgress&)>;

    explicit PrintRun(QObject* parent = nullptr);
    // Waits for a job still running, after asking it to stop.
    ~PrintRun() override;

    void start(Job job);
    void stop() { m_stop = true; }
    bool running() const { return m_running; }
    bool stopRequested() const { return m_stop; }

signals:
    void progress(int percent);
    void finished(const q32::PrintOutcome& outcome);

private:
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_stop = false;
    bool m_running = false;
};

} // namespace q32
