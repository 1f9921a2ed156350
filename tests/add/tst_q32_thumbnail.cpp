// q32 thumbnail, as a file manager's thumbnailer runs it: the album's first stored thumbnail as a
// PNG of the asked size, and nothing at all for what it must leave alone.

#include "TestAlbums.h"
#include "album/AlbumThumbnails.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace q32;

namespace {

int runQ32(const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(QStringLiteral(Q32_BINARY), args);
    p.write(input); // standard input stays open: a password question would hang here
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    return p.exitCode();
}

QByteArray jpeg(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return bytes;
}

// 160 x 120, red on the left and blue on the right, so a turned or mirrored icon shows.
QImage twoColours() {
    QImage image(160, 120, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width() / 2; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
    return image;
}

bool near(QRgb pixel, QColor colour) {
    return qAbs(qRed(pixel) - colour.red()) < 40 && qAbs(qGreen(pixel) - colour.green()) < 40 &&
           qAbs(qBlue(pixel) - colour.blue()) < 40;
}

QByteArray digest(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class TestQ32Thumbnail : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void drawsTheFirstStoredThumbnail() {
        const QString picture = test::MakePicture(path("p.png"), {40, 30}, Qt::gray);
        const QString album =
            test::MakeAlbum(path("a.mdb"), {{"clip.mpg"}, {"first.png"}, {"second.png"}}, picture);
        QVERIFY(!album.isEmpty());
        {
            AlbumStatus status;
            auto db = AlbumDb::open(album, {}, &status);
            QVERIFY(StoreThumbnail(*db, 1, QByteArray()).ok()); // shown as a placeholder
            QVERIFY(StoreThumbnail(*db, 2, jpeg(twoColours())).ok());
            QImage green(160, 120, QImage::Format_RGB32);
            green.fill(Qt::green);
            QVERIFY(StoreThumbnail(*db, 3, jpeg(green)).ok());
        }
        const QByteArray before = digest(album);

        struct Case {
            QString size;
            QSize expected;
        };
        for (const Case& c :
             {Case{"128", {128, 96}}, Case{"256", {256, 192}}, Case{"", {160, 120}}}) {
            QFile::remove(path("out.png"));
            QStringList args{"thumbnail", album, path("out.png")};
            if (!c.size.isEmpty())
                args << c.size;
            QCOMPARE(runQ32(args), 0);
            QImage out(path("out.png"), "PNG");
            QCOMPARE(out.size(), c.expected);
            const int y = out.height() / 2;
            QVERIFY2(near(out.pixel(out.width() / 8, y), Qt::red), qPrintable(c.size));
            QVERIFY2(near(out.pixel(out.width() * 7 / 8, y), Qt::blue), qPrintable(c.size));
        }
        QCOMPARE(digest(album), before); // read, never written
    }

    void leavesWhatItCannotDrawAlone() {
        const QString picture = test::MakePicture(path("q.png"), {40, 30}, Qt::gray);
        const QString plain = test::MakeAlbum(path("plain.mdb"), {{"one.png"}}, picture);
        QVERIFY(!plain.isEmpty());
        {
            AlbumStatus status;
            auto db = AlbumDb::open(plain, {}, &status);
            QVERIFY(StoreThumbnail(*db, 1, jpeg(twoColours())).ok());
        }
        QVERIFY(QFile::copy(plain, path("protected.mdb")));
        QCOMPARE(
            runQ32({"password", path("protected.mdb"), "--set", "--password-stdin"}, "secret\n"),
            0);
        // As an earlier build left it: a writable open would add the table.
        QVERIFY(QFile::copy(plain, path("older.mdb")));
        {
            AlbumStatus status;
            auto db = AlbumDb::open(path("older.mdb"), {}, &status);
            QVERIFY(db->connection().exec("DROP TABLE Thumbnails").ok());
        }
        QFile access(path("access.mdb"));
        QVERIFY(access.open(QIODevice::WriteOnly));
        access.write(QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) + QByteArray(2048, 'x'));
        access.close();

        QFile old(path("kept.png"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("an earlier icon") > 0);
        old.close();
        for (const char* name : {"protected.mdb", "older.mdb", "access.mdb", "missing.mdb"}) {
            const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
            const QByteArray bytes = digest(path(name));
            QCOMPARE(runQ32({"thumbnail", path(name), path("kept.png"), "128"}), 1);
            QVERIFY2(old.open(QIODevice::ReadOnly) && old.readAll() == "an earlier icon", name);
            old.close();
            QCOMPARE(digest(path(name)), bytes);
            QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
        }
        for (const char* size : {"0", "big", "5000"})
            QCOMPARE(runQ32({"thumbnail", plain, path("new.png"), size}), 2);
        QCOMPARE(runQ32({"thumbnail", plain}), 2);
        QVERIFY(!QFile::exists(path("new.png")));
    }
};

QTEST_GUILESS_MAIN(TestQ32Thumbnail)
#include "tst_q32_thumbnail.moc"
