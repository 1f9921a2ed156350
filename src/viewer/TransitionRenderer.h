#pragma once
// Turns a transition (style, grain, delay) and its progress into the frame the viewer paints.
// Headless: pictures in, picture out. Building the renderer does the per-style work (the reveal
// map of the cells); each frame after that is one pass over the pixels.

#include <QImage>
#include <QSize>
#include <cstdint>
#include <vector>

namespace q32 {

struct TransitionStyle;

// A transition as the slideshow asks for it. Grain is the cell size in pixels (below 1 counts
// as 1); delay is the time in milliseconds between two painting steps.
struct Transition {
    int style = 0;
    int grain = 1;
    int delay = 0;

    // Every transition is painted in this many steps.
    static constexpr int kSteps = 40;
    int durationMs() const { return delay > 0 ? delay * kSteps : 0; }
};

class TransitionRenderer {
public:
    TransitionRenderer(const Transition& transition, QSize size);

    QSize size() const { return m_size; }
    const Transition& transition() const { return m_transition; }

    // from and to must have the renderer's size; any format (they are converted to RGB32 when
    // they are not). progress runs from 0 (from only) to 1 (to only). out becomes an RGB32
    // picture of the renderer's size.
    void render(const QImage& from, const QImage& to, double progress, QImage& out) const;

    // The picture in the format the renderer works in, for callers that prepare it ahead.
    static QImage prepared(const QImage& picture, QSize size);

private:
    void buildMap(const TransitionStyle& style);
    void renderMask(const QImage& from, const QImage& to, double progress, QImage& out) const;
    void renderSoft(const QImage& from, const QImage& to, double progress, QImage& out) const;
    void renderFade(const QImage& from, const QImage& to, double progress, QImage& out) const;
    void renderMove(const QImage& from, const QImage& to, double progress, QImage& out) const;
    void renderZoom(const QImage& from, const QImage& to, double progress, QImage& out) const;
    void renderMosaic(const QImage& from, const QImage& to, double progress, QImage& out) const;

    Transition m_transition;
    const TransitionStyle& m_style;
    QSize m_size;
    int m_grain;
    int m_cols = 0, m_rows = 0;
    std::vector<uint16_t> m_cells;  // when each cell is revealed, 0..65535
    std::vector<int32_t> m_cellOfX; // x / grain
};

} // namespace q32
