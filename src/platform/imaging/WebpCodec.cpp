// WebP through libwebp itself rather than Qt's or ImageMagick's wrappers: it scales while it
// decodes (a preview never holds the whole picture), writes straight into our picture's rows, and
// its demuxer finds the EXIF chunk and the frames of an animation.
#include "platform/imaging/DirectCodecs.h"
#include "platform/imaging/Exif.h"
#include "platform/imaging/Limits.h"
#include "platform/imaging/MappedFile.h"
#include "platform/imaging/ModernCodecs.h"

#include <QSaveFile>
#include <memory>
#include <webp/decode.h>
#include <webp/demux.h>
#include <webp/encode.h>

namespace q32::imaging {
namespace {

WebPData DataOf(const MappedFile& file) {
    return WebPData{file.data(), file.size()};
}

struct DemuxFree {
    void operator()(WebPDemuxer* d) const { WebPDemuxDelete(d); }
    void operator()(WebPAnimDecoder* d) const { WebPAnimDecoderDelete(d); }
};

ImagingCondition ConditionOf(VP8StatusCode status) {
    switch (status) {
    case VP8_STATUS_OK:
        return ImagingCondition::None;
    case VP8_STATUS_NOT_ENOUGH_DATA:
        return ImagingCondition::Truncated;
    case VP8_STATUS_OUT_OF_MEMORY:
        return ImagingCondition::TooLarge;
    default:
        return ImagingCondition::Damaged;
    }
}

// Frame `frame` of an animation, composed over the frames before it as the format says.
ImagingCondition DecodeAnimationFrame(const WebPData& data, int frame, QImage& out) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        return ImagingCondition::Failure;
    options.color_mode = MODE_BGRA; // QImage::Format_ARGB32 in memory on little-endian machines
    options.use_threads = 1;
    std::unique_ptr<WebPAnimDecoder, DemuxFree> decoder(WebPAnimDecoderNew(&data, &options));
    WebPAnimInfo anim;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &anim))
        return ImagingCondition::Damaged;
    if (!SizeAcceptable(anim.canvas_width, anim.canvas_height))
        return ImagingCondition::TooLarge;
    if (frame < 0 || quint32(frame) >= anim.frame_count)
        return ImagingCondition::PageNotFound;
    uint8_t* canvas = nullptr;
    int timestamp = 0;
    for (int i = 0; i <= frame; ++i)
        if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp))
            return ImagingCondition::Damaged;
    const QImage view(canvas, int(anim.canvas_width), int(anim.canvas_height),
                      QImage::Format_ARGB32);
    out = view.copy(); // the canvas belongs to the decoder
    return out.isNull() ? ImagingCondition::TooLarge : ImagingCondition::None;
}

QByteArray ExifChunk(WebPDemuxer* demux) {
    WebPChunkIterator chunk;
    if (!WebPDemuxGetChunk(demux, "EXIF", 1, &chunk))
        return {};
    const QByteArray exif(reinterpret_cast<const char*>(chunk.chunk.bytes),
                          qsizetype(chunk.chunk.size));
    WebPDemuxReleaseChunkIterator(&chunk);
    return exif;
}

} // namespace

ImagingCondition ProbeWebp(const QString& path, ImageInfo& info) {
    const MappedFile file(path);
    if (!file.ok())
        return ImagingCondition::FileUnreadable;
    const WebPData data = DataOf(file);
    WebPBitstreamFeatures features;
    if (const VP8StatusCode s = WebPGetFeatures(data.bytes, data.size, &features);
        s != VP8_STATUS_OK)
        return ConditionOf(s);
    info.width = features.width;
    info.height = features.height;
    info.bitsPerPixel = features.has_alpha ? 32 : 24;
    std::unique_ptr<WebPDemuxer, DemuxFree> demux(WebPDemux(&data));
    if (!demux) // the chunks after the first picture are cut or broken
        return ImagingCondition::Truncated;
    if (features.has_animation) {
        info.pageCount = int(qMax(1u, WebPDemuxGetI(demux.get(), WEBP_FF_FRAME_COUNT)));
        info.animated = info.pageCount > 1;
    }
    const int o = ReadExif(ExifChunk(demux.get())).orientation;
    info.orientation = o ? o : 1;
    return ImagingCondition::None;
}

ImagingCondition DecodeWebp(const QString& path, int frame, const QSize& target, QImage& out) {
    const MappedFile file(path);
    if (!file.ok())
        return ImagingCondition::FileUnreadable;
    const WebPData data = DataOf(file);
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return ImagingCondition::Failure;
    if (const VP8StatusCode s = WebPGetFeatures(data.bytes, data.size, &config.input);
        s != VP8_STATUS_OK)
        return ConditionOf(s);
    if (config.input.has_animation)
        return DecodeAnimationFrame(data, frame, out);
    if (frame != 0)
        return ImagingCondition::PageNotFound;
    int w = config.input.width, h = config.input.height;
    if (!SizeAcceptable(w, h))
        return ImagingCondition::TooLarge;
    if (target.isValid() && target.width() < w && target.height() < h) {
        config.options.use_scaling = 1;
        config.options.scaled_width = w = target.width();
        config.options.scaled_height = h = target.height();
    }
    const bool alpha = config.input.has_alpha;
    out = NewLargeImage(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.isNull())
        return ImagingCondition::TooLarge;
    config.options.use_threads = 1;
    config.output.colorspace = MODE_BGRA; // opaque pictures get 0xFF alpha bytes
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = out.bits();
    config.output.u.RGBA.stride = int(out.bytesPerLine());
    config.output.u.RGBA.size = size_t(out.sizeInBytes());
    const VP8StatusCode s = WebPDecode(data.bytes, data.size, &config);
    WebPFreeDecBuffer(&config.output);
    if (s != VP8_STATUS_OK) {
        out = QImage();
        return ConditionOf(s);
    }
    return ImagingCondition::None;
}

ImagingCondition WriteWebp(const QImage& source, const QString& path, int quality, bool alpha) {
    const QImage image =
        source.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    WebPConfig config;
    WebPPicture picture;
    if (!WebPConfigPreset(&config, WEBP_PRESET_PHOTO, float(quality)) || !WebPPictureInit(&picture))
        return ImagingCondition::Failure;
    config.thread_level = 1;
    picture.use_argb = 1;
    picture.width = image.width();
    picture.height = image.height();
    if (picture.width > WEBP_MAX_DIMENSION || picture.height > WEBP_MAX_DIMENSION)
        return ImagingCondition::TooLarge;
    const int stride = int(image.bytesPerLine());
    const bool imported = alpha ? WebPPictureImportBGRA(&picture, image.constBits(), stride)
                                : WebPPictureImportBGRX(&picture, image.constBits(), stride);
    WebPMemoryWriter memory;
    WebPMemoryWriterInit(&memory);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &memory;
    const bool encoded = imported && WebPEncode(&config, &picture);
    WebPPictureFree(&picture);
    ImagingCondition c = encoded ? ImagingCondition::None : ImagingCondition::CannotWrite;
    if (encoded) {
        QSaveFile f(path);
        if (!f.open(QIODevice::WriteOnly) ||
            f.write(reinterpret_cast<const char*>(memory.mem), qint64(memory.size)) !=
                qint64(memory.size) ||
            !f.commit())
            c = ImagingCondition::CannotWrite;
    }
    WebPMemoryWriterClear(&memory);
    return c;
}

QByteArray WebpExif(const QString& path) {
    const MappedFile file(path);
    if (!file.ok())
        return {};
    const WebPData data = DataOf(file);
    std::unique_ptr<WebPDemuxer, DemuxFree> demux(WebPDemux(&data));
    return demux ? ExifChunk(demux.get()) : QByteArray();
}

} // namespace q32::imaging
