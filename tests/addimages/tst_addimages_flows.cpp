// The Add Images window's procedures, headless with scripted answers, over real albums and
// real pictures: the add run in all its endings, the list, the folder, the search.

#include "AddImagesTestData.h"
#include "TestAlbums.h"
#include "album/addimages/AddImagesList.h"
#include "album/addimages/AddImagesSearch.h"
#include "album/addimages/AddImagesStartup.h"
#include "album/filebrowser/FileBrowserPatterns.h"

#include <QDir>
#include <QItemSelectionModel>
#include <QProcess>
#include <QSignalSpy>
#include <QStringListModel>
#include <QTest>

using namespace q32;
using test::albumContents;
using test::contentsOf;
using test::makePicture;
using test::readFile;

using Window = test::AddImages;

class TestAddImagesFlows : public QObject {
    Q_OBJECT
private slots:
    void oneMoreFileIsNamedAndTheAlbumProtectedThenAsksOnce() {
        Window w;
        const QString album = w.path("family.mdb");
        QVERIFY(makePicture(w.path("old.jpg"), 7));
        QCOMPARE(test::MakeAlbum(album, {{"old.jpg"}}, w.path("old.jpg")), album);
        const QString sunset = w.path("sunset.png");
        QVERIFY(makePicture(sunset, 3, {120, 80}));
        w.window.setAlbumPath(album);
        w.window.load({sunset});
        w.prompts.expectInput("Image File Name", "Evening sky");
        w.prompts.expectInput("Image Description", "From the balcony");
        w.prompts.expectMessage("FYI");
        w.prompts.expectNewPassword("SECURITY", "s3cret");
        w.add();
        QCOMPARE(w.window.run().albumRows(), 2);
        QVERIFY(albumContents(album).isEmpty()); // protected now: no open without the password
        auto rows = albumContents(album, "s3cret");
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.value("Evening sky"), readFile(sunset));

        // Protected, it asks for its password once, and no protect question at the end.
        Window again;
        const QStringList files = again.listPictures("pics", 2);
        again.window.setAlbumPath(album);
        again.prompts.expectInput("SECURED ALBUM", "s3cret");
        again.prompts.expectMessage("FYI");
        again.add();
        rows = albumContents(album, "s3cret");
        rows.remove("old.jpg");
        rows.remove("Evening sky");
        QCOMPARE(rows, contentsOf(files));
    }

    void picturesAlreadyInTheAlbumAreSkippedAndPhotosDatedWhenTaken() {
        Window w;
        const QString album = w.path("album.mdb");
        QVERIFY(AlbumDb::create(album, false).ok());
        QDir().mkpath(w.path("pics"));
        QVERIFY(makePicture(w.path("pics/a.jpg"), 1));
        for (const char* copy : {"pics/b.jpg", "pics/c.jpg"})
            QVERIFY(QFile::copy(w.path("pics/a.jpg"), w.path(copy)));
        QVERIFY(makePicture(w.path("pics/d.jpg"), 2));
        QCOMPARE(QProcess::execute("exiftool",
                                   {"-q", "-overwrite_original",
                                    "-DateTimeOriginal=2011:02:03 04:05:06", w.path("pics/d.jpg")}),
                 0);
        w.window.load();
        w.window.setSkipDuplicates(true);
        w.options.DateTakenFromPhoto = true;
        w.window.pointFileBoxAt(w.path("pics"), {});
        w.window.addAllFiles();
        w.window.setAlbumPath(album);
        test::expectRunEnd(w.prompts);
        w.add();
        QCOMPARE(w.prompts.asked().value(0).text,
                 QStringLiteral("2 stored, 2 skipped, 0 failed.\n\n"
                                "These pictures are already in the album and were not added:\n"
                                "b.jpg: the same picture as record 1 (a.jpg)\n"
                                "c.jpg: the same picture as record 1 (a.jpg)"));
        QCOMPARE(albumContents(album).keys(), QStringList({"a.jpg", "d.jpg"}));
        AlbumStatus status;
        auto opened = AlbumDb::open(album, {true}, &status);
        QCOMPARE(opened->record(1)->date, QDate::currentDate()); // no date taken: today
        QCOMPARE(opened->record(2)->date, QDate(2011, 2, 3));
        QCOMPARE(w.settings.storedText("Options", "SkipDuplicates"), QStringLiteral("-1"));
    }

    void anotherProgramsFileIsLeftAlone() {
        Window w;
        const QString other = w.path("notes.mdb");
        QVERIFY(test::writeFile(other, "Shopping list: bread, milk\n"));
        w.listPictures("pics", 1);
        w.window.addAllFiles(); // a second entry, so no naming prompts
        w.window.setAlbumPath(other);
        w.prompts.expectMessage("UNEXPECTED ERROR! (PELORUS6: Command3D4_Click #2)");
        w.prompts.expectMessage("FYI", MsgResult::Yes);
        w.add();
        QCOMPARE(w.prompts.asked().first().text, QStringLiteral("This is not an Quillon 32 Main."));
        QCOMPARE(readFile(other), QByteArray("Shopping list: bread, milk\n"));
    }

    void readOnlyAlbumIsRefusedAfterOneRetry() {
        Window w;
        const QString mnt = w.path("ro");
        QDir().mkpath(mnt);
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=4m", "tmpfs", mnt}) != 0)
            QSKIP("cannot mount a file system here");
        const QString album = mnt + "/album.mdb";
        const bool created = AlbumDb::create(album, false).ok();
        QProcess::execute("mount", {"-o", "remount,ro", mnt});
        w.listPictures("pics", 2);
        w.window.setAlbumPath(album);
        w.prompts.expectMessage("ERROR");
        w.prompts.expectMessage("FYI", MsgResult::No);
        w.add();
        const QByteArray before = readFile(album);
        QProcess::execute("umount", {mnt});
        QVERIFY(created);
        QCOMPARE(w.prompts.asked().first().text, album + " is read-only.");
        QVERIFY(!before.isEmpty());
    }

    void cancelStopsAfterAStoredItem() {
        Window w;
        QStringList files = w.listPictures("pics", 5);
        // The third file is damaged: its message comes while the run waits, and "&Cancel" is
        // pressed then.
        files[2] = w.path("pics/p2.png");
        QVERIFY(test::makeDamagedPicture(files[2], 2));
        w.window.clearList();
        w.window.list()->append(files);
        w.window.setAlbumPath(w.path("stopped.mdb"));
        // Asked on the window's thread while the run's worker waits for the answer.
        w.prompts.onAsked = [&](const test::Asked& m) {
            if (m.title.endsWith("#1)"))
                QVERIFY(!w.window.cancel()); // the run is still going: it only stops
        };
        QStringList reported;
        QObject::connect(&w.window.run(), &AddImagesRun::stored,
                         [&](const QStringList& f) { reported << f; });
        w.prompts.expectMessage("ALLOW DUPLICATE IMAGE FILE NAMES", MsgResult::No);
        w.prompts.expectMessage("UNEXPECTED ERROR! (AddImages: Command3D4_Click #1)");
        test::expectRunEnd(w.prompts);
        w.add();
        QCOMPARE(reported, files.mid(0, 2));
        // The end says what became of each file.
        QVERIFY(w.prompts.asked().at(2).text.startsWith(
            "2 stored, 0 skipped, 1 failed.\n2 more were not tried: the run ended before them."
            "\n\nFailed:\np2.png: "));
        // What was reported stored is in the album byte for byte, and nothing more.
        QCOMPARE(albumContents(w.path("stopped.mdb")), contentsOf(reported));
        QCOMPARE(w.window.run().albumRows(), 2);
    }

    void damagedPictureIsReportedAndTheRunGoesOn() {
        Window w;
        const QStringList files = w.listPictures("pics", 2);
        QVERIFY(test::makeDamagedPicture(w.path("bad.png"), 9));
        w.window.clearList();
        w.window.list()->append({files[0], w.path("bad.png"), files[1]});
        w.window.setAlbumPath(w.path("mixed.mdb"));
        const QString title = "UNEXPECTED ERROR! (AddImages: Command3D4_Click #1)";
        w.prompts.expectMessage("ALLOW DUPLICATE IMAGE FILE NAMES", MsgResult::No);
        w.prompts.expectMessage(title); // once: the run names the file and goes on
        test::expectRunEnd(w.prompts);
        w.add();
        const test::Asked error = w.prompts.asked().value(1);
        QCOMPARE(error.text, "Error 20030 reading/writing " + w.path("bad.png"));
        QCOMPARE(error.style, 16);
        // Clicked, the same file says what is wrong with it.
        w.prompts.expectMessage(title);
        w.window.showImageInfo(w.path("bad.png"));
        QCOMPARE(w.prompts.asked().last().text,
                 "Error #20030 reading this image file:\n" + w.path("bad.png") +
                     "\nPlease send the above image file for analysis.");
        QCOMPARE(albumContents(w.path("mixed.mdb")), contentsOf(files));
    }

    void fileInformationAndItsWarnings() {
        Window w;
        w.window.load();
        QSignalSpy shown(&w.window, &AddImagesController::detailsShown);
        QSignalSpy previews(&w.window, &AddImagesController::previewRequested);
        QVERIFY(makePicture(w.path("wide.png"), 1, {1500, 20}));
        w.window.showImageInfo(w.path("wide.png"));
        QCOMPARE(shown.size(), 1);
        const auto details = shown.last().at(0).value<ImageDetails>();
        QCOMPARE(details.type, QStringLiteral("Portable Network Graphics"));
        QCOMPARE(details.resolution, QStringLiteral("1500 x 20"));
        QCOMPARE(details.colours, QLocale().toString(16777216) + " colors");
        QCOMPARE(details.size, QLocale().toString(readFile(w.path("wide.png")).size()) + " bytes");
        QCOMPARE(w.window.currentImagePath(), w.path("wide.png"));
        QCOMPARE(previews.size(), 1);

        QVERIFY(test::writeFile(w.path("readme.jpg"), "just some words\n"));
        w.prompts.expectMessage("WARNING");
        w.window.showImageInfo(w.path("readme.jpg"));
        QCOMPARE(w.prompts.asked().last().text, QStringLiteral("Unrecognized image format."));
        QCOMPARE(w.prompts.asked().last().style, 48);
        QCOMPARE(w.prompts.beeps(), 1);
        w.prompts.expectMessage("CRITIAL ERROR! (AddImages: Command3D1_Click)");
        w.window.showImageInfo(w.path("gone.jpg"));
        QCOMPARE(shown.size(), 1);
    }

    void folderAtLoadGoneOrUnreadable() {
        // Gone: the program folder, remembered from now on, without a word.
        Window gone;
        gone.settings.storeText("Directories", "AddImgFromDir", gone.path("gone"));
        gone.window.load();
        QCOMPARE(gone.window.folder(), gone.env.appDir());
        QCOMPARE(gone.settings.storedText("Directories", "AddImgFromDir"), gone.env.appDir());
        // There but unreadable (a link to itself fails even for root): the user is told why.
        Window loop;
        QVERIFY(QFile::link("loop", loop.path("loop")));
        loop.settings.storeText("Directories", "AddImgFromDir", loop.path("loop"));
        loop.prompts.expectMessage("UNEXPECTED ERROR! (AddImages: Form_Load)");
        loop.window.load();
        QCOMPARE(loop.prompts.asked().last().text,
                 loop.path("loop/") + ": Too many levels of symbolic links");
        QCOMPARE(loop.prompts.asked().last().style, int(MsgIcon::Critical));
        QCOMPARE(loop.prompts.beeps(), 1);
        QCOMPARE(loop.window.folder(), loop.env.appDir());
        QCOMPARE(loop.settings.storedText("Directories", "AddImgFromDir"), loop.path("loop"));

        // The same for the new album's name beside the recent album.
        loop.prompts.expectMessage("UNEXPECTED ERROR! (AddImages: GetAlbumName)")
            .expectSaveFile("Select A File Name For the Depository", "");
        QVERIFY(AskAlbumFileName(loop.prompts, "&1 " + loop.path("loop/old.mdb")).isEmpty());
        QCOMPARE(loop.prompts.asked().at(1).text,
                 loop.path("loop/") + ": Too many levels of symbolic links");
        QCOMPARE(loop.prompts.asked().last().file.initialDir, QDir::currentPath());
    }

    void listBuildingFolderAndTypeBoxes() {
        Window w;
        QDir().mkpath(w.path("f/sub"));
        for (const char* name : {"a.png", "b.png", "c.jpg"})
            QVERIFY(makePicture(w.path("f/") + name, 1));
        QVERIFY(test::writeFile(w.path("f/notes.txt"), "not a picture"));
        w.settings.storeText("Directories", "AddImgFromDir", w.path("f"));
        w.window.load();
        QCOMPARE(w.window.folder(), w.path("f/"));
        // No type chosen yet: every file the program reads.
        QCOMPARE(w.window.folderFiles()->stringList(), QStringList({"a.png", "b.png", "c.jpg"}));
        auto* files = w.window.folderFiles();
        w.window.folderSelection()->select(files->index(2), QItemSelectionModel::Select);
        w.window.folderSelection()->select(files->index(0), QItemSelectionModel::Select);
        w.window.addSelectedFiles();
        QCOMPARE(w.window.list()->paths(), QStringList({w.path("f/a.png"), w.path("f/c.jpg")}));
        QCOMPARE(w.window.title(), QStringLiteral("2 images"));
        w.window.addFolderFile(1);
        auto* list = w.window.list();
        // Select All lists each file once, and the title counts the list as it is.
        w.window.addAllFiles();
        QCOMPARE(list->paths(),
                 QStringList({w.path("f/a.png"), w.path("f/c.jpg"), w.path("f/b.png")}));
        QCOMPARE(w.window.title(), QStringLiteral("3 images"));
        w.window.listSelection()->select(list->index(0), QItemSelectionModel::Select);
        w.window.listSelection()->select(list->index(2), QItemSelectionModel::Select);
        w.window.retainSelected();
        QCOMPARE(list->paths(), QStringList({w.path("f/a.png"), w.path("f/b.png")}));
        w.window.removeEntry(0);
        QCOMPARE(list->paths(), QStringList({w.path("f/b.png")}));
        QCOMPARE(w.window.title(), QStringLiteral("1 image"));
        w.window.clearList();
        w.window.folderSelection()->select(files->index(1), QItemSelectionModel::ClearAndSelect);
        w.window.addSelectedFiles();
        QCOMPARE(w.window.title(), QStringLiteral("1 image"));

        // The PNG box makes the default pattern, and the file box follows it.
        w.window.typeBoxClicked(12, true);
        QCOMPARE(w.settings.storedText("Files Parameters", "FilesPattern"), "*.png");
        QCOMPARE(w.window.folderFiles()->stringList(), QStringList({"a.png", "b.png"}));
        w.window.typeBoxClicked(kAllFormatsBox, false);
        QCOMPARE(w.settings.storedText("Files Parameters", "FilesPattern"), "*.___");
        // No box ticked: every file the program reads, as on a first start.
        QCOMPARE(w.window.folderFiles()->stringList(), QStringList({"a.png", "b.png", "c.jpg"}));
        w.window.setPatternText("*.jpg"); // the pattern box filters at once, and wins
        QCOMPARE(w.window.folderFiles()->stringList(), QStringList({"c.jpg"}));
        w.window.typeBoxClicked(12, true);
        QCOMPARE(w.window.folderFiles()->stringList(), QStringList({"c.jpg"}));
        w.window.setPatternText("");
        QCOMPARE(w.window.folderFiles()->stringList(), QStringList({"a.png", "b.png"}));
        // "All Formats" takes every kind read: today's, and other names such as "*.jpeg".
        QVERIFY(makePicture(w.path("f/d.jpeg"), 2));
        QVERIFY(test::writeFile(w.path("f/e.heic"), "x"));
        QVERIFY(test::writeFile(w.path("f/f.mp4"), "x"));
        w.window.typeBoxClicked(kAllFormatsBox, true);
        QCOMPARE(w.window.folderFiles()->stringList(),
                 QStringList({"a.png", "b.png", "c.jpg", "d.jpeg", "e.heic", "f.mp4"}));
        QVERIFY(w.window.typeBoxes().at(kAllFormatsBox + 1)); // today's boxes follow the 28
        w.window.typeBoxClicked(12, false);                   // PNG off: no longer every format
        QCOMPARE(w.window.folderFiles()->stringList(), QStringList({"c.jpg", "e.heic", "f.mp4"}));
        w.window.setPatternText("*.jpg");

        w.window.setRecursive(true);
        QCOMPARE(w.settings.storedText("Options", "Recursive"), "-1");
        w.window.setRecursive(false);
        QCOMPARE(w.settings.storedText("Options", "Recursive"), "0");

        QSignalSpy label(&w.window, &AddImagesController::folderLabelChanged);
        w.prompts.expectFolder("Select Image Folder", ""); // cancelled: the folder stays
        w.window.changeFolder();
        QCOMPARE(w.window.folder(), w.path("f/"));
        QCOMPARE(label.last().at(0).toString(), w.path("f/") + " (1 file)");
        w.prompts.expectFolder("Select Image Folder", w.path("f/sub"));
        w.window.changeFolder();
        QCOMPARE(label.last().at(0).toString(), w.path("f/sub/") + " (0 files)");
    }

    void picturesFromOutsideAreListedAndShown() {
        Window w;
        QDir().mkpath(w.path("outside"));
        QVERIFY(makePicture(w.path("outside/first.png"), 4, {40, 30}));
        QVERIFY(makePicture(w.path("outside/second.jpg"), 5));
        QSignalSpy shown(&w.window, &AddImagesController::detailsShown);
        w.window.load({w.path("outside/first.png"), w.path("outside/second.jpg")});
        QCOMPARE(w.window.list()->rowCount(), 2);
        QCOMPARE(w.window.listSelection()->selectedIndexes().size(), 1);
        QCOMPARE(w.window.listSelection()->selectedIndexes().first().row(), 0);
        QCOMPARE(w.window.folder(), w.path("outside/"));
        QCOMPARE(shown.last().at(0).value<ImageDetails>().resolution, QStringLiteral("40 x 30"));

        // "KORALTE|picture" in one argument is run in tst_addimages_window; here split and quoted.
        const StartupRequest spaced =
            ParseStartupArguments({"KORALTE", "|\"" + w.path("outside/first.png") + "\""});
        QVERIFY(spaced.newAlbum);
        QCOMPARE(spaced.pictures, QStringList({w.path("outside/first.png")}));
        const StartupRequest open = ParseStartupArguments(
            {w.path("x.mdb"), "file://" + w.path("outside/second.jpg"), w.path("missing.jpg")});
        QVERIFY(!open.newAlbum);
        QCOMPARE(open.album, w.path("x.mdb"));
        QCOMPARE(open.pictures, QStringList({w.path("outside/second.jpg")}));
    }

    void newAlbumNameStartsBesideTheRecentAlbum() {
        Window w;
        QDir().mkpath(w.path("albums"));
        w.prompts.expectSaveFile("Select A File Name For the Depository", w.path("albums/new"));
        QCOMPARE(AskAlbumFileName(w.prompts, "&1 " + w.path("albums/old.mdb")),
                 w.path("albums/new"));
        const test::Asked& asked = w.prompts.asked().last();
        QCOMPARE(asked.file.initialDir, w.path("albums/"));
        QCOMPARE(asked.file.fileName, w.path("albums/old.mdb"));
        QCOMPARE(asked.file.filter, QStringLiteral("Quillon 32 Database Files (*.mdb)|*.mdb"));
        // A recent album whose folder is gone: no name offered; Cancel gives no name.
        w.prompts.expectSaveFile("Select A File Name For the Depository", "");
        QVERIFY(AskAlbumFileName(w.prompts, "&1 /gone/away/old.mdb").isEmpty());
        QVERIFY(w.prompts.asked().last().file.fileName.isEmpty());

        // The name of an album that exists is said, with the question: No asks for another
        // name, Cancel ends (Yes adds to it: tst_addimages_window).
        const QString family = w.path("albums/Family.mdb");
        QVERIFY(AlbumDb::create(family, false).ok());
        w.prompts.expectSaveFile("Select A File Name For the Depository", family)
            .expectMessage("WARNING", MsgResult::No)
            .expectSaveFile("Select A File Name For the Depository", w.path("albums/Family 2"));
        QCOMPARE(AskAlbumFileName(w.prompts, "&1 " + family), w.path("albums/Family 2"));
        QCOMPARE(w.prompts.asked().at(3).text,
                 family + " already exists.\n\nDo you want to add the pictures to this Image "
                          "Depository?  (No chooses another name.)");
        QCOMPARE(w.prompts.asked().at(3).style, 3 + 32); // Yes/No/Cancel, question
        QCOMPARE(w.prompts.asked().at(4).file.fileName, family);
        w.prompts.expectSaveFile("Select A File Name For the Depository", family)
            .expectMessage("WARNING", MsgResult::Cancel);
        QVERIFY(AskAlbumFileName(w.prompts, "&1 " + family).isEmpty());
    }

    void runSummaryNamesWhatTheFoldersLeftOut() {
        Window w;
        QDir().mkpath(w.path("trip/day2"));
        QVERIFY(makePicture(w.path("trip/a.jpg"), 1));
        QVERIFY(makePicture(w.path("trip/day2/b.jpg"), 2));
        QVERIFY(makePicture(w.path("trip/c.png"), 3));
        QVERIFY(test::writeFile(w.path("trip/day2/notes.txt"), "day two"));
        w.settings.storeText("Directories", "AddImgFromDir", w.path("trip"));
        w.window.load();
        w.window.setRecursive(true);
        w.window.setPatternText("*.jpg");
        QSignalSpy searched(&w.window.search(), &AddImagesSearch::finished);
        w.window.search().click(0);
        QVERIFY(searched.wait(5000));
        QCOMPARE(w.window.list()->rowCount(), 2);
        w.window.setAlbumPath(w.path("trip.mdb"));
        w.prompts.expectMessage("ALLOW DUPLICATE IMAGE FILE NAMES", MsgResult::No);
        test::expectRunEnd(w.prompts);
        w.add();
        QCOMPARE(w.prompts.asked().at(1).text,
                 "2 stored, 0 skipped, 0 failed.\n\nLeft out of the folders:\n" +
                     w.path("trip/c.png") + ": not in the pattern *.jpg\n" +
                     w.path("trip/day2/notes.txt") +
                     ": not a picture or clip kind the program reads");
    }

    void searchListsTheTreeAndStops() {
        Window w;
        for (const char* f : {"t/a.jpg", "t/sub1/b.jpg", "t/sub1/deep/c.jpg", "t/sub2/d.png",
                              "t/.hidden/e.jpg", "t/sub2/notes.txt"}) {
            QDir().mkpath(QFileInfo(w.path(f)).path());
            QVERIFY(test::writeFile(w.path(f), "x"));
        }
        w.settings.storeText("Directories", "AddImgFromDir", w.path("t"));
        w.window.load();
        w.window.setPatternText("*.jpg;*.png");
        AddImagesSearch& search = w.window.search();
        QSignalSpy done(&search, &AddImagesSearch::finished);
        QSignalSpy titles(&w.window, &AddImagesController::titleChanged);
        QSignalSpy captions(&search, &AddImagesSearch::captionChanged);

        search.click(0); // not recursive: only the folder's own files; its subfolders counted
        QCOMPARE(search.caption(0), QStringLiteral("Stop"));
        QVERIFY(done.wait(5000));
        QCOMPARE(w.window.list()->paths(), QStringList({w.path("t/a.jpg")}));
        QCOMPARE(w.window.title(), QStringLiteral("2 directories and 1 file(s)"));
        QCOMPARE(search.caption(0), QStringLiteral("&Search"));
        QVERIFY(std::ranges::any_of(titles, [](const auto& t) { return t[0] == "Searching..."; }));

        w.window.setRecursive(true);
        search.click(0);
        QVERIFY(done.wait(5000));
        QCOMPARE(w.window.list()->paths(),
                 QStringList({w.path("t/a.jpg"), w.path("t/sub1/b.jpg"), w.path("t/sub2/d.png"),
                              w.path("t/sub1/deep/c.jpg")}));
        QCOMPARE(w.window.title(), QStringLiteral("3 directories and 4 file(s)"));
        // The image folder stays the one chosen, and nothing is stored: searching again finds
        // the same.
        QCOMPARE(w.window.folder(), w.path("t/"));
        QCOMPARE(w.settings.storedText("Directories", "AddImgFromDir"), w.path("t"));
        search.click(0);
        QVERIFY(done.wait(5000));
        QCOMPARE(w.window.list()->rowCount(), 4);
        QCOMPARE(w.window.folder(), w.path("t/"));

        // A list that is full says so and keeps what it holds.
        w.window.list()->setLimit(3);
        w.prompts.expectMessage(QString());
        search.click(0);
        QVERIFY(done.wait(5000));
        QCOMPARE(w.prompts.asked().last().text,
                 QStringLiteral("Exhausted memory resources.  Too many files!"));
        QCOMPARE(w.window.list()->rowCount(), 3);
        QVERIFY(w.window.title().endsWith(" [3 displayed]"));
        w.window.list()->setLimit(1000);

        // Stop puts the caption back at once; Scan Drive gives back the recursive option.
        w.window.setRecursive(false);
        captions.clear();
        search.click(1);
        QVERIFY(w.window.recursive());
        search.click(1);
        QCOMPARE(search.caption(1), QStringLiteral("Scan &Drive"));
        QVERIFY(!w.window.recursive());
        QCOMPARE(captions.size(), 2);
        QVERIFY(done.wait(10000));

        // Files and folders dropped on the list join what it holds.
        w.window.clearList();
        w.window.setPatternText({});
        w.window.typeBoxClicked(3, true); // JPEG
        w.window.addDropped({w.path("t/sub2/d.png"), w.path("t/sub1")});
        QCOMPARE(w.window.list()->paths(), QStringList({w.path("t/sub2/d.png")}));
        QVERIFY(done.wait(5000));
        QCOMPARE(w.window.list()->paths(),
                 QStringList({w.path("t/sub2/d.png"), w.path("t/sub1/b.jpg")}));
    }
};

QTEST_MAIN(TestAddImagesFlows)
#include "tst_addimages_flows.moc"
