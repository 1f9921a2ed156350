#pragma once
// Runs WriteGallery on a worker thread: progress and the end arrive as signals on the job's
// thread, requestStop() may be called from any thread (q32's Ctrl-C handler too). The album is
// read through its own connection, which SQLite serialises; it must stay open while the job runs.

#include "output/gallery/GalleryWriter.h"

#include <QObject>
#include <atomic>

class QThread;

namespace q32 {

class GalleryJob : public QObject {
    Q_OBJECT
public:
    GalleryJob(AlbumDb& album, AlbumQuery query, GalleryOptions options, QObject* parent = nullptr);
    // Asks a running job to stop and waits for the record in hand.
    ~GalleryJob() override;

    void start();
    void requestStop() { m_stop = true; }
    bool isRunning() const;
    // Valid once finished() has been emitted.
    const GalleryResult& result() const { return m_result; }

signals:
    void progress(qint64 done, qint64 total, const QString& fileName);
    void finished();

private:
    class Listener;
    AlbumDb& m_album;
    AlbumQuery m_query;
    GalleryOptions m_options;
    GalleryResult m_result;
    std::atomic<bool> m_stop{false};
    QThread* m_thread = nullptr;
};

} // namespace q32
