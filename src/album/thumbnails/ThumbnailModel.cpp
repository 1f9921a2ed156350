#include "album/thumbnails/ThumbnailModel.h"

#include "album/AlbumRecordset.h"
#include "album/AlbumThumbnails.h"
#include "album/add/ThumbnailMaker.h"
#include "album/thumbnails/ThumbnailSource.h"
#include "formats/FormatTable.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace q32 {
namespace {

// Every item is a square of the same size, so the view lays them out by arithmetic; a picture
// sits at the bottom of its square, just above its name.
QImage square(const QImage& picture) {
    QImage out(kThumbnailEdge, kThumbnailEdge, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    const QRect place((kThumbnailEdge - picture.width()) / 2, kThumbnailEdge - picture.height(),
                      picture.width(), picture.height());
    painter.drawImage(place.topLeft(), picture);
    // A clip's frame carries the clip's length: shown in its lower right corner.
    if (const std::optional<qint64> ms = ClipLengthOfImage(picture)) {
        QFont font = painter.font();
        font.setPixelSize(12);
        font.setBold(true);
        painter.setFont(font);
        const QString text = ClipLengthText(*ms);
        QRect box = painter.fontMetrics().boundingRect(text).adjusted(-4, -1, 4, 1);
        box.moveBottomRight(place.bottomRight() - QPoint(3, 3));
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 170));
        painter.drawRoundedRect(box, 3, 3);
        painter.setPen(Qt::white);
        painter.drawText(box, Qt::AlignCenter, text);
    }
    return out;
}

// The picture as it is, selected or not: the highlighted name shows the current record.
QIcon iconOf(const QPixmap& pixmap) {
    QIcon icon;
    icon.addPixmap(pixmap, QIcon::Normal);
    icon.addPixmap(pixmap, QIcon::Selected);
    return icon;
}

} // namespace

ThumbnailModel::ThumbnailModel(ThumbnailSource& source, QObject* parent)
    : QAbstractListModel(parent), m_source(source) {
    connect(&m_source, &ThumbnailSource::thumbnailReady, this, &ThumbnailModel::thumbnailReady);
}

void ThumbnailModel::setRecordset(AlbumRecordset* recordset) {
    beginResetModel();
    m_recordset = recordset;
    m_rowCount = ViewRows(recordset);
    m_icons.clear();
    m_asked.clear();
    m_missing.clear();
    m_firstScreen = true;
    endResetModel();
}

void ThumbnailModel::rowChanged(int position) {
    if (!m_recordset)
        return;
    const qint64 rowId = m_recordset->rowIdAt(position);
    m_icons.remove(rowId);
    m_source.forget(rowId);
    emit dataChanged(index(position), index(position));
}

void ThumbnailModel::rowsFound() {
    const int found = ViewRows(m_recordset);
    if (found <= m_rowCount)
        return;
    beginInsertRows({}, m_rowCount, found - 1);
    m_rowCount = found;
    endInsertRows();
}

int ThumbnailModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

bool ThumbnailModel::isReady(int position) const {
    if (!m_recordset)
        return false;
    const qint64 rowId = m_recordset->rowIdAt(position);
    return m_icons.contains(rowId) || m_source.image(rowId).has_value();
}

QVariant ThumbnailModel::data(const QModelIndex& index, int role) const {
    if (!m_recordset || !index.isValid())
        return {};
    const int position = index.row();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        const auto record = m_recordset->recordAt(position);
        if (!record)
            return {};
        if (role == Qt::DisplayRole)
            return record->imageFile;
        return record->description.isEmpty()
                   ? record->imageFile
                   : record->imageFile + QLatin1Char('\n') + record->description;
    }
    if (role != Qt::DecorationRole)
        return {};
    const qint64 rowId = m_recordset->rowIdAt(position);
    if (const QIcon* cached = m_icons.object(rowId))
        return *cached;
    if (const std::optional<QImage> image = m_source.image(rowId)) {
        QPixmap pixmap;
        if (image->isNull()) {
            const auto record = m_recordset->recordAt(position);
            const QString format = record ? record->imageFormat : QString();
            pixmap = placeholder(false, IsClipFormat(format));
        } else {
            pixmap = QPixmap::fromImage(square(*image));
        }
        const QIcon icon = iconOf(pixmap);
        m_icons.insert(rowId, new QIcon(icon));
        m_asked.remove(rowId);
        return icon;
    }
    if (!m_asked.contains(rowId)) {
        m_asked.insert(rowId, position);
        m_missing << rowId;
    }
    if (!m_requestPending) {
        // Everything the view paints in one go is asked for at once, in paint order.
        m_requestPending = true;
        QTimer::singleShot(0, this, &ThumbnailModel::requestMissing);
    }
    return iconOf(placeholder(true, false));
}

void ThumbnailModel::requestMissing() const {
    m_requestPending = false;
    if (std::exchange(m_firstScreen, false) && m_recordset) {
        // The first screen's stored thumbnails are read here, through the window's connection:
        // a few dozen small JPEGs take milliseconds, where the worker would first have to open
        // the album (a key derivation for a protected one).
        int first = rowCount(), last = -1;
        QList<qint64> left;
        for (const qint64 rowId : std::as_const(m_missing)) {
            const std::optional<QByteArray> jpeg = ReadThumbnail(m_recordset->album(), rowId);
            // An empty one may be a clip's from before frames were taken: the worker knows.
            if (!jpeg || jpeg->isEmpty()) {
                left << rowId;
                continue;
            }
            m_source.insert(rowId, QImage::fromData(*jpeg, "JPG"));
            const int position = m_asked.value(rowId);
            first = std::min(first, position);
            last = std::max(last, position);
        }
        m_missing = left;
        // Called from a paint, through a const model; the signal only asks for another paint.
        if (last >= 0)
            emit const_cast<ThumbnailModel*>(this)->dataChanged(index(first), index(last),
                                                                {Qt::DecorationRole});
    }
    m_source.request(m_missing);
    m_missing.clear();
    // Rows scrolled away are asked again when they show.
    m_asked.clear();
}

void ThumbnailModel::thumbnailReady(qint64 rowId) {
    if (!m_recordset)
        return;
    const qint64 position = m_recordset->positionOf(rowId);
    if (position < 0)
        return;
    m_icons.remove(rowId);
    emit dataChanged(index(int(position)), index(int(position)), {Qt::DecorationRole});
}

QPixmap ThumbnailModel::placeholder(bool loading, bool clip) const {
    QPixmap& p = m_placeholders[loading ? 0 : clip ? 1 : 2];
    if (!p.isNull())
        return p;
    QImage image(kThumbnailEdge, kThumbnailEdge * 3 / 4, QImage::Format_ARGB32_Premultiplied);
    image.fill(loading ? QColor(232, 232, 232) : QColor(200, 200, 200));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(150, 150, 150), 2));
    painter.drawRect(image.rect().adjusted(1, 1, -1, -1));
    const QPointF c = image.rect().center();
    if (clip) {
        // A clip: the play triangle.
        QPainterPath triangle;
        triangle.moveTo(c + QPointF(-14, -18));
        triangle.lineTo(c + QPointF(20, 0));
        triangle.lineTo(c + QPointF(-14, 18));
        triangle.closeSubpath();
        painter.fillPath(triangle, QColor(110, 110, 110));
    } else if (!loading) {
        // No picture to show: a crossed frame.
        painter.drawLine(c + QPointF(-20, -20), c + QPointF(20, 20));
        painter.drawLine(c + QPointF(20, -20), c + QPointF(-20, 20));
    }
    painter.end();
    p = QPixmap::fromImage(square(image));
    return p;
}

} // namespace q32
