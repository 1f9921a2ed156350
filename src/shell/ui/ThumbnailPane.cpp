#include "shell/ui/ThumbnailPane.h"

#include "album/AlbumDb.h"
#include "album/AlbumThumbnails.h"
#include "album/thumbnails/ThumbnailModel.h"
#include "album/thumbnails/ThumbnailSource.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "shell/AlbumBrowser.h"
#include "shell/ui/CommandBar.h"

#include <QListView>
#include <QStyledItemDelegate>
#include <QTableView>

namespace q32 {
namespace {

const QString kThumbnailTool = QStringLiteral("ID_ThumbnailView");

// A list that wraps, drawn with each name under its picture. The icon mode would draw them so
// too, but it keeps a placed item for every row, which takes a quarter of a second and tens of
// megabytes for a million; a wrapping list of items of one size is laid out by arithmetic.
class ThumbnailView : public QListView {
public:
    using QListView::QListView;

protected:
    void initViewItemOption(QStyleOptionViewItem* option) const override {
        QListView::initViewItemOption(option);
        option->decorationPosition = QStyleOptionViewItem::Top;
        option->decorationAlignment = Qt::AlignCenter;
        option->displayAlignment = Qt::AlignCenter;
        option->showDecorationSelected = false;
    }
};

// Every item fills its cell of the grid. Measured through the model, the view, told that all
// items are of one size, would read the last row (in a large album, the ids of every row) and ask
// for its thumbnail before the first screen's.
class CellSizedItems : public QStyledItemDelegate {
public:
    CellSizedItems(QSize cell, QObject* parent) : QStyledItemDelegate(parent), m_cell(cell) {}
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return m_cell;
    }

private:
    QSize m_cell;
};

} // namespace

ThumbnailPane::ThumbnailPane(AlbumBrowser& browser, QTableView& grid, CommandBar& tools,
                             Settings& settings, QWidget* parent)
    : QObject(parent), m_browser(browser), m_tools(tools), m_settings(settings), m_grid(&grid) {
    m_source = new ThumbnailSource(this);
    m_model = new ThumbnailModel(*m_source, this);
    m_view = new ThumbnailView(parent);
    m_view->setObjectName(QStringLiteral("ThumbnailView"));
    m_view->setModel(m_model);
    m_view->setFlow(QListView::LeftToRight);
    m_view->setWrapping(true);
    m_view->setMovement(QListView::Static);
    m_view->setResizeMode(QListView::Adjust);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every item the same size: the view lays out a million of them by arithmetic, a batch at a
    // time between events, so that the first screen shows before the last item is placed.
    m_view->setUniformItemSizes(true);
    m_view->setLayoutMode(QListView::Batched);
    m_view->setBatchSize(20000);
    m_view->setWordWrap(false);
    m_view->setTextElideMode(Qt::ElideMiddle);
    m_view->setIconSize(QSize(kThumbnailEdge, kThumbnailEdge));
    m_view->setGridSize(
        QSize(kThumbnailEdge + 16, kThumbnailEdge + m_view->fontMetrics().height() + 14));
    m_view->setItemDelegate(new CellSizedItems(m_view->gridSize(), m_view));
    m_view->setSpacing(0);
    m_view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_view->hide();

    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && current.row() + 1 != m_browser.albumState().CurrentRow)
                    emit recordChosen(current.row() + 1);
            });
    connect(m_view, &QListView::doubleClicked, this, &ThumbnailPane::viewRequested);

    connect(&browser, &AlbumBrowser::recordsetReset, this, &ThumbnailPane::albumChanged);
    connect(&browser, &AlbumBrowser::rowsFound, m_model, &ThumbnailModel::rowsFound);
    connect(&browser, &AlbumBrowser::recordShown, this, &ThumbnailPane::highlightCurrent);
    // A record edited in place (a new picture from the outside editor, new texts).
    connect(grid.model(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft) { m_model->rowChanged(topLeft.row()); });
}

void ThumbnailPane::albumChanged() {
    // Reset by the browser before the album is replaced (compaction, a new password): the
    // worker lets go of the old file first.
    m_model->setRecordset(nullptr);
    m_source->setAlbum(m_browser.albumState().OpenAlbumPath, m_browser.albumState().AlbumPassword);
    fillPictureHashes();
    m_model->setRecordset(m_browser.recordset());
    highlightCurrent();
}

void ThumbnailPane::highlightCurrent() {
    const qint64 row = m_browser.albumState().CurrentRow;
    if (row < 1 || row > m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(int(row - 1));
    if (m_view->currentIndex() != index)
        m_view->setCurrentIndex(index);
    if (!m_on)
        return;
    if (m_view->visualRect(index).isEmpty()) {
        // Not placed yet: its batch has not come. Place them all now to show it.
        m_view->setLayoutMode(QListView::SinglePass);
        m_view->doItemsLayout();
        m_view->setLayoutMode(QListView::Batched);
    }
    m_view->scrollTo(index);
}

void ThumbnailPane::setOn(bool on) {
    m_on = on;
    m_view->setVisible(on);
    if (m_grid)
        m_grid->setVisible(!on);
    m_source->setFilling(on);
    fillPictureHashes();
    if (on) {
        highlightCurrent();
        m_view->setFocus();
    } else if (m_grid) {
        m_grid->setFocus();
    }
    syncTool();
    m_settings.set(key::ThumbnailView, on);
}

void ThumbnailPane::fillPictureHashes() {
    // Like the thumbnails, the picture hashes an album lacks are made while the view is on.
    const AlbumDb* album = m_browser.album();
    const QString path = m_on && album && !album->isReadOnly() ? album->path() : QString();
    if (path == m_hashedAlbum)
        return;
    m_hashes.reset();
    m_hashedAlbum = path;
    if (!path.isEmpty())
        m_hashes = std::make_unique<HashFiller>(HashFiller::Kind::Picture, path,
                                                m_browser.albumState().AlbumPassword);
}

void ThumbnailPane::restore() {
    setOn(m_settings.get(key::ThumbnailView));
}

void ThumbnailPane::syncTool() {
    m_tools.setChecked(kThumbnailTool, m_on);
}

} // namespace q32
