#pragma once
// Where a picture goes in a preview frame: never enlarged; a landscape picture wider than the
// frame fills its width and sits 3 pixels above the centre, a tall portrait fills its height.

#include "platform/imaging/ImagingCondition.h"

#include <QFuture>
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

struct FittedPicture {
    QImage image;      // null when the picture cannot be read
    QSize pictureSize; // its full size as shown
    ImagingCondition condition = ImagingCondition::None;
};

// DecodeFitted for a picture held in memory (a record's), never written to the disk.
FittedPicture DecodeFittedBytes(const QByteArray& bytes, const QSize& frame);
// DecodeFitted of a file on Qt's global pool, for WhenReady.
QFuture<FittedPicture> DecodeFittedInBackground(const QString& path, const QSize& frame);

} // namespace q32
