#include "platform/imaging/DirectCodecs.h"

#include <QFile>
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

} // namespace q32::imaging
