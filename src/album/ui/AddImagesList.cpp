#include "album/ui/AddImagesList.h"

#include <algorithm>

namespace q32 {

AddImagesList::AddImagesList(qsizetype limit, QObject* parent)
    : QAbstractListModel(parent), m_limit(limit) {}

int AddImagesList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_paths.size());
}

QVariant AddImagesList::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_paths.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_paths[index.row()];
    return {};
}

Qt::ItemFlags AddImagesList::flags(const QModelIndex& index) const {
    return QAbstractListModel::flags(index) | Qt::ItemIsDropEnabled;
}

bool AddImagesList::append(const QStringList& paths) {
    const qsizetype room = std::max<qsizetype>(0, m_limit - m_paths.size());
    const qsizetype count = std::min(room, paths.size());
    if (count > 0) {
        beginInsertRows({}, int(m_paths.size()), int(m_paths.size() + count - 1));
        m_paths.append(paths.mid(0, count));
        endInsertRows();
    }
    return count == paths.size();
}

void AddImagesList::removeAt(int row) {
    if (row < 0 || row >= m_paths.size())
        return;
    beginRemoveRows({}, row, row);
    m_paths.removeAt(row);
    endRemoveRows();
}

void AddImagesList::clear() {
    beginResetModel();
    m_paths.clear();
    endResetModel();
}

void AddImagesList::retain(QList<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QStringList kept;
    kept.reserve(rows.size());
    for (int r : rows)
        if (r >= 0 && r < m_paths.size())
            kept.append(m_paths[r]);
    beginResetModel();
    m_paths = std::move(kept);
    endResetModel();
}

} // namespace q32
