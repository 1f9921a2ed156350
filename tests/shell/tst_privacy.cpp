// An album's media stay in the album, and what the program keeps for itself is the user's alone.

#include "MainWindowRun.h"
#include "ModalWindows.h"
#include "TestAlbums.h"
#include "TestClips.h"
#include "TestEnv.h"
#include "TestFiles.h"
#include "album/AlbumMaintenance.h"
#include "album/AlbumThumbnails.h"
#include "album/thumbnails/ThumbnailSource.h"
#include "output/print/PrintRun.h"
#include "output/print/ui/PrintPreviewWindow.h"
#include "platform/player/VideoControl.h"
#include "shell/records/RecordCommands.h"
#include "shell/ui/PreviewPane.h"
#include "shell/ui/ThumbnailPane.h"
#include "viewer/ui/FullPicture.h"
#include "viewer/ui/PictureCanvas.h"

#include <QApplication>
#include <QDateTime>
#include <QDirIterator>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <string_view>
#include <unordered_set>
#include <vector>

using namespace q32;
using test::modeOf;

namespace {

// Slices of the stored files, and a search for them in other files.
class Slices {
public:
    // Slices at a fixed stride (4 KiB, 64 bytes for small files) catch any longer copy at any
    // offset; a file's first bytes (its header, shared with its kind) are left out.
    void add(const QByteArray& bytes) {
        if (bytes.size() < kSlice)
            return;
        m_kept.push_back(bytes);
        const QByteArray& b = m_kept.back();
        const qsizetype stride = b.size() >= 65536 ? 4096 : 64;
        for (qsizetype at = std::min<qsizetype>(1024, b.size() / 2); at + kSlice <= b.size();
             at += stride) {
            m_slices.insert(std::string_view(b.constData() + at, kSlice));
            m_seen[prefixBucket(b.constData() + at)] = true;
        }
    }
    // Whether any slice is anywhere in bytes.
    bool foundIn(const QByteArray& bytes) const {
        for (qsizetype at = 0; at + kSlice <= bytes.size(); ++at)
            if (m_seen[prefixBucket(bytes.constData() + at)] &&
                m_slices.count(std::string_view(bytes.constData() + at, kSlice)))
                return true;
        return false;
    }
    qsizetype count() const { return qsizetype(m_slices.size()); }

private:
    static constexpr int kSlice = 32;
    static size_t prefixBucket(const char* at) {
        quint64 head;
        memcpy(&head, at, sizeof head);
        return size_t((head * 0x9E3779B97F4A7C15ull) >> 40); // 24 bits
    }
    std::vector<QByteArray> m_kept;
    std::unordered_set<std::string_view> m_slices;
    std::vector<bool> m_seen = std::vector<bool>(size_t(1) << 24);
};

bool run(const QString& program, const QStringList& arguments) {
    return QProcess::execute(program, arguments) == 0;
}

// Inverts the picture the editor is given, as an outside editor saving its work would.
const char* kEditor = R"SH(#!/bin/sh
convert "$1" -negate "$1.new.jpg" && mv "$1.new.jpg" "$1"
)SH";

// Prints the picture the Print Preview window shows as soon as it opens, then closes it.
void printWhenShown() {
    test::whenShown<PrintPreviewWindow>([](PrintPreviewWindow* w) {
        QTest::mouseClick(w->findChild<QPushButton*>("SSCommand2"), Qt::LeftButton);
        if (!QTest::qWaitFor([w] { return !w->run().running(); }, 60000))
            qWarning("the print run did not end");
        if (w->isVisible())
            w->reject();
    });
}

} // namespace

class TestPrivacy : public QObject {
    Q_OBJECT
    test::TestEnv m_env;
    QString m_sources;
    // What the albums store, in record order, and their formats (read by their codes).
    const QStringList m_files = {"noise.jpg", "noise.png", "anim.gif", "anim.webp",
                                 "clip.mpg",  "voice.png", "big.bmp"};
    const QStringList m_formats = {"10 JPEG", "75 PNG", "84 GIF", "87 WebP",
                                   "93 MPEG", "75 PNG", "06 BMP"};
    QString m_sound, m_editor;

    QString path(const QString& name) const { return m_env.path(name); }

private slots:
    void initTestCase() {
        // A machine without a printer: printing goes to a PDF file.
        qputenv("CUPS_SERVER", path("no-cups-here.sock").toLocal8Bit());
        qputenv("HOME", path("user").toLocal8Bit());
        // The program's own temporary files land among ours, where every file is searched.
        qputenv("TMPDIR", path("tmp").toLocal8Bit());
        QVERIFY(QDir().mkpath(path("user")) && QDir().mkpath(path("src")) &&
                QDir().mkpath(path("asked")) && QDir().mkpath(path("tmp")));
        m_sources = path("src/");
        const QString s = m_sources;
        QVERIFY(run("convert", {"-size", "320x240", "xc:", "+noise", "Random", s + "noise.jpg"}));
        QVERIFY(run("convert", {"-size", "200x150", "xc:", "+noise", "Random", s + "noise.png"}));
        QVERIFY(run("convert", {"-size", "60x40", "xc:", "+noise", "Random", "xc:", "+noise",
                                "Random", "-loop", "0", s + "anim.gif"}));
        QVERIFY(run("convert", {"-size", "60x40", "xc:", "+noise", "Random", "xc:", "+noise",
                                "Random", "-loop", "0", s + "anim.webp"}));
        // Noise seeded afresh: a test pattern or a tone would be the same bytes in every other
        // clip made of them, by other tests writing to /tmp meanwhile.
        const QString seed = QString::number(QRandomGenerator::global()->bounded(1 << 30));
        QVERIFY(
            test::Ffmpeg(QStringLiteral("-f lavfi -i testsrc=size=160x120:rate=25:duration=1 "
                                        "-f lavfi -i anoisesrc=duration=1:amplitude=0.2:seed=%1 "
                                        "-vf noise=alls=20:allf=t:all_seed=%1 -c:v mpeg1video "
                                        "-c:a mp2 -f mpeg %2")
                             .arg(seed, s + "clip.mpg")
                             .split(' ')));
        QVERIFY(run("convert", {"-size", "100x80", "xc:", "+noise", "Random", s + "voice.png"}));
        m_sound = s + "voice.wav";
        QVERIFY(run("sox", {"-n", "-r", "8000", "-c", "1", m_sound, "synth", "0.5", "whitenoise"}));
        // 64 MB of noise, so that every slice of it is its own.
        QImage big(4730, 4730, QImage::Format_RGB888);
        QRandomGenerator random(QRandomGenerator::global()->generate());
        for (int y = 0; y < big.height(); ++y)
            random.fillRange(reinterpret_cast<quint32*>(big.scanLine(y)), big.bytesPerLine() / 4);
        QVERIFY(big.save(s + "big.bmp"));
        m_editor = s + "negate.sh";
        QVERIFY(test::writeFile(m_editor, kEditor));
        QFile::setPermissions(m_editor, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void sessionLeavesNothingOutsideTheAlbum_data() {
        QTest::addColumn<QString>("password");
        QTest::newRow("protected") << QStringLiteral("secret");
        QTest::newRow("no password") << QString();
    }

    void sessionLeavesNothingOutsideTheAlbum() {
        QFETCH(QString, password);
        // Each session starts as a first one, with folders of its own: no album to open again.
        const QString own = path(password.isEmpty() ? "plain" : "protected");
        const QString appDir = own + "/home/", config = own + "/config";
        const QString settingsFile = config + "/quillon32/quillon32.ini";
        qputenv("QUILLON32_HOME", appDir.toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
        const QDateTime start = QDateTime::currentDateTime().addSecs(-2);
        QList<QStringList> rows;
        for (int n = 0; n < m_files.size(); ++n)
            rows.append({m_files[n], "", "", m_sources + m_files[n], m_formats[n]});
        const QString album =
            test::MakeAlbum(path(password.isEmpty() ? "plain.mdb" : "protected.mdb"), rows);
        QVERIFY(!album.isEmpty());
        QVERIFY(
            AlbumDb::open(album, {}, nullptr)->storeFile(6, PictureField::SoundFile, m_sound).ok());
        if (!password.isEmpty())
            QVERIFY(ChangeAlbumPassword(album, {}, password).ok());
        const QString exported = path("asked/exported.jpg"), pdf = path("asked/printed.pdf");
        QFile::remove(exported);
        QFile::remove(pdf);

        {
            test::MainWindowRun session;
            session.main.startUp();
            if (!password.isEmpty())
                session.prompts.expectPassword(album, password);
            QVERIFY(test::OpenAlbum(session.main.browser(), album));
            MainWindow& main = session.main;
            const int count = int(m_files.size());
            QCOMPARE(session.album().RecordCount, count);

            // Every record in the main window; the clip and each sound played to their end.
            VideoControl& player = main.preview().player();
            for (int row = 1; row <= count; ++row) {
                main.selectRecord(row);
                QTRY_VERIFY_WITH_TIMEOUT(main.preview().idle(), 30000);
                const QString name = session.record().CurrentImageFile;
                if (name == "clip.mpg" || name == "voice.png") {
                    QSignalSpy ended(&player, &VideoControl::ended);
                    name == "clip.mpg" ? player.playFromStart() : main.toggleSound();
                    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 20000);
                    if (name == "voice.png")
                        main.toggleSound();
                    else { // Play after the end plays it again
                        main.findChild<QPushButton*>("SSCommand1_1")->click();
                        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 2, 20000);
                    }
                }
            }

            // Each record in the viewer, then a slideshow over all of them.
            for (const bool slideshow : {false, true}) {
                main.selectRecord(1);
                QTRY_VERIFY_WITH_TIMEOUT(main.preview().idle(), 30000);
                slideshow ? main.startSlideshow() : main.openViewer();
                QVERIFY(main.viewer());
                for (int shown = 1; shown <= count; ++shown) {
                    QTRY_VERIFY_WITH_TIMEOUT(main.viewer()->idle(), 30000);
                    // The animations play and the clip runs, from the album's bytes.
                    const QString name = session.record().CurrentImageFile;
                    if (!slideshow && name.startsWith("anim.")) {
                        const QImage first = main.viewer()->canvas()->frame();
                        QTRY_VERIFY(main.viewer()->canvas()->frame() != first);
                    } else if (!slideshow && name == "clip.mpg") {
                        QTRY_VERIFY(main.viewer()->player().isPlaying());
                    }
                    if (shown < count)
                        main.viewer()->showNextPicture();
                }
                main.viewer()->reject();
                QTRY_VERIFY(!main.viewer());
            }

            // The editor round trip on the JPEG.
            main.selectRecord(1);
            QTRY_VERIFY_WITH_TIMEOUT(main.preview().idle(), 30000);
            QCOMPARE(session.record().CurrentImageFile, QStringLiteral("noise.jpg"));
            session.settings.storeText("Options", "ImageProcessor", m_editor + " %f");
            main.runCommand("ID_ImageProcessing");
            QTRY_VERIFY_WITH_TIMEOUT(!main.records().busy(), 30000);

            // Exported where the user asked.
            main.records().askSaveOptions = [](int, bool, const ImageInfo&) {
                SaveOptionsModel m(1); // JPEG
                m.accept({});
                return m.choice();
            };
            main.selectRecord(2);
            session.prompts.expectSaveFile("Save Image As...", exported);
            main.runCommand("ID_ExportImage");
            QTRY_VERIFY_WITH_TIMEOUT(!main.records().busy(), 30000);
            QVERIFY(QFileInfo(exported).size() > 0);

            // Printed to a PDF file, the machine having no printer.
            session.prompts.expectMessage("PRINT ERROR")
                .expectMessage("PRINT TO FILE", MsgResult::Yes)
                .expectSaveFile("Print To PDF File", pdf);
            printWhenShown();
            main.runCommand("ID_PrintImage");
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(pdf).size() > 0, 60000);
            QTRY_VERIFY(!QApplication::activeModalWidget());
            QCOMPARE(session.prompts.pending(), 0);

            // The thumbnail view, whose clip's frame is taken from the album's bytes.
            QSignalSpy filled(&main.thumbnails().source(), &ThumbnailSource::fillFinished);
            main.thumbnails().setOn(true);
            QVERIFY(filled.wait(60000));

            // Quit, as Ctrl+Q does.
            main.close();
        }

        // What the album stores now (the edited picture and the thumbnails among it), and what
        // went in.
        Slices slices;
        {
            auto db = AlbumDb::open(album, {true, password}, nullptr);
            QVERIFY(db);
            // The editor's work was stored back.
            QVERIFY(db->readBytes(1, PictureField::Image) !=
                    test::readFile(m_sources + "noise.jpg"));
            for (qint64 id = 1; id <= m_files.size(); ++id) {
                slices.add(db->readBytes(id, PictureField::Image));
                slices.add(db->readBytes(id, PictureField::SoundFile));
                const auto thumbnail = ReadThumbnail(*db, id);
                QVERIFY(thumbnail && thumbnail->size() > 100);
                slices.add(*thumbnail);
            }
        }
        for (const QString& file : m_files)
            slices.add(test::readFile(m_sources + file));
        slices.add(test::readFile(m_sound));
        QVERIFY(slices.count() > 16000);

        // Searched: our folders and what /tmp got meanwhile, but for the sources, what the user
        // asked for and, without a password, the album.
        QStringList searched;
        QDirIterator it(QStringLiteral("/tmp"), QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            const bool ours = file.startsWith(m_env.root() + "/");
            // Tests running beside this one keep their files in folders of their own.
            const bool sibling = !ours && file.startsWith(QStringLiteral("/tmp/tst_"));
            if (sibling || file.startsWith(m_sources) || file == exported || file == pdf ||
                (file == album && password.isEmpty()) ||
                (!ours && it.fileInfo().lastModified() < start))
                continue;
            searched << file;
            QVERIFY2(!slices.foundIn(test::readFile(file)), qPrintable(file));
        }
        QVERIFY(searched.contains(album) || password.isEmpty());
        QVERIFY(searched.contains(settingsFile));

        // What the program keeps for itself is the user's alone.
        for (const QString& folder :
             {appDir, QFileInfo(settingsFile).path(), m_env.runtimeDir() + "/quillon32"}) {
            QCOMPARE(modeOf(folder), 0700);
            QDirIterator mine(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                              QDirIterator::Subdirectories);
            while (mine.hasNext()) {
                const QString entry = mine.next();
                QVERIFY2(modeOf(entry) == (mine.fileInfo().isDir() ? 0700 : 0600),
                         qPrintable(entry));
            }
        }
        QVERIFY(QDir(m_env.runtimeDir() + "/quillon32")
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                    .isEmpty());
    }
};

QTEST_MAIN(TestPrivacy)
#include "tst_privacy.moc"
