// The web gallery of a 100,000-record album of small pictures: q32 export --web against
// q32 export --all of the same records (their stored files copied out as they are); then the time
// one index page takes to open in headless Chromium, thumbnails loaded, against an empty page in
// the same browser. Page figures are the median of several runs.
//
// usage: bench_gallery [ALBUM] [runs]
// The album is made at ALBUM (default: gallery-100k.mdb beside this program) when it is not
// there yet, and kept for the next run.
#include "BenchFigures.h"
#include "BenchWork.h"
#include "album/AlbumDb.h"
#include "platform/sqlite/SqliteDb.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>

using namespace q32;

namespace {

constexpr int kRecords = 100000;

bool makeAlbum(const QString& path) {
    std::printf("making an album of %d records (kept at %s) ...\n", kRecords, qPrintable(path));
    std::fflush(stdout);
    QFile::remove(path);
    if (!AlbumDb::create(path, true).ok())
        return false;
    AlbumStatus status;
    auto db = AlbumDb::open(path, {}, &status);
    if (!db)
        return false;
    // Sixteen small photos of different colours, in turn.
    QList<QByteArray> pictures;
    for (int n = 0; n < 16; ++n) {
        QImage image(320, 240, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb((x + n * 16) % 256, (y * 2 + n * 8) % 256, n * 15));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, "jpeg").write(image);
        pictures << bytes;
    }
    sqlite::Transaction tx(db->connection());
    for (int i = 0; i < kRecords; ++i) {
        PictureRecord r;
        r.date = QDate(2000, 1, 1).addDays(i % 9000);
        r.imageFile = QStringLiteral("IMG_%1.jpg").arg(i, 6, 10, QLatin1Char('0'));
        r.imageFormat = QStringLiteral("10 JPEG File Interchange Format");
        r.imageProperties = QStringLiteral("(320x240) (16,777,216 colors)");
        r.keywords = i % 3 ? QStringLiteral("holiday, beach") : QStringLiteral("family");
        r.description = QStringLiteral("Picture %1 <of> the \"holiday\" & more").arg(i);
        qint64 id = 0;
        if (!db->addRecordBytes(r, pictures[i % 16], &id).ok())
            return false;
    }
    return tx.commit().ok();
}

// Seconds a q32 command takes; negative when it fails.
double timeQ32(const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral(Q32_BINARY), args);
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        return -1;
    return t.elapsed() / 1000.0;
}

// Milliseconds from the start of a page holding page in a frame until the frame's load event
// (its pictures loaded), measured inside headless Chromium with no network.
double timePageInBrowser(const QString& work, const QString& page) {
    const QString harness = work + QStringLiteral("/harness.html");
    QFile f(harness);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(QStringLiteral("<!DOCTYPE html><html><body><script>var t0 = performance.now();"
                           "</script><iframe width=\"1200\" height=\"900\" src=\"%1\" "
                           "onload=\"document.getElementById('ms').textContent = 'ms=' + "
                           "(performance.now() - t0)\"></iframe><p id=\"ms\"></p></body></html>")
                .arg(QUrl::fromLocalFile(page).toString(QUrl::FullyEncoded))
                .toUtf8());
    f.close();
    QProcess p;
    p.start(QStringLiteral("chromium"),
            {QStringLiteral("--headless=new"), QStringLiteral("--no-sandbox"),
             QStringLiteral("--disable-gpu"),
             QStringLiteral("--host-resolver-rules=MAP * ~NOTFOUND"),
             QStringLiteral("--allow-file-access-from-files"),
             QStringLiteral("--user-data-dir=") + work + QStringLiteral("/profile"),
             QStringLiteral("--dump-dom"), QUrl::fromLocalFile(harness).toString()});
    if (!p.waitForFinished(120000))
        return -1;
    const auto m = QRegularExpression(QStringLiteral("ms=([0-9.]+)"))
                       .match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toDouble() : -1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString album =
        argc > 1 ? QString::fromLocal8Bit(argv[1])
                 : QCoreApplication::applicationDirPath() + QStringLiteral("/gallery-100k.mdb");
    const int runs = argc > 2 ? qMax(1, atoi(argv[2])) : 5;
    {
        AlbumStatus status;
        auto db = AlbumDb::open(album, {true}, &status);
        const bool ready = db && db->rowCount() == kRecords;
        db.reset();
        if (!ready && !makeAlbum(album)) {
            std::fprintf(stderr, "cannot make %s\n", qPrintable(album));
            return 1;
        }
    }
    QTemporaryDir dir(QFileInfo(album).absolutePath() + QStringLiteral("/bench_gallery-XXXXXX"));
    const QString work = bench::WorkFolder(dir);

    const double all = timeQ32({QStringLiteral("export"), album, QStringLiteral("--all"),
                                work + QStringLiteral("/files")});
    QDir(work + QStringLiteral("/files")).removeRecursively();
    const double web =
        timeQ32({QStringLiteral("export"), album, QStringLiteral("--web"),
                 work + QStringLiteral("/site"), QStringLiteral("--size"), QStringLiteral("320")});
    if (all < 0 || web < 0) {
        std::fprintf(stderr, "q32 export failed\n");
        return 1;
    }
    const int pages = int(QDir(work + QStringLiteral("/site")).entryList({"index*.html"}).size());
    std::printf("q32 export --web of %d records: %6.1f s (%4.0f records/s), %d index pages\n"
                "   reference, q32 export --all of the same records: %6.1f s\n",
                kRecords, web, kRecords / web, pages, all);
    std::fflush(stdout);

    const QString empty = work + QStringLiteral("/empty.html");
    QFile e(empty);
    e.open(QIODevice::WriteOnly);
    e.write("<!DOCTYPE html><html><body></body></html>");
    e.close();
    const QString middle = work + QStringLiteral("/site/index-%1.html").arg(pages / 2);
    QList<double> index, blank;
    for (int i = 0; i < runs; ++i) {
        index << timePageInBrowser(work, middle);
        blank << timePageInBrowser(work, empty);
    }
    if (bench::Worst(index) < 0 || *std::min_element(index.begin(), index.end()) < 0) {
        std::fprintf(stderr, "chromium did not report the page's load\n");
        return 1;
    }
    std::printf("index page %d of %d (%s thumbnails) opened in Chromium: %6.1f ms median, "
                "%6.1f ms worst (aim under 1000 ms)\n"
                "   reference, an empty page in the same browser:  %6.1f ms median\n",
                pages / 2, pages, "240", bench::Median(index), bench::Worst(index),
                bench::Median(blank));
    return 0;
}
