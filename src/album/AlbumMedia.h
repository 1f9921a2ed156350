#pragma once
// A record's media read from the open album without holding up the interface thread, and
// without writing them anywhere. Pictures and GIFs are read whole on a worker of their own;
// clips and sounds are played through a device that reads the field in pieces as the player
// asks, so a clip of gigabytes is never held whole.
//
// Everything goes through the album's own connection (SQLite serialises its use from several
// threads), in pieces of a few megabytes: a connection of our own holding a clip's read open
// would keep the album's writes waiting for as long as the clip plays.

#include "album/AlbumDb.h"

#include <QFuture>
#include <QImage>
#include <QThreadPool>
#include <memory>

class QIODevice;

namespace q32 {

// A binary field read in pieces through one blob handle, on any one thread at a time: for a
// clip's frame, where the demuxer jumps about the field (to the index at its end first). The
// handle holds a read of the album open while it lives, so it is kept for short work only.
class BlobFieldReader {
public:
    BlobFieldReader(AlbumDb& album, qint64 rowId, PictureField field);
    // 0 when the field is empty or cannot be read.
    qint64 size() const { return m_size; }
    // Up to length bytes at offset: the count read, 0 past the end, -1 on an error.
    qint64 read(char* data, qint64 length, qint64 offset);

private:
    sqlite::Database& m_db;
    const qint64 m_rowId;
    const PictureField m_field;
    sqlite::Blob m_blob;
    qint64 m_size = 0;
};

class AlbumMedia {
public:
    // album must outlive this object.
    explicit AlbumMedia(AlbumDb& album);
    // Stops the work on its way at its next piece, and the devices handed out stop reading.
    ~AlbumMedia();
    AlbumMedia(const AlbumMedia&) = delete;
    AlbumMedia& operator=(const AlbumMedia&) = delete;

    // A binary field read whole on the worker; empty when the field is empty or Null, the row
    // is gone, or the read is cancelled (it then stops at its next piece).
    QFuture<QByteArray> read(qint64 rowId, PictureField field);

    // A read-only, random-access device over a binary field, to be used on the interface
    // thread. It is made ready on the worker, which also walks the field once, so that no read
    // the player makes later (the index at a clip's end first) waits for the album to find its
    // place. Null when the field is empty or cannot be read.
    QFuture<std::shared_ptr<QIODevice>> openStream(qint64 rowId, PictureField field);

    // The record's stored thumbnail, read on the calling thread (a few kilobytes); null when it
    // has none. Shown while the picture itself is on its way.
    QImage thumbnail(qint64 rowId);

    // Bytes read per step; a read is cancelled between two of them.
    static constexpr int Piece = 4 << 20;

private:
    struct Shared;
    AlbumDb& m_album;
    std::shared_ptr<Shared> m_shared; // with the work on its way
    // Futures like every short piece of work, on a pool of one thread: reads of the one
    // connection come one after the other, in the order asked.
    QThreadPool m_worker;
};

} // namespace q32
