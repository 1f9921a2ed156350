#include "platform/imaging/ImagingCondition.h"

namespace q32 {

QString ConditionText(ImagingCondition c) {
    switch (c) {
    case ImagingCondition::None:
        return QString();
    case ImagingCondition::FileNotFound:
        return QStringLiteral("File not found");
    case ImagingCondition::FileUnreadable:
        return QStringLiteral("File cannot be opened for reading");
    case ImagingCondition::Damaged:
        return QStringLiteral("Invalid or damaged image data");
    case ImagingCondition::Truncated:
        return QStringLiteral("Image file is incomplete");
    case ImagingCondition::EmptyFile:
        return QStringLiteral("Image file is empty");
    case ImagingCondition::ImpossibleSize:
        return QStringLiteral("Image header declares an impossible size");
    case ImagingCondition::TooLarge:
        return QStringLiteral("Image is too large");
    case ImagingCondition::PageNotFound:
        return QStringLiteral("Page not found");
    case ImagingCondition::CannotWrite:
        return QStringLiteral("File cannot be written");
    case ImagingCondition::InvalidBits:
        return QStringLiteral("Bits per pixel not supported by this format");
    case ImagingCondition::InvalidQuality:
        return QStringLiteral("Invalid quality factor");
    case ImagingCondition::UnrecognisedFormat:
        return QStringLiteral("Unrecognized image format");
    case ImagingCondition::NoWriter:
        return QStringLiteral("This format cannot be written");
    case ImagingCondition::MediaTimeout:
        return QStringLiteral("Media information timed out");
    case ImagingCondition::Failure:
        break;
    }
    return QStringLiteral("Imaging failure");
}

} // namespace q32
