// The outside image editor: the hand-over kept private, and the edited picture stored back.

#include "RecordsFixture.h"
#include "TestClips.h"
#include "TestFiles.h"
#include "common/PrivateFiles.h"
#include "platform/imaging/Imaging.h"
#include "shell/records/ImageEditor.h"

#include <QDir>
#include <QTest>
#include <QTimer>

using namespace q32;
using test::filesBelow;
using test::modeOf;
using test::Run;

namespace {

// Inverts the picture (or image.pic beside the hand-shake) only while the hand-shake says READY.
const char* kInverter = R"SH(#!/bin/sh
picture=${2:-$QUILLON32_HOME/image.pic}
[ "$(cat "$QUILLON32_HOME/dbimfile.txt")" = READY ] || exit 3
sleep 0.5
convert "$picture" -negate "png:$picture"
)SH";

QString writeScript(const QString& path) {
    return test::writeFile(path, kInverter) &&
                   QFile::setPermissions(path,
                                         QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
               ? path
               : QString();
}

// PATH set to path while it lives.
struct PathSetting {
    const QByteArray saved = qgetenv("PATH");
    explicit PathSetting(const QByteArray& path) { qputenv("PATH", path); }
    ~PathSetting() { qputenv("PATH", saved); }
};

QRgb storedPixel(const QString& album, const QString& name) {
    QByteArray bytes;
    test::StoredRecord(album, name, &bytes);
    return QImage::fromData(bytes).pixel(1, 1);
}

} // namespace

class TestImageEditor : public QObject {
    Q_OBJECT
    test::TestEnv m_env;
    QString m_album, m_script;

    QString path(const QString& name) const { return m_env.path(name); }

private slots:
    void initTestCase() {
        const QString green =
            test::MakePicture(path("green.png"), QSize(64, 48), QColor(0, 100, 0));
        const QString clip = path("clip.mpg");
        QVERIFY(test::Ffmpeg({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=25:duration=0.3",
                              "-c:v", "mpeg1video", "-f", "mpeg", clip}));
        m_album = test::MakeAlbum(path("edit.mdb"), {{"meadow.png", "", "", green},
                                                     {"clip.mpg", "", "", clip, "93 MPEG"}});
        m_script = writeScript(path("invert.sh"));
    }

    void editedPictureIsStoredBack() {
        Run run(m_album);
        run.settings.storeText("Options", "ImageProcessor", m_script);
        const QString handedOver = PrivateFiles::folder();
        QVERIFY(handedOver.startsWith(m_env.runtimeDir() + "/quillon32/"));
        int ticks = 0;
        bool lockedAndBusy = false, readyWhileRunning = false, privateWhileRunning = false;
        QTimer heartbeat;
        connect(&heartbeat, &QTimer::timeout, this, [&] {
            ++ticks;
            lockedAndBusy |= !run.main.centralWidget()->isEnabled() &&
                             run.main.windowTitle().startsWith("BUSY: ");
            if (test::readFile(handedOver + "/dbimfile.txt") == "READY\n") {
                readyWhileRunning = true;
                privateWhileRunning = modeOf(handedOver + "/image.pic") == 0600 &&
                                      modeOf(handedOver + "/dbimfile.txt") == 0600 &&
                                      modeOf(handedOver) == 0700 &&
                                      modeOf(m_env.runtimeDir() + "/quillon32") == 0700;
            }
        });
        heartbeat.start(20);
        run.runToEnd("ID_ImageProcessing");
        heartbeat.stop();
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks))); // the window kept running
        QVERIFY(lockedAndBusy);
        QVERIFY(readyWhileRunning);
        QVERIFY(privateWhileRunning);
        // Nothing handed over stays, and nothing went to AppDir.
        QCOMPARE(filesBelow(m_env.runtimeDir()), QStringList());
        QCOMPARE(filesBelow(run.state.paths.AppDir).filter("image.pic"), QStringList());
        QVERIFY(run.main.centralWidget()->isEnabled());
        QCOMPARE(storedPixel(m_album, "meadow.png"), qRgb(255, 155, 255));
        const auto stored = test::StoredRecord(m_album, "meadow.png");
        QCOMPARE(stored->date, QDate::currentDate());
        QCOMPARE(stored->imageFormat, QStringLiteral("75 Portable Network Graphics"));
        QVERIFY(stored->imageProperties.contains("(64x48)"));
        QCOMPARE(run.cell(0, 0), QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));

        // An editor that changes nothing: the picture is stored again all the same, dated today.
        const QString same =
            test::MakeAlbum(path("same.mdb"), {{"meadow.png", "", "", path("green.png")}});
        const QString untouched = path("untouched.sh");
        QVERIFY(test::writeFile(untouched, "#!/bin/sh\nexit 0\n"));
        QFile::setPermissions(untouched, QFile::ReadOwner | QFile::ExeOwner);
        Run again(same);
        again.settings.storeText("Options", "ImageProcessor", untouched);
        again.runToEnd("ID_ImageProcessing");
        QByteArray bytes;
        QCOMPARE(test::StoredRecord(same, "meadow.png", &bytes)->date, QDate::currentDate());
        QCOMPARE(bytes, test::readFile(path("green.png")));
    }

    void editorsThatCannotRun() {
        Run run(m_album);
        run.select("meadow.png");
        const QRgb before = storedPixel(m_album, "meadow.png");
        run.settings.storeText("Options", "ImageProcessor", path("no such editor"));
        run.prompts.expectMessage("ERROR");
        run.runToEnd("ID_ImageProcessing");
        QVERIFY(run.prompts.asked().last().text.contains("cannot be started"));
        QCOMPARE(filesBelow(m_env.runtimeDir()), QStringList());
        QCOMPARE(storedPixel(m_album, "meadow.png"), before);

        // None set, no "tonework", no GIMP on the path.
        QDir().mkpath(path("emptybin"));
        {
            const PathSetting empty(path("emptybin").toLocal8Bit());
            run.settings.storeText("Options", "ImageProcessor", "");
            run.prompts.expectMessage("WARNING");
            run.main.runCommand("ID_ImageProcessing");
            QVERIFY(run.prompts.asked().last().text.startsWith("No image editor is set."));
        }
        QCOMPARE(storedPixel(m_album, "meadow.png"), before);

        // A clip is not a picture.
        run.select("clip.mpg");
        run.settings.storeText("Options", "ImageProcessor", m_script);
        run.prompts.expectMessage("WARNING");
        run.main.runCommand("ID_ImageProcessing");
        QCOMPARE(run.prompts.asked().last().text, QStringLiteral("Cannot process video file."));
    }

    void gimpIsTheDefaultWhenInstalled() {
        // A stand-in named gimp on the path gets "--new-instance" and the picture.
        QDir().mkpath(path("bin"));
        writeScript(path("bin/gimp"));
        const PathSetting withGimp(path("bin").toLocal8Bit() + ":" + qgetenv("PATH"));
        const auto found = FindImageEditor({}, path("home/"), "/tmp/x/image.pic");
        QVERIFY(found);
        QCOMPARE(found->arguments, QStringList({"--new-instance", "/tmp/x/image.pic"}));
        // A path with blanks is one program; "%f" may sit among other arguments.
        QVERIFY(QDir().mkpath(path("my tools")));
        const QString spaced = writeScript(path("my tools/edit"));
        QCOMPARE(FindImageEditor(spaced, {}, "p")->program, spaced);
        QCOMPARE(FindImageEditor("krita --nosplash %f", {}, "p")->arguments,
                 QStringList({"--nosplash", "p"}));

        Run run(m_album);
        run.select("meadow.png");
        const QRgb before = storedPixel(m_album, "meadow.png");
        run.settings.storeText("Options", "ImageProcessor", "");
        run.runToEnd("ID_ImageProcessing");
        QCOMPARE(storedPixel(m_album, "meadow.png"),
                 qRgb(255 - qRed(before), 255 - qGreen(before), 255 - qBlue(before)));
    }
};

QTEST_MAIN(TestImageEditor)
#include "tst_imageeditor.moc"
