// Writes the test set of today's formats (see FormatSamples.h) into a folder, for the
// end-to-end tests: make_format_samples FOLDER [WIDTH HEIGHT]
#include "FormatSamples.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_format_samples FOLDER [WIDTH HEIGHT]\n");
        return 2;
    }
    const int w = argc > 3 ? atoi(argv[2]) : 480, h = argc > 3 ? atoi(argv[3]) : 320;
    return q32::test::MakeSampleSet(q32::test::Quarters(w, h), QString::fromLocal8Bit(argv[1])) ? 0
                                                                                                : 1;
}
