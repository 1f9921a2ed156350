#pragma once
// Runs WriteGallery in the background: progress and the end arrive as signals on the job's
// thread, requestStop() may be called from any thread (q32's Ctrl-C handler too). The album is
// read through its own connection, which SQLite serialises; it must stay open while the job runs.

#include "output/gallery/GalleryWriter.h"
#include "platform/jobs/BackgroundJob.h"

#include <QObject>

namespace q32 {

class GalleryJob : public QObject {
    Q_OBJECT
public:
    GalleryJob(AlbumDb& album, AlbumQuery query, GalleryOptions options, QObject* parent = nullptr);
    // Asks a running job to stop and waits for the record in hand.
    ~GalleryJob() override = default;

    void start();
    void requestStop() { m_job.requestStop(); }
    bool isRunning() const { return m_job.isRunning(); }
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
    bool m_started = false;
    BackgroundJob m_job;
};

} // namespace q32
