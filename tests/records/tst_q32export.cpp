// q32 export as scripts use it, and the faults a script meets.

#include "Q32Run.h"
#include "TestAlbums.h"
#include "TestFiles.h"
#include "album/AlbumDb.h"
#include "album/AlbumMaintenance.h"
#include "platform/imaging/Imaging.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace q32;

using Result = test::Q32Result;
using test::RunQ32;

class TestQ32Export : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_album;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() {
        // Two records named alike (the album allows it), one more with other keywords, a clip.
        m_album = path("trip.mdb");
        QVERIFY(AlbumDb::create(m_album, true).ok());
        AlbumStatus status;
        auto album = AlbumDb::open(m_album, {}, &status);
        QVERIFY(album);
        const QList<std::tuple<QString, QString, QColor, QString>> rows = {
            {"sea.png", "coast", Qt::blue, "75 Portable Network Graphics"},
            {"sea.png", "coast", Qt::darkBlue, "75 Portable Network Graphics"},
            {"hill.png", "inland", Qt::green, "75 Portable Network Graphics"},
            {"waves.mpg", "coast", Qt::black, "93 MPEG"}};
        int n = 0;
        for (const auto& [name, keywords, colour, format] : rows) {
            const QString file = test::MakePicture(path(QStringLiteral("source%1.png").arg(n)),
                                                   {40 + 10 * n, 30}, colour);
            QVERIFY(!file.isEmpty());
            ++n;
            PictureRecord r;
            r.date = QDate(2022, 7, n);
            r.imageFile = name;
            r.keywords = keywords;
            r.imageFormat = format;
            QVERIFY(album->addRecord(r, file).ok());
        }
    }

    void oneRecord() {
        const QString out = path("one.tif");
        Result r = RunQ32({"export", m_album, "3", out, "--format", "17", "--bits", "8"});
        QCOMPARE(r.exitCode, 0);
        ImageInfo info;
        QCOMPARE(ReadImageInfo(out, info), ImagingCondition::None);
        QCOMPARE(info.formatCode, 17);
        QCOMPARE(info.size(), QSize(60, 30));
        // Appending makes a second page.
        QCOMPARE(RunQ32({"export", m_album, "1", out, "--format", "17", "--append"}).exitCode, 0);
        QCOMPARE(ReadImageInfo(out, info), ImagingCondition::None);
        QCOMPARE(info.pageCount, 2);
        // A clip holds no picture.
        r = RunQ32({"export", m_album, "4", path("clip.png"), "--format", "75"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains("video clip"));
    }

    void allOfAFilterIntoAFolder() {
        const QString folder = path("coast");
        const Result r =
            RunQ32({"export", m_album, "--all", folder, "--keywords", "coast", "--format", "75"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.contains("[3/3]"));
        QCOMPARE(QDir(folder).entryList(QDir::Files),
                 QStringList({"sea (2).png", "sea.png", "waves.mpg"}));
        QImage first(QDir(folder).filePath("sea.png")),
            second(QDir(folder).filePath("sea (2).png"));
        QCOMPARE(first.size(), QSize(40, 30));
        QCOMPARE(second.size(), QSize(50, 30));
        QCOMPARE(QColor(second.pixel(1, 1)), QColor(Qt::darkBlue));
        // The clip is kept as stored; a second run numbers around the files already there.
        QCOMPARE(RunQ32({"export", m_album, "--all", folder, "--keywords", "coast"}).exitCode, 0);
        QVERIFY(QFile::exists(QDir(folder).filePath("waves (2).mpg")));
        QVERIFY(!QFile::exists(QDir(folder).filePath("hill.png")));
    }

    void protectedAlbum() {
        const QString locked = path("locked.mdb");
        QVERIFY(QFile::copy(m_album, locked));
        QVERIFY(ChangeAlbumPassword(locked, {}, "s3cret").ok());
        Result r = RunQ32({"export", locked, "3", path("locked.png"), "--format", "75"});
        QVERIFY(r.exitCode != 0);
        QVERIFY(r.err.contains("password"));
        QVERIFY(!QFile::exists(path("locked.png")));
        r = RunQ32(
            {"export", locked, "3", path("locked.png"), "--format", "75", "--password-stdin"},
            "s3cret\n");
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QImage(path("locked.png")).size(), QSize(60, 30));
    }

    void faultsGetOneLineAndAnExitCode() {
        Result r = RunQ32({"export", m_album, "1", path("x.out"), "--format", "99"});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.startsWith("q32: format 99 cannot be written"));
        QCOMPARE(r.err.count('\n'), 1);
        r = RunQ32({"export", m_album, "1", path("x.out"), "--format", "50", "--bits", "24"});
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.err.trimmed(), QStringLiteral("q32: format 50 takes --bits 1"));
        // A folder that cannot be made (a file stands where it would go).
        QVERIFY(test::writeFile(path("blocker"), {}));
        r = RunQ32({"export", m_album, "--all", path("blocker/pictures"), "--format", "75"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains("cannot be written"));
        r = RunQ32({"export", m_album, "1", path("blocker/one.png"), "--format", "75"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY(!QFile::exists(path("blocker/one.png")));
    }
};

QTEST_GUILESS_MAIN(TestQ32Export)
#include "tst_q32export.moc"
