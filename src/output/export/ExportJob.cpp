#include "output/export/ExportJob.h"

#include "album/FormatTable.h"
#include "output/export/JpegStamp.h"

namespace q32 {

bool IsClipFormatText(const QString& formatText) {
    return IsClipFormat(formatText);
}

ImagingCondition ExportPicture(const QString& source, const QString& target,
                               const SaveOptions& save, const std::optional<StampOptions>& stamp) {
    QImage picture;
    // The export is what the preview shows: photos turned as their EXIF orientation says.
    if (const ImagingCondition c = LoadImage(source, picture); c != ImagingCondition::None)
        return c;
    if (const ImagingCondition c = SaveImage(picture, target, save); c != ImagingCondition::None)
        return c;
    const int code = save.formatCode;
    if (stamp && (code == 10 || code == 21 || code == 23))
        return AddJpegStamp(target, picture, stamp->width, stamp->height, stamp->bits);
    return ImagingCondition::None;
}

} // namespace q32
