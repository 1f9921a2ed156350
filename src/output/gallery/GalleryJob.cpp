#include "output/gallery/GalleryJob.h"

#include <QElapsedTimer>
#include <QThread>

namespace q32 {

class GalleryJob::Listener : public GalleryListener {
public:
    explicit Listener(GalleryJob& job) : m_job(job) {}
    void progress(qint64 done, qint64 total, const QString& fileName) override {
        // Queued to the job's thread; at most a few reports a second reach it.
        if (done == total || m_clock.elapsed() >= 100 || !m_clock.isValid()) {
            m_clock.start();
            emit m_job.progress(done, total, fileName);
        }
    }
    bool stopRequested() override { return m_job.m_stop; }

private:
    GalleryJob& m_job;
    QElapsedTimer m_clock;
};

GalleryJob::GalleryJob(AlbumDb& album, AlbumQuery query, GalleryOptions options, QObject* parent)
    : QObject(parent), m_album(album), m_query(std::move(query)), m_options(std::move(options)) {}

GalleryJob::~GalleryJob() {
    if (m_thread) {
        m_stop = true;
        m_thread->wait();
        delete m_thread;
    }
}

bool GalleryJob::isRunning() const {
    return m_thread && m_thread->isRunning();
}

void GalleryJob::start() {
    if (m_thread)
        return;
    m_stop = false;
    m_thread = QThread::create([this] {
        Listener listener(*this);
        m_result = WriteGallery(m_album, m_query, m_options, listener);
    });
    connect(m_thread, &QThread::finished, this, &GalleryJob::finished);
    m_thread->start();
}

} // namespace q32
