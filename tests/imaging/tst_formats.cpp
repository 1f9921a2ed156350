// Today's formats: HEIC, AVIF, WebP (still and animated), JPEG XL and DNG made by the Debian
// encoders from one turned, dated photo; read, shown turned, dated, exported, and refused when
// cut or crafted.
#include "FormatSamples.h"
#include "TestFiles.h"
#include "TestImages.h"
#include "formats/FormatTable.h"
#include "platform/imaging/Imaging.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <cmath>

using namespace q32;
using namespace q32::test;

Q_DECLARE_METATYPE(ImagingCondition)

namespace {

constexpr int kWidth = 96, kHeight = 64; // as stored; shown 64 x 96

// The quarters of a picture stored landscape and shown turned a quarter clockwise.
bool ShownTurned(const QImage& img, QString& why) {
    const int w = img.width(), h = img.height();
    const struct {
        int x, y, quarter;
    } probes[] = {
        {w / 4, h / 4, 2}, {3 * w / 4, h / 4, 0}, {w / 4, 3 * h / 4, 3}, {3 * w / 4, 3 * h / 4, 1}};
    for (const auto& p : probes)
        if (!NearColour(img.pixel(p.x, p.y), QuarterColour(p.quarter))) {
            why = QStringLiteral("at %1,%2: %3").arg(p.x).arg(p.y).arg(img.pixel(p.x, p.y), 0, 16);
            return false;
        }
    return true;
}

} // namespace

class TstFormats : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() {
        qputenv("TZ", "UTC"); // PNG time stamps are universal time
        const QImage photo = Quarters(kWidth, kHeight);
        QVERIFY(MakeSampleSet(photo, m_dir.path()));
        // A phone's HEIC carries a small thumbnail: fitted pictures that small come from it.
        QVERIFY(Run("heif-enc",
                    {"-q", "90", "-t", "48", path("photo.jpg"), "-o", path("thumbnail.heic")}));
        // Sensor data that differs from the preview shows which one a decode used.
        const QImage grey = Filled(photo.size(), QColor(128, 128, 128));
        QVERIFY(writeFile(path("grey-sensor.dng"),
                          MakeDng(grey, Encoded(photo, "JPEG", 95), 6, kTakenAt)));
        QVERIFY(writeFile(path("tiny-preview.dng"),
                          MakeDng(photo, Encoded(grey.scaled(24, 16), "JPEG", 90), 6, kTakenAt)));
    }

    void readsTodaysFormats_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("frames");
        QTest::newRow("heic") << "photo.heic" << 85 << 1;
        QTest::newRow("heic with a thumbnail") << "thumbnail.heic" << 85 << 1;
        QTest::newRow("avif turned by the container") << "photo.avif" << 86 << 1;
        QTest::newRow("avif turned by exif") << "exif-only.avif" << 86 << 1;
        QTest::newRow("webp") << "photo.webp" << 87 << 1;
        QTest::newRow("animated webp") << "anim.webp" << 87 << 3;
        QTest::newRow("jpeg xl") << "photo.jxl" << 88 << 1;
        QTest::newRow("dng") << "photo.dng" << 89 << 1;
    }
    void readsTodaysFormats() {
        QFETCH(QString, file);
        QFETCH(int, code);
        QFETCH(int, frames);
        ImageInfo info;
        QCOMPARE(ReadImageInfo(path(file), info), ImagingCondition::None);
        QCOMPARE(info.formatCode, code);
        QCOMPARE(info.displaySize(), QSize(kHeight, kWidth));
        QCOMPARE(info.bitsPerPixel, code == 89 ? 48 : code == 87 && frames > 1 ? 32 : 24);
        QCOMPARE(info.pageCount, frames);
        QCOMPARE(info.animated, frames > 1);
        QCOMPARE(ReadDateTaken(path(file)), std::optional<QDateTime>(kTakenAt));

        QImage shown;
        QString why;
        QCOMPARE(LoadImage(path(file), shown), ImagingCondition::None);
        QCOMPARE(shown.size(), QSize(kHeight, kWidth));
        QVERIFY2(ShownTurned(shown, why), qPrintable(why));
        QCOMPARE(LoadImage(path(file), shown, LoadOptions{QSize(40, 40), false, 0, true}),
                 ImagingCondition::None);
        QCOMPARE(shown.size(), QSize(26, 40));
        QVERIFY2(ShownTurned(shown, why), qPrintable(why));
        if (frames > 1) {
            QCOMPARE(LoadImage(path(file), shown, LoadOptions{QSize(), false, 2, true}),
                     ImagingCondition::None);
            QVERIFY(NearColour(shown.pixel(10, 10), QuarterColour(3)));
        }
    }

    void rawPreviewOrDevelop() {
        // The camera's preview serves while it covers the frame; past that the sensor data is
        // developed, and either way the picture comes out turned.
        QImage shown;
        QString why;
        QCOMPARE(
            LoadImage(path("grey-sensor.dng"), shown, LoadOptions{QSize(40, 40), false, 0, true}),
            ImagingCondition::None);
        QVERIFY2(ShownTurned(shown, why), qPrintable(why));
        QCOMPARE(
            LoadImage(path("tiny-preview.dng"), shown, LoadOptions{QSize(40, 40), false, 0, true}),
            ImagingCondition::None);
        QCOMPARE(shown.size(), QSize(26, 40));
        // Developing applies the camera's colour matrix and brightness: the quarters keep their
        // main colour, not their exact value.
        const QRgb topLeft = shown.pixel(6, 10), topRight = shown.pixel(20, 10);
        QVERIFY2(qBlue(topLeft) > qRed(topLeft) + 60 && qBlue(topLeft) > qGreen(topLeft) + 60,
                 qPrintable(QString::number(topLeft, 16)));
        QVERIFY2(qRed(topRight) > qBlue(topRight) + 60 && qRed(topRight) > qGreen(topRight) + 60,
                 qPrintable(QString::number(topRight, 16)));
    }

    // Written at 24 and 32 bits in tst_imaging's round trip; here a transparent corner.
    void exportsKeepTransparency_data() {
        QTest::addColumn<int>("code");
        for (int code : {85, 86, 87, 88})
            QTest::addRow("%d", code) << code;
    }
    void exportsKeepTransparency() {
        QFETCH(int, code);
        QImage source = Quarters(kWidth, kHeight).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                source.setPixel(x, y, qRgba(0, 0, 0, 0));
        const QString file = path(QStringLiteral("export_%1").arg(code));
        QCOMPARE(SaveImage(source, file, SaveOptions{code, 32, 20, false}), ImagingCondition::None);
        ImageInfo info;
        QCOMPARE(ReadImageInfo(file, info), ImagingCondition::None);
        QCOMPARE(info.formatCode, code);
        QCOMPARE(info.bitsPerPixel, 32);
        QImage back;
        QCOMPARE(LoadImage(file, back), ImagingCondition::None);
        QVERIFY2(PixelDifference(source, back) < 6,
                 qPrintable(QString::number(PixelDifference(source, back))));
        QCOMPARE(qAlpha(back.pixel(2, 2)), 0);
    }

    void damagedFilesRefused_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("refused"); // a scrambled file may still show something
        for (const char* file :
             {"photo.heic", "photo.avif", "photo.webp", "anim.webp", "photo.jxl", "photo.dng"}) {
            const QByteArray bytes = test::readFile(path(file));
            QByteArray scrambled = bytes;
            for (qsizetype i = 48; i < scrambled.size(); i += 7)
                scrambled[i] = char(scrambled[i] ^ 0x5A);
            QTest::addRow("%s cut in half", file) << bytes.left(bytes.size() / 2) << true;
            QTest::addRow("%s cut to 40 bytes", file) << bytes.left(40) << true;
            QTest::addRow("%s scrambled", file) << scrambled << false;
        }
        for (const char* file : {"photo.heic", "photo.avif"}) {
            QByteArray bytes = test::readFile(path(file));
            bytes.replace(bytes.indexOf("ispe") + 8, 8, QByteArray::fromHex("000186a0000186a0"));
            QTest::addRow("%s 100000 wide", file) << bytes << true;
        }
        QTest::newRow("webp canvas 16384 square, no data")
            << QByteArray("RIFF\x16\0\0\0WEBPVP8X\x0a\0\0\0\0\0\0\0", 24) +
                   QByteArray::fromHex("ff3fffff3f00")
            << true;
        QTest::newRow("jpeg xl signature alone")
            << QByteArray("\xff\x0a", 2) + QByteArray(30, '\xff') << true;
        QTest::newRow("heif brand, nothing else")
            << QByteArray::fromHex("00000018667479706865696300000000686569636d696631") << true;
        // pitm item 1; ipco holds one irot; ipma claims 9 entries with property 127
        QTest::newRow("heif properties out of range")
            << QByteArray::fromHex("00000018667479706865696300000000686569636d696631"
                                   "0000004a6d65746100000000"
                                   "0000000e7069746d000000000001"
                                   "000000307069707200000000"
                                   "0000000d6970636f000000000569726f7400"
                                   "000000137069706d00000000000000090001027f7f")
            << true;
        QTest::newRow("fujifilm magic, nothing else")
            << QByteArray("FUJIFILMCCD-RAW 0201FF383501") + QByteArray(200, '\0') << true;
        // every ImageWidth field (thumbnail, sensor data, preview) says 70000
        QByteArray dng = MakeDng(Quarters(16, 16), Encoded(Quarters(16, 16), "JPEG"), 1, kTakenAt);
        const QByteArray widthField = QByteArray::fromHex("0001040001000000");
        for (qsizetype at = dng.indexOf(widthField, 8); at > 0;
             at = dng.indexOf(widthField, at + 12))
            dng.replace(at + 8, 4, QByteArray::fromHex("70110100"));
        QTest::newRow("dng 70000 wide") << dng << true;
    }
    void damagedFilesRefused() {
        // Crafted and cut files of each new format: a condition, never a crash or a hang.
        QFETCH(QByteArray, bytes);
        QFETCH(bool, refused);
        QVERIFY(bytes.size() >= 24);
        const QString crafted = path(QStringLiteral("damaged_%1").arg(QTest::currentDataTag()));
        QVERIFY(writeFile(crafted, bytes));

        ImageInfo info;
        const ImagingCondition probed = ReadImageInfo(crafted, info);
        QImage img;
        const ImagingCondition loaded = LoadImage(crafted, img);
        QVERIFY2(probed == ImagingCondition::None || IsDamageCondition(probed),
                 qPrintable(QString::number(ConditionNumber(probed))));
        QVERIFY2(loaded == ImagingCondition::None || IsDamageCondition(loaded),
                 qPrintable(QString::number(ConditionNumber(loaded))));
        QCOMPARE(loaded == ImagingCondition::None, !img.isNull());
        if (refused)
            QVERIFY2(loaded != ImagingCondition::None,
                     qPrintable(QStringLiteral("loaded %1x%2").arg(img.width()).arg(img.height())));
        ReadDateTaken(crafted); // reads the same headers: must not fall over either
    }

    void dateTaken_data() {
        QTest::addColumn<QString>("make"); // the file: a picture Qt writes, then a tool's change
        QTest::addColumn<QStringList>("exiftool");
        QTest::addColumn<QDateTime>("expected");
        const QString taken = "-DateTimeOriginal=2019:07:14 10:20:30";
        QTest::newRow("jpeg") << "jpg" << QStringList{taken} << kTakenAt;
        QTest::newRow("jpeg digitized only")
            << "jpg" << QStringList{"-ExifIFD:CreateDate=2019:07:14 10:20:30"} << kTakenAt;
        QTest::newRow("jpeg blank date")
            << "jpg" << QStringList{"-DateTimeOriginal#=0000:00:00 00:00:00"} << QDateTime();
        QTest::newRow("jpeg without exif") << "jpg" << QStringList{} << QDateTime();
        // ImageMagick's TIFF writer puts its directories after the pixels: far into the file.
        QTest::newRow("tiff, big-endian") << "tif" << QStringList{taken} << kTakenAt;
        QTest::newRow("png exif chunk") << "png" << QStringList{taken} << kTakenAt;
        QTest::newRow("png time stamp")
            << "png" << QStringList{"-PNG:ModifyDate=2018:03:04 05:06:07"}
            << QDateTime(QDate(2018, 3, 4), QTime(5, 6, 7));
        QTest::newRow("png without either") << "png" << QStringList{} << QDateTime();
        QTest::newRow("bitmap") << "bmp" << QStringList{} << QDateTime();
        // A clip's movie header, in universal time.
        const QDateTime recorded(QDate(2019, 7, 14), QTime(8, 20, 30), QTimeZone::utc());
        QTest::newRow("mp4 recorded") << "mp4" << QStringList{} << recorded.toLocalTime();
        QTest::newRow("quicktime recorded") << "mov" << QStringList{} << recorded.toLocalTime();
    }
    void dateTaken() {
        QFETCH(QString, make);
        QFETCH(QStringList, exiftool);
        QFETCH(QDateTime, expected);
        const QString file = path(
            QStringLiteral("dated_%1.%2").arg(QTest::currentDataTag()).replace(' ', '_').arg(make));
        if (make == "tif")
            QVERIFY(Run("convert", {"-size", "300x300", "plasma:", "-endian", "MSB", file}));
        else if (make == "mp4" || make == "mov")
            QVERIFY(
                Run("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=d=0.2:s=64x48",
                               "-metadata", "creation_time=2019-07-14T08:20:30Z", file}));
        else
            QVERIFY(Quarters(300, 300).save(file, qPrintable(make)));
        if (!exiftool.isEmpty())
            QVERIFY(Run("exiftool",
                        QStringList{"-q", "-overwrite_original"} + exiftool + QStringList{file}));
        const std::optional<QDateTime> got = ReadDateTaken(file);
        QCOMPARE(got.has_value(), expected.isValid());
        if (got)
            QCOMPARE(*got, expected);
    }
};

QTEST_MAIN(TstFormats)
#include "tst_formats.moc"
