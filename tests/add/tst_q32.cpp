// q32 as its users run it: a folder of a thousand mixed files, runs killed at points they report,
// and the faults a script meets (missing folder, wrong password, another program's file; a
// read-only album is refused through the window in tst_addimages_flows).

#include "../album/AlbumTestData.h"
#include "FormatSamples.h"
#include "Q32Run.h"
#include "TestAlbums.h"
#include "TestFiles.h"
#include "album/AlbumDb.h"
#include "album/AlbumRecordset.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using namespace q32;
using test::sha;
using test::writeFile;

namespace {

using Result = test::Q32Result;
using test::RunQ32;
using test::RunQ32KilledAt;

QByteArray fileSha(const QString& path) {
    return sha(test::readFile(path));
}

// count bitmaps of 400 x 300 in folder, hues step apart; the hash of each made by name.
QMap<QString, QByteArray> makeBitmaps(const QString& folder, QChar prefix, int count, int step) {
    QDir().mkpath(folder);
    QMap<QString, QByteArray> sources;
    for (int i = 0; i < count; ++i) {
        const QString name = prefix + QStringLiteral("%1.bmp").arg(i, 3, 10, QLatin1Char('0'));
        if (!test::MakePicture(folder + '/' + name, {400, 300}, QColor::fromHsv(i * step, 200, 200))
                 .isEmpty())
            sources.insert(name, fileSha(folder + '/' + name));
    }
    return sources;
}

// Stored ImageFile -> hash of the stored bytes, read back through the engine.
QMap<QString, QByteArray> storedHashes(const QString& albumPath, const QString& password = {}) {
    const auto hash = [](AlbumDb& album, const PictureRecord& r) {
        return sha(album.readBytes(r.rowId, PictureField::Image));
    };
    return test::rowsByName(albumPath, hash, password);
}

// The hashes of the files q32 add reported stored, from its progress lines, by name.
QMap<QString, QByteArray> reportedStored(const QString& progress,
                                         const QMap<QString, QByteArray>& sources) {
    static const QRegularExpression storedLine("\\] \\S+/([^/\\s]+): stored");
    QMap<QString, QByteArray> reported;
    for (auto m = storedLine.globalMatch(progress); m.hasNext();) {
        const QString name = m.next().captured(1);
        reported.insert(name, sources.value(name));
    }
    return reported;
}

// Whether q32 ended with code, saying text; what it said goes to the log when not.
bool endedWith(const Result& r, int code, const QString& text) {
    if (r.exitCode == code && r.err.contains(text))
        return true;
    qWarning() << r.exitCode << r.err;
    return false;
}

} // namespace

class TestQ32 : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void thousandMixedFiles() {
        const QString folder = path("mixed");
        QDir().mkpath(folder + "/sub/deeper");
        auto rnd = QRandomGenerator(7);
        QHash<QString, QString> good; // file name -> path of the file that must be stored

        // Pictures in several formats, each with its own pixels.
        for (int i = 0; i < 900; ++i) {
            QImage img(48 + i % 17, 32 + i % 11, QImage::Format_RGB888);
            img.fill(QColor::fromRgb(rnd.generate()));
            img.setPixel(i % img.width(), 0, rnd.generate());
            const QString p = folder +
                              (i % 5 == 0   ? "/sub"
                               : i % 7 == 0 ? "/sub/deeper"
                                            : "") +
                              QStringLiteral("/pic%1.").arg(i, 4, 10, QLatin1Char('0')) +
                              QStringList{"jpg", "png", "bmp"}.at(i % 3);
            QVERIFY(img.save(p));
            good.insert(QFileInfo(p).fileName(), p);
        }
        // Formats made by ImageMagick, copied under many names.
        const QStringList magick = {"gif", "tif", "pcx", "tga", "psd", "ras", "ico"};
        for (const QString& kind : magick) {
            const QString base = path("base." + kind);
            QCOMPARE(QProcess::execute("convert", {"-size", "40x30", "gradient:red-blue", base}),
                     0);
            for (int n = 0; n < 10; ++n) {
                const QString p = folder + QStringLiteral("/%1-%2.%3").arg(kind).arg(n).arg(kind);
                QVERIFY(QFile::copy(base, p));
                good.insert(QFileInfo(p).fileName(), p);
            }
        }
        // Names that trip careless code.
        for (const QString name : {"O'Brien's party.jpg", "Zürich été Ålesund.png"}) {
            QVERIFY(!test::MakePicture(folder + "/" + name, {20, 20}, Qt::green).isEmpty());
            good.insert(name, folder + "/" + name);
        }
        // A name longer than the field: skipped with the field's limit.
        const QString longName = folder + "/" + QString(125, 'n') + ".png";
        QVERIFY(QFile::copy(good.value("pic0001.png"), longName));
        // Duplicate names in a subfolder: skipped, the first one found is stored.
        for (int i = 1; i <= 3; ++i) {
            const QString name = QStringLiteral("pic%1.jpg").arg(i * 3, 4, 10, QLatin1Char('0'));
            QVERIFY(
                !test::MakePicture(folder + "/sub/deeper/" + name, {10, 10}, Qt::yellow).isEmpty());
        }
        // Damaged files and files that only pretend to be pictures.
        writeFile(folder + "/empty.jpg", {});
        writeFile(folder + "/notes.jpg", "Dear diary, today I took no pictures.\n");
        writeFile(folder + "/garbage.png", QByteArray(3000, '\x5a'));
        writeFile(folder + "/cut.png", test::readFile(good.value("pic0001.png")).left(20));
        writeFile(folder + "/cut.gif", QByteArray("GIF89a\x10"));
        writeFile(folder + "/readme.txt", "not a picture kind at all");
        // A phone's folder: HEIC, AVIF, WebP, JPEG XL, DNG, clips, and files that are none.
        const QString phone = folder + "/phone";
        QVERIFY(QDir().mkpath(phone) && test::MakeSampleSet(test::Quarters(96, 64), phone));
        for (const char* clip : {"VID_1.mp4", "VID_2.webm", "VID_3.mkv"})
            QVERIFY(test::Run("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                                         "testsrc=size=96x64:rate=10", "-t", "1", "-pix_fmt",
                                         "yuv420p", phone + "/" + clip}));
        writeFile(phone + "/notes.txt", "to do");
        writeFile(phone + "/.nomedia", {});
        for (const QString& name : QDir(phone).entryList(QDir::Files))
            if (name != "exif.bin" && name != "notes.txt")
                good.insert(name, phone + "/" + name);

        const QString album = path("mixed.mdb");
        const Result r = RunQ32({"add", album, folder, "--recursive"});
        QCOMPARE(r.exitCode, 1); // some files failed
        // Every failed or skipped file is named with a reason.
        for (const QString name : {"empty.jpg", "notes.jpg", "garbage.png", "cut.png", "cut.gif"})
            QVERIFY2(r.err.contains(QRegularExpression("failed [^\\n]*" +
                                                       QRegularExpression::escape(name) + ": \\S")),
                     qPrintable(name));
        QCOMPARE(r.err.count(QRegularExpression("skipped [^\\n]*deeper/pic\\d+\\.jpg: \\S")), 3);
        QVERIFY(r.err.contains("ImageFile holds at most 128 characters"));
        const QString unknown = ": not a picture or clip kind the program reads\n";
        for (const QString& file :
             {folder + "/readme.txt", phone + "/exif.bin", phone + "/notes.txt"})
            QVERIFY2(r.err.contains("left out " + file + unknown), qPrintable(file));
        QVERIFY(r.err.contains("left out " + phone + "/.nomedia: a hidden file\n"));
        QVERIFY2(r.err.contains(QStringLiteral("%1 stored, 4 skipped, 5 failed, 4 left out of the "
                                               "folders\n")
                                    .arg(good.size())),
                 qPrintable(r.err));

        // Everything good is there byte for byte, and nothing else.
        const auto stored = storedHashes(album);
        QCOMPARE(stored.size(), good.size());
        for (auto it = good.cbegin(); it != good.cend(); ++it)
            QVERIFY2(stored.value(it.key()) == fileSha(it.value()), qPrintable(it.key()));

        // The list shows the names as they are, the apostrophe and accents included.
        const Result list = RunQ32({"list", album, "--sort", "2"});
        QCOMPARE(list.exitCode, 0);
        const QStringList lines = list.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.first(), QStringLiteral("RowId\tDate\tImageFile\tImageFormat\tImagePropertie"
                                               "s\tKeywords\tDescription\tSoundType"));
        QCOMPARE(lines.size() - 1, stored.size());
        QVERIFY(list.out.contains("\tO'Brien's party.jpg\t10 JPEG File Interchange Format\t"));
        QVERIFY(list.out.contains("\tZürich été Ålesund.png\t75 Portable Network Graphics\t"));
        for (const char* row :
             {"\tVID_1.mp4\t95 MPEG-4 Video\t", "\tVID_2.webm\t96 WebM Video\t",
              "\tVID_3.mkv\t97 Matroska Video\t", "\tphoto.heic\t85 ", "\tphoto.dng\t89 "})
            QVERIFY2(list.out.contains(row), row);

        // extract writes the stored bytes.
        const QString firstRow = lines.at(1).section('\t', 0, 0);
        const QString firstName = lines.at(1).section('\t', 2, 2);
        QCOMPARE(RunQ32({"extract", album, firstRow, path("out.bin")}).exitCode, 0);
        QCOMPARE(fileSha(path("out.bin")), stored.value(firstName));

        // A pattern leaves the other kinds out, and says so.
        const Result some = RunQ32({"add", path("some.mdb"), phone, "--pattern", "*.heic"});
        QCOMPARE(some.exitCode, 0);
        QVERIFY(
            some.err.contains("left out " + phone + "/photo.avif: not in the pattern *.heic\n"));
        QCOMPARE(storedHashes(path("some.mdb")).keys(), QStringList({"photo.heic"}));
    }

    void killedRunLeavesExactlyTheReportedRows() {
        const QString folder = path("kill");
        const QMap<QString, QByteArray> sources = makeBitmaps(folder, 'k', 60, 3);
        QCOMPARE(sources.size(), 60);
        // q32 is frozen where it says (after its Nth report, inside a commit) and killed there:
        // committing after every file and in groups of about a megabyte (three files).
        const struct {
            const char* group;
            const char* hold;
        } trials[] = {{"0", "reported:1"},       {"0", "reported:17"},
                      {"0", "journal-synced:9"}, {"0", "journal-delete:6"},
                      {"1", "reported:7"},       {"1", "journal-synced:8"},
                      {"1", "journal-delete:5"}, {"256", "journal-delete:2"}};
        for (const auto& trial : trials) {
            const QString album =
                path(QStringLiteral("kill-%1-%2.mdb").arg(trial.group, trial.hold));
            const QByteArray report =
                RunQ32KilledAt({"add", album, folder, "--group", trial.group}, trial.hold);
            QVERIFY2(report.contains("q32-hold"), trial.hold);
            const bool insideCommit = QByteArray(trial.hold).startsWith("journal");
            QCOMPARE(QFile::exists(album + "-journal"), insideCommit);

            // Exactly the files reported stored are in the album, byte for byte.
            const auto reported = reportedStored(QString::fromUtf8(report), sources);
            AlbumStatus status;
            auto opened = AlbumDb::open(album, {}, &status);
            QVERIFY2(opened, qPrintable(status.text()));
            QVERIFY(opened->integrityCheck().ok());
            opened.reset();
            QCOMPARE(storedHashes(album), reported);
            // Killed part way: some files stored, not all (the last trial's one group excepted).
            if (QByteArray(trial.group) != "256")
                QVERIFY2(!reported.isEmpty() && reported.size() < sources.size(), trial.hold);
            // The next run writes on from what the kill left, and adds the rest.
            QCOMPARE(RunQ32({"add", album, folder}).exitCode, 0);
            QCOMPARE(storedHashes(album), sources);
        }
    }

    void fullDiskKeepsWhatWasReported() {
        const QString folder = path("full");
        const QMap<QString, QByteArray> sources = makeBitmaps(folder, 'f', 16, 20);
        QCOMPARE(sources.size(), 16);
        // The album may not grow past 2.5 MB: the disk fills in a commit (groups of 1 MiB) or
        // in the middle of the one group, which leaves a journal to roll back.
        for (const char* group : {"1", "1024"}) {
            const QString album = path(QStringLiteral("full-%1.mdb").arg(group));
            QCOMPARE(RunQ32({"create", album}).exitCode, 0);
            const Result run = test::RunProgram(
                "sh", {"-c", QStringLiteral("trap '' XFSZ; exec prlimit --fsize=2500000 %1 add %2 "
                                            "%3 --group %4")
                                 .arg(Q32_BINARY, album, folder, group)});
            QVERIFY(endedWith(run, 1, "disk I/O error") && !run.err.contains("no transaction"));
            const auto reported = reportedStored(run.err, sources);
            QVERIFY(reported.size() < sources.size());
            // A reader rolls the journal back itself; the album holds exactly what was reported.
            const Result listed = RunQ32({"list", album});
            QCOMPARE(listed.exitCode, 0);
            QCOMPARE(listed.out.count('\n') - 1, reported.size());
            QCOMPARE(storedHashes(album), reported);
            QCOMPARE(RunQ32({"add", album, folder + "/f015.bmp"}).exitCode, 0);
        }
    }

    void faultsGiveOneClearLineAndAnExitCode() {
        const QString album = path("faults.mdb");
        QCOMPARE(RunQ32({"create", album}).exitCode, 0);
        QVERIFY(endedWith(RunQ32({"create", album}), 1, "already exists"));
        QVERIFY(endedWith(RunQ32({"add", album, path("no such folder")}), 1,
                          "no such folder: no such file or folder"));

        // A protected album: the right password works, a wrong one is one clear line.
        QVERIFY(!test::MakePicture(path("red.png"), {8, 8}, Qt::red).isEmpty());
        QCOMPARE(RunQ32({"add", album, path("red.png")}).exitCode, 0);
        // Editing a record's texts and sounds, the sound's kind by its name.
        QVERIFY(QFile::copy(path("red.png"), path("TUNE.WAV")) &&
                QFile::copy(path("red.png"), path("song.rmi")));
        QCOMPARE(RunQ32({"edit", album, "1", "--keywords", "Seaside, beach", "--sound",
                         path("TUNE.WAV")})
                     .exitCode,
                 0);
        QVERIFY(RunQ32({"list", album}).out.contains("\tSeaside, beach\t\tWAVE\n"));
        QCOMPARE(
            RunQ32({"edit", album, "1", "--sound", path("song.rmi"), "--description", "tab\there"})
                .exitCode,
            0);
        QVERIFY(RunQ32({"list", album, "--keywords", "BEACH"})
                    .out.contains("\tSeaside, beach\ttab\\there\tOTHER\n"));
        QCOMPARE(RunQ32({"edit", album, "99", "--keywords", "x"}).exitCode, 1);
        QCOMPARE(RunQ32({"password", album, "--set", "--password-stdin"}, "p4ss\n").exitCode, 0);
        const Result wrong = RunQ32({"list", album, "--password-stdin"}, "nope\n");
        QVERIFY(endedWith(wrong, 1, "password") && wrong.err.trimmed().count('\n') == 0);
        const Result right = RunQ32({"list", album, "--password-stdin"}, "p4ss\n");
        QCOMPARE(right.exitCode, 0);
        QVERIFY(right.out.contains("\tred.png\t"));
        QCOMPARE(storedHashes(album, "p4ss").value("red.png"), fileSha(path("red.png")));
        QCOMPARE(RunQ32({"password", album, "--remove", "--password-stdin"}, "p4ss\n").exitCode, 0);
        // info names the engine: SQLite 3.46 under SQLCipher 4.6 from bookworm-backports.
        const Result info = RunQ32({"info", album});
        QCOMPARE(info.exitCode, 0);
        QVERIFY(info.out.contains(QRegularExpression("\nSQLite: 3\\.(4[6-9]|[5-9]\\d)\\.")));
        QVERIFY(info.out.contains(QRegularExpression("\nSQLCipher: 4\\.([6-9]|\\d\\d)\\.")));
        QVERIFY(info.out.contains("\nPassword: no\n"));

        // Another program's SQLite file is refused and left as it was.
        const QString other = path("other.mdb");
        QCOMPARE(
            QProcess::execute(
                "sqlcipher", {other, "CREATE TABLE notes(t TEXT); INSERT INTO notes VALUES('x');"}),
            0);
        const QByteArray before = fileSha(other);
        QVERIFY(endedWith(RunQ32({"add", other, path("red.png")}), 1,
                          "This is not an Quillon 32 Main."));
        QCOMPARE(RunQ32({"list", other}).exitCode, 1);
        QCOMPARE(fileSha(other), before);

        QCOMPARE(RunQ32({"frobnicate"}).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestQ32)
#include "tst_q32.moc"
