// Finding pictures by their looks. Makes photo-like pictures (ImageMagick fractal landscapes,
// each of its own seed), each also as five copies (half size, JPEG quality 50, cropped 5 %, 10 %
// brighter, PNG), plus as many unrelated photos, hashes them the way the album does, and prints
// at the default distance the share of copies found and the share of unrelated pairs reported.
// Then the time to compare one record against 100,000 hashes, in memory and through an album,
// beside a plain loop over the same numbers.
// Usage: bench_similar WORKDIR [PHOTOS]  (default 200 photos)

#include "BenchFigures.h"
#include "PhotoVariants.h"
#include "album/AlbumDb.h"
#include "album/add/SimilarPictures.h"
#include "album/add/ThumbnailMaker.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QtConcurrent>
#include <array>
#include <atomic>
#include <cstdio>
#include <numeric>
#include <random>

using namespace q32;

namespace {

constexpr int kEntries = 100000;
constexpr int kRuns = 30;

std::optional<quint64> hashFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return PictureHashFromBytes(f.readAll(), QStringLiteral("Photo"));
}

struct Photo {
    QString path;
    QStringList copies;
};

double ms(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_similar WORKDIR [PHOTOS]\n");
        return 2;
    }
    const int count = argc > 2 ? std::max(2, std::atoi(argv[2])) : 200;
    const QString work = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/bench_similar");
    QDir(work).removeRecursively();
    QDir().mkpath(work);

    // Photos 0..count-1 get copies; count..2*count-1 are the unrelated ones.
    QList<Photo> photos(2 * count);
    for (int i = 0; i < 2 * count; ++i)
        photos[i].path = work + QStringLiteral("/photo%1.jpg").arg(i);
    QElapsedTimer made;
    made.start();
    std::atomic<int> failures{0};
    QList<int> order(2 * count);
    std::iota(order.begin(), order.end(), 0);
    QtConcurrent::blockingMap(order, [&](int i) {
        if (!test::MakePhoto(photos[i].path, 1000 + i * 7919)) {
            ++failures;
            return;
        }
        if (i < count)
            photos[i].copies = test::MakeVariants(photos[i].path);
    });
    if (failures > 0) {
        std::fprintf(stderr, "ImageMagick could not make the pictures\n");
        return 1;
    }
    std::printf("made %d photos, %d copies and %d unrelated photos in %.1f s\n", count, 5 * count,
                count, made.elapsed() / 1000.0);

    // Hashes, as the album makes them from stored bytes.
    QElapsedTimer hashing;
    hashing.start();
    std::vector<quint64> originals(static_cast<size_t>(2 * count));
    std::vector<std::array<quint64, 5>> copies(static_cast<size_t>(count));
    QtConcurrent::blockingMap(order, [&](int i) {
        originals[size_t(i)] = hashFile(photos[i].path).value_or(0);
        if (i < count)
            for (int c = 0; c < 5; ++c)
                copies[size_t(i)][size_t(c)] = hashFile(photos[i].copies.value(c)).value_or(~0ull);
    });
    const double perPicture = hashing.elapsed() / double(7 * count);

    const char* kinds[5] = {"half size", "JPEG quality 50", "cropped 5 %", "brightness +10 %",
                            "PNG"};
    int found = 0;
    int foundOf[5] = {};
    std::vector<int> distances;
    for (int i = 0; i < count; ++i)
        for (int c = 0; c < 5; ++c) {
            const int d = HashDistance(originals[size_t(i)], copies[size_t(i)][size_t(c)]);
            distances.push_back(d);
            if (d <= kSimilarDistance) {
                ++found;
                ++foundOf[c];
            }
        }
    qint64 pairs = 0, reported = 0;
    int nearestUnrelated = kHashBits;
    for (int a = 0; a < 2 * count; ++a)
        for (int b = a + 1; b < 2 * count; ++b) {
            ++pairs;
            const int d = HashDistance(originals[size_t(a)], originals[size_t(b)]);
            nearestUnrelated = std::min(nearestUnrelated, d);
            if (d <= kSimilarDistance)
                ++reported;
        }
    std::printf("default distance %d bits of %d; hashing %.1f ms a picture\n", kSimilarDistance,
                kHashBits, perPicture);
    std::printf("copies found:            %.1f %% (%d of %d; aim at least 95 %%), median "
                "distance %.0f, largest %.0f\n",
                100.0 * found / (5 * count), found, 5 * count, bench::Median(distances),
                bench::Worst(distances));
    for (int c = 0; c < 5; ++c)
        std::printf("  %-17s %.1f %%\n", kinds[c], 100.0 * foundOf[c] / count);
    std::printf("unrelated pairs reported: %.3f %% (%lld of %lld; aim under 1 %%), nearest "
                "unrelated pair %d bits apart\n",
                100.0 * double(reported) / double(pairs), reported, pairs, nearestUnrelated);

    // One record against 100,000 hashes: the real ones, the rest random.
    std::vector<HashEntry> entries;
    std::mt19937_64 random(27);
    for (int i = 0; i < kEntries; ++i)
        entries.push_back({i + 1, i < 2 * count ? originals[size_t(i)] : random()});
    std::vector<double> searchRuns, loopRuns;
    volatile quint64 sink = 0;
    qsizetype near = 0;
    for (int run = 0; run < kRuns; ++run) {
        const quint64 wanted = originals[size_t(run % count)];
        QElapsedTimer t;
        t.start();
        near += NearestHashes(entries, wanted, kSimilarDistance).size();
        searchRuns.push_back(ms(t));
        t.restart();
        quint64 sum = 0; // the reference: a plain pass over the same numbers
        for (const HashEntry& e : entries)
            sum += e.hash ^ wanted;
        sink = sink + sum;
        loopRuns.push_back(ms(t));
    }
    std::printf("query against %d hashes in memory: median %.2f ms, worst %.2f ms (aim under 50 "
                "ms); plain loop over them: %.3f ms\n",
                kEntries, bench::Median(searchRuns), bench::Worst(searchRuns),
                bench::Median(loopRuns));

    // The same through an album of 100,000 hashed records, as Find Similar runs it.
    const QString albumPath = work + QStringLiteral("/hashes.mdb");
    if (!AlbumDb::create(albumPath, true).ok())
        return 1;
    AlbumStatus status;
    auto album = AlbumDb::open(albumPath, {}, &status);
    if (!album)
        return 1;
    {
        sqlite::Transaction tx(album->connection());
        for (const HashEntry& e : entries) {
            PictureRecord r;
            r.imageFile = QStringLiteral("p%1.jpg").arg(e.rowId);
            r.imageFormat = QStringLiteral("Photo");
            qint64 id = 0;
            if (!album->addRecordBytes(r, "x", &id).ok() ||
                !StorePictureHash(*album, id, e.hash).ok())
                return 1;
        }
        tx.commit();
    }
    std::vector<double> albumRuns, readRuns;
    for (int run = 0; run < 10; ++run) {
        QElapsedTimer t;
        t.start();
        near += FindSimilarRecords(*album, run % count + 1, kSimilarDistance, &status).size();
        albumRuns.push_back(ms(t));
        t.restart();
        sqlite::Statement st = album->connection().prepare(
            QStringLiteral("SELECT ID, Hash FROM PictureHashes ORDER BY ID"));
        quint64 sum = 0; // the reference: reading the same numbers with no join and no search
        while (st.step() == SQLITE_ROW)
            sum += quint64(st.int64(1));
        sink = sink + sum;
        readRuns.push_back(ms(t));
    }
    std::printf("Find Similar over an album of %d records: median %.1f ms, worst %.1f ms; reading "
                "the hash table alone: %.1f ms\n",
                kEntries, bench::Median(albumRuns), bench::Worst(albumRuns),
                bench::Median(readRuns));
    std::printf("(%lld matches in all)\n", qint64(near));
    album.reset();
    QDir(work).removeRecursively();
    return status.ok() ? 0 : 1;
}
