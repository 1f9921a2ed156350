// Fitting, decoding and saving a 24-megapixel photo-like JPEG, each figure beside a reference tool
// run on the same file in the same run. Every figure is the median of several runs.
//
// usage: bench_imaging [runs] [picture]   (5 runs; the test picture is kept at picture if given)
#include "BenchTools.h"
#include "platform/imaging/Imaging.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <functional>

using namespace q32;

namespace {

int g_runs = 5;

double Time(const std::function<bool()>& run) {
    return bench::Time(g_runs, run);
}

double TimeTool(const QString& program, const QStringList& args) {
    return bench::TimeTool(g_runs, program, args);
}

using bench::Row;

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 1)
        g_runs = qMax(1, atoi(argv[1]));
    QTemporaryDir dir;
    const QString jpeg = argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath("photo.jpg");
    {
        QElapsedTimer t;
        t.start();
        QImageWriter w(jpeg, "jpeg");
        w.setQuality(90);
        if (!w.write(bench::PhotoLike(6000, 4000))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(jpeg));
            return 1;
        }
        std::printf(
            "Test picture: 6000 x 4000 JPEG, quality 90, grain added, %.1f MB (made in %.1f "
            "s)\nEach figure: median of %d runs, milliseconds, wall clock.\n\n",
            QFileInfo(jpeg).size() / 1e6, t.elapsed() / 1000.0, g_runs);
    }
    std::printf("%-32s %9s   %-34s %9s   %6s\n", "Operation (ours)", "ms", "Reference", "ms",
                "ratio");
    std::printf("%s\n", std::string(108, '-').c_str());

    auto fit = [&](QSize box) {
        return Time([&] {
            QImage img;
            return LoadImage(jpeg, img, LoadOptions{box, false, 0, true}) ==
                       ImagingCondition::None &&
                   !img.isNull();
        });
    };
    auto djpeg = [&](QStringList args) {
        return TimeTool("djpeg", args + QStringList{"-pnm", "-outfile", "/dev/null", jpeg});
    };
    Row("fit into 240 x 180", fit(QSize(240, 180)), "djpeg -scale 1/8", djpeg({"-scale", "1/8"}),
        "ours: read + fit in-process; djpeg: process start + decode");
    Row("fit into 1920 x 1080", fit(QSize(1920, 1080)), "djpeg -scale 1/2",
        djpeg({"-scale", "1/2"}), "aim <= 1.00");
    // The fit above is this decode and a smooth scale to the frame, which djpeg does not do.
    Row("  of which decode at 1/2", fit(QSize(3000, 2000)), "djpeg -scale 1/2",
        djpeg({"-scale", "1/2"}), "the rest is the scale to 1620 x 1080");
    Row("full decode", fit(QSize()), "djpeg", djpeg({}), "");

    struct Save {
        const char* name;
        int code;
        const char* ext;
        QStringList magickArgs; // between input and output
        const char* magickPrefix;
    };
    const QList<Save> saves = {
        {"save BMP (24 bits)", 6, "bmp", {}, "BMP3:"},
        {"save PCX (24 bits)", 1, "pcx", {}, "PCX:"},
        {"save TIFF LZW (24 bits)", 17, "tif", {"-compress", "LZW"}, "TIFF:"},
        {"save PNG (24 bits)", 75, "png", {}, "PNG24:"},
    };
    for (const Save& s : saves) {
        const QString ours = dir.filePath(QStringLiteral("ours.%1").arg(s.ext));
        const double mine = Time([&] {
            QImage img;
            return LoadImage(jpeg, img) == ImagingCondition::None &&
                   SaveImage(img, ours, SaveOptions{s.code, 24, 0, false}) ==
                       ImagingCondition::None;
        });
        const QString theirs = dir.filePath(QStringLiteral("ref.%1").arg(s.ext));
        struct Ref {
            QString label;
            double ms;
        };
        QList<Ref> refs;
        refs.append({"convert", TimeTool("convert", QStringList{jpeg} + s.magickArgs +
                                                        QStringList{s.magickPrefix + theirs})});
        // GraphicsMagick's BMP writer picks its version itself; its PNG24 prefix is the same.
        const QString gmOut = s.code == 6 ? theirs : s.magickPrefix + theirs;
        refs.append({"gm convert", TimeTool("gm", QStringList{"convert", jpeg} + s.magickArgs +
                                                      QStringList{gmOut})});
        if (s.code == 6)
            refs.append({"djpeg -bmp", TimeTool("djpeg", {"-bmp", "-outfile", theirs, jpeg})});
        const Ref* best = nullptr;
        QString all;
        for (const Ref& r : refs) {
            all += QStringLiteral("%1 %2  ").arg(r.label).arg(r.ms, 0, 'f', 0);
            if (!std::isnan(r.ms) && (!best || r.ms < best->ms))
                best = &r;
        }
        const QString ourSize = QString::number(QFileInfo(ours).size() / 1e6, 'f', 1);
        const QString refSize = QString::number(QFileInfo(theirs).size() / 1e6, 'f', 1);
        Row(s.name, mine, qPrintable("fastest: " + (best ? best->label : QString("none"))),
            best ? best->ms : std::nan(""),
            qPrintable(all + "| MB ours " + ourSize + ", last ref " + refSize));
    }
    std::printf("\nSaving figures include decoding the JPEG on both sides: ours is LoadImage + "
                "SaveImage in-process,\neach reference tool is one process reading the JPEG and "
                "writing the file.\n");
    return 0;
}
