// HEIC and AVIF through libheif: one library for both containers, which decodes HEVC with
// libde265 and AV1 with dav1d (the fastest AV1 decoder Debian ships), decodes a grid's tiles on
// several threads, and writes both with x265 and libaom.
#include "platform/imaging/Exif.h"
#include "platform/imaging/IsoBmff.h"
#include "platform/imaging/Limits.h"
#include "platform/imaging/ModernCodecs.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>
#include <cstring>
#include <libheif/heif.h>
#include <memory>
#include <mutex>

namespace q32::imaging {
namespace {

struct HeifFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
    void operator()(heif_image* i) const { heif_image_release(i); }
    void operator()(heif_encoder* e) const { heif_encoder_release(e); }
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};
template <typename T> using HeifPtr = std::unique_ptr<T, HeifFree>;

void EnsureHeif() {
    static std::once_flag once;
    std::call_once(once, [] { heif_init(nullptr); });
}

ImagingCondition ConditionOf(const heif_error& e) {
    switch (e.code) {
    case heif_error_Ok:
        return ImagingCondition::None;
    case heif_error_Memory_allocation_error:
        return ImagingCondition::TooLarge;
    case heif_error_Invalid_input:
        return e.subcode == heif_suberror_End_of_data ? ImagingCondition::Truncated
                                                      : ImagingCondition::Damaged;
    default:
        return ImagingCondition::Damaged;
    }
}

// The file's primary picture, with limits set before anything is read.
ImagingCondition OpenPrimary(const QString& path, HeifPtr<heif_context>& context,
                             HeifPtr<heif_image_handle>& handle) {
    EnsureHeif();
    context.reset(heif_context_alloc());
    if (!context)
        return ImagingCondition::TooLarge;
    heif_context_set_maximum_image_size_limit(context.get(), kMaxSide);
    heif_error e =
        heif_context_read_from_file(context.get(), QFile::encodeName(path).constData(), nullptr);
    if (e.code != heif_error_Ok)
        return ConditionOf(e);
    heif_image_handle* h = nullptr;
    e = heif_context_get_primary_image_handle(context.get(), &h);
    handle.reset(h);
    return ConditionOf(e);
}

QByteArray ExifOf(const heif_image_handle* handle) {
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) < 1)
        return {};
    const size_t size = heif_image_handle_get_metadata_size(handle, id);
    if (size < 4 || size > (size_t(64) << 20))
        return {};
    QByteArray block(qsizetype(size), Qt::Uninitialized);
    if (heif_image_handle_get_metadata(handle, id, block.data()).code != heif_error_Ok)
        return {};
    // The block starts with the distance from its fifth byte to the TIFF header.
    const quint32 skip = qFromBigEndian<quint32>(block.constData());
    return skip <= size - 4 ? block.mid(4 + qsizetype(skip)) : QByteArray();
}

// A thumbnail stored beside the picture that still covers target, if there is one.
HeifPtr<heif_image_handle> ThumbnailCovering(const heif_image_handle* primary,
                                             const QSize& target) {
    HeifPtr<heif_image_handle> best;
    heif_item_id ids[8];
    const int n = heif_image_handle_get_list_of_thumbnail_IDs(primary, ids, 8);
    for (int i = 0; i < n; ++i) {
        heif_image_handle* t = nullptr;
        if (heif_image_handle_get_thumbnail(primary, ids[i], &t).code != heif_error_Ok)
            continue;
        HeifPtr<heif_image_handle> thumb(t);
        const int w = heif_image_handle_get_width(t), h = heif_image_handle_get_height(t);
        if (w >= target.width() && h >= target.height() &&
            (!best || w < heif_image_handle_get_width(best.get())))
            best = std::move(thumb);
    }
    return best;
}

struct ByteSink {
    QByteArray bytes;
};

heif_error WriteToSink(heif_context*, const void* data, size_t size, void* userdata) {
    static_cast<ByteSink*>(userdata)->bytes.append(static_cast<const char*>(data), qsizetype(size));
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

} // namespace

ImagingCondition ProbeHeif(const QString& path, ImageInfo& info) {
    HeifPtr<heif_context> context;
    HeifPtr<heif_image_handle> handle;
    if (const ImagingCondition c = OpenPrimary(path, context, handle); c != ImagingCondition::None)
        return c;
    info.width = heif_image_handle_get_width(handle.get());
    info.height = heif_image_handle_get_height(handle.get());
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get());
    // Deep pictures are shown at 8 bits a channel, as deep TIFF and PNG files are.
    const bool deep = heif_image_handle_get_luma_bits_per_pixel(handle.get()) > 8;
    info.bitsPerPixel = deep ? (alpha ? 64 : 48) : (alpha ? 32 : 24);
    info.orientation = 1;
    if (!HeifPrimaryTurned(path)) {
        const int o = ReadExif(ExifOf(handle.get())).orientation;
        info.orientation = o ? o : 1;
    }
    return ImagingCondition::None;
}

ImagingCondition DecodeHeif(const QString& path, const QSize& target, QImage& out) {
    HeifPtr<heif_context> context;
    HeifPtr<heif_image_handle> handle;
    if (const ImagingCondition c = OpenPrimary(path, context, handle); c != ImagingCondition::None)
        return c;
    HeifPtr<heif_image_handle> thumb;
    if (target.isValid())
        thumb = ThumbnailCovering(handle.get(), target);
    const heif_image_handle* source = thumb ? thumb.get() : handle.get();
    const bool alpha = heif_image_handle_has_alpha_channel(source);
    HeifPtr<heif_decoding_options> options(heif_decoding_options_alloc());
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    // Four bytes a pixel even when opaque (the fourth is then 0xFF): Qt scales such rows about
    // twenty times faster than three-byte ones, and a preview is always scaled.
    const heif_error e = heif_decode_image(source, &decoded, heif_colorspace_RGB,
                                           heif_chroma_interleaved_RGBA, options.get());
    HeifPtr<heif_image> image(decoded);
    if (e.code != heif_error_Ok)
        return ConditionOf(e);
    int stride = 0;
    const uint8_t* plane =
        heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    const int w = heif_image_get_width(decoded, heif_channel_interleaved);
    const int h = heif_image_get_height(decoded, heif_channel_interleaved);
    if (!plane || !SizeAcceptable(w, h))
        return ImagingCondition::Damaged;
    // The picture keeps libheif's pixels; they are freed with the last copy of the QImage.
    heif_image* owned = image.release();
    out = QImage(
        plane, w, h, stride, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888,
        [](void* img) { heif_image_release(static_cast<heif_image*>(img)); }, owned);
    if (out.isNull()) {
        heif_image_release(owned);
        return ImagingCondition::TooLarge;
    }
    return ImagingCondition::None;
}

bool HeifCanWrite(bool avif) {
    EnsureHeif();
    return heif_have_encoder_for_format(avif ? heif_compression_AV1 : heif_compression_HEVC);
}

ImagingCondition WriteHeif(const QImage& source, const QString& path, bool avif, int quality,
                           bool alpha) {
    EnsureHeif();
    HeifPtr<heif_context> context(heif_context_alloc());
    heif_encoder* enc = nullptr;
    if (!context || heif_context_get_encoder_for_format(
                        context.get(), avif ? heif_compression_AV1 : heif_compression_HEVC, &enc)
                            .code != heif_error_Ok)
        return ImagingCondition::NoWriter;
    HeifPtr<heif_encoder> encoder(enc);
    heif_encoder_set_lossy_quality(enc, quality);
    if (avif) // libaom's default speed takes many seconds for a photo; 6 keeps most of the quality
        heif_encoder_set_parameter_integer(enc, "speed", 6);

    const QImage rgb =
        source.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const int w = rgb.width(), h = rgb.height();
    heif_image* img = nullptr;
    if (heif_image_create(w, h, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &img)
            .code != heif_error_Ok)
        return ImagingCondition::TooLarge;
    HeifPtr<heif_image> image(img);
    if (heif_image_add_plane(img, heif_channel_interleaved, w, h, 8).code != heif_error_Ok)
        return ImagingCondition::TooLarge;
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(img, heif_channel_interleaved, &stride);
    const size_t rowBytes = size_t(w) * (alpha ? 4 : 3);
    for (int y = 0; y < h; ++y)
        std::memcpy(plane + qsizetype(y) * stride, rgb.constScanLine(y), rowBytes);
    if (heif_context_encode_image(context.get(), img, enc, nullptr, nullptr).code != heif_error_Ok)
        return ImagingCondition::CannotWrite;
    ByteSink sink;
    heif_writer writer{1, WriteToSink};
    if (heif_context_write(context.get(), &writer, &sink).code != heif_error_Ok)
        return ImagingCondition::CannotWrite;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(sink.bytes) != sink.bytes.size() || !f.commit())
        return ImagingCondition::CannotWrite;
    return ImagingCondition::None;
}

QByteArray HeifExif(const QString& path) {
    HeifPtr<heif_context> context;
    HeifPtr<heif_image_handle> handle;
    if (OpenPrimary(path, context, handle) != ImagingCondition::None)
        return {};
    return ExifOf(handle.get());
}

} // namespace q32::imaging
