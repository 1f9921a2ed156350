// The Add Images window as a person meets it: its controls, the run through its buttons, drops
// from a file manager, Escape; and the main window's commands and start-up that lead to it. A
// clip added shows as a clip by its stored text (tst_addrecord, tst_formattable, tst_browser);
// Browse Picture Files previews in the main window (tst_filebrowser, tst_browser).

#include "AddImagesTestData.h"
#include "ModalWindows.h"
#include "ScriptedPromptService.h"
#include "TestEnv.h"
#include "album/addimages/AddImagesController.h"
#include "album/addimages/AddImagesList.h"
#include "album/addimages/AddImagesRun.h"
#include "album/ui/AddImagesPreview.h"
#include "album/ui/AddImagesWindow.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "shell/AlbumBrowser.h"
#include "shell/ui/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QUrl>

using namespace q32;
using test::albumContents;
using test::contentsOf;
using test::makePicture;
using test::readFile;
using test::whenShown;

namespace {

// The Add Images window alone, with its own settings, program folder and scripted answers.
struct Alone {
    test::TestEnv env;
    ProgramState state;
    test::ScriptedPromptService prompts;
    Settings settings{Settings::defaultPath()};
    Alone() { state.paths.AppDir = env.appDir(); }
};

struct Program {
    test::TestEnv env;
    ProgramState state;
    test::ScriptedPromptService prompts;
    Settings settings{Settings::defaultPath(), &prompts};
    MainWindow main;
    explicit Program(QStringList arguments = {})
        : main(state, settings, prompts, std::move(arguments)) {}
    // Runs a command and lets the events run until the album it opens is open.
    void runToOpen(const char* command) {
        main.runCommand(command);
        QVERIFY(QTest::qWaitFor([this] { return !main.browser().opening(); }, 120000));
    }
    // One new picture, dropped on the next Add Images window and added.
    void addOne(const QString& file, int seed) {
        QVERIFY(makePicture(file, seed));
        prompts.expectInput("Image File Name", QFileInfo(file).fileName());
        prompts.expectInput("Image Description", "");
        test::expectRunEnd(prompts);
        whenShown<AddImagesWindow>([file](AddImagesWindow* w) {
            w->controller().addDropped({file});
            w->findChild<QPushButton*>("Command3D4")->click();
        });
    }
};

} // namespace

class TestAddImagesWindow : public QObject {
    Q_OBJECT
private slots:
    void controlsAndARunThroughTheButtons() {
        Alone a;
        const QStringList files = test::makePictures(a.env, "pics", 2, "photo", {320, 200});
        a.settings.storeText("Directories", "AddImgFromDir", a.env.path("pics"));
        AddImagesWindow window(a.state.paths.AppDir, a.state.options, a.settings, a.prompts,
                               a.env.path("clicked.mdb"));
        window.load();
        window.show();
        auto* skip = window.findChild<QCheckBox*>("SkipDuplicates");
        skip->click(); // reaches the run, and the settings for the next window
        QVERIFY(window.controller().skipDuplicates());
        skip->click();
        QCOMPARE(window.findChild<QLabel*>("Label9")->text(), a.env.path("pics/"));

        // A click on a file shows what it is, and its picture.
        auto* fileBox = window.findChild<QListView*>("File1");
        QTest::mouseClick(fileBox->viewport(), Qt::LeftButton, {},
                          fileBox->visualRect(fileBox->model()->index(1, 0)).center());
        QCOMPARE(window.findChild<QLabel*>("Label6")->text(), QStringLiteral("320 x 200"));
        QTRY_VERIFY(window.preview()->picture()->isVisible());
        // Fitted as the main window fits: the width of the frame, 3 above the centre.
        QCOMPARE(window.preview()->picture()->width(), window.preview()->contentsRect().width());

        auto* add = window.findChild<QPushButton*>("Command3D4");
        auto* cancel = window.findChild<QPushButton*>("Command3D3");
        window.findChild<QPushButton*>("Command3D2")->click(); // Select All
        QCOMPARE(window.windowTitle(), QStringLiteral("2 images"));
        bool disabledWhileRunning = true;
        QStringList storing;
        connect(&window.controller(), &AddImagesController::titleChanged, this,
                [&](const QString& t) {
                    if (!t.startsWith("Storing image"))
                        return;
                    storing << t;
                    disabledWhileRunning =
                        disabledWhileRunning && !add->isEnabled() && cancel->isEnabled() &&
                        !window.findChild<QPushButton*>("SSCommand3_0")->isEnabled();
                });
        a.prompts.expectMessage("ALLOW DUPLICATE IMAGE FILE NAMES", MsgResult::No);
        test::expectRunEnd(a.prompts);
        add->click();
        QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 20000);
        QCOMPARE(storing, QStringList({"Storing image 0 of 2...", "Storing image 1 of 2..."}));
        QVERIFY(disabledWhileRunning);
        QCOMPARE(a.prompts.asked().at(1).text, QStringLiteral("2 stored, 0 skipped, 0 failed."));
        QCOMPARE(albumContents(a.env.path("clicked.mdb")), contentsOf(files));
        QCOMPARE(window.controller().run().albumRows(), 2);
        QCOMPARE(window.controller().title(), QStringLiteral("2 files"));
        QCOMPARE(a.settings.storedText("Directories", "AddImgFromDir"), a.env.path("pics/"));
        QCOMPARE(a.settings.storedText("AddImages", "Left"), QString::number(window.x()));
    }

    void dropsEscapeAndAnEmptyRun() {
        Alone a;
        const QStringList files = test::makePictures(a.env, "drop", 2);
        AddImagesWindow window(a.state.paths.AppDir, a.state.options, a.settings, a.prompts,
                               a.env.path("unused.mdb"));
        window.load();
        window.show();

        auto* list = window.findChild<QListView*>("List1");
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(files[1]), QUrl::fromLocalFile(files[0])});
        const QPoint at = list->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(list->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(list->viewport(), &drop);
        QCOMPARE(window.controller().list()->paths(), QStringList({files[1], files[0]}));

        // "&Add" on an emptied list: the question, then every button works again.
        window.findChild<QPushButton*>("SSCommand4")->click();
        a.prompts.expectMessage("FYI", MsgResult::No);
        window.findChild<QPushButton*>("Command3D4")->click();
        QVERIFY(window.isVisible());
        QCOMPARE(a.prompts.asked().last().text,
                 QStringLiteral("No image was selected.  Are you sure you want to exit?"));
        QCOMPARE(a.prompts.asked().last().style, 4 + 64); // Yes/No, information
        for (const char* name : {"SSCommand1", "SSCommand2", "Command3D2", "Command3D4",
                                 "SSCommand4", "SSCommand5", "SSCommand3_0", "SSCommand3_1"})
            QVERIFY2(window.findChild<QPushButton*>(name)->isEnabled(), name);
        // Yes closes the window, and the album is never opened.
        a.prompts.expectMessage("FYI", MsgResult::Yes);
        window.findChild<QPushButton*>("Command3D4")->click();
        QVERIFY(!window.isVisible());
        QVERIFY(!QFile::exists(a.env.path("unused.mdb")));

        window.show();
        QVERIFY(test::writeFile(a.state.paths.AppDir + "scan3.scf", "page"));
        QTest::keyClick(&window, Qt::Key_Escape); // as "&Cancel"
        QVERIFY(!window.isVisible());
        QVERIFY(!QFile::exists(a.state.paths.AppDir + "scan3.scf"));
    }

    void createNewAlbumFromTheMainWindow() {
        Program p;
        p.main.startUp();
        const QStringList files = test::makePictures(p.env, "pics", 3);
        QDir().mkpath(p.env.path("Trips"));
        const QString album = p.env.path("Trips/Summer Album.mdb");
        p.prompts.expectSaveFile("Select A File Name For the Depository", album);
        p.prompts.expectMessage("ALLOW DUPLICATE IMAGE FILE NAMES", MsgResult::No);
        test::expectRunEnd(p.prompts);
        whenShown<AddImagesWindow>([&](AddImagesWindow* w) {
            w->controller().pointFileBoxAt(p.env.path("pics"), {});
            w->findChild<QPushButton*>("Command3D2")->click();
            w->findChild<QPushButton*>("Command3D4")->click();
        });
        p.runToOpen("ID_CreateNewAlbum");
        QCOMPARE(albumContents(album), contentsOf(files));
        // The main window opened the new album: its rows in the grid, the first one shown.
        QVERIFY(p.main.browser().album());
        QCOMPARE(p.main.browser().album()->path(), album);
        QCOMPARE(p.main.grid()->model()->rowCount(), 3);

        // One more picture through "A&dd Images": the grid follows.
        p.addOne(p.env.path("extra.png"), 99);
        p.runToOpen("ID_AddImages");
        QCOMPARE(p.main.grid()->model()->rowCount(), 4);

        // A new name, then Cancel in the window: no file, the open album stays.
        p.prompts.expectSaveFile("Select A File Name For the Depository", p.env.path("no.mdb"));
        whenShown<AddImagesWindow>(
            [](AddImagesWindow* w) { w->findChild<QPushButton*>("Command3D3")->click(); });
        p.runToOpen("ID_CreateNewAlbum");
        QVERIFY(!QFile::exists(p.env.path("no.mdb")));
        QCOMPARE(p.main.browser().album()->path(), album);
        // The name offered is the open album's, exactly as it is written.
        QCOMPARE(p.prompts.asked().last().file.fileName, album);

        // Choosing the open album's own file says so; Yes adds the pictures to it.
        p.prompts.expectSaveFile("Select A File Name For the Depository", album);
        p.prompts.expectMessage("WARNING", MsgResult::Yes);
        p.addOne(p.env.path("more.png"), 98);
        p.runToOpen("ID_CreateNewAlbum");
        QCOMPARE(albumContents(album).size(), 5);
        QCOMPARE(p.main.grid()->model()->rowCount(), 5);
    }

    void picturesOnTheCommandLine() {
        test::TestEnv outside;
        const QString picture = outside.path("holiday.png");
        QVERIFY(makePicture(picture, 5, {90, 60}));
        Program p({"KORALTE|" + picture});
        const QString album = p.env.path("holiday.mdb");
        p.prompts.expectSaveFile("Select A File Name For the Depository", album);
        p.prompts.expectMessage("ALLOW DUPLICATE IMAGE FILE NAMES", MsgResult::Yes);
        p.prompts.expectInput("Image File Name", "Holiday");
        p.prompts.expectInput("Image Description", "At the sea");
        test::expectRunEnd(p.prompts);
        bool listed = false;
        whenShown<AddImagesWindow>([&](AddImagesWindow* w) {
            listed = w->controller().list()->paths() == QStringList({picture}) &&
                     w->controller().folder() == outside.path("") + "/";
            w->findChild<QPushButton*>("Command3D4")->click();
        });
        p.main.startUp(); // "KORALTE": the recent album is never opened
        QTRY_COMPARE_WITH_TIMEOUT(p.prompts.pending(), 0, 10000);
        QVERIFY(listed);
        QTRY_VERIFY(p.main.browser().album());
        QCOMPARE(albumContents(album).value("Holiday"), readFile(picture));
        QCOMPARE(p.main.grid()->model()->rowCount(), 1);
    }
};

QTEST_MAIN(TestAddImagesWindow)
#include "tst_addimages_window.moc"
