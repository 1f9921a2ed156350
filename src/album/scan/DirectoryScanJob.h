#pragma once
// Runs one "Search" / "Scan Drive" on a worker thread so the window stays responsive. Signals
// arrive on the thread that owns the job; requestStop() may be called from any thread.

#include "album/scan/DirectoryScan.h"

#include <QObject>
#include <atomic>

class QThread;

namespace q32 {

class DirectoryScanJob : public QObject {
    Q_OBJECT
public:
    explicit DirectoryScanJob(SearchRequest request, QObject* parent = nullptr);
    // Stops a running scan and waits for it.
    ~DirectoryScanJob() override;

    void start();
    void requestStop() { m_stop = true; }
    bool isRunning() const;
    // Valid once finished() has been emitted.
    const SearchResult& result() const { return m_result; }

signals:
    // Sent at most every few dozen milliseconds, so a large tree does not flood the event queue.
    void directoryRecorded(const QString& path);
    void progress(qint64 directories, qint64 files);
    // The files listed since the last batch, in list order; every file comes in a batch before
    // finished().
    void filesFound(const QStringList& files);
    void finished();

private:
    class Listener;
    SearchRequest m_request;
    SearchResult m_result;
    std::atomic<bool> m_stop{false};
    QThread* m_thread = nullptr;
};

} // namespace q32
