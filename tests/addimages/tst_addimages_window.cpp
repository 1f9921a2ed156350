// The Add Images window as a person meets it: its controls, the run through its buttons, drops
// from a file manager, Escape; and the main window's commands and start-up that lead to it.

#include "AddImagesTestData.h"
#include "ScriptedPromptService.h"
#include "TestEnv.h"
#include "album/ui/AddImagesController.h"
#include "album/ui/AddImagesList.h"
#include "album/ui/AddImagesPreview.h"
#include "album/ui/AddImagesWindow.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "shell/AlbumBrowser.h"
#include "shell/MainWindow.h"
#include "shell/PreviewPane.h"
#include "viewer/FileBrowser.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QUrl>

using namespace q32;
using test::albumContents;
using test::fileBytes;
using test::makePicture;

namespace {

// Runs check on the modal window of type W as soon as it shows.
template <typename W> void whenShown(std::function<void(W*)> check) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, check] {
        if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            check(w);
        }
    });
    timer->start();
}

QStringList pictures(const test::TestEnv& env, const QString& folder, int n) {
    QDir().mkpath(env.path(folder));
    QStringList files;
    for (int i = 0; i < n; ++i) {
        files << env.path(folder + QStringLiteral("/photo%1.jpg").arg(i));
        makePicture(files.last(), 10 + i, {320, 200});
    }
    return files;
}

QMultiMap<QString, QByteArray> contentsOf(const QStringList& files) {
    QMultiMap<QString, QByteArray> rows;
    for (const QString& f : files)
        rows.insert(QFileInfo(f).fileName(), fileBytes(f));
    return rows;
}

struct Program {
    test::TestEnv env;
    ProgramState state;
    test::ScriptedPromptService prompts;
    Settings settings{Settings::defaultPath(), &prompts};
    MainWindow main;
    explicit Program(QStringList arguments = {})
        : main(state, settings, prompts, std::move(arguments)) {}
};

} // namespace

class TestAddImagesWindow : public QObject {
    Q_OBJECT
private slots:
    void controlsCaptionsAndARunThroughTheButtons() {
        test::TestEnv env;
        ProgramState state;
        state.AppDir = env.appDir();
        test::ScriptedPromptService prompts;
        Settings settings(Settings::defaultPath());
        const QStringList files = pictures(env, "pics", 2);
        settings.RegPutString("Directories", "AddImgFromDir", env.path("pics"));
        AddImagesWindow window(state, settings, prompts, env.path("clicked.mdb"));
        window.load();
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("Add Images to Depository"));

        const struct {
            const char* name;
            const char* caption;
            const char* tip;
        } buttons[] = {{"SSCommand1", "S&elect", "Select Current Image File"},
                       {"Command3D2", "Select &All", "Select All Image Files"},
                       {"Command3D4", "&Add", "Add Selected Images to Database"},
                       {"Command3D3", "&Cancel", "Abort Adding Images"},
                       {"SSCommand2", nullptr, "Import Image From Scanner"},
                       {"SSCommand3_0", "&Search", "Search Files From Current Path"},
                       {"SSCommand3_1", "Scan &Drive", "Scan Entire Drive"},
                       {"SSCommand4", "&Clear All Selection", nullptr},
                       {"SSCommand5", "&Retain Selected", nullptr},
                       {"SSCommand6", "Change Image Folder", nullptr}};
        for (const auto& b : buttons) {
            auto* button = window.findChild<QPushButton*>(b.name);
            QVERIFY2(button, b.name);
            if (b.caption)
                QCOMPARE(button->text(), QString::fromUtf8(b.caption));
            if (b.tip)
                QCOMPARE(button->toolTip(), QString::fromUtf8(b.tip));
        }
        QCOMPARE(window.findChild<QCheckBox*>("SSCheck2")->text(), QStringLiteral("Recursive"));
        auto* skip = window.findChild<QCheckBox*>("SkipDuplicates");
        QCOMPARE(skip->text(), QStringLiteral("Skip pictures already in the album"));
        QVERIFY(!skip->isChecked());
        skip->click(); // reaches the run, and the settings for the next window
        QVERIFY(window.controller().skipDuplicates());
        skip->click();
        QVERIFY(!window.controller().skipDuplicates());
        QCOMPARE(window.findChild<QLabel*>("Label8")->text(),
                 QStringLiteral("File To Search For:"));
        QCOMPARE(window.findChild<QLabel*>("Label9")->text(), env.path("pics/"));
        QCOMPARE(window.findChild<QCheckBox*>("SSCheck1_22")->text(), QStringLiteral("AVI"));
        QCOMPARE(window.findChild<QCheckBox*>("SSCheck1_24")->text(),
                 QStringLiteral("Apple Quictime"));
        QCOMPARE(window.findChild<QCheckBox*>("SSCheck1_27")->text(),
                 QStringLiteral("All Formats"));

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
        bool disabledWhileRunning = false;
        connect(&window.controller(), &AddImagesController::titleChanged, this,
                [&](const QString& t) {
                    if (t.startsWith("Storing image"))
                        disabledWhileRunning =
                            !add->isEnabled() && cancel->isEnabled() &&
                            !window.findChild<QPushButton*>("SSCommand3_0")->isEnabled();
                });
        prompts.expectMessage("ALLOW DUPLICATE IMAGE FILE NAMES", MsgResult::No);
        prompts.expectInput("SECURITY", "");
        add->click();
        QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 20000);
        QVERIFY(disabledWhileRunning);
        QCOMPARE(albumContents(env.path("clicked.mdb")), contentsOf(files));
        QCOMPARE(settings.RegGetString("AddImages", "Left"), QString::number(window.x()));
    }

    void dropsEscapeAndAnEmptyRun() {
        test::TestEnv env;
        ProgramState state;
        state.AppDir = env.appDir();
        test::ScriptedPromptService prompts;
        Settings settings(Settings::defaultPath());
        const QStringList files = pictures(env, "drop", 2);
        AddImagesWindow window(state, settings, prompts, env.path("unused.mdb"));
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
        prompts.expectMessage("FYI", MsgResult::No);
        window.findChild<QPushButton*>("Command3D4")->click();
        QVERIFY(window.isVisible());
        for (const char* name : {"SSCommand1", "SSCommand2", "Command3D2", "Command3D4",
                                 "SSCommand4", "SSCommand5", "SSCommand3_0", "SSCommand3_1"})
            QVERIFY2(window.findChild<QPushButton*>(name)->isEnabled(), name);

        QVERIFY(test::writeFile(state.AppDir + "scan3.scf", "page"));
        QTest::keyClick(&window, Qt::Key_Escape); // as "&Cancel"
        QVERIFY(!window.isVisible());
        QCOMPARE(state.StatusWord, int16_t(1));
        QVERIFY(!QFile::exists(state.AppDir + "scan3.scf"));
    }

    void createNewAlbumFromTheMainWindow() {
        Program p;
        p.prompts.expectMessage("FYI"); // recent entry 1 is not an album yet
        p.main.startUp();
        const QStringList files = pictures(p.env, "pics", 3);
        const QString album = p.env.path("made.mdb");
        p.prompts.expectSaveFile("Select A File Name For the Depository", album);
        p.prompts.expectMessage("ALLOW DUPLICATE IMAGE FILE NAMES", MsgResult::No);
        p.prompts.expectInput("SECURITY", "");
        whenShown<AddImagesWindow>([&](AddImagesWindow* w) {
            w->controller().pointFileBoxAt(p.env.path("pics"), {});
            w->findChild<QPushButton*>("Command3D2")->click();
            w->findChild<QPushButton*>("Command3D4")->click();
        });
        p.main.runCommand("ID_CreateNewAlbum");
        QCOMPARE(p.prompts.pending(), 0);
        QCOMPARE(albumContents(album), contentsOf(files));
        // The main window opened the new album: its rows in the grid, the first one shown.
        QVERIFY(p.main.browser().album());
        QCOMPARE(p.main.browser().album()->path(), album);
        QCOMPARE(p.main.grid()->model()->rowCount(), 3);
        QCOMPARE(p.state.album.RecordCount, 3);

        // One more picture through "A&dd Images": the grid follows.
        const QString extra = p.env.path("extra.png");
        QVERIFY(makePicture(extra, 99));
        p.prompts.expectInput("Image File Name", "extra.png");
        p.prompts.expectInput("Image Description", "");
        p.prompts.expectInput("SECURITY", "");
        whenShown<AddImagesWindow>([&](AddImagesWindow* w) {
            w->controller().addDropped({extra});
            w->findChild<QPushButton*>("Command3D4")->click();
        });
        p.main.runCommand("ID_AddImages");
        QCOMPARE(p.prompts.pending(), 0);
        QCOMPARE(p.main.grid()->model()->rowCount(), 4);

        // A new name, then Cancel in the window: no file, the open album stays.
        p.prompts.expectSaveFile("Select A File Name For the Depository", p.env.path("no.mdb"));
        whenShown<AddImagesWindow>(
            [](AddImagesWindow* w) { w->findChild<QPushButton*>("Command3D3")->click(); });
        p.main.runCommand("ID_CreateNewAlbum");
        QVERIFY(!QFile::exists(p.env.path("no.mdb")));
        QCOMPARE(p.main.browser().album()->path(), album);
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
        p.prompts.expectInput("SECURITY", "");
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
        QCOMPARE(albumContents(album).value("Holiday"), fileBytes(picture));
        QCOMPARE(p.main.grid()->model()->rowCount(), 1);
    }

    void fileBrowserFromTheMenuPreviewsInTheMainWindow() {
        Program p;
        p.prompts.expectMessage("FYI");
        const QStringList files = pictures(p.env, "browse", 2);
        p.settings.RegPutString("Directories", "ThumbNailsDir", p.env.path("browse"));
        p.main.startUp();
        QVERIFY(p.main.fileBrowser() && !p.main.fileBrowser()->isVisible());
        QCOMPARE(p.main.fileBrowser()->session().folder(), p.env.path("browse/"));
        whenShown<FileBrowser>(
            [](FileBrowser* b) { b->findChild<QPushButton*>("Command3D1_1")->click(); });
        p.main.runCommand("ID_BrowseFolder");
        QCOMPARE(p.state.StatusWord, int16_t(0)); // reset after the command, as every command
        QTRY_VERIFY(p.main.preview().picture()->isVisible());
        QVERIFY(p.main.findChild<QLabel*>("Label2")->text().startsWith("photo0.jpg  (320x200)"));
    }
};

QTEST_MAIN(TestAddImagesWindow)
#include "tst_addimages_window.moc"
