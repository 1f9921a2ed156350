// q32 similar as a script runs it: photos made by ImageMagick, some of them as the copies a user
// ends up with, added by q32 add and then compared over the whole album and around one record.

#include "PhotoVariants.h"
#include "album/AlbumDb.h"

#include <QDir>
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
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
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

class TestQ32Similar : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void groupsAndNeighboursOfARecord() {
        // Row ids in the order of the names: a1 (a photo), a2..a4 (its copies), b, c (others).
        QDir().mkpath(path("photos"));
        QVERIFY(test::MakePhoto(path("a1.jpg"), 31));
        const QStringList copies = test::MakeVariants(path("a1.jpg"));
        QCOMPARE(copies.size(), 5);
        QVERIFY(QFile::copy(path("a1.jpg"), path("photos/a1.jpg")));
        QVERIFY(QFile::copy(path("a1-crop.jpg"), path("photos/a2.jpg")));
        QVERIFY(QFile::copy(path("a1-bright.jpg"), path("photos/a3.jpg")));
        QVERIFY(QFile::copy(path("a1-half.jpg"), path("photos/a4.jpg")));
        QVERIFY(test::MakePhoto(path("photos/b.jpg"), 32));
        QVERIFY(test::MakePhoto(path("photos/c.jpg"), 33));
        const QString album = path("album.mdb");
        QCOMPARE(runQ32({"add", album, path("photos")}).exitCode, 0);
        {
            // Hashes are made by the command for records that have none.
            AlbumStatus status;
            auto opened = AlbumDb::open(album, OpenOptions{}, &status);
            QVERIFY(opened && opened->connection().exec("DELETE FROM PictureHashes").ok());
        }

        const Result all = runQ32({"similar", album});
        QCOMPARE(all.exitCode, 0);
        QVERIFY(all.out.startsWith("Group\tRowId\tDistance\tImageFile\n"));
        const QList<QStringList> grouped = rows(all.out);
        QCOMPARE(grouped.size(), 4);
        QStringList names;
        int last = 0;
        for (const QStringList& row : grouped) {
            QCOMPARE(row.value(0), QStringLiteral("1"));
            const int distance = row.value(2).toInt();
            QVERIFY(distance >= last && distance <= 12); // nearest first
            last = distance;
            names << row.value(3);
        }
        QCOMPARE(names.first(), QStringLiteral("a1.jpg"));
        names.sort();
        QCOMPARE(names, QStringList({"a1.jpg", "a2.jpg", "a3.jpg", "a4.jpg"}));
        QVERIFY2(all.err.contains("1 groups of similar pictures, 4 records"), qPrintable(all.err));

        // Around one copy: the photo and the other copies, not the unrelated ones.
        const Result near = runQ32({"similar", album, "3"});
        QCOMPARE(near.exitCode, 0);
        const QList<QStringList> neighbours = rows(near.out);
        QCOMPARE(neighbours.size(), 3);
        for (const QStringList& row : neighbours)
            QVERIFY(row.value(2).startsWith('a') && row.value(0) != "3");
        // A distance of nothing at all finds none of the altered copies.
        const Result exact = runQ32({"similar", album, "3", "--distance", "0"});
        QCOMPARE(exact.exitCode, 0);
        QCOMPARE(rows(exact.out).size(), 0);

        // Bad input says what is wrong.
        const Result badDistance = runQ32({"similar", album, "--distance", "many"});
        QCOMPARE(badDistance.exitCode, 2);
        QVERIFY(badDistance.err.contains("--distance must be a number from 0 to 64"));
        const Result noRecord = runQ32({"similar", album, "99"});
        QCOMPARE(noRecord.exitCode, 1);
        QVERIFY2(noRecord.err.contains("no record 99"), qPrintable(noRecord.err));
        QCOMPARE(runQ32({"similar", album, "x"}).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestQ32Similar)
#include "tst_q32_similar.moc"
