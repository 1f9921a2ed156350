#pragma once
// The Print Preview window without its widgets: the printer's paper and the scale of the
// miniature sheet, the four boxes (Left, Top, Width, Height in printer dots, measured from the
// top-left corner of the printable area) with their spin steps, the increment, "Preserve aspect
// ratio", dropping the picture on the sheet, and the settings they are kept in.

#include "platform/printer/PrinterFacts.h"

#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <functional>

namespace q32 {

class PromptService;
class Settings;
struct ProgramState;

// Where the print window keeps its values.
namespace printsection {
inline constexpr char HardCopy[] = "Hard Copy";
inline constexpr char Window[] = "PrintFrm";
} // namespace printsection

enum class PrintBox { Left, Top, Width, Height, Increment };

class PrintLayout {
public:
    PrintLayout(Settings& settings, PromptService& prompts, ProgramState& state);

    // Takes the printer's name, resolution, paper and orientation, and asks for the resolution
    // or the paper size when the printer reports none. False when the resolution question was
    // answered empty or cancelled: the window must not open.
    bool takePrinterFacts(const PrinterFacts& facts);
    // Fills the boxes from the settings and the picture's size in pixels (one pixel is one dot
    // at first), then lets the boxes react to changes.
    void load(QSize pictureSize);

    // The read-only labels.
    QString printerName() const { return m_printerName; }
    QString resolutionText() const { return m_resolutionText; }
    QString paperText() const;
    QString orientationText() const;
    QString copiesText() const { return m_copiesText; }

    bool portrait() const { return m_portrait; }
    double resolution() const; // the resolution text's numeric value, dots per inch
    float paperWidthInches() const { return m_paperWidth; }
    float paperLengthInches() const { return m_paperLength; }
    float previewShortSidePixels() const { return m_previewShortSide; }
    float printableShortSideDots() const { return m_printableShortSide; }
    // Printer dots per pixel of the sheet; the same for both axes.
    float dotScale() const;

    // Screen geometry by orientation: the window, the panel around the sheet, the sheet.
    QSize windowSize() const;
    QSize panelSize() const;
    QSize sheetSize() const;
    QPoint savedWindowPosition() const;
    void saveWindowPosition(QPoint position);
    // Whether pictures are dithered when their colours are reduced for the page.
    bool dither() const;

    QString text(PrintBox box) const;
    bool preserveRatio() const { return m_preserveRatio; }
    int spinIncrement() const { return m_increment; }

    // A person changed a box: runs what the box does on a change. Text that is no number, and
    // a Left or Top that would put the picture off the page, are refused with a message: the
    // box shows the value in force again.
    void edit(PrintBox box, const QString& text);
    // A typed digit is taken only when the box's number still fits 32 bits afterwards.
    bool acceptsDigit(const QString& prospectiveText) const;
    void setPreserveRatio(bool on);
    void spinUp(PrintBox box);
    void spinDown(PrintBox box);
    // The picture was dropped on the sheet with its top-left corner at point (sheet pixels):
    // Left and Top become whole dots that keep the picture on the page.
    void dropAt(QPointF point);
    // Where the picture can be placed, in printer dots: the printable area as far as the sheet
    // shows it. Empty when the resolution gives none.
    QSizeF pageDots() const;

    // Where the picture lies on the sheet (sheet pixels) and on the page (printer dots).
    QRectF sheetRect() const;
    QRectF pageRect() const;

    // Told when the layout rewrote a box, and when the picture on the sheet must be redrawn.
    std::function<void(PrintBox)> boxRewritten;
    std::function<void()> sheetChanged;
    // Told for a step the boxes refuse (a size below one dot).
    std::function<void()> refused;

private:
    void setBox(PrintBox box, const QString& text);
    void changed(PrintBox box);
    void spinSize(PrintBox box, bool up);
    void redraw();
    void store(const char* name, const QString& text);
    double value(PrintBox box) const;
    // The largest Left (or Top) at which the picture ends on the page.
    double furthest(PrintBox box) const;
    void refuse(PrintBox box, const QString& why);

    Settings& m_settings;
    PromptService& m_prompts;
    ProgramState& m_state;

    QString m_printerName;
    QString m_resolutionText;
    QString m_copiesText;
    bool m_portrait = true;
    float m_paperWidth = 0;
    float m_paperLength = 0;
    float m_previewShortSide = 0;
    float m_printableShortSide = 0;

    QString m_boxes[5];
    QSize m_picture;
    bool m_preserveRatio = false;
    int m_increment = 0;
    bool m_loading = false;
    bool m_armed = false;
    // Set while a size box writes its partner, so the partner does not write back.
    bool m_writingPartner = false;
};

// Numbers in the boxes: up to 15 significant digits for computed values, up to 7 for values
// held in single precision (a picture's size, a drop point).
QString PrintNumberText(double value);
QString PrintSingleText(float value);

} // namespace q32
