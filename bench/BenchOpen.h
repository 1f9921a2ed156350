#pragma once
// Opening an album to its first screen of rows under each order, each in a process of its own so
// that its peak memory is its own. The benchmark's main() answers "--open ALBUM ORDER" with
// OpenFirstScreen.

#include "album/AlbumDb.h"
#include "album/AlbumRecordset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace q32::bench {

inline double ProcessorMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Prints wall time, peak MB, rows read, rows in the order and processor time: on a busy machine
// the last says what the open costs.
inline int OpenFirstScreen(const QString& album, int order, int screenRows = 40) {
    const double cpuStart = ProcessorMs();
    QElapsedTimer t;
    t.start();
    auto db = AlbumDb::open(album, {true, {}}, nullptr);
    if (!db)
        return 1;
    const double opened = ProcessorMs() - cpuStart;
    AlbumRecordset rs(*db, {order, "tag3", "sunset"});
    const double queried = ProcessorMs() - cpuStart;
    int read = 0;
    for (qint64 i = 0; i < screenRows && i < rs.knownCount(); ++i)
        read += rs.recordAt(i).has_value();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    const double cpu = ProcessorMs() - cpuStart;
    if (qEnvironmentVariableIsSet("BENCH_DETAIL"))
        std::fprintf(stderr, "open %.1f, query %.1f, screen %.1f ms\n", opened, queried - opened,
                     cpu - queried);
    // A filter's count is known once its index is read to the end, which the window does between
    // events after the first screen.
    const qint64 count = rs.recordCount();
    const double countedMs = double(t.nsecsElapsed()) / 1e6;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.1f %ld %d %lld %.1f %.1f\n", ms, usage.ru_maxrss / 1024, read, count, cpu,
                countedMs);
    return 0;
}

// Runs this program with "--open" for every order and prints the figures beside the aims.
inline void OpenInEveryOrder(const QString& album, const char* what, int aimMs, int aimMb) {
    std::printf("%s\n", what);
    for (int order = 0; order < AlbumQuery::OrderCount; ++order) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {"--open", album, QString::number(order)});
        child.waitForFinished(-1);
        const QStringList f = QString::fromUtf8(child.readAllStandardOutput()).split(' ');
        if (f.size() == 6) {
            std::printf("  order %d: %7s rows, first %s read: %8.1f ms, processor %6.1f ms (aim "
                        "< %d)  peak %4s MB (aim < %d)",
                        order, qPrintable(f[3]), qPrintable(f[2]), f[0].toDouble(), f[4].toDouble(),
                        aimMs, qPrintable(f[1]), aimMb);
            if (order >= 6)
                std::printf(", all found after %.1f ms", f[5].toDouble());
            std::printf("\n");
        } else
            std::printf("  order %d: the open failed\n", order);
    }
}

} // namespace q32::bench
