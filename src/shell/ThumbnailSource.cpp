#include "shell/ThumbnailSource.h"

#include "album/AlbumDb.h"
#include "album/AlbumThumbnails.h"
#include "album/ThumbnailMaker.h"

#include <QCache>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <condition_variable>
#include <mutex>

namespace q32 {
namespace {

// A few screens of thumbnails stay decoded.
constexpr int kCachedImages = 1500;
// Made thumbnails are committed in groups: a commit costs several disk flushes.
constexpr int kGroupRows = 24;
constexpr int kGroupMilliseconds = 400;
// Records looked at in one step of the search for missing thumbnails.
constexpr int kScanRows = 2000;
// Rows asked for before the latest request are still made, up to about two screens.
constexpr int kWantedRows = 160;

} // namespace

struct ThumbnailSource::Shared {
    mutable std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    QString path;
    QString password;
    quint64 albumGeneration = 0;
    QList<qint64> wanted;
    bool filling = false;
    bool filled = false;
    QCache<qint64, QImage> images{kCachedImages};
};

ThumbnailSource::ThumbnailSource(QObject* parent)
    : QObject(parent), m_shared(std::make_shared<Shared>()) {
    m_thread = std::thread([this] { work(); });
}

ThumbnailSource::~ThumbnailSource() {
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stop = true;
    }
    m_shared->wake.notify_all();
    m_thread.join();
}

void ThumbnailSource::setAlbum(const QString& path, const QString& password) {
    std::unique_lock lock(m_shared->mutex);
    m_shared->path = path;
    m_shared->password = password;
    ++m_shared->albumGeneration;
    m_shared->wanted.clear();
    m_shared->images.clear();
    m_shared->filled = false;
    m_shared->wake.notify_all();
    // The worker takes the new album (closing the old connection) before it looks for work.
    if (path.isEmpty())
        m_shared->wake.wait(lock, [&] { return m_shared->albumGeneration == 0 || m_shared->stop; });
}

void ThumbnailSource::request(const QList<qint64>& rowIds) {
    std::lock_guard lock(m_shared->mutex);
    QList<qint64> wanted;
    for (const qint64 id : rowIds)
        if (!m_shared->images.contains(id))
            wanted << id;
    for (const qint64 id : std::as_const(m_shared->wanted))
        if (wanted.size() < kWantedRows && !wanted.contains(id))
            wanted << id;
    m_shared->wanted = wanted;
    m_shared->wake.notify_all();
}

void ThumbnailSource::setFilling(bool on) {
    std::lock_guard lock(m_shared->mutex);
    m_shared->filling = on;
    m_shared->wake.notify_all();
}

std::optional<QImage> ThumbnailSource::image(qint64 rowId) const {
    std::lock_guard lock(m_shared->mutex);
    if (const QImage* image = m_shared->images.object(rowId))
        return *image;
    return std::nullopt;
}

void ThumbnailSource::forget(qint64 rowId) {
    std::lock_guard lock(m_shared->mutex);
    m_shared->images.remove(rowId);
}

bool ThumbnailSource::filled() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->filled;
}

void ThumbnailSource::work() {
    Shared& s = *m_shared;
    QPointer<ThumbnailSource> self(this);
    std::unique_ptr<AlbumDb> album;
    std::optional<sqlite::Transaction> group;
    int groupRows = 0;
    QElapsedTimer groupAge;
    quint64 generation = ~quint64(0);
    QList<qint64> fillQueue;
    qint64 fillAfter = 0; // the records up to this row id were looked at
    bool writable = false;

    auto commitGroup = [&] {
        if (group)
            group->commit();
        group.reset();
        groupRows = 0;
    };
    auto post = [self](auto&& call) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, call] {
                if (self)
                    call(self.data());
            },
            Qt::QueuedConnection);
    };

    std::unique_lock lock(s.mutex);
    while (!s.stop) {
        if (generation != s.albumGeneration) {
            commitGroup();
            album.reset();
            fillQueue.clear();
            fillAfter = 0;
            generation = s.albumGeneration;
            if (s.path.isEmpty()) {
                s.albumGeneration = 0;
                generation = 0;
                s.wake.notify_all();
            }
            continue;
        }
        const bool work = !s.wanted.isEmpty() || (s.filling && !s.filled);
        if (!album && work && !s.path.isEmpty()) {
            const QString path = s.path;
            const QString password = s.password;
            lock.unlock();
            // Its own writable connection when the album allows it: the thumbnails it makes
            // are kept. The engine's file locks keep it and the window's connection apart.
            AlbumStatus status;
            OpenOptions options{false, password, false};
            album = AlbumDb::open(path, options, &status);
            writable = album && HasThumbnailTable(*album);
            if (!album) {
                options.readOnly = true;
                album = AlbumDb::open(path, options, &status);
            }
            lock.lock();
            if (!album) { // gone meanwhile: nothing to show but placeholders
                for (const qint64 id : std::as_const(s.wanted)) {
                    s.images.insert(id, new QImage);
                    post([id](ThumbnailSource* source) { emit source->thumbnailReady(id); });
                }
                s.wanted.clear();
                s.filled = true;
            }
            continue;
        }
        qint64 rowId = 0;
        bool shown = false;
        if (album && !s.wanted.isEmpty()) {
            rowId = s.wanted.takeFirst();
            shown = true;
            if (s.images.contains(rowId))
                continue;
        } else if (album && writable && s.filling && !s.filled) {
            if (fillQueue.isEmpty()) {
                lock.unlock();
                const qint64 before = fillAfter;
                fillQueue = RecordsWithoutThumbnails(*album, &fillAfter, kScanRows);
                lock.lock();
                if (fillAfter == before) {
                    s.filled = true;
                    post([](ThumbnailSource* source) { emit source->fillFinished(); });
                }
                continue;
            }
            rowId = fillQueue.takeFirst();
        } else {
            lock.unlock();
            commitGroup();
            lock.lock();
            if (s.wanted.isEmpty() && generation == s.albumGeneration && !s.stop &&
                !(s.filling && writable && !s.filled && album))
                s.wake.wait(lock);
            continue;
        }

        lock.unlock();
        std::optional<QByteArray> jpeg = ReadThumbnail(*album, rowId);
        if (!jpeg) {
            const QByteArray picture = album->readBytes(rowId, PictureField::Image);
            const auto record = album->record(rowId);
            jpeg = record ? MakeThumbnailFromBytes(picture, record->imageFormat) : QByteArray();
            if (writable && record) {
                if (!group) {
                    group.emplace(album->connection());
                    groupAge.start();
                    if (!group->beginError().ok())
                        group.reset();
                }
                if (group) {
                    StoreThumbnail(*album, rowId, jpeg->isNull() ? QByteArray("") : *jpeg,
                                   picture.size());
                    ++groupRows;
                }
            }
        }
        if (group && (groupRows >= kGroupRows || groupAge.elapsed() >= kGroupMilliseconds))
            commitGroup();
        QImage image;
        if (shown && !jpeg->isEmpty())
            image = QImage::fromData(*jpeg, "JPG");
        lock.lock();
        if (shown && generation == s.albumGeneration) {
            s.images.insert(rowId, new QImage(std::move(image)));
            post([rowId](ThumbnailSource* source) { emit source->thumbnailReady(rowId); });
        }
    }
    lock.unlock();
    commitGroup();
}

} // namespace q32
