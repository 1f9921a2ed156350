// Album engine benchmark. Every figure is printed beside a reference measured in the same run:
// storing 100 files of 5 MB against cp + sync, extracting them against cat, both again with a
// password, and opening an album to read its first screen of rows under each of the ten orders:
// 100,000 records with small pictures, and 2,000 records with 2 MB pictures, where reading a
// row's text through the table would walk the picture.
//
//   build/bench/album/bench_album [work folder]

#include "BenchOpen.h"
#include "BenchWork.h"
#include "album/AlbumDb.h"
#include "album/AlbumMaintenance.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

using namespace q32;

namespace {

constexpr int kFiles = 100;
constexpr qint64 kFileSize = 5 * 1024 * 1024;
constexpr int kRows = 100000;
constexpr int kScreenRows = 40;
constexpr int kLargeRows = 2000;
constexpr qint64 kLargeSize = 2 * 1024 * 1024;

// Bytes this process has caused to be written to storage so far.
qint64 bytesWritten() {
    QFile io("/proc/self/io");
    if (!io.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& l : io.readAll().split('\n'))
        if (l.startsWith("write_bytes:"))
            return l.mid(12).trimmed().toLongLong();
    return 0;
}

double seconds(QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e9;
}

double shell(const QString& command) {
    QElapsedTimer t;
    t.start();
    QProcess::execute("sh", {"-c", command});
    return seconds(t);
}

void line(const char* what, double ours, double reference, const char* refName, double goal) {
    std::printf("%-34s %9.1f MB/s   %-10s %9.1f MB/s   ratio %.2f (aim %.1f)\n", what, ours,
                refName, reference, ours / reference, goal);
}

// The same files copied with each made durable before the next, as every store is.
double copyEachDurable(const QString& src, const QString& dst) {
    QElapsedTimer t;
    t.start();
    std::vector<char> buffer(1 << 20);
    for (int i = 0; i < kFiles; ++i) {
        const QByteArray from = QFile::encodeName(src + QString("/f%1.bin").arg(i));
        const QByteArray to = QFile::encodeName(dst + QString("/f%1.bin").arg(i));
        const int in = ::open(from.constData(), O_RDONLY);
        const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ssize_t n;
        while ((n = ::read(in, buffer.data(), buffer.size())) > 0)
            if (::write(out, buffer.data(), size_t(n)) != n)
                std::printf("copy failed\n");
        ::fsync(out);
        ::close(out);
        ::close(in);
    }
    return seconds(t);
}

// Processor time of the last storeAll or extractAll, for a busy machine where the clock says
// more about the neighbours than about us.
double g_lastCpuMs = 0;

double storeAll(const QString& album, const QString& password, const QString& src) {
    QFile::remove(album);
    AlbumDb::create(album, true);
    if (!password.isEmpty())
        ChangeAlbumPassword(album, {}, password);
    auto db = AlbumDb::open(album, {false, password}, nullptr);
    const qint64 written = bytesWritten();
    const double cpuStart = bench::ProcessorMs();
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < kFiles; ++i) {
        PictureRecord r;
        r.imageFile = QString("f%1.jpg").arg(i);
        r.date = QDate::currentDate();
        if (!db->addRecord(r, src + QString("/f%1.bin").arg(i)).ok())
            std::printf("store failed\n");
    }
    const double s = seconds(t);
    g_lastCpuMs = bench::ProcessorMs() - cpuStart;
    std::printf("  store wrote %.2f bytes per byte stored\n",
                double(bytesWritten() - written) / double(kFiles * kFileSize));
    return s;
}

double extractAll(const QString& album, const QString& password, const QString& out) {
    auto db = AlbumDb::open(album, {true, password}, nullptr);
    const double cpuStart = bench::ProcessorMs();
    QElapsedTimer t;
    t.start();
    for (int i = 1; i <= kFiles; ++i)
        if (db->extractToFile(i, PictureField::Image, out) != kFileSize)
            std::printf("extract failed\n");
    g_lastCpuMs = bench::ProcessorMs() - cpuStart;
    return seconds(t);
}

// Records with generated texts: every tenth has keyword tag3, every seventh a sunset.
void fillAlbum(const QString& file, int rows, qint64 pictureSize) {
    QFile::remove(file);
    AlbumDb::create(file, true);
    auto db = AlbumDb::open(file, {}, nullptr);
    QByteArray picture(pictureSize, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(picture.data()), pictureSize / 4);
    sqlite::Transaction tx(db->connection());
    for (int i = 0; i < rows; ++i) {
        PictureRecord r;
        r.imageFile = QString("Picture%1.jpg").arg((i * 7919) % rows);
        r.imageFormat = i % 3 ? "10 JPEG" : "75 PNG";
        r.imageProperties = "(2048 KB) (1920 x 1080) (16M)";
        r.date = QDate(2000, 1, 1).addDays(i % 9000);
        r.keywords = QString("holiday, tag%1").arg(i % 10);
        r.description = i % 7 ? "a walk in the park" : "sunset over the sea";
        db->addRecordBytes(r, picture);
    }
    tx.commit();
}

void storeAndExtract(QTemporaryDir& temp);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "--open")
        return bench::OpenFirstScreen(args[2], args[3].toInt(), kScreenRows);
    if (args.size() == 5 && args[1] == "--fill") { // an album to profile with
        fillAlbum(args[2], args[3].toInt(), args[4].toLongLong());
        return 0;
    }

    // bench_album [work folder] [store|open]: both parts when neither is named.
    const QString part = args.size() > 2 ? args[2] : QString();
    QTemporaryDir temp(args.size() > 1 ? args[1] + "/bench-XXXXXX" : QString());
    q32::bench::WorkFolder(temp);
    if (part != "open")
        storeAndExtract(temp);
    if (part != "store") {
        const QString small = temp.filePath("small.mdb");
        fillAlbum(small, kRows, 2048);
        bench::OpenInEveryOrder(
            small, "open 100,000 records of 2 KB pictures, first screen of rows:", 100, 100);
        QFile::remove(small);
        const QString large = temp.filePath("large.mdb");
        fillAlbum(large, kLargeRows, kLargeSize);
        bench::OpenInEveryOrder(
            large, "open 2,000 records of 2 MB pictures, first screen of rows:", 100, 100);
        QFile::remove(large);
    }
    return 0;
}

namespace {

void storeAndExtract(QTemporaryDir& temp) {
    const QString src = temp.filePath("src"), dst = temp.filePath("dst");
    QDir().mkpath(src);
    QDir().mkpath(dst);
    QByteArray bytes(kFileSize, Qt::Uninitialized);
    for (int i = 0; i < kFiles; ++i) {
        QRandomGenerator(uint(i)).fillRange(reinterpret_cast<quint32*>(bytes.data()),
                                            kFileSize / 4);
        QFile f(src + QString("/f%1.bin").arg(i));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
    shell("sync");
    const double mb = double(kFiles) * double(kFileSize) / (1024.0 * 1024.0);
    std::printf("Album engine benchmark: %d files of %lld MB, page size %d\n", kFiles,
                kFileSize >> 20, AlbumDb::PageSize);

    const QString album = temp.filePath("bench.mdb"), out = temp.filePath("image.pic");
    for (const QString& password : {QString(), QString("bench password")}) {
        const char* tag = password.isEmpty() ? "" : " (password)";
        const double cp = shell(QString("cp %1/* %2/ && sync").arg(src, dst));
        const double store = storeAll(album, password, src);
        const double storeCpu = g_lastCpuMs;
        shell("rm -rf " + dst + "/*");
        line(qPrintable(QString("store%1").arg(tag)), mb / store, mb / cp, "cp+sync",
             password.isEmpty() ? 0.8 : 0.3);
        const double each = copyEachDurable(src, dst);
        shell("rm -rf " + dst + "/*");
        line(qPrintable(QString("store%1").arg(tag)), mb / store, mb / each, "fsync each",
             password.isEmpty() ? 0.8 : 0.3);
        const double cat = shell(QString("for f in %1/*; do cat \"$f\" > %2; done").arg(src, out));
        const double extract = extractAll(album, password, out);
        const double extractCpu = g_lastCpuMs;
        line(qPrintable(QString("extract%1").arg(tag)), mb / extract, mb / cat, "cat",
             password.isEmpty() ? 0.7 : 1.0);
        std::printf("  processor time: store %.0f MB/s, extract %.0f MB/s of processor%s\n",
                    mb / (storeCpu / 1000), mb / (extractCpu / 1000), tag);
    }

    QFile::remove(album);
    QFile::remove(out);
    shell("rm -rf " + src);
}

} // namespace
