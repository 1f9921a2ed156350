#include "viewer/ViewerLayout.h"

#include <algorithm>

namespace q32 {

namespace {

// Natural size, centred across, 0.4 of the free height (of W x H) above, never above or left of
// the area.
QRectF NaturalPlacement(double w, double h, double W, double H) {
    return {std::max(0.0, (W - w) / 2), std::max(0.0, (H - h) * 0.4), w, h};
}

// A wide picture takes the area's width and is centred up and down, any other its height and is
// centred across; when that side would overflow the other one, the other side fills instead, so
// the whole picture is always on screen.
QRectF FittedPlacement(double w, double h, double W, double H) {
    const double ratio = w / h;
    const bool byWidth = h < w ? W / ratio <= H : H * ratio > W;
    if (byWidth) {
        const double height = W / ratio;
        return {0, (H - height) * 0.5, W, height};
    }
    const double width = H * ratio;
    return {(W - width) * 0.5, 0, width, H};
}

} // namespace

QRectF PicturePlacement(QSize picture, QSize area, bool fit, int screenHeight) {
    const double w = std::max(1, picture.width()), h = std::max(1, picture.height());
    const double W = area.width();
    return fit ? FittedPlacement(w, h, W, area.height()) : NaturalPlacement(w, h, W, screenHeight);
}

QRectF VideoPlacement(QSize clip, QSize area, bool fit, int screenHeight) {
    return PicturePlacement(clip, area, fit, screenHeight);
}

qint64 PreviousRow(qint64 current, qint64 count) {
    const qint64 row = current - 1;
    return row < 1 ? count : row;
}

qint64 NextRow(qint64 current, qint64 count, bool randomImages,
               const std::function<double()>& random) {
    qint64 row = randomImages ? 1 + qint64(random() * double(count)) : current + 1;
    if (row > count)
        row = 1;
    return row;
}

} // namespace q32
