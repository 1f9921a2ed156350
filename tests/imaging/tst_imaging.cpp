// Round trips through every writer, damaged copies of what it wrote, display decoding, and
// hostile files.
#include "TestFiles.h"
#include "TestImages.h"
#include "formats/FormatTable.h"
#include "platform/imaging/Imaging.h"
#include "platform/imaging/QualityFactor.h"

#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace q32;
using test::IsDamageCondition;
using test::PixelDifference;

Q_DECLARE_METATYPE(ImagingCondition)

namespace {

// An odd size catches row padding faults; gradients and blocks give every encoder work.
QImage Photo() {
    QImage img(97, 61, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb(x * 255 / 96, y * 255 / 60, (x < 48) == (y < 30) ? 40 : 210));
    return img;
}

// Black and white only, so 1-bit formats must give it back exactly.
QImage Drawing() {
    QImage img(97, 61, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.fillRect(5, 5, 30, 20, Qt::black);
    p.fillRect(50, 30, 41, 25, Qt::black);
    for (int x = 0; x < 97; x += 3)
        p.fillRect(x, 58, 1, 3, Qt::black);
    return img;
}

// At most `colours` distinct colours (2: black and white) in rows that give a run-length code
// every case: a row of one colour, a long run (over 127 bytes at any depth for a long width),
// a long stretch of differing bytes, and short runs mixed with single bytes.
QImage RunsPicture(int width, int height, int colours) {
    QImage img(width, height, QImage::Format_RGB32);
    const auto colour = [&](int i) {
        i %= colours;
        if (colours == 2)
            return i ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        const int step = 256 / colours;
        return qRgb(i * step, 255 - i * step, (i * 97) & 255);
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int i = y;
            if (y > 0 && x >= width / 3 && x < 2 * width / 3)
                i = int((quint32(x) * 2654435761u ^ quint32(y) * 40503u) >> 11);
            else if (y > 0 && x >= 2 * width / 3)
                i = (x / 5) % 2 + (x % 7 == 0 ? 2 : 0);
            img.setPixel(x, y, colour(i));
        }
    return img;
}

bool Convert(const QStringList& args) {
    return QProcess::execute(QStringLiteral("convert"), args) == 0;
}

} // namespace

class TstImaging : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) const {
        return test::writeFile(path(name), bytes) ? path(name) : QString();
    }

private slots:
    // Every writer at every depth the format table offers, whose files the program reads back
    // (the raw fax, IOCA and FlashPix files are read back by tst_saveoptions' own decoders).
    void roundTrip_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("readCode");
        QTest::addColumn<int>("readBits");
        QTest::addColumn<double>("maxDiff"); // mean difference per channel the format's loss allows
        QTest::addColumn<QImage>("runs");    // a picture of runs instead of the photo
        // Where the loss is known to be smaller than its kind's.
        const QMap<QPair<int, int>, double> tighter = {
            {{3, 16}, 1}, {{10, 8}, 4}, {{10, 24}, 6}, {{16, 8}, 14}};
        for (const FormatFacts& f : KnownFormats()) {
            // JPEG flavours read as JFIF, a fax line as a raw fax.
            const int readCode = f.code == 21 || f.code == 23 ? 10 : f.code == 66 ? 77 : f.code;
            if (!CanWriteFormat(f.code) || !FindFormat(readCode)->readable)
                continue;
            for (int bits : f.writerBits) {
                int readBits = bits;
                if ((f.code == 1 || f.code == 55) && bits == 4)
                    readBits = 8; // 16 colours kept in an 8-bit file
                if (f.code == 56 || f.code == 16)
                    readBits = 24; // known only after rendering
                if (f.code == kWebpCode && bits == 32)
                    readBits = 24; // no alpha channel kept for an opaque picture
                double diff = bits == 1 ? 0 : bits == 4 ? 30 : bits == 16 ? 5 : 0.5;
                if (bits == 8)
                    diff = f.qualityFactor || f.code == 15 || f.code == 16 ? 16 : 12;
                else if (bits >= 24 && f.qualityFactor)
                    diff = 8;
                diff = tighter.value({f.code, bits}, diff);
                if (f.code == 66)
                    diff = -1; // a fax line has a fixed width: code and depth only
                QTest::addRow("%d@%d", f.code, bits)
                    << f.code << bits << readCode << readBits << diff << QImage();
            }
        }
        // WPG runs of no more colours than the depth holds come back exactly.
        const auto runs = [](int bits, int width, int height) {
            QTest::addRow("54@%d runs %dx%d", bits, width, height)
                << 54 << bits << 54 << bits << 0.0
                << RunsPicture(width, height,
                               bits == 1   ? 2
                               : bits == 4 ? 16
                                           : 200);
        };
        for (int bits : {1, 4, 8})
            for (int width : {37, 3131}) // 3131: over 127 bytes of one run at 1 bit
                runs(bits, width, 7);
        runs(8, 3131, 40); // a bitmap record over 32 KB takes the longest form of record length
    }
    void roundTrip() {
        QFETCH(int, code);
        QFETCH(int, bits);
        QFETCH(int, readCode);
        QFETCH(int, readBits);
        QFETCH(double, maxDiff);
        QFETCH(QImage, runs);
        // 16-bit TIFFs are grey, and the 8-bit files of the formats the table says so of.
        const bool grey = (bits == 16 && (code == 3 || code == 17)) ||
                          (bits == 8 && FindFormat(code)->eightBitsGrey);
        const QImage source = !runs.isNull() ? runs
                              : bits == 1    ? Drawing()
                              : grey         ? Photo().convertToFormat(QImage::Format_Grayscale8)
                                             : Photo();
        const QString file = path(QStringLiteral("rt_%1_%2.out").arg(code).arg(bits));
        QCOMPARE(SaveImage(source, file, SaveOptions{code, bits, 20, false}),
                 ImagingCondition::None);

        ImageInfo info;
        QCOMPARE(ReadImageInfo(file, info), ImagingCondition::None);
        QCOMPARE(info.formatCode, readCode);
        QCOMPARE(info.bitsPerPixel, readBits);
        if (code == 51) {
            QCOMPARE(info.size(), QSize(576, 720));
        } else if (code != 66) {
            QCOMPARE(info.size(), source.size());
        }
        QImage back;
        QCOMPARE(LoadImage(file, back), ImagingCondition::None);
        if (code != 66)
            QCOMPARE(back.size(), info.size());
        if (maxDiff >= 0) {
            // A MacPaint page holds the picture at its top left.
            const double diff = PixelDifference(source, back.copy(QRect({}, source.size())));
            QVERIFY2(diff <= maxDiff, qPrintable(QStringLiteral("mean difference %1").arg(diff)));
        }
        if (runs.width() > 1000) // the runs must be coded as runs, not stored as they are
            QVERIFY(QFileInfo(file).size() < qint64(runs.width()) * bits / 8 * runs.height());
        if (bits == 8 && runs.isNull()) { // given colours: the save options' starting depth
            // relies on which formats keep them
            QCOMPARE(SaveImage(Photo(), file, SaveOptions{code, bits, 20, false}),
                     ImagingCondition::None);
            QCOMPARE(LoadImage(file, back), ImagingCondition::None);
            QCOMPARE(back.allGray(), grey);
        }

        // Cut and scrambled files give a condition, never a crash or a hang; a PostScript
        // program and a run-length bitmap (8 bits) cut short still draw what they hold.
        if (!runs.isNull() || code == 16 || (code == 6 && bits == 8))
            return;
        const QByteArray bytes = test::readFile(file);
        QImage damaged;
        const ImagingCondition cut = LoadImage(write("cut", bytes.left(bytes.size() / 2)), damaged);
        QVERIFY2(IsDamageCondition(cut), qPrintable(QString::number(ConditionNumber(cut))));
        QVERIFY(damaged.isNull());
        QByteArray scrambled = bytes;
        for (qsizetype i = 8; i < scrambled.size(); i += 7)
            scrambled[i] = char(scrambled[i] ^ 0x5A);
        const ImagingCondition c = LoadImage(write("scrambled", scrambled), damaged);
        QVERIFY2(c == ImagingCondition::None || IsDamageCondition(c),
                 qPrintable(QString::number(ConditionNumber(c))));
        QCOMPARE(c == ImagingCondition::None, !damaged.isNull());
    }

    void writersRefuse() {
        // Before anything is written: a format without a writer, a depth the format table does
        // not give its writer, a quality factor out of range.
        const QString file = path("refused");
        QStringList wrong;
        const auto expect = [&](int code, int bits, int factor, ImagingCondition c) {
            if (SaveImage(Photo(), file, SaveOptions{code, bits, factor, false}) != c)
                wrong << QStringLiteral("%1 at %2 bits, factor %3").arg(code).arg(bits).arg(factor);
        };
        for (const FormatFacts& f : KnownFormats()) {
            if (!CanWriteFormat(f.code)) {
                expect(f.code, 24, 20, ImagingCondition::NoWriter);
                continue;
            }
            for (int bits : {1, 4, 8, 16, 24, 32, 48})
                if (!f.writerBits.contains(bits))
                    expect(f.code, bits, 20, ImagingCondition::InvalidBits);
            if (f.qualityFactor)
                expect(f.code, f.writerBits.last(), 300, ImagingCondition::InvalidQuality);
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(", ")));
        QVERIFY(!QFile::exists(file));
        // LEAD CMP, WinFax and camera raw files are read, never written.
        for (int code : {20, 69, 89, 90})
            QVERIFY(!CanWriteFormat(code));
    }

    void qualityFactorIsMonotonic() {
        int previous = 101;
        for (int f = 2; f <= 255; ++f) {
            const int q = JpegQualityFromFactor(f);
            QVERIFY(q <= previous && q >= 1 && q <= 100);
            previous = q;
        }
        for (int f = -1; f >= -9; --f)
            QVERIFY(JpegQualityFromFactor(f) < JpegQualityFromFactor(f + 1) || f == -1);
    }

    void display_data() {
        QTest::addColumn<QStringList>("extra"); // for convert
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("whole") << QStringList() << QSize() << QSize(400, 200);
        QTest::newRow("small stays small") << QStringList() << QSize(1920, 1080) << QSize(400, 200);
        QTest::newRow("cmyk") << QStringList{"-colorspace", "CMYK"} << QSize(100, 100)
                              << QSize(100, 50);
        QTest::newRow("progressive")
            << QStringList{"-interlace", "Plane"} << QSize(100, 100) << QSize(100, 50);
    }
    void display() {
        QFETCH(QStringList, extra);
        QFETCH(QSize, box);
        QFETCH(QSize, expected);
        const QString file =
            path(QStringLiteral("display_%1.jpg").arg(QTest::currentDataTag()).replace(' ', '_'));
        QVERIFY(Convert(QStringList{"-size", "400x200", "xc:rgb(200,40,40)"} + extra +
                        QStringList{"-quality", "95", file}));
        QImage img;
        QCOMPARE(LoadImage(file, img, LoadOptions{box, false, 0, true}), ImagingCondition::None);
        QCOMPARE(img.size(), expected);
        const QRgb c = img.pixel(img.width() / 2, img.height() / 2);
        QVERIFY2(std::abs(qRed(c) - 200) + std::abs(qGreen(c) - 40) < 30,
                 qPrintable(QStringLiteral("%1").arg(c, 0, 16)));
    }

    // A JPEG fitted into a box is decoded at a reduced size and then smoothed down: it must
    // look like the whole picture smoothed down, turned by its EXIF tag, at every reduction.
    void fitLooksLikeTheWholePicture() {
        const QImage picture =
            Photo().scaled(1600, 1200, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        for (const bool turned : {false, true}) {
            const QString file = path(turned ? "fit_turned.jpg" : "fit.jpg");
            QImageWriter w(file, "jpeg");
            w.setQuality(95);
            if (turned)
                w.setTransformation(QImageIOHandler::TransformationRotate90);
            QVERIFY(w.write(picture));
            QImage whole;
            QCOMPARE(LoadImage(file, whole), ImagingCondition::None);
            QCOMPARE(whole.size(), turned ? QSize(1200, 1600) : QSize(1600, 1200));
            // Boxes needing 1/8, 3/8, 5/8 and 6/8 of the stored size.
            for (QSize box :
                 {QSize(200, 150), QSize(560, 420), QSize(900, 700), QSize(1100, 825)}) {
                if (turned)
                    box.transpose();
                QImage fitted;
                QCOMPARE(LoadImage(file, fitted, LoadOptions{box, false, 0, true}),
                         ImagingCondition::None);
                const QImage expected = whole.scaled(
                    FitSize(whole.size(), box), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                const double difference = PixelDifference(fitted, expected);
                QVERIFY2(difference < 2.0, qPrintable(file + QStringLiteral(" in %1x%2: %3")
                                                                 .arg(box.width())
                                                                 .arg(box.height())
                                                                 .arg(difference)));
            }
        }
    }

    void animatedGif() {
        const QString file = path("anim.gif");
        QVERIFY(Convert({"-delay", "10", "-size", "30x20", "xc:red", "xc:blue", "xc:green", file}));
        ImageInfo info;
        QCOMPARE(ReadImageInfo(file, info), ImagingCondition::None);
        QCOMPARE(info.formatCode, 2);
        QVERIFY(info.animated);
        QCOMPARE(info.pageCount, 3);
        QImage first;
        QCOMPARE(LoadImage(file, first), ImagingCondition::None);
        QVERIFY(qRed(first.pixel(5, 5)) > 200);
    }

    void contentNotName() {
        QImage img;
        ImageInfo info;
        const QString png = path("really_png.jpg");
        QVERIFY(Photo().save(png, "PNG"));
        QCOMPARE(LoadImage(png, img, {}, &info), ImagingCondition::None);
        QCOMPARE(info.formatCode, 75);
        const QString text = write("notes.bmp", "Dear diary, today I saved a text file.\n");
        QCOMPARE(LoadImage(text, img), ImagingCondition::UnrecognisedFormat);
        QCOMPARE(LoadImage(path("missing.png"), img), ImagingCondition::FileNotFound);
        QCOMPARE(ReadImageInfo(write("empty.png", {}), info), ImagingCondition::EmptyFile);
    }

    void hugePcxOfFewBytesRefused() {
        // 16000 x 16000 at 1 bit over a few bytes of data: refused, not read into memory.
        QByteArray pcx = QByteArray::fromHex("0a050101000000007f3e7f3e") + QByteArray(53, '\0');
        pcx += QByteArray::fromHex("01d0070100") + QByteArray(58, '\0') + QByteArray(16, '\xC1');
        QImage img;
        const ImagingCondition c = LoadImage(write("huge.pcx", pcx), img);
        QVERIFY2(c == ImagingCondition::TooLarge || IsDamageCondition(c),
                 qPrintable(QString::number(ConditionNumber(c))));
        QVERIFY(img.isNull());
    }
};

QTEST_MAIN(TstImaging)
#include "tst_imaging.moc"
