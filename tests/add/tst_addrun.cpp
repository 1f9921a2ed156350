// The add run: reports only what is committed, stops with exactly what it reported, tells each
// skip and failure with its reason, and asks its questions on the window's thread; the album
// opened for it and protected after.

#include "../album/AlbumTestData.h"
#include "ScriptedPromptService.h"
#include "album/AlbumDb.h"
#include "album/AlbumMaintenance.h"
#include "album/add/AddRunJob.h"
#include "album/add/AddRunOpen.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace q32;

namespace {

// Every stored row's bytes by name, read through a connection of its own; rows whose content
// hash is not that of their bytes go to wrongHashes (a row may have none yet).
QMap<QString, QByteArray> rowsOnDisk(const QString& album, QStringList* wrongHashes = nullptr) {
    return test::rowsByName(album, [wrongHashes](AlbumDb& reader, const PictureRecord& r) {
        const QByteArray bytes = reader.readBytes(r.rowId, PictureField::Image);
        sqlite::Statement st = reader.connection().prepare(
            QStringLiteral("SELECT Sha256 FROM ContentHashes WHERE ID = %1").arg(r.rowId));
        if (wrongHashes && st.step() == SQLITE_ROW && !st.blob(0).isEmpty() &&
            st.blob(0) != test::sha(bytes))
            *wrongHashes << r.imageFile;
        return bytes;
    });
}

// Checks, at every report, that the album holds exactly the files reported stored so far.
struct CheckingListener : AddRunListener {
    QString album;
    QHash<QString, QString> sources; // stored name -> source file
    QList<AddItemReport> all;
    QStringList mismatches;
    int groups = 0;
    qint64 stopAfterStored = -1;
    bool stop = false;

    bool stopRequested() override { return stop; }
    void progress(const AddProgress& p) override {
        stop = stop || (stopAfterStored >= 0 && p.storedSoFar >= stopAfterStored);
    }
    void reported(const QList<AddItemReport>& reports) override {
        ++groups;
        all += reports;
        for (const AddItemReport& r : reports)
            if (r.result == AddResult::Stored)
                sources.insert(QFileInfo(r.file).fileName(), r.file);
        QStringList wrongHashes;
        const auto rows = rowsOnDisk(album, &wrongHashes);
        for (const QString& name : std::as_const(wrongHashes))
            mismatches << name + " (hash)";
        if (rows.size() != sources.size())
            mismatches
                << QStringLiteral("%1 rows, %2 reported").arg(rows.size()).arg(sources.size());
        for (auto it = sources.cbegin(); it != sources.cend(); ++it)
            if (rows.value(it.key()) != test::readFile(it.value()))
                mismatches << it.key();
    }
};

} // namespace

class TestAddRun : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QStringList m_photos;

    QString path(const QString& name) const { return m_dir.filePath(name); }
    // A new album, opened for writing; its path in file.
    std::unique_ptr<AlbumDb> newAlbum(const QString& name, QString* file = nullptr) {
        if (file)
            *file = path(name);
        return test::newAlbum(path(name));
    }

private slots:
    void initTestCase() {
        QDir().mkpath(path("photos"));
        QRandomGenerator random(5);
        for (int i = 0; i < 24; ++i) {
            // Noise makes the files large and of many sizes: some are read whole, some streamed.
            QImage img(200 + i * 20, 150, QImage::Format_RGB888);
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    img.setPixel(x, y, random.generate());
            const QString p = path(QStringLiteral("photos/p%1.%2")
                                       .arg(i, 2, 10, QChar('0'))
                                       .arg(i % 2 ? "png" : "bmp"));
            QVERIFY(img.save(p));
            m_photos << p;
        }
    }

    // Group 0 commits every file; a small group several; a huge one once, at the end, or at a
    // stop: what was reported is what the album holds, at every report.
    void reportsOnlyWhatIsCommitted() {
        const struct {
            qint64 groupBytes;
            int stopAfter;
        } runs[] = {{0, -1}, {400000, -1}, {qint64(1) << 30, -1}, {qint64(1) << 30, 5}};
        for (const auto& run : runs) {
            CheckingListener listener;
            auto db = newAlbum(QString("groups%1-%2.mdb").arg(run.groupBytes).arg(run.stopAfter),
                               &listener.album);
            QVERIFY(db);
            test::ScriptedPromptService prompts;
            AddRunOptions options;
            options.groupBytes = run.groupBytes;
            options.inMemoryLimit = 150000; // the larger files are streamed from disk
            options.flushBytes = 300000;    // early flushes on the way, as in a long run
            listener.stopAfterStored = run.stopAfter;
            const AddRunSummary summary = AddRun(*db, prompts, options).run(m_photos, &listener);
            QVERIFY2(listener.mismatches.isEmpty(), qPrintable(listener.mismatches.join(", ")));
            const int stored = run.stopAfter < 0 ? m_photos.size() : run.stopAfter;
            QCOMPARE(summary.end, run.stopAfter < 0 ? AddRunSummary::End::Finished
                                                    : AddRunSummary::End::Stopped);
            QCOMPARE(summary.stored, stored);
            QCOMPARE(summary.notAttempted, m_photos.size() - stored);
            QCOMPARE(db->rowCount(), stored);
            QCOMPARE(listener.all.size(), stored);
            for (int i = 0; i < stored; ++i)
                QCOMPARE(listener.all.at(i).index, i); // in list order
            if (run.groupBytes == 0)
                QCOMPARE(listener.groups, m_photos.size());
            else if (run.groupBytes == 400000)
                QVERIFY(listener.groups > 2 && listener.groups < m_photos.size());
            else
                QCOMPARE(listener.groups, 1);
        }
    }

    // Bitmaps stored as JPEG go through work files while the next files are prepared ahead:
    // each record must hold its own picture, read whole or streamed.
    void compressedBitmapsKeepTheirOwnPictures() {
        for (const qint64 inMemoryLimit : {qint64(64) << 20, qint64(0)}) {
            QString album;
            auto db = newAlbum(QString("compressed%1.mdb").arg(inMemoryLimit), &album);
            test::ScriptedPromptService prompts;
            AddRunOptions options;
            options.compressStorage = true;
            options.workFolder = path(QString());
            options.inMemoryLimit = inMemoryLimit;
            const AddRunSummary summary = AddRun(*db, prompts, options).run(m_photos);
            QCOMPARE(summary.stored, m_photos.size());
            const auto rows = rowsOnDisk(album);
            for (const QString& photo : m_photos) {
                const QByteArray stored = rows.value(QFileInfo(photo).fileName());
                const bool bitmap = photo.endsWith(QLatin1String(".bmp"));
                QCOMPARE(QImage::fromData(stored).size(), QImage(photo).size());
                QCOMPARE(stored.startsWith("\xFF\xD8"), bitmap);
            }
            QVERIFY(QDir(path(QString())).entryList({"compress-*"}).isEmpty()); // work files gone
        }
    }

    void skipsAndFailuresCarryTheirReasons() {
        CheckingListener listener;
        auto db = newAlbum("reasons.mdb", &listener.album);
        // A name one longer than the field, a copy under a taken name, an empty picture and a
        // file that is no picture at all.
        const QString longName = path(QString(125, QChar('n')) + ".png");
        QVERIFY(QFile::copy(m_photos.at(1), longName));
        QDir().mkpath(path("again"));
        QVERIFY(QFile::copy(m_photos.at(3), path("again/p03.png")));
        QVERIFY(test::writeFile(path("empty.png"), {}));
        QVERIFY(test::writeFile(path("notes.jpg"), "shopping: bread, milk\n"));
        const QStringList files = {m_photos.at(3),    longName,       path("again/p03.png"),
                                   path("empty.png"), m_photos.at(7), path("notes.jpg"),
                                   m_photos.at(9)};

        // As the window runs it: the empty file is named and passed over, the unknown one ends
        // the run with what was stored kept.
        test::ScriptedPromptService prompts;
        prompts.expectMessage(longName)
            .expectMessage("UNEXPECTED ERROR! (AddImages: Command3D4_Click #1)")
            .expectMessage("UNEXPECTED ERROR! (AddImages: Command3D4_Click #3)");
        AddRunOptions options;
        options.fileErrorMessages = true;
        const AddRunSummary summary = AddRun(*db, prompts, options).run(files, &listener);
        QCOMPARE(prompts.pending(), 0);
        QVERIFY(prompts.asked().at(0).text.contains("ImageFile holds at most 128 characters"));
        QVERIFY(prompts.asked().at(1).text.startsWith("Error 2003"));
        QVERIFY(prompts.asked().at(1).text.endsWith(" reading/writing " + path("empty.png")));
        QCOMPARE(prompts.beeps(), 1);
        QCOMPARE(summary.end, AddRunSummary::End::FileFailed);
        QCOMPARE(summary.stored, 2);
        QCOMPARE(summary.notAttempted, 1);
        QVERIFY2(listener.mismatches.isEmpty(), qPrintable(listener.mismatches.join(", ")));
        QList<AddResult> results;
        for (const AddItemReport& r : listener.all) {
            results << r.result;
            QCOMPARE(r.reason.isEmpty(), r.result == AddResult::Stored);
        }
        QCOMPARE(results,
                 (QList<AddResult>{AddResult::Stored, AddResult::Skipped, AddResult::Skipped,
                                   AddResult::Failed, AddResult::Stored, AddResult::Failed}));
        QVERIFY(listener.all.at(2).reason.contains("p03.png is already in the album"));
        // As q32 runs it, nothing is asked and every file is tried: tst_q32.
    }

    void workerThreadAsksOnTheWindowsThread() {
        auto db = newAlbum("worker.mdb");
        test::ScriptedPromptService prompts;
        QList<QThread*> threads;
        prompts.onAsked = [&threads](const test::Asked&) { threads << QThread::currentThread(); };
        prompts.expectInput("Image File Name", "Beach day.png")
            .expectInput("Image Description", "Low tide");
        AddRunOptions options;
        options.askNames = true;
        AddRunJob job(*db, prompts, {m_photos.at(1)}, options);
        QSignalSpy reported(&job, &AddRunJob::reported);
        QSignalSpy titles(&job, &AddRunJob::titleChanged);
        QSignalSpy finished(&job, &AddRunJob::finished);
        job.start();
        QVERIFY(finished.wait(20000));
        QCOMPARE(prompts.pending(), 0);
        QCOMPARE(threads, (QList<QThread*>{QThread::currentThread(), QThread::currentThread()}));
        QCOMPARE(job.summary().stored, 1);
        QCOMPARE(reported.size(), 1);
        const AddItemReport report = reported.at(0).at(0).value<QList<AddItemReport>>().at(0);
        QCOMPARE(report.result, AddResult::Stored);
        QCOMPARE(db->record(report.rowId)->imageFile, "Beach day.png");
        QCOMPARE(db->record(report.rowId)->description, "Low tide");
        QCOMPARE(titles.at(0).at(0).toString(), "BUSY: Adding images to the Depository...");

        // A window closed while the question is waiting: the job ends at once, nothing stored.
        test::ScriptedPromptService unanswered;
        {
            AddRunJob gone(*db, unanswered, {m_photos.at(2)}, options);
            gone.start();
            QTest::qSleep(300); // the worker is waiting for a name nobody gives
        }
        QCOMPARE(unanswered.asked().size(), 0);
        QCOMPARE(db->rowCount(), 1);
    }

    // Opening a protected album for a run, and the protect step at its end (a cancelled one,
    // creation and another program's file: through the window in tst_addimages_flows).
    void passwordsAndTheProtectStep() {
        const QString file = path("secret.mdb");
        QVERIFY(AlbumDb::create(file, false).ok());
        test::ScriptedPromptService prompts;
        int readOnly = 0;
        prompts.expectNewPassword("SECURITY", "s3cret");
        QVERIFY(ProtectAlbumStep(file, prompts).ok());
        QCOMPARE(prompts.asked().last().text, "Enter password to protect this Image Depository:");

        // A wrong answer asks again; the right one opens and marks the album protected.
        prompts.expectInput("SECURED ALBUM", "wrong").expectInput("SECURED ALBUM", "s3cret");
        AddRunAlbum run = OpenAlbumForAdding(file, prompts, readOnly);
        QVERIFY(run.album && run.protectedAlbum && run.album->isEncrypted());
        QCOMPARE(prompts.asked().last().text, "Password:");
        run.album.reset();

        // An empty answer: "Access denied", and no album.
        prompts.expectInput("SECURED ALBUM", "").expectMessage("WARNING");
        QVERIFY(!OpenAlbumForAdding(file, prompts, readOnly).album);
        QCOMPARE(prompts.asked().last().text, "Access denied");
        QCOMPARE(prompts.beeps(), 1);
        QCOMPARE(prompts.pending(), 0);
    }
};

QTEST_GUILESS_MAIN(TestAddRun)
#include "tst_addrun.moc"
