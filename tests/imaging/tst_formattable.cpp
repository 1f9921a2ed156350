// The stored format text is what sorting, filtering and the display decision read back.
#include "album/FormatTable.h"

#include <QTest>

using namespace q32;

class TstFormatTable : public QObject {
    Q_OBJECT
private slots:
    void text_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("bmp padded to two digits") << 6 << "06 Microsoft Windows Bitmap";
        QTest::newRow("jfif") << 10 << "10 JPEG File Interchange Format";
        QTest::newRow("20 shares 5's name") << 20 << "20 LEAD CMP";
        QTest::newRow("66 shares 27's name") << 66 << "66 Fax - CCITT Group 3 1D";
        QTest::newRow("84 has no entry") << 84 << "84 ";
        QTest::newRow("gap") << 40 << "40 ";
        QTest::newRow("zero") << 0 << "00 ";
        QTest::newRow("video prefix") << 59 << "59 Video for Windows";
        QTest::newRow("longest") << 83 << "83 Kodak Flashpix - compressed with JPEG with QFACTOR";
        QTest::newRow("above the table") << 95 << "95 ";
        // Today's formats take free codes, two digits like the rest, so they sort by code too.
        QTest::newRow("heic") << 85 << "85 High Efficiency Image File Format (HEIC)";
        QTest::newRow("avif") << 86 << "86 AV1 Image File Format (AVIF)";
        QTest::newRow("webp") << 87 << "87 WebP";
        QTest::newRow("jpeg xl") << 88 << "88 JPEG XL";
        QTest::newRow("dng") << 89 << "89 Adobe Digital Negative (DNG)";
        QTest::newRow("camera raw") << 90 << "90 Camera Raw";
    }
    void text() {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(FormatText(code), text);
        QVERIFY(FormatText(code).size() <= kFormatTextMaxLength);
    }

    void everyCodeFitsTheField() {
        for (int code = -5; code < 200; ++code)
            QVERIFY2(FormatText(code).size() <= kFormatTextMaxLength, qPrintable(FormatText(code)));
    }

    void fixedTexts_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("text");
        QTest::newRow("gif") << "/a/b/anim.GIF"
                             << "84 GIF";
        QTest::newRow("mpg") << "/clip.mpg"
                             << "93 MPEG";
        QTest::newRow("mov") << "x.MoV"
                             << "94 Apple Quicktime";
        QTest::newRow("jpeg ends in peg") << "photo.jpeg"
                                          << "";
        QTest::newRow("mpeg ends in peg") << "clip.mpeg"
                                          << "";
    }
    void fixedTexts() {
        QFETCH(QString, path);
        QFETCH(QString, text);
        QCOMPARE(FixedFormatText(path), text);
        // readers choose their loader from these prefixes
        if (!text.isEmpty())
            QVERIFY(text.startsWith(QLatin1String("84 GIF")) ||
                    text.startsWith(QLatin1String("93 MPEG")) ||
                    text.startsWith(QLatin1String("94 Apple")));
    }
};

QTEST_GUILESS_MAIN(TstFormatTable)
#include "tst_formattable.moc"
