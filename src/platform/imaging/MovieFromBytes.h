#pragma once
// An animation (GIF, animated WebP) played straight from its bytes in memory.

#include <QBuffer>
#include <QMovie>

namespace q32 {

// A movie owned by parent, reading from a copy of bytes, on its first frame.
inline QMovie* MovieFromBytes(const QByteArray& bytes, QObject* parent) {
    auto* movie = new QMovie(parent);
    auto* buffer = new QBuffer(movie);
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    movie->setDevice(buffer);
    movie->jumpToFrame(0);
    return movie;
}

} // namespace q32
