// Storing files as album rows: the several-files and one-file flows, compressed storage, the
// format and properties texts, and a file that is gone.

#include "../album/AlbumTestData.h"
#include "ScriptedPromptService.h"
#include "album/AlbumDb.h"
#include "album/add/AddRecord.h"
#include "album/add/AddRunOpen.h"
#include "album/add/ThumbnailMaker.h"

#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace q32;

namespace {

struct TitleSink : AddRunSink {
    QStringList titles;
    void setTitle(const QString& t) override { titles << t; }
};

} // namespace

class TestAddRecord : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    const QString m_jpg = path("a.jpg"), m_bmp = path("photo.BMP"), m_gif = path("anim.gif"),
                  m_png8 = path("palette.png");

    QString path(const QString& name) const { return m_dir.filePath(name); }
    std::unique_ptr<AlbumDb> newAlbum(const QString& name, bool duplicates = false) {
        return test::newAlbum(path(name), duplicates);
    }

    PrepareOptions m_prepare;
    AddOutcome add(const StoreContext& c, const QString& file) {
        return AddFileAsRecord(c, file, m_prepare);
    }

private slots:
    void initTestCase() {
        m_prepare.workFolder = m_dir.path() + QLatin1Char('/');
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QImage photo(640, 480, QImage::Format_RGB888);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
        QVERIFY(photo.save(m_jpg, "JPEG", 90));
        QVERIFY(photo.save(m_bmp, "BMP"));
        QVERIFY(photo.convertToFormat(QImage::Format_Indexed8).save(m_png8, "PNG"));
        QCOMPARE(QProcess::execute("convert",
                                   {"-size", "32x24", "xc:red", "xc:blue", "-loop", "0", m_gif}),
                 0);
    }

    void textsOfThePropertiesLine() {
        QCOMPARE(SizeText(12345), "(12,345 bytes) ");
        QCOMPARE(SizeText(0), "( bytes) "); // the pattern prints nothing for zero
    }

    void severalFilesStoreAndSkipDuplicates() {
        auto album = newAlbum("several.mdb");
        QVERIFY(album);
        test::ScriptedPromptService prompts; // several files: nothing may be asked
        TitleSink sink;
        const StoreContext c{album.get(), &prompts, &sink, false};

        AddOutcome first = add(c, m_jpg);
        QCOMPARE(first.result, AddResult::Stored);
        const auto row = album->record(first.rowId);
        QVERIFY(row);
        QCOMPARE(row->imageFile, "a.jpg");
        QCOMPARE(row->imageFormat, "10 JPEG File Interchange Format");
        QCOMPARE(row->imageProperties,
                 SizeText(QFileInfo(m_jpg).size()) + "(640x480) (16,777,216 colors)");
        QCOMPARE(row->date, QDate::currentDate());
        QVERIFY(row->description.isEmpty());
        QCOMPARE(album->readBytes(first.rowId, PictureField::Image), test::readFile(m_jpg));
        QCOMPARE(sink.titles.first(), "BUSY: Adding images to the Depository...");

        const AddOutcome palette = add(c, m_png8);
        QCOMPARE(palette.result, AddResult::Stored);
        QVERIFY(album->record(palette.rowId)->imageProperties.endsWith("(640x480) (256 colors)"));
        QVERIFY(album->record(palette.rowId)->imageFormat.startsWith("75 "));

        // The same name from another folder is skipped, and the run is told why.
        QDir().mkpath(path("other"));
        QFile::copy(m_png8, path("other/a.jpg"));
        const AddOutcome dup = add(c, path("other/a.jpg"));
        QCOMPARE(dup.result, AddResult::Skipped);
        QCOMPARE(sink.titles.last(), "Cannot add image: a.jpg already exists in this album!");
        QCOMPARE(album->rowCount(), 2);
        // A file gone since it was listed (the empty and the unknown ones are in tst_addrun).
        QCOMPARE(add(c, path("gone.png")).imaging, ImagingCondition::FileNotFound);
        QCOMPARE(album->rowCount(), 2);
        QCOMPARE(prompts.asked().size(), 0);
    }

    void oneFileAsksForNameAndMemo() {
        auto album = newAlbum("one.mdb");
        test::ScriptedPromptService prompts;
        TitleSink sink;
        const StoreContext c{album.get(), &prompts, &sink, true};

        prompts.expectInput("Image File Name", "beach.jpg")
            .expectInput("Image Description", "Sunny day");
        const AddOutcome first = add(c, m_jpg);
        QCOMPARE(first.result, AddResult::Stored);
        QCOMPARE(prompts.asked().at(0).text, "File Name?");
        QCOMPARE(prompts.asked().at(0).defaultText, "a.jpg");
        QCOMPARE(prompts.asked().at(1).text, "Memo?");
        QCOMPARE(album->record(first.rowId)->imageFile, "beach.jpg");
        QCOMPARE(album->record(first.rowId)->description, "Sunny day");

        // A taken name brings the prompt back; the message names the file, not the typed name.
        prompts.expectInput("Image File Name", "beach.jpg")
            .expectInput("Image Description", "")
            .expectMessage("DUPLICATE FILE NAME")
            .expectInput("Image File Name", "beach2.jpg")
            .expectInput("Image Description", "");
        const AddOutcome second = add(c, m_jpg);
        QCOMPARE(second.result, AddResult::Stored);
        QCOMPARE(prompts.asked().at(4).text, QStringLiteral("\"a.jpg\" has already been used."));
        QCOMPARE(prompts.asked().at(4).style, int(MsgIcon::Information));
        QCOMPARE(album->record(second.rowId)->imageFile, "beach2.jpg");
        QVERIFY(album->record(second.rowId)->description.isEmpty());

        // Cancelling the name adds nothing and ends the run.
        prompts.expectInput("Image File Name", "");
        QCOMPARE(add(c, m_jpg).result, AddResult::Cancelled);
        QCOMPARE(album->rowCount(), 2);
        QCOMPARE(prompts.pending(), 0);
        QCOMPARE(prompts.busyDepth(), 0);
    }

    void formatTextsAndCompressedStorage() {
        auto album = newAlbum("kinds.mdb", true); // the bitmap twice
        test::ScriptedPromptService prompts;
        TitleSink sink;
        const StoreContext c{album.get(), &prompts, &sink, false};
        QVERIFY(QFile::copy(m_jpg, path("x.jpeg"))); // takes the general path
        const struct {
            QString file;
            bool compress;
            const char* format;
            const char* size;
        } kinds[] = {{m_bmp, false, "06 Microsoft Windows Bitmap", "(640x480) "},
                     {m_gif, false, "84 GIF", "(32x24) "},
                     {path("x.jpeg"), false, "10 JPEG File Interchange Format", "(640x480) "},
                     {m_bmp, true, "10 JPEG File Interchange Format", "(640x480) "}};
        for (const auto& k : kinds) {
            m_prepare.compressStorage = k.compress;
            const AddOutcome added = add(c, k.file);
            m_prepare.compressStorage = false;
            QCOMPARE(added.result, AddResult::Stored);
            const auto row = album->record(added.rowId);
            QCOMPARE(row->imageFile, QFileInfo(k.file).fileName());
            QCOMPARE(row->imageFormat, k.format);
            QVERIFY2(row->imageProperties.contains(k.size), qPrintable(row->imageProperties));
            const QByteArray stored = album->readBytes(added.rowId, PictureField::Image);
            QVERIFY(row->imageProperties.startsWith(SizeText(stored.size())));
            if (!k.compress)
                QCOMPARE(stored, test::readFile(k.file));
            else
                QVERIFY(stored.startsWith("\xFF\xD8") &&
                        stored.size() < QFileInfo(m_bmp).size() / 4);
        }
    }

    void todaysClipsAreStoredAsClips_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("encoding");
        QTest::addColumn<QString>("format");
        const QStringList h264 = {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac"};
        QTest::newRow("phone mp4") << "VID_0001.mp4" << h264 << "95 MPEG-4 Video";
        QTest::newRow("webm") << "clip.webm" << QStringList{"-c:v", "libvpx-vp9", "-c:a", "libopus"}
                              << "96 WebM Video";
        QTest::newRow("mkv") << "clip.mkv" << h264 << "97 Matroska Video";
        QTest::newRow("avi") << "clip.avi" << QStringList{"-c:v", "mpeg4", "-c:a", "mp3"}
                             << "59 Video for Windows";
        QTest::newRow("mpeg-1") << "clip.mpg"
                                << QStringList{"-c:v", "mpeg1video", "-r", "25", "-f", "mpeg"}
                                << "93 MPEG";
        QTest::newRow("camcorder mts")
            << "00001.MTS" << h264 + QStringList{"-f", "mpegts"} << "93 MPEG";
        // A camera's QuickTime file under another name is told by its brand.
        QTest::newRow("quicktime as mp4")
            << "IMG_0002.MP4" << h264 + QStringList{"-f", "mov"} << "94 Apple Quicktime";
    }
    void todaysClipsAreStoredAsClips() {
        QFETCH(QString, name);
        QFETCH(QStringList, encoding);
        QFETCH(QString, format);
        const QString clip = path(name);
        QCOMPARE(
            QProcess::execute("ffmpeg", QStringList{"-v", "error", "-y", "-f", "lavfi", "-i",
                                                    "testsrc=size=160x120:rate=10", "-f", "lavfi",
                                                    "-i", "sine=frequency=440", "-t", "4"} +
                                            encoding + QStringList{clip}),
            0);
        auto album = newAlbum(name + ".mdb");
        test::ScriptedPromptService prompts;
        TitleSink sink;
        const AddOutcome added = add(StoreContext{album.get(), &prompts, &sink, false}, clip);
        QCOMPARE(added.result, AddResult::Stored);
        const auto row = album->record(added.rowId);
        QCOMPARE(row->imageFormat, format);
        QCOMPARE(row->imageProperties,
                 SizeText(QFileInfo(clip).size()) + "(160x120) (16,777,216 colors)");
        QCOMPARE(album->readBytes(added.rowId, PictureField::Image), test::readFile(clip));
        // Its thumbnail is a frame of it, which also holds its length (a transport stream's
        // counts from its first time stamp, a little before its first picture; a stream of less
        // than about four seconds tells none).
        const PreparedFile prepared = PrepareFile(clip, m_prepare);
        QCOMPARE(QImage::fromData(prepared.thumbnail, "JPG").size(), QSize(160, 120));
        const qint64 length = ClipLengthOfThumbnail(prepared.thumbnail).value_or(0);
        QVERIFY2(length >= 3950 && length < 4300, qPrintable(QString::number(length)));
    }
};

QTEST_GUILESS_MAIN(TestAddRecord)
#include "tst_addrecord.moc"
