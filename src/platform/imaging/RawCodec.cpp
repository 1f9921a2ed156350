// Camera raw files and DNG through LibRaw (its thread-safe build): it knows the makers' formats,
// finds the JPEG preview every camera embeds, and develops the sensor data when there is none.
// Previews go through our own libjpeg path, which scales inside the DCT.
#include "platform/imaging/DirectCodecs.h"
#include "platform/imaging/FormatSniffer.h"
#include "platform/imaging/Limits.h"
#include "platform/imaging/ModernCodecs.h"

#include <QFile>
#include <cmath>
#include <libraw/libraw.h>
#include <memory>

namespace q32::imaging {
namespace {

constexpr unsigned kMaxRawMemoryMb = 2048;

struct RawFile {
    std::unique_ptr<LibRaw> raw = std::make_unique<LibRaw>();
    bool cut = false; // LibRaw met the end of the data early
};

void NoteDataError(void* data, const char*, const int) {
    static_cast<RawFile*>(data)->cut = true;
}

ImagingCondition ConditionOf(int error) {
    switch (error) {
    case LIBRAW_SUCCESS:
        return ImagingCondition::None;
    case LIBRAW_UNSUFFICIENT_MEMORY:
    case LIBRAW_TOO_BIG:
    case LIBRAW_MEMPOOL_OVERFLOW:
        return ImagingCondition::TooLarge;
    case LIBRAW_IO_ERROR:
        return ImagingCondition::Truncated;
    default:
        return ImagingCondition::Damaged;
    }
}

ImagingCondition Open(const QString& path, RawFile& file) {
    file.raw->imgdata.params.max_raw_memory_mb = kMaxRawMemoryMb;
    file.raw->set_dataerror_handler(NoteDataError, &file);
    const int e = file.raw->open_file(QFile::encodeName(path).constData());
    if (e != LIBRAW_SUCCESS)
        return ConditionOf(e);
    const libraw_image_sizes_t& s = file.raw->imgdata.sizes;
    if (!SizeAcceptable(s.width, s.height))
        return s.width && s.height ? ImagingCondition::TooLarge : ImagingCondition::Damaged;
    return ImagingCondition::None;
}

// LibRaw's flip (dcraw's) as an EXIF orientation.
int OrientationOfFlip(int flip) {
    static const int orientations[8] = {1, 2, 4, 3, 5, 8, 6, 7};
    return orientations[flip & 7];
}

// Two sizes with the same proportions, within a percent.
bool SameShape(const QSize& a, const QSize& b) {
    const double ab = double(a.width()) * b.height(), ba = double(b.width()) * a.height();
    return std::abs(ab - ba) <= 0.01 * ab;
}

// The camera's own JPEG, when it is large enough for target (or, without one, for the picture).
bool DecodePreview(RawFile& file, const QSize& picture, const QSize& target, QImage& out,
                   ImagingCondition& c) {
    LibRaw& raw = *file.raw;
    if (raw.unpack_thumb() != LIBRAW_SUCCESS ||
        raw.imgdata.thumbnail.tformat != LIBRAW_THUMBNAIL_JPEG || !raw.imgdata.thumbnail.thumb)
        return false;
    const auto* jpeg = reinterpret_cast<const uchar*>(raw.imgdata.thumbnail.thumb);
    const size_t length = raw.imgdata.thumbnail.tlength;
    const Sniffed head =
        SniffFormat(QByteArray::fromRawData(reinterpret_cast<const char*>(jpeg),
                                            qsizetype(qMin<size_t>(length, kSniffBytes * 16))),
                    qint64(length));
    const QSize preview(head.width, head.height);
    if (head.code != 10 || preview.isEmpty() || !SameShape(preview, picture))
        return false;
    const QSize wanted = target.isValid() ? target : picture * 0.9;
    if (preview.width() < wanted.width() || preview.height() < wanted.height())
        return false;
    c = DecodeJpegData(jpeg, length, target.isValid() ? target : QSize(), out);
    return true;
}

// Develops the sensor data: white balance as shot, 8 bits, at half size when that still covers
// target.
ImagingCondition Develop(RawFile& file, const QSize& picture, const QSize& target, QImage& out) {
    LibRaw& raw = *file.raw;
    libraw_output_params_t& p = raw.imgdata.params;
    p.use_camera_wb = 1;
    p.output_bps = 8;
    p.user_flip = 0; // turned by the caller, as every format is
    p.half_size = target.isValid() && target.width() * 2 <= picture.width() &&
                  target.height() * 2 <= picture.height();
    int e = raw.unpack();
    if (e == LIBRAW_SUCCESS)
        e = raw.dcraw_process();
    if (e != LIBRAW_SUCCESS)
        return ConditionOf(e);
    if (file.cut)
        return ImagingCondition::Truncated;
    std::unique_ptr<libraw_processed_image_t, void (*)(libraw_processed_image_t*)> img(
        raw.dcraw_make_mem_image(&e), LibRaw::dcraw_clear_mem);
    if (!img || e != LIBRAW_SUCCESS)
        return ConditionOf(e == LIBRAW_SUCCESS ? LIBRAW_UNSPECIFIED_ERROR : e);
    if (img->type != LIBRAW_IMAGE_BITMAP || img->bits != 8 ||
        (img->colors != 3 && img->colors != 1))
        return ImagingCondition::Damaged;
    const QImage view(img->data, img->width, img->height, int(img->width) * img->colors,
                      img->colors == 3 ? QImage::Format_RGB888 : QImage::Format_Grayscale8);
    out = view.copy();
    return out.isNull() ? ImagingCondition::TooLarge : ImagingCondition::None;
}

} // namespace

ImagingCondition ProbeRaw(const QString& path, ImageInfo& info) {
    RawFile file;
    if (const ImagingCondition c = Open(path, file); c != ImagingCondition::None)
        return c;
    const libraw_data_t& d = file.raw->imgdata;
    info.formatCode = d.idata.dng_version ? kDngCode : kCameraRawCode;
    info.width = d.sizes.width;
    info.height = d.sizes.height;
    info.bitsPerPixel = 48; // developed at 16 bits a channel; shown at 8
    info.orientation = OrientationOfFlip(d.sizes.flip);
    info.pageCount = 1;
    return ImagingCondition::None;
}

ImagingCondition DecodeRaw(const QString& path, const ImageInfo& info, const QSize& target,
                           QImage& out) {
    RawFile file;
    if (const ImagingCondition c = Open(path, file); c != ImagingCondition::None)
        return c;
    ImagingCondition c = ImagingCondition::None;
    if (DecodePreview(file, info.size(), target, out, c))
        return c;
    return Develop(file, info.size(), target, out);
}

std::optional<QDateTime> RawDateTaken(const QString& path) {
    RawFile file;
    if (Open(path, file) != ImagingCondition::None || file.raw->imgdata.other.timestamp <= 0)
        return std::nullopt;
    // LibRaw read the camera's local time as this machine's; turning it back gives it again.
    return QDateTime::fromSecsSinceEpoch(qint64(file.raw->imgdata.other.timestamp));
}

} // namespace q32::imaging
