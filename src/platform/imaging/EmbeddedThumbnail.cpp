// A camera's own small preview in a photo's EXIF block, through libexif: decoding a 24-megapixel
// JPEG even at an eighth of its size costs tens of milliseconds, reading the preview a fraction
// of one.
#include "platform/imaging/FileProbe.h"
#include "platform/imaging/Imaging.h"

#include <QFile>
#include <libexif/exif-data.h>
#include <memory>

namespace q32 {
namespace {

struct ExifDataFree {
    void operator()(ExifData* d) const { exif_data_unref(d); }
};

// The EXIF block sits in the first APP1 segment, at most 64 KiB long.
constexpr qint64 kHeadBytes = 70000;

} // namespace

std::optional<QImage> ReadEmbeddedThumbnail(const QString& path) {
    ImageInfo info;
    if (ReadImageInfo(path, info) != ImagingCondition::None || info.width <= 0 || info.height <= 0)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(kHeadBytes);
    if (!head.startsWith("\xFF\xD8"))
        return std::nullopt;
    std::unique_ptr<ExifData, ExifDataFree> exif(exif_data_new());
    if (!exif)
        return std::nullopt;
    exif_data_unset_option(exif.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(exif.get(), reinterpret_cast<const unsigned char*>(head.constData()),
                        unsigned(head.size()));
    if (!exif->data || exif->size == 0)
        return std::nullopt;
    QImage preview = QImage::fromData(
        QByteArray::fromRawData(reinterpret_cast<const char*>(exif->data), int(exif->size)), "JPG");
    // Some cameras pad the preview with black bars to 4:3: only one of the photo's own
    // proportions will do.
    if (preview.isNull() ||
        qAbs(double(preview.width()) / preview.height() - double(info.width) / info.height) > 0.02)
        return std::nullopt;
    return imaging::Orient(preview, info.orientation);
}

} // namespace q32
