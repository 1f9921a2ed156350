#include "album/AlbumQuery.h"

#include <QStringList>

namespace q32 {
namespace {

// The texts after each order index's leading column, in the index's order. Sorting by all of
// them (then the row id) is what lets a screen be read from the index by its position.
const char* const kTieColumns[] = {
    "Date", "ImageFile", "ImageFormat", "SoundType", "ImageProperties", "Keywords", "Description"};

QString orderBy(const QStringList& leading, const QString& direction, bool skipDate) {
    QStringList terms;
    for (const QString& term : leading)
        terms << term + QLatin1Char(' ') + direction;
    for (const char* column : kTieColumns)
        if (!(skipDate && QLatin1String(column) == QLatin1String("Date")))
            terms << QLatin1String(column) + QLatin1Char(' ') + direction;
    terms << QStringLiteral("rowid ") + direction;
    return QStringLiteral("ORDER BY ") + terms.join(QStringLiteral(", "));
}

const QLatin1String kRowColumns("SELECT rowid, Date, SoundType, ImageFile, ImageFormat, "
                                "ImageProperties, Keywords, Description FROM Pictures ");

} // namespace

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

bool AlbumQuery::streamsFromIndex(const OrderIndexes& indexes) const {
    switch (order) {
    case 0:
    case 1:
    case 6:
    case 7:
    case 8:
    case 9:
        return indexes.texts;
    case 2:
    case 3:
        return indexes.names;
    case 4:
    case 5:
        return indexes.formats;
    default:
        return false;
    }
}

QString AlbumQuery::indexHint(const OrderIndexes& indexes) const {
    if (!streamsFromIndex(indexes))
        return {};
    return order < 2 || order >= 6 ? QStringLiteral("INDEXED BY Pictures_Texts ")
           : order < 4             ? QStringLiteral("INDEXED BY Pictures_Names ")
                                   : QStringLiteral("INDEXED BY Pictures_Formats ");
}

QString AlbumQuery::rowsSql(const OrderIndexes& indexes) const {
    return kRowColumns + indexHint(indexes) + where({}) + orderClause();
}

QString AlbumQuery::idsSql(const OrderIndexes& indexes) const {
    return QStringLiteral("SELECT rowid FROM Pictures ") + indexHint(indexes) + where({}) +
           orderClause();
}

QString AlbumQuery::blockSql(const OrderIndexes& indexes) const {
    return rowsSql(indexes) + QStringLiteral(" LIMIT ?1 OFFSET ?2");
}

int AlbumQuery::leadingText() const {
    return order == 2 || order == 3 ? 2 : order == 4 || order == 5 ? 3 : 0;
}

QString AlbumQuery::seekSql(const OrderIndexes& indexes, bool nullLead) const {
    const QString lead = order == 2 || order == 3   ? QStringLiteral("q32_sortkey1(ImageFile)")
                         : order == 4 || order == 5 ? QStringLiteral("q32_sortkey1(ImageFormat)")
                                                    : QStringLiteral("Date");
    const QString bound =
        lead == u"Date" ? QStringLiteral("?1") : QStringLiteral("q32_sortkey1(?1)");
    const QString from =
        nullLead
            ? lead + QStringLiteral(" IS NULL")
            : lead + (order % 2 == 0 ? QStringLiteral(" >= ") : QStringLiteral(" <= ")) + bound;
    return kRowColumns + indexHint(indexes) + where(from) + orderClause();
}

QString AlbumQuery::where(const QString& seek) const {
    QStringList terms;
    if (!seek.isEmpty())
        terms << seek;
    if (isFilter())
        terms << QStringLiteral("q32_like(%1, ?3)")
                     .arg(order == 6 || order == 7 ? QStringLiteral("Keywords")
                                                   : QStringLiteral("Description"));
    return terms.isEmpty()
               ? QString()
               : QStringLiteral("WHERE ") + terms.join(QStringLiteral(" AND ")) + QLatin1Char(' ');
}

QString AlbumQuery::orderClause() const {
    const QString dir = (order % 2 == 0) ? QStringLiteral("ASC") : QStringLiteral("DESC");
    // Names and formats sort by their keys (natural order, without case for every language);
    // ties keep the order of the indexes' own columns, turned round with the direction.
    switch (order) {
    case 2:
    case 3:
        return orderBy({QStringLiteral("q32_sortkey1(ImageFile)")}, dir, false);
    case 4:
    case 5:
        // Within a format, names in their own order.
        return orderBy({QStringLiteral("q32_sortkey1(ImageFormat)"),
                        QStringLiteral("q32_sortkey1(ImageFile)")},
                       dir, false);
    default:
        // The dates, and the filters in date order.
        return orderBy({QStringLiteral("Date")}, dir, true);
    }
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
