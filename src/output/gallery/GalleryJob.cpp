#include "output/gallery/GalleryJob.h"

#include "platform/jobs/HandOff.h"

#include <QElapsedTimer>

namespace q32 {

class GalleryJob::Listener : public GalleryListener {
public:
    explicit Listener(GalleryJob& job) : m_job(job) {}
    void progress(qint64 done, qint64 total, const QString& fileName) override {
        // On the job's thread; at most a few reports a second reach it.
        if (done == total || m_clock.elapsed() >= 100 || !m_clock.isValid()) {
            m_clock.start();
            CallOnThreadOf(&m_job, [job = &m_job, done, total, fileName] {
                emit job->progress(done, total, fileName);
            });
        }
    }
    bool stopRequested() override { return m_job.m_job.stopRequested(); }

private:
    GalleryJob& m_job;
    QElapsedTimer m_clock;
};

GalleryJob::GalleryJob(AlbumDb& album, AlbumQuery query, GalleryOptions options, QObject* parent)
    : QObject(parent), m_album(album), m_query(std::move(query)), m_options(std::move(options)) {
    connect(&m_job, &BackgroundJob::finished, this, &GalleryJob::finished);
}

void GalleryJob::start() {
    if (m_started)
        return;
    m_started = true;
    m_job.start([this](const std::atomic<bool>&) {
        Listener listener(*this);
        m_result = WriteGallery(m_album, m_query, m_options, listener);
    });
}

} // namespace q32
