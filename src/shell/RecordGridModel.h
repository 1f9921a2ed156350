#pragma once
// The record grid's rows: the current query's records, read when the view asks for them, so an
// album of 100,000 records opens as fast as one of 100.

#include <QAbstractTableModel>
#include <QCache>
#include <QHash>

namespace q32 {

class AlbumRecordset;
struct PictureRecord;

class RecordGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordGridModel(QObject* parent = nullptr);

    // Shows another query (or none); the view is reset.
    void setRecordset(AlbumRecordset* recordset);
    // The row at this 0-based position has new texts (from the recordset, not the album).
    void rowChanged(int position);
    // The recordset found more rows (a filter being read): they are added at the end.
    void rowsFound();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    static const QStringList& columnNames();

private:
    const PictureRecord* row(int position) const;
    // "0:07" for a clip whose length is known, else empty.
    QString clipLength(qint64 rowId) const;

    AlbumRecordset* m_recordset = nullptr;
    int m_rowCount = 0; // as the view was told
    mutable QCache<int, PictureRecord> m_rows{4000};
    mutable QHash<qint64, qint64> m_clipLengths; // by row id, in milliseconds
};

} // namespace q32
