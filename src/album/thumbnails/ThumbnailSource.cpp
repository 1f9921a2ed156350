#include "album/thumbnails/ThumbnailSource.h"

#include "album/AlbumDb.h"
#include "album/AlbumThumbnails.h"
#include "album/add/ThumbnailMaker.h"
#include "formats/FormatTable.h"
#include "platform/jobs/HandOff.h"

#include <QCache>
#include <QElapsedTimer>
#include <atomic>
#include <condition_variable>
#include <mutex>

namespace q32 {
namespace {

// A few screens of thumbnails stay decoded (as many as the view keeps icons of: each decoded
// thumbnail takes up to 100 KB).
constexpr int kCachedImages = 600;
// Made thumbnails are stored in groups: a commit costs several disk flushes.
constexpr int kGroupRows = 24;
constexpr int kGroupMilliseconds = 400;
// Larger pictures show a placeholder rather than be read whole into memory.
constexpr qint64 kLargestPicture = qint64(256) << 20;
// Records looked at in one step of the search for missing thumbnails.
constexpr int kScanRows = 2000;
// Rows asked for before the latest request are still made, up to about two screens.
constexpr int kWantedRows = 160;

} // namespace

struct ThumbnailSource::Shared {
    mutable std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    // Tells a clip's frame being taken to give up: the album changes or the source goes.
    std::atomic_bool abandon = false;
    QString path;
    QString password;
    quint64 albumGeneration = 0;
    QList<qint64> wanted;
    bool filling = false;
    bool filled = false;
    // Set by the view's first request: until then the album is being opened by the window, and
    // the worker's own open would only compete with it.
    bool asked = false;
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
    m_shared->abandon = true;
    m_shared->wake.notify_all();
    m_thread.join();
}

void ThumbnailSource::setAlbum(const QString& path, const QString& password) {
    std::unique_lock lock(m_shared->mutex);
    // Another order of the same album: the connection and the thumbnails made stay.
    if (!path.isEmpty() && path == m_shared->path && password == m_shared->password)
        return;
    m_shared->path = path;
    m_shared->password = password;
    m_shared->abandon = true;
    ++m_shared->albumGeneration;
    m_shared->wanted.clear();
    m_shared->images.clear();
    m_shared->filled = false;
    m_shared->asked = false;
    m_shared->wake.notify_all();
    // The worker takes the new album (closing the old connection) before it looks for work;
    // nobody waits for that here.
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
    m_shared->asked = true;
    m_shared->wake.notify_all();
}

void ThumbnailSource::setFilling(bool on) {
    std::lock_guard lock(m_shared->mutex);
    m_shared->filling = on;
    m_shared->asked = m_shared->asked || on;
    m_shared->wake.notify_all();
}

std::optional<QImage> ThumbnailSource::image(qint64 rowId) const {
    std::lock_guard lock(m_shared->mutex);
    if (const QImage* image = m_shared->images.object(rowId))
        return *image;
    return std::nullopt;
}

void ThumbnailSource::insert(qint64 rowId, const QImage& image) {
    std::lock_guard lock(m_shared->mutex);
    m_shared->images.insert(rowId, new QImage(image));
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
    std::unique_ptr<AlbumDb> album;
    bool writable = false;
    quint64 generation = ~quint64(0);
    QList<qint64> fillQueue;
    qint64 fillAfter = 0;              // the records up to this row id were looked at
    std::optional<RowIdRuns> fillRows; // the album's rows when the search began
    // Thumbnails made and not stored yet: written together in one short transaction, so the
    // album is locked for the writing only, never while pictures are decoded.
    struct Made {
        qint64 rowId;
        QByteArray jpeg;
        qint64 pictureBytes;
    };
    QList<Made> made;
    QElapsedTimer madeAge;

    auto store = [&] {
        if (!made.isEmpty() && album) {
            sqlite::Transaction tx(album->connection());
            if (tx.beginError().ok()) {
                for (const Made& m : std::as_const(made))
                    StoreThumbnail(*album, m.rowId, m.jpeg, m.pictureBytes);
                tx.commit();
            }
        }
        // Not stored (the album busy for long): made again another time.
        made.clear();
    };
    // The source outlives the worker; a call arriving after it is gone is dropped.
    auto post = [this](auto&& call) { CallOnThreadOf(this, [this, call] { call(this); }); };

    std::unique_lock lock(s.mutex);
    while (!s.stop) {
        if (generation != s.albumGeneration) {
            const bool released = s.path.isEmpty();
            lock.unlock();
            // A released album may be about to be replaced (compacted, given a password): what
            // was made is not written into it, and is made again later.
            if (released)
                made.clear();
            store();
            album.reset();
            lock.lock();
            fillQueue.clear();
            fillAfter = 0;
            fillRows.reset();
            generation = s.albumGeneration;
            s.abandon = false;
            continue;
        }
        const bool work = !s.wanted.isEmpty() || (s.filling && s.asked && !s.filled);
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
                QList<qint64> empty;
                if (!fillRows)
                    fillRows = PictureRowIds(*album);
                fillQueue =
                    RecordsWithoutThumbnails(*album, *fillRows, &fillAfter, kScanRows, &empty);
                for (const qint64 id : std::as_const(empty))
                    if (const auto record = album->record(id);
                        record && IsClipFormat(record->imageFormat))
                        fillQueue << id;
                lock.lock();
                if (fillAfter == before) {
                    s.filled = true;
                    lock.unlock();
                    store();
                    lock.lock();
                    post([](ThumbnailSource* source) { emit source->fillFinished(); });
                }
                continue;
            }
            rowId = fillQueue.takeFirst();
        } else {
            lock.unlock();
            store();
            lock.lock();
            if (s.wanted.isEmpty() && generation == s.albumGeneration && !s.stop &&
                !(s.filling && writable && !s.filled && album))
                s.wake.wait(lock);
            continue;
        }

        lock.unlock();
        std::optional<QByteArray> jpeg = ReadThumbnail(*album, rowId);
        auto record = jpeg && !jpeg->isEmpty() ? std::nullopt : album->record(rowId);
        const QString format = record ? record->imageFormat : QString();
        if (jpeg && WantsClipFrame(*jpeg, format))
            jpeg.reset();
        if (!jpeg) {
            const qint64 size = album->fieldSize(rowId, PictureField::Image);
            if (IsClipFormat(format)) {
                // Read in pieces as the demuxer asks: a clip may be gigabytes.
                jpeg = size > 0 ? MakeStoredClipThumbnail(*album, rowId, &s.abandon) : kNoClipFrame;
                if (jpeg->isNull()) { // given up: the album changes or the source goes
                    lock.lock();
                    continue;
                }
            } else {
                const QByteArray picture = size > 0 && size <= kLargestPicture
                                               ? album->readBytes(rowId, PictureField::Image)
                                               : QByteArray();
                jpeg = MakeThumbnailFromBytes(picture, format);
            }
            if (writable && record) {
                if (made.isEmpty())
                    madeAge.start();
                made.append(
                    {rowId, jpeg->isNull() ? QByteArray("") : *jpeg, std::max<qint64>(size, 0)});
            }
        }
        if (made.size() >= kGroupRows ||
            (!made.isEmpty() && madeAge.elapsed() >= kGroupMilliseconds))
            store();
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
    store();
}

} // namespace q32
