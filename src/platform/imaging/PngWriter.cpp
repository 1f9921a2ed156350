#include "platform/imaging/DirectCodecs.h"

#include <QSaveFile>
#include <csetjmp>
#include <png.h>
#include <vector>
#include <zlib.h>

namespace q32::imaging {
namespace {

void PngError(png_structp png, png_const_charp) {
    std::longjmp(png_jmpbuf(png), 1);
}
void PngWarning(png_structp, png_const_charp) {}

void PngWrite(png_structp png, png_bytep data, size_t length) {
    auto* file = static_cast<QSaveFile*>(png_get_io_ptr(png));
    if (file->write(reinterpret_cast<const char*>(data), qint64(length)) != qint64(length))
        png_error(png, "write failed");
}
void PngFlush(png_structp) {}

// Photos: the Paeth and Sub filters predict grain-free areas well, and zlib level 3 with the
// filtered strategy keeps nearly all of level 6's gain at under half its time; the libpng
// default tries all five filters per row, which doubles the time for a few percent.
constexpr int kPngLevel = 3;
constexpr int kPngStrategy = Z_FILTERED;
constexpr int kPngFilters = PNG_FILTER_SUB | PNG_FILTER_PAETH;

bool Encode(const QImage& src, QSaveFile& file, bool alpha, std::vector<png_bytep>& rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &file, PngWrite, PngFlush);
    png_set_IHDR(png, info, png_uint_32(src.width()), png_uint_32(src.height()), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, kPngLevel);
    png_set_compression_strategy(png, kPngStrategy);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, kPngFilters);
    png_write_info(png, info);
    // Qt keeps 32-bit pixels as B, G, R, A (or X) in memory.
    png_set_bgr(png);
    if (!alpha)
        png_set_filler(png, 0, PNG_FILLER_AFTER);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

ImagingCondition WritePng(const QImage& image, const QString& path, bool alpha) {
    const QImage src = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (src.isNull())
        return ImagingCondition::TooLarge;
    std::vector<png_bytep> rows(size_t(src.height()));
    for (int y = 0; y < src.height(); ++y)
        rows[size_t(y)] = const_cast<png_bytep>(src.constScanLine(y));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !Encode(src, file, alpha, rows) || !file.commit())
        return ImagingCondition::CannotWrite;
    return ImagingCondition::None;
}

} // namespace q32::imaging
