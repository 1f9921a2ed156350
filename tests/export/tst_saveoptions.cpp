// The save options and the export: every format, flavor and bit depth the window offers goes
// through the choice and the real save and reads back as what was asked for; pages, quality
// factors, the box and bar in step, and the stamp with its size prompt.

#include "TestFiles.h"
#include "TestImages.h"
#include "output/export/ExportJob.h"
#include "output/export/ResizeModel.h"
#include "output/export/SaveOptionsModel.h"
#include "platform/imaging/Imaging.h"
#include "platform/imaging/OwnCodecs.h"

#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QtEndian>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-utils.h>
#include <tiffio.h>

using namespace q32;

namespace {

QString identify(const QString& format, const QString& file, const QStringList& before = {}) {
    QProcess p;
    p.start(QStringLiteral("identify"),
            before + QStringList{QStringLiteral("-format"), format, file});
    p.waitForFinished(30000);
    return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
}

// The JFXX stamp of a JPEG file, decoded independently of the writer.
QImage readStamp(const QString& path, int* bits) {
    const QByteArray j = test::readFile(path);
    for (qsizetype at = 2; at + 4 <= j.size() && uchar(j[at]) == 0xFF;) {
        const int length = (uchar(j[at + 2]) << 8) | uchar(j[at + 3]);
        const QByteArray body = j.mid(at + 4, length - 2);
        if (uchar(j[at + 1]) == 0xE0 && body.startsWith(QByteArray("JFXX", 5))) {
            const int type = uchar(body[5]), w = uchar(body[6]), h = uchar(body[7]);
            const auto* d = reinterpret_cast<const uchar*>(body.constData()) + 8;
            QImage image(w, h, QImage::Format_RGB32);
            for (int i = 0; i < w * h; ++i) {
                const uchar* c = type == 0x13 ? d + 3 * i : d + 3 * d[768 + i];
                image.setPixel(i % w, i / w, qRgb(c[0], c[1], c[2]));
            }
            *bits = type == 0x13 ? 24 : type == 0x11 ? 8 : 0;
            return image;
        }
        at += 2 + length;
    }
    return {};
}

// Bare CCITT data of a page, decoded by libtiff from a TIFF wrapped around it; ink is 1.
QImage decodeCcitt(const QByteArray& data, QSize size, int compression, int group3Options) {
    QTemporaryFile file;
    if (!file.open())
        return {};
    const QByteArray name = QFile::encodeName(file.fileName());
    TIFF* t = TIFFOpen(name.constData(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(size.width()));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(size.height()));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
    if (compression == COMPRESSION_CCITTFAX3)
        TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, group3Options);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, uint32_t(size.height()));
    TIFFWriteRawStrip(t, 0, const_cast<char*>(data.constData()), data.size());
    TIFFWriteDirectory(t);
    TIFFClose(t);
    t = TIFFOpen(name.constData(), "r");
    QImage page(size, QImage::Format_Mono);
    page.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; t && y < size.height(); ++y)
        if (TIFFReadScanline(t, page.scanLine(y), uint32_t(y)) != 1)
            page = QImage();
    if (t)
        TIFFClose(t);
    return page;
}

// A document of structured fields with one IOCA image: its size, bits per point, coding (71 to
// 73 as the format codes count them) and picture. Fails on anything out of place.
struct IocaImage {
    QSize size;
    int bits = 0;
    int code = 0;
    QImage page;
};
IocaImage readIoca(const QByteArray& file) {
    IocaImage out;
    QByteArray segment;
    QList<quint32> order;
    auto be16 = [](const QByteArray& b, qsizetype at) {
        return (uchar(b[at]) << 8) | uchar(b[at + 1]);
    };
    for (qsizetype at = 0; at < file.size();) {
        if (uchar(file[at]) != 0x5A || at + 9 > file.size())
            return {};
        const int length = be16(file, at + 1);
        const quint32 id =
            (uchar(file[at + 3]) << 16) | (uchar(file[at + 4]) << 8) | uchar(file[at + 5]);
        if (length < 8 || at + 1 + length > file.size())
            return {};
        if (id == 0xD3EEFB)
            segment += file.mid(at + 9, length - 8);
        if (order.isEmpty() || order.last() != id)
            order << id;
        at += 1 + length;
    }
    // Document, page, active environment, image object and its environment, data, ends.
    const QList<quint32> expected = {0xD3A8A8, 0xD3A8AF, 0xD3A8C9, 0xD3A6AF, 0xD3A9C9,
                                     0xD3A8FB, 0xD3A8C7, 0xD3A66B, 0xD3AC6B, 0xD3A6FB,
                                     0xD3A9C7, 0xD3EEFB, 0xD3A9FB, 0xD3A9AF, 0xD3A9A8};
    if (order != expected)
        return {};
    QByteArray data;
    int compression = 0;
    for (qsizetype at = 0; at < segment.size();) {
        const uchar id = uchar(segment[at]);
        if (id == 0xFE) {
            const int n = be16(segment, at + 2);
            if (uchar(segment[at + 1]) == 0x92)
                data += segment.mid(at + 4, n);
            at += 4 + n;
            continue;
        }
        const int n = uchar(segment[at + 1]);
        const QByteArray p = segment.mid(at + 2, n);
        if (id == 0x94)
            out.size = QSize(be16(p, 5), be16(p, 7));
        else if (id == 0x95)
            compression = uchar(p[0]);
        else if (id == 0x96)
            out.bits = uchar(p[0]);
        at += 2 + n;
    }
    if (!segment.startsWith(QByteArray("\x70\x00\x91\x01\xFF", 5)) ||
        !segment.endsWith(QByteArray("\x93\x00\x71\x00", 4)) || compression < 0x80 ||
        compression > 0x82)
        return {};
    out.code = 71 + compression - 0x80;
    out.page = decodeCcitt(data, out.size,
                           compression == 0x82 ? COMPRESSION_CCITTFAX4 : COMPRESSION_CCITTFAX3,
                           compression == 0x81 ? GROUP3OPT_2DENCODING : 0);
    return out;
}

quint32 le32(const QByteArray& b, qsizetype at) {
    return at + 4 <= b.size() ? qFromLittleEndian<quint32>(b.constData() + at) : 0;
}

QByteArray readStream(GsfInfile* dir, const char* name) {
    GsfInput* in = dir ? gsf_infile_child_by_name(dir, name) : nullptr;
    if (!in)
        return {};
    QByteArray b(qsizetype(gsf_input_size(in)), '\0');
    gsf_input_read(in, size_t(b.size()), reinterpret_cast<guint8*>(b.data()));
    g_object_unref(in);
    return b;
}

// A FlashPix file read through libgsf: its resolutions, the picture's size and channels, how
// the tiles of the full picture are stored (0 as they are, 1 one colour, 2 JPEG) and the picture.
struct FlashPixImage {
    int resolutions = 0;
    QSize size;
    int channels = 0;
    QSet<quint32> kinds;
    QImage image;
};
FlashPixImage readFlashPix(const QString& path) {
    FlashPixImage out;
    gsf_init();
    GsfInput* file = gsf_input_stdio_new(QFile::encodeName(path).constData(), nullptr);
    GsfInfile* ole = file ? gsf_infile_msole_new(file, nullptr) : nullptr;
    if (file)
        g_object_unref(file);
    if (!ole)
        return out;
    guint8 rootClass[16] = {};
    gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(ole), rootClass);
    GsfInput* store = gsf_infile_child_by_name(ole, "Data Object Store 000001");
    const QByteArray contents = readStream(GSF_INFILE(store), "\005Image Contents");
    // One section of (identifier, offset) pairs; values are a type and its bytes.
    QHash<quint32, QByteArray> values;
    const quint32 section = le32(contents, 44);
    for (quint32 i = 0; i < le32(contents, section + 4); ++i) {
        const quint32 at = section + le32(contents, section + 12 + 8 * i);
        values.insert(le32(contents, section + 8 + 8 * i), contents.mid(at + 4));
    }
    const int n = int(le32(values.value(0x01000000), 0));
    if (le32(QByteArray(reinterpret_cast<const char*>(rootClass), 16), 0) != 0x56616700 || n < 1) {
        g_object_unref(ole);
        return out;
    }
    out.resolutions = n;
    out.size =
        QSize(int(le32(values.value(0x01000002), 0)), int(le32(values.value(0x01000003), 0)));
    const quint32 top = quint32(n - 1) << 16;
    out.channels = int(le32(values.value(0x02000002 | top), 8)); // after the blob's length
    GsfInput* full = gsf_infile_child_by_name(
        GSF_INFILE(store),
        qPrintable(QStringLiteral("Resolution %1").arg(n - 1, 4, 10, QChar('0'))));
    const QByteArray header = readStream(GSF_INFILE(full), "Subimage 0000 Header");
    const QByteArray data = readStream(GSF_INFILE(full), "Subimage 0000 Data");
    const QImage::Format format =
        out.channels == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB888;
    const int w = int(le32(header, 32)), h = int(le32(header, 36)), cols = (w + 63) / 64;
    QImage picture(cols * 64, (h + 63) / 64 * 64, format);
    const quint32 table = 28 + le32(header, 56), entry = le32(header, 60);
    for (quint32 i = 0; i < le32(header, 40) && w == out.size.width(); ++i) {
        const quint32 at = table + i * entry, kind = le32(header, at + 8);
        const QByteArray tile = data.mid(28 + le32(header, at), le32(header, at + 4));
        const int x = int(i % cols) * 64, y = int(i / cols) * 64;
        out.kinds.insert(kind);
        const auto* c = reinterpret_cast<const uchar*>(header.constData()) + at + 12; // one colour
        QImage t(64, 64, format);
        if (kind == 0 && tile.size() == 64 * 64 * out.channels)
            for (int row = 0; row < 64; ++row)
                memcpy(t.scanLine(row), tile.constData() + row * 64 * out.channels,
                       size_t(64 * out.channels));
        else if (kind == 1)
            t.fill(out.channels == 1 ? qRgb(c[0], c[0], c[0]) : qRgb(c[0], c[1], c[2]));
        else if (kind == 2)
            t = QImage::fromData(tile, "JPG").convertToFormat(format);
        else
            return out;
        for (int row = 0; row < 64; ++row)
            memcpy(picture.scanLine(y + row) + x * out.channels, t.constScanLine(row),
                   size_t(64 * out.channels));
    }
    out.image = picture.copy(0, 0, w, h);
    g_object_unref(full);
    g_object_unref(store);
    g_object_unref(ole);
    return out;
}

} // namespace

class TestSaveOptions : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_photo;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() {
        // A photo-like picture: gradients and a sharp edge, so every codec has work to do.
        QImage photo(120, 80, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb(x * 2, y * 3, (x + y) % 256));
        QPainter(&photo).fillRect(30, 20, 40, 30, Qt::white);
        m_photo = path("photo.png");
        QVERIFY(photo.save(m_photo));
    }

    // Every choice of the window (FlashPix with each answer of its type prompt) writes a file
    // that reads back as asked; one that cannot be written here says so and its nearest
    // writable choice does instead.
    void everyChoiceSavesAndReadsBack_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("flavor");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("type");
        SaveOptionsModel m;
        QCOMPARE(m.formats().at(23).text, QStringLiteral("Kodak FlashPix"));
        for (const ExportFormat& f : m.formats())
            for (int flavor = 0; flavor < f.flavors.size(); ++flavor)
                for (int bits : f.bits)
                    for (int type = f.index == 23 ? 0 : -1; type < (f.index == 23 ? 4 : 0); ++type)
                        QTest::addRow("%s %s %d bits%s", qPrintable(f.text),
                                      qPrintable(f.flavors[flavor].text), bits,
                                      type < 0 ? ""
                                               : qPrintable(QStringLiteral(" type %1").arg(type)))
                            << f.index << flavor << bits << type;
    }
    void everyChoiceSavesAndReadsBack() {
        QFETCH(int, index);
        QFETCH(int, flavor);
        QFETCH(int, bits);
        QFETCH(int, type);
        SaveOptionsModel m(index);
        m.selectFlavor(flavor);
        m.clickBit(bits);
        if (type >= 0)
            QCOMPARE(m.setFlashPixType(QString::number(type)), SaveOptionsModel::TypeAnswer::Valid);
        QVERIFY(m.accept({}));
        QCOMPARE(m.choice().formatIndex, index);
        QCOMPARE(m.choice().save.bitsPerPixel, bits);
        if (!m.writable()) {
            // Only the files nobody describes in public stay unwritten.
            const int asked = m.choice().save.formatCode;
            QVERIFY2(QList<int>({20, 26, 69, 70}).contains(asked), qPrintable(m.nearestOffer()));
            QVERIFY2(m.nearestOffer().contains("cannot be written on this system") &&
                         m.nearestOffer().endsWith("instead?"),
                     qPrintable(m.nearestOffer()));
            QVERIFY(m.useNearest());
            QVERIFY(m.writable());
            QVERIFY(m.choice().formatIndex != index);
            bits = m.choice().save.bitsPerPixel;
        }
        const SaveChoice c = m.choice();
        QVERIFY(c.accepted);
        const int code = c.save.formatCode;
        const QString out =
            path(QStringLiteral("t%1_%2_%3_%4").arg(index).arg(flavor).arg(bits).arg(type));
        QCOMPARE(ExportPicture(m_photo, out, c.save, c.stamp), ImagingCondition::None);

        // Raw Group 3 2D and IOCA: libtiff's decoder gives back the picture's ink.
        QImage photo;
        QCOMPARE(LoadImage(m_photo, photo), ImagingCondition::None);
        if (code == 67) {
            const QImage page = decodeCcitt(test::readFile(out), QSize(120, 80),
                                            COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING);
            QVERIFY(!page.isNull());
            QCOMPARE(page, imaging::ToMonoInk(photo));
            return;
        }
        if (code >= 80 && code <= 83) {
            const FlashPixImage fpx = readFlashPix(out);
            QCOMPARE(fpx.size, QSize(120, 80));
            QCOMPARE(fpx.resolutions, 2); // 120 x 80 and one tile of 60 x 40
            QCOMPARE(fpx.channels * 8, bits);
            const QImage want = photo.convertToFormat(bits == 8 ? QImage::Format_Grayscale8
                                                                : QImage::Format_RGB888);
            if (code <= 81) {
                QCOMPARE(fpx.kinds, QSet<quint32>({0})); // no tile of the photo is of one colour
                QCOMPARE(fpx.image, want);
            } else {
                QCOMPARE(fpx.kinds, QSet<quint32>({2}));
                const double difference = test::PixelDifference(fpx.image, want);
                QVERIFY2(difference < 6, qPrintable(QString::number(difference)));
                // 83 takes the factor given, 0 here: a better JPEG than 82's usual factor.
                if (code == 83) {
                    SaveOptions usual = c.save;
                    usual.formatCode = 82;
                    QCOMPARE(ExportPicture(m_photo, out + "_82", usual), ImagingCondition::None);
                    QVERIFY(difference <
                            test::PixelDifference(readFlashPix(out + "_82").image, want));
                }
            }
            if (code == 81) { // a flat half is kept as tiles of one colour
                QImage half(200, 100, QImage::Format_RGB32);
                half.fill(Qt::white);
                QPainter(&half).drawImage(128, 0, photo);
                const QString flat = path(QStringLiteral("flat%1.fpx").arg(bits));
                QVERIFY(half.save(flat + ".png"));
                QCOMPARE(ExportPicture(flat + ".png", flat, c.save), ImagingCondition::None);
                const FlashPixImage back = readFlashPix(flat);
                QCOMPARE(back.kinds, QSet<quint32>({0, 1}));
                QCOMPARE(back.image, half.convertToFormat(want.format()));
            }
            return;
        }
        if (code >= 71 && code <= 73) {
            const IocaImage ioca = readIoca(test::readFile(out));
            QCOMPARE(ioca.code, code);
            QCOMPARE(ioca.bits, 1);
            QCOMPARE(ioca.size, QSize(120, 80));
            QCOMPARE(ioca.page, imaging::ToMonoInk(photo));
            return;
        }

        if (code == 68) { // a raw Group 4 stream: only its size tells how to decode it
            QCOMPARE(identify("%w %h", "g4:" + out, {"-size", "120x80"}), QStringLiteral("120 80"));
            return;
        }
        // The kind and depth read back from each writer are checked in tst_imaging; here what
        // the flavor alone decides.
        if ((code == 10 || code == 21 || code == 23) && bits == 24)
            QCOMPARE(identify("%[jpeg:sampling-factor]", out),
                     QLatin1String(code == 10   ? "1x1,1x1,1x1"
                                   : code == 23 ? "2x1,1x1,1x1"
                                                : "2x2,1x1,1x1"));
        QImage back;
        QCOMPARE(LoadImage(out, back), ImagingCondition::None);
    }

    void appendedPagesAddUp_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("flavor");
        QTest::addColumn<int>("bits");
        QTest::newRow("TIFF LZW") << 18 << 1 << 24;
        QTest::newRow("TIFF uncompressed 8 bits") << 18 << 0 << 8;
        QTest::newRow("TIFF CCITT G4") << 4 << 1 << 1;
        QTest::newRow("PCX becomes DCX") << 13 << 0 << 24;
    }
    void appendedPagesAddUp() {
        QFETCH(int, index);
        QFETCH(int, flavor);
        QFETCH(int, bits);
        const QString out = path(QStringLiteral("pages_%1_%2").arg(index).arg(flavor));
        SaveOptions save[2]; // the box ticked or not
        for (const bool append : {false, true}) {
            SaveOptionsModel m(index, append);
            m.selectFlavor(flavor);
            m.clickBit(bits);
            QVERIFY(m.accept({}));
            QCOMPARE(m.choice().save.multiPage, append);
            save[append] = m.choice().save;
        }
        // The last page is another picture, so each page must be its own.
        const QString black = path("black.png");
        QVERIFY(test::Filled({50, 40}, Qt::black).save(black));
        for (int page = 0; page < 3; ++page)
            QCOMPARE(ExportPicture(page < 2 ? m_photo : black, out, save[true]),
                     ImagingCondition::None);
        QCOMPARE(identify("%p ", out).split(' ').size(), 3);
        QImage page;
        QCOMPARE(LoadImage(out, page, LoadOptions{QSize(), false, 1, true}),
                 ImagingCondition::None);
        QCOMPARE(page.size(), QSize(120, 80));
        QCOMPARE(LoadImage(out, page, LoadOptions{QSize(), false, 2, true}),
                 ImagingCondition::None);
        QCOMPARE(page.size(), QSize(50, 40));
        QCOMPARE(qGray(page.pixel(10, 10)), 0);
        // Without the box ticked the file starts again with one page.
        QCOMPARE(ExportPicture(m_photo, out, save[false]), ImagingCondition::None);
        QCOMPARE(identify("%p ", out).split(' ').size(), 1);
    }

    void qualityFactorBoxAndBar() {
        // The window's own controls and the factors it refuses are checked in
        // tst_saveoptionswindow.
        // 2 is the best picture and the largest file, 255 the smallest.
        qint64 sizes[2];
        for (int i : {0, 1}) {
            SaveOptionsModel q(1);
            q.setBoxText(i == 0 ? "2" : "255");
            QVERIFY(q.accept({}));
            QCOMPARE(q.choice().save.qualityFactor, i == 0 ? 2 : 255);
            const QString out = path(QStringLiteral("q%1.jpg").arg(i));
            QCOMPARE(ExportPicture(m_photo, out, q.choice().save), ImagingCondition::None);
            sizes[i] = QFileInfo(out).size();
        }
        QVERIFY2(sizes[0] > 2 * sizes[1],
                 qPrintable(QStringLiteral("%1 vs %2").arg(sizes[0]).arg(sizes[1])));

        // Lossless formats take no factor and show no quality controls.
        SaveOptionsModel tiff(18);
        tiff.selectFlavor(1);
        QVERIFY(!tiff.qualityEnabled());
        QVERIFY(tiff.accept({}));
        QCOMPARE(tiff.choice().save.qualityFactor, 0);
        // Cancel reports not accepted.
        SaveOptionsModel cancelled(1);
        cancelled.cancel();
        QVERIFY(!cancelled.choice().accepted);
    }

    void stampSizeKeepsTheAspect() {
        ResizeModel r(QSize(640, 480));
        QCOMPARE(r.value(0), 64);
        QCOMPARE(r.boxText(1), QStringLiteral("48"));
        r.setBarValue(0, 100);
        QCOMPARE(r.value(1), 75);
        QCOMPARE(r.boxText(1), QStringLiteral("75"));
        // 120 high needs 160 wide, beyond the largest stamp: shown, and OK says why and offers
        // the largest stamp of these proportions.
        r.setBoxText(1, "120");
        QCOMPARE(r.boxText(0), QStringLiteral("160"));
        QString why = r.accept();
        QVERIFY2(why.contains("a height of 120 needs a width of 160") && why.contains("125 x 94"),
                 qPrintable(why));
        QCOMPARE(r.value(0), 125);
        QCOMPARE(r.value(1), 94);
        // Out of range or no number: the bar stays, and OK names the value in force.
        for (const char* bad : {"200", "", "abc", "0"}) {
            r.setBoxText(0, bad);
            QCOMPARE(r.value(0), 125);
            why = r.accept();
            QVERIFY2(why.contains(QStringLiteral("\"%1\" cannot be used").arg(bad)) &&
                         why.contains("width stays 125"),
                     qPrintable(why));
            QCOMPARE(r.boxText(0), QStringLiteral("125"));
        }
        r.setBoxText(0, "90");
        QVERIFY(r.accept().isEmpty());
        // 480 * 90 / 640 = 67.5 goes to the even 68; the typed width stays as typed.
        QCOMPARE(r.value(1), 68);
        QCOMPARE(r.value(0), 90);
        QCOMPARE(r.boxText(0), QStringLiteral("90"));
        // Unlocked, the values move alone.
        r.setAspectLocked(false);
        r.setBarValue(0, 10);
        QCOMPARE(r.value(1), 68);
        // A portrait typed through its window is in tst_saveoptionswindow. A side refused after
        // the lock moved it: the other side follows the value in force.
        ResizeModel tall(QSize(800, 1200));
        tall.setBoxText(0, "100");
        tall.setBoxText(1, "abc");
        QVERIFY(tall.accept().contains("height stays 125"));
        QCOMPARE(tall.boxText(0) + "x" + tall.boxText(1), QStringLiteral("83x125"));
    }

    void startingBitsAndNamesFollowThePicture() {
        // The depth a format starts with for a picture of this depth.
        const QList<std::tuple<int, int, int>> cases = {{14, 24, 24}, {14, 48, 24}, {14, 1, 1},
                                                        {14, 0, 8},   {1, 8, 24},   {17, 32, 32},
                                                        {18, 32, 24}, {7, 24, 1},   {23, 8, 24}};
        for (const auto& [format, picture, expected] : cases) {
            SaveOptionsModel m(format, false, picture);
            QVERIFY2(m.bits() == expected,
                     qPrintable(m.format().text + QStringLiteral(" from %1 bits").arg(picture)));
        }

        // A typed extension picks the format; a name follows the format chosen.
        QCOMPARE(ExportFormatForExtension("tiff"), std::optional<int>(18));
        QCOMPARE(ExportFormatForExtension("txt"), std::nullopt);
        QCOMPARE(FileNameForFormat("/a.b/photo", 75), QStringLiteral("/a.b/photo.png"));
        QCOMPARE(FileNameForFormat("/a/trip.2024", 17), QStringLiteral("/a/trip.2024.tif"));
    }

    void stampIsWrittenIntoTheJpeg_data() {
        QTest::addColumn<int>("stampBits");
        QTest::newRow("24-bit stamp") << 24;
        QTest::newRow("8-bit stamp") << 8;
    }
    void stampIsWrittenIntoTheJpeg() {
        QFETCH(int, stampBits);
        SaveOptionsModel m(1);
        m.setStamp(true);
        // The size prompt's window is in tst_saveoptionswindow.
        QVERIFY(m.accept([&] { return std::optional<StampOptions>({90, 60, stampBits}); }));
        const SaveChoice c = m.choice();
        QVERIFY(c.stamp);
        const QString out = path(QStringLiteral("stamp%1.jpg").arg(stampBits));
        QCOMPARE(ExportPicture(m_photo, out, c.save, c.stamp), ImagingCondition::None);
        int bits = 0;
        const QImage stamp = readStamp(out, &bits);
        QCOMPARE(stamp.size(), QSize(90, 60));
        QCOMPARE(bits, stampBits);
        // The white block of the photo is in the stamp where it belongs.
        QVERIFY(qGray(stamp.pixel(45, 30)) > 230);
        QVERIFY(qGray(stamp.pixel(5, 5)) < 80);
        // The file is still an ordinary JPEG for every reader.
        QCOMPARE(identify("%m %w %h", out), QStringLiteral("JPEG 120 80"));
        ImageInfo info;
        QCOMPARE(ReadImageInfo(out, info), ImagingCondition::None);
        QCOMPARE(info.formatCode, 10);
    }
};

QTEST_GUILESS_MAIN(TestSaveOptions)
#include "tst_saveoptions.moc"
