#pragma once
// Acquires one page on a worker thread, so the window stays live while the page arrives.
// Signals arrive on the thread that owns the job; cancel() may be called at any time.

#include "platform/scanner/Scanner.h"

#include <QObject>
#include <atomic>

class QThread;

namespace q32 {

class ScanJob : public QObject {
    Q_OBJECT
public:
    explicit ScanJob(ScanSettings settings, QObject* parent = nullptr);
    // Cancels a running scan and waits for the scanner to let go.
    ~ScanJob() override;

    void start();
    void cancel() { m_cancel = true; }
    bool isRunning() const;
    // Valid once finished() has been emitted.
    const ScanResult& result() const { return m_result; }

signals:
    void progress(int percent); // -1 while the page length is unknown
    void finished();

private:
    ScanSettings m_settings;
    ScanResult m_result;
    std::atomic<bool> m_cancel{false};
    QThread* m_thread = nullptr;
};

} // namespace q32
