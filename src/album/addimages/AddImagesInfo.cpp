#include "album/addimages/AddImagesInfo.h"

#include "album/FormatTable.h"
#include "album/add/AddRecord.h"
#include "common/Text.h"
#include "platform/imaging/Imaging.h"
#include "platform/media/MediaInfo.h"

#include <QFileInfo>

namespace q32 {
namespace {

QString lastThree(const QString& path) {
    return path.right(3).toLower();
}

QString coloursText(int bitsPerPixel) {
    // Deep pictures are shown at 8 bits a channel, as the album counts them.
    if (bitsPerPixel == 48)
        bitsPerPixel = 24;
    else if (bitsPerPixel == 64)
        bitsPerPixel = 32;
    const qint64 colours = bitsPerPixel <= 0 || bitsPerPixel > 32 ? 0 : (qint64(1) << bitsPerPixel);
    return FormatThousands(colours) + QStringLiteral(" colors");
}

QString sizeText(const QString& path) {
    return FormatThousands(QFileInfo(path).size()) + QStringLiteral(" bytes");
}

} // namespace

bool IsVideoPath(const QString& path) {
    return IsClipFileName(path);
}

ImageDetails InspectImageFile(const QString& path) {
    ImageDetails details;
    if (const int clipCode = ClipCodeOf(path)) {
        details.clip = true;
        if (!QFileInfo(path).isFile()) {
            details.condition = ImagingCondition::FileNotFound;
            return details;
        }
        details.type = FormatName(clipCode);
        details.size = sizeText(path);
        return details;
    }
    ImageInfo info;
    details.condition = ReadImageInfo(path, info);
    if (details.condition != ImagingCondition::None)
        return details;
    details.type = lastThree(path) == QLatin1String("gif")
                       ? QStringLiteral("Graphics Interchange Format")
                       : FormatName(info.formatCode);
    details.size = sizeText(path);
    details.resolution = QStringLiteral("%1 x %2").arg(info.width).arg(info.height);
    details.colours = coloursText(info.bitsPerPixel);
    return details;
}

ImageDetails InspectClip(const QString& path) {
    ImageDetails details = InspectImageFile(path);
    MediaInfo clip;
    if (details.condition == ImagingCondition::None &&
        ReadMediaInfo(path, clip) == ImagingCondition::None) {
        details.resolution = QStringLiteral("%1 x %2").arg(clip.width).arg(clip.height);
        details.colours = coloursText(24);
    }
    return details;
}

} // namespace q32
