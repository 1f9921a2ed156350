// JPEG XL through libjxl, the reference codec and the only one Debian 12 ships; it decodes on
// several threads and writes rows straight into our picture.
#include "platform/imaging/DirectCodecs.h"
#include "platform/imaging/Limits.h"
#include "platform/imaging/MappedFile.h"
#include "platform/imaging/ModernCodecs.h"

#include <QSaveFile>
#include <QtEndian>
#include <cmath>
#include <jxl/decode_cxx.h>
#include <jxl/encode_cxx.h>
#include <jxl/thread_parallel_runner_cxx.h>

namespace q32::imaging {
namespace {

constexpr qsizetype kMaxExifBytes = qsizetype(16) << 20;

enum Want { WantInfo = 1, WantPixels = 2, WantExif = 4 };

struct JxlResult {
    JxlBasicInfo info{};
    QImage image;
    QByteArray exif; // the Exif box: a 4-byte offset to the TIFF header, then the block
};

// One pass of the decoder over the file, stopping as soon as it has what was asked for.
ImagingCondition RunDecoder(const QString& path, int want, JxlResult& result) {
    const MappedFile file(path);
    if (!file.ok())
        return ImagingCondition::FileUnreadable;
    JxlDecoderPtr dec = JxlDecoderMake(nullptr);
    JxlThreadParallelRunnerPtr runner;
    int events = JXL_DEC_BASIC_INFO;
    if (want & WantPixels) {
        events |= JXL_DEC_FULL_IMAGE;
        runner =
            JxlThreadParallelRunnerMake(nullptr, JxlThreadParallelRunnerDefaultNumWorkerThreads());
        if (JxlDecoderSetParallelRunner(dec.get(), JxlThreadParallelRunner, runner.get()) !=
            JXL_DEC_SUCCESS)
            return ImagingCondition::Failure;
    }
    // Sizes and pixels as stored; turned by the caller, as every format is.
    JxlDecoderSetKeepOrientation(dec.get(), JXL_TRUE);
    if (want & WantExif) {
        events |= JXL_DEC_BOX;
        JxlDecoderSetDecompressBoxes(dec.get(), JXL_TRUE);
    }
    if (!dec || JxlDecoderSubscribeEvents(dec.get(), events) != JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(dec.get(), file.data(), file.size()) != JXL_DEC_SUCCESS)
        return ImagingCondition::Failure;
    JxlDecoderCloseInput(dec.get());

    bool haveInfo = false, havePixels = false, inExif = false, exifDone = false;
    const auto finishExif = [&] {
        if (inExif)
            result.exif.chop(qsizetype(JxlDecoderReleaseBoxBuffer(dec.get())));
        exifDone = exifDone || inExif;
        inExif = false;
    };
    const auto done = [&] {
        return (!(want & WantInfo) || haveInfo) && (!(want & WantPixels) || havePixels) &&
               (!(want & WantExif) || exifDone);
    };
    JxlPixelFormat format{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(dec.get());
        switch (status) {
        case JXL_DEC_ERROR:
            return ImagingCondition::Damaged;
        case JXL_DEC_NEED_MORE_INPUT: // all of the file was given
            return ImagingCondition::Truncated;
        case JXL_DEC_BASIC_INFO:
            if (JxlDecoderGetBasicInfo(dec.get(), &result.info) != JXL_DEC_SUCCESS)
                return ImagingCondition::Damaged;
            if (!SizeAcceptable(result.info.xsize, result.info.ysize))
                return ImagingCondition::TooLarge;
            haveInfo = true;
            break;
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            // Four bytes a pixel even when opaque (libjxl then writes 0xFF): Qt scales such rows
            // many times faster than three-byte ones.
            const bool alpha = result.info.alpha_bits > 0;
            result.image = NewLargeImage(int(result.info.xsize), int(result.info.ysize),
                                         alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
            size_t needed = 0;
            if (result.image.isNull())
                return ImagingCondition::TooLarge;
            if (JxlDecoderImageOutBufferSize(dec.get(), &format, &needed) != JXL_DEC_SUCCESS ||
                needed > size_t(result.image.sizeInBytes()) ||
                JxlDecoderSetImageOutBuffer(dec.get(), &format, result.image.bits(),
                                            size_t(result.image.sizeInBytes())) != JXL_DEC_SUCCESS)
                return ImagingCondition::Damaged;
            break;
        }
        case JXL_DEC_FULL_IMAGE:
            havePixels = true; // the first frame of an animation is enough
            break;
        case JXL_DEC_BOX: {
            finishExif();
            JxlBoxType type;
            if (!exifDone && JxlDecoderGetBoxType(dec.get(), type, JXL_TRUE) == JXL_DEC_SUCCESS &&
                QByteArray(type, 4) == "Exif") {
                result.exif = QByteArray(65536, Qt::Uninitialized);
                JxlDecoderSetBoxBuffer(dec.get(), reinterpret_cast<uint8_t*>(result.exif.data()),
                                       size_t(result.exif.size()));
                inExif = true;
            }
            break;
        }
        case JXL_DEC_BOX_NEED_MORE_OUTPUT: {
            const qsizetype used =
                result.exif.size() - qsizetype(JxlDecoderReleaseBoxBuffer(dec.get()));
            if (result.exif.size() >= kMaxExifBytes)
                return ImagingCondition::Damaged;
            result.exif.resize(result.exif.size() * 2);
            JxlDecoderSetBoxBuffer(dec.get(), reinterpret_cast<uint8_t*>(result.exif.data()) + used,
                                   size_t(result.exif.size() - used));
            break;
        }
        case JXL_DEC_SUCCESS:
            finishExif();
            if (want & WantPixels && !havePixels)
                return ImagingCondition::Damaged;
            return ImagingCondition::None;
        default:
            break;
        }
        if (done())
            return ImagingCondition::None;
    }
}

// The distance libjxl wants from a quality of 1..100, as its own tools map it.
float DistanceFromQuality(int quality) {
    if (quality >= 30)
        return 0.1f + float(100 - quality) * 0.09f;
    return float(qMin(25.0, 6.4 + std::pow(2.5, (30 - quality) / 5.0) / 6.25));
}

} // namespace

ImagingCondition ProbeJxl(const QString& path, ImageInfo& info) {
    JxlResult r;
    if (const ImagingCondition c = RunDecoder(path, WantInfo, r); c != ImagingCondition::None)
        return c;
    info.width = int(r.info.xsize);
    info.height = int(r.info.ysize);
    const bool alpha = r.info.alpha_bits > 0;
    info.bitsPerPixel = r.info.bits_per_sample > 8 ? (alpha ? 64 : 48) : (alpha ? 32 : 24);
    info.orientation =
        int(r.info.orientation) >= 1 && int(r.info.orientation) <= 8 ? int(r.info.orientation) : 1;
    info.animated = r.info.have_animation;
    return ImagingCondition::None;
}

ImagingCondition DecodeJxl(const QString& path, QImage& out) {
    JxlResult r;
    const ImagingCondition c = RunDecoder(path, WantPixels, r);
    out = c == ImagingCondition::None ? r.image : QImage();
    return c;
}

ImagingCondition WriteJxl(const QImage& source, const QString& path, int quality, bool alpha) {
    const QImage image =
        source.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    JxlEncoderPtr enc = JxlEncoderMake(nullptr);
    JxlThreadParallelRunnerPtr runner =
        JxlThreadParallelRunnerMake(nullptr, JxlThreadParallelRunnerDefaultNumWorkerThreads());
    if (!enc || JxlEncoderSetParallelRunner(enc.get(), JxlThreadParallelRunner, runner.get()) !=
                    JXL_ENC_SUCCESS)
        return ImagingCondition::Failure;
    JxlBasicInfo basic;
    JxlEncoderInitBasicInfo(&basic);
    basic.xsize = uint32_t(image.width());
    basic.ysize = uint32_t(image.height());
    basic.bits_per_sample = 8;
    basic.num_color_channels = 3;
    basic.alpha_bits = alpha ? 8 : 0;
    basic.num_extra_channels = alpha ? 1 : 0;
    basic.uses_original_profile = quality >= 100 ? JXL_TRUE : JXL_FALSE;
    JxlColorEncoding colour;
    JxlColorEncodingSetToSRGB(&colour, JXL_FALSE);
    if (JxlEncoderSetBasicInfo(enc.get(), &basic) != JXL_ENC_SUCCESS ||
        JxlEncoderSetColorEncoding(enc.get(), &colour) != JXL_ENC_SUCCESS)
        return ImagingCondition::TooLarge;
    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(enc.get(), nullptr);
    if (quality >= 100)
        JxlEncoderSetFrameLossless(settings, JXL_TRUE);
    else
        JxlEncoderSetFrameDistance(settings, DistanceFromQuality(quality));
    const JxlPixelFormat format{alpha ? 4u : 3u, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 4};
    if (JxlEncoderAddImageFrame(settings, &format, image.constBits(),
                                size_t(image.sizeInBytes())) != JXL_ENC_SUCCESS)
        return ImagingCondition::CannotWrite;
    JxlEncoderCloseInput(enc.get());

    QByteArray bytes(qsizetype(1) << 16, Qt::Uninitialized);
    uint8_t* next = reinterpret_cast<uint8_t*>(bytes.data());
    size_t avail = size_t(bytes.size());
    JxlEncoderStatus status;
    while ((status = JxlEncoderProcessOutput(enc.get(), &next, &avail)) ==
           JXL_ENC_NEED_MORE_OUTPUT) {
        const qsizetype used = next - reinterpret_cast<uint8_t*>(bytes.data());
        bytes.resize(bytes.size() * 2);
        next = reinterpret_cast<uint8_t*>(bytes.data()) + used;
        avail = size_t(bytes.size() - used);
    }
    if (status != JXL_ENC_SUCCESS)
        return ImagingCondition::CannotWrite;
    bytes.truncate(next - reinterpret_cast<uint8_t*>(bytes.data()));
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        return ImagingCondition::CannotWrite;
    return ImagingCondition::None;
}

QByteArray JxlExif(const QString& path) {
    JxlResult r;
    if (RunDecoder(path, WantExif, r) != ImagingCondition::None || r.exif.size() < 4)
        return {};
    const quint32 skip = qFromBigEndian<quint32>(r.exif.constData());
    return skip <= quint32(r.exif.size() - 4) ? r.exif.mid(4 + qsizetype(skip)) : QByteArray();
}

} // namespace q32::imaging
