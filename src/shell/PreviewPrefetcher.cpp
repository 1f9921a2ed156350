#include "shell/PreviewPrefetcher.h"

#include "album/AlbumDb.h"
#include "common/PreviewFit.h"
#include "platform/imaging/Imaging.h"
#include "platform/imaging/InMemoryFile.h"
#include "shell/AlbumBrowser.h"

#include <QCoreApplication>
#include <QHash>
#include <QMutex>
#include <QPointer>

namespace q32 {

struct PreviewPrefetcher::Shared {
    QMutex mutex;
    // Written by the window, read by the worker.
    QString path;
    QString password;
    QList<qint64> wanted;
    QSize frame;
    Stamp stamp;
    quint64 generation = 0;
    // Only the worker touches the connection.
    std::unique_ptr<AlbumDb> album;
    QString albumPath;
    // Filled by the worker.
    QHash<qint64, Picture> pictures;
    QSize picturesFrame;
    Stamp picturesStamp;
};

namespace {

// Decodes a record's bytes at the size the frame needs.
std::optional<PreviewPrefetcher::Picture> decodeFitted(const QByteArray& bytes,
                                                       const QSize& frame) {
    const imaging::InMemoryFile file("quillon-preview", bytes);
    const QString path = file.path();
    std::optional<PreviewPrefetcher::Picture> out;
    ImageInfo info;
    if (file.ok() && ReadImageInfo(path, info) == ImagingCondition::None) {
        PreviewPrefetcher::Picture p;
        p.pictureSize = info.displaySize();
        const QSize fitted = ThumbNailRect(p.pictureSize, frame).size();
        if (LoadImage(path, p.image, LoadOptions{fitted, false, 0, true}) == ImagingCondition::None)
            out = std::move(p);
    }
    return out;
}

} // namespace

PreviewPrefetcher::PreviewPrefetcher(QObject* parent)
    : QObject(parent), m_shared(std::make_shared<Shared>()) {
    // One worker: rows are read one after the other over one connection.
    m_worker.setMaxThreadCount(1);
}

PreviewPrefetcher::~PreviewPrefetcher() {
    {
        QMutexLocker lock(&m_shared->mutex);
        ++m_shared->generation; // a job on its way stops at its next row
        m_shared->wanted.clear();
    }
    m_worker.waitForDone();
}

void PreviewPrefetcher::setAlbum(const QString& path, const QString& password) {
    {
        QMutexLocker lock(&m_shared->mutex);
        ++m_shared->generation;
        m_shared->path = path;
        m_shared->password = password;
        m_shared->wanted.clear();
        m_shared->pictures.clear();
    }
    // The worker lets go of its connection: the album may be about to be replaced (compaction,
    // a new password), and a file opened again under the same name is another file.
    m_worker.start([shared = m_shared] {
        QMutexLocker lock(&shared->mutex);
        shared->album.reset();
        shared->albumPath.clear();
    });
    // Letting go of the album is done once this returns.
    if (path.isEmpty())
        m_worker.waitForDone();
}

void PreviewPrefetcher::prefetch(const QList<qint64>& rowIds, const QSize& frame,
                                 const Stamp& stamp) {
    quint64 generation = 0;
    {
        QMutexLocker lock(&m_shared->mutex);
        if (m_shared->path.isEmpty())
            return;
        generation = ++m_shared->generation;
        m_shared->wanted = rowIds;
        m_shared->frame = frame;
        m_shared->stamp = stamp;
        if (m_shared->picturesFrame != frame || m_shared->picturesStamp != stamp)
            m_shared->pictures.clear();
        for (auto it = m_shared->pictures.begin(); it != m_shared->pictures.end();)
            it = rowIds.contains(it.key()) ? std::next(it) : m_shared->pictures.erase(it);
        m_shared->picturesFrame = frame;
        m_shared->picturesStamp = stamp;
    }
    QPointer<PreviewPrefetcher> self(this);
    m_worker.start([shared = m_shared, generation, self] {
        QMutexLocker lock(&shared->mutex);
        const QList<qint64> wanted = shared->wanted;
        const QSize frame = shared->frame;
        for (const qint64 rowId : wanted) {
            if (shared->generation != generation)
                return;
            if (shared->pictures.contains(rowId))
                continue;
            if (!shared->album || shared->albumPath != shared->path) {
                AlbumStatus status;
                shared->album =
                    AlbumDb::open(shared->path, OpenOptions{true, shared->password}, &status);
                shared->albumPath = shared->path;
                if (!shared->album)
                    return;
            }
            // The slow part runs unlocked, so the window never waits for it.
            AlbumDb* album = shared->album.get();
            lock.unlock();
            const QByteArray bytes = album->readBytes(rowId, PictureField::Image);
            std::optional<Picture> picture =
                bytes.isEmpty() ? std::nullopt : decodeFitted(bytes, frame);
            lock.relock();
            if (shared->generation != generation && !shared->wanted.contains(rowId))
                return;
            if (!picture || shared->frame != frame)
                continue;
            shared->pictures.insert(rowId, std::move(*picture));
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, rowId] {
                    if (self)
                        emit self->pictureReady(rowId);
                },
                Qt::QueuedConnection);
        }
    });
}

std::optional<PreviewPrefetcher::Picture>
PreviewPrefetcher::picture(qint64 rowId, const QSize& frame, const Stamp& stamp) const {
    QMutexLocker lock(&m_shared->mutex);
    if (m_shared->picturesFrame != frame || m_shared->picturesStamp != stamp)
        return std::nullopt;
    const auto it = m_shared->pictures.constFind(rowId);
    if (it == m_shared->pictures.cend())
        return std::nullopt;
    return *it;
}

void PreviewPrefetcher::prefetchAround(AlbumRecordset& rows, qint64 position, const QSize& frame,
                                       const Stamp& stamp) {
    QList<qint64> ids;
    for (const qint64 offset : {1, -1, 2, -2}) {
        const auto record = rows.recordAt(position + offset);
        if (record && AlbumBrowser::mediaKindOf(record->imageFormat) == MediaKind::Still)
            ids << record->rowId;
    }
    prefetch(ids, frame, stamp);
}

} // namespace q32
