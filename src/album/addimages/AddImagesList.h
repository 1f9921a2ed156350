#pragma once
// The Add Images window's list of files to add (List1): full paths, appended in batches so a
// search of a large tree never holds up the window, and capped at a fixed size.

#include <QAbstractListModel>
#include <QSet>
#include <QStringList>

namespace q32 {

class AddImagesList : public QAbstractListModel {
    Q_OBJECT
public:
    explicit AddImagesList(qsizetype limit, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Appends what fits under the limit, leaving out paths the list holds already; false when
    // some paths did not fit.
    bool append(const QStringList& paths);
    bool contains(const QString& path) const { return m_present.contains(path); }
    void removeAt(int row);
    void clear();
    // Keeps only the given rows, in their order.
    void retain(QList<int> rows);

    const QStringList& paths() const { return m_paths; }
    QString path(int row) const { return m_paths.value(row); }
    qsizetype limit() const { return m_limit; }
    void setLimit(qsizetype limit) { m_limit = limit; }

private:
    QStringList m_paths;
    QSet<QString> m_present; // m_paths, for the look-up of every path appended
    qsizetype m_limit;
};

} // namespace q32
