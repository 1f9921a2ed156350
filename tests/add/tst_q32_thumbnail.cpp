// q32 thumbnail, as a file manager's thumbnailer runs it: the album's first stored thumbnail as a
// PNG of the asked size, and nothing at all for what it must leave alone.

#include "../album/AlbumTestData.h"
#include "Q32Run.h"
#include "TestAlbums.h"
#include "TestFiles.h"
#include "TestImages.h"
#include "album/AlbumThumbnails.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace q32;

namespace {

// Standard input stays open: a password question would hang here.
int runQ32(const QStringList& args, const QByteArray& input = {}) {
    return test::RunQ32(args, input, true, 20000).exitCode;
}

// A JPEG of 160 x 120, left red and right blue (so a turned icon shows), or all of fill.
QByteArray jpeg(QColor fill = {}) {
    QImage image = test::Filled({160, 120}, fill.isValid() ? fill : QColor(Qt::blue));
    for (int y = 0; y < 120 && !fill.isValid(); ++y)
        for (int x = 0; x < 80; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
    return test::Encoded(image, "JPEG", 95);
}

} // namespace

class TestQ32Thumbnail : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void drawsTheFirstStoredThumbnailOrNothing() {
        const QString album = test::MakeAlbum(path("a.mdb"), {{"clip.mpg"}, {"1.png"}, {"2.png"}},
                                              test::MakePicture(path("p.png"), {40, 30}, Qt::gray));
        {
            auto db = test::openAlbum(album);
            QVERIFY(db);
            QVERIFY(StoreThumbnail(*db, 1, QByteArray()).ok()); // a placeholder: passed over
            QVERIFY(StoreThumbnail(*db, 2, jpeg()).ok());
            QVERIFY(StoreThumbnail(*db, 3, jpeg(Qt::green)).ok());
        }
        const QByteArray before = test::readFile(album);
        for (const QString size : {"128", ""}) {
            QStringList args{"thumbnail", album, path(size + "out.png")};
            if (!size.isEmpty())
                args << size;
            QCOMPARE(runQ32(args), 0);
            const QImage out(path(size + "out.png"), "PNG");
            QCOMPARE(out.size(), size.isEmpty() ? QSize(160, 120) : QSize(128, 96));
            QVERIFY(test::NearColour(out.pixel(out.width() / 8, out.height() / 2), qRgb(255, 0, 0),
                                     59));
            QVERIFY(test::NearColour(out.pixel(out.width() * 7 / 8, out.height() / 2),
                                     qRgb(0, 0, 255), 59));
        }
        QCOMPARE(test::readFile(album), before); // read, never written

        // Left alone: a protected album, one an earlier build left (a writable open would add
        // the table), another program's file; and sizes it cannot make.
        QVERIFY(QFile::copy(album, path("protected.mdb")));
        QCOMPARE(runQ32({"password", path("protected.mdb"), "--set", "--password-stdin"}, "pw\n"),
                 0);
        QVERIFY(QFile::copy(album, path("older.mdb")));
        {
            auto db = test::openAlbum(path("older.mdb"));
            QVERIFY(db && db->connection().exec("DROP TABLE Thumbnails").ok());
        }
        QVERIFY(test::writeFile(path("access.mdb"),
                                QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) +
                                    QByteArray(2048, 'x')));
        QVERIFY(test::writeFile(path("kept.png"), "an earlier icon"));

        for (const char* name : {"protected.mdb", "older.mdb", "access.mdb"}) {
            const QStringList files = QDir(m_dir.path()).entryList(QDir::Files);
            const QByteArray bytes = test::readFile(path(name));
            QCOMPARE(runQ32({"thumbnail", path(name), path("kept.png"), "128"}), 1);
            QCOMPARE(test::readFile(path("kept.png")), QByteArray("an earlier icon"));
            QCOMPARE(test::readFile(path(name)), bytes);
            QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), files);
        }
        for (const char* size : {"0", "5000", "big"})
            QCOMPARE(runQ32({"thumbnail", album, path("new.png"), size}), 2);
        QVERIFY(!QFile::exists(path("new.png")));
    }
};

QTEST_GUILESS_MAIN(TestQ32Thumbnail)
#include "tst_q32_thumbnail.moc"
