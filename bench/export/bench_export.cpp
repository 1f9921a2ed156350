// Exporting the picture of a stored 24-megapixel JPEG record: the record's bytes copied out of
// the album, decoded and written in another format, the way the export command and q32 export
// do it. Beside it, the fastest of convert, gm convert and djpeg turning the same JPEG file into
// the same format. Every figure is the median of several runs after one warm-up run.
//
// usage: bench_export [runs] [scratch folder]   (5 runs; scratch defaults to /tmp)
#include "BenchTools.h"
#include "BenchWork.h"
#include "album/AlbumDb.h"
#include "output/export/ExportJob.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImageWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

using namespace q32;

namespace {

int g_runs = 5;

// The shared timing helpers, with this benchmark's run count.
double Time(const std::function<bool()>& run) {
    return bench::Time(g_runs, run);
}

double TimeTool(const QString& program, const QStringList& args) {
    return bench::TimeTool(g_runs, program, args);
}

// A photo: smooth colour fields and edges with sensor-like grain, so the codecs have real work.
QImage PhotoLike(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(7);
    for (int y = 0; y < h; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        const double fy = double(y) / h;
        for (int x = 0; x < w; ++x) {
            const double fx = double(x) / w;
            const double base = 0.5 + 0.35 * std::sin(fx * 7.0 + std::sin(fy * 5.0) * 2.0);
            const int n = int(rng.bounded(41u)) - 20;
            line[x] = qRgb(qBound(0, int(255 * base) + n, 255),
                           qBound(0, int(255 * (0.3 + 0.5 * fy)) + n, 255),
                           qBound(0, int(255 * (fx > 0.6 && fy < 0.4 ? 0.85 : 0.25)) + n, 255));
        }
    }
    return img;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 1)
        g_runs = qMax(1, atoi(argv[1]));
    QTemporaryDir dir(QString::fromLocal8Bit(argc > 2 ? argv[2] : "/tmp") +
                      QStringLiteral("/bench_export-XXXXXX"));
    q32::bench::WorkFolder(dir);
    const QString jpeg = dir.filePath("photo.jpg");
    QImageWriter writer(jpeg, "jpeg");
    writer.setQuality(90);
    if (!writer.write(PhotoLike(6000, 4000))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(jpeg));
        return 1;
    }
    const QString albumPath = dir.filePath("bench.mdb");
    AlbumStatus status = AlbumDb::create(albumPath, false);
    auto album = status.ok() ? AlbumDb::open(albumPath, {}, &status) : nullptr;
    PictureRecord row;
    row.date = QDate::currentDate();
    row.imageFile = QStringLiteral("photo.jpg");
    row.imageFormat = QStringLiteral("10 JPEG File Interchange Format");
    qint64 rowId = 0;
    if (!album || !album->addRecord(row, jpeg, &rowId).ok()) {
        std::fprintf(stderr, "cannot make the album: %s\n", qPrintable(status.text()));
        return 1;
    }
    std::printf("Test record: 6000 x 4000 JPEG, quality 90, %.1f MB, stored in an album.\n"
                "Each figure: median of %d runs, milliseconds, wall clock. Ours: copy the record "
                "out of the album,\ndecode, write; each reference: one process reading the JPEG "
                "file and writing the file.\n\n",
                QFileInfo(jpeg).size() / 1e6, g_runs);
    std::printf("%-26s %9s   %-22s %9s   %6s\n", "Export to (ours)", "ms", "fastest reference",
                "ms", "ratio");
    std::printf("%s\n", std::string(84, '-').c_str());

    struct Target {
        const char* name;
        int code;
        const char* ext;
        QStringList magickArgs;
        const char* magickPrefix;
    };
    const QList<Target> targets = {
        {"BMP (24 bits)", 6, "bmp", {}, "BMP3:"},
        {"PCX (24 bits)", 1, "pcx", {}, "PCX:"},
        {"TIFF LZW (24 bits)", 17, "tif", {"-compress", "LZW"}, "TIFF:"},
        {"PNG (24 bits)", 75, "png", {}, "PNG24:"},
    };
    const QString extracted = dir.filePath("export.pic");
    for (const Target& t : targets) {
        const QString ours = dir.filePath(QStringLiteral("ours.%1").arg(t.ext));
        const double mine = Time([&] {
            return album->extractToFile(rowId, PictureField::Image, extracted) > 0 &&
                   ExportPicture(extracted, ours, SaveOptions{t.code, 24, 0, false}) ==
                       ImagingCondition::None;
        });
        const QString theirs = dir.filePath(QStringLiteral("ref.%1").arg(t.ext));
        QList<std::pair<QString, double>> refs;
        refs.append({"convert", TimeTool("convert", QStringList{jpeg} + t.magickArgs +
                                                        QStringList{t.magickPrefix + theirs})});
        // GraphicsMagick chooses its BMP version itself.
        refs.append(
            {"gm convert",
             TimeTool("gm", QStringList{"convert", jpeg} + t.magickArgs +
                                QStringList{t.code == 6 ? theirs : t.magickPrefix + theirs})});
        if (t.code == 6)
            refs.append({"djpeg -bmp", TimeTool("djpeg", {"-bmp", "-outfile", theirs, jpeg})});
        std::pair<QString, double> best{QStringLiteral("none"), std::nan("")};
        QString all;
        for (const auto& r : refs) {
            all += QStringLiteral("%1 %2  ").arg(r.first).arg(r.second, 0, 'f', 0);
            if (!std::isnan(r.second) && (std::isnan(best.second) || r.second < best.second))
                best = r;
        }
        std::printf("%-26s %9.1f   %-22s %9.1f   %5.2fx   %s| MB ours %.1f\n", t.name, mine,
                    qPrintable(best.first), best.second, mine / best.second, qPrintable(all),
                    QFileInfo(ours).size() / 1e6);
    }
    return 0;
}
