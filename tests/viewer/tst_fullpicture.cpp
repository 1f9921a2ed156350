// The viewer over a real album in the main window.
#include "MainWindowRun.h"
#include "TestAlbums.h"
#include "TestEnv.h"
#include "TestFiles.h"
#include "TestImages.h"
#include "album/AlbumThumbnails.h"
#include "shell/AlbumBrowser.h"
#include "shell/ui/CommandBar.h"
#include "viewer/ui/FullPicture.h"
#include "viewer/ui/PictureCanvas.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace q32;

namespace {

using Run = test::MainWindowRun;

} // namespace

class TstFullPicture : public QObject {
    Q_OBJECT
    test::TestEnv m_env;
    QString m_album;

    static bool viewerIdle(Run& run) {
        const FullPicture* v = run.main.viewer();
        return v && v->idle();
    }

    // A show of album, fitted, with the interval given in the settings: its viewer once the first
    // picture is shown, or null.
    static FullPicture* startShow(Run& run, const QString& album, const char* interval) {
        if (!test::OpenAlbum(run.main.browser(), album))
            return nullptr;
        run.state.options.ViewFit = true;
        run.settings.storeText("Slide Show", "SlideShowInterval", interval);
        run.main.startSlideshow();
        return QTest::qWaitFor([&run] { return viewerIdle(run); }, 10000) ? run.main.viewer()
                                                                          : nullptr;
    }
    // The colour at the middle of what the viewer shows.
    static QColor middle(const FullPicture* v) {
        const QImage frame = v->canvas()->frame();
        return frame.pixelColor(frame.width() / 2, frame.height() / 2);
    }

private slots:
    void initTestCase() {
        const auto picture = [this](const char* name, QSize size, QColor colour) {
            return test::MakePicture(m_env.path(name), size, colour);
        };
        m_album = test::MakeAlbum(
            m_env.path("album.mdb"),
            {{"red.png", "", "", picture("red.png", {400, 200}, Qt::red)},
             {"blue.png", "Blue sky", "", picture("blue.png", {200, 400}, Qt::blue)},
             {"green.png", "", "", picture("green.png", {300, 300}, Qt::green)}});
        // Properties the title shows, one of each record's own.
        auto album = AlbumDb::open(m_album, {}, nullptr);
        for (qint64 id = 1; id <= 3; ++id) {
            auto r = album->record(id);
            r->imageProperties = "(" + r->imageFile + ")";
            QVERIFY(album->updateRecord(*r).ok());
        }
    }

    void viewerOnTheCurrentRecord() {
        Run run;
        QVERIFY(test::OpenAlbum(run.main.browser(), m_album));
        run.state.options.ViewFit = true;
        // A stored thumbnail of another colour shows at once, where the picture will be.
        const QByteArray jpeg = test::Encoded(test::Filled({160, 80}, Qt::magenta), "JPEG");
        QVERIFY(StoreThumbnail(*run.main.browser().album(),
                               run.main.browser().recordset()->rowIdAt(0), jpeg)
                    .ok());
        run.main.openViewer();
        FullPicture* v = run.main.viewer();
        QVERIFY(v && v->showingThumbnail());
        const QColor standIn = middle(v);
        QVERIFY(standIn.red() > 200 && standIn.blue() > 200 && standIn.green() < 60);
        QTRY_VERIFY_WITH_TIMEOUT(viewerIdle(run), 10000);
        QVERIFY(v->isVisible() && !v->showingThumbnail());
        const QSize area = v->area();
        // The picture in its place (fitted pictures are drawn by e2e_viewer_windows).
        QCOMPARE(v->canvas()->frame().size(), area);
        QCOMPARE(middle(v), QColor(Qt::red));
        QVERIFY(v->windowTitle().startsWith("(red.png) (Portable Network Graphics) (0-0-0)"));

        // Previous from row 1 wraps to the last; Page Up is next.
        for (const auto& [key, row] :
             {std::pair{Qt::Key_PageDown, 3}, {Qt::Key_PageUp, 1}, {Qt::Key_PageUp, 2}}) {
            QTest::keyClick(v, key);
            QTRY_VERIFY(v->idle());
            QCOMPARE(run.album().CurrentRow, row);
        }
        // Normal: 200 x 400 at its size, 0.4 of the free height above it, under the menu bar.
        v->action("mnuNormal")->trigger();
        QTRY_VERIFY(v->idle());
        QVERIFY(run.main.commandBar().checked("ID_ViewNormal"));
        const QImage normal = v->canvas()->frame();
        const int left = (area.width() - 200) / 2, ntop = int((v->height() - 400) * 0.4);
        QVERIFY(v->height() - area.height() >= 10); // a menu bar tall enough to tell
        QCOMPARE(normal.pixelColor(left + 2, ntop + 2), QColor(Qt::blue));
        QCOMPARE(normal.pixelColor(left + 2, ntop - 2), QColor(Qt::black));
        QCOMPARE(normal.pixelColor(left - 2, ntop + 2), QColor(Qt::black));

        // Enter in the annotation stores the description.
        v->annotation()->setEnabled(true);
        v->annotation()->setText("Bluest sky");
        QTest::keyClick(v->annotation(), Qt::Key_Return);
        QCOMPARE(run.main.browser().recordset()->recordAt(1)->description,
                 QStringLiteral("Bluest sky"));
    }

    void slideshow() {
        Run run;
        QVERIFY(test::writeFile(run.state.paths.AppDir + "Effects2.txt",
                                "0000) Wipe (from left) [5], 1\n"));
        FullPicture* v = startShow(run, m_album, "1");
        QVERIFY(v);
        SlideshowClock& clock = v->clock();
        QTRY_VERIFY(clock.isEnabled());
        QSignalSpy finished(v->canvas(), &PictureCanvas::transitionFinished);
        // Interval 1: the third tick asks for the next picture, prepared while red was shown.
        clock.tick();
        clock.tick();
        QCOMPARE(run.album().CurrentRow, 1);
        QSignalSpy shown(v, &FullPicture::pictureShown);
        clock.tick();
        QCOMPARE(run.album().CurrentRow, 2);
        QTRY_VERIFY(shown.size() == 1);
        QVERIFY(v->canvas()->inTransition());
        QTRY_VERIFY(finished.size() >= 1);
        // The transition ends on the new picture, never on an empty frame.
        QCOMPARE(middle(v), QColor(Qt::blue));
        QVERIFY(v->windowTitle().endsWith("(1-5-0)"));
        // The stop icon: the next tick closes the viewer.
        v->pressStopIcon();
        clock.tick();
        QTRY_VERIFY(!run.main.viewer());
        QCOMPARE(run.album().CurrentRow, 2);
        QVERIFY(!run.state.playback.SlideshowRunning);
    }

    // The next picture is made ready while one is shown, and the viewer is idle only once it is:
    // the interval's end then shows it without waiting for a decode.
    void slideshowShowsThePictureMadeReadyAhead() {
        const QString album = m_env.path("large.mdb");
        QVERIFY(AlbumDb::create(album, false).ok());
        {
            auto db = AlbumDb::open(album, {}, nullptr);
            QImage noise(3000, 2000, QImage::Format_RGB32);
            QRandomGenerator(5).fillRange(reinterpret_cast<quint32*>(noise.bits()),
                                          noise.sizeInBytes() / 4);
            const QByteArray jpeg = test::Encoded(noise, "JPEG", 90);
            for (const char* name : {"first.jpg", "second.jpg"}) {
                PictureRecord rec;
                rec.imageFile = QLatin1String(name);
                rec.imageFormat = QStringLiteral("10 JPEG File Interchange Format");
                QVERIFY(db->addRecordBytes(rec, jpeg).ok());
            }
        }
        Run run;
        FullPicture* v = startShow(run, album, "0");
        QVERIFY(v);
        QSignalSpy shown(v, &FullPicture::pictureShown);
        v->clock().tick();
        v->clock().tick();
        for (int i = 0; i < 5 && shown.isEmpty(); ++i)
            QCoreApplication::processEvents(); // never waits: a decode would not be done
        QCOMPARE(shown.size(), 1);
        QCOMPARE(run.album().CurrentRow, 2);
        v->pressStopIcon();
        v->clock().tick();
        QTRY_VERIFY(!run.main.viewer());
    }

    // A show passes over a record it cannot show and says so; opened by hand it gets the message.
    void slideshowPassesOverUndecodable() {
        const QString tiff = m_env.path("c.tiff");
        // A TIFF whose compressed strip, right after the header, is broken.
        QCOMPARE(
            QProcess::execute("convert", {"-size", "64x48", "xc:orange", "-compress", "zip", tiff}),
            0);
        QByteArray bytes = test::readFile(tiff);
        QVERIFY(bytes.startsWith("II*") && bytes.size() > 40);
        bytes.replace(8, 16, QByteArray(16, '\xff'));
        QVERIFY(test::writeFile(tiff, bytes));
        const QString path = test::MakeAlbum(
            m_env.path("show.mdb"),
            {{"red.png", "", "", test::MakePicture(m_env.path("r.png"), {64, 48}, Qt::red)},
             {"c.tiff", "", "", tiff, "17 TIFF (compressed)"},
             {"green.png", "", "", test::MakePicture(m_env.path("g.png"), {64, 48}, Qt::green)}});
        QVERIFY(!path.isEmpty());
        Run run;
        // The clock itself never changes the picture here: the test steps on.
        FullPicture* v = startShow(run, path, "1000");
        QVERIFY(v && v->clock().isEnabled());
        QCOMPARE(run.album().CurrentRow, 1);
        QVERIFY(v->notice()->isHidden());
        v->showNextPicture();
        QTRY_COMPARE(run.album().CurrentRow, 3);
        QTRY_VERIFY(v->idle() && !v->canvas()->inTransition());
        QCOMPARE(middle(v), QColor(Qt::green));
        QVERIFY(v->notice()->isVisible());
        QVERIFY2(v->notice()->text().contains("c.tiff"), qPrintable(v->notice()->text()));
        QVERIFY(v->clock().isEnabled());
        QCOMPARE(run.prompts.beeps(), 0);

        v->stopSlideshow();
        run.prompts.expectMessage("UNEXPECTED ERROR! (PELORUS: ShowFullPicture #2)");
        v->showPreviousPicture();
        QTRY_VERIFY(v->idle());
        QCOMPARE(run.prompts.asked().value(0).text,
                 QStringLiteral("Invalid or damaged image data (c.tiff)"));
        QVERIFY(v->notice()->isHidden()); // the message says it
        QCOMPARE(run.album().CurrentRow, 2);
        QTest::keyClick(v, Qt::Key_Escape);
        QTRY_VERIFY(!run.main.viewer());
    }

    void deletingAndFailures() {
        Run run;
        const QString copy = m_env.path("copy.mdb");
        QFile::remove(copy);
        QVERIFY(QFile::copy(m_album, copy));
        QVERIFY(test::OpenAlbum(run.main.browser(), copy));
        run.main.openViewer();
        QTRY_VERIFY_WITH_TIMEOUT(viewerIdle(run), 10000);
        FullPicture* v = run.main.viewer();
        v->showNextPicture();
        QTRY_VERIFY(v->idle());
        // After a deletion the record before the deleted one shows...
        run.prompts.expectMessage("WARNING", MsgResult::Ok);
        v->action("mnuDeleteImage")->trigger();
        QTRY_VERIFY(v->idle());
        QCOMPARE(run.album().RecordCount, 2);
        QCOMPARE(run.album().CurrentRow, 1);
        QCOMPARE(run.record().CurrentImageFile, QStringLiteral("red.png"));
        QCOMPARE(middle(v), QColor(Qt::red));
        QCOMPARE(run.main.browser().album()->rowCount(), 2);
        // ... or, at the start, the one after it.
        run.prompts.expectMessage("WARNING", MsgResult::Ok);
        v->action("mnuDeleteImage")->trigger();
        QTRY_VERIFY(v->idle());
        QCOMPARE(run.album().RecordCount, 1);
        QCOMPARE(run.album().CurrentRow, 1);
        QCOMPARE(run.record().CurrentImageFile, QStringLiteral("green.png"));
        QCOMPARE(middle(v), QColor(Qt::green));
        // A still picture can be printed from the viewer.
        QVERIFY(v->action("mnuPrint")->isEnabled());
        // A picture that cannot be decoded: the unexpected-error message, the viewer stays.
        run.prompts.expectMessage("UNEXPECTED ERROR! (PELORUS: ShowFullPicture #2)");
        const qint64 current = run.main.browser().recordset()->currentRowId();
        QVERIFY(run.main.browser()
                    .album()
                    ->storeBytes(current, PictureField::Image, "\x89PNG\r\n\x1a\n not really")
                    .ok());
        v->showCurrentPicture();
        QTRY_VERIFY(v->idle());
        QCOMPARE(run.prompts.beeps(), 1);
        // Clicking the picture closes the viewer.
        QTest::mouseClick(v->canvas(), Qt::LeftButton);
        QTRY_VERIFY(!run.main.viewer());
    }
};

QTEST_MAIN(TstFullPicture)
#include "tst_fullpicture.moc"
