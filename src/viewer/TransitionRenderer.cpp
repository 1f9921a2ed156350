#include "viewer/TransitionRenderer.h"

#include "viewer/RevealMaps.h"
#include "viewer/TransitionCatalogue.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace q32 {
namespace {

constexpr int kLevels = 65536;

// Unit steps of the eight move directions: right, left, down, up, then the diagonals.
constexpr int kDirX[8] = {1, -1, 0, 0, 1, -1, 1, -1};
constexpr int kDirY[8] = {0, 0, 1, -1, 1, 1, -1, -1};

const uint32_t* line(const QImage& image, int y) {
    return reinterpret_cast<const uint32_t*>(image.constScanLine(y));
}
uint32_t* line(QImage& image, int y) {
    return reinterpret_cast<uint32_t*>(image.scanLine(y));
}

// Copies src moved by (dx, dy) onto out, where it lands.
void blitMoved(const QImage& src, int dx, int dy, QImage& out) {
    const int w = out.width(), h = out.height();
    const int x0 = std::max(0, dx), x1 = std::min(w, w + dx);
    if (x1 <= x0)
        return;
    for (int y = std::max(0, dy); y < std::min(h, h + dy); ++y)
        std::memcpy(line(out, y) + x0, line(src, y - dy) + (x0 - dx),
                    size_t(x1 - x0) * sizeof(uint32_t));
}

// a + (b - a) * alpha / 256 on every byte; the weights add up to 256, so each sum fits in 16
// bits and the loops vectorise on plain SSE2.
void blendRow(const uint32_t* a, const uint32_t* b, uint32_t alpha, uint32_t* out, int pixels) {
    const auto* pa = reinterpret_cast<const uint8_t*>(a);
    const auto* pb = reinterpret_cast<const uint8_t*>(b);
    auto* o = reinterpret_cast<uint8_t*>(out);
    const uint16_t wb = uint16_t(alpha), wa = uint16_t(256 - alpha);
    for (int i = 0; i < pixels * 4; ++i)
        o[i] = uint8_t((uint16_t(pa[i] * wa) + uint16_t(pb[i] * wb)) >> 8);
}

// As blendRow with a weight per byte.
void blendRow(const uint32_t* a, const uint32_t* b, const uint16_t* alpha, uint32_t* out,
              int pixels) {
    const auto* pa = reinterpret_cast<const uint8_t*>(a);
    const auto* pb = reinterpret_cast<const uint8_t*>(b);
    auto* o = reinterpret_cast<uint8_t*>(out);
    for (int i = 0; i < pixels * 4; ++i)
        o[i] =
            uint8_t((uint16_t(pa[i] * uint16_t(256 - alpha[i])) + uint16_t(pb[i] * alpha[i])) >> 8);
}

void blendInto(const QImage& a, const QImage& b, uint32_t alpha, QImage& out) {
    for (int y = 0; y < out.height(); ++y)
        blendRow(line(a, y), line(b, y), alpha, line(out, y), out.width());
}

// src shrunk or grown by scale, its anchor point staying where it is, nearest pixels.
void drawScaled(const QImage& src, double scale, double ax, double ay, QImage& out) {
    const int w = out.width(), h = out.height();
    const double rw = w * scale, rh = h * scale;
    const double left = ax * (w - rw), top = ay * (h - rh);
    const int x0 = std::max(0, int(std::ceil(left))), x1 = std::min(w, int(std::ceil(left + rw)));
    const int y0 = std::max(0, int(std::ceil(top))), y1 = std::min(h, int(std::ceil(top + rh)));
    if (x1 <= x0 || y1 <= y0)
        return;
    std::vector<int32_t> xs(size_t(x1 - x0));
    for (int x = x0; x < x1; ++x)
        xs[size_t(x - x0)] = std::clamp(int((x - left) / scale), 0, w - 1);
    for (int y = y0; y < y1; ++y) {
        const uint32_t* s = line(src, std::clamp(int((y - top) / scale), 0, h - 1));
        uint32_t* o = line(out, y) + x0;
        for (size_t i = 0; i < xs.size(); ++i)
            o[i] = s[xs[i]];
    }
}

// src in blocks of block x block pixels, each the colour of its middle pixel.
void pixelate(const QImage& src, int block, QImage& out) {
    const int w = out.width(), h = out.height();
    if (block <= 1) {
        for (int y = 0; y < h; ++y)
            std::memcpy(line(out, y), line(src, y), size_t(w) * sizeof(uint32_t));
        return;
    }
    for (int by = 0; by < h; by += block) {
        const uint32_t* s = line(src, std::min(h - 1, by + block / 2));
        uint32_t* first = line(out, by);
        for (int bx = 0; bx < w; bx += block)
            std::fill(first + bx, first + std::min(w, bx + block),
                      s[std::min(w - 1, bx + block / 2)]);
        for (int y = by + 1; y < std::min(h, by + block); ++y)
            std::memcpy(line(out, y), first, size_t(w) * sizeof(uint32_t));
    }
}

} // namespace

TransitionRenderer::TransitionRenderer(const Transition& transition, QSize size)
    : m_transition(transition), m_style(TransitionStyleFor(transition.style)), m_size(size),
      m_grain(std::max(1, transition.grain)) {
    if (m_style.kind == TransitionKind::Mask || m_style.kind == TransitionKind::Soft)
        buildMap(m_style);
}

void TransitionRenderer::buildMap(const TransitionStyle& style) {
    const int w = std::max(1, m_size.width()), h = std::max(1, m_size.height());
    m_cols = (w + m_grain - 1) / m_grain;
    m_rows = (h + m_grain - 1) / m_grain;
    const std::vector<float> times = RevealTimes(style, m_cols, m_rows, double(w) / h);
    const auto [lo, hi] = std::minmax_element(times.begin(), times.end());
    const double span = double(*hi) - double(*lo);
    m_cells.resize(times.size());
    for (size_t i = 0; i < times.size(); ++i)
        m_cells[i] =
            span > 0 ? uint16_t(std::min(65535.0, (times[i] - *lo) / span * 65535.0)) : uint16_t(0);
    m_cellOfX.resize(size_t(w));
    for (int x = 0; x < w; ++x)
        m_cellOfX[size_t(x)] = x / m_grain;
}

QImage TransitionRenderer::prepared(const QImage& picture, QSize size) {
    QImage p = picture.size() == size ? picture : picture.scaled(size);
    return p.format() == QImage::Format_RGB32 ? p : p.convertToFormat(QImage::Format_RGB32);
}

void TransitionRenderer::render(const QImage& fromIn, const QImage& toIn, double progress,
                                QImage& out) const {
    const QImage from = prepared(fromIn, m_size);
    const QImage to = prepared(toIn, m_size);
    if (out.size() != m_size || out.format() != QImage::Format_RGB32)
        out = QImage(m_size, QImage::Format_RGB32);
    progress = std::clamp(progress, 0.0, 1.0);
    switch (m_style.kind) {
    case TransitionKind::Cut:
        return blitMoved(progress > 0 ? to : from, 0, 0, out);
    case TransitionKind::Mask:
        return renderMask(from, to, progress, out);
    case TransitionKind::Soft:
        return renderSoft(from, to, progress, out);
    case TransitionKind::Fade:
        return renderFade(from, to, progress, out);
    case TransitionKind::Push:
    case TransitionKind::Cover:
    case TransitionKind::Uncover:
        return renderMove(from, to, progress, out);
    case TransitionKind::ZoomIn:
    case TransitionKind::ZoomOut:
        return renderZoom(from, to, progress, out);
    case TransitionKind::Mosaic:
        return renderMosaic(from, to, progress, out);
    }
}

void TransitionRenderer::renderMask(const QImage& from, const QImage& to, double progress,
                                    QImage& out) const {
    const int w = m_size.width(), h = m_size.height();
    // A cell shows the new picture once its time is below the level.
    const uint32_t level = uint32_t(progress * kLevels);
    std::vector<uint32_t> mask(static_cast<size_t>(w));
    for (int cy = 0; cy < m_rows; ++cy) {
        const uint16_t* cells = m_cells.data() + size_t(cy) * m_cols;
        if (m_grain == 1) {
            for (int x = 0; x < w; ++x)
                mask[size_t(x)] = uint32_t(0) - uint32_t(cells[x] < level);
        } else {
            for (int x = 0; x < w; ++x)
                mask[size_t(x)] = uint32_t(0) - uint32_t(cells[m_cellOfX[size_t(x)]] < level);
        }
        const uint32_t* m = mask.data();
        for (int y = cy * m_grain; y < std::min(h, (cy + 1) * m_grain); ++y) {
            const uint32_t* a = line(from, y);
            const uint32_t* b = line(to, y);
            uint32_t* o = line(out, y);
            for (int x = 0; x < w; ++x)
                o[x] = (b[x] & m[x]) | (a[x] & ~m[x]);
        }
    }
}

void TransitionRenderer::renderSoft(const QImage& from, const QImage& to, double progress,
                                    QImage& out) const {
    const int w = m_size.width(), h = m_size.height();
    // The front is soft cells wide; it starts before the first cell and ends after the last.
    // Soft widths are 2, 4 or 8 sixteenths, so the front is a power of two levels wide and the
    // weight is a shift.
    int shift = 0;
    while ((4096 << (shift + 1)) <= kLevels * std::max(1, m_style.soft) / 16)
        ++shift;
    const int width = 4096 << shift; // 2^(12 + shift); weight = d / width * 256
    const int level = int(progress * double(kLevels + width));
    std::vector<uint64_t> alpha(static_cast<size_t>(w));
    std::vector<int32_t> cellAlpha(static_cast<size_t>(m_cols));
    // Only the front needs blending: the pixels before it are copied from one picture and
    // those behind it from the other, which halves the work of the widest fronts.
    struct Span {
        int begin, end, alpha; // alpha -1: blended with the weights in `alpha`
    };
    std::vector<Span> spans;
    for (int cy = 0; cy < m_rows; ++cy) {
        const uint16_t* cells = m_cells.data() + size_t(cy) * m_cols;
        for (int c = 0; c < m_cols; ++c)
            cellAlpha[size_t(c)] = std::clamp((level - int(cells[c])) >> (shift + 4), 0, 256);
        spans.clear();
        for (int x = 0; x < w;) {
            const int a = cellAlpha[size_t(m_cellOfX[size_t(x)])];
            const bool blended = a > 0 && a < 256;
            int end = x + 1;
            while (end < w) {
                const int b = cellAlpha[size_t(m_cellOfX[size_t(end)])];
                if (blended ? (b == 0 || b == 256) : b != a)
                    break;
                ++end;
            }
            if (blended)
                for (int i = x; i < end; ++i)
                    alpha[size_t(i)] =
                        uint64_t(cellAlpha[size_t(m_cellOfX[size_t(i)])]) * 0x0001000100010001ULL;
            spans.push_back({x, end, blended ? -1 : a});
            x = end;
        }
        for (int y = cy * m_grain; y < std::min(h, (cy + 1) * m_grain); ++y) {
            const uint32_t* a = line(from, y);
            const uint32_t* b = line(to, y);
            uint32_t* o = line(out, y);
            for (const Span& span : spans) {
                const size_t n = size_t(span.end - span.begin);
                if (span.alpha == 0)
                    std::memcpy(o + span.begin, a + span.begin, n * sizeof(uint32_t));
                else if (span.alpha == 256)
                    std::memcpy(o + span.begin, b + span.begin, n * sizeof(uint32_t));
                else
                    blendRow(a + span.begin, b + span.begin,
                             reinterpret_cast<const uint16_t*>(alpha.data() + span.begin),
                             o + span.begin, int(n));
            }
        }
    }
}

void TransitionRenderer::renderFade(const QImage& from, const QImage& to, double progress,
                                    QImage& out) const {
    if (m_style.a == 0)
        return blendInto(from, to, uint32_t(std::lround(progress * 256)), out);
    // Through a colour: the old picture fades into it, then the new one out of it.
    const bool first = progress < 0.5;
    const QImage& picture = first ? from : to;
    const uint32_t alpha =
        uint32_t(std::lround((first ? 1 - progress * 2 : progress * 2 - 1) * 256));
    std::vector<uint32_t> colour(static_cast<size_t>(out.width()),
                                 m_style.a == 1 ? 0xff000000u : 0xffffffffu);
    for (int y = 0; y < out.height(); ++y)
        blendRow(colour.data(), line(picture, y), alpha, line(out, y), out.width());
}

void TransitionRenderer::renderMove(const QImage& from, const QImage& to, double progress,
                                    QImage& out) const {
    const int w = m_size.width(), h = m_size.height();
    const int dx = kDirX[m_style.a], dy = kDirY[m_style.a];
    const int ox = int(std::lround(progress * w)) * dx, oy = int(std::lround(progress * h)) * dy;
    if (dx != 0 && dy != 0)
        out.fill(Qt::black); // a diagonal push leaves a corner that neither picture covers
    switch (m_style.kind) {
    case TransitionKind::Push:
        blitMoved(from, ox, oy, out);
        blitMoved(to, ox - dx * w, oy - dy * h, out);
        break;
    case TransitionKind::Cover:
        blitMoved(from, 0, 0, out);
        blitMoved(to, ox - dx * w, oy - dy * h, out);
        break;
    default:
        blitMoved(to, 0, 0, out);
        blitMoved(from, ox, oy, out);
        break;
    }
}

void TransitionRenderer::renderZoom(const QImage& from, const QImage& to, double progress,
                                    QImage& out) const {
    const double ax = (m_style.a % 3) / 2.0, ay = (m_style.a / 3) / 2.0;
    if (m_style.kind == TransitionKind::ZoomIn) {
        blitMoved(from, 0, 0, out);
        if (progress > 0)
            drawScaled(to, progress, ax, ay, out);
    } else {
        blitMoved(to, 0, 0, out);
        if (progress < 1)
            drawScaled(from, 1 - progress, ax, ay, out);
    }
}

void TransitionRenderer::renderMosaic(const QImage& from, const QImage& to, double progress,
                                      QImage& out) const {
    // Coarsest at the middle of the run, where the new picture takes over.
    const double coarse = progress < 0.5 ? progress * 2 : (1 - progress) * 2;
    const int block = 1 + int(std::lround(coarse * (m_style.a - 1)));
    pixelate(progress < 0.5 ? from : to, block, out);
}

} // namespace q32
