// The scanner of the Add Images window over SANE's real "test" device: a page acquired, listed,
// stored, and its size in the album; no scanner at all; a scan cancelled.

#include "AddImagesTestData.h"
#include "album/addimages/AddImagesList.h"
#include "album/addimages/AddImagesScanner.h"
#include "platform/imaging/Imaging.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

using namespace q32;

namespace {

// Points SANE at a configuration folder whose dll.conf names only the given backends.
void useBackends(const QString& folder, const QByteArray& backends) {
    QDir().mkpath(folder);
    QVERIFY(test::writeFile(folder + "/dll.conf", backends));
    qputenv("SANE_CONFIG_DIR", folder.toLocal8Bit());
}

struct Window : test::AddImages {
    Window() { window.load(); }
    // Presses the scanner button and waits for the page (or the message).
    bool scan() {
        QSignalSpy running(&window.scanner(), &AddImagesScanner::runningChanged);
        window.scanner().scan();
        return running.wait(20000) || running.size() >= 2;
    }
};

} // namespace

class TestAddImagesScanner : public QObject {
    Q_OBJECT
private slots:
    void testDeviceGivesAPageThatIsStored() {
        Window w;
        useBackends(w.env.path("sane"), "test\n");
        {
            SaneSession sane;
            QVERIFY(sane.ok());
            QVERIFY(std::ranges::any_of(sane.devices(),
                                        [](const ScannerDevice& d) { return d.name == "test:0"; }));
            const ScannerOptions options = sane.options("test:0");
            QVERIFY(options.sources.contains("Flatbed"));
            QVERIFY(options.resolutions.contains(300));
            QCOMPARE(options.resolution, 100); // its own default is unusable
        }

        QSignalSpy progress(&w.window.scanner(), &AddImagesScanner::progress);
        QVERIFY(w.scan());
        const QString page = w.env.appDir() + "scan1.scf";
        QCOMPARE(w.window.list()->paths(), QStringList({page}));
        QCOMPARE(w.window.currentImagePath(), page);
        QVERIFY(progress.size() >= 2);
        QCOMPARE(progress.last().at(0).toInt(), 100);
        ImageInfo info;
        QCOMPARE(ReadImageInfo(page, info), ImagingCondition::None);
        QCOMPARE(info.formatCode, 6); // native storage: a Windows bitmap at 24 bits
        QCOMPARE(info.bitsPerPixel, 24);
        // The test device's page is 80 x 100 mm: at 100 dpi, 314 x 393 pixels.
        QCOMPARE(info.size(), QSize(314, 393));

        w.window.setAlbumPath(w.env.path("scans.mdb"));
        w.prompts.expectMessage("ALLOW DUPLICATE IMAGE FILE NAMES", MsgResult::No);
        w.prompts.expectInput("Image File Name", "First scan");
        w.prompts.expectInput("Image Description", "");
        test::expectRunEnd(w.prompts);
        const QByteArray scanned = test::readFile(page);
        w.add();
        QVERIFY(!QFile::exists(page)); // scanner pages go when the run ends
        AlbumStatus status;
        auto album = AlbumDb::open(w.window.albumPath(), {true, {}}, &status);
        QVERIFY(album);
        const auto row = album->record(1);
        QVERIFY(row);
        QCOMPARE(row->imageFile, QStringLiteral("First scan"));
        QVERIFY2(row->imageProperties.contains("(314x393) (16,777,216 colors)"),
                 qPrintable(row->imageProperties));
        QCOMPARE(album->readBytes(1, PictureField::Image), scanned);

        // Compressed storage saves the next page as JPEG, under the next number.
        Window again;
        again.options.CompressStorage = true;
        QVERIFY(again.scan());
        QVERIFY(again.scan());
        QCOMPARE(again.window.list()->rowCount(), 2);
        QCOMPARE(ReadImageInfo(again.env.appDir() + "scan2.scf", info), ImagingCondition::None);
        QCOMPARE(info.formatCode, 10);
    }

    void noScannerAndCancelledScan() {
        Window w;
        useBackends(w.env.path("none"), "");
        w.prompts.expectMessage("WARNING");
        QVERIFY(w.scan());
        QCOMPARE(w.prompts.asked().last().text, QStringLiteral("Scanner not ready."));
        QCOMPARE(w.prompts.asked().last().style, 48);
        QCOMPARE(w.prompts.beeps(), 1);
        QCOMPARE(w.window.list()->rowCount(), 0);

        // A big page, cancelled as soon as it starts: no message, nothing listed.
        useBackends(w.env.path("sane"), "test\n");
        w.window.scanner().saveSettings({"test:0", "Flatbed", 1200});
        QSignalSpy running(&w.window.scanner(), &AddImagesScanner::runningChanged);
        w.window.scanner().scan();
        QVERIFY(w.window.scanner().running());
        w.window.scanner().cancel();
        QVERIFY(running.wait(20000));
        QCOMPARE(w.window.list()->rowCount(), 0);
        QVERIFY(!QFile::exists(w.env.appDir() + "scan2.scf"));
    }
};

QTEST_MAIN(TestAddImagesScanner)
#include "tst_addimages_scanner.moc"
