#pragma once
// The rows of one query over an album, in display order. The query reads each row's id and text
// fields in one pass (from the text index, never the pictures), held compactly as UTF-8; media
// are read only through AlbumDb. After a change the recordset did not make itself, a row's text
// is read again from the album.
//
// In the orders that come sorted out of an index, only the row count and the first ids are read
// at once; the other ids follow when a position needs them or readMoreIds() is given time, so a
// large album shows its first screen without waiting for all of them. A filter's count is not
// known before its index is read to the end: knownCount() grows until then.

#include "album/AlbumDb.h"
#include "album/AlbumQuery.h"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

namespace q32 {

class AlbumRecordset {
public:
    AlbumRecordset(AlbumDb& album, const AlbumQuery& query);

    // Runs the query again (after rows were added or deleted); keeps the current row when it
    // is still there.
    AlbumStatus requery();
    const AlbumStatus& status() const { return m_status; }
    AlbumDb& album() const { return m_album; }
    const AlbumQuery& query() const { return m_query; }

    // Every row of the query: a filter's are all found first.
    qint64 recordCount() const;
    // The rows found so far: all of them once countKnown().
    qint64 knownCount() const { return m_count >= 0 ? m_count : qint64(m_ids.size()); }
    bool countKnown() const { return m_count >= 0; }
    // Reads further ids for about budgetMs; false once every id is read.
    bool readMoreIds(int budgetMs);
    bool idsComplete() const { return !m_idReader.isValid(); }
    // 0-based position of the current row; -1 when there is none.
    qint64 position() const { return m_pos; }
    bool hasCurrent() const { return m_pos >= 0 && m_pos < knownCount(); }
    qint64 currentRowId() const { return rowIdAt(m_pos); }
    qint64 rowIdAt(qint64 position) const;

    // NoCurrentRecord when the move lands outside the rows.
    AlbumStatus moveFirst() { return moveTo(0); }
    AlbumStatus moveLast() { return moveTo(recordCount() - 1); }
    AlbumStatus moveNext() { return moveTo(m_pos + 1); }
    AlbumStatus movePrevious() { return moveTo(m_pos - 1); }
    AlbumStatus moveTo(qint64 position);
    // Makes the row with rowId current; NoCurrentRecord when it is not in the query.
    AlbumStatus findRowId(qint64 rowId);
    qint64 positionOf(qint64 rowId) const;

    // Text fields of the current row or of any position, read on demand. A row by position
    // leaves soundSize at -1 (not read); the current one has it.
    std::optional<PictureRecord> current(AlbumStatus* status = nullptr);
    std::optional<PictureRecord> recordAt(qint64 position, AlbumStatus* status = nullptr);

    // Edits of the current row, through the album.
    AlbumStatus updateCurrent(const PictureRecord& fields);
    // Replaces a binary field of the current row with the file at filePath and writes the text
    // fields, as one transaction (a picture edited elsewhere, an attached sound).
    AlbumStatus updateCurrentWithFile(const PictureRecord& fields, PictureField field,
                                      const QString& filePath);
    // Deletes the current row; the next row (or the new last one) becomes current.
    AlbumStatus deleteCurrent();

private:
    static constexpr int kTexts = 7; // Date .. Description, as rowsSql() gives them
    static constexpr qint32 kNotLoaded = -1;
    static constexpr qint64 kBlock = 64; // rows read together when texts are read by position
    struct Span {
        qint64 start = 0;
        int length = -1; // -1: Null
    };
    // Reads the order's ids up to position (all with -1); true when that position exists.
    bool readIdsTo(qint64 position) const;
    bool hasPosition(qint64 position) const { return position >= 0 && readIdsTo(position); }
    void bindPattern(sqlite::Statement& statement) const;
    void ensureLoaded(qint64 position);
    // Reads the texts of the block [first, last) from the index, entering it at the nearest row
    // before it whose texts are here; false when there is none or the rows have moved.
    bool readBlockAfterKnownRow(qint64 first, qint64 last);
    void storeBlockRow(sqlite3_stmt* row, qint64 at, qint64 first, qint64 last);
    // Makes room for a row's texts (all Null) and points the row at it.
    Span* newSlot(qint64 position);
    PictureRecord cached(qint64 position) const;
    void cache(qint64 position, const PictureRecord& fields);
    void append(const char* data, int length);

    AlbumDb& m_album;
    AlbumQuery m_query;
    AlbumStatus m_status;
    mutable qint64 m_count = 0; // -1 while a filter's rows are still being found
    // The ids read so far, and the statement that reads the rest (while open, it keeps the
    // album's read lock, so it is read to the end before the recordset writes).
    mutable std::vector<qint64> m_ids;
    mutable sqlite::Statement m_idReader;
    QByteArray m_text;                   // every text read, back to back
    std::vector<Span> m_spans;           // kTexts per row read
    mutable std::vector<qint32> m_slots; // per row: its first span, or kNotLoaded
    std::pair<qint64, qint64> m_stamp{-1, -1};
    // Built on the first find: each id's position, or the positions in the order of their ids.
    mutable std::vector<qint32> m_positions;
    mutable bool m_denseIds = false;
    qint64 m_pos = -1;
};

// The rows a view shows of a recordset (none for none): those found so far, within an int.
inline int ViewRows(const AlbumRecordset* rows) {
    return rows ? int(std::min<qint64>(rows->knownCount(), std::numeric_limits<int>::max())) : 0;
}

} // namespace q32
