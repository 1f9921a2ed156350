// Pictures found by their looks: the perceptual hash of a photo and of its everyday copies, the
// search over many hashes, and the hash table kept in step with the pictures through adds,
// replacements, deletions, compaction, repair, albums of an earlier build and read-only opens.

#include "../album/AlbumTestData.h"
#include "PhotoVariants.h"
#include "ScriptedPromptService.h"
#include "album/AlbumDb.h"
#include "album/AlbumMaintenance.h"
#include "album/add/AddRecord.h"
#include "album/add/SimilarPictures.h"
#include "album/add/ThumbnailMaker.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace q32;

namespace {

std::optional<quint64> fileHash(const QString& path) {
    QImage picture(path);
    return PerceptualHash(picture.scaled(160, 160, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

// Row id -> the stored hash (null for "cannot be hashed"), read straight from the table.
QMap<qint64, std::optional<quint64>> keptHashes(AlbumDb& album) {
    QMap<qint64, std::optional<quint64>> out;
    sqlite::Statement st = album.connection().prepare("SELECT ID, Hash FROM PictureHashes");
    while (st.isValid() && st.step() == SQLITE_ROW)
        out.insert(st.int64(0), sqlite3_column_type(st.handle(), 1) == SQLITE_NULL
                                    ? std::optional<quint64>()
                                    : std::optional<quint64>(quint64(st.int64(1))));
    return out;
}

} // namespace

class TestPictureHashes : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    AddOutcome add(AlbumDb& album, const QString& file) {
        test::ScriptedPromptService prompts;
        PrepareOptions options;
        options.decodeThumbnail = true;
        options.inMemoryLimit = 1 << 24;
        return AddFileAsRecord(StoreContext{&album, &prompts, nullptr, false, false}, file,
                               options);
    }

private slots:
    void copiesAreNearAndOtherPhotosFar() {
        QList<quint64> originals;
        for (int seed = 1; seed <= 4; ++seed) {
            const QString photo = path(QStringLiteral("photo%1.jpg").arg(seed));
            QVERIFY(test::MakePhoto(photo, seed));
            const QStringList copies = test::MakeVariants(photo);
            QCOMPARE(copies.size(), 5);
            const auto hash = fileHash(photo);
            QVERIFY(hash);
            for (const QString& copy : copies) {
                const auto other = fileHash(copy);
                QVERIFY2(other && HashDistance(*hash, *other) <= kSimilarDistance,
                         qPrintable(copy));
            }
            for (const quint64 earlier : std::as_const(originals))
                QVERIFY(HashDistance(earlier, *hash) > kSimilarDistance);
            originals << *hash;
        }
        QVERIFY(!PerceptualHash(QImage()));
        // A flat picture, a transparent one and its white twin: no crash, same hash for the twins.
        QImage clear(64, 64, QImage::Format_ARGB32);
        clear.fill(Qt::transparent);
        QImage white(64, 64, QImage::Format_RGB32);
        white.fill(Qt::white);
        QCOMPARE(PerceptualHash(clear), PerceptualHash(white));

        // The search: nearest first, ties by row id, nothing past the distance (groups of the
        // album's records: tst_q32_duplicates).
        const std::vector<HashEntry> entries = {
            {5, 0b1111}, {2, 0b0111}, {9, 0}, {3, 0b0111}, {7, ~quint64(0)}};
        QList<std::pair<qint64, int>> near;
        for (const SimilarMatch& m : NearestHashes(entries, 0b0111, 3))
            near.append({m.rowId, m.distance});
        QCOMPARE(near, (QList<std::pair<qint64, int>>{{2, 0}, {3, 0}, {5, 1}, {9, 3}}));
        const QList<QList<SimilarMatch>> groups = GroupSimilarHashes(entries, 1);
        QVERIFY(groups.size() == 1 && groups[0].size() == 3 && groups[0][0].rowId == 2);
    }

    void tableFollowsThePictures() {
        const QString file = path("a.mdb");
        QVERIFY(test::MakePhoto(path("one.jpg"), 11) && test::MakePhoto(path("two.jpg"), 12));
        QVERIFY(test::MakeVariants(path("one.jpg")).size() == 5);
        QVERIFY(test::writeFile(path("junk.jpg"), "not a picture at all"));
        auto album = test::newAlbum(file, true);
        QVERIFY(album && HasPictureHashTable(*album));
        const qint64 one = add(*album, path("one.jpg")).rowId;
        const qint64 two = add(*album, path("two.jpg")).rowId;
        const qint64 half = add(*album, path("one-half.jpg")).rowId;
        QVERIFY(one && two && half);
        // Made while adding, from the same small picture as the thumbnail.
        QMap<qint64, std::optional<quint64>> kept = keptHashes(*album);
        QCOMPARE(kept.keys(), QList<qint64>({one, two, half}));
        QVERIFY(HashDistance(*kept[one], *fileHash(path("one.jpg"))) <= 4);
        QCOMPARE(FindSimilarRecords(*album, one, kSimilarDistance).size(), 2);
        QCOMPARE(FindSimilarRecords(*album, one, kSimilarDistance)[1].rowId, half);

        // Replaced by another picture: dropped, and made again from the new one when needed.
        QVERIFY(album->storeFile(half, PictureField::Image, path("two.jpg")).ok());
        QVERIFY(!keptHashes(*album).contains(half));
        QVERIFY(album->storeBytes(two, PictureField::SoundFile, "sound").ok()); // not the picture
        QVERIFY(keptHashes(*album).contains(two));
        const QList<SimilarMatch> likeTwo = FindSimilarRecords(*album, two, kSimilarDistance);
        QCOMPARE(likeTwo.size(), 2);
        QCOMPARE(likeTwo[1].rowId, half);
        QCOMPARE(*keptHashes(*album)[half], *kept[two]);
        // A picture that cannot be decoded is marked, and never listed.
        QVERIFY(album->storeFile(half, PictureField::Image, path("junk.jpg")).ok());
        // Listed: the records with a picture and no hash, between kept ones too; not one whose
        // picture is gone.
        const qint64 bare = add(*album, path("two.jpg")).rowId;
        QVERIFY(album->connection()
                    .exec(QStringLiteral("UPDATE Pictures SET Image = NULL WHERE rowid = %1; "
                                         "DELETE FROM PictureHashes WHERE ID IN (%1, %2)")
                              .arg(bare)
                              .arg(one))
                    .ok());
        QCOMPARE(RecordsWithoutPictureHashes(*album), QList<qint64>({one, half}));
        qint64 made = -1;
        QVERIFY(FillPictureHashes(*album, &made).ok());
        QCOMPARE(made, 2);
        QVERIFY(keptHashes(*album).contains(half) && !keptHashes(*album)[half]);
        QVERIFY(FindSimilarRecords(*album, half, kHashBits).isEmpty());
        QVERIFY(FillPictureHashes(*album, &made).ok());
        QCOMPARE(made, 0);
        QVERIFY(album->deleteRecord(half).ok());
        QVERIFY(!keptHashes(*album).contains(half));

        // Compaction keeps the hashes; a repair finds an album with them sound.
        album.reset();
        QVERIFY(CompactAlbumFile(file, {}).status.ok());
        const RepairReport repaired = RepairAlbumFile(file, {});
        QVERIFY(repaired.status.ok() && !repaired.wasDamaged);
        album = test::openAlbum(file);
        QVERIFY(album);
        QCOMPARE(keptHashes(*album).keys(), QList<qint64>({one, two}));

        // An album of an earlier build: compared read-only without a table, given it writable.
        QVERIFY(album->connection().exec("DROP TABLE PictureHashes").ok());
        album = test::openAlbum(file, {}, true);
        QVERIFY(album && !HasPictureHashTable(*album));
        QCOMPARE(FillPictureHashes(*album).condition, AlbumCondition::CannotWrite);
        QCOMPARE(FindSimilarRecords(*album, two, kHashBits).size(), 2);
        album = test::openAlbum(file);
        QVERIFY(album && HasPictureHashTable(*album) && keptHashes(*album).isEmpty());
        QCOMPARE(AllPictureHashes(*album).size(), size_t(2));
        QCOMPARE(keptHashes(*album).size(), 2);
    }

    // Both the looks and the content hashes; the checks would see them in a plain album.
    void hashesOfAProtectedAlbumAreEncrypted() {
        QVERIFY(test::MakePhoto(path("p.jpg"), 21));
        const QByteArray sha = test::sha(test::readFile(path("p.jpg")));
        for (const QString& password : {QString(), QStringLiteral("secret")}) {
            const QString file = path(password.isEmpty() ? "plain.mdb" : "locked.mdb");
            QVERIFY(AlbumDb::create(file, false).ok());
            if (!password.isEmpty())
                QVERIFY(ChangeAlbumPassword(file, {}, password).ok());
            auto album = test::openAlbum(file, password);
            QVERIFY(album && add(*album, path("p.jpg")).rowId == 1);
            QVERIFY(keptHashes(*album).value(1));
            album.reset();
            const QByteArray stored = test::readFile(file);
            QCOMPARE(stored.contains("PictureHashes"), password.isEmpty());
            QCOMPARE(stored.contains(sha), password.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestPictureHashes)
#include "tst_picture_hashes.moc"
