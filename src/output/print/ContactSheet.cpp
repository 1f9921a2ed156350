#include "output/print/ContactSheet.h"

#include "album/AlbumDb.h"
#include "album/AlbumMedia.h"
#include "album/AlbumRecordset.h"
#include "formats/FormatTable.h"
#include "platform/imaging/Imaging.h"
#include "platform/imaging/InMemoryFile.h"
#include "platform/media/ClipFrame.h"
#include "platform/printer/PageOutput.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <cmath>
#include <memory>

namespace q32 {
namespace {

constexpr double kPointsPerInch = 72.0;
constexpr double kCaptionPoints = 8.0;
constexpr double kHeaderPoints = 9.0;
constexpr int kMaxDecodeDpi = 300;

QFont SheetFont(double points) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(points);
    return font;
}

} // namespace

ContactSheetLayout::ContactSheetLayout(QSizeF printableDots, double dotsPerInch, int columns,
                                       int rows)
    : m_page(printableDots), m_dpi(dotsPerInch), m_columns(std::max(1, columns)),
      m_rows(std::max(1, rows)) {
    m_gap = 0.12 * m_dpi;
    m_header = 2.2 * kHeaderPoints / kPointsPerInch * m_dpi;
    m_caption = 1.8 * captionPointSize() / kPointsPerInch * m_dpi;
}

int ContactSheetLayout::pageCount(qsizetype entries, int columns, int rows) {
    const qsizetype perPage = qsizetype(std::max(1, columns)) * std::max(1, rows);
    return int((entries + perPage - 1) / perPage);
}

double ContactSheetLayout::captionPointSize() const {
    // Small cells (many columns or rows) get smaller type, but never below 5 points.
    const double cellHeightInches =
        (m_page.height() / m_dpi - 2.2 * kHeaderPoints / kPointsPerInch) / m_rows;
    return std::clamp(cellHeightInches * kPointsPerInch * 0.09, 5.0, kCaptionPoints);
}

QRectF ContactSheetLayout::headerRect() const {
    return {0, 0, m_page.width(), m_header};
}

QRectF ContactSheetLayout::cellRect(int indexOnPage) const {
    const int column = indexOnPage % m_columns;
    const int row = indexOnPage / m_columns;
    const double width = (m_page.width() - (m_columns - 1) * m_gap) / m_columns;
    const double height = (m_page.height() - m_header - (m_rows - 1) * m_gap) / m_rows;
    return {column * (width + m_gap), m_header + row * (height + m_gap), width, height};
}

QRectF ContactSheetLayout::pictureArea(int indexOnPage) const {
    const QRectF cell = cellRect(indexOnPage);
    return cell.adjusted(0, 0, 0, -m_caption);
}

QRectF ContactSheetLayout::captionRect(int indexOnPage) const {
    const QRectF cell = cellRect(indexOnPage);
    return {cell.left(), cell.bottom() - m_caption, cell.width(), m_caption};
}

QRectF ContactSheetLayout::pictureRect(int indexOnPage, QSizeF size) const {
    const QRectF area = pictureArea(indexOnPage);
    if (size.isEmpty())
        return area;
    const QSizeF fitted = size.scaled(area.size(), Qt::KeepAspectRatio);
    return {area.left() + (area.width() - fitted.width()) / 2,
            area.top() + (area.height() - fitted.height()) / 2, fitted.width(), fitted.height()};
}

QSize ContactSheetLayout::decodeSize(int indexOnPage) const {
    const QSizeF area = pictureArea(indexOnPage).size() * std::min(1.0, kMaxDecodeDpi / m_dpi);
    return {std::max(1, int(std::ceil(area.width()))), std::max(1, int(std::ceil(area.height())))};
}

QList<ContactSheetEntry> ContactSheetEntries(AlbumRecordset& recordset) {
    QList<ContactSheetEntry> entries;
    entries.reserve(recordset.recordCount());
    for (qint64 i = 0; i < recordset.recordCount(); ++i)
        if (const auto record = recordset.recordAt(i))
            entries.append(
                {record->rowId, record->imageFile, record->description, record->imageFormat});
    return entries;
}

SheetPictureReader AlbumPictureReader(const QString& albumPath, const QString& password) {
    struct State {
        std::unique_ptr<AlbumDb> album;
        QString openError;
    };
    auto state = std::make_shared<State>();
    return [state, albumPath, password](const ContactSheetEntry& entry, QSize fitInto,
                                        QString* error) -> QImage {
        if (!state->album && state->openError.isEmpty()) {
            AlbumStatus status;
            state->album = AlbumDb::open(albumPath, {true, password}, &status);
            if (!state->album)
                state->openError = status.text();
        }
        if (!state->album) {
            if (error)
                *error = state->openError;
            return {};
        }
        if (IsClipFormat(entry.imageFormat)) {
            // The clip's frame at the sheet's size, read from the album in pieces.
            BlobFieldReader field(*state->album, entry.rowId, PictureField::Image);
            const auto frame = TakeClipFrame(
                field.size(),
                [&field](char* data, qint64 length, qint64 offset) {
                    return field.read(data, length, offset);
                },
                fitInto);
            return frame ? frame->image : QImage();
        }
        // Decoded from memory: nothing of the album is written anywhere.
        const imaging::InMemoryFile file("quillon-sheet",
                                         state->album->readBytes(entry.rowId, PictureField::Image));
        QImage picture;
        LoadOptions options;
        options.fitInto = fitInto;
        if (!file.ok() || LoadImage(file.path(), picture, options) != ImagingCondition::None)
            return {};
        return picture;
    };
}

PrintOutcome PrintContactSheet(PageOutput& output, const QList<ContactSheetEntry>& entries,
                               const ContactSheetOptions& options,
                               const SheetPictureReader& readPicture,
                               const PrintProgress& progress) {
    if (QString error = output.open(); !error.isEmpty())
        return {error};
    QPagedPaintDevice* device = output.device();
    QPainter painter;
    if (!painter.begin(device)) {
        output.finish(true);
        return {QStringLiteral("The page could not be started.")};
    }
    const double dpi = device->logicalDpiX();
    const ContactSheetLayout layout(QSizeF(device->width(), device->height()), dpi, options.columns,
                                    options.rows);
    const int pages = ContactSheetLayout::pageCount(entries.size(), options.columns, options.rows);
    const QFont captionFont = SheetFont(layout.captionPointSize());
    const QFont headerFont = SheetFont(kHeaderPoints);
    const QPen frame(QColor(160, 160, 160), std::max(1.0, dpi / 200));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);

    PrintOutcome outcome;
    for (int page = 0; page < pages && outcome.ok(); ++page) {
        if (page > 0)
            device->newPage();
        painter.setFont(headerFont);
        painter.setPen(Qt::black);
        painter.drawText(layout.headerRect(), Qt::AlignLeft | Qt::AlignTop, options.albumName);
        painter.drawText(layout.headerRect(), Qt::AlignRight | Qt::AlignTop,
                         QStringLiteral("Page %1 of %2").arg(page + 1).arg(pages));
        for (int cell = 0; cell < layout.perPage(); ++cell) {
            const qsizetype index = qsizetype(page) * layout.perPage() + cell;
            if (index >= entries.size())
                break;
            if (progress.stopped()) {
                outcome.stopped = true;
                break;
            }
            const ContactSheetEntry& entry = entries[index];
            QString error;
            const QImage picture = readPicture(entry, layout.decodeSize(cell), &error);
            if (!error.isEmpty()) {
                outcome.error = error;
                break;
            }
            if (picture.isNull()) {
                // A clip, or a picture that cannot be read: its place stays, marked.
                const QRectF area = layout.pictureRect(cell, QSizeF(4, 3));
                painter.fillRect(area, QColor(225, 225, 225));
                painter.setPen(QColor(90, 90, 90));
                painter.setFont(captionFont);
                painter.drawText(area, Qt::AlignCenter,
                                 IsClipFormat(entry.imageFormat) ? QStringLiteral("Video clip")
                                                                 : QStringLiteral("No picture"));
            } else {
                const QRectF place = layout.pictureRect(cell, picture.size());
                painter.drawImage(place, picture);
                painter.setPen(frame);
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(place);
            }
            QString caption = options.caption == SheetCaption::Description
                                  ? entry.description.simplified()
                                  : entry.imageFile;
            if (caption.isEmpty())
                caption = entry.imageFile;
            painter.setFont(captionFont);
            painter.setPen(Qt::black);
            const QRectF line = layout.captionRect(cell);
            const QString shown = QFontMetricsF(captionFont, device)
                                      .elidedText(caption, Qt::ElideMiddle, line.width());
            painter.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter, shown);
            progress.report(int((index + 1) * 100 / entries.size()));
        }
    }
    painter.end();
    const QString handOn = output.finish(!outcome.ok());
    if (outcome.ok() && !handOn.isEmpty())
        outcome.error = handOn;
    return outcome;
}

} // namespace q32
