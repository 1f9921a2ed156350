#include "platform/imaging/DirectCodecs.h"
#include "platform/imaging/OwnCodecs.h"

#include <QFile>
#include <QTemporaryFile>
#include <tiffio.h>
#include <vector>

namespace q32::imaging {

// Straight from the picture's rows: no 16-bit pixel cache of the whole picture in between.
ImagingCondition WriteTiffRgb(const QImage& image, const QString& path, bool lzw, bool append) {
    const QImage src = image.convertToFormat(QImage::Format_RGB32);
    if (src.isNull())
        return ImagingCondition::TooLarge;
    TIFFSetWarningHandler(nullptr);
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), append ? "a" : "w");
    if (!tif)
        return ImagingCondition::CannotWrite;
    const int w = src.width(), h = src.height();
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(w));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(h));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, lzw ? COMPRESSION_LZW : COMPRESSION_NONE);
    if (lzw) // differences between neighbours pack far better than photo samples themselves
        TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 96.0f);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 96.0f);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    if (append)
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    std::vector<uchar> row(size_t(w) * 3);
    bool ok = true;
    for (int y = 0; y < h && ok; ++y) {
        const uchar* s = src.constScanLine(y); // B, G, R, X in memory
        for (int x = 0; x < w; ++x) {
            row[size_t(x) * 3] = s[x * 4 + 2];
            row[size_t(x) * 3 + 1] = s[x * 4 + 1];
            row[size_t(x) * 3 + 2] = s[x * 4];
        }
        ok = TIFFWriteScanline(tif, row.data(), uint32_t(y), 0) == 1;
    }
    ok = ok && TIFFWriteDirectory(tif) == 1;
    TIFFClose(tif);
    return ok ? ImagingCondition::None : ImagingCondition::CannotWrite;
}

namespace {

void SetPictureFields(TIFF* tif, int w, int h) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(w));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(h));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 96.0f);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 96.0f);
}

// One page in the fax coding; rowsPerStrip 0 gives libtiff's choice.
bool WriteFaxPage(TIFF* tif, const QImage& mono, FaxCoding coding, uint32_t rowsPerStrip) {
    const int w = mono.width(), h = mono.height();
    SetPictureFields(tif, w, h);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    // ToMonoInk: 1 is ink, as fax machines count it
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    switch (coding) {
    case FaxCoding::Rle:
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTRLE);
        break;
    case FaxCoding::Group3:
    case FaxCoding::Group3TwoD:
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
        TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS,
                     coding == FaxCoding::Group3TwoD ? GROUP3OPT_2DENCODING : 0);
        break;
    case FaxCoding::Group4:
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        break;
    }
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP,
                 rowsPerStrip ? rowsPerStrip : TIFFDefaultStripSize(tif, 0));
    bool ok = true;
    for (int y = 0; y < h && ok; ++y)
        ok = TIFFWriteScanline(tif, const_cast<uchar*>(mono.constScanLine(y)), uint32_t(y), 0) == 1;
    return ok && TIFFWriteDirectory(tif) == 1;
}

} // namespace

ImagingCondition WriteTiffFax(const QImage& image, const QString& path, FaxCoding coding,
                              bool append) {
    const QImage mono = ToMonoInk(image);
    if (mono.isNull())
        return ImagingCondition::TooLarge;
    TIFFSetWarningHandler(nullptr);
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), append ? "a" : "w");
    if (!tif)
        return ImagingCondition::CannotWrite;
    if (append)
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    const bool ok = WriteFaxPage(tif, mono, coding, 0);
    TIFFClose(tif);
    return ok ? ImagingCondition::None : ImagingCondition::CannotWrite;
}

QByteArray EncodeFax(const QImage& image, FaxCoding coding) {
    const QImage mono = ToMonoInk(image);
    QTemporaryFile temp;
    if (mono.isNull() || !temp.open())
        return {};
    TIFFSetWarningHandler(nullptr);
    TIFF* tif = TIFFOpen(QFile::encodeName(temp.fileName()).constData(), "w");
    if (!tif)
        return {};
    bool ok = WriteFaxPage(tif, mono, coding, uint32_t(mono.height()));
    TIFFClose(tif);
    tif = ok ? TIFFOpen(QFile::encodeName(temp.fileName()).constData(), "r") : nullptr;
    if (!tif)
        return {};
    QByteArray raw;
    const tmsize_t size = TIFFRawStripSize(tif, 0);
    if (size > 0) {
        raw.resize(size);
        ok = TIFFReadRawStrip(tif, 0, raw.data(), size) == size;
    }
    TIFFClose(tif);
    return ok ? raw : QByteArray();
}

ImagingCondition WriteTiffJpeg(const QImage& image, const QString& path, int hsub, int vsub,
                               int quality) {
    const QImage src = image.convertToFormat(QImage::Format_RGB888);
    if (src.isNull())
        return ImagingCondition::TooLarge;
    TIFFSetWarningHandler(nullptr);
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
    if (!tif)
        return ImagingCondition::CannotWrite;
    SetPictureFields(tif, src.width(), src.height());
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
    TIFFSetField(tif, TIFFTAG_YCBCRSUBSAMPLING, uint16_t(hsub), uint16_t(vsub));
    TIFFSetField(tif, TIFFTAG_JPEGQUALITY, quality);
    // libjpeg turns the RGB rows into subsampled YCbCr
    TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    // Strips hold whole blocks of the subsampled rows.
    const uint32_t rows = (TIFFDefaultStripSize(tif, 0) + 15) / 16 * 16;
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows);
    bool ok = true;
    for (int y = 0; y < src.height() && ok; ++y)
        ok = TIFFWriteScanline(tif, const_cast<uchar*>(src.constScanLine(y)), uint32_t(y), 0) == 1;
    ok = ok && TIFFWriteDirectory(tif) == 1;
    TIFFClose(tif);
    return ok ? ImagingCondition::None : ImagingCondition::CannotWrite;
}

} // namespace q32::imaging
