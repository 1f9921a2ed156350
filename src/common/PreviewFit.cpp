#include "common/PreviewFit.h"

#include "common/Text.h"

namespace q32 {

QRect ThumbNailRect(const QSize& picture, const QSize& frame) {
    const int w = picture.width();
    const int h = picture.height();
    if (w <= 0 || h <= 0)
        return {};
    const float r = float(w) / float(h);
    const int fw = frame.width();
    const int fh = frame.height();
    auto round = [](double v) { return int(RoundHalfEven(v)); };
    if (w > h) {
        if (w < fw)
            return {round((fw - w) * 0.5), round((fh - h) * 0.5), w, h};
        const double height = fw / double(r);
        return {0, round((fh - height) * 0.5 - 3), fw, round(height)};
    }
    if (h < fh)
        return {round((fw - w) * 0.5), round((fh - h) * 0.5), w, h};
    const double width = double(r) * fh;
    return {round((fw - width) * 0.5), 0, round(width), fh};
}

} // namespace q32
