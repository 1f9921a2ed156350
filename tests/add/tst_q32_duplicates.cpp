// q32 add --date-taken and --skip-duplicates, q32 duplicates and q32 similar, as a script runs
// them: photos made by ImageMagick and dated by exiftool, and the copies a user ends up with,
// compared over the whole album and around one record.

#include "../album/AlbumTestData.h"
#include "PhotoVariants.h"
#include "Q32Run.h"
#include "album/AlbumDb.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace q32;

namespace {

using Result = test::Q32Result;
using test::RunQ32;

// File name -> Date of every record.
QMap<QString, QDate> datesIn(const QString& albumPath) {
    return test::rowsByName(albumPath, [](AlbumDb&, const PictureRecord& r) { return r.date; });
}

// The tab-separated lines after the header.
QList<QStringList> rows(const QString& out) {
    QList<QStringList> r;
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < lines.size(); ++i)
        r << lines[i].split(QLatin1Char('\t'));
    return r;
}

} // namespace

class TestQ32Duplicates : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() {
        // One photo with a date taken under three names, and one without a date.
        QDir().mkpath(path("photos"));
        QCOMPARE(
            QProcess::execute("convert", {"-size", "96x64", "plasma:", path("photos/beach.jpg")}),
            0);
        QCOMPARE(QProcess::execute("exiftool", {"-q", "-overwrite_original",
                                                "-DateTimeOriginal=2016:08:21 18:30:05",
                                                path("photos/beach.jpg")}),
                 0);
        QVERIFY(QFile::copy(path("photos/beach.jpg"), path("photos/copy of beach.jpg")));
        QVERIFY(QFile::copy(path("photos/beach.jpg"), path("photos/zz beach.jpg")));
        QCOMPARE(QProcess::execute("convert",
                                   {"-size", "80x60", "gradient:red-blue", path("photos/sky.jpg")}),
                 0);
    }

    void samePhotoUnderThreeNamesIsStoredOnceWithTheDateTaken() {
        const Result r =
            RunQ32({"add", path("once.mdb"), path("photos"), "--skip-duplicates", "--date-taken"});
        QCOMPARE(r.exitCode, 0);
        const QMap<QString, QDate> dates = datesIn(path("once.mdb"));
        QCOMPARE(dates.keys(), QStringList({"beach.jpg", "sky.jpg"}));
        QCOMPARE(dates.value("beach.jpg"), QDate(2016, 8, 21));
        QCOMPARE(dates.value("sky.jpg"), QDate::currentDate()); // it carries no date
        QVERIFY2(r.err.contains("2 stored, 2 skipped, 0 failed"), qPrintable(r.err));
        for (const char* name : {"copy of beach.jpg", "zz beach.jpg"})
            QVERIFY2(r.err.contains(QStringLiteral("photos/%1: skipped: the same picture as "
                                                   "record 1 (beach.jpg)")
                                        .arg(name)),
                     qPrintable(r.err));
        QCOMPARE(RunQ32({"add", path("today.mdb"), path("photos/beach.jpg")}).exitCode, 0);
        QCOMPARE(datesIn(path("today.mdb")).value("beach.jpg"), QDate::currentDate());

        // A second run finds the photo stored by the first, under a name the album lacks.
        QVERIFY(QFile::copy(path("photos/sky.jpg"), path("sky again.jpg")));
        const Result again =
            RunQ32({"add", path("once.mdb"), path("sky again.jpg"), "--skip-duplicates"});
        QVERIFY2(again.err.contains("the same picture as record 2 (sky.jpg)"),
                 qPrintable(again.err));
        QCOMPARE(datesIn(path("once.mdb")).size(), 2);
    }

    void duplicatesListsAPlantedGroup() {
        QCOMPARE(RunQ32({"create", path("planted.mdb"), "--allow-duplicates"}).exitCode, 0);
        QCOMPARE(RunQ32({"add", path("planted.mdb"), path("photos")}).exitCode, 0);
        const QString planted = QStringLiteral("Group\tRowId\tImageFile\n1\t1\tbeach.jpg\n"
                                               "1\t2\tcopy of beach.jpg\n1\t4\tzz beach.jpg\n");
        // Right after the add, whose records have no hash yet.
        QCOMPARE(RunQ32({"duplicates", path("planted.mdb")}).out, planted);
        {
            // Records stored by an earlier build carry no hash: the command makes them.
            auto album = test::openAlbum(path("planted.mdb"));
            QVERIFY(album && album->connection().exec("DROP TABLE ContentHashes").ok());
        }
        const Result r = RunQ32({"duplicates", path("planted.mdb")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, planted);
        auto album = test::openAlbum(path("planted.mdb"), {}, true);
        QVERIFY(album && album->hasContentHashes()); // kept for next time
    }

    void groupsAndNeighboursOfARecord() {
        // Row ids in the order of the names: a1 (a photo), a2..a4 (its copies), b, c (others).
        QDir().mkpath(path("looks"));
        QVERIFY(test::MakePhoto(path("a1.jpg"), 31));
        QCOMPARE(test::MakeVariants(path("a1.jpg")).size(), 5);
        const QStringList sources = {"a1", "a1-crop", "a1-bright", "a1-half"}; // a1 to a4
        for (int i = 0; i < sources.size(); ++i)
            QVERIFY(QFile::copy(path(sources[i] + ".jpg"),
                                path(QStringLiteral("looks/a%1.jpg").arg(i + 1))));
        QVERIFY(test::MakePhoto(path("looks/b.jpg"), 32));
        QVERIFY(test::MakePhoto(path("looks/c.jpg"), 33));
        const QString album = path("looks.mdb");
        QCOMPARE(RunQ32({"add", album, path("looks")}).exitCode, 0);
        {
            // Hashes are made by the command for records that have none.
            auto opened = test::openAlbum(album);
            QVERIFY(opened && opened->connection().exec("DELETE FROM PictureHashes").ok());
        }

        const Result all = RunQ32({"similar", album});
        QCOMPARE(all.exitCode, 0);
        QVERIFY(all.out.startsWith("Group\tRowId\tDistance\tImageFile\n"));
        const QList<QStringList> grouped = rows(all.out);
        QCOMPARE(grouped.size(), 4);
        QStringList names;
        int last = 0;
        for (const QStringList& row : grouped) {
            QCOMPARE(row.value(0), "1");
            const int distance = row.value(2).toInt();
            QVERIFY(distance >= last && distance <= 12); // nearest first
            last = distance;
            names << row.value(3);
        }
        QCOMPARE(names.first(), "a1.jpg");
        names.sort();
        QCOMPARE(names, QStringList({"a1.jpg", "a2.jpg", "a3.jpg", "a4.jpg"}));
        QVERIFY2(all.err.contains("1 groups of similar pictures, 4 records"), qPrintable(all.err));

        // Around one copy: the photo and the other copies, not the unrelated ones.
        const Result near = RunQ32({"similar", album, "3"});
        QCOMPARE(near.exitCode, 0);
        const QList<QStringList> neighbours = rows(near.out);
        QCOMPARE(neighbours.size(), 3);
        for (const QStringList& row : neighbours)
            QVERIFY(row.value(2).startsWith('a') && row.value(0) != "3");
        // A distance of nothing at all finds none of the altered copies.
        const Result exact = RunQ32({"similar", album, "3", "--distance", "0"});
        QCOMPARE(exact.exitCode, 0);
        QCOMPARE(rows(exact.out).size(), 0);

        // Bad input says what is wrong.
        const Result badDistance = RunQ32({"similar", album, "--distance", "many"});
        QCOMPARE(badDistance.exitCode, 2);
        QVERIFY(badDistance.err.contains("--distance must be a number from 0 to 64"));
        const Result noRecord = RunQ32({"similar", album, "99"});
        QCOMPARE(noRecord.exitCode, 1);
        QVERIFY2(noRecord.err.contains("no record 99"), qPrintable(noRecord.err));
        QCOMPARE(RunQ32({"similar", album, "x"}).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestQ32Duplicates)
#include "tst_q32_duplicates.moc"
