// Time to paint one 1920 x 1080 transition frame, for every style of the shipped catalogue, at
// each grain asked for: each style's worst frame, over the styles, beside one full-frame copy
// measured in the same run. Times are the painting thread's CPU time: on a shared machine the
// wall clock mostly measures the other programs.
// Usage: bench_transitions [GRAIN ...]   (default: 1 8 256)
#include "viewer/EffectsCatalogue.h"
#include "viewer/TransitionCatalogue.h"
#include "viewer/TransitionRenderer.h"

#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

using namespace q32;

namespace {

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

struct Worst {
    double ms = 0;
    QString name;
    void take(double m, const QString& n) {
        if (m > ms) {
            ms = m;
            name = n;
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    std::vector<int> grains;
    for (int i = 1; i < argc; ++i)
        grains.push_back(std::max(1, std::atoi(argv[i])));
    if (grains.empty())
        grains = {1, 8, 256};
    const QSize size(1920, 1080);
    const QImage from = NoisePicture(size, 1), to = NoisePicture(size, 2);
    QImage frame(size, QImage::Format_RGB32);

    // Reference: one copy of a whole frame.
    std::vector<double> copies;
    for (int i = 0; i < 50; ++i) {
        const double c = cpuMs();
        std::memcpy(frame.bits(), to.constBits(), size_t(frame.sizeInBytes()));
        copies.push_back(cpuMs() - c);
    }

    std::vector<int> numbers;
    for (const QString& line : EffectsCatalogueText().split('\n', Qt::SkipEmptyParts))
        numbers.push_back(line.section(',', 2).toInt());
    for (int grain : grains) {
        std::vector<double> single, styleWorst;
        Worst worst, worstSingle;
        for (int n : numbers) {
            const TransitionRenderer renderer({n, grain, 0}, size);
            const QString& name = TransitionStyleFor(n).name;
            double slowest = 0;
            for (int step = 1; step < Transition::kSteps; step += 4) {
                // A frame's cost is the fastest of three paintings: other programs on the
                // machine only ever add time. The first painting alone shows what they add.
                double fastest = 1e9;
                for (int run = 0; run < 3; ++run) {
                    const double c = cpuMs();
                    renderer.render(from, to, double(step) / Transition::kSteps, frame);
                    const double ms = cpuMs() - c;
                    fastest = std::min(fastest, ms);
                    if (run == 0) {
                        single.push_back(ms);
                        worstSingle.take(ms, name);
                    }
                }
                slowest = std::max(slowest, fastest);
            }
            styleWorst.push_back(slowest);
            worst.take(slowest, name);
        }
        const auto over = std::count_if(styleWorst.begin(), styleWorst.end(),
                                        [](double ms) { return ms >= 5.0; });
        std::printf("grain %d, %zu styles of 1920x1080, CPU time of a frame (aim: every style's "
                    "worst frame under 5 ms)\n",
                    grain, numbers.size());
        std::printf("  each style's worst frame: median %.2f ms, 90th percentile %.2f ms, worst "
                    "%.2f ms (%s); styles at 5 ms or more: %td\n",
                    percentile(styleWorst, 0.5), percentile(styleWorst, 0.9), worst.ms,
                    qPrintable(worst.name), over);
        std::printf("  single paintings, machine load included: median %.2f ms, 99th percentile "
                    "%.2f ms, worst %.2f ms (%s)\n",
                    percentile(single, 0.5), percentile(single, 0.99), worstSingle.ms,
                    qPrintable(worstSingle.name));
        std::fflush(stdout);
    }
    std::printf("reference: one full-frame copy, CPU time %.2f ms median, %.2f ms fastest of 50\n",
                percentile(copies, 0.5), percentile(copies, 0));
    return 0;
}
