#include "shell/RecordGridModel.h"

#include "album/AlbumRecordset.h"
#include "album/AlbumThumbnails.h"
#include "album/add/ThumbnailMaker.h"
#include "formats/FormatTable.h"

#include <QLocale>

namespace q32 {

RecordGridModel::RecordGridModel(QObject* parent) : QAbstractTableModel(parent) {}

const QStringList& RecordGridModel::columnNames() {
    // The fixed date column, then the text fields; column 1 is always hidden.
    static const QStringList names = {QStringLiteral("Date"),
                                      QStringLiteral("SoundType"),
                                      QStringLiteral("ImageFile"),
                                      QStringLiteral("ImageFormat"),
                                      QStringLiteral("ImageProperties"),
                                      QStringLiteral("Keywords"),
                                      QStringLiteral("Description")};
    return names;
}

void RecordGridModel::setRecordset(AlbumRecordset* recordset) {
    beginResetModel();
    m_recordset = recordset;
    m_rowCount = ViewRows(recordset);
    m_rows.clear();
    m_clipLengths.clear();
    endResetModel();
}

void RecordGridModel::rowChanged(int position) {
    if (const PictureRecord* cached = m_rows.object(position))
        m_clipLengths.remove(cached->rowId); // its clip may have been replaced
    m_rows.remove(position);
    emit dataChanged(index(position, 0), index(position, columnCount() - 1));
}

void RecordGridModel::rowsFound() {
    const int found = ViewRows(m_recordset);
    if (found <= m_rowCount)
        return;
    beginInsertRows({}, m_rowCount, found - 1);
    m_rowCount = found;
    endInsertRows();
}

int RecordGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int RecordGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columnNames().size());
}

const PictureRecord* RecordGridModel::row(int position) const {
    if (PictureRecord* cached = m_rows.object(position))
        return cached;
    auto record = m_recordset->recordAt(position);
    if (!record)
        return nullptr;
    auto* stored = new PictureRecord(*record);
    m_rows.insert(position, stored);
    return stored;
}

QString RecordGridModel::clipLength(qint64 rowId) const {
    // Kept with the clip's frame, not in its stored texts, so clips stored by any version show
    // it once their frame is made (in the background, maybe after the row was first shown).
    auto known = m_clipLengths.constFind(rowId);
    if (known == m_clipLengths.cend()) {
        const auto jpeg = ReadThumbnail(m_recordset->album(), rowId);
        const auto ms = jpeg ? ClipLengthOfThumbnail(*jpeg) : std::nullopt;
        if (!ms)
            return {};
        known = m_clipLengths.insert(rowId, *ms);
    }
    return ClipLengthText(*known);
}

QVariant RecordGridModel::data(const QModelIndex& index, int role) const {
    if (!m_recordset || !index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const PictureRecord* r = row(index.row());
    if (!r)
        return {};
    switch (index.column()) {
    case 0:
        return r->date.isValid() ? QLocale().toString(r->date, QLocale::ShortFormat) : QString();
    case 1:
        return r->soundType;
    case 2:
        return r->imageFile;
    case 3:
        return r->imageFormat;
    case 4: {
        const QString length = IsClipFormat(r->imageFormat) ? clipLength(r->rowId) : QString();
        if (length.isEmpty() || r->imageProperties.isEmpty())
            return r->imageProperties + length;
        return r->imageProperties + QStringLiteral(", ") + length;
    }
    case 5:
        return r->keywords;
    case 6:
        return r->description;
    default:
        return {};
    }
}

QVariant RecordGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return columnNames().value(section);
    return section + 1;
}

} // namespace q32
