#pragma once
// Decodes the previews of the records next to the current one while the window is idle, so
// that stepping through an album shows each picture at once. It reads the album through a
// read-only connection of its own on a worker thread and keeps only the rows it was last asked
// for: a few pictures already fitted to the preview frame.

#include <QImage>
#include <QObject>
#include <QSize>
#include <QThreadPool>
#include <memory>
#include <optional>

namespace q32 {

class AlbumRecordset;

class PreviewPrefetcher : public QObject {
    Q_OBJECT
public:
    struct Picture {
        QImage image;      // fitted to the frame it was asked for
        QSize pictureSize; // the picture's own size, as the fitting rules need it
    };
    // Tells a decoded picture from one of an older state of the album.
    using Stamp = std::pair<qint64, qint64>;

    explicit PreviewPrefetcher(QObject* parent = nullptr);
    ~PreviewPrefetcher() override;

    // The album to read; an empty path forgets everything and closes the connection before
    // returning.
    void setAlbum(const QString& path, const QString& password);
    // Decodes these rows (still pictures only) fitted into frame, dropping every other row held.
    // stamp is the album's change stamp now.
    void prefetch(const QList<qint64>& rowIds, const QSize& frame, const Stamp& stamp);
    // Decodes the still pictures around 0-based position of rows, the likeliest next step first.
    void prefetchAround(AlbumRecordset& rows, qint64 position, const QSize& frame,
                        const Stamp& stamp);
    // The picture of rowId fitted into frame, when it is ready and the album has not changed.
    std::optional<Picture> picture(qint64 rowId, const QSize& frame, const Stamp& stamp) const;

signals:
    void pictureReady(qint64 rowId);

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    QThreadPool m_worker;
};

} // namespace q32
