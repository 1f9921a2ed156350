// Browsing an album in the main window: opening, the recent list, filters and the media.

#include "MainWindowRun.h"
#include "ModalWindows.h"
#include "PhotoVariants.h"
#include "TestAlbums.h"
#include "TestEnv.h"
#include "TestFiles.h"
#include "TestImages.h"
#include "album/AlbumMaintenance.h"
#include "album/AlbumMedia.h"
#include "album/AlbumThumbnails.h"
#include "album/PictureHashes.h"
#include "album/filebrowser/ui/FileBrowser.h"
#include "common/PreviewFit.h"
#include "output/gallery/ui/GalleryWindow.h"
#include "platform/player/VideoControl.h"
#include "shell/AlbumBrowser.h"
#include "shell/PreviewPrefetcher.h"
#include "shell/ui/CaptionBand.h"
#include "shell/ui/PreviewPane.h"
#include "shell/ui/ThumbnailPane.h"

#include <QAction>
#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMovie>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using namespace q32;

namespace {

struct Run : test::MainWindowRun {
    Run() { settings.storeText("Main", "SortBy", "0"); } // oldest first, whatever the default
    bool open(const QString& path) { return test::OpenAlbum(main.browser(), path); }
    // The file names in the grid, top to bottom.
    QStringList names() {
        QStringList out;
        for (int r = 0; r < main.grid()->model()->rowCount(); ++r)
            out << main.grid()->model()->index(r, 2).data().toString();
        return out;
    }
    CaptionBand* band() { return main.findChild<CaptionBand*>(); }
    // A Display By filter as its prompt answers it (by: "Keywords" or "Description"); the names.
    QStringList filter(const QString& by, const QString& text,
                       const char* order = "AscendingDate") {
        prompts.expectInput("DISPLAY BY " + by.toUpper(), text);
        main.runCommand(QStringLiteral("ID_DisplayBy%1(%2)").arg(by, QLatin1String(order)));
        return names();
    }
    // The band's "Clear Filter" button, as a person clicks it.
    void clearFilter() {
        auto* button = main.findChild<QToolButton*>("ClearFilter");
        QVERIFY(button && button->isVisibleTo(&main));
        button->click();
    }
};

using test::readFile;
using test::whenShown;

} // namespace

class TestBrowser : public QObject {
    Q_OBJECT
    test::TestEnv m_env;
    QString m_landscape, m_portrait, m_gif;

    QString path(const QString& name) const { return m_env.path(name); }

    QString makeAlbum(const QString& name, const QList<QStringList>& rows) {
        return test::MakeAlbum(path(name), rows, m_landscape);
    }

private slots:
    void initTestCase() {
        m_landscape = test::MakePicture(path("land.png"), {400, 200}, Qt::darkGreen);
        m_portrait = test::MakePicture(path("port.png"), {100, 300}, Qt::darkBlue);
        QVERIFY(!m_landscape.isEmpty() && !m_portrait.isEmpty());
        m_gif = path("anim.gif");
        QCOMPARE(QProcess::execute("convert",
                                   {"-size", "60x40", "xc:red", "xc:blue", "-loop", "0", m_gif}),
                 0);
    }

    void openingAndTheRecentList() {
        const QString a = makeAlbum("Family.mdb", {{"beach.png"}, {"hill.png"}, {"lake.png"}});
        const QString b = makeAlbum("trip.mdb", {{"one.png"}});
        Run run;
        run.open(a);
        QVERIFY(run.main.windowTitle().startsWith("Family.mdb  (3 images)  "));
        QCOMPARE(run.main.grid()->model()->rowCount(), 3);
        QCOMPARE(run.settings.storedText("Settings", "DBFile1"), "&1 " + a);
        QCOMPARE(run.main.commandBar().caption("ID_DBFile1"), "&1 " + a);
        QCOMPARE(run.record().CurrentImageFile, QStringLiteral("beach.png"));

        run.open(b);
        QVERIFY(run.main.windowTitle().startsWith("trip.mdb  (1 image)"));
        QCOMPARE(run.settings.storedText("Settings", "DBFile2"), "&2 " + a);
        // A name that differs only in case is another album with its own entry.
        const QString c = makeAlbum("family.mdb", {{"x.png"}, {"y.png"}});
        run.open(c);
        QCOMPARE(run.settings.storedText("Settings", "DBFile3"), "&3 " + a);
        QVERIFY(run.runToOpen("ID_DBFile3"));
        QCOMPARE(run.main.browser().album()->path(), a);
        QCOMPARE(run.settings.storedText("Settings", "DBFile1"), "&1 " + a);
        QCOMPARE(run.main.commandBar().caption("ID_DBFile2"), "&2 " + c);
        QCOMPARE(run.settings.storedText("Settings", "DBFile3"), "&3 " + b);
        QVERIFY(run.runToOpen("ID_DBFile2"));
        QCOMPARE(run.main.browser().album()->path(), c);
        QCOMPARE(run.album().RecordCount, 2);
        QCOMPARE(run.prompts.asked().size(), 0);
    }

    void emptyMissingAndForeignAlbums() {
        const QString empty = makeAlbum("empty.mdb", {});
        const QString kept = makeAlbum("kept.mdb", {{"one.png", "The first"}, {"two.png"}});
        Run run;
        run.prompts.expectMessage("FYI");
        run.open(empty);
        QCOMPARE(run.prompts.asked().last().text, QStringLiteral("No image in this Main."));
        QCOMPARE(run.album().RecordCount, 0);
        QVERIFY(!run.main.commandBar().tool("ID_SortByDate(Ascending)")->isEnabled());
        QVERIFY(run.main.windowTitle().startsWith("empty.mdb  (0 image)"));

        // A failed open leaves the album that was open as it was, and out of the recent list.
        run.open(kept);
        QCOMPARE(run.main.findChild<QLabel*>("Label2")->text(), QStringLiteral("The first"));
        const QString recent = run.settings.storedText("Settings", "DBFile1");
        auto stillKept = [&] {
            QCOMPARE(run.main.browser().album()->path(), kept);
            QCOMPARE(run.album().RecordCount, 2);
            QCOMPARE(run.record().CurrentImageFile, QStringLiteral("one.png"));
            QCOMPARE(run.main.grid()->model()->rowCount(), 2);
            QCOMPARE(run.main.findChild<QLabel*>("Label2")->text(), QStringLiteral("The first"));
            QVERIFY(run.main.windowTitle().startsWith("kept.mdb  (2 images)"));
            QCOMPARE(run.settings.storedText("Settings", "DBFile1"), recent);
            QCOMPARE(run.settings.storedText("Settings", "DBFile2"), "&2 " + empty);
        };

        run.prompts.expectMessage("FYI");
        QVERIFY(!run.open(path("Gone.mdb")));
        QCOMPARE(run.prompts.asked().last().text, "'" + path("Gone.mdb") + "' not found.");
        stillKept();

        QVERIFY(test::writeFile(path("notes.mdb"), "not an album"));
        run.prompts.expectMessage("UNEXPECTED ERROR! (PELORUS: OpenAlbum)");
        QVERIFY(!run.open(path("notes.mdb")));
        QCOMPARE(readFile(path("notes.mdb")), QByteArray("not an album"));
        stillKept();

        // Opening the empty album again clears what the last one showed.
        run.prompts.expectMessage("FYI");
        QVERIFY(run.open(empty));
        QVERIFY(run.main.findChild<QLabel*>("Label2")->text().isEmpty());
        QVERIFY(run.record().CurrentImageFile.isEmpty());
    }

    void readOnlyMediaOpenAfterTheWarning() {
        // A read-only medium: a small file system remounted read-only (needs root).
        const QString mnt = path("cdrom");
        QDir().mkpath(mnt);
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=4m", "tmpfs", mnt}) != 0)
            QSKIP("cannot mount a file system here");
        QVERIFY(QFile::copy(makeAlbum("ro.mdb", {{"a.png"}, {"b.png"}}), mnt + "/Holiday.mdb"));
        QCOMPARE(QProcess::execute("mount", {"-o", "remount,ro", mnt}), 0);
        {
            Run run;
            run.prompts.expectMessage("WARNING");
            run.open(mnt + "/Holiday.mdb");
            QCOMPARE(run.prompts.asked().last().text,
                     mnt + "/Holiday.mdb cannot be updated.  The Image Depository may reside on "
                           "read-only media such "
                           "as CD-ROM or network drive.  Images cannot be added or removed.");
            QCOMPARE(run.album().RecordCount, 2);
            QVERIFY(run.main.browser().album()->isReadOnly());
            // The failures are remembered: the next read-only album warns at once.
            run.prompts.expectMessage("WARNING");
            run.open(mnt + "/Holiday.mdb");
            QCOMPARE(run.main.browser().readOnlyFailures(), 3);
            QCOMPARE(run.prompts.pending(), 0);
        }
        QProcess::execute("umount", {mnt});
    }

    void threeWrongPasswordsAndTheRightOne() {
        const QString p = makeAlbum("secret.mdb", {{"a.png"}, {"b.png"}});
        QVERIFY(ChangeAlbumPassword(p, {}, "right").ok());
        const QString other = makeAlbum("other.mdb", {{"x.png"}});
        Run run;
        QVERIFY(run.open(other));
        // Each typed password that fails is named as wrong before the next try.
        for (const char* wrong : {"wrong1", "wrong2", "wrong3"})
            run.prompts.expectPassword(p, wrong).expectMessage("WARNING");
        QVERIFY(!run.open(p));
        QCOMPARE(run.prompts.asked().last().text, QStringLiteral("Access denied"));
        // The album that was open stays open.
        QCOMPARE(run.main.browser().album()->path(), other);
        QCOMPARE(run.album().RecordCount, 1);
        QVERIFY(run.album().AlbumPassword.isEmpty());

        // Cancel ends at once; the window closed by its frame tries the last answer again.
        run.prompts.expectPassword(p, "").expectMessage("WARNING");
        QVERIFY(!run.open(p));
        run.prompts.expectPassword(p, "bad").expectMessage("WARNING");
        run.prompts.expectPassword(p, std::nullopt).expectMessage("WARNING");
        run.prompts.expectPassword(p, "worse").expectMessage("WARNING");
        QVERIFY(!run.open(p));
        QCOMPARE(run.main.browser().album()->path(), other);

        // The file is opened off the interface thread: the window is back at once with the album
        // open before still in place, and another open meanwhile is refused.
        run.prompts.expectPassword(p, "nope").expectMessage("WARNING").expectPassword(p, "right");
        QSignalSpy opened(&run.main.browser(), &AlbumBrowser::albumOpened);
        run.main.browser().openAlbum(p);
        QVERIFY(run.main.browser().opening());
        QCOMPARE(run.main.browser().album()->path(), other);
        bool refused = false;
        run.main.browser().openAlbum(other, [&refused](bool ok) { refused = !ok; });
        QVERIFY(refused);
        QVERIFY(opened.wait(60000));
        QCOMPARE(opened.value(0).value(0).toBool(), true);
        QCOMPARE(run.album().RecordCount, 2);
        QCOMPARE(run.album().AlbumPassword, QStringLiteral("right"));
    }

    void sortingAndFiltering() {
        const QString p = makeAlbum("filters.mdb", {{"c.png", "Waves", "Seaside, beach"},
                                                    {"A.png", "Café in Zürich", "Mountains"},
                                                    {"b.png", "O'Brien's party", "forest"}});
        Run run;
        run.open(p);
        QCOMPARE(run.names(), QStringList({"c.png", "A.png", "b.png"}));
        QCOMPARE(run.filter("Keywords", "sea"), QStringList({"c.png"}));
        QVERIFY(run.main.windowTitle().startsWith("filters.mdb  (1 image)"));
        QCOMPARE(run.band()->filter(), QStringLiteral("Filter: Keywords contain \"sea\""));
        QCOMPARE(run.main.commandBar().tool("ID_DropDownFilters")->toolTip(),
                 QStringLiteral("Display Images With Keywords: sea"));
        QVERIFY(run.album().AlbumQuery.contains("LIKE '*sea*'"));

        // Cancelling the prompt leaves everything as it was.
        QCOMPARE(run.filter("Description", ""), QStringList({"c.png"}));
        QCOMPARE(run.settings.storedText("Main", "SortBy"), QStringLiteral("6"));

        QCOMPARE(run.filter("Description", "o'brien", "DescendingDate"), QStringList({"b.png"}));
        QCOMPARE(run.filter("Description", "ZÜRICH"), QStringList({"A.png"}));
        run.prompts.expectInput("DISPLAY BY DESCRIPTION", "xyz").expectMessage("FYI");
        run.main.runCommand("ID_DisplayByDescription(AscendingDate)");
        QCOMPARE(run.prompts.asked().last().text, QStringLiteral("No picture contains \"xyz\"!"));
        QCOMPARE(run.album().RecordCount, 0);
        QVERIFY(run.main.findChild<QLabel*>("Label2")->text().isEmpty());
        // The way out stays open, also once the tools are looked at again: every order and filter,
        // and the band's button, which keeps the filter's date order.
        run.main.enableRecordTools();
        for (const char* id : AlbumBrowser::kSortTools)
            QVERIFY2(run.main.commandBar().tool(id)->isEnabled(), id);
        QCOMPARE(run.band()->filter(), QStringLiteral("Filter: Description contains \"xyz\""));
        run.clearFilter();
        QCOMPARE(run.names(), QStringList({"c.png", "A.png", "b.png"}));
        QVERIFY(run.band()->filter().isEmpty());
        QCOMPARE(run.settings.storedText("Main", "SortBy"), QStringLiteral("0"));

        run.main.runCommand("ID_SortImageFile(Ascending)");
        QCOMPARE(run.names(), QStringList({"A.png", "b.png", "c.png"}));
        run.main.runCommand("ID_SortImageFile(Descending)");
        QCOMPARE(run.main.commandBar().tool("ID_DropDownFilters")->toolTip(),
                 QStringLiteral("Sort By Image File (Descending)"));

        // Ten clicks on the filter tool come back round, reusing the saved texts without asking.
        run.prompts.expectMessage("FYI").expectMessage("FYI");
        for (int i = 0; i < 10; ++i)
            run.main.runCommand("ID_DropDownFilters");
        QCOMPARE(run.settings.storedText("Main", "SortBy"), QStringLiteral("3"));
        QCOMPARE(run.names(), QStringList({"c.png", "b.png", "A.png"}));
        QCOMPARE(run.prompts.pending(), 0);
    }

    // Find Similar narrows the grid to a photo and its copies, nearest first, until Clear Filter.
    void findSimilarNarrowsTheGrid() {
        QVERIFY(test::MakePhoto(path("a.jpg"), 41));
        const QStringList copies = test::MakeVariants(path("a.jpg")); // half q50 crop bright png
        QCOMPARE(copies.size(), 5);
        QVERIFY(test::MakePhoto(path("b.jpg"), 42) && test::MakePhoto(path("c.jpg"), 43));
        const QString clip = QStringLiteral("94 QuickTime Movie");
        const QString p =
            test::MakeAlbum(path("similar.mdb"), {{"b.jpg", "", "", path("b.jpg")},
                                                  {"a-crop.jpg", "", "", copies[2]},
                                                  {"c.jpg", "", "", path("c.jpg")},
                                                  {"a.jpg", "", "", path("a.jpg")},
                                                  {"a-half.jpg", "", "", copies[0]},
                                                  {"film.mov", "", "", path("c.jpg"), clip},
                                                  {"a-bright.jpg", "", "", copies[3]}});
        QVERIFY(!p.isEmpty());
        Run run;
        QAction* tool = run.main.commandBar().tool("ID_FindSimilar");
        QVERIFY(run.open(p));
        const QStringList all = run.names();
        QCOMPARE(all.size(), 7);
        // No hashes yet: the background makes them with the thumbnails.
        run.main.thumbnails().setOn(true);
        auto reader = AlbumDb::open(p, OpenOptions{true}, nullptr);
        QVERIFY(reader);
        QTRY_COMPARE_WITH_TIMEOUT(ReadPictureHashes(*reader).size(), size_t(6), 30000);
        QVERIFY(ReadPictureHash(*reader, 6) && !*ReadPictureHash(*reader, 6)); // the clip

        run.main.selectRecord(4);
        QCOMPARE(run.record().CurrentImageFile, QStringLiteral("a.jpg"));
        // On again since no album was open: its tip has lost the reason it was off.
        QVERIFY(tool->isEnabled());
        QVERIFY(!tool->toolTip().contains('('));
        // Cancelled, or not a distance: nothing changes.
        run.prompts.expectInput("FIND SIMILAR", "");
        run.main.runCommand("ID_FindSimilar");
        run.prompts.expectInput("FIND SIMILAR", "seven").expectMessage("FIND SIMILAR");
        run.main.runCommand("ID_FindSimilar");
        QCOMPARE(run.prompts.asked().last().text,
                 QStringLiteral("\"seven\" is not a distance: give a whole number from 0 to 64."));
        QCOMPARE(run.names(), all);
        QVERIFY(run.band()->filter().isEmpty());

        run.prompts.expectInput("FIND SIMILAR", QString::number(kSimilarDistance));
        run.main.runCommand("ID_FindSimilar");
        const QStringList like = run.names();
        QCOMPARE(like.first(), QStringLiteral("a.jpg"));
        QCOMPARE(QSet<QString>(like.begin(), like.end()),
                 QSet<QString>({"a.jpg", "a-crop.jpg", "a-half.jpg", "a-bright.jpg"}));
        // Nearest first, by the hashes the album keeps.
        const quint64 own = **ReadPictureHash(*reader, 4);
        int last = 0;
        for (int r = 0; r < like.size(); ++r) {
            const qint64 id = run.main.browser().recordset()->rowIdAt(r);
            const int distance = HashDistance(own, **ReadPictureHash(*reader, id));
            QVERIFY(distance >= last && distance <= kSimilarDistance);
            last = distance;
        }
        QCOMPARE(run.album().RecordCount, 4);
        QVERIFY(run.main.windowTitle().startsWith("similar.mdb  (4 images)"));
        QCOMPARE(run.band()->filter(),
                 QStringLiteral("Filter: Pictures like \"a.jpg\" (within %1 of 64 bits)")
                     .arg(kSimilarDistance));
        QCOMPARE(run.settings.storedText("Main", "SimilarDistance"),
                 QString::number(kSimilarDistance));
        // The distance asked last is offered next time.
        run.main.selectRecord(2);
        run.prompts.expectInput("FIND SIMILAR", "0");
        run.main.runCommand("ID_FindSimilar");
        QCOMPARE(run.prompts.asked().last().defaultText, QString::number(kSimilarDistance));
        // Only pictures of the very same hash: the record itself first, never another photo.
        const QStringList same = run.names();
        QCOMPARE(same.first(), like[1]);
        for (const QString& name : same)
            QVERIFY(like.contains(name));

        run.clearFilter();
        QCOMPARE(run.names(), all);
        QVERIFY(run.band()->filter().isEmpty());
        // A clip has no picture to compare.
        run.main.selectRecord(6);
        QVERIFY(!tool->isEnabled());
        QVERIFY2(tool->toolTip().endsWith("(the current record is a clip)"),
                 qPrintable(tool->toolTip()));
        QCOMPARE(run.prompts.pending(), 0);
    }

    // Hashes made off the interface thread under a progress window, whose Cancel changes nothing.
    void findSimilarHashesInTheBackground() {
        QVERIFY(test::MakePhoto(path("bg-a.jpg"), 51));
        const QStringList copies = test::MakeVariants(path("bg-a.jpg"));
        QList<QStringList> rows = {{"a.jpg", "", "", path("bg-a.jpg")},
                                   {"a-half.jpg", "", "", copies[0]},
                                   {"a-png.png", "", "", copies[4]}};
        for (int i = 0; i < 12; ++i) {
            const QString other = path(QStringLiteral("bg-%1.jpg").arg(i));
            QVERIFY(test::MakePhoto(other, 60 + i));
            rows.append({QStringLiteral("z%1.jpg").arg(i, 2, 10, QLatin1Char('0')), "", "", other});
        }
        const QString p = test::MakeAlbum(path("background.mdb"), rows);
        Run run;
        QVERIFY(run.open(p));
        const int all = run.main.grid()->model()->rowCount();
        const QString current = run.record().CurrentImageFile;
        QVERIFY(current.startsWith('a'));
        const auto progress = [&run] {
            return run.main.findChild<QProgressDialog*>("FindSimilarProgress");
        };
        run.prompts.expectInput("FIND SIMILAR", QString::number(kSimilarDistance));
        run.main.runCommand("ID_FindSimilar");
        QVERIFY(progress());
        progress()->findChild<QPushButton*>()->click();
        QTRY_VERIFY(!progress());
        QCOMPARE(run.main.grid()->model()->rowCount(), all);
        QVERIFY(run.band()->filter().isEmpty());

        run.prompts.expectInput("FIND SIMILAR", QString::number(kSimilarDistance));
        run.main.runCommand("ID_FindSimilar");
        QVERIFY(progress());
        QTRY_VERIFY_WITH_TIMEOUT(!run.band()->filter().isEmpty(), 30000);
        QVERIFY(!progress());
        QCOMPARE(run.main.grid()->model()->rowCount(), 3); // the three a's
        QCOMPARE(run.record().CurrentImageFile, current);
    }

    // Content hashes (SHA-256 of the stored picture) are made in the background once open.
    void contentHashesAreMadeInTheBackground() {
        QVERIFY(test::MakePhoto(path("h1.jpg"), 71));
        QVERIFY(test::MakePhoto(path("h2.jpg"), 72));
        const QString p =
            test::MakeAlbum(path("unhashed.mdb"), {{"h1.jpg", "", "", path("h1.jpg")},
                                                   {"h2.jpg", "", "", path("h2.jpg")}});
        QVERIFY(AlbumDb::open(p, {}, nullptr)->connection().exec("DELETE FROM ContentHashes").ok());
        const auto kept = [&p] {
            QMap<qint64, QByteArray> hashes;
            auto reader = AlbumDb::open(p, {true, {}}, nullptr);
            sqlite::Statement st =
                reader->connection().prepare("SELECT ID, Sha256 FROM ContentHashes");
            while (st.step() == SQLITE_ROW)
                hashes.insert(st.int64(0), st.blob(1));
            return hashes;
        };
        QVERIFY(kept().isEmpty());
        Run run;
        QVERIFY(run.open(p));
        const auto sha = [this](const char* name) {
            return QCryptographicHash::hash(test::readFile(path(name)), QCryptographicHash::Sha256);
        };
        QTRY_COMPARE(kept(), (QMap<qint64, QByteArray>{{1, sha("h1.jpg")}, {2, sha("h2.jpg")}}));
    }

    // File > Export Web Gallery writes the records of the filter in force.
    void webGalleryOfTheFilterInForce() {
        const QString p = makeAlbum(
            "gallery.mdb", {{"c.png", "Waves", "Seaside, beach"}, {"A.png", "Café", "Mountains"}});
        Run run;
        run.open(p);
        run.filter("Keywords", "sea");
        run.main.runCommand("ID_ExportWebGallery");
        auto* window = run.main.findChild<GalleryWindow*>();
        QVERIFY(window && window->isVisible() && window->isModal());
        window->findChild<QLineEdit*>("Folder")->setText(path("web"));
        run.prompts.expectMessage("Export Web Gallery");
        window->findChild<QPushButton*>("Export")->click();
        QSignalSpy finished(window->job(), &GalleryJob::finished);
        QVERIFY(finished.wait(30000));
        QCOMPARE(QDir(path("web/pages")).entryList(QDir::Files), QStringList{"1.html"});
        QVERIFY(readFile(path("web/pages/1.html")).contains("c.png"));
    }

    // A kept filter that matches nothing in an album: it opens in the filter's date order.
    void aKeptFilterNeverLocksAnAlbum() {
        const QString trip = makeAlbum("trip2.mdb", {{"a.png", "", "holiday, sea"}, {"b.png"}});
        const QString work = makeAlbum("work.mdb", {{"m.png"}, {"n.png"}, {"o.png"}});
        Run run;
        run.open(trip);
        run.filter("Keywords", "holiday", "DescendingDate");
        QCOMPARE(run.album().RecordCount, 1);
        run.prompts.expectMessage("FYI");
        QVERIFY(run.open(work));
        QCOMPARE(run.prompts.asked().last().text,
                 QStringLiteral("No picture contains \"holiday\"!"));
        QCOMPARE(run.album().RecordCount, 3);
        QCOMPARE(run.record().CurrentImageFile, QStringLiteral("o.png")); // newest first
        QCOMPARE(run.settings.storedText("Main", "SortBy"), QStringLiteral("1"));
        QVERIFY(run.band()->filter().isEmpty());
        for (const char* id : AlbumBrowser::kSortTools)
            QVERIFY2(run.main.commandBar().tool(id)->isEnabled(), id);
    }

    // Browse Picture Files previews beside the window; leaving it puts the record back.
    void browsingPictureFilesAndCancelling() {
        const QString p = makeAlbum("browsed.mdb", {{"land.png", "Kept"}});
        QDir().mkpath(path("browse"));
        QDir().mkpath(path("nothing"));
        QVERIFY(QFile::copy(m_portrait, path("browse/tall.png")));
        Run run;
        run.settings.storeText("Directories", "ThumbNailsDir", path("browse"));
        run.main.startUp();
        run.open(p);
        QLabel* lead2 = run.main.preview().picture();
        auto* label2 = run.main.findChild<QLabel*>("Label2");
        const QSize frame = run.main.preview().frame()->size();
        QTRY_COMPARE(lead2->geometry(), PreviewPlace({400, 200}, frame));

        // A file clicked, then Cancel.
        QString shownWhileOpen;
        whenShown<FileBrowser>([&](FileBrowser* b) {
            auto* files = b->findChild<QListWidget*>("File1");
            emit files->itemClicked(files->item(0));
            shownWhileOpen = label2->text();
            b->findChild<QPushButton*>("Command3D1_0")->click();
        });
        run.main.runCommand("ID_BrowseFolder");
        QVERIFY(shownWhileOpen.startsWith("tall.png  (100x300)"));
        QCOMPARE(label2->text(), QStringLiteral("Kept"));
        QTRY_VERIFY(run.main.preview().idle());
        QCOMPARE(lead2->geometry(), PreviewPlace({400, 200}, frame));

        // An empty folder: Cancel leaves the window as it was; OK can't keep it and says so.
        for (const char* button : {"Command3D1_0", "Command3D1_1"}) {
            whenShown<FileBrowser>([&](FileBrowser* b) {
                b->session().setFolder(path("nothing"));
                b->findChild<QPushButton*>(button)->click();
            });
            run.main.runCommand("ID_BrowseFolder");
        }
        QCOMPARE(label2->text(), QStringLiteral("Empty directory!"));
        QTRY_VERIFY(run.main.preview().idle());
        QCOMPARE(lead2->geometry(), PreviewPlace({400, 200}, frame));
        // Neither changed the folder the browser keeps.
        QCOMPARE(run.settings.get(key::ThumbNailsDir), path("browse"));

        // Where the browser opens: its stored place when the preview stays in sight, else
        // beside the preview (right, else left), always on the screen.
        const QRect screen(0, 0, 1600, 1000), preview(10, 80, 300, 240);
        const QSize size(640, 630);
        QCOMPARE(BrowserPlace(preview, size, screen, QPoint(700, 50)), QPoint(700, 50));
        QCOMPARE(BrowserPlace(preview, size, screen, QPoint(0, 0)), QPoint(322, 80));
        QCOMPARE(BrowserPlace(preview.translated(1000, 0), size, screen, std::nullopt),
                 QPoint(358, 80));
    }

    // A picture that can't be decoded shows why, in the status line and in the frame.
    void aDamagedPictureSaysWhy() {
        const QByteArray png = readFile(m_landscape);
        QVERIFY(test::writeFile(path("cut.png"), png.left(png.size() / 2)));
        const QString p = makeAlbum(
            "damaged.mdb", {{"good.png", "Fine"}, {"cut.png", "Cut", "", path("cut.png")}});
        Run run;
        run.open(p);
        auto* label2 = run.main.findChild<QLabel*>("Label2");
        QTRY_VERIFY(run.main.preview().idle());
        run.main.selectRecord(2);
        QTRY_COMPARE(label2->text(), QStringLiteral("Image file is incomplete (cut.png)"));
        QLabel* lead2 = run.main.preview().picture();
        QVERIFY(lead2->isVisibleTo(&run.main));
        QCOMPARE(lead2->text(), QStringLiteral("Image file is incomplete"));
        // A click on it says why again rather than open a viewer with nothing to show.
        label2->setText("Cut");
        QTest::mouseClick(lead2, Qt::LeftButton);
        QCOMPARE(label2->text(), QStringLiteral("Image file is incomplete (cut.png)"));
        QVERIFY(!run.main.viewer());
    }

    void mediaAreReadFromTheAlbum() {
        const QString p = path("media.mdb");
        QFile::remove(p);
        QVERIFY(AlbumDb::create(p, true).ok());
        auto album = AlbumDb::open(p, {}, nullptr);
        auto add = [&](const QString& name, const QString& format, const QByteArray& image,
                       const QByteArray& sound) {
            qint64 id = 0;
            album->addRecord(
                {.date = QDate::currentDate(), .imageFile = name, .imageFormat = format}, {}, &id);
            album->storeBytes(id, PictureField::Image, image);
            if (!sound.isNull())
                album->storeBytes(id, PictureField::SoundFile, sound);
        };
        const QByteArray still8192 = test::randomBytes(8192, 1),
                         still8193 = test::randomBytes(8193, 2),
                         clip = test::randomBytes(100000, 3), sound = test::randomBytes(8193, 4);
        add("a8192.jpg", "10 JPEG File Interchange Format", still8192, sound);
        add("b8193.jpg", "10 JPEG File Interchange Format", still8193, {});
        add("c.gif", "84 GIF", readFile(m_gif), {});
        add("d.mpg", "93 MPEG", clip, {});
        add("e-empty.jpg", "10 JPEG File Interchange Format", QByteArray(""), {});
        const QString animated = path("anim.webp"), still = path("still.webp");
        QCOMPARE(QProcess::execute("convert", {m_gif, animated}), 0);
        QCOMPARE(QProcess::execute("convert", {m_landscape, still}), 0);
        add("f-anim.webp", "87 WebP", readFile(animated), {});
        add("g-still.webp", "87 WebP", readFile(still), {});
        album.reset();

        Run run;
        run.settings.storeText("Main", "SortBy", "2"); // by file name
        run.open(p);
        // Fields read whole across the reader's pieces, and a clip streamed from anywhere.
        AlbumMedia* media = run.main.browser().mediaSource();
        const auto rowId = [&run](int row) {
            return run.main.browser().recordset()->rowIdAt(row - 1);
        };
        const auto read = [&](int row, PictureField field) {
            return media->read(rowId(row), field).result();
        };
        QCOMPARE(read(1, PictureField::Image), still8192);
        QCOMPARE(read(1, PictureField::SoundFile), sound);
        QCOMPARE(read(2, PictureField::Image), still8193);
        QCOMPARE(read(2, PictureField::SoundFile), QByteArray());
        const std::shared_ptr<QIODevice> stream =
            media->openStream(rowId(4), PictureField::Image).result();
        QVERIFY(stream && stream->isOpen());
        QCOMPARE(stream->size(), clip.size());
        QVERIFY(stream->seek(clip.size() - 1000));
        QCOMPARE(stream->read(4096), clip.right(1000));
        QVERIFY(stream->seek(777));
        QCOMPARE(stream->read(60000), clip.mid(777, 60000));
        QVERIFY(!media->openStream(rowId(5), PictureField::Image).result());
        {
            // A read under way when its reader closes ends cancelled: what follows it must not
            // run on a result that is not there.
            QVERIFY(AlbumDb::create(path("reader.mdb"), false).ok());
            auto album = AlbumDb::open(path("reader.mdb"), {}, nullptr);
            qint64 id = 0;
            QVERIFY(album->addRecord({.imageFile = "big.jpg"}, {}, &id).ok());
            QVERIFY(
                album->storeBytes(id, PictureField::Image, test::randomBytes(32 << 20, 5)).ok());
            QFuture<qsizetype> after;
            {
                AlbumMedia closing(*album);
                after = closing.read(id, PictureField::Image).then([](const QByteArray& bytes) {
                    return bytes.size();
                });
            }
            after.waitForFinished();
            QVERIFY(after.isCanceled());
        }

        QVERIFY(run.main.preview().soundIndicator()->isVisibleTo(&run.main));
        QVERIFY(run.main.browser().playCurrentSound(run.main.preview().player()));
        run.main.selectRecord(2);
        QVERIFY(!run.main.preview().soundIndicator()->isVisibleTo(&run.main));
        QVERIFY(!run.main.browser().playCurrentSound(run.main.preview().player()));

        QLabel* lead2 = run.main.preview().picture();
        run.main.selectRecord(3);
        QTRY_VERIFY(lead2->movie());
        QCOMPARE(lead2->movie()->frameCount(), readFile(m_gif).count("\x21\xf9"));
        QCOMPARE(run.record().CurrentFormatName, QStringLiteral("GIF"));

        // An empty field says so (a clip in the preview is e2e_browse_sample's).
        run.prompts.expectMessage("ERROR");
        run.main.selectRecord(5);
        QCOMPARE(run.prompts.asked().last().text,
                 QStringLiteral("Error retrieving image file from the Image Depository."));

        // An animated WebP plays as a GIF does; a still one is a picture.
        run.main.selectRecord(6);
        QTRY_VERIFY(lead2->movie());
        QCOMPARE(lead2->movie()->frameCount(), 2);
        run.main.selectRecord(7);
        QCOMPARE(run.main.browser().media().kind, MediaKind::Still);
        QTRY_VERIFY(run.main.preview().idle());
        QVERIFY(!lead2->movie());
    }

    void theThumbnailShowsUntilThePictureIsDecoded() {
        const QString red = test::MakePicture(path("red.png"), {800, 600}, Qt::red);
        const QString blue = test::MakePicture(path("blue.png"), {800, 600}, Qt::blue);
        // The blue ones far enough away not to be decoded ahead while another record is shown.
        QList<QStringList> rows{{"a-red.png", "", "", red}};
        for (const char* name : {"b-blue.png", "c-blue.png", "d-blue.png", "e-blue.png"})
            rows.append({name, "", "", blue});
        const QString p = test::MakeAlbum(path("thumbfirst.mdb"), rows);
        // A thumbnail of another colour tells the two apart.
        QVERIFY(StoreThumbnail(*AlbumDb::open(p, {}, nullptr), 1,
                               test::Encoded(test::Filled({160, 120}, Qt::green), "JPEG"))
                    .ok());

        Run run;
        run.open(p);
        QTRY_VERIFY(run.main.preview().idle());
        run.main.selectRecord(5);
        QTRY_VERIFY(run.main.preview().idle());
        QLabel* lead2 = run.main.preview().picture();
        const auto centre = [lead2] {
            const QImage shown = lead2->pixmap().toImage();
            return shown.pixelColor(shown.width() / 2, shown.height() / 2);
        };
        // Before the event loop runs again: the thumbnail, where the picture will be.
        run.main.selectRecord(1);
        QVERIFY(run.main.preview().showingThumbnail());
        QVERIFY(lead2->isVisibleTo(&run.main));
        QVERIFY(centre().green() > 200 && centre().red() < 60);
        const QRect placed = lead2->geometry();
        QTRY_VERIFY(run.main.preview().idle());
        QVERIFY(!run.main.preview().showingThumbnail());
        QVERIFY(centre().red() > 200 && centre().green() < 60);
        QCOMPARE(lead2->geometry(), placed);
        // Without a thumbnail the picture still comes.
        run.main.selectRecord(5);
        QVERIFY(!run.main.preview().showingThumbnail());
        QTRY_VERIFY(run.main.preview().idle());
        QVERIFY(centre().blue() > 200 && centre().red() < 60);
    }

    void navigationAndThePreviewPlace() {
        const QString p = makeAlbum("nav.mdb", {{"land.png"},
                                                {"port.png", "", "", m_portrait},
                                                {"anim.gif", "", "", m_gif, "84 GIF"}});
        Run run;
        run.open(p);
        QLabel* lead2 = run.main.preview().picture();
        const QSize frame = run.main.preview().frame()->size();
        QTRY_VERIFY(lead2->isVisibleTo(&run.main));

        // The next picture is decoded ahead while the window idles; a GIF is not.
        PreviewPrefetcher& ahead = run.main.previewsAhead();
        const qint64 portId = run.main.browser().recordset()->rowIdAt(1);
        const qint64 gifId = run.main.browser().recordset()->rowIdAt(2);
        auto stamp = [&run] { return run.main.browser().album()->changeStamp(); };
        QTRY_VERIFY(ahead.picture(portId, frame, stamp()));
        QCOMPARE(ahead.picture(portId, frame, stamp())->pictureSize, QSize(100, 300));
        QVERIFY(!ahead.picture(gifId, frame, stamp()));
        run.main.moveRecord(Step::Next);
        QVERIFY(lead2->isVisibleTo(&run.main));
        QVERIFY(run.main.preview().idle());
        QCOMPARE(run.album().CurrentRow, 2);
        // A picture decoded before the album changed is not shown for the changed one.
        const qint64 landId = run.main.browser().recordset()->rowIdAt(0);
        QTRY_VERIFY(ahead.picture(landId, frame, stamp()));
        QVERIFY(
            run.main.browser().album()->storeFile(landId, PictureField::Image, m_portrait).ok());
        QVERIFY(!ahead.picture(landId, frame, stamp()));
        QVERIFY(
            run.main.browser().album()->storeFile(landId, PictureField::Image, m_landscape).ok());

        run.main.moveRecord(Step::Last);
        QCOMPARE(run.record().CurrentImageFile, QStringLiteral("anim.gif"));
        QTRY_VERIFY(lead2->movie());

        // Next on the last row keeps the record shown.
        run.main.moveRecord(Step::Next);
        QCOMPARE(run.album().CurrentRow, 3);
        QVERIFY(lead2->isVisibleTo(&run.main));
        QCOMPARE(run.main.grid()->currentIndex().row(), 2);
        run.main.moveRecord(Step::First);
        QCOMPARE(run.album().CurrentRow, 1);
        QTRY_VERIFY(lead2->isVisibleTo(&run.main));
        run.main.moveRecord(Step::Previous);
        QCOMPARE(run.album().CurrentRow, 1);
        QVERIFY(lead2->isVisibleTo(&run.main));

        // The arrow keys move through the records too.
        run.main.grid()->setFocus();
        QTest::keyClick(run.main.grid(), Qt::Key_Down);
        QTRY_COMPARE(run.album().CurrentRow, 2);
        QCOMPARE(run.record().CurrentImageFile, QStringLiteral("port.png"));
        QTest::keyClick(run.main.grid(), Qt::Key_Up);
        QTRY_COMPARE(run.album().CurrentRow, 1);

        // Clicks that come faster than the decoding: the last one wins.
        run.main.selectRecord(2);
        run.main.selectRecord(1);
        QTRY_VERIFY(run.main.preview().idle());
        QCOMPARE(lead2->geometry(), PreviewPlace({400, 200}, frame));
    }
};

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
