#pragma once
// The thumbnail view's pictures: read from the album's thumbnail table, or made from the stored
// picture (and kept in the table) for an album filled by an earlier build. A worker thread does
// the reading and decoding over a connection of its own, writable when the album is, so the
// window never waits; the rows asked for last come first. While filling is on, the worker also
// makes the missing thumbnails of the whole album, a few per transaction so the window's own
// writes wait at most a moment.

#include <QImage>
#include <QObject>
#include <memory>
#include <optional>
#include <thread>

namespace q32 {

class ThumbnailSource : public QObject {
    Q_OBJECT
public:
    explicit ThumbnailSource(QObject* parent = nullptr);
    ~ThumbnailSource() override;

    // The album to read; an empty path forgets everything and closes the connection before
    // returning (the album may be about to be replaced).
    void setAlbum(const QString& path, const QString& password);
    // These rows are wanted now, most wanted first, before the ones asked for earlier.
    void request(const QList<qint64>& rowIds);
    // Makes the thumbnails of every record that lacks one, in the background; for an album just
    // set, from the first request on.
    void setFilling(bool on);
    // A decoded thumbnail: a null image when the record shows a placeholder; nullopt when not
    // ready yet.
    std::optional<QImage> image(qint64 rowId) const;
    // A thumbnail read by the caller (a null image for a placeholder).
    void insert(qint64 rowId, const QImage& image);
    // Forgets a record's thumbnail (its picture was replaced).
    void forget(qint64 rowId);
    // True once no record of the album lacks a thumbnail (or none can be stored).
    bool filled() const;

signals:
    void thumbnailReady(qint64 rowId);
    void fillFinished();

private:
    struct Shared;
    void work();

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

} // namespace q32
