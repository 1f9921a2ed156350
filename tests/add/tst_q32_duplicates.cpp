// q32 add --date-taken and --skip-duplicates, and q32 duplicates, as a script runs them: photos
// made by ImageMagick and dated by exiftool.

#include "album/AlbumDb.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace q32;

namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

Result runQ32(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(Q32_BINARY), args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// File name -> Date of every record.
QMap<QString, QDate> datesIn(const QString& albumPath) {
    QMap<QString, QDate> out;
    AlbumStatus status;
    auto album = AlbumDb::open(albumPath, OpenOptions{true}, &status);
    if (!album)
        return out;
    sqlite::Statement st = album->connection().prepare("SELECT rowid FROM Pictures");
    while (st.step() == SQLITE_ROW)
        if (const auto r = album->record(st.int64(0)))
            out.insert(r->imageFile, r->date);
    return out;
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

    void dateTakenOrToday() {
        QCOMPARE(runQ32({"add", path("taken.mdb"), path("photos/beach.jpg"), path("photos/sky.jpg"),
                         "--date-taken"})
                     .exitCode,
                 0);
        QMap<QString, QDate> dates = datesIn(path("taken.mdb"));
        QCOMPARE(dates.value("beach.jpg"), QDate(2016, 8, 21));
        QCOMPARE(dates.value("sky.jpg"), QDate::currentDate()); // it carries no date

        QCOMPARE(runQ32({"add", path("today.mdb"), path("photos/beach.jpg")}).exitCode, 0);
        QCOMPARE(datesIn(path("today.mdb")).value("beach.jpg"), QDate::currentDate());
    }

    void samePhotoUnderThreeNamesIsStoredOnce() {
        const Result r = runQ32({"add", path("once.mdb"), path("photos"), "--skip-duplicates"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(datesIn(path("once.mdb")).keys(), QStringList({"beach.jpg", "sky.jpg"}));
        QVERIFY2(r.err.contains("2 stored, 2 skipped, 0 failed"), qPrintable(r.err));
        for (const char* name : {"copy of beach.jpg", "zz beach.jpg"})
            QVERIFY2(r.err.contains(QStringLiteral("photos/%1: skipped: the same picture as "
                                                   "record 1 (beach.jpg)")
                                        .arg(name)),
                     qPrintable(r.err));

        // A second run finds the photo stored by the first, under a name the album lacks.
        QVERIFY(QFile::copy(path("photos/sky.jpg"), path("sky again.jpg")));
        const Result again =
            runQ32({"add", path("once.mdb"), path("sky again.jpg"), "--skip-duplicates"});
        QVERIFY2(again.err.contains("the same picture as record 2 (sky.jpg)"),
                 qPrintable(again.err));
        QCOMPARE(datesIn(path("once.mdb")).size(), 2);
    }

    void duplicatesListsAPlantedGroup() {
        QCOMPARE(runQ32({"create", path("planted.mdb"), "--allow-duplicates"}).exitCode, 0);
        QCOMPARE(runQ32({"add", path("planted.mdb"), path("photos")}).exitCode, 0);
        {
            // Records stored by an earlier build carry no hash: the command makes them.
            AlbumStatus status;
            auto album = AlbumDb::open(path("planted.mdb"), OpenOptions{}, &status);
            QVERIFY(album->connection().exec("DROP TABLE ContentHashes").ok());
        }
        const Result r = runQ32({"duplicates", path("planted.mdb")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("Group\tRowId\tImageFile\n1\t1\tbeach.jpg\n"
                                       "1\t2\tcopy of beach.jpg\n1\t4\tzz beach.jpg\n"));
        AlbumStatus status;
        auto album = AlbumDb::open(path("planted.mdb"), OpenOptions{true}, &status);
        QVERIFY(album && album->hasContentHashes()); // kept for next time
    }
};

QTEST_GUILESS_MAIN(TestQ32Duplicates)
#include "tst_q32_duplicates.moc"
