#pragma once
// A still frame of a video clip, for its thumbnail, taken through GStreamer from a file or from
// bytes handed over piece by piece (a clip stored in an album is never written anywhere).

#include <QImage>
#include <QSize>
#include <QString>
#include <atomic>
#include <functional>
#include <optional>

namespace q32 {

struct ClipFrame {
    QImage image;           // fitted into the box asked for, square pixels
    qint64 durationMs = -1; // -1 when the clip does not say
};

// Reads up to length bytes at offset into data: the count read, 0 at the end, -1 on an error.
using ClipReader = std::function<qint64(char* data, qint64 length, qint64 offset)>;

// The moment a clip's frame is taken from: one second in, the middle of a clip shorter than two
// seconds, the start of one whose length is unknown.
qint64 FrameMomentMs(qint64 durationMs);

// Takes the frame of a clip of `size` bytes read through `read` (from a streaming thread of
// GStreamer's). Gives up after timeoutMs, and within a few hundredths of a second of *stop
// turning true. nullopt when no frame can be had.
std::optional<ClipFrame> TakeClipFrame(qint64 size, const ClipReader& read, QSize box,
                                       const std::atomic_bool* stop = nullptr,
                                       int timeoutMs = 15000);
std::optional<ClipFrame> TakeClipFrame(const QString& path, QSize box,
                                       const std::atomic_bool* stop = nullptr,
                                       int timeoutMs = 15000);

// "0:07", "12:30", "1:02:03".
QString ClipLengthText(qint64 durationMs);

} // namespace q32
