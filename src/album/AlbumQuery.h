#pragma once
// The ten sort and filter orders of the record grid. The query text is kept for display; the
// engine runs its own form with the filter text bound as a parameter.

#include <QList>
#include <QString>

namespace q32 {

// The album's own indexes that let an order read a screen of rows without touching the table
// rows that carry the pictures. An album made by an earlier build may lack them when opened
// read-only; the orders then sort the table itself.
struct OrderIndexes {
    bool texts = false;   // Pictures_Texts, led by Date: the date orders and the filters
    bool names = false;   // Pictures_Names, led by the file name's sort key
    bool formats = false; // Pictures_Formats, led by the format text's sort key
};

struct AlbumQuery {
    static constexpr int OrderCount = 10;

    int order = 0;       // 0..9
    QString keywords;    // filter text for orders 6 and 7
    QString description; // filter text for orders 8 and 9
    // Find Similar: only these rows, in this order (nearest first), whatever the order above.
    QList<qint64> similarRows;
    QString similarTo; // the file name of the record they look like
    int similarDistance = 0;

    // The query as the user sees it, filter texts pasted in as typed.
    QString text() const;
    // The rows with their text fields: rowid, Date, SoundType, ImageFile, ImageFormat,
    // ImageProperties, Keywords, Description; ?3 bound to pattern() in every statement of a
    // filter. With the order's index every row is read from that index alone.
    QString rowsSql(const OrderIndexes& indexes) const;
    // The wildcard pattern bound to ?3; null for the orders without a filter.
    QString pattern() const;
    // The filter text in force: K, D or empty.
    QString filterText() const;
    bool isFilter() const { return order >= 6 && order <= 9; }
    bool isSimilar() const { return !similarRows.isEmpty(); }
    // Orders whose rows come out of their index already sorted: their texts can be read a screen
    // at a time, by position. A filter's rows are found as its index is read, so its count is
    // known only at the end.
    bool streamsFromIndex(const OrderIndexes& indexes) const;
    // For those: the row ids alone, and a block of rows (?1 rows from position ?2).
    QString idsSql(const OrderIndexes& indexes) const;
    QString blockSql(const OrderIndexes& indexes) const;
    // For those too: the rows from the first whose leading sort term equals that of the texts
    // bound to ?1 (a Date, ImageFile or ImageFormat as the order leads with), so that a block is
    // entered through the index instead of counted from the top. With nullLead the rows whose
    // leading term is Null, which a descending order puts last.
    QString seekSql(const OrderIndexes& indexes, bool nullLead) const;
    // Which of the row texts (in rowsSql's order, Date = 0) the order leads with.
    int leadingText() const;

private:
    QString indexHint(const OrderIndexes& indexes) const;
    // WHERE with the seek term (if any) and the filter's; empty when there is neither.
    QString where(const QString& seek) const;
    QString orderClause() const;
};

} // namespace q32
