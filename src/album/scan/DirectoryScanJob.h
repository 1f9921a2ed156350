#pragma once
// Runs one "Search" / "Scan Drive" in the background so the window stays responsive. Signals
// arrive on the thread that owns the job; requestStop() may be called from any thread.

#include "album/scan/DirectoryScan.h"
#include "platform/jobs/BackgroundJob.h"

#include <QObject>

namespace q32 {

class DirectoryScanJob : public QObject {
    Q_OBJECT
public:
    explicit DirectoryScanJob(SearchRequest request, QObject* parent = nullptr);
    // Stops a running scan and waits for the folder in hand.
    ~DirectoryScanJob() override = default;

    void start();
    void requestStop() { m_job.requestStop(); }
    bool isRunning() const { return m_job.isRunning(); }
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
    BackgroundJob m_job;
};

} // namespace q32
