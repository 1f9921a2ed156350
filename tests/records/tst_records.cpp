// The record commands in the main window: texts, deleting, sounds and exporting.

#include "RecordsFixture.h"
#include "TestFiles.h"
#include "output/export/SaveOptionsModel.h"
#include "platform/imaging/Imaging.h"
#include "platform/player/VideoControl.h"
#include "shell/records/RecordCommands.h"
#include "shell/ui/PreviewPane.h"

#include <QLabel>
#include <QProcess>
#include <QTest>
#include <QTimer>

using namespace q32;
using test::Run;

class TestRecords : public QObject {
    Q_OBJECT
    test::TestEnv m_env;
    QString m_green, m_blue, m_red;

    QString path(const QString& name) const { return m_env.path(name); }
    QString threeRecords(const QString& name) {
        return test::MakeAlbum(path(name), {{"beach.png", "On the beach", "sea", m_green},
                                            {"hill.png", "Up the hill", "walk", m_blue},
                                            {"lake.png", "", "", m_red}});
    }

private slots:
    void initTestCase() {
        VideoControl::chooseBackend();
        m_green = test::MakePicture(path("green.png"), QSize(64, 48), QColor(0, 100, 0));
        m_blue = test::MakePicture(path("blue.png"), QSize(30, 60), Qt::blue);
        m_red = test::MakePicture(path("red.png"), QSize(20, 20), Qt::red);
        // Colours enough that 8 bits are needed.
        QImage photo(64, 48, QImage::Format_RGB32);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                photo.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) % 256));
        QVERIFY(photo.save(path("photo.png")));
    }

    void statusLineEditsTheThreeTexts() {
        const QString album = threeRecords("edit.mdb");
        Run run(album);
        auto* label2 = run.main.findChild<QLabel*>("Label2");
        QCOMPARE(label2->text(), QStringLiteral("On the beach"));
        // The file name prompt is cancelled: that field stays, the other two are saved.
        run.prompts.expectInput("IMAGE DESCRIPTION", "Sunset at the pier")
            .expectInput("IMAGE FILE NAME", "")
            .expectInput("KEYWORDS", "sea; evening");
        QTest::mouseClick(label2, Qt::LeftButton);
        QCOMPARE(run.prompts.asked().value(0).text, QStringLiteral("Enter description:"));
        QCOMPARE(run.prompts.asked().value(0).defaultText, QStringLiteral("On the beach"));
        QCOMPARE(run.prompts.asked().value(1).defaultText, QStringLiteral("beach.png"));
        QCOMPARE(run.prompts.asked().value(2).defaultText, QStringLiteral("sea"));
        auto stored = test::StoredRecord(album, "beach.png");
        QVERIFY(stored);
        QCOMPARE(stored->description, QStringLiteral("Sunset at the pier"));
        QCOMPARE(stored->keywords, QStringLiteral("sea; evening"));
        QCOMPARE(run.cell(0, 6), QStringLiteral("Sunset at the pier"));
        QCOMPARE(run.cell(0, 5), QStringLiteral("sea; evening"));
        QCOMPARE(run.cell(0, 2), QStringLiteral("beach.png"));
        QCOMPARE(label2->text(), QStringLiteral("Sunset at the pier"));

        // The third record: a new name, everything else cancelled.
        run.main.show();
        QVERIFY(QTest::qWaitForWindowActive(&run.main));
        run.main.selectRecord(3);
        run.prompts.expectInput("IMAGE DESCRIPTION", "")
            .expectInput("IMAGE FILE NAME", "pond.png")
            .expectInput("KEYWORDS", "");
        QTest::keyClick(&run.main, Qt::Key_F2);
        QCOMPARE(run.cell(2, 2), QStringLiteral("pond.png"));
        QCOMPARE(run.record().CurrentImageFile, QStringLiteral("pond.png"));
        QVERIFY(test::StoredRecord(album, "pond.png"));

        // A name another record has is refused and asked again; Cancel keeps the old name.
        run.prompts.expectInput("IMAGE DESCRIPTION", "Still water")
            .expectInput("IMAGE FILE NAME", "hill.png")
            .expectInput("KEYWORDS", "calm")
            .expectMessage("WARNING")
            .expectInput("IMAGE FILE NAME", "beach.png")
            .expectMessage("WARNING")
            .expectInput("IMAGE FILE NAME", "");
        const qsizetype first = run.prompts.asked().size();
        QTest::mouseClick(label2, Qt::LeftButton);
        QCOMPARE(run.prompts.asked()[first + 3].text,
                 QStringLiteral("Another picture in this album is already named \"hill.png\", and "
                                "this album does not allow two pictures of the same name.\n\n"
                                "Type another name, or Cancel to keep \"pond.png\"."));
        QCOMPARE(run.prompts.asked()[first + 4].defaultText, QStringLiteral("hill.png"));
        auto kept = test::StoredRecord(album, "pond.png");
        QVERIFY(kept);
        QCOMPARE(kept->description, QStringLiteral("Still water"));
        QCOMPARE(kept->keywords, QStringLiteral("calm"));
        QCOMPARE(run.cell(2, 6), QStringLiteral("Still water"));
    }

    void deletingAskesRefusesTheLastAndReopens() {
        const QString album = threeRecords("delete.mdb");
        Run run(album);
        run.main.selectRecord(2);
        QCOMPARE(run.record().CurrentImageFile, QStringLiteral("hill.png"));
        // Cancel keeps everything.
        run.prompts.expectMessage("WARNING", MsgResult::Cancel);
        run.main.runCommand("ID_DeleteImage");
        QCOMPARE(run.prompts.asked().last().text,
                 QStringLiteral("Are you sure you want to remove the current image from this "
                                "album?"));
        QCOMPARE(run.prompts.asked().last().style, 1 + 16); // OK/Cancel, critical
        QCOMPARE(run.album().RecordCount, 3);
        QVERIFY(test::StoredRecord(album, "hill.png"));

        // OK removes it and shows the album again from its first record.
        run.prompts.expectMessage("WARNING", MsgResult::Ok);
        run.runToEnd("ID_DeleteImage");
        QVERIFY(!test::StoredRecord(album, "hill.png"));
        QCOMPARE(run.album().RecordCount, 2);
        QCOMPARE(run.album().CurrentRow, 1);
        QCOMPARE(run.record().CurrentImageFile, QStringLiteral("beach.png"));
        QCOMPARE(run.main.grid()->model()->rowCount(), 2);
        QVERIFY(run.main.windowTitle().startsWith("delete.mdb  (2 images)"));

        run.prompts.expectMessage("WARNING", MsgResult::Ok);
        run.main.records().deleteCurrentRecord();
        QTRY_VERIFY(!run.main.browser().opening());
        QCOMPARE(run.album().RecordCount, 1);
        QCOMPARE(run.record().CurrentImageFile, QStringLiteral("lake.png"));
        QVERIFY(run.main.windowTitle().startsWith("delete.mdb  (1 image)"));
        // The last one stays.
        run.prompts.expectMessage("WARNING");
        run.main.runCommand("ID_DeleteImage");
        QCOMPARE(run.prompts.asked().last().text,
                 QStringLiteral("The last image in the Image Depository cannot be removed!"));
        QCOMPARE(run.prompts.asked().last().style, 48);
        QVERIFY(test::StoredRecord(album, "lake.png"));
    }

    void soundsAreAttachedTypedAndPlayed() {
        const QString album = threeRecords("sound.mdb");
        const QString wav = path("TUNE.WAV");
        QCOMPARE(QProcess::execute("sox", {"-n", "-r", "8000", "-c", "1", "-b", "16", wav, "synth",
                                           "0.3", "sine", "440"}),
                 0);
        // The type comes from the name alone.
        for (const char* name : {"song.mid", "song.rmi"})
            QVERIFY(test::writeFile(path(name), QByteArray("MThd\0\0\0\x06\0\0\0\x01\0\x60", 14)));
        Run run(album);
        run.settings.storeText("Directories", "AlbumsDir", m_env.root() + "/");
        auto* speaker = run.main.preview().soundIndicator();
        QVERIFY(!speaker->isVisible());

        // Cancelling the dialog attaches nothing.
        run.prompts.expectOpenFile("Select Sound File", "");
        run.main.runCommand("ID_AttachSound");
        const FileDialogRequest asked = run.prompts.asked().last().file;
        QCOMPARE(asked.filter, QStringLiteral("Wave Files (*.wav)|*.wav|MIDI Files (*.mid)|*.mid|"
                                              "All Files (*.*)|*.*"));
        QCOMPARE(asked.initialDir, m_env.root() + "/");
        QVERIFY(asked.mustExist);
        QCOMPARE(test::StoredRecord(album, "beach.png")->soundSize, 0);

        const QList<std::tuple<int, QString, QString>> cases = {
            {1, wav, "WAVE"}, {2, path("song.mid"), "MIDI"}, {3, path("song.rmi"), "OTHER"}};
        for (const auto& [row, file, type] : cases) {
            run.main.selectRecord(row);
            run.prompts.expectOpenFile("Select Sound File", file);
            run.main.runCommand("ID_AttachSound");
            QByteArray sound;
            const auto stored =
                test::StoredRecord(album, run.record().CurrentImageFile, nullptr, &sound);
            QCOMPARE(stored->soundType, type);
            QCOMPARE(sound, test::readFile(file));
            QCOMPARE(run.cell(row - 1, 1), type);
            QVERIFY(speaker->isVisibleTo(&run.main));
        }
        // (A stored sound played to its end from the loudspeaker is tst_privacy's.)
    }

    void exportGoesThroughTheSaveOptions() {
        QVERIFY(test::writeFile(path("torn.png"), QByteArray(3000, '\x5a'))); // no picture at all
        const QString album =
            test::MakeAlbum(path("export.mdb"), {{"beach.png", "", "", path("photo.png")},
                                                 {"torn.png", "", "", path("torn.png")}});
        Run run(album);
        QList<std::tuple<int, bool, QSize>> opened; // what the options window was started with
        bool acceptOptions = true;
        run.main.records().askSaveOptions = [&](int format, bool append, const ImageInfo& picture) {
            opened.append({format, append, picture.displaySize()});
            SaveOptionsModel m(18, true); // TIFF
            m.selectFlavor(1);            // LZW
            m.clickBit(8);
            if (acceptOptions)
                m.accept({});
            return m.choice();
        };
        // Cancelling the file dialog or the options writes nothing.
        run.exportTo("");
        QCOMPARE(run.prompts.asked().last().file.filter, QStringLiteral("All Files|*.*"));
        QVERIFY(run.prompts.asked().last().file.confirmOverwrite);
        QVERIFY(opened.isEmpty());
        const QString out = path("beach.tif");
        acceptOptions = false;
        // A name that asks for no format: the first entry of the list, until one is chosen.
        run.exportTo(path("beach"));
        QCOMPARE(opened.size(), 1);
        QCOMPARE(std::get<0>(opened[0]), 0);
        run.exportTo(out);
        QVERIFY(!QFile::exists(out));
        QCOMPARE(opened.size(), 2);
        QCOMPARE(std::get<0>(opened[1]), 18); // the name asks for TIFF
        QCOMPARE(std::get<2>(opened[1]), QSize(64, 48));

        acceptOptions = true;
        run.exportTo(out);
        QCOMPARE(run.prompts.asked().last().file.initialDir, m_env.root() + "/");
        ImageInfo info;
        QCOMPARE(ReadImageInfo(out, info), ImagingCondition::None);
        QCOMPARE(info.formatCode, 17);
        QCOMPARE(info.bitsPerPixel, 8);
        QCOMPARE(info.size(), QSize(64, 48));
        // The next export starts from the format and append choice used last; pages add up.
        run.exportTo(out);
        QCOMPARE(std::get<0>(opened.last()), 18);
        QVERIFY(std::get<1>(opened.last()));
        QCOMPARE(ReadImageInfo(out, info), ImagingCondition::None);
        QCOMPARE(info.pageCount, 2);

        // A folder that is not there: the code and what it means.
        const QString lost = path("no such folder/beach.tif");
        run.exportTo(lost, "ERROR SAVING " + lost.toUpper());
        QVERIFY(run.prompts.asked().last().text.startsWith("Error Code = 20050"));
        // A stored file that is no picture: the same message with its own code, and no file.
        run.select("torn.png");
        const QString fromTorn = path("torn.tif");
        run.exportTo(fromTorn, "ERROR SAVING " + fromTorn.toUpper());
        QVERIFY(run.prompts.asked().last().text.startsWith("Error Code = 20101"));
        QVERIFY(!QFile::exists(fromTorn));
    }

    void exportNamesAndFormatsAgree() {
        Run run(test::MakeAlbum(path("names.mdb"), {{"colours.png", "", "", path("photo.png")}}));
        const auto kind = [](const QString& file) {
            QProcess identify;
            identify.start("identify", {"-format", "%m %z %k", file});
            identify.waitForFinished(30000);
            return QString::fromLatin1(identify.readAllStandardOutput()).trimmed();
        };
        // The window starts where the typed name and the picture say; OK keeps what it shows.
        int started = -1, startedBits = 0, answer = -1;
        run.main.records().askSaveOptions = [&](int format, bool append, const ImageInfo& picture) {
            started = format;
            SaveOptionsModel m(answer < 0 ? format : answer, append, picture.bitsPerPixel);
            startedBits = m.bits();
            m.accept({});
            return m.choice();
        };
        // JPEG is offered first, but the name asks for PNG: PNG bytes of all the colours.
        const QString png = path("mismatch.png");
        run.exportTo(png);
        QCOMPARE(started, 14);
        QCOMPARE(startedBits, 24);
        QCOMPARE(kind(png), QStringLiteral("PNG 8 %1").arg(kind(path("photo.png")).split(' ')[2]));

        // JPEG chosen for a name ending in ".png": the name follows the format.
        answer = 1;
        const QString other = path("other.png");
        run.exportTo(other);
        QCOMPARE(started, 14);
        QVERIFY(!QFile::exists(other));
        QVERIFY(kind(path("other.jpg")).startsWith("JPEG "));
        // A file of the new name is replaced only after asking.
        QVERIFY(test::writeFile(path("other.jpg"), "keep"));
        run.exportTo(other, "Save Image As...", MsgResult::No);
        QCOMPARE(run.prompts.asked().last().text,
                 QStringLiteral("other.jpg already exists.\nDo you want to replace it?"));
        QCOMPARE(test::readFile(path("other.jpg")), QByteArray("keep"));
    }

    void bigExportLeavesTheWindowAlive() {
        // 6000 x 4000: 24 megapixels, decoded and written off the interface thread.
        const QString big = path("big.jpg");
        QCOMPARE(QProcess::execute(
                     "convert", {"-size", "6000x4000", "gradient:red-blue", "-quality", "85", big}),
                 0);
        const QString album = test::MakeAlbum(
            path("big.mdb"), {{"big.jpg", "", "", big, "10 JPEG File Interchange Format"}});
        Run run(album);
        run.main.records().askSaveOptions = [](int, bool, const ImageInfo& picture) {
            SaveOptionsModel m(19); // Windows BMP
            m.clickBit(24);
            m.accept({});
            SaveChoice c = m.choice();
            c.accepted = picture.displaySize() == QSize(6000, 4000);
            return c;
        };
        int ticks = 0, busyTicks = 0;
        QTimer heartbeat;
        connect(&heartbeat, &QTimer::timeout, this, [&] {
            ++ticks;
            if (run.prompts.busyDepth() > 0 && run.main.windowTitle().startsWith("BUSY: Saving"))
                ++busyTicks;
        });
        heartbeat.start(10);
        const QString out = path("big.bmp");
        run.exportTo(out);
        heartbeat.stop();
        ImageInfo info;
        QCOMPARE(ReadImageInfo(out, info), ImagingCondition::None);
        QCOMPARE(info.size(), QSize(6000, 4000));
        QCOMPARE(info.formatCode, 6);
        QVERIFY2(busyTicks >= 3, qPrintable(QString::number(busyTicks)));
        QVERIFY(run.main.windowTitle().startsWith("big.mdb"));
        QFile::remove(out);
    }
};

QTEST_MAIN(TestRecords)
#include "tst_records.moc"
