#include "shell/ui/RecordGrid.h"

#include "shell/RecordGridModel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

namespace q32 {
namespace {

// The record commands offered on the context menu.
const QStringList kMenuTools = {QStringLiteral("ID_AddImages"),
                                QStringLiteral("ID_DeleteImage"),
                                QStringLiteral("-"),
                                QStringLiteral("ID_ExportImage"),
                                QStringLiteral("ID_AttachSound"),
                                QStringLiteral("ID_ImageProcessing"),
                                QStringLiteral("ID_PrintImage"),
                                QStringLiteral("ID_FindSimilar"),
                                QStringLiteral("-"),
                                QStringLiteral("ID_StartSlideshow")};

} // namespace

RecordGrid::RecordGrid(QWidget* parent) : QTableView(parent), m_model(new RecordGridModel(this)) {
    setObjectName(QStringLiteral("MSFlexGrid1"));
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    horizontalHeader()->setMinimumSectionSize(0);
    // Fixed row heights keep a grid of 100,000 rows as quick as one of 100.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->hide();

    m_noAlbumHint = new QLabel(
        QStringLiteral("No Image Depository is open.\n\n"
                       "To make one and fill it with your pictures, choose\n"
                       "File > Create New Image Depository.\n\n"
                       "To open one, choose File > Open Existing Image Depository... (Ctrl+O)."),
        viewport());
    m_noAlbumHint->setObjectName(QStringLiteral("NoAlbumHint"));
    m_noAlbumHint->setAlignment(Qt::AlignCenter);
    m_noAlbumHint->setWordWrap(true);
    (new QVBoxLayout(viewport()))->addWidget(m_noAlbumHint);

    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &RecordGrid::showMenu);
}

void RecordGrid::setNoAlbumHintVisible(bool visible) {
    m_noAlbumHint->setVisible(visible);
}

void RecordGrid::showRecord(qint64 row) {
    if (row < 1 || row > m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(int(row - 1), 2);
    setCurrentIndex(index);
    selectRow(int(row - 1));
    scrollTo(index);
}

void RecordGrid::keyPressEvent(QKeyEvent* event) {
    // Arrow keys and Page Up/Down move the current record as clicks do.
    QTableView::keyPressEvent(event);
    if (const QModelIndex current = currentIndex(); current.isValid())
        emit recordMoved(current.row() + 1);
}

void RecordGrid::showMenu(const QPoint& pos) {
    const QModelIndex index = indexAt(pos);
    if (index.isValid())
        emit recordMoved(index.row() + 1);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("GridMenu"));
    for (const QString& id : kMenuTools) {
        if (id == QLatin1String("-"))
            menu.addSeparator();
        else if (QAction* action = toolOf ? toolOf(id) : nullptr)
            menu.addAction(action);
    }
    menu.exec(viewport()->mapToGlobal(pos));
}

} // namespace q32
