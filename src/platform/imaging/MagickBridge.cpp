#include "platform/imaging/MagickBridge.h"

#include "platform/imaging/Limits.h"
#include "platform/imaging/MappedFile.h"

#include <QFileInfo>
#include <mutex>

namespace q32::imaging {

void EnsureMagick() {
    static std::once_flag once;
    std::call_once(once, [] {
        Magick::InitializeMagick(nullptr);
        Magick::ResourceLimits::width(kMaxSide);
        Magick::ResourceLimits::height(kMaxSide);
        Magick::ResourceLimits::area(kMaxPixels * 4);
        Magick::ResourceLimits::memory(MagickCore::MagickSizeType(2048) << 20);
        Magick::ResourceLimits::map(MagickCore::MagickSizeType(2048) << 20);
        Magick::ResourceLimits::disk(MagickCore::MagickSizeType(4096) << 20);
        Magick::ResourceLimits::listLength(10000);
    });
}

QImage ToQImage(const Magick::Image& image) {
    const int w = int(image.columns()), h = int(image.rows());
    QImage out(w, h, image.matte() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.isNull())
        return out;
    // ARGB32 in memory is B, G, R, A on little-endian machines.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    const_cast<Magick::Image&>(image).write(0, 0, size_t(w), size_t(h), "BGRA", Magick::CharPixel,
                                            out.bits());
    if (!image.matte()) // opaque: make sure the alpha bytes say so
        for (int y = 0; y < h; ++y) {
            QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < w; ++x)
                line[x] |= 0xFF000000u;
        }
    return out;
}

Magick::Image FromQImage(const QImage& image) {
    if (image.hasAlphaChannel()) {
        const QImage src = image.convertToFormat(QImage::Format_ARGB32);
        Magick::Image out(size_t(src.width()), size_t(src.height()), "BGRA", Magick::CharPixel,
                          src.constBits());
        out.matte(true);
        return out;
    }
    if (image.isGrayscale()) {
        const QImage src = image.convertToFormat(QImage::Format_Grayscale8);
        if (src.bytesPerLine() == src.width())
            return Magick::Image(size_t(src.width()), size_t(src.height()), "I", Magick::CharPixel,
                                 src.constBits());
    }
    QImage src = image.convertToFormat(QImage::Format_RGB888);
    if (src.bytesPerLine() != src.width() * 3) { // rows padded: repack tightly
        QByteArray packed(qsizetype(src.width()) * 3 * src.height(), Qt::Uninitialized);
        for (int y = 0; y < src.height(); ++y)
            memcpy(packed.data() + qsizetype(y) * src.width() * 3, src.constScanLine(y),
                   size_t(src.width()) * 3);
        return Magick::Image(size_t(src.width()), size_t(src.height()), "RGB", Magick::CharPixel,
                             packed.constData());
    }
    return Magick::Image(size_t(src.width()), size_t(src.height()), "RGB", Magick::CharPixel,
                         src.constBits());
}

Magick::Image NewMagickReader(int formatCode) {
    Magick::Image img;
    img.quiet(true);
    if (formatCode == 15)
        img.density(Magick::Geometry(96, 96));
    return img;
}

std::string MagickSource(const char* coder, const QString& path, int page) {
    std::string source = std::string(coder) + ":" + path.toStdString();
    if (page >= 0)
        source += "[" + std::to_string(page) + "]";
    return source;
}

void ReadWithMagick(Magick::Image& img, const char* coder, const QString& path, int page,
                    bool pingOnly) {
    // ImageMagick's path policy checks the file's real path, which an anonymous in-memory file
    // (a record's bytes handed over as /proc/self/fd/N) does not have: give it the bytes.
    if (QFileInfo(path).canonicalFilePath().isEmpty()) {
        const MappedFile file(path);
        if (!file.ok())
            throw Magick::ErrorFileOpen("unable to open image " + path.toStdString());
        const Magick::Blob blob(file.data(), file.size());
        img.magick(coder);
        img.subImage(size_t(std::max(page, 0)));
        img.subRange(1);
        pingOnly ? img.ping(blob) : img.read(blob);
        return;
    }
    const std::string source = MagickSource(coder, path, page);
    pingOnly ? img.ping(source) : img.read(source);
}

} // namespace q32::imaging
