// Time to paint one 1920 x 1080 transition frame, for every style of the shipped catalogue:
// median and worst over the styles, beside one full-frame copy measured in the same run.
// Usage: bench_transitions [GRAIN]
#include "viewer/EffectsCatalogue.h"
#include "viewer/TransitionCatalogue.h"
#include "viewer/TransitionRenderer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace q32;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int grain = argc > 1 ? std::atoi(argv[1]) : 1;
    const QSize size(1920, 1080);
    const QImage from = NoisePicture(size, 1), to = NoisePicture(size, 2);
    QImage frame(size, QImage::Format_RGB32);

    // Reference: one copy of a whole frame.
    std::vector<double> copies;
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer t;
        t.start();
        std::memcpy(frame.bits(), to.constBits(), size_t(frame.sizeInBytes()));
        copies.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(copies.begin(), copies.end());

    std::vector<int> numbers;
    for (const QString& line : EffectsCatalogueText().split('\n', Qt::SkipEmptyParts))
        numbers.push_back(line.section(',', 2).toInt());
    std::vector<double> perStyle;
    double worst = 0;
    QString worstName;
    for (int n : numbers) {
        const TransitionRenderer renderer({n, grain, 0}, size);
        std::vector<double> frames;
        for (double p : {0.2, 0.4, 0.5, 0.6, 0.8}) {
            QElapsedTimer t;
            t.start();
            renderer.render(from, to, p, frame);
            frames.push_back(t.nsecsElapsed() / 1e6);
        }
        // The fastest of the frames: other work on the machine only ever adds time.
        const double m = *std::min_element(frames.begin(), frames.end());
        perStyle.push_back(m);
        if (m > worst) {
            worst = m;
            worstName = TransitionStyleFor(n).name;
        }
    }
    std::printf("transition frame 1920x1080, grain %d, %zu styles: median %.2f ms, worst %.2f ms "
                "(%s)\n",
                grain, numbers.size(), median(perStyle), worst, qPrintable(worstName));
    std::printf("reference: one full-frame copy %.2f ms (fastest of 50)\n", copies.front());
    return 0;
}
