#pragma once
// Runs one print job in the background so the window stays live: it reports progress,
// and a stop request is honoured between bands and between pictures.

#include "output/print/PrintRender.h"
#include "platform/jobs/BackgroundJob.h"

#include <QObject>

namespace q32 {

class PrintRun : public QObject {
    Q_OBJECT
public:
    using Job = std::function<PrintOutcome(const PrintProgress&)>;

    explicit PrintRun(QObject* parent = nullptr);
    // Asks a job still running to stop and waits for the band in hand.
    ~PrintRun() override = default;

    void start(Job job);
    void stop() { m_job.requestStop(); }
    bool running() const { return m_job.isRunning(); }
    bool stopRequested() const { return m_job.stopRequested(); }

signals:
    void progress(int percent);
    void finished(const q32::PrintOutcome& outcome);

private:
    PrintOutcome m_outcome;
    BackgroundJob m_job;
};

} // namespace q32
