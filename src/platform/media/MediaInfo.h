#pragma once
// Width, height and duration of a video or sound file, through GStreamer's discoverer.

#include "platform/imaging/ImagingCondition.h"

#include <QString>

namespace q32 {

struct MediaInfo {
    int width = 0; // 0 for sound only
    int height = 0;
    qint64 durationMs = 0;
    bool hasVideo = false;
    bool hasAudio = false;
};

// The clip format code of a file from its first bytes (see SniffClip), 0 when it is no clip.
int ClipFormatCode(const QString& path);

// Synchronous; gives up after timeoutMs (MediaTimeout). FileNotFound for a missing file,
// UnrecognisedFormat when no stream can be read.
ImagingCondition ReadMediaInfo(const QString& path, MediaInfo& info, int timeoutMs = 10000);

} // namespace q32
