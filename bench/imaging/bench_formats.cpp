// Today's formats, each figure beside reference tools run on the same file in the same run:
// a 12-megapixel HEIC decoded to a 1920 x 1080 frame against heif-convert and ImageMagick, and a
// 24-megapixel raw file (a DNG made here, with the full-size JPEG preview cameras embed) previewed
// against dcraw -e and exiftool, which only cut the preview out.
//
// usage: bench_formats [runs] [scratch folder]   (5 runs; /tmp)
#include "BenchTools.h"
#include "FormatSamples.h"
#include "platform/imaging/Imaging.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace q32;
using namespace q32::bench;

namespace {

int g_runs = 5;

double Fit(const QString& file, const QSize& box, QSize* got = nullptr) {
    return Time(g_runs, [&] {
        QImage img;
        const bool ok =
            LoadImage(file, img, LoadOptions{box, false, 0, true}) == ImagingCondition::None &&
            !img.isNull();
        if (got)
            *got = img.size();
        return ok;
    });
}

double Shell(const QString& command) {
    return TimeTool(g_runs, "sh", {"-c", command});
}

void Header(const char* title) {
    std::printf("\n%s\n%-32s %9s   %-34s %9s   %6s\n%s\n", title, "Operation (ours)", "ms",
                "Reference", "ms", "ratio", std::string(108, '-').c_str());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 1)
        g_runs = qMax(1, atoi(argv[1]));
    QTemporaryDir dir(QString::fromLocal8Bit(argc > 2 ? argv[2] : "/tmp") +
                      "/bench-formats-XXXXXX");
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a scratch folder\n");
        return 1;
    }
    const QSize frame(1920, 1080);
    std::printf("Each figure: median of %d runs after a warm-up run, milliseconds, wall clock.\n"
                "Ours: in-process, file to a picture fitted into 1920 x 1080. References: one "
                "process each.\n",
                g_runs);

    // 12 megapixels, as a phone writes them.
    const QString heic = dir.filePath("photo.heic"), source = dir.filePath("photo-12mp.jpg");
    QElapsedTimer made;
    made.start();
    if (!PhotoLike(4000, 3000).save(source, "JPEG", 95) ||
        !test::Run("heif-enc",
                   {"-q", "80", "-t", "320", "-p", "preset=ultrafast", source, "-o", heic})) {
        std::fprintf(stderr, "cannot make the HEIC file (heif-enc)\n");
        return 1;
    }
    Header(qPrintable(
        QStringLiteral(
            "HEIC: 4000 x 3000, %1 MB, with a 320 x 240 thumbnail, made by heif-enc in %2 s")
            .arg(QFileInfo(heic).size() / 1e6, 0, 'f', 1)
            .arg(made.elapsed() / 1000.0, 0, 'f', 1)));
    QSize got;
    const double heicFit = Fit(heic, frame, &got);
    const QString y4m = dir.filePath("ref.y4m");
    Row("heic to 1920 x 1080", heicFit, "heif-convert to y4m (decode only)",
        TimeTool(g_runs, "heif-convert", {heic, y4m}),
        qPrintable(QStringLiteral("ours %1 x %2").arg(got.width()).arg(got.height())));
    Row("heic to 1920 x 1080", heicFit, "convert -resize 1920x1080 ppm",
        Shell(QStringLiteral("convert '%1' -resize 1920x1080 ppm:- > /dev/null").arg(heic)),
        "ImageMagick's libheif coder, then its resize");
    Row("heic thumbnail 240 x 180", Fit(heic, QSize(240, 180)), "heif-convert to y4m (decode only)",
        TimeTool(g_runs, "heif-convert", {heic, y4m}), "from the 320 x 240 thumbnail phones store");

    // 24 megapixels of sensor data with the camera's full-size JPEG beside it.
    made.restart();
    const QImage picture = PhotoLike(6000, 4000);
    QByteArray preview;
    QBuffer buffer(&preview);
    const QString dng = dir.filePath("photo.dng");
    QFile out(dng);
    if (!picture.save(&buffer, "JPEG", 92) || !out.open(QIODevice::WriteOnly) ||
        out.write(test::MakeDng(picture, preview, 1, test::kTakenAt)) <= 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(dng));
        return 1;
    }
    out.close();
    Header(qPrintable(QStringLiteral("Raw: 6000 x 4000 DNG, %1 MB with a %2 MB JPEG preview, "
                                     "made in %3 s")
                          .arg(QFileInfo(dng).size() / 1e6, 0, 'f', 1)
                          .arg(preview.size() / 1e6, 0, 'f', 1)
                          .arg(made.elapsed() / 1000.0, 0, 'f', 1)));
    const double rawFit = Fit(dng, frame, &got);
    const QString note = QStringLiteral("ours %1 x %2, decoded; the tools only copy the JPEG out")
                             .arg(got.width())
                             .arg(got.height());
    Row("raw preview to 1920 x 1080", rawFit, "dcraw -e -c",
        TimeTool(g_runs, "dcraw", {"-e", "-c", dng}), qPrintable(note));
    Row("raw preview to 1920 x 1080", rawFit, "exiftool -b -PreviewImage",
        TimeTool(g_runs, "exiftool", {"-b", "-PreviewImage", dng}), "");
    Row("raw preview to 1920 x 1080", rawFit, "dcraw -e -c | djpeg -scale 3/8",
        Shell(QStringLiteral("dcraw -e -c '%1' | djpeg -scale 3/8 -pnm > /dev/null").arg(dng)),
        "cut out and decoded at the scale we decode at");
    Row("raw preview 240 x 180", Fit(dng, QSize(240, 180)), "dcraw -e -c | djpeg -scale 1/8",
        Shell(QStringLiteral("dcraw -e -c '%1' | djpeg -scale 1/8 -pnm > /dev/null").arg(dng)), "");
    return 0;
}
