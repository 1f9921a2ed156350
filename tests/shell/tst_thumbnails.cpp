// The thumbnails: made, kept in the album (encrypted with it), and the view over them.

#include "MainWindowRun.h"
#include "TestAlbums.h"
#include "TestClips.h"
#include "TestEnv.h"
#include "album/AlbumMaintenance.h"
#include "album/AlbumRecordset.h"
#include "album/AlbumThumbnails.h"
#include "album/add/AddRun.h"
#include "album/add/ThumbnailMaker.h"
#include "album/thumbnails/ThumbnailModel.h"
#include "album/thumbnails/ThumbnailSource.h"
#include "common/Settings.h"
#include "formats/FormatTable.h"
#include "platform/imaging/Imaging.h"
#include "shell/AlbumBrowser.h"
#include "shell/ui/CaptionBand.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ThumbnailPane.h"

#include <QFile>
#include <QListView>
#include <QProcess>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using namespace q32;

namespace {

using Run = test::MainWindowRun;
using test::readFile;

QSize thumbnailSize(AlbumDb& album, qint64 rowId) {
    const auto jpeg = ReadThumbnail(album, rowId);
    return jpeg ? QImage::fromData(*jpeg, "JPG").size() : QSize(-1, -1);
}

bool convert(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral("convert"), arguments) == 0;
}

bool exiftool(const QStringList& arguments) {
    return QProcess::execute("exiftool", QStringList{"-q", "-overwrite_original"} + arguments) == 0;
}

} // namespace

class TestThumbnails : public QObject {
    Q_OBJECT
    test::TestEnv m_env;
    QByteArray m_photo; // a 640 x 480 JPEG

    QString path(const QString& name) const { return m_env.path(name); }

    // count photos "Photo N.jpg" and, first by date, one record whose bytes are no picture.
    QString makeAlbum(const QString& name, int count) {
        const QString jpeg = QStringLiteral("10 JPEG File Interchange Format");
        if (!test::writeFile(path("junk.jpg"), QByteArray(5000, 'x')))
            return {};
        QList<QStringList> rows{{"Damaged.jpg", "", "", path("junk.jpg"), jpeg}};
        for (int i = 1; i <= count; ++i)
            rows.append({QStringLiteral("Photo %1.jpg").arg(i), "", "", path("photo.jpg"), jpeg});
        return test::MakeAlbum(path(name), rows);
    }

    // Changes the album file as another build or program would.
    void rawExec(const QString& album, const char* sql) {
        sqlite::Database raw;
        QVERIFY(raw.open(album, SQLITE_OPEN_READWRITE).ok());
        QVERIFY(raw.exec(QString::fromLatin1(sql)).ok());
    }

private slots:
    void initTestCase() {
        QVERIFY(convert({"-size", "640x480", "plasma:red-blue", "-seed", "3", path("photo.jpg")}));
        m_photo = readFile(path("photo.jpg"));
    }

    void addRunMakesThumbnailsThatFollowTheirRecord() {
        // Orientation 6: a landscape file shown as a portrait.
        QVERIFY(convert({"-size", "400x200", "gradient:red-yellow", path("turned.jpg")}));
        QVERIFY(exiftool({"-Orientation#=6", path("turned.jpg")}));
        QVERIFY(convert({"-size", "50x40", "xc:green", path("small.png")}));
        // A camera photo with its own preview (green here, unlike the photo) in its EXIF block.
        QVERIFY(convert({"-size", "160x120", "xc:lime", path("preview.jpg")}));
        QFile::copy(path("photo.jpg"), path("camera.jpg"));
        QVERIFY(exiftool({"-ThumbnailImage<=" + path("preview.jpg"), path("camera.jpg")}));
        const QString p = path("added.mdb");
        QVERIFY(AlbumDb::create(p, false).ok());
        AlbumStatus status;
        auto album = AlbumDb::open(p, {}, &status);
        test::ScriptedPromptService prompts;
        AddRun run(*album, prompts, AddRunOptions{.decodeThumbnails = true});
        struct Rows : AddRunListener {
            QList<qint64> ids;
            void reported(const QList<AddItemReport>& reports) override {
                for (const AddItemReport& r : reports)
                    ids << r.rowId;
            }
        } listener;
        QList<qint64>& rows = listener.ids;
        const AddRunSummary summary =
            run.run({path("photo.jpg"), path("turned.jpg"), path("small.png"), path("camera.jpg")},
                    &listener);
        QCOMPARE(summary.stored, 4);
        QCOMPARE(thumbnailSize(*album, rows[0]), QSize(160, 120));
        QCOMPARE(thumbnailSize(*album, rows[1]), QSize(80, 160)); // turned as EXIF says
        QCOMPARE(thumbnailSize(*album, rows[2]), QSize(50, 40));  // never enlarged
        const QImage camera = QImage::fromData(*ReadThumbnail(*album, rows[3]), "JPG");
        QCOMPARE(camera.size(), QSize(160, 120));
        QVERIFY2(camera.pixelColor(80, 60).green() > 200 && camera.pixelColor(80, 60).red() < 60,
                 "not the camera's own preview");

        // Replacing a picture drops its thumbnail (the view makes it again); so does deleting.
        QVERIFY(album->storeFile(rows[0], PictureField::Image, path("small.png")).ok());
        QVERIFY(!ReadThumbnail(*album, rows[0]));
        QVERIFY(album->deleteRecord(rows[1]).ok());
        QVERIFY(!ReadThumbnail(*album, rows[1]));
        QVERIFY(ReadThumbnail(*album, rows[2]));
        // One made from the picture before it was replaced is not kept.
        QVERIFY(StoreThumbnail(*album, rows[0], "old", m_photo.size()).ok());
        QVERIFY(!ReadThumbnail(*album, rows[0]));
        qint64 after = 0;
        QCOMPARE(RecordsWithoutThumbnails(*album, PictureRowIds(*album), &after, 10),
                 QList<qint64>{rows[0]});
        QCOMPARE(after, rows.last());

        // By default only a camera's preview is used while adding; the rest wait for the view.
        QFile::copy(path("photo.jpg"), path("plain.jpg"));
        QFile::copy(path("camera.jpg"), path("camera2.jpg"));
        AddRun quick(*album, prompts);
        QCOMPARE(quick.run({path("plain.jpg"), path("camera2.jpg")}, &listener).stored, 2);
        QVERIFY(!ReadThumbnail(*album, rows[4]));
        QVERIFY(ReadThumbnail(*album, rows[5]));

        // Another program's table of that name is not ours.
        album.reset();
        rawExec(p, "DROP TABLE Thumbnails;"
                   "CREATE TABLE Thumbnails (ID INTEGER PRIMARY KEY, Image BLOB, x)");
        QVERIFY(!AlbumDb::open(p, {}, &status));
        QCOMPARE(status.condition, AlbumCondition::NotAnAlbum);
    }

    void olderAlbumGetsThumbnailsOnFirstView() {
        const QString p = makeAlbum("older.mdb", 40);
        rawExec(p, "DROP TABLE Thumbnails"); // as an earlier build left it
        {
            // Read-only it is still an album, and shows thumbnails without storing them.
            auto album = AlbumDb::open(p, OpenOptions{true, {}}, nullptr);
            QVERIFY(album);
            QVERIFY(!HasThumbnailTable(*album));
        }
        Run run;
        QVERIFY(test::OpenAlbum(run.main.browser(), p));
        ThumbnailPane& pane = run.main.thumbnails();
        QSignalSpy filled(&pane.source(), &ThumbnailSource::fillFinished);
        pane.setOn(true);
        QVERIFY(filled.wait(20000));
        // Every record got one: the damaged picture its placeholder, without a message.
        AlbumDb& album = *run.main.browser().album();
        qint64 after = 0;
        QVERIFY(RecordsWithoutThumbnails(album, PictureRowIds(album), &after, 100).isEmpty());
        QCOMPARE(after, run.main.browser().recordset()->recordCount());
        const qint64 damaged = run.main.browser().recordset()->rowIdAt(0);
        QCOMPARE(ReadThumbnail(album, damaged), std::optional<QByteArray>(QByteArray("")));
        const QByteArray made = *ReadThumbnail(album, run.main.browser().recordset()->rowIdAt(1));
        QCOMPARE(QImage::fromData(made, "JPG").size(), QSize(160, 120));
        QVERIFY(readFile(p).contains(made.mid(200, 64))); // plainly in a plain album
        QTRY_VERIFY(pane.model().isReady(0));
        QVERIFY(run.prompts.asked().isEmpty());

        // Still a whole album (that q32 reads it is e2e_thumbnail_view's).
        QVERIFY(album.integrityCheck().ok());
    }

    // Made from the stored bytes: formats known by content or by extension alike.
    void thumbnailsFromStoredBytes() {
        for (const char* name :
             {"pic.pcx", "pic.tga", "pic.bmp", "pic.tif", "pic.gif", "pic.png"}) {
            const QString file = path(QString::fromLatin1(name));
            QVERIFY(convert({"-size", "320x240", "gradient:blue-yellow", file}));
            ImageInfo info;
            QCOMPARE(ReadImageInfo(file, info), ImagingCondition::None);
            const QByteArray jpeg =
                MakeThumbnailFromBytes(readFile(file), FormatText(info.formatCode));
            QVERIFY2(QImage::fromData(jpeg, "JPG").size() == QSize(160, 120), name);
        }
    }

    // A protected album's clips get a frame a second in and their length from the stored bytes;
    // a damaged clip keeps its placeholder. (That its thumbnails are encrypted is tst_privacy's.)
    void protectedAlbumThumbnailsAndClipFrames() {
        QVERIFY(test::MakeClip(path("walk.mp4"), {{"color=c=red", 1.0}, {"smptebars", 2.0}}));
        const QImage reference =
            test::FfmpegFrame(path("walk.mp4"), 1, QSize(160, 120), path("walk1.png"));
        QVERIFY(test::writeFile(path("broken.mp4"), test::readFile(path("walk.mp4")).left(3000)));
        const QString mp4 = QStringLiteral("95 MPEG-4 Video");
        const QString p =
            test::MakeAlbum(path("clips.mdb"), {{"Photo.jpg", "", "", path("photo.jpg"), "10 JPEG"},
                                                {"walk.mp4", "", "", path("walk.mp4"), mp4},
                                                {"broken.mp4", "", "", path("broken.mp4"), mp4}});
        QVERIFY(!p.isEmpty());
        for (const qint64 clip : {2, 3})
            QVERIFY(StoreThumbnail(*AlbumDb::open(p, {}, nullptr), clip, "").ok());
        QVERIFY(ChangeAlbumPassword(p, {}, QStringLiteral("secret")).ok());
        Run run;
        run.prompts.expectPassword(p, QStringLiteral("secret"));
        QVERIFY(test::OpenAlbum(run.main.browser(), p));
        ThumbnailPane& pane = run.main.thumbnails();
        QSignalSpy filled(&pane.source(), &ThumbnailSource::fillFinished);
        pane.setOn(true);
        QVERIFY(filled.wait(30000));
        AlbumDb& album = *run.main.browser().album();
        const QByteArray frame = ReadThumbnail(album, 2).value_or(QByteArray());
        const double off = test::PixelDifference(QImage::fromData(frame, "JPG"), reference);
        QVERIFY2(off < 8, qPrintable(QString::number(off)));
        QVERIFY(qAbs(ClipLengthOfThumbnail(frame).value_or(0) - 3000) < 100);
        QCOMPARE(ReadThumbnail(album, 3), std::optional<QByteArray>(kNoClipFrame));
        qint64 after = 0;
        QList<qint64> empty;
        QVERIFY(
            RecordsWithoutThumbnails(album, PictureRowIds(album), &after, 10, &empty).isEmpty() &&
            empty.isEmpty());

        // (The tile with its length is drawn by e2e_thumbnail_view.)
        run.main.selectRecord(2);
        // The grid shows the length in the properties column (this record has no stored text).
        QCOMPARE(run.main.findChild<QTableView*>()->model()->index(1, 4).data().toString(),
                 QStringLiteral("0:03"));
        QTRY_VERIFY2(run.record().CurrentProperties.contains(QStringLiteral(", 0:03 (MPEG-4")),
                     qPrintable(run.record().CurrentProperties));
    }

    void viewFollowsTheCurrentRecord() {
        const QString p = makeAlbum("follow.mdb", 30);
        Run run;
        run.main.resize(900, 600);
        run.main.show();
        QVERIFY(test::OpenAlbum(run.main.browser(), p));
        ThumbnailPane& pane = run.main.thumbnails();
        QListView* view = pane.view();
        // Turned on at the last record, the view shows it before that record's batch is placed.
        view->setBatchSize(4);
        run.main.moveRecord(Step::Last);
        pane.setOn(true);
        QVERIFY(view->isVisible());
        QVERIFY(!run.main.grid()->isVisible());
        QCOMPARE(view->model()->rowCount(), 31);
        QCOMPARE(view->currentIndex().row(), 30);
        QVERIFY(view->viewport()->rect().intersects(view->visualRect(view->currentIndex())));

        // The grid, the arrow buttons and the viewer move the highlight...
        run.main.selectRecord(7);
        QCOMPARE(view->currentIndex().row(), 6);
        run.main.moveRecord(Step::Next);
        QCOMPARE(view->currentIndex().row(), 7);
        run.main.moveRecord(Step::Last);
        QCOMPARE(view->currentIndex().row(), 30);
        QVERIFY(view->viewport()->rect().intersects(view->visualRect(view->currentIndex())));

        // ...and a key on a thumbnail moves the grid and the preview (a click is e2e's).
        run.main.selectRecord(3);
        QTest::keyClick(view, Qt::Key_Right);
        QCOMPARE(run.album().CurrentRow, 4);
        QTRY_VERIFY(pane.model().isReady(3));
        const QIcon shown = view->model()->index(3, 0).data(Qt::DecorationRole).value<QIcon>();
        // The photo's own colours at the bottom of its square, not a grey placeholder.
        const QColor photo = shown.pixmap(kThumbnailEdge).toImage().pixelColor(80, 150);
        QVERIFY2(photo.saturation() > 60, qPrintable(photo.name()));

        // Another order shows in the thumbnails too.
        run.main.browser().sortImages(FileDescending, true);
        QCOMPARE(view->model()->index(0, 0).data().toString(),
                 run.main.grid()->model()->index(0, 2).data().toString());

        // Off again shows the grid; the choice is kept for the next start.
        run.main.commandBar().tool(QStringLiteral("ID_ThumbnailView"))->trigger();
        QVERIFY(!pane.isOn());
        QVERIFY(run.main.grid()->isVisible());
        QVERIFY(!run.settings.get(key::ThumbnailView));
        pane.setOn(true);
        Run next;
        next.main.thumbnails().restore();
        QVERIFY(next.main.thumbnails().isOn());
        QVERIFY(next.main.commandBar().checked(QStringLiteral("ID_ThumbnailView")));
    }

    // A filter shows its first rows before all are found; the grid, thumbnails and title follow.
    void filterGrowsAsItsRowsAreFound() {
        const QString p = path("grow.mdb");
        QVERIFY(convert({"-size", "8x8", "xc:green", path("dot.jpg")}));
        QVERIFY(AlbumDb::create(p, false).ok());
        {
            auto album = AlbumDb::open(p, {}, nullptr);
            sqlite::Transaction tx(album->connection());
            for (int i = 1; i <= 5000; ++i) {
                const PictureRecord r{.date = QDate(2001, 1, 1).addDays(i),
                                      .imageFile = QStringLiteral("Dot %1.jpg").arg(i),
                                      .imageFormat = QStringLiteral("10 JPEG"),
                                      .keywords = i % 3 ? "beach" : "hill"};
                QVERIFY(album->addRecord(r, path("dot.jpg")).ok());
            }
            QVERIFY(tx.commit().ok());
        }
        Run run;
        run.settings.set(key::KeywordsToDisplay, QStringLiteral("BEACH"));
        run.main.show();
        QVERIFY(test::OpenAlbum(run.main.browser(), p));
        QAbstractItemModel* grid = run.main.grid()->model();
        QAbstractItemModel* thumbnails = run.main.thumbnails().view()->model();
        for (const int order : {KeywordsAscendingDate, KeywordsDescendingDate, DateDescending}) {
            // With the thumbnails on, laid out and painted, the first screen reads no more rows.
            run.main.thumbnails().setOn(order != KeywordsAscendingDate);
            run.main.browser().sortImages(order, true);
            run.main.thumbnails().view()->viewport()->repaint();
            // The first rows, before any event has let the rest be found.
            QVERIFY(!run.main.browser().recordset()->idsComplete());
            if (order == DateDescending)
                break;
            QVERIFY2(grid->rowCount() < 3334, "every row was found before the first screen");
            QCOMPARE(thumbnails->rowCount(), grid->rowCount());
            QCOMPARE(run.main.windowTitle(), QStringLiteral("Sorting images... - Quillon 32"));
            const bool ascending = order == KeywordsAscendingDate;
            if (ascending) {
                run.main.moveRecord(Step::Last);
                QCOMPARE(run.album().CurrentRow, 3334);
                QCOMPARE(run.record().CurrentImageFile, QStringLiteral("Dot 5000.jpg"));
                QCOMPARE(run.main.grid()->currentIndex().row(), 3333);
            }
            QTRY_COMPARE(grid->rowCount(), 3334);
            QCOMPARE(thumbnails->rowCount(), 3334);
            QCOMPARE(grid->index(3333, 2).data().toString(),
                     ascending ? QStringLiteral("Dot 5000.jpg") : QStringLiteral("Dot 1.jpg"));
            QCOMPARE(run.main.windowTitle(),
                     QStringLiteral("grow.mdb  (3334 images) - Quillon 32"));
            QVERIFY(
                run.main.findChild<CaptionBand*>()->text().startsWith("grow.mdb  (3334 images)"));
        }
    }
};

QTEST_MAIN(TestThumbnails)
#include "tst_thumbnails.moc"
