#include "album/AlbumCondition.h"

namespace q32 {

QString AlbumConditionText(AlbumCondition condition) {
    switch (condition) {
    case AlbumCondition::None:
        return {};
    case AlbumCondition::PathAccess:
        return QStringLiteral("Path/File access error");
    case AlbumCondition::NoCurrentRecord:
        return QStringLiteral("No current record.");
    case AlbumCondition::DuplicateKey:
        return QStringLiteral("The changes you requested were not successful because they would "
                              "create duplicate values in the index.");
    case AlbumCondition::FileNotFound:
        return QStringLiteral("Could not find file.");
    case AlbumCondition::DiskFull:
        return QStringLiteral("Not enough space on disk.");
    case AlbumCondition::WrongPassword:
        return QStringLiteral("Not a valid password.");
    case AlbumCondition::Damaged:
        return QStringLiteral("The album file is damaged.");
    case AlbumCondition::CannotWrite:
        return QStringLiteral("The album file is read-only.");
    case AlbumCondition::EmptyKey:
        return QStringLiteral("Index or primary key can't contain a Null value.");
    case AlbumCondition::NotAnAlbum:
        return QStringLiteral("This is not an album file.");
    case AlbumCondition::FieldTooLong:
        return QStringLiteral("Field too small to accept the amount of data you attempted to add.");
    case AlbumCondition::ServerUnreachable:
        return QStringLiteral("The album's server cannot be reached.");
    case AlbumCondition::RecordChanged:
        return QStringLiteral("Someone else changed this record since you opened it; your "
                              "changes were not saved.");
    case AlbumCondition::FileExists:
        return QStringLiteral("Database already exists.");
    case AlbumCondition::Busy:
        return QStringLiteral("The album is in use by another program.");
    case AlbumCondition::Cancelled:
        return QStringLiteral("Operation cancelled.");
    case AlbumCondition::Unexpected:
        return QStringLiteral("Unexpected album error.");
    }
    return {};
}

QString AlbumStatus::text() const {
    const QString base = AlbumConditionText(condition);
    if (detail.isEmpty())
        return base;
    return base + QLatin1Char(' ') + detail;
}

} // namespace q32
