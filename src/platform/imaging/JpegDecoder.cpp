#include "platform/imaging/DirectCodecs.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <vector>
// after jpeglib.h, which it needs
#include <jerror.h>

namespace q32::imaging {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool cut = false;
};

void ErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings keep decoding (a viewer shows what it can), except running out of data.
void EmitMessage(j_common_ptr cinfo, int level) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level < 0 && err->base.msg_code == JWRN_JPEG_EOF)
        err->cut = true;
}

// Smallest n of n/8 whose output still covers the target on both sides, among the ones that
// decode fastest. libjpeg-turbo has vector code for 1/8, 1/4, 1/2 and the whole size only: 3/8
// decodes slower than 1/2, and 6/8 or 7/8 slower than the whole picture, by more than the larger
// smooth scale that follows costs. 5/8 still wins over the whole size.
unsigned ScaleEighths(unsigned width, unsigned height, const QSize& target) {
    if (!target.isValid())
        return 8;
    for (unsigned n : {1u, 2u, 4u, 5u})
        if ((width * n + 7) / 8 >= unsigned(target.width()) &&
            (height * n + 7) / 8 >= unsigned(target.height()))
            return n;
    return 8;
}

void CmykToRgb(const uchar* in, QRgb* out, int width, bool inverted) {
    for (int x = 0; x < width; ++x, in += 4) {
        int c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
    }
}

// Everything that must not own a C++ object with a destructor lives between setjmp and the
// last libjpeg call; the image and row buffers are created by the caller.
ImagingCondition Decode(const uchar* data, size_t size, const QSize& target, QImage& out,
                        std::vector<uchar>& cmykRow) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = ErrorExit;
    err.base.emit_message = EmitMessage;
    jpeg_create_decompress(&cinfo);
    if (setjmp(err.jump)) {
        const bool cut = err.cut || err.base.msg_code == JERR_INPUT_EOF;
        jpeg_destroy_decompress(&cinfo);
        out = QImage();
        return cut ? ImagingCondition::Truncated : ImagingCondition::Damaged;
    }
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    cinfo.out_color_space = cmyk ? JCS_CMYK : grey ? JCS_GRAYSCALE : JCS_EXT_BGRX;
    cinfo.scale_num = ScaleEighths(cinfo.image_width, cinfo.image_height, target);
    cinfo.scale_denom = 8;
    jpeg_start_decompress(&cinfo);
    out = NewLargeImage(int(cinfo.output_width), int(cinfo.output_height),
                        grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (out.isNull()) {
        jpeg_destroy_decompress(&cinfo);
        return ImagingCondition::TooLarge;
    }
    if (cmyk)
        cmykRow.resize(size_t(cinfo.output_width) * 4);
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = int(cinfo.output_scanline);
        if (cmyk) {
            JSAMPROW row = cmykRow.data();
            jpeg_read_scanlines(&cinfo, &row, 1);
            CmykToRgb(cmykRow.data(), reinterpret_cast<QRgb*>(out.scanLine(y)), out.width(),
                      cinfo.saw_Adobe_marker);
            continue;
        }
        // Hand libjpeg as many rows as it can fill at once.
        JSAMPROW rows[16];
        const int n = qMin(16, out.height() - y);
        for (int i = 0; i < n; ++i)
            rows[i] = out.scanLine(y + i);
        jpeg_read_scanlines(&cinfo, rows, JDIMENSION(n));
        if (err.cut)
            break;
    }
    if (err.cut) {
        jpeg_destroy_decompress(&cinfo);
        out = QImage();
        return ImagingCondition::Truncated;
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return ImagingCondition::None;
}

} // namespace

ImagingCondition DecodeJpeg(const QString& path, const QSize& target, QImage& out) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return ImagingCondition::FileUnreadable;
    const qint64 size = f.size();
    if (size <= 0)
        return ImagingCondition::EmptyFile;
    if (size > (qint64(1) << 30))
        return ImagingCondition::TooLarge;
    // Read into a buffer of our own rather than mapping the file: fewer page faults.
    QImage buffer = NewLargeImage(int(qMin<qint64>(size, 1 << 20)),
                                  int((size + (1 << 20) - 1) >> 20), QImage::Format_Grayscale8);
    if (buffer.isNull())
        return ImagingCondition::TooLarge;
    uchar* data = buffer.bits();
    if (f.read(reinterpret_cast<char*>(data), size) != size)
        return ImagingCondition::FileUnreadable;
    return DecodeJpegData(data, size_t(size), target, out);
}

ImagingCondition DecodeJpegData(const uchar* data, size_t size, const QSize& target, QImage& out) {
    std::vector<uchar> cmykRow;
    const ImagingCondition c = Decode(data, size, target, out, cmykRow);
    if (c != ImagingCondition::None)
        return c;
    if (target.isValid() && out.size() != target)
        out = out.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return ImagingCondition::None;
}

} // namespace q32::imaging
