#include "album/addimages/AddImagesList.h"

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
    QStringList fresh;
    bool allFit = true;
    for (const QString& path : paths) {
        if (m_present.contains(path))
            continue;
        if (fresh.size() == room) {
            allFit = false;
            break;
        }
        m_present.insert(path);
        fresh.append(path);
    }
    if (!fresh.isEmpty()) {
        beginInsertRows({}, int(m_paths.size()), int(m_paths.size() + fresh.size() - 1));
        m_paths.append(fresh);
        endInsertRows();
    }
    return allFit;
}

void AddImagesList::removeAt(int row) {
    if (row < 0 || row >= m_paths.size())
        return;
    beginRemoveRows({}, row, row);
    m_present.remove(m_paths.takeAt(row));
    endRemoveRows();
}

void AddImagesList::clear() {
    beginResetModel();
    m_paths.clear();
    m_present.clear();
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
    m_present = QSet<QString>(m_paths.cbegin(), m_paths.cend());
    endResetModel();
}

} // namespace q32
