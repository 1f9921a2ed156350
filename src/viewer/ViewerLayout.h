#pragma once
// Where the full-screen viewer puts a picture or a clip, and which record comes before or after
// the current one. Sizes in pixels; W x H is the area the viewer paints in.

#include <QRectF>
#include <QSize>
#include <functional>

namespace q32 {

// Places a picture in the area under the viewer's menu bar. Normal: natural size, centred
// across, and 0.4 of the free height of the whole screen (screenHeight) above it, counted from
// the area's top (never above or left of the area). Fit: as large as the area allows with the
// whole picture visible, centred.
QRectF PicturePlacement(QSize picture, QSize area, bool fit, int screenHeight);
// Clips: the same rules.
QRectF VideoPlacement(QSize clip, QSize area, bool fit, int screenHeight);

// Previous from row 1 wraps to the last row.
qint64 PreviousRow(qint64 current, qint64 count);
// Next from the last row wraps to 1; with random images every row is drawn afresh (random gives
// a number in [0, 1)), and may come again at once.
qint64 NextRow(qint64 current, qint64 count, bool randomImages,
               const std::function<double()>& random);

} // namespace q32
