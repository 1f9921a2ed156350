// Compaction benchmark: an album of about 2 GB (a tenth of its records deleted, so there is
// space to gain) is compacted while the same file copied with cp + sync is the reference,
// measured in the same run. The compaction runs in a process of its own so that its peak
// memory is its own. Once plain and once with a password.
//
//   build/bench/compact/bench_compact [work folder] [size in MB]

#include "album/AlbumDb.h"
#include "album/AlbumMaintenance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

using namespace q32;

namespace {

constexpr qint64 kPictureSize = 2 * 1024 * 1024;

double shell(const QString& command) {
    QElapsedTimer t;
    t.start();
    QProcess::execute("sh", {"-c", command});
    return double(t.nsecsElapsed()) / 1e9;
}

// Child process: compacts and prints seconds and peak resident memory in MB.
int compactHere(const QString& album, const QString& password) {
    QElapsedTimer t;
    t.start();
    const CompactReport report = CompactAlbumFile(album, password);
    const double s = double(t.nsecsElapsed()) / 1e9;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.3f %ld %d\n", s, usage.ru_maxrss / 1024, report.status.ok() ? 1 : 0);
    return report.status.ok() ? 0 : 1;
}

void fill(const QString& album, const QString& password, qint64 megabytes) {
    QFile::remove(album);
    AlbumDb::create(album, true);
    if (!password.isEmpty())
        ChangeAlbumPassword(album, {}, password);
    auto db = AlbumDb::open(album, {false, password}, nullptr);
    QByteArray bytes(kPictureSize, Qt::Uninitialized);
    const int rows = int(megabytes * 1024 * 1024 / kPictureSize);
    {
        sqlite::Transaction tx(db->connection());
        for (int i = 0; i < rows; ++i) {
            QRandomGenerator(uint(i)).fillRange(reinterpret_cast<quint32*>(bytes.data()),
                                                kPictureSize / 4);
            PictureRecord r;
            r.imageFile = QString("Picture%1.jpg").arg(i);
            r.imageFormat = "10 JPEG File Interchange Format";
            r.date = QDate(2000, 1, 1).addDays(i);
            db->addRecordBytes(r, bytes);
        }
        tx.commit();
    }
    for (int i = 1; i <= rows; i += 10)
        db->deleteRecord(i);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args[1] == "--fill") {
        fill(args[2], args.value(4), args[3].toLongLong());
        return 0;
    }
    if (args.size() >= 3 && args[1] == "--compact")
        return compactHere(args[2], args.value(3));

    QTemporaryDir temp(args.size() > 1 ? args[1] + "/bench-XXXXXX" : QString());
    const qint64 megabytes = args.size() > 2 ? args[2].toLongLong() : 2048;
    const QString album = temp.filePath("bench.mdb");
    std::printf("Compaction benchmark: an album of %lld MB, a tenth of its records deleted\n",
                megabytes);
    for (const QString& password : {QString(), QString("bench password")}) {
        fill(album, password, megabytes);
        shell("sync");
        const qint64 size = QFileInfo(album).size();
        // The reference: the same file copied and made durable; the better of two runs, as
        // the first may still find part of the file outside the page cache.
        double cp = 1e9;
        for (int i = 0; i < 2; ++i) {
            cp = std::min(cp, shell(QString("cp '%1' '%2' && sync").arg(album, album + ".copy")));
            QFile::remove(album + ".copy");
        }
        QProcess child;
        QStringList childArgs{"--compact", album};
        if (!password.isEmpty())
            childArgs << password;
        child.start(app.applicationFilePath(), childArgs);
        child.waitForFinished(-1);
        const QStringList out = QString::fromLatin1(child.readAllStandardOutput()).split(' ');
        const double compact = out.value(0).toDouble();
        const long peak = out.value(1).toLong();
        std::printf("%s: %lld MB -> %lld MB\n", password.isEmpty() ? "plain" : "password",
                    size >> 20, QFileInfo(album).size() >> 20);
        std::printf("  compact %7.2f s   cp+sync %7.2f s   ratio %.2f (aim 1.5)%s\n", compact, cp,
                    compact / cp, out.value(2).trimmed() == "1" ? "" : "   COMPACTION FAILED");
        std::printf("  peak memory of the compaction %ld MB (aim 100)\n", peak);
        QFile::remove(album);
        QFile::remove(temp.filePath("bench.bak"));
    }
    return 0;
}
