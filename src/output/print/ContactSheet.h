#pragma once
// Contact sheets: the records of the current order or filter, N x M pictures a page in that
// order, each with its file name or description beneath, a header with the album's name and
// the page number. Pages go to a printer queue or a PDF file; pictures are read from the album
// through a connection of the sheet's own, so the sheet can be made on a worker thread.

#include "output/print/PrintRender.h"

#include <QFont>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <functional>

class QPainter;

namespace q32 {

class AlbumRecordset;
class PageOutput;

struct ContactSheetEntry {
    qint64 rowId = 0;
    QString imageFile;
    QString description;
    QString imageFormat;
};

enum class SheetCaption { FileName = 0, Description = 1 };

struct ContactSheetOptions {
    int columns = 4;
    int rows = 5;
    SheetCaption caption = SheetCaption::FileName;
    QString albumName; // shown in each page's header
};

// Where everything lies on a page, in device dots from the top-left of the printable area.
class ContactSheetLayout {
public:
    ContactSheetLayout(QSizeF printableDots, double dotsPerInch, int columns, int rows);

    int perPage() const { return m_columns * m_rows; }
    static int pageCount(qsizetype entries, int columns, int rows);

    QRectF headerRect() const;
    QRectF cellRect(int indexOnPage) const;
    // The part of a cell a picture is fitted into, and the line beneath it.
    QRectF pictureArea(int indexOnPage) const;
    QRectF captionRect(int indexOnPage) const;
    // A picture of size fitted and centred in its area.
    QRectF pictureRect(int indexOnPage, QSizeF size) const;
    // How many pixels a picture needs for its area: no more than 300 per inch.
    QSize decodeSize(int indexOnPage) const;
    double captionPointSize() const;

private:
    QSizeF m_page;
    double m_dpi;
    int m_columns;
    int m_rows;
    double m_gap;
    double m_header;
    double m_caption;
};

// Reads a record's picture fitted into a size; a null image when it has none to show. Sets
// error only when no picture can be read at all (the album cannot be opened): the job ends.
using SheetPictureReader =
    std::function<QImage(const ContactSheetEntry&, QSize fitInto, QString* error)>;

// The entries of a recordset in its order.
QList<ContactSheetEntry> ContactSheetEntries(AlbumRecordset& recordset);

// Pictures straight from an album file, opened read-only on first use.
SheetPictureReader AlbumPictureReader(const QString& albumPath, const QString& password);

bool IsVideoFormat(const QString& imageFormat);

// Draws every page; nothing is handed on when the job is stopped or fails.
PrintOutcome PrintContactSheet(PageOutput& output, const QList<ContactSheetEntry>& entries,
                               const ContactSheetOptions& options,
                               const SheetPictureReader& readPicture,
                               const PrintProgress& progress);

} // namespace q32
