// The file browser: the type-box patterns of both windows, the drive list, the folder and its
// files, accepting and cancelling, and the window itself over a temporary tree.

#include "TestEnv.h"
#include "TestFiles.h"
#include "album/filebrowser/ui/FileBrowser.h"
#include "common/ProgramState.h"
#include "common/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace q32;

namespace {

QList<bool> ticked(TypeBoxSet set, std::initializer_list<int> boxes) {
    QList<bool> checked(TypeBoxes(set).size(), false);
    for (int b : boxes)
        checked[b] = true;
    return checked;
}

void touch(const QString& path, qint64 size = 1) {
    QVERIFY(test::writeFile(path, QByteArray(size, 'x')));
}

} // namespace

class TestFileBrowser : public QObject {
    Q_OBJECT
private slots:
    void boxesBecomePatternsInBoxOrder_data() {
        QTest::addColumn<TypeBoxSet>("set");
        QTest::addColumn<QList<bool>>("checked");
        QTest::addColumn<QString>("pattern");
        const TypeBoxSet fb = TypeBoxSet::FileBrowser, ai = TypeBoxSet::AddImages;
        // JPEG ticked after TIFF still comes first: box order, not click order.
        QTest::newRow("jpeg+tiff") << fb << ticked(fb, {16, 3}) << "*.jpg;*.tif";
        QTest::newRow("none") << fb << ticked(fb, {}) << "*.___";
        QTest::newRow("all formats alone") << fb << ticked(fb, {27}) << "*.___";
        QTest::newRow("add images avi+mpeg+icon")
            << ai << ticked(ai, {22, 23, 0}) << "*.ico;*.avi;*.mpg";
    }
    void boxesBecomePatternsInBoxOrder() {
        QFETCH(TypeBoxSet, set);
        QFETCH(QList<bool>, checked);
        QFETCH(QString, pattern);
        QCOMPARE(PatternForCheckedBoxes(checked, set), pattern);
    }

    void storedPatternsTickTheirBoxes() {
        // The same pattern ticks different box numbers in the two windows where they differ.
        QCOMPARE(CheckedBoxesForPattern("*.bmp;*.png", TypeBoxSet::FileBrowser),
                 ticked(TypeBoxSet::FileBrowser, {1, 12}));
        QCOMPARE(CheckedBoxesForPattern("*.cur;*.cmp", TypeBoxSet::FileBrowser),
                 ticked(TypeBoxSet::FileBrowser, {26, 28}));
        QCOMPARE(CheckedBoxesForPattern("*.cur;*.cmp", TypeBoxSet::AddImages),
                 ticked(TypeBoxSet::AddImages, {25, 26}));
        // "All Formats" is never ticked from a pattern; longer or unknown patterns tick nothing.
        QCOMPARE(CheckedBoxesForPattern("*.jpeg;*.___;*.xyz", TypeBoxSet::AddImages),
                 ticked(TypeBoxSet::AddImages, {}));
        // A round trip through every box of both windows gives the pattern back.
        for (TypeBoxSet set : {TypeBoxSet::FileBrowser, TypeBoxSet::AddImages}) {
            QList<bool> all(TypeBoxes(set).size(), true);
            all[kAllFormatsBox] = false;
            const QString pattern = PatternForCheckedBoxes(all, set);
            QCOMPARE(CheckedBoxesForPattern(pattern, set), all);
        }
        // "All Formats" gives every box its state.
        QList<bool> some = ticked(TypeBoxSet::AddImages, {3});
        QVERIFY(!ApplyBoxClick(some, kAllFormatsBox, false).contains(true));
        QVERIFY(!ApplyBoxClick(some, kAllFormatsBox, true).contains(false));
    }

    void drivesAreWhatAUserCallsDisks() {
        const QList<MountEntry> mounts = {{"/", "ext4", ""},
                                          {"/proc", "proc", ""},
                                          {"/sys/fs/cgroup", "cgroup2", ""},
                                          {"/dev/shm", "tmpfs", ""},
                                          {"/run/user/1000", "tmpfs", ""},
                                          {"/run/media/anna/CAMERA", "vfat", "CAMERA"},
                                          {"/media/anna/USB STICK", "exfat", "USB STICK"},
                                          {"/boot/efi", "vfat", ""},
                                          {"/snap/core/1", "squashfs", ""},
                                          {"/mnt/photos", "ext4", ""},
                                          {"/home/anna", "ext4", ""}};
        const QList<Drive> drives = UserDrives(mounts, "/home/anna");
        QStringList roots;
        for (const Drive& d : drives)
            roots << d.rootPath;
        QCOMPARE(roots, QStringList({"/home/anna/", "/", "/media/anna/USB STICK/", "/mnt/photos/",
                                     "/run/media/anna/CAMERA/"}));
        QCOMPARE(drives[2].label, QStringLiteral("USB STICK (/media/anna/USB STICK)"));
        QCOMPARE(DriveIndexOf(drives, "/home/anna/Pictures"), 0);
        QCOMPARE(DriveIndexOf(drives, "/mnt/photos/2020"), 3);
        QCOMPARE(DriveIndexOf(drives, "/opt"), 1);
    }

    void sessionListsFiltersAcceptsAndCancels() {
        test::TestEnv env;
        QDir(env.root()).mkpath("tree/empty");
        const QString tree = env.path("tree/");
        QImage(640, 480, QImage::Format_RGB32).save(tree + "a.jpg");
        QImage(20, 10, QImage::Format_RGB32).save(tree + "b.png");
        touch(tree + "c.TIF");
        touch(tree + ".hidden.jpg");
        touch(tree + "notes.txt", 1234567);

        Settings settings(Settings::defaultPath());
        // No folder chosen yet: the browser starts where pictures were last added from.
        settings.set(key::AddImgFromDir, tree);
        FileBrowserSession session(env.appDir(), settings);
        session.load();
        QCOMPARE(session.folder(), tree);
        // No stored pattern: every file shows until a box is changed.
        QCOMPARE(session.files(), QStringList({"a.jpg", "b.png", "c.TIF", "notes.txt"}));

        session.boxClicked(3, true);                                // JPEG
        session.boxClicked(16, true);                               // TIFF
        QCOMPARE(session.files(), QStringList({"a.jpg", "c.TIF"})); // and stored: see again below

        // The description line of a picture, and of a file that is none.
        QCOMPARE(FileDescriptionLine(session.pathOf(0)),
                 "a.jpg  (640x480) (24 bpp) (" +
                     QLocale().toString(QFileInfo(tree + "a.jpg").size()) + " bytes) ");
        QCOMPARE(FileDescriptionLine(tree + "notes.txt"),
                 QStringLiteral("UNRECOGNIZED FILE FORMAT"));
        for (const char* clip : {"clip.mpg", "clip.MP4", "clip.mov", "clip.avi", "clip.mkv"})
            QVERIFY2(FileDescriptionLine(tree + clip).isEmpty(), clip);

        QCOMPARE(session.finish(false), FileBrowserSession::Outcome::Cancelled);
        QVERIFY(settings.storedText("Directories", "ThumbNailsDir").isEmpty());

        session.setFolder(tree + "empty");
        QCOMPARE(session.finish(true), FileBrowserSession::Outcome::EmptyFolder);

        session.setFolder(tree.chopped(1)); // without its "/": it is added
        QCOMPARE(session.finish(true), FileBrowserSession::Outcome::Accepted);
        QCOMPARE(settings.storedText("Directories", "ThumbNailsDir"), tree);

        // A stored pattern ticks the boxes when the browser opens again; "/" stays single.
        FileBrowserSession again(env.appDir(), settings);
        again.load();
        QCOMPARE(again.folder(), tree);
        QCOMPARE(again.checkedBoxes(), ticked(TypeBoxSet::FileBrowser, {3, 16}));
        again.setFolder("/");
        QCOMPARE(again.folder(), QStringLiteral("/"));
    }

    void windowPreviewsAndStoresTheChosenFolder() {
        test::TestEnv env;
        QDir(env.root()).mkpath("pics");
        const QString pics = env.path("pics/");
        QImage(300, 200, QImage::Format_RGB32).save(pics + "one.png");
        QImage(30, 20, QImage::Format_RGB32).save(pics + "two.bmp");
        Settings settings(Settings::defaultPath());
        settings.set(key::ThumbNailsDir, pics);
        FileBrowser window(env.appDir(), settings);
        window.load();
        QSignalSpy previews(&window, &FileBrowser::previewRequested);
        QSignalSpy lines(&window, &FileBrowser::descriptionChanged);

        auto* files = window.findChild<QListWidget*>("File1");
        QCOMPARE(files->count(), 2);
        window.findChild<QCheckBox*>("SSCheck1_12")->click(); // PNG
        QCOMPARE(files->count(), 1);
        QCOMPARE(settings.storedText("Files Parameters", "FilesPattern"), "*.png");
        window.findChild<QCheckBox*>("SSCheck1_27")->click(); // All Formats
        QCOMPARE(files->count(), 2);
        QVERIFY(window.findChild<QCheckBox*>("SSCheck1_28")->isChecked());

        QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                          files->visualItemRect(files->item(1)).center());
        QCOMPARE(previews.size(), 1);
        QCOMPARE(previews.last().at(0).toString(), pics + "two.bmp");
        QVERIFY(lines.last().at(0).toString().startsWith("two.bmp  (30x20) ("));

        window.show();
        window.findChild<QPushButton*>("Command3D1_1")->click(); // OK
        QVERIFY(!window.isVisible());
        QCOMPARE(settings.storedText("Directories", "ThumbNailsDir"), pics);
        QCOMPARE(previews.last().at(0).toString(), pics + "one.png"); // the first file is shown
        QVERIFY(window.findChild<QComboBox*>("Drive1")->isEnabled());
    }
};

QTEST_MAIN(TestFileBrowser)
#include "tst_filebrowser.moc"
