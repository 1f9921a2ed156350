#pragma once
// The ten sort and filter orders of the record grid. The query text is kept for display; the
// engine runs its own form with the filter text bound as a parameter.

#include <QString>

namespace q32 {

struct AlbumQuery {
    static constexpr int OrderCount = 10;

    int order = 0;       // 0..9
    QString keywords;    // filter text for orders 6 and 7
    QString description; // filter text for orders 8 and 9

    // The query as the user sees it, filter texts pasted in as typed.
    QString text() const;
    // The statement that is run: row ids in display order, ?1 bound to pattern().
    QString sql() const;
    // The same rows with their text fields: rowid, Date, SoundType, ImageFile, ImageFormat,
    // ImageProperties, Keywords, Description. With textIndex every row is read from the text
    // index alone, never from the table that holds the pictures.
    QString rowsSql(bool textIndex) const;
    // The wildcard pattern bound to ?1; null for the orders without a filter.
    QString pattern() const;
    // The filter text in force: K, D or empty.
    QString filterText() const;
    bool isFilter() const { return order >= 6 && order <= 9; }
    // Orders whose rows come out of the text index already sorted: their texts can be read a
    // screen at a time, by position.
    bool streamsFromIndex() const { return order == 0 || order == 1; }
    // With the text index: the row ids alone, and a block of rows (?1 rows from position ?2).
    QString idsSql() const;
    QString blockSql() const;

private:
    QString clauses() const;
};

} // namespace q32
