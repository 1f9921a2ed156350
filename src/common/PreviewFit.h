#pragma once
// Where a picture goes in a preview frame: never enlarged; a landscape picture wider than the
// frame fills its width and sits 3 pixels above the centre, a tall portrait fills its height.

#include <QRect>
#include <QSize>

namespace q32 {

// picture: the bitmap's size; frame: the frame to fit into. Returns the control's rectangle
// relative to the frame (it may overflow a wide, low frame).
QRect ThumbNailRect(const QSize& picture, const QSize& frame);

} // namespace q32
