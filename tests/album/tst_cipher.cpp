// Albums protected by the SQLCipher 3 build: they open with their password and are converted in
// place on a writable open with every row kept byte for byte (new ones: tst_album).

#include "AlbumTestData.h"
#include "album/AlbumDb.h"
#include "album/AlbumMaintenance.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace q32;
using namespace q32::test;

namespace {

QString testData(const QString& name) {
    return qEnvironmentVariable("QUILLON_TEST_DATA") + QStringLiteral("/sqlcipher3/") + name;
}

// The rows of the album made by the SQLCipher 3 build, as its README describes them.
void checkOldRows(AlbumDb& album) {
    QCOMPARE(album.rowCount(), 2);
    const auto first = album.record(1);
    QVERIFY(first);
    QCOMPARE(first->imageFile, QStringLiteral("a.jpg"));
    QCOMPARE(first->keywords, QStringLiteral("old, sqlcipher3"));
    QCOMPARE(first->description, QStringLiteral("Made before the switch"));
    QCOMPARE(album.readBytes(1, PictureField::Image), readFile(testData("a.jpg")));
    QCOMPARE(album.readBytes(1, PictureField::SoundFile), readFile(testData("t.wav")));
    QCOMPARE(album.record(2)->imageFile, QStringLiteral("b.png"));
    QCOMPARE(album.readBytes(2, PictureField::Image), readFile(testData("b.png")));
}

} // namespace

class TestCipher : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void version3AlbumOpensAndIsConverted() {
        const QString file = path("old3.mdb");
        QVERIFY(QFile::copy(testData("old3.mdb"), file));
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        const QByteArray before = readFile(file);
        QVERIFY(readsWith(file, "secret3",
                          "PRAGMA cipher_compatibility = 3; "
                          "PRAGMA cipher_page_size = 65536"));

        // Read-only: it opens with the settings it was made with and stays as it is.
        AlbumStatus status;
        auto reader = AlbumDb::open(file, {true, "secret3"}, &status);
        QVERIFY2(reader, qPrintable(status.text()));
        QVERIFY(reader->isEncrypted() && reader->hasVersion3Encryption());
        checkOldRows(*reader);
        reader.reset();
        QCOMPARE(readFile(file), before);
        // A wrong password is refused, in either mode, and changes nothing.
        for (bool readOnly : {true, false}) {
            AlbumDb::open(file, {readOnly, "secret4"}, &status);
            QCOMPARE(status.condition, AlbumCondition::WrongPassword);
        }
        QCOMPARE(readFile(file), before);

        // Writable: converted in place, every row as it was, the order indexes added.
        auto album = AlbumDb::open(file, {false, "secret3"}, &status);
        QVERIFY2(album, qPrintable(status.text()));
        QVERIFY(album->isEncrypted() && !album->hasVersion3Encryption());
        checkOldRows(*album);
        QVERIFY(album->orderIndexes().texts && album->orderIndexes().names &&
                album->orderIndexes().formats);
        QVERIFY(album->integrityCheck().ok());
        QVERIFY(album->addRecord(makeRecord("c.jpg"), testData("b.png")).ok());
        album.reset();
        QVERIFY(readFile(file) != before);
        QVERIFY(readsWith(file, "secret3", kOurSettings));
        QCOMPARE(filesIn(m_dir.path()).filter("old3"), QStringList{"old3.mdb"});
        auto again = AlbumDb::open(file, {true, "secret3"}, &status);
        QVERIFY(again && !again->hasVersion3Encryption());
        QCOMPARE(again->rowCount(), 3);
    }

    void conversionThatDoesNotFitKeepsTheAlbumUsable() {
        // A small file system that holds the album but not a second copy of it (needs root).
        const QString mnt = path("small");
        QDir().mkpath(mnt);
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=400k", "tmpfs", mnt}) != 0)
            QSKIP("cannot mount a file system here");
        const QString file = mnt + "/old3.mdb";
        QVERIFY(QFile::copy(testData("old3.mdb"), file));
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        AlbumStatus status;
        auto album = AlbumDb::open(file, {false, "secret3"}, &status);
        const bool opened = album != nullptr;
        const bool stillVersion3 = opened && album->hasVersion3Encryption();
        const QStringList left = filesIn(mnt);
        if (album) {
            checkOldRows(*album);
            QVERIFY(album->integrityCheck().ok());
        }
        album.reset();
        QProcess::execute("umount", {mnt});
        QVERIFY2(opened, qPrintable(status.text()));
        QVERIFY(stillVersion3);
        QCOMPARE(left, QStringList{"old3.mdb"});
    }
};

QTEST_GUILESS_MAIN(TestCipher)
#include "tst_cipher.moc"
