#include "viewer/RevealMaps.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace q32 {
namespace {

constexpr double kPi = 3.14159265358979323846;

double frac(double x) {
    return x - std::floor(x);
}

// A repeatable random number in [0, 1) for a cell (splitmix64).
double noise(uint64_t key) {
    key += 0x9e3779b97f4a7c15ULL;
    key = (key ^ (key >> 30)) * 0xbf58476d1ce4e5b9ULL;
    key = (key ^ (key >> 27)) * 0x94d049bb133111ebULL;
    key ^= key >> 31;
    return double(key >> 11) / double(1ULL << 53);
}

uint64_t key2(int64_t i, int64_t j, int salt = 0) {
    return (uint64_t(i) * 0x100000001b3ULL) ^ (uint64_t(j) << 32) ^ (uint64_t(salt) << 56);
}

int board(double k, double aspect) {
    return std::max(1, int(std::lround(k / aspect)));
}

int indexIn(double t, int n) {
    return std::clamp(int(t * n), 0, n - 1);
}

// Distance of a point from an anchor in the given shape; dx, dy in picture units with the
// horizontal one scaled to the screen's proportions.
double shapeDistance(int shape, double u, double v, double cu, double cv, double aspect) {
    const double dx = std::abs(u - cu) * aspect;
    const double dy = std::abs(v - cv);
    switch (shape) {
    case Box:
        return std::max(std::abs(u - cu), dy);
    case Square:
        return std::max(dx, dy);
    case Diamond:
        return dx + dy;
    case Circle:
        return std::hypot(dx, dy);
    case Oval:
        return std::hypot(u - cu, dy);
    case Cross:
        return std::min(dx, dy);
    default: {
        const double s = std::sqrt(dx) + std::sqrt(dy);
        return s * s;
    }
    }
}

// Clock angle as a fraction of a turn: 0 at twelve o'clock, growing clockwise.
double clockAngle(double dx, double dy) {
    return frac(std::atan2(dx, -dy) / (2 * kPi));
}

// Place of a square on a board walked round and round from the top left corner.
int spiralIndex(int i, int j, int cols, int rows) {
    const int ring = std::min({i, j, cols - 1 - i, rows - 1 - j});
    int before = 0;
    for (int q = 0; q < ring; ++q) {
        const int w = cols - 2 * q, h = rows - 2 * q;
        before += (w == 1 || h == 1) ? w * h : 2 * (w + h) - 4;
    }
    const int w = cols - 2 * ring, h = rows - 2 * ring;
    if (j == ring)
        return before + (i - ring);
    if (i == cols - 1 - ring)
        return before + (w - 1) + (j - ring);
    if (j == rows - 1 - ring)
        return before + (w - 1) + (h - 1) + (cols - 1 - ring - i);
    return before + 2 * (w - 1) + (h - 1) + (rows - 1 - ring - j);
}

struct Cell {
    double u, v;   // centre of the cell after the style's orientation, 0..1
    int col, row;  // the cell itself, before orientation
    double aspect; // after orientation
};

double reveal(const TransitionStyle& s, const Cell& c) {
    const double u = c.u, v = c.v, aspect = c.aspect;
    switch (s.map) {
    case RevealMap::Linear:
        return u;
    case RevealMap::Diagonal:
        return u + v;
    case RevealMap::BarnDoor:
        return std::abs(u - 0.5);
    case RevealMap::Blinds:
        return frac(s.a * u);
    case RevealMap::BarnBlinds:
        return std::abs(frac(s.a * u) - 0.5);
    case RevealMap::DiagBlinds:
        return frac(s.a * (u + v) / 2);
    case RevealMap::Bars:
        return indexIn(u, s.a) + v;
    case RevealMap::Comb:
        return indexIn(u, s.a) % 2 == 0 ? v : 1 - v;
    case RevealMap::Checker:
    case RevealMap::CheckerDiag: {
        const int cols = s.a, rows = board(s.a, aspect);
        const int parity = (indexIn(u, cols) + indexIn(v, rows)) % 2;
        const double inner =
            s.map == RevealMap::Checker ? frac(u * cols) : (frac(u * cols) + frac(v * rows)) / 2;
        return parity + inner;
    }
    case RevealMap::Iris:
        return shapeDistance(s.a, u, v, (s.b % 3) / 2.0, (s.b / 3) / 2.0, aspect);
    case RevealMap::MultiIris: {
        const int cols = s.b, rows = board(s.b, aspect);
        return shapeDistance(s.a, frac(u * cols), frac(v * rows), 0.5, 0.5, aspect * rows / cols);
    }
    case RevealMap::Rings: {
        const double far = shapeDistance(s.a, 0, 0, 0.5, 0.5, aspect);
        return frac(s.b * shapeDistance(s.a, u, v, 0.5, 0.5, aspect) / (far * 1.0001));
    }
    case RevealMap::Clock:
        return frac(s.a * clockAngle((u - 0.5) * aspect, v - 0.5));
    case RevealMap::Fan:
        return kPi - std::atan2(1 - v, (u - 0.5) * aspect);
    case RevealMap::FanCorner:
        return std::atan2(u * aspect, 1 - v);
    case RevealMap::FanSplit:
        return std::abs(std::atan2(1 - v, (u - 0.5) * aspect) - kPi / 2);
    case RevealMap::Spiral: {
        const double dx = (u - 0.5) * aspect, dy = v - 0.5;
        const double r = std::hypot(dx, dy) / std::hypot(aspect / 2, 0.5);
        const double a = clockAngle(dx, dy);
        return std::floor(r * s.a - a) + a;
    }
    case RevealMap::BoxSpiral: {
        const int cols = s.a, rows = std::max(2, board(s.a, aspect));
        return spiralIndex(indexIn(u, cols), indexIn(v, rows), cols, rows);
    }
    case RevealMap::Snake: {
        const int cols = s.a, rows = board(s.a, aspect);
        const int i = indexIn(u, cols), j = indexIn(v, rows);
        return j * cols + (j % 2 == 0 ? i : cols - 1 - i);
    }
    case RevealMap::Dissolve:
        return noise(key2(c.col, c.row));
    case RevealMap::NoisyWipe:
        return (1 - s.a / 8.0) * u + s.a / 8.0 * noise(key2(c.col, c.row, 1));
    case RevealMap::NoisyIris: {
        const double far = shapeDistance(s.a, 0, 0, 0.5, 0.5, aspect);
        const double d = shapeDistance(s.a, u, v, 0.5, 0.5, aspect) / far;
        return (1 - s.b / 8.0) * d + s.b / 8.0 * noise(key2(c.col, c.row, 2));
    }
    case RevealMap::RandomRows:
        return noise(key2(0, c.row, 3));
    case RevealMap::RandomColumns:
        return noise(key2(c.col, 0, 4));
    case RevealMap::RandomSquares:
        return noise(key2(indexIn(u, s.a), indexIn(v, board(s.a, aspect)), 5 + s.a));
    case RevealMap::Drips:
        return u + s.a / 8.0 * noise(key2(0, c.row, 6));
    case RevealMap::Zigzag:
        return u + s.b / 32.0 * std::abs(2 * frac(s.a * v) - 1);
    case RevealMap::Wave:
        return u + s.b / 32.0 * (0.5 + 0.5 * std::sin(2 * kPi * s.a * v));
    }
    return u;
}

} // namespace

std::vector<float> RevealTimes(const TransitionStyle& style, int cols, int rows, double aspect) {
    std::vector<float> out(size_t(cols) * size_t(rows));
    const bool swap = style.orientation & 4;
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col) {
            double u = (col + 0.5) / cols;
            double v = (row + 0.5) / rows;
            if (style.orientation & 1)
                u = 1 - u;
            if (style.orientation & 2)
                v = 1 - v;
            Cell cell{u, v, col, row, aspect};
            if (swap) {
                std::swap(cell.u, cell.v);
                cell.aspect = 1 / aspect;
            }
            const double t = reveal(style, cell);
            out[size_t(row) * cols + col] = float(style.reverse ? -t : t);
        }
    }
    return out;
}

} // namespace q32
