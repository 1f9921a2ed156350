#include "album/AlbumQuery.h"

namespace q32 {

QString AlbumQuery::text() const {
    static const char* const sorts[] = {"Date ASC;",       "Date DESC;",       "ImageFile ASC;",
                                        "ImageFile DESC;", "ImageFormat ASC;", "ImageFormat DESC;"};
    if (order >= 0 && order < 6)
        return QStringLiteral("SELECT * FROM Pictures ORDER BY ") + QLatin1String(sorts[order]);
    const bool byKeywords = order == 6 || order == 7;
    const QString field = byKeywords ? QStringLiteral("Keywords") : QStringLiteral("Description");
    const QString tail = (order % 2 == 0) ? QStringLiteral("ASC;") : QStringLiteral("DESC;");
    return QStringLiteral("SELECT * FROM Pictures WHERE Pictures.") + field +
           QStringLiteral(" LIKE '*") + filterText() + QStringLiteral("*' ORDER BY Date ") + tail;
}

QString AlbumQuery::sql() const {
    return QStringLiteral("SELECT rowid FROM Pictures ") + clauses();
}

QString AlbumQuery::rowsSql(bool textIndex) const {
    return QStringLiteral("SELECT rowid, Date, SoundType, ImageFile, ImageFormat, ImageProperties, "
                          "Keywords, Description FROM Pictures ") +
           (textIndex ? QStringLiteral("INDEXED BY Pictures_Texts ") : QString()) + clauses();
}

QString AlbumQuery::idsSql() const {
    return QStringLiteral("SELECT rowid FROM Pictures INDEXED BY Pictures_Texts ") + clauses();
}

QString AlbumQuery::blockSql() const {
    return rowsSql(true) + QStringLiteral(" LIMIT ?1 OFFSET ?2");
}

QString AlbumQuery::clauses() const {
    // Ties keep a fixed order, turned round with the direction. ImageFile and ImageFormat sort
    // without case for every language.
    switch (order) {
    // By date, ties in the text index's own order: the rows then stream straight out of the
    // index, and a screen of them can be read at its position without sorting the album.
    case 0:
        return QStringLiteral("ORDER BY Date ASC, ImageFile ASC, ImageFormat ASC, SoundType ASC, "
                              "ImageProperties ASC, Keywords ASC, Description ASC, rowid ASC");
    case 1:
        return QStringLiteral(
            "ORDER BY Date DESC, ImageFile DESC, ImageFormat DESC, SoundType DESC, "
            "ImageProperties DESC, Keywords DESC, Description DESC, rowid DESC");
    case 2:
        return QStringLiteral("ORDER BY ImageFile COLLATE Q32_NOCASE ASC, rowid ASC");
    case 3:
        return QStringLiteral("ORDER BY ImageFile COLLATE Q32_NOCASE DESC, rowid DESC");
    case 4:
        return QStringLiteral("ORDER BY ImageFormat COLLATE Q32_NOCASE ASC, rowid ASC");
    case 5:
        return QStringLiteral("ORDER BY ImageFormat COLLATE Q32_NOCASE DESC, rowid DESC");
    default:
        break;
    }
    const QString field =
        (order == 6 || order == 7) ? QStringLiteral("Keywords") : QStringLiteral("Description");
    const QString dir = (order % 2 == 0) ? QStringLiteral("ASC") : QStringLiteral("DESC");
    return QStringLiteral("WHERE q32_like(%1, ?1) ORDER BY Date %2, rowid %2").arg(field, dir);
}

QString AlbumQuery::pattern() const {
    if (!isFilter())
        return {};
    return QLatin1Char('*') + filterText() + QLatin1Char('*');
}

QString AlbumQuery::filterText() const {
    if (order == 6 || order == 7)
        return keywords.isNull() ? QStringLiteral("") : keywords;
    if (order == 8 || order == 9)
        return description.isNull() ? QStringLiteral("") : description;
    return QString();
}

} // namespace q32
