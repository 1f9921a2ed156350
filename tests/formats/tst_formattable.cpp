// The format table answers every question about a code, a stored text or a file name alike. The
// stored format text is what sorting, filtering and the display decision read back; today's
// formats' texts are checked as stored, in tst_headerchecks.
#include "formats/FormatTable.h"
#include "platform/imaging/Imaging.h"

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
        // Each clip kind by its name, whatever part asks.
        for (const char* name : {"/home/anna/DCIM/VID_2024.MP4", "a.mov", "b.AVI", "c.mkv",
                                 "holiday.webm", "e.mpg", "f.mpeg", "00001.MTS", "g.3gp"}) {
            QCOMPARE(MediaKindOfFile(name), MediaKind::Video);
            const QString extension = QString(name).section('.', -1);
            QVERIFY2(IsClipCode(CodeForExtension(extension)), name);
            QVERIFY2(ReadableFilesPattern().split(';').contains("*." + extension.toLower()), name);
        }
        QCOMPARE(MediaKindOfFile("poster.mp4.jpg"), MediaKind::Still);
        QCOMPARE(MediaKindOfFile("/clips.mp4/readme"), MediaKind::Still);
        QCOMPARE(MediaKindOfFile("mp4"), MediaKind::Still);
        // A GIF plays frame by frame, by its stored text, the text found for a GIF under another
        // name, or its own name.
        QCOMPARE(MediaKindOfFormat(kGifFormatText), MediaKind::Gif);
        QCOMPARE(MediaKindOfFormat(FormatText(2)), MediaKind::Gif);
        QCOMPARE(MediaKindOfFile("/a/anim.GIF"), MediaKind::Gif);
        QCOMPARE(MediaKindOfFormat("87 WebP"), MediaKind::Still);
    }

    void everyCodeAnswersAlike() {
        // Each code's facts agree with what its name, text, extensions and the imaging layer's
        // readers and writers say of it.
        const QStringList readable = ReadableFilesPattern().split(';');
        int previous = 0;
        for (const FormatFacts& f : KnownFormats()) {
            const QByteArray at = FormatText(f.code).toUtf8();
            QVERIFY2(f.code > previous, at); // one row per code, in order
            previous = f.code;
            QCOMPARE(FindFormat(f.code), &f);
            QCOMPARE(FormatCodeOf(FormatText(f.code)), f.code);
            QCOMPARE(MediaKindOfFormat(FormatText(f.code)), f.kind);
            QCOMPARE(IsClipCode(f.code), f.kind == MediaKind::Video);
            for (const QString& extension : f.extensions) {
                QCOMPARE(extension, extension.toLower());
                // An extension means one kind of media, and written files of code carry one
                // that fits it, in either case.
                QCOMPARE(MediaKindOfFile("x." + extension.toUpper()), f.kind);
                QVERIFY2(ExtensionFitsCode(extension, f.code) &&
                             ExtensionFitsCode(extension.toUpper(), f.code),
                         at + " " + extension.toUtf8());
                if (f.readable)
                    QVERIFY2(readable.contains("*." + extension), qPrintable(extension));
            }
            if (f.kind != MediaKind::Video)
                QVERIFY2(f.readable == CanReadFormat(f.code), at);
            const bool encoderMissing =
                (f.code == kHeifCode || f.code == kAvifCode) && !CanWriteFormat(f.code);
            if (!encoderMissing) {
                QCOMPARE(WritableBits(f.code), f.writerBits);
                QCOMPARE(UsesQualityFactor(f.code), f.qualityFactor);
            }
            QVERIFY2(!f.appendsPages || !f.writerBits.isEmpty(), at);
        }
        for (int code = -5; code < 256; ++code)
            if (!FindFormat(code))
                QVERIFY(!CanReadFormat(code) && !CanWriteFormat(code) &&
                        FormatName(code).isEmpty());
        QCOMPARE(FormatCodeOf("9x Video"), 0);
        QCOMPARE(CodeForExtension(""), 0);
        QCOMPARE(CodeForExtension("TIFF"), 3);
        QVERIFY(!ExtensionFitsCode("png", 10) && !ExtensionFitsCode("", 10));
        // A box for a kind the default pattern does not take would list files a folder add
        // leaves out.
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
