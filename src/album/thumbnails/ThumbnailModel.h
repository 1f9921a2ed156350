#pragma once
// The thumbnail view's items: the records of the current order or filter, by position, each
// with its file name and thumbnail. Texts come from the recordset the grid reads; thumbnails
// are asked of a ThumbnailSource only for the rows the view paints, so an album of 100,000
// records opens as fast as one of 100.

#include <QAbstractListModel>
#include <QCache>
#include <QHash>
#include <QIcon>
#include <QPixmap>

namespace q32 {

class AlbumRecordset;
class ThumbnailSource;

class ThumbnailModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ThumbnailModel(ThumbnailSource& source, QObject* parent = nullptr);

    void setRecordset(AlbumRecordset* recordset);
    // The record at this 0-based position has a new picture or texts.
    void rowChanged(int position);
    // The recordset found more rows (a filter being read): they are added at the end.
    void rowsFound();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // True when the row shows its thumbnail (or, for a record without a picture, the
    // placeholder) rather than the one that says it is still being read.
    bool isReady(int position) const;

private:
    // Asks the source, once the view has painted, for the thumbnails it found missing.
    void requestMissing() const;
    void thumbnailReady(qint64 rowId);
    QPixmap placeholder(bool loading, bool clip) const;

    ThumbnailSource& m_source;
    AlbumRecordset* m_recordset = nullptr;
    int m_rowCount = 0; // as the view was told
    mutable QCache<qint64, QIcon> m_icons{600};
    mutable QHash<qint64, int> m_asked; // row id -> position, for rows waited for
    mutable QList<qint64> m_missing;    // rows painted without their thumbnail, in paint order
    mutable bool m_requestPending = false;
    mutable bool m_firstScreen = true; // not painted since the recordset was set
    mutable QPixmap m_placeholders[3];
};

} // namespace q32
