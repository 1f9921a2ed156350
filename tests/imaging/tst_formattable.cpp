// The stored format text is what sorting, filtering and the display decision read back. Today's
// formats' texts are checked as stored, in tst_headerchecks.
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
        QTest::newRow("20 shares 5's name") << 20 << "20 LEAD CMP";
        QTest::newRow("66 shares 27's name") << 66 << "66 Fax - CCITT Group 3 1D";
        QTest::newRow("84 has no entry") << 84 << "84 ";
        QTest::newRow("gap") << 40 << "40 ";
        QTest::newRow("zero") << 0 << "00 ";
        QTest::newRow("video prefix the viewer reads") << 59 << "59 Video for Windows";
        QTest::newRow("longest") << 83 << "83 Kodak Flashpix - compressed with JPEG with QFACTOR";
        QTest::newRow("above the table") << 98 << "98 ";
        QTest::newRow("camera raw") << 90 << "90 Camera Raw";
    }
    void text() {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(FormatText(code), text);
    }

    void everyCodeFitsTheField() {
        for (int code = -5; code < 200; ++code)
            QVERIFY2(FormatText(code).size() <= kFormatTextMaxLength, qPrintable(FormatText(code)));
    }

    void clipsAreToldByTheirCodeOrName() {
        // Every clip text plays; a picture of today, a GIF or a damaged text never does.
        for (int code : {59, 93, 94, kMpeg4VideoCode, kWebmVideoCode, kMatroskaVideoCode})
            QVERIFY2(IsClipFormat(FormatText(code)), qPrintable(FormatText(code)));
        for (const char* text : {"85 High Efficiency Image File Format (HEIC)", "84 GIF", "59", "",
                                 "5 Video", "9x Video", "10 JPEG File Interchange Format"})
            QVERIFY2(!IsClipFormat(text), text);
        QVERIFY(IsClipFileName("/home/anna/DCIM/VID_2024.MP4"));
        QVERIFY(IsClipFileName("holiday.webm") && IsClipFileName("a.mkv") &&
                IsClipFileName("00001.MTS"));
        QVERIFY(!IsClipFileName("poster.mp4.jpg"));
        QVERIFY(!IsClipFileName("/clips.mp4/readme"));
        QVERIFY(!IsClipFileName("mp4"));
    }

    void todaysBoxesAreAllReadKinds() {
        // A box for a kind the default pattern does not take would list files a folder add
        // leaves out.
        const QStringList readable = ReadableFilesPattern().split(';');
        for (const FileKind& kind : TodaysFileKinds())
            for (const QString& part : kind.pattern.split(';'))
                QVERIFY2(readable.contains(part), qPrintable(part));
    }

    void fixedTexts() {
        // GIFs and MPEG clips (stored in tst_addrecord) and QuickTime by their name's end only.
        QCOMPARE(FixedFormatText("x.MoV"), QStringLiteral("94 Apple Quicktime"));
        QCOMPARE(FixedFormatText("/a/b/anim.GIF"), QStringLiteral("84 GIF"));
        QCOMPARE(FixedFormatText("clip.mpeg"), QString()); // ends in "peg", not "mpg"
    }
};

QTEST_GUILESS_MAIN(TstFormatTable)
#include "tst_formattable.moc"
