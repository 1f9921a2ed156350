// Faults from outside: a second process on the same album, and a full disk. Each must leave an
// album that opens, checks clean and holds exactly the rows that were reported stored. Writers
// killed inside a commit: tst_q32.

#include "AlbumTestData.h"
#include "album/AlbumDb.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>

using namespace q32;
using namespace q32::test;

class TestAlbumFaults : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void secondWriterWaitsOrIsBusy() {
        const QString file = m_dir.filePath("shared.mdb");
        QVERIFY(AlbumDb::create(file, false).ok());
        int ready[2], release[2];
        QVERIFY(pipe(ready) == 0 && pipe(release) == 0);
        const pid_t pid = spawn([&] {
            auto album = AlbumDb::open(file, {}, nullptr);
            if (!album)
                _exit(2);
            sqlite::Transaction tx(album->connection());
            album->addRecord(makeRecord("held.jpg"));
            char c = 1;
            (void)!write(ready[1], &c, 1);
            (void)!read(release[0], &c, 1); // hold the write lock until told
            _exit(tx.commit().ok() ? 0 : 5);
        });
        char c = 0;
        QCOMPARE(read(ready[0], &c, 1), ssize_t(1));

        auto album = AlbumDb::open(file, {}, nullptr);
        QVERIFY(album);
        album->setBusyTimeout(300);
        QCOMPARE(album->addRecord(makeRecord("second.jpg")).condition, AlbumCondition::Busy);
        // Readers still see the last committed album.
        QCOMPARE(album->rowCount(), 0);

        (void)!write(release[1], &c, 1);
        int status = 0;
        waitpid(pid, &status, 0);
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(album->addRecord(makeRecord("second.jpg")).ok());
        QCOMPARE(album->rowCount(), 2);
        QVERIFY(album->integrityCheck().ok());
        for (int fd : {ready[0], ready[1], release[0], release[1]})
            close(fd);
    }

    void fullDiskLeavesTheAlbumIntact() {
        // A small file system where root may mount one; else a file size limit in a child.
        const QString mnt = m_dir.filePath("small");
        QDir().mkpath(mnt);
        const bool mounted =
            QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=3m", "tmpfs", mnt}) == 0;
        const QString file = mnt + "/full.mdb";
        QVERIFY(AlbumDb::create(file, false).ok());
        const QString input = m_dir.filePath("part.bin");
        QVERIFY(writeFile(input, randomBytes(400000, 99)));

        // The child's exit code: how many rows it stored before the disk was full.
        const pid_t pid = spawn([&] {
            if (!mounted) {
                signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{3 << 20, 3 << 20};
                setrlimit(RLIMIT_FSIZE, &limit);
            }
            auto album = AlbumDb::open(file, {}, nullptr);
            if (!album)
                _exit(255);
            AlbumStatus s;
            int stored = 0;
            for (int n = 0;
                 n < 100 &&
                 (s = album->addRecord(makeRecord(QString("f%1.jpg").arg(n)), input)).ok();
                 ++n)
                ++stored;
            _exit(s.condition == AlbumCondition::DiskFull ? stored : 255);
        });
        int status = 0;
        waitpid(pid, &status, 0);
        const int stored = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        QVERIFY2(stored > 0 && stored < 100, "the disk was not reported full");

        auto album = AlbumDb::open(file, {}, nullptr);
        QVERIFY(album);
        QVERIFY(album->integrityCheck().ok());
        QCOMPARE(album->rowCount(), stored);
        QCOMPARE(album->readBytes(1, PictureField::Image), readFile(input));
        album.reset();
        QVERIFY(!QFile::exists(file + "-journal"));
        if (mounted)
            QProcess::execute("umount", {mnt});
    }
};

QTEST_GUILESS_MAIN(TestAlbumFaults)
#include "tst_album_faults.moc"
