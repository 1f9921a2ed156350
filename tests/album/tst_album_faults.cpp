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
#include <unistd.h>

using namespace q32;
using namespace q32::test;

namespace {

// Runs body in a child process; returns its pid. The child never returns into the test.
template <typename Body> pid_t spawn(Body body) {
    const pid_t pid = fork();
    if (pid == 0) {
        body();
        _exit(0);
    }
    return pid;
}

QByteArray readAll(int fd) {
    QByteArray out;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        out.append(buffer, n);
    return out;
}

} // namespace

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

        int fds[2];
        QVERIFY(pipe(fds) == 0);
        const pid_t pid = spawn([&] {
            close(fds[0]);
            if (!mounted) {
                signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{3 << 20, 3 << 20};
                setrlimit(RLIMIT_FSIZE, &limit);
            }
            auto album = AlbumDb::open(file, {}, nullptr);
            if (!album)
                _exit(2);
            AlbumStatus s;
            int stored = 0;
            for (int n = 0;
                 n < 100 &&
                 (s = album->addRecord(makeRecord(QString("f%1.jpg").arg(n)), input)).ok();
                 ++n)
                ++stored;
            const QByteArray line =
                QByteArray::number(stored) + ' ' + QByteArray::number(s.number());
            (void)!write(fds[1], line.constData(), size_t(line.size()));
        });
        close(fds[1]);
        int status = 0;
        waitpid(pid, &status, 0);
        const QList<QByteArray> report = readAll(fds[0]).split(' ');
        close(fds[0]);
        QCOMPARE(report.size(), 2);
        const int stored = report[0].toInt();
        QCOMPARE(report[1].toInt(), int(AlbumCondition::DiskFull));
        QVERIFY(stored > 0);

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
