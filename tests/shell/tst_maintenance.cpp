// Compaction and repair from the main window, their reports, cancels and faults.

#include "MainWindowRun.h"
#include "TestAlbums.h"
#include "TestEnv.h"
#include "TestFiles.h"
#include "album/AlbumDb.h"
#include "album/AlbumMaintenance.h"
#include "album/ContentHashes.h"
#include "common/Text.h"
#include "shell/AlbumBrowser.h"
#include "shell/MaintenanceFlow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <unistd.h>

using namespace q32;

namespace {

struct Run : test::MainWindowRun {
    MaintenanceFlow* flow() { return main.findChild<MaintenanceFlow*>(); }
    // Runs a maintenance command and lets the window's events run until it has ended.
    bool runToEnd(const char* command) {
        main.runCommand(QString::fromLatin1(command));
        return QTest::qWaitFor([this] { return !flow()->busy(); }, 120000);
    }
};

using test::MakePicture;
using test::randomBytes;
using test::readFile;

// A picture and blobs of the given size, every third deleted so compaction wins space back.
QString makeAlbum(const QString& path, int rows, qint64 blobSize, const QString& password = {}) {
    QFile::remove(path);
    if (!AlbumDb::create(path, false).ok())
        return {};
    if (!password.isEmpty() && !ChangeAlbumPassword(path, {}, password).ok())
        return {};
    auto album = AlbumDb::open(path, {false, password}, nullptr);
    const QString jpeg = MakePicture(path + QStringLiteral(".jpg"), {160, 120}, Qt::darkCyan);
    sqlite::Transaction filling(album->connection());
    for (int i = 0; i < rows; ++i) {
        const PictureRecord r{.date = QDate(2021, 3, 1).addDays(i),
                              .imageFile = QStringLiteral("picture%1.jpg").arg(i),
                              .imageFormat = QStringLiteral("10 JPEG File Interchange Format")};
        if (i == 0)
            album->addRecord(r, jpeg);
        else
            album->addRecordBytes(r, randomBytes(blobSize, quint32(i)));
    }
    filling.commit();
    for (qint64 id = 3; id <= rows; id += 3)
        album->deleteRecord(id);
    // Hashed, so no background run changes the file while a test compares it.
    FillContentHashes(*album);
    QFile::remove(jpeg);
    return path;
}

// Clicks the progress window's Cancel as the work starts, before it can end.
QMetaObject::Connection cancelAtStart(Run& run) {
    return QObject::connect(
        run.flow(), &MaintenanceFlow::workStarted, run.flow(),
        [&run] {
            run.main.findChild<QProgressDialog*>("MaintenanceProgress")
                ->findChild<QPushButton*>()
                ->click();
        },
        Qt::DirectConnection);
}

QString expectedReport(qint64 oldSize, qint64 newSize) {
    return QStringLiteral("Old size = %1 bytes\rNew size = %2 bytes\rGain = %3%")
        .arg(FormatThousands(oldSize), FormatThousands(newSize))
        .arg(RoundHalfEven(100.0 - double(newSize) / double(oldSize) * 100.0));
}

} // namespace

class TestMaintenance : public QObject {
    Q_OBJECT
    test::TestEnv m_env;
    QString path(const QString& name) const { return m_env.path(name); }

private slots:
    void compactionReportsAndReopens_data() {
        QTest::addColumn<QString>("password");
        QTest::newRow("plain") << QString();
        QTest::newRow("password") << QStringLiteral("secret");
    }
    void compactionReportsAndReopens() {
        QFETCH(QString, password);
        const QString album = makeAlbum(path("family.mdb"), 24, 1 << 20, password);
        QVERIFY(!album.isEmpty());
        Run run;
        if (!password.isEmpty())
            run.prompts.expectPassword(album, password);
        QVERIFY(test::OpenAlbum(run.main.browser(), album));
        run.main.selectRecord(3);
        const QByteArray before = readFile(album);
        QSignalSpy titles(run.flow(), &MaintenanceFlow::titleChanged);

        // The command hands the window back while the engine copies, and the progress grows.
        QList<int> percents;
        connect(run.flow(), &MaintenanceFlow::progressChanged, this, [&](int p) { percents << p; });
        run.prompts.expectMessage(QStringLiteral("COMPACT DATABASE"));
        run.main.runCommand(QStringLiteral("ID_CompactDatabase"));
        QVERIFY2(run.flow()->busy(), "the window waited for the compaction");
        QVERIFY(QTest::qWaitFor([&] { return !run.flow()->busy(); }, 120000));
        QVERIFY(std::is_sorted(percents.cbegin(), percents.cend()));

        QCOMPARE(titles.value(0).value(0).toString(), "Compacting " + album + "...");
        const qint64 newSize = QFileInfo(album).size();
        QVERIFY(newSize < before.size());
        QCOMPARE(run.prompts.asked().last().text, expectedReport(before.size(), newSize));
        QCOMPARE(run.prompts.asked().last().style, int(MsgIcon::Information));
        QCOMPARE(readFile(path("family.bak")), before);
        // Opened again on its first record, with the password it had.
        QCOMPARE(run.album().OpenAlbumPath, album);
        QCOMPARE(run.album().RecordCount, 16);
        QCOMPARE(run.album().CurrentRow, 1);
        QCOMPARE(run.record().CurrentImageFile, QStringLiteral("picture0.jpg"));
        QCOMPARE(bool(AlbumDb::open(album, {true, {}}, nullptr)), password.isEmpty());
        QVERIFY(AlbumDb::open(album, {true, password}, nullptr));

        // Cancel in the progress dialog: the album stays as it was, and says so.
        const QByteArray compacted = readFile(album);
        cancelAtStart(run);
        run.prompts.expectMessage(QStringLiteral("COMPACT DATABASE"));
        QVERIFY(run.runToEnd("ID_CompactDatabase"));
        QCOMPARE(run.prompts.asked().last().text,
                 "Compaction cancelled. \"" + album + "\" is left as it was.");
        QCOMPARE(readFile(album), compacted);
        QVERIFY(!QFile::exists(album + ".q32new"));
        QCOMPARE(run.album().OpenAlbumPath, album);
        QCOMPARE(run.album().RecordCount, 16);
        QVERIFY(run.prompts.verifyDone());
    }

    void progressNeverOutlivesTheWork() {
        // Done before the progress window is due: it must not come later, over the report.
        const QString album = makeAlbum(path("small.mdb"), 3, 1000);
        Run run;
        QVERIFY(test::OpenAlbum(run.main.browser(), album));
        int reports = 0;
        QList<int> progressOver; // the reports that had a progress window over them
        // Each message is read for a while, with the window's events running meanwhile.
        run.prompts.onAsked = [&](const test::Asked& asked) {
            if (asked.kind != test::PromptKind::Message)
                return;
            ++reports;
            const auto progressShown = [&] {
                auto* progress = run.main.findChild<QProgressDialog*>("MaintenanceProgress");
                return progress && progress->isVisible();
            };
            if (QTest::qWaitFor(progressShown, 1000))
                progressOver << reports;
        };
        run.prompts.expectMessage(QStringLiteral("COMPACT DATABASE"))
            .expectOpenFile(QStringLiteral("Open Image Depository"), album)
            .expectMessage(QString());
        // From the window's event loop, as a menu command runs.
        bool done = false;
        QTimer::singleShot(0, &run.main, [&] {
            done = run.runToEnd("ID_CompactDatabase") && run.runToEnd("ID_RepairDatabase");
        });
        QTRY_VERIFY_WITH_TIMEOUT(done, 30000);
        QCOMPARE(reports, 2);
        QCOMPARE(progressOver, QList<int>());
        QVERIFY(!run.main.findChild<QProgressDialog*>("MaintenanceProgress"));
        QCOMPARE(run.album().OpenAlbumPath, album);
        QVERIFY(run.prompts.verifyDone());
    }

    void compactionOnAFullDiskLeavesTheAlbum() {
        const QString mnt = path("small-disk");
        QDir().mkpath(mnt);
        // Room for the album but not for a second copy.
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=3m", "tmpfs", mnt}) != 0)
            QSKIP("cannot mount a small file system here (needs root)");
        struct Unmount {
            QString mnt;
            ~Unmount() { QProcess::execute("umount", {mnt}); }
        } unmount{mnt};
        const QString made = makeAlbum(path("full.mdb"), 12, 150000);
        const QString album = mnt + "/full.mdb";
        QVERIFY(QFile::copy(made, album));
        const QByteArray before = readFile(album);
        QVERIFY(before.size() > 1024 * 1024);

        Run run;
        QVERIFY(test::OpenAlbum(run.main.browser(), album));
        run.prompts.expectMessage("COMPACT DATABASE").expectMessage("COMPACT DATABASE");
        QVERIFY(run.runToEnd("ID_CompactDatabase"));
        const auto asked = run.prompts.asked();
        const QString said = asked.value(asked.size() - 2).text;
        QVERIFY2(said.contains("not enough free space") && said.contains("left as it was"),
                 qPrintable(said));
        QCOMPARE(asked.value(asked.size() - 2).style, int(MsgIcon::Exclamation));
        // The sizes still follow: nothing was gained.
        QCOMPARE(asked.last().text, expectedReport(before.size(), before.size()));
        QCOMPARE(run.prompts.beeps(), 1);
        QCOMPARE(readFile(album), before);
        QVERIFY(!QFile::exists(album + ".q32new"));
        QCOMPARE(run.album().OpenAlbumPath, album);
        QCOMPARE(run.album().RecordCount, 8);
    }

    void killedCompactionLeavesTheAlbum() {
        const QString album = makeAlbum(path("killed.mdb"), 48, 1 << 20);
        const QByteArray before = readFile(album);
        const QString temp = album + ".q32new";
        // The copy has no journal: killed just before the rename, once it is flushed.
        QProcess q32;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LD_PRELOAD", COMMIT_HOLD_LIBRARY);
        env.insert("Q32_HOLD", "file-synced:1");
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
        q32.setProcessEnvironment(env);
        q32.setProcessChannelMode(QProcess::MergedChannels);
        q32.start(QStringLiteral(Q32_BINARY), {"compact", album});
        QVERIFY(q32.waitForStarted());
        QByteArray said;
        while (!said.contains("q32-hold") && q32.state() == QProcess::Running)
            if (q32.waitForReadyRead(30000))
                said += q32.readAll();
        QVERIFY2(said.contains("q32-hold file-synced"), said.constData());
        QVERIFY(QFileInfo(temp).size() > 0);
        ::kill(pid_t(q32.processId()), SIGKILL);
        q32.waitForFinished();
        QCOMPARE(readFile(album), before);
        AlbumStatus status;
        auto opened = AlbumDb::open(album, {false, {}}, &status);
        QVERIFY2(opened, qPrintable(status.text()));
        QCOMPARE(opened->rowCount(), 32);
        opened.reset();
        // The next compaction clears what the killed one left.
        QVERIFY(CompactAlbumFile(album, {}).status.ok());
        QVERIFY(!QFile::exists(temp));
    }

    void repairOfADamagedAlbum() {
        const QString album = makeAlbum(path("damaged.mdb"), 60, 30000);
        {
            QFile f(album);
            QVERIFY(f.open(QIODevice::ReadWrite));
            const qint64 pages = f.size() / AlbumDb::PageSize;
            for (qint64 page : {pages / 3, pages / 2, pages - 3}) {
                f.seek(page * AlbumDb::PageSize);
                f.write(randomBytes(AlbumDb::PageSize, quint32(page)));
            }
        }
        Run run;
        run.settings.storeText("Directories", "AlbumsDir", m_env.root() + "/");
        QSignalSpy titles(run.flow(), &MaintenanceFlow::titleChanged);
        run.prompts.expectOpenFile(QStringLiteral("Open Image Depository"), album);
        run.prompts.expectMessage(QString());
        QVERIFY(run.runToEnd("ID_RepairDatabase"));

        const auto& dialog = run.prompts.asked().first().file;
        QCOMPARE(dialog.filter, QStringLiteral("Quillon 32 Database Files (*.mdb)|*.mdb"));
        QCOMPARE(dialog.initialDir, m_env.root() + "/");
        QVERIFY(dialog.mustExist);
        QCOMPARE(titles.value(0).value(0).toString(), QStringLiteral("Repairing ..."));
        const QStringList report = run.prompts.asked().last().text.split('\n');
        QCOMPARE(run.prompts.asked().last().style, int(MsgIcon::None));
        QCOMPARE(report.value(0), album + " repaired.");
        const int saved = report.value(1).section(": ", 1).toInt();
        const int lost = report.value(2).section(": ", 1).toInt();
        QVERIFY(saved > 15 && lost > 0 && saved + lost <= 40);
        // The repaired album is the open one and recent entry 1.
        QCOMPARE(run.album().OpenAlbumPath, album);
        QCOMPARE(run.album().RecordCount, saved);
        QCOMPARE(run.album().CurrentRow, 1);
        QCOMPARE(run.settings.storedText("Settings", "DBFile1"), "&1 " + album);
        QVERIFY(QFile::exists(album + ".damaged"));
    }

    void repairCancelledOrRefused() {
        const QString album = makeAlbum(path("kept.mdb"), 5, 1000);
        Run run;
        QVERIFY(test::OpenAlbum(run.main.browser(), album));
        run.main.selectRecord(2);

        // Cancelling the file dialog changes nothing.
        run.prompts.expectOpenFile(QStringLiteral("Open Image Depository"), QString());
        QVERIFY(run.runToEnd("ID_RepairDatabase"));
        QVERIFY(run.main.browser().album());
        QCOMPARE(run.album().CurrentRow, 2);
        QCOMPARE(run.prompts.pending(), 0);

        // Cancel as it starts: the file is left as it was and the album open before is back.
        const QString other = makeAlbum(path("other.mdb"), 40, 1000);
        const QByteArray otherBefore = readFile(other);
        const auto cancelling = cancelAtStart(run);
        run.prompts.expectOpenFile(QStringLiteral("Open Image Depository"), other);
        run.prompts.expectMessage(QStringLiteral("FYI"));
        QVERIFY(run.runToEnd("ID_RepairDatabase"));
        disconnect(cancelling);
        QCOMPARE(run.prompts.asked().last().text,
                 "Repair cancelled. \"" + other + "\" is left as it was.");
        QCOMPARE(readFile(other), otherBefore);
        QCOMPARE(run.album().OpenAlbumPath, album);

        // A file that is no album: the engine's reason, and no album is open afterwards.
        const QString notAlbum = path("letter.mdb");
        QVERIFY(test::writeFile(notAlbum, QByteArray(70000, 'x')));
        run.prompts.expectOpenFile(QStringLiteral("Open Image Depository"), notAlbum);
        run.prompts.expectMessage(QStringLiteral("CRITICAL ERROR! (PELORUS: FixDatabase)"));
        QVERIFY(run.runToEnd("ID_RepairDatabase"));
        QCOMPARE(run.prompts.asked().last().style, int(MsgIcon::Critical));
        QCOMPARE(run.prompts.beeps(), 1);
        QVERIFY(!run.main.browser().album());
        QCOMPARE(readFile(notAlbum), QByteArray(70000, 'x'));
    }
};

QTEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
