// Printing a 24-megapixel photo: the time from "&Print" to the finished PDF at 600 dpi, one
// picture pixel a printer dot (the Print Preview window's first state), and the peak memory of
// the process, beside ImageMagick's convert of the same file into a PDF in the same run. Every
// run is a process of its own, timed and measured by /usr/bin/time, so both sides pay for
// starting up and their peaks are comparable. Figures are medians.
//
// usage: bench_print [runs] [picture]   (3 runs; the test picture is kept at picture if given)
//        bench_print --print PICTURE OUT.pdf   (one print, the measured child)
#include "output/print/PrintRender.h"
#include "platform/printer/PdfFileOutput.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace q32;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kDpi = 600;

// Smooth colour fields with edges and sensor-like grain, as a camera gives them.
QImage PhotoLike(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(11);
    for (int y = 0; y < h; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        const double fy = double(y) / h;
        for (int x = 0; x < w; ++x) {
            const double fx = double(x) / w;
            const int n = int(rng.bounded(31u)) - 15;
            const int r = int(255 * (0.5 + 0.4 * std::sin(fx * 9 + fy * 3))) + n;
            const int g = int(255 * (0.25 + 0.6 * fy)) + n;
            const int b = int(255 * (fx + fy > 1.1 ? 0.8 : 0.3)) + n;
            line[x] = qRgb(qBound(0, r, 255), qBound(0, g, 255), qBound(0, b, 255));
        }
    }
    return img;
}

QPageLayout PageFor600Dpi() {
    // Landscape A4 leaves 10.7 x 7.8 inches inside the margins: room for 10 x 6.7 inches.
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                       QMarginsF(0.5, 0.25, 0.5, 0.25), QPageLayout::Inch);
}

int PrintOnce(const QString& picture, PageOutput& output) {
    const PrintOutcome outcome =
        PrintPictureOn(output, {picture, {}, {}}, QRectF(0, 0, kWidth, kHeight), false, {});
    if (!outcome.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(outcome.error));
        return 1;
    }
    return 0;
}

struct Measure {
    double seconds = NAN;
    double megabytes = NAN;
};

// One run of program under /usr/bin/time: wall clock and peak resident memory.
Measure Run(const QString& program, const QStringList& args,
            const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("time"));
    QProcess p;
    p.setProcessEnvironment(env);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral("/usr/bin/time"),
            QStringList{QStringLiteral("-f"), QStringLiteral("%e %M"), QStringLiteral("-o"), report,
                        program} +
                args);
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        return {};
    QFile f(report);
    f.open(QIODevice::ReadOnly);
    const QList<QByteArray> fields = f.readAll().trimmed().split(' ');
    if (fields.size() != 2)
        return {};
    return {fields[0].toDouble(), fields[1].toDouble() / 1024};
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? NAN : v[v.size() / 2];
}

// One untimed warm-up, then runs runs; medians of time and of peak memory.
Measure Repeat(int runs, const std::function<Measure()>& once) {
    if (std::isnan(once().seconds))
        return {};
    std::vector<double> s, m;
    for (int i = 0; i < runs; ++i) {
        const Measure r = once();
        if (std::isnan(r.seconds))
            return {};
        s.push_back(r.seconds);
        m.push_back(r.megabytes);
    }
    return {Median(s), Median(m)};
}

void Row(const char* what, const Measure& m, const char* note) {
    std::printf("%-44s %8.2f s %8.0f MB   %s\n", what, m.seconds, m.megabytes, note);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && qstrcmp(argv[1], "--print") == 0) {
        QGuiApplication app(argc, argv);
        PdfFileOutput output(QString::fromLocal8Bit(argv[3]), PageFor600Dpi(), kDpi,
                             QStringLiteral("bench"));
        return PrintOnce(QString::fromLocal8Bit(argv[2]), output);
    }

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QTemporaryDir dir;
    const QString photo = argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath("photo.jpg");
    if (!QFileInfo::exists(photo)) {
        QImageWriter w(photo, "jpeg");
        w.setQuality(90);
        if (!w.write(PhotoLike(kWidth, kHeight))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(photo));
            return 1;
        }
    }
    std::printf("Test picture: %d x %d JPEG, %.1f MB; printed at %d dpi, one pixel a dot.\n"
                "Each figure: median of %d runs (after a warm-up), wall clock and peak "
                "resident memory of the process.\n\n",
                kWidth, kHeight, QFileInfo(photo).size() / 1e6, kDpi, runs);
    std::printf("%-44s %10s %11s\n", "", "time", "peak");
    std::printf("%s\n", std::string(90, '-').c_str());

    const QString self = QCoreApplication::applicationFilePath();
    const QString ours = dir.filePath(QStringLiteral("ours.pdf"));
    QProcessEnvironment offscreen = QProcessEnvironment::systemEnvironment();
    offscreen.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const Measure mine = Repeat(runs, [&] {
        return Run(self, {"--print", photo, ours}, offscreen);
    });
    Row("ours: \"&Print\" to the finished PDF", mine, "Qt's PDF output, JPEG bands");

    // Debian's ImageMagick policy forbids the "PDF" coder by name; "EPDF:" runs the same writer.
    const QString theirs = dir.filePath(QStringLiteral("convert.pdf"));
    const Measure convert = Repeat(runs, [&] {
        return Run(QStringLiteral("convert"), {photo, QStringLiteral("EPDF:") + theirs});
    });
    Row("reference: convert photo.jpg out.pdf", convert, "ImageMagick 6, same file");
    if (!QStandardPaths::findExecutable(QStringLiteral("gm")).isEmpty()) {
        const Measure gm = Repeat(runs, [&] {
            return Run(QStringLiteral("gm"),
                       {QStringLiteral("convert"), photo, dir.filePath(QStringLiteral("gm.pdf"))});
        });
        Row("reference: gm convert photo.jpg out.pdf", gm, "GraphicsMagick");
    }

    std::printf("\nratio to convert: time %.2fx, memory %.2fx; aims: no slower, under 600 MB\n",
                mine.seconds / convert.seconds, mine.megabytes / convert.megabytes);
    std::printf("PDF sizes: ours %.1f MB, convert %.1f MB\n", QFileInfo(ours).size() / 1e6,
                QFileInfo(theirs).size() / 1e6);
    return 0;
}
