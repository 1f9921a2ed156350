// Faults from outside: a writer killed at points it reports (after a stored row, inside a
// commit), a second process on the same album, and a full disk. Each must leave an album that
// opens, checks clean and holds exactly the rows that were reported stored.

#include "AlbumTestData.h"
#include "album/AlbumDb.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <poll.h>
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

// Reads a writer's reports until it says it is held (or a minute passes, or it ends).
QByteArray readUntilHold(int fd) {
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (!out.contains("q32-hold") && clock.elapsed() < 60000) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 1000) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        out.append(buffer, n);
    }
    return out;
}

QByteArray rowBytes(int n) {
    return randomBytes(150000 + (n % 7) * 40000, quint32(n));
}

} // namespace

class TestAlbumFaults : public QObject {
    Q_OBJECT
private slots:
    void killedWriterNeverLosesAStoredRow();
    void secondWriterWaitsOrIsBusy();
    void fullDiskLeavesTheAlbumIntact();

private:
    QTemporaryDir m_dir;
};

void TestAlbumFaults::killedWriterNeverLosesAStoredRow() {
    const QString file = m_dir.filePath("killed.mdb");
    QVERIFY(AlbumDb::create(file, false).ok());
    // The files to store, made once; the child names each row after its file.
    for (int n = 0; n < 8; ++n)
        QVERIFY(writeFile(m_dir.filePath(QString("in%1.bin").arg(n)), rowBytes(n)));
    // Where each writer is frozen and killed: after it reported its Nth row, and inside a commit
    // (journal written but not the album; album written but the journal not yet deleted).
    const char* const holds[] = {"reported:1",       "reported:4",       "journal-synced:1",
                                 "journal-synced:2", "journal-synced:5", "journal-delete:1",
                                 "journal-delete:3", "reported:2"};
    QSet<QString> stored;
    int next = 0;
    for (const char* hold : holds) {
        int fds[2];
        QVERIFY(pipe(fds) == 0);
        const int first = next;
        const pid_t pid = spawn([&] {
            close(fds[0]);
            dup2(fds[1], 2); // reports and the hold line go to the test
            setenv("Q32_HOLD", hold, 1);
            auto album = AlbumDb::open(file, {}, nullptr);
            if (!album)
                _exit(2);
            for (int n = first; n < first + 100; ++n) {
                const QString name = QString("row%1.jpg").arg(n);
                const QString input = m_dir.filePath(QString("in%1.bin").arg(n % 8));
                if (!album->addRecord(makeRecord(name), input).ok())
                    _exit(3);
                // Reported only once the store has returned.
                const QByteArray line = name.toUtf8() + ": stored\n";
                if (write(2, line.constData(), size_t(line.size())) < 0)
                    _exit(4);
            }
            _exit(5);
        });
        close(fds[1]);
        const QByteArray report = readUntilHold(fds[0]);
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        close(fds[0]);
        QVERIFY2(report.contains("q32-hold"), hold);
        QVERIFY2(WIFSIGNALED(status), "the writer stopped on its own");
        for (const QByteArray& line : report.split('\n'))
            if (line.endsWith(": stored"))
                stored.insert(QString::fromUtf8(line.chopped(8)));
        next = first + 100;
        // Killed inside a commit, the writer left its journal for the next open to roll back.
        QCOMPARE(QFile::exists(file + "-journal"), QByteArray(hold).startsWith("journal"));

        // The album holds exactly the rows reported, whatever the writer was doing.
        AlbumStatus s;
        auto album = AlbumDb::open(file, {}, &s);
        QVERIFY2(album, qPrintable(s.text()));
        QVERIFY2(album->integrityCheck().ok(), hold);
        QCOMPARE(album->rowCount(), stored.size());
    }
    // Every reported row is there with its bytes.
    auto album = AlbumDb::open(file, {true, {}}, nullptr);
    QVERIFY(album);
    sqlite::Statement st = album->connection().prepare("SELECT rowid, ImageFile FROM Pictures");
    QSet<QString> found;
    while (st.step() == SQLITE_ROW) {
        const QString name = st.text(1);
        found.insert(name);
        const int n = name.mid(3).section('.', 0, 0).toInt();
        QCOMPARE(album->readBytes(st.int64(0), PictureField::Image), rowBytes(n % 8));
    }
    QCOMPARE(found, stored);
    QVERIFY(stored.size() >= 8);
    album.reset();
    QVERIFY(!QFile::exists(file + "-journal"));
}

void TestAlbumFaults::secondWriterWaitsOrIsBusy() {
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

void TestAlbumFaults::fullDiskLeavesTheAlbumIntact() {
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
             n < 100 && (s = album->addRecord(makeRecord(QString("f%1.jpg").arg(n)), input)).ok();
             ++n)
            ++stored;
        const QByteArray line = QByteArray::number(stored) + ' ' + QByteArray::number(s.number());
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

QTEST_GUILESS_MAIN(TestAlbumFaults)
#include "tst_album_faults.moc"
