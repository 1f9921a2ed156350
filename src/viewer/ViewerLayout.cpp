#include "viewer/ViewerLayout.h"

#include <algorithm>

namespace q32 {

QRectF PicturePlacement(QSize picture, QSize area, bool fit) {
    const double bw = std::max(1, picture.width()), bh = std::max(1, picture.height());
    const double W = area.width(), H = area.height();
    if (!fit)
        return {std::max(0.0, (W - bw) / 2), std::max(0.0, (H - bh) * 0.4), bw, bh};
    const double ratio = bw / bh;
    if (bh < bw) {
        const double height = W / ratio;
        return {0, (H - height) * 0.5, W, height};
    }
    const double width = H * ratio;
    return {(W - width) * 0.5, 0, width, H};
}

QRectF VideoPlacement(QSize clip, QSize area, bool fit) {
    const double w = std::max(1, clip.width()), h = std::max(1, clip.height());
    const double W = area.width(), H = area.height();
    if (!fit)
        return {std::max(0.0, (W - w) / 2), std::max(0.0, (H - h) * 0.4), w, h};
    const double ratio = w / h;
    if (h < w) {
        const double height = W / ratio;
        return {0, (H - height) * 0.5, W, height};
    }
    const double width = H * ratio;
    return {(W - width) * 0.5, 0, width, H};
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
