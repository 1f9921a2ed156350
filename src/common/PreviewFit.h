#pragma once
// Where a picture goes in a preview frame: never enlarged; a landscape picture wider than the
// frame fills its width and sits 3 pixels above the centre, a tall portrait fills its height.

#include "platform/imaging/ImagingCondition.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

namespace q32 {

// picture: the bitmap's size; frame: the frame to fit into. Returns the control's rectangle
// relative to the frame (it may overflow a wide, low frame).
QRect PreviewPlace(const QSize& picture, const QSize& frame);

// The picture in the file decoded at the size it takes in the frame, turned as its EXIF says;
// a null image when it cannot be read, and then why in condition. pictureSize gets its full
// size as shown. Slow for big photos: call it from a worker.
QImage DecodeFitted(const QString& path, const QSize& frame, QSize* pictureSize,
                    ImagingCondition* condition = nullptr);

} // namespace q32
