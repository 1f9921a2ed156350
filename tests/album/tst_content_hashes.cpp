// The content hashes kept beside the pictures: in step with every store, replacement and
// deletion; made for albums of an earlier build (encrypted with the album: tst_picture_hashes). A
// hash table of other columns is refused as tst_orders' schema check shows.

#include "AlbumTestData.h"
#include "album/ContentHashes.h"

#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/wait.h>

using namespace q32;
using namespace q32::test;

namespace {

// Row id -> the hash the album keeps for it, read straight from the table.
QMap<qint64, QByteArray> keptHashes(AlbumDb& album) {
    QMap<qint64, QByteArray> out;
    sqlite::Statement st = album.connection().prepare("SELECT ID, Sha256 FROM ContentHashes");
    while (st.step() == SQLITE_ROW)
        out.insert(st.int64(0), st.blob(1));
    return out;
}

} // namespace

class TestContentHashes : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void hashesFollowEveryWriteOfAPicture() {
        auto album = newAlbum(path("a.mdb"), true);
        QVERIFY(album && album->hasContentHashes());
        const QByteArray one = randomBytes(5000, 1), two = randomBytes(70000, 2);
        QVERIFY(writeFile(path("two.bin"), two));
        qint64 a = 0, b = 0, c = 0, none = 0;
        // Added without a hash, as an add run that does not skip duplicates stores them, and with
        // the one made while reading ahead.
        QVERIFY(album->addRecordBytes(makeRecord("a.jpg"), one, &a).ok());
        QVERIFY(album->addRecord(makeRecord("b.jpg"), path("two.bin"), &b).ok());
        QVERIFY(album->addRecordBytes(makeRecord("c.jpg"), one, &c, sha(one)).ok());
        QVERIFY(album->addRecord(makeRecord("no picture.jpg"), {}, &none).ok());
        QCOMPARE(keptHashes(*album).keys(), QList<qint64>({c}));
        qint64 hashed = 0;
        QVERIFY(FillContentHashes(*album, &hashed).ok());
        QCOMPARE(hashed, 2);
        QCOMPARE(keptHashes(*album),
                 (QMap<qint64, QByteArray>{{a, sha(one)}, {b, sha(two)}, {c, sha(one)}}));

        QCOMPARE(FindByContent(*album, sha(two))->rowId, b);
        QCOMPARE(FindByContent(*album, sha(one))->imageFile, QStringLiteral("a.jpg"));
        QVERIFY(!FindByContent(*album, sha("not stored")));
        QList<DuplicateGroup> groups = FindDuplicateGroups(*album);
        QCOMPARE(groups.size(), 1);
        QCOMPARE(groups[0].records.size(), 2);
        QCOMPARE(groups[0].records[1].rowId, c);

        // A picture replaced (the outside editor's store-back) or removed, and a record deleted.
        QVERIFY(album->storeFile(c, PictureField::Image, path("two.bin")).ok());
        QCOMPARE(keptHashes(*album)[c], sha(two));
        QVERIFY(album->storeBytes(b, PictureField::Image, one).ok());
        QCOMPARE(keptHashes(*album)[b], sha(one));
        QVERIFY(album->storeBytes(b, PictureField::SoundFile, two).ok()); // not the picture
        QCOMPARE(keptHashes(*album)[b], sha(one));
        QVERIFY(album->deleteRecord(a).ok());
        QVERIFY(!keptHashes(*album).contains(a));
        QCOMPARE(FindByContent(*album, sha(one))->rowId, b);
        QVERIFY(album->storeBytes(b, PictureField::Image, QByteArray()).ok());
        QVERIFY(!FindByContent(*album, sha(one)));
        QCOMPARE(FindDuplicateGroups(*album).size(), 0);
    }

    void albumOfAnEarlierBuildGetsItsHashes() {
        const QByteArray same = randomBytes(2500000, 7); // hashed in several pieces
        {
            auto album = newAlbum(path("old.mdb"), true);
            for (const char* name : {"x.jpg", "y.jpg", "z.jpg"})
                QVERIFY(
                    album->addRecordBytes(makeRecord(name), name[0] == 'y' ? "other" : same).ok());
            // What an earlier build made: Pictures and its indexes, no hash table.
            QVERIFY(album->connection().exec("DROP TABLE ContentHashes").ok());
        }
        {
            // Read-only it stays as it is, and its duplicates are still found.
            auto album = openAlbum(path("old.mdb"), {}, true);
            QVERIFY(album && !album->hasContentHashes());
            const QList<DuplicateGroup> groups = FindDuplicateGroups(*album);
            QCOMPARE(groups.size(), 1);
            QCOMPARE(groups[0].sha256, sha(same));
            QCOMPARE(FillContentHashes(*album).condition, AlbumCondition::CannotWrite);
        }
        auto album = openAlbum(path("old.mdb"));
        QVERIFY(album && album->hasContentHashes());
        QVERIFY(keptHashes(*album).isEmpty()); // made when first needed, not on open
        qint64 hashed = -1;
        QVERIFY(FillContentHashes(*album, &hashed).ok());
        QCOMPARE(hashed, 3);
        QCOMPARE(keptHashes(*album).value(2), sha("other"));
        QVERIFY(FillContentHashes(*album, &hashed).ok());
        QCOMPARE(hashed, 0);
        // A hash lost between kept ones (removed by another program) is made again, alone.
        QVERIFY(album->connection().exec("DELETE FROM ContentHashes WHERE ID = 2").ok());
        QVERIFY(FillContentHashes(*album, &hashed).ok());
        QCOMPARE(hashed, 1);
        QCOMPARE(keptHashes(*album).value(2), sha("other"));
        QVERIFY(album->integrityCheck().ok());
    }

    void aStoppedOrKilledFillKeepsItsGroupsAndTheNextOneEndsIt() {
        auto album = newAlbum(path("later.mdb"), true);
        QMap<qint64, QByteArray> expected;
        for (int i = 0; i < 8; ++i) {
            const QByteArray picture = randomBytes(20000, quint32(100 + i));
            QVERIFY(album->addRecordBytes(makeRecord("p.jpg"), picture).ok());
            expected.insert(i + 1, sha(picture));
        }
        // Groups of one record; stop is asked before each record and after each commit, and
        // says yes after the third group: three kept, each right.
        int asked = 0;
        qint64 hashed = 0;
        const AlbumStatus stopped = FillContentHashes(
            *album, &hashed, [&asked] { return ++asked > 5; }, 0);
        QCOMPARE(stopped.condition, AlbumCondition::Cancelled);
        QCOMPARE(hashed, 3);
        QCOMPARE(keptHashes(*album).size(), 3);
        // Killed inside a group, two records hashed and written but not committed: the group is
        // rolled back, the three kept before stay, and the next fill ends the work.
        album.reset();
        const pid_t pid = spawn([this] {
            auto child = openAlbum(path("later.mdb"));
            int childAsked = 0;
            FillContentHashes(
                *child, nullptr,
                [&childAsked] {
                    if (++childAsked == 3) // before the third record of the one group
                        raise(SIGKILL);
                    return false;
                },
                60000);
        });
        int status = 0;
        waitpid(pid, &status, 0);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        album = openAlbum(path("later.mdb"));
        QCOMPARE(keptHashes(*album).size(), 3);
        QVERIFY(FillContentHashes(*album, &hashed).ok());
        QCOMPARE(hashed, 5);
        QCOMPARE(keptHashes(*album), expected);
        QVERIFY(album->integrityCheck().ok());
    }
};

QTEST_GUILESS_MAIN(TestContentHashes)
#include "tst_content_hashes.moc"
