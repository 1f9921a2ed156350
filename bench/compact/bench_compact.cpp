// Compaction benchmark: an album of about 2 GB (a tenth of its records deleted, so there is
// space to gain) is compacted, and the same file copied with cp + sync is the reference,
// measured in the same run. The compaction runs in a process of its own so that its peak
// memory is its own. Wall-clock and processor times are both printed: on a busy machine the
// first says little. Once plain and once with a password; for the password, the time the cipher's
// own work alone takes on this processor is printed beside it.
//
//   build/bench/compact/bench_compact [work folder] [size in MB]
//   build/bench/compact/bench_compact --fill ALBUM MB [PASSWORD]   (an album to try by hand)

#include "BenchWork.h"
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
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sys/resource.h>
#include <vector>

using namespace q32;

namespace {

constexpr qint64 kPictureSize = 2 * 1024 * 1024;

double cpuSeconds(const rusage& u) {
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Timing {
    double wall = 0;
    double cpu = 0;
};

// Runs a command; its wall-clock time and the processor time of it and its children.
Timing run(const QString& program, const QStringList& args, QByteArray* out = nullptr) {
    rusage before{}, after{};
    getrusage(RUSAGE_CHILDREN, &before);
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(program, args);
    p.waitForFinished(-1);
    Timing timing;
    timing.wall = double(t.nsecsElapsed()) / 1e9;
    getrusage(RUSAGE_CHILDREN, &after);
    timing.cpu = cpuSeconds(after) - cpuSeconds(before);
    if (out)
        *out = p.readAllStandardOutput();
    return timing;
}

// Child process: compacts and prints its status and peak resident memory in MB.
int compactHere(const QString& album, const QString& password) {
    const CompactReport report = CompactAlbumFile(album, password);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%d %ld\n", report.status.ok() ? 1 : 0, usage.ru_maxrss / 1024);
    return report.status.ok() ? 0 : 1;
}

void fill(const QString& album, const QString& password, qint64 megabytes) {
    QFile::remove(album);
    AlbumDb::create(album, true);
    if (!password.isEmpty())
        ChangeAlbumPassword(album, {}, password);
    AlbumStatus status;
    auto db = AlbumDb::open(album, {false, password}, &status);
    if (!db) {
        std::printf("cannot open %s: %s\n", qPrintable(album), qPrintable(status.text()));
        return;
    }
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

// The page cipher's three operations (the album's cipher settings: AES-256-CBC, HMAC-SHA256,
// 64 KiB pages), each on 256 MB of pages on one processor, in MB/s.
struct CipherRates {
    double decrypt = 0, encrypt = 0, hmac = 0;
};

CipherRates measureCipher() {
    constexpr int kPage = 64 * 1024, kPages = 4096;
    std::vector<unsigned char> in(kPage, 0x5a), out(kPage + 32), key(32, 7), iv(16, 3);
    auto rate = [&](auto&& page) {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < kPages; ++i)
            page();
        return double(kPages) * kPage / (1 << 20) / (double(t.nsecsElapsed()) / 1e9);
    };
    auto cipher = [&](bool encrypt) {
        EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
        int n = 0;
        const double r = rate([&] {
            EVP_CipherInit_ex(ctx, EVP_aes_256_cbc(), nullptr, key.data(), iv.data(), encrypt);
            EVP_CIPHER_CTX_set_padding(ctx, 0);
            EVP_CipherUpdate(ctx, out.data(), &n, in.data(), kPage);
        });
        EVP_CIPHER_CTX_free(ctx);
        return r;
    };
    CipherRates r;
    r.decrypt = cipher(false);
    r.encrypt = cipher(true);
    unsigned int length = 0;
    r.hmac =
        rate([&] { HMAC(EVP_sha256(), key.data(), 32, in.data(), kPage, out.data(), &length); });
    return r;
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
    q32::bench::WorkFolder(temp);
    const qint64 megabytes = args.size() > 2 ? args[2].toLongLong() : 2048;
    const QString album = temp.filePath("bench.mdb");
    std::printf("Compaction benchmark: an album of %lld MB, a tenth of its records deleted\n",
                megabytes);
    for (const QString& password : {QString(), QString("bench password")}) {
        fill(album, password, megabytes);
        run("sync", {});
        const qint64 size = QFileInfo(album).size();
        // The reference: the same file copied and made durable, the better of two copies (the
        // first may still find part of the file outside the page cache).
        Timing cp{1e9, 1e9};
        for (int i = 0; i < 2; ++i) {
            const Timing t =
                run("sh", {"-c", QString("cp '%1' '%2' && sync").arg(album, album + ".copy")});
            QFile::remove(album + ".copy");
            if (t.wall < cp.wall)
                cp = t;
        }
        QByteArray out;
        QStringList childArgs{"--compact", album};
        if (!password.isEmpty())
            childArgs << password;
        const Timing compact = run(app.applicationFilePath(), childArgs, &out);
        const QList<QByteArray> fields = out.trimmed().split(' ');
        const bool ok = fields.value(0) == "1";
        std::printf("%s: %lld MB -> %lld MB%s\n", password.isEmpty() ? "plain" : "password",
                    size >> 20, QFileInfo(album).size() >> 20, ok ? "" : "   COMPACTION FAILED");
        std::printf("  wall:      compact %7.2f s   cp+sync %7.2f s   ratio %.2f (aim %.1f)\n",
                    compact.wall, cp.wall, compact.wall / cp.wall, password.isEmpty() ? 1.2 : 3.0);
        std::printf("  processor: compact %7.2f s   cp+sync %7.2f s\n", compact.cpu, cp.cpu);
        if (!password.isEmpty()) {
            // Each page is read (authenticated, decrypted) from the album, written (encrypted,
            // authenticated) to the copy, and read again by the copy's check, all on the
            // engine's one thread.
            const CipherRates c = measureCipher();
            // The pages read and written are the ones the compacted album keeps.
            const double mb = double(QFileInfo(album).size()) / (1 << 20);
            const double floor =
                2 * mb * (1 / c.decrypt + 1 / c.hmac) + mb * (1 / c.encrypt + 1 / c.hmac);
            std::printf("  the cipher alone, one processor: AES-256-CBC decrypt %.0f MB/s, "
                        "encrypt %.0f MB/s, HMAC-SHA256 %.0f MB/s\n",
                        c.decrypt, c.encrypt, c.hmac);
            std::printf("  two reads and one write of every page through it: %.2f s = %.2f x "
                        "cp+sync; the compaction beyond it: %.2f s\n",
                        floor, floor / cp.wall, compact.cpu - floor);
        }
        std::printf("  peak memory of the compaction %s MB (aim 100)\n",
                    fields.value(1).constData());
        QFile::remove(album);
        QFile::remove(temp.filePath("bench.bak"));
    }
    return 0;
}
