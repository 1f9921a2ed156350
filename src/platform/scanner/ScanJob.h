#pragma once
// Acquires one page in the background, so the window stays live while the page arrives.
// Signals arrive on the thread that owns the job; cancel() may be called at any time.

#include "platform/jobs/BackgroundJob.h"
#include "platform/scanner/Scanner.h"

#include <QObject>

namespace q32 {

class ScanJob : public QObject {
    Q_OBJECT
public:
    explicit ScanJob(ScanSettings settings, QObject* parent = nullptr);
    // A running scan is cancelled; the scanner lets go at once.
    ~ScanJob() override = default;

    void start();
    void cancel() { m_job.requestStop(); }
    bool isRunning() const { return m_job.isRunning(); }
    // Valid once finished() has been emitted.
    const ScanResult& result() const { return m_result; }

signals:
    void progress(int percent); // -1 while the page length is unknown
    void finished();

private:
    ScanSettings m_settings;
    ScanResult m_result;
    BackgroundJob m_job;
};

} // namespace q32
