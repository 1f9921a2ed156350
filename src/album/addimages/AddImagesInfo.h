#pragma once
// What the Add Images window shows about one file: its type, size, resolution and colours
// ("Image Type:", "File size:", "Resolution:", "Color depth:"), read from its header.

#include "platform/imaging/ImagingCondition.h"

#include <QString>

namespace q32 {

struct ImageDetails {
    ImagingCondition condition = ImagingCondition::None;
    QString type;       // the format's name
    QString size;       // "1,234,567 bytes"
    QString resolution; // "640 x 480"
    QString colours;    // "16,777,216 colors"
    bool clip = false;  // no preview; the clip's size comes from the player
};

// Clips, which are stored without a preview: "mpg", "avi", "mov", "mp4", "webm", ...
bool IsVideoPath(const QString& path);

// Fast: reads the header only. For clips the resolution and colours are left empty.
ImageDetails InspectImageFile(const QString& path);
// Slow (asks the media player): the clip's resolution and colours.
ImageDetails InspectClip(const QString& path);

} // namespace q32
