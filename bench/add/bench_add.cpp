// Importing photos with q32 add against copying the same folder with cp -r and sync, and what
// the content hashes cost the add.
// Usage: bench_add [PHOTOS=1000] [WORK_FOLDER]

#include "BenchFigures.h"
#include "BenchWork.h"
#include "ScriptedPromptService.h"
#include "album/AlbumDb.h"
#include "album/ContentHashes.h"
#include "album/add/AddRun.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <thread>

namespace {

double run(const QString& program, const QStringList& args, const QByteArray& input = {}) {
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(-1);
    if (p.exitCode() != 0)
        std::fprintf(stderr, "%s failed (%d)\n", qPrintable(program), p.exitCode());
    return t.nsecsElapsed() / 1e9;
}

// Reads every file and hashes it with hash, on one thread.
double hashFolder(const QString& folder, QByteArray (*hash)(QByteArrayView)) {
    QElapsedTimer t;
    t.start();
    QByteArray sum;
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files)) {
        QFile file(f.filePath());
        file.open(QIODevice::ReadOnly);
        sum += hash(file.readAll()).left(1);
    }
    return sum.isEmpty() ? 0 : t.nsecsElapsed() / 1e9;
}

QByteArray qtSha256(QByteArrayView bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

// How much of a file the kernel holds in its file cache, in MB (util-linux's fincore).
double cachedMegabytes(const QString& path) {
    QProcess fincore;
    fincore.start("fincore", {"--bytes", "--noheadings", "--output", "RES", path});
    fincore.waitForFinished();
    return fincore.readAllStandardOutput().trimmed().toDouble() / 1e6;
}

// User and kernel time of this process so far, in seconds.
double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The add run of q32 add, in this process, into a new album with or without content hashes
// (an album of an earlier build, left as it was). processor: the run's user and kernel time.
// cached: how much of the album the file cache holds once the run is over. filled: how long the
// hashes the run left for the background took to make afterwards.
double addRun(const QString& album, const QStringList& files, bool hashes, double* processor,
              double* cached = nullptr, double* filled = nullptr) {
    using namespace q32;
    QFile::remove(album);
    AlbumDb::create(album, false);
    if (!hashes) {
        auto made = AlbumDb::open(album, OpenOptions{}, nullptr);
        made->connection().exec(QStringLiteral("DROP TABLE ContentHashes"));
    }
    OpenOptions options;
    options.addContentHashes = hashes;
    auto opened = AlbumDb::open(album, options, nullptr);
    if (!opened || opened->hasContentHashes() != hashes)
        std::fprintf(stderr, "the album for the run with%s hashes is not right\n",
                     hashes ? "" : "out");
    test::ScriptedPromptService prompts;
    AddRunOptions run;
    run.workFolder = QFileInfo(album).absolutePath() + QLatin1Char('/');
    const double processorBefore = processorSeconds();
    QElapsedTimer t;
    t.start();
    const AddRunSummary summary = AddRun(*opened, prompts, run).run(files);
    const double seconds = t.nsecsElapsed() / 1e9;
    *processor = processorSeconds() - processorBefore;
    if (summary.stored != files.size())
        std::fprintf(stderr, "stored %lld of %lld\n", summary.stored, qint64(files.size()));
    if (hashes && cached)
        *cached = cachedMegabytes(album);
    if (hashes && filled) {
        QElapsedTimer fill;
        fill.start();
        qint64 hashed = 0;
        q32::FillContentHashes(*opened, &hashed);
        *filled = fill.nsecsElapsed() / 1e9;
        if (hashed != files.size())
            std::fprintf(stderr, "hashed %lld of %lld afterwards\n", hashed, qint64(files.size()));
    }
    opened.reset();
    QFile::remove(album);
    return seconds;
}

// Writes out what the last run left dirty, so the next one does not pay for it. The photos stay
// in the page cache: both sides read them warm.
void syncDisk() {
    QProcess::execute("sync", {});
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int photos = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000;
    QTemporaryDir tmp(argc > 2 ? QString::fromLocal8Bit(argv[2]) + "/bench_add_XXXXXX"
                               : QDir::tempPath() + "/bench_add_XXXXXX");
    const QString work = q32::bench::WorkFolder(tmp);
    const QString q32 = QStringLiteral(Q32_BINARY);

    // A few distinct photo-like JPEGs of 2-5 MB, copied under many names.
    std::printf("making %d photos of 2-5 MB in %s ...\n", photos, qPrintable(work));
    QDir().mkpath(work + "/photos");
    QStringList bases;
    const int sizes[][2] = {{2400, 1600}, {2800, 2100}, {3200, 2400}, {3600, 2400}};
    for (int i = 0; i < 4; ++i) {
        const QString base = work + QStringLiteral("/base%1.jpg").arg(i);
        QProcess::execute("convert",
                          {"-size", QStringLiteral("%1x%2").arg(sizes[i][0]).arg(sizes[i][1]),
                           QStringLiteral("plasma:fractal"), "-seed", QString::number(i),
                           "-attenuate", "0.4", "+noise", "Gaussian", "-quality", "92", base});
        bases << base;
    }
    qint64 bytes = 0;
    for (int i = 0; i < photos; ++i) {
        const QString target =
            work + QStringLiteral("/photos/IMG_%1.jpg").arg(i, 5, 10, QLatin1Char('0'));
        QFile::copy(bases[i % bases.size()], target);
        bytes += QFileInfo(target).size();
    }
    QProcess::execute("sh", {"-c", "cat " + work + "/photos/* > /dev/null; sync"});
    const double mb = bytes / 1e6;
    std::printf("%d photos, %.0f MB\n\n", photos, mb);

    auto report = [&](const char* what, double ours, double reference) {
        std::printf("%-42s %8.0f MB/s   cp -r + sync %8.0f MB/s   ratio %.2f\n", what, mb / ours,
                    mb / reference, reference / ours);
    };
    // The disk's speed wanders from one minute to the next: the reference is taken before each of
    // our runs, each is run three times, and medians are compared. Each counted copy and each add
    // comes right after a copy of the photos was deleted: on a virtual machine, memory freed
    // long ago is slow to touch again (the host has taken it back), and an add leaves little
    // memory behind it, so a copy right after an add would be measured on cold memory.
    QList<double> copies;
    auto copy = [&](bool counted) {
        const double seconds =
            run("sh", {"-c", QStringLiteral("cp -r '%1/photos' '%1/copy' && sync").arg(work)});
        if (counted)
            copies << seconds;
        QDir(work + "/copy").removeRecursively();
        syncDisk();
    };
    QList<double> plain, secret;
    for (int round = 0; round < 3; ++round) {
        copy(false);
        copy(true);
        plain << run(q32, {"add", work + "/plain.mdb", work + "/photos"});
        QFile::remove(work + "/plain.mdb");
        syncDisk();
        run(q32, {"create", work + "/secret.mdb"});
        run(q32, {"password", work + "/secret.mdb", "--set", "--password-stdin"}, "bench\n");
        copy(false);
        copy(true);
        secret << run(q32, {"add", work + "/secret.mdb", work + "/photos", "--password-stdin"},
                      "bench\n");
        QFile::remove(work + "/secret.mdb");
        syncDisk();
    }
    auto seconds = [](const QList<double>& runs) {
        QStringList t;
        for (double r : runs)
            t << QString::number(r, 'f', 2);
        return t.join(", ");
    };
    std::printf("cp -r + sync: %s s\nq32 add: %s s\nq32 add with a password: %s s\n",
                qPrintable(seconds(copies)), qPrintable(seconds(plain)),
                qPrintable(seconds(secret)));
    const double reference = q32::bench::Median(copies);
    report("q32 add (no password), median", q32::bench::Median(plain), reference);
    report("q32 add (with a password), median", q32::bench::Median(secret), reference);
    std::printf("\naims: 0.7 of cp -r + sync without a password, 0.3 with one\n");

    // An add that does not skip duplicates stores no hashes: they are made afterwards, in the
    // background. The same add run into an album that keeps hashes and into one without the
    // table, alternately, five times: this machine's disk and processors wander enough that one
    // slow run says little.
    QStringList files;
    for (const QFileInfo& f : QDir(work + "/photos").entryInfoList(QDir::Files, QDir::Name))
        files << f.filePath();
    QList<double> with, without, withProcessor, withoutProcessor;
    double cachedAfter = 0;
    QList<double> filledAfter;
    for (int round = 0; round < 5; ++round) {
        double processor = 0;
        without << addRun(work + "/unhashed.mdb", files, false, &processor);
        withoutProcessor << processor;
        syncDisk();
        double filled = 0;
        with << addRun(work + "/hashed.mdb", files, true, &processor, &cachedAfter, &filled);
        filledAfter << filled;
        withProcessor << processor;
        syncDisk();
    }
    const double ours = hashFolder(work + "/photos", q32::ContentHash);
    const double qt = hashFolder(work + "/photos", qtSha256);
    std::printf("\ncontent hashes (the add run in this process, five runs each):\n");
    auto figure = [&](const char* what, double unhashed, double hashed) {
        std::printf("  %-10s without hashes %6.0f MB/s  with %6.0f MB/s  throughput %+.1f %%\n",
                    what, mb / unhashed, mb / hashed, 100 * (unhashed / hashed - 1));
    };
    figure("median", q32::bench::Median(without), q32::bench::Median(with));
    figure("best", *std::min_element(without.begin(), without.end()),
           *std::min_element(with.begin(), with.end()));
    std::printf("  %-44s %8.0f MB/s  %6.2f s\n", "read + SHA-256 alone (libcrypto, ours)",
                mb / ours, ours);
    std::printf("  %-44s %8.0f MB/s  %6.2f s\n", "read + SHA-256 alone (QCryptographicHash)",
                mb / qt, qt);
    // On few processors the hashes compete with the store and the kernel's writing for them.
    std::printf("  processor time of a run (user + kernel, median): without hashes %.2f s, with "
                "%.2f s, on %u processors\n",
                q32::bench::Median(withoutProcessor), q32::bench::Median(withProcessor),
                std::thread::hardware_concurrency());
    const double fill = q32::bench::Median(filledAfter);
    std::printf("  the hashes made afterwards (the background run's work, median) %6.2f s "
                "%6.0f MB/s\n",
                fill, mb / fill);
    std::printf("aim: the hashes cost at most 5 %% of the add throughput\n");
    // The add drops what it has written from the file cache (a copy keeps all of it there).
    std::printf("\nthe album in the file cache after the add run: %.0f MB of %.0f MB\n",
                cachedAfter, mb);
    return 0;
}
