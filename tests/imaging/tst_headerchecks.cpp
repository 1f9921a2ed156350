// Headers that lie and headers read wrongly: impossible sizes refused when adding, as when
// showing; TIFF depths, damaged deflate TIFFs and BigTIFF; files that look like another kind;
// and today's formats stored with their texts.
#include "FormatSamples.h"
#include "ScriptedPromptService.h"
#include "TestFiles.h"
#include "TiffBuilder.h"
#include "album/AlbumDb.h"
#include "album/add/AddRecord.h"
#include "platform/imaging/ByteOrder.h"
#include "platform/imaging/Imaging.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace q32;
using namespace q32::test;

Q_DECLARE_METATYPE(ImagingCondition)

namespace {

struct NoTitles : AddRunSink {
    void setTitle(const QString&) override {}
};

QByteArray Le32(qint32 v) {
    QByteArray b;
    imaging::AppendLe<quint32>(b, quint32(v));
    return b;
}

// A 24-bit Windows bitmap header claiming width x height over a few rows of real data.
QByteArray LyingBitmap(qint32 width, qint32 height) {
    QByteArray b("BM");
    b += Le32(54 + 64 * 3 * 4) + Le32(0) + Le32(54) + Le32(40) + Le32(width) + Le32(height);
    b += QByteArray::fromHex("01001800") + Le32(0) + Le32(64 * 3 * 4) + Le32(2835) + Le32(2835) +
         Le32(0) + Le32(0);
    return b + QByteArray(64 * 3 * 4, '\x40');
}

// An icon (type 1) or cursor (type 2) of one 4-bit bitmap of side x side pixels whose directory
// says dirSide, with dirField1/dirField2 where an icon keeps planes and depth and a cursor its
// hot spot.
QByteArray IconFile(int type, int dirSide, int field1, int field2, int side) {
    const int xorRow = ((side * 4 + 31) / 32) * 4, andRow = ((side + 31) / 32) * 4;
    QByteArray dib = Le32(40) + Le32(side) + Le32(side * 2);
    dib += QByteArray::fromHex("01000400") + Le32(0) + Le32((xorRow + andRow) * side) + Le32(0) +
           Le32(0) + Le32(16) + Le32(0);
    for (int i = 0; i < 16; ++i) // a grey ramp
        dib += QByteArray(3, char(i * 17)) + '\0';
    for (int y = 0; y < side; ++y)
        dib += QByteArray(xorRow, char(y % 16 * 17));
    dib += QByteArray(andRow * side, '\0'); // every pixel opaque
    QByteArray f;
    for (const quint16 word : {0, type, 1})
        imaging::AppendLe<quint16>(f, word);
    f.append(char(dirSide)).append(char(dirSide)).append(2, '\0'); // no palette count
    imaging::AppendLe<quint16>(f, quint16(field1));
    imaging::AppendLe<quint16>(f, quint16(field2));
    return f + Le32(qint32(dib.size())) + Le32(22) + dib;
}

} // namespace

class TstHeaderChecks : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) const {
        return test::writeFile(path(name), bytes) ? path(name) : QString();
    }

    // Stores file through the add run into a new album; the row's texts, or the refusal.
    AddOutcome add(const QString& file, QString* format = nullptr, QString* properties = nullptr) {
        const QString album = path(QFileInfo(file).fileName() + ".mdb");
        QFile::remove(album);
        AddOutcome outcome;
        if (!AlbumDb::create(album, false).ok())
            return outcome;
        AlbumStatus status;
        const std::unique_ptr<AlbumDb> db = AlbumDb::open(album, {}, &status);
        ScriptedPromptService prompts;
        NoTitles sink;
        outcome = AddFileAsRecord({.album = db.get(), .prompts = &prompts, .sink = &sink}, file,
                                  {.workFolder = m_dir.path() + QLatin1Char('/')});
        if (const auto row = db->record(outcome.rowId);
            row && outcome.result == AddResult::Stored) {
            if (format)
                *format = row->imageFormat;
            if (properties)
                *properties = row->imageProperties;
        }
        if (outcome.result != AddResult::Stored && db->rowCount() != 0)
            outcome.reason = "a refused file left a row";
        return outcome;
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void impossibleSizesRefused_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<ImagingCondition>("expected");
        QTest::newRow("bitmap -127 x 64")
            << LyingBitmap(-127, 64) << ImagingCondition::ImpossibleSize;
        QTest::newRow("bitmap 3,000,000 x 2,000,000")
            << LyingBitmap(3000000, 2000000) << ImagingCondition::TooLarge;
        // turning a height of -2^31 overflowed an int
        QTest::newRow("bitmap 100,000 x -2^31")
            << LyingBitmap(100000, INT32_MIN) << ImagingCondition::TooLarge;
        QTest::newRow("png 100,000 square")
            << QByteArray::fromHex("89504e470d0a1a0a0000000d49484452000186a0000186a00802000000") +
                   QByteArray(64, '\0')
            << ImagingCondition::TooLarge;
        QTest::newRow("gem 29,999 square")
            << QByteArray::fromHex("000100080001000200550055752f752f") + QByteArray(64, '\x80')
            << ImagingCondition::TooLarge;
        QTest::newRow("msp 32,767 square")
            << QByteArray("LinS") + QByteArray::fromHex("ff7fff7f") + QByteArray(24, '\0')
            << ImagingCondition::TooLarge;
        TiffBuilder tiff;
        const int ifd = tiff.addDirectory();
        tiff.addPicture(ifd, 0, 0, {8}, 1, 1, QByteArray(64, '\x10'));
        QTest::newRow("tiff 0 x 0") << tiff.build() << ImagingCondition::ImpossibleSize;
    }
    void impossibleSizesRefused() {
        // Refused as the display path refuses it, and at add time, with the reason.
        QFETCH(QByteArray, bytes);
        QFETCH(ImagingCondition, expected);
        const QString file = write(QString(QTest::currentDataTag()).replace(' ', '_'), bytes);
        ImageInfo info;
        QCOMPARE(ReadImageInfo(file, info), expected);
        QImage img;
        QCOMPARE(LoadImage(file, img), expected);
        const AddOutcome outcome = add(file);
        QCOMPARE(outcome.result, AddResult::Failed);
        QCOMPARE(outcome.imaging, expected);
        QCOMPARE(outcome.reason, ConditionText(expected));
    }

    void tiffHeaders_data() {
        QTest::addColumn<QStringList>("convert"); // arguments before the output file
        QTest::addColumn<QString>("prefix");      // the output's coder
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("bits");
        // A picture of some size puts the depth values past 64 KiB, where a short read of
        // their offset went astray, in either byte order.
        const QStringList cmyk{"-size",  "200x150", "gradient:red-blue", "-colorspace", "CMYK",
                               "-depth", "16"};
        QTest::newRow("16-bit cmyk") << cmyk << "TIFF" << 3 << 48;
        QTest::newRow("16-bit cmyk, big-endian")
            << cmyk + QStringList{"-endian", "MSB"} << "TIFF" << 3 << 48;
        const QStringList rgb{"-size", "120x80", "gradient:red-blue", "-depth", "8"};
        QTest::newRow("bigtiff") << rgb << "TIFF64" << 3 << 24;
        QTest::newRow("bigtiff deflate, big-endian")
            << rgb + QStringList{"-compress", "Zip", "-endian", "MSB"} << "TIFF64" << 17 << 24;
    }
    void tiffHeaders() {
        QFETCH(QStringList, convert);
        QFETCH(QString, prefix);
        QFETCH(int, code);
        QFETCH(int, bits);
        const QString file = path(QString(QTest::currentDataTag()).replace(' ', '_') + ".tif");
        QVERIFY(Run("convert", convert + QStringList{prefix + ":" + file}));
        ImageInfo info;
        QCOMPARE(ReadImageInfo(file, info), ImagingCondition::None);
        QCOMPARE(info.formatCode, code);
        QCOMPARE(info.bitsPerPixel, bits);
        QImage img;
        QCOMPARE(LoadImage(file, img), ImagingCondition::None);
        QCOMPARE(img.size(), info.size());
        QString properties;
        QCOMPARE(add(file, nullptr, &properties).result, AddResult::Stored);
        QVERIFY2(properties.endsWith("(16,777,216 colors)"), qPrintable(properties)); // 48 bits too
    }

    void damagedDeflateTiffKeepsItsName() {
        // Two deflate pages; the link to the second points past the end of the file.
        const QString file = path("deflate.tif");
        QVERIFY(Run("convert", {"-size", "90x60", "gradient:red-blue", "gradient:green-white",
                                "-compress", "Zip", file}));
        QByteArray bytes = readFile(file);
        const imaging::ByteReader r(bytes);
        const quint32 first = r.le32(4);
        const quint32 linkAt = first + 2 + 12 * r.le16(first);
        QVERIFY(linkAt + 4 <= quint32(bytes.size()));
        QVERIFY(writeFile(file, bytes.replace(linkAt, 4, Le32(0x7FFFFFF0))));
        ImageInfo info;
        QCOMPARE(ReadImageInfo(file, info), ImagingCondition::None);
        QCOMPARE(info.formatCode, 17);
        QCOMPARE(info.size(), QSize(90, 60));
        QCOMPARE(info.pageCount, 1);
        QString format;
        QCOMPARE(add(file, &format).result, AddResult::Stored);
        QCOMPARE(format, QStringLiteral("17 TIFF (compressed)"));
    }

    // Headers that look like another kind: icons and cursors told by their embedded bitmap, and
    // a TIFF that a camera's name and a sub-directory make look like raw (the raw decoder says
    // no).
    void readAsTheirContent_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("code");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("properties");
        QTest::newRow("cursor, hot spot 5,31") << "cursor.cur" << IconFile(2, 32, 5, 31, 32) << 92
                                               << QSize(32, 32) << "(32x32) (16 colors)";
        QTest::newRow("icon whose directory says 16 x 16 at 8 bits")
            << "icon.ico" << IconFile(1, 16, 1, 8, 32) << 91 << QSize(32, 32)
            << "(32x32) (16 colors)";
        TiffBuilder tiff;
        const int ifd = tiff.addDirectory(), sub = tiff.addDirectory(false);
        for (int d : {ifd, sub})
            tiff.addPicture(d, 8, 8, {8, 8, 8}, 1, 2, QByteArray(8 * 8 * 3, '\x60'));
        tiff.addAscii(ifd, 271, "Canon");
        tiff.link(ifd, 330, {sub});
        QTest::newRow("camera tiff")
            << "camera.tif" << tiff.build() << 3 << QSize(8, 8) << "(8x8) (16,777,216 colors)";
    }
    void readAsTheirContent() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, code);
        QFETCH(QSize, size);
        QFETCH(QString, properties);
        const QString file = write(name, bytes);
        ImageInfo info;
        QCOMPARE(ReadImageInfo(file, info), ImagingCondition::None);
        QCOMPARE(info.formatCode, code);
        QCOMPARE(info.size(), size);
        QImage img;
        QCOMPARE(LoadImage(file, img), ImagingCondition::None);
        QCOMPARE(img.size(), size); // what is shown is what the row says
        QString stored;
        QCOMPARE(add(file, nullptr, &stored).result, AddResult::Stored);
        QVERIFY2(stored.endsWith(properties), qPrintable(stored));
    }

    void todaysFormatsStored_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("properties");
        const char* const photo = "(96x64) (16,777,216 colors)";
        const char* const rows[][3] = {
            {"photo.heic", "85 High Efficiency Image File Format (HEIC)", photo},
            // the container turns it: its size is the turned one
            {"photo.avif", "86 AV1 Image File Format (AVIF)", "(64x96) (16,777,216 colors)"},
            {"photo.webp", "87 WebP", photo},
            {"anim.webp", "87 WebP", "(96x64) (4,294,967,296 colors)"},
            {"photo.jxl", "88 JPEG XL", photo},
            {"photo.dng", "89 Adobe Digital Negative (DNG)", photo}};
        for (const auto& r : rows)
            QTest::newRow(r[0]) << r[0] << r[1] << r[2];
    }
    void todaysFormatsStored() {
        QFETCH(QString, file);
        QFETCH(QString, format);
        QFETCH(QString, properties);
        if (!QFileInfo::exists(path("photo.dng")))
            QVERIFY(MakeSampleSet(Quarters(96, 64), m_dir.path()));
        QString storedFormat, storedProperties;
        const AddOutcome outcome = add(path(file), &storedFormat, &storedProperties);
        QCOMPARE(outcome.result, AddResult::Stored);
        QCOMPARE(storedFormat, format);
        QCOMPARE(storedProperties, SizeText(QFileInfo(path(file)).size()) + properties);
    }
};

QTEST_MAIN(TstHeaderChecks)
#include "tst_headerchecks.moc"
