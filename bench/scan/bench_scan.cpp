// Scanning a tree of 100,000 files with a pattern, against find with the same pattern.
// Usage: bench_scan [PARENT_FOLDER]   (the tree is built in a temporary folder there)

#include "BenchFigures.h"
#include "album/scan/DirectoryScan.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace q32;
using bench::Median;
using bench::Worst;

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 100;
constexpr int kRuns = 5;

bool buildTree(const QString& root) {
    static const char* const kExtensions[] = {".jpg", ".png", ".JPG", ".tif", ".txt"};
    QDir dir(root);
    for (int d = 0; d < kFolders; ++d) {
        // Ten top folders with a hundred below each: some depth, as photo trees have.
        const QString folder = QString::asprintf("year%02d/event%04d", d % 10, d);
        if (!dir.mkpath(folder))
            return false;
        for (int f = 0; f < kFilesPerFolder; ++f) {
            QFile file(root + '/' + folder + QString::asprintf("/img%04d", f) +
                       QLatin1String(kExtensions[f % 5]));
            if (!file.open(QIODevice::WriteOnly))
                return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTemporaryDir tmp(args.size() > 1 ? args[1] + "/bench_scan_XXXXXX" : QString());
    if (!tmp.isValid() || !buildTree(tmp.path())) {
        std::fprintf(stderr, "cannot build the tree\n");
        return 1;
    }
    const QString root = tmp.path();
    const QStringList findArgs = {root,    "-type", "f",      "(",     "-iname",
                                  "*.jpg", "-o",    "-iname", "*.png", ")"};

    auto runFind = [&] {
        QProcess find;
        find.setStandardOutputFile(QProcess::nullDevice());
        find.start("find", findArgs);
        find.waitForFinished(-1);
        return find.exitCode() == 0;
    };
    // How many find lists, once, for the comparison of counts.
    QProcess count;
    count.start("find", findArgs);
    count.waitForFinished(-1);
    const qsizetype findCount = count.readAllStandardOutput().count('\n');

    const SearchRequest request{root, QStringLiteral("*.jpg;*.png"), {}, true};
    qsizetype ourCount = 0;
    runFind(); // warm both
    RunSearch(request);

    std::vector<double> ours, theirs;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        ourCount = RunSearch(request).files.size();
        ours.push_back(t.nsecsElapsed() / 1e6);
        t.start();
        if (!runFind()) {
            std::fprintf(stderr, "find failed\n");
            return 1;
        }
        theirs.push_back(t.nsecsElapsed() / 1e6);
    }
    const double o = Median(ours), f = Median(theirs);
    std::printf("tree: %d folders x %d files (%d entries), pattern *.jpg;*.png, median of %d warm "
                "runs\n",
                kFolders, kFilesPerFolder, kFolders * kFilesPerFolder, kRuns);
    std::printf("scan + collect : %8.1f ms  (%lld files)\n", o, static_cast<long long>(ourCount));
    std::printf("find (ref)     : %8.1f ms  (%lld files)\n", f, static_cast<long long>(findCount));
    std::printf("ratio ours/find: %8.2f  (aim <= 1.00)\n", o / f);
    return ourCount == findCount ? 0 : 2;
}
