#pragma once
// "MSFlexGrid1": the current query's records, one row each, with a context menu of the record
// commands and a hint on how to get an album while none is open.

#include <QTableView>
#include <functional>

class QLabel;

namespace q32 {

class RecordGridModel;

class RecordGrid : public QTableView {
    Q_OBJECT
public:
    explicit RecordGrid(QWidget* parent = nullptr);

    RecordGridModel& rows() { return *m_model; }
    void setNoAlbumHintVisible(bool visible);
    // Makes grid row `row` (1-based) current and scrolls to it.
    void showRecord(qint64 row);

    // The tool of an identifier, for the context menu.
    std::function<QAction*(const QString& id)> toolOf;

signals:
    // A key or the context menu made grid row `row` (1-based) current (it may have been).
    void recordMoved(qint64 row);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showMenu(const QPoint& pos);

    RecordGridModel* m_model;
    QLabel* m_noAlbumHint;
};

} // namespace q32
