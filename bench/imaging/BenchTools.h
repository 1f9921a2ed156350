#pragma once
// Timing and test pictures shared by the imaging benchmarks. Every figure is the median of
// several runs after one untimed warm-up run (file cache, first touch of memory).

#include "BenchFigures.h"

#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace q32::bench {

// Milliseconds, median of runs; a run that fails gives NaN.
inline double Time(int runs, const std::function<bool()>& run) {
    if (!run())
        return std::nan("");
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        if (!run())
            return std::nan("");
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return Median(ms);
}

// A tool run to completion, its output thrown away; NaN when it is missing or fails.
inline double TimeTool(int runs, const QString& program, const QStringList& args) {
    if (QStandardPaths::findExecutable(program).isEmpty())
        return std::nan("");
    return Time(runs, [&] {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(program, args);
        return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    });
}

// A photo-like picture: smooth colour fields and edges, with sensor-like noise on top.
inline QImage PhotoLike(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(4);
    for (int y = 0; y < h; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        const double fy = double(y) / h;
        for (int x = 0; x < w; ++x) {
            const double fx = double(x) / w;
            const double base = 0.5 + 0.35 * std::sin(fx * 7.0 + std::sin(fy * 5.0) * 2.0);
            const int n = int(rng.bounded(41u)) - 20; // about +-20 levels of grain
            const int r = int(255 * base) + n;
            const int g = int(255 * (0.3 + 0.5 * fy)) + n;
            const int b = int(255 * (fx > 0.6 && fy < 0.4 ? 0.85 : 0.25)) + n;
            line[x] = qRgb(qBound(0, r, 255), qBound(0, g, 255), qBound(0, b, 255));
        }
    }
    return img;
}

inline void Row(const char* what, double ours, const char* refName, double ref, const char* note) {
    std::printf("%-32s %9.1f   %-34s %9.1f   %5.2fx   %s\n", what, ours, refName, ref, ours / ref,
                note);
}

} // namespace q32::bench
