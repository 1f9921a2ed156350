#pragma once
// The "Print Preview" window (PrintFrm): one picture placed on a miniature sheet of the
// default printer's paper, by position and size in printer dots or by dragging, then printed
// on one page. The arithmetic lives in PrintLayout; this window only shows it.

#include "output/print/PrintLayout.h"
#include "output/print/PrintRender.h"

#include <QDialog>
#include <QImage>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QProgressBar;
class QPushButton;

namespace q32 {

class PreviewSheet;
class BusyGuard;
class PrintRun;
class PromptService;
class Settings;
struct ProgramState;

// Shows "Print Preview" for a picture and returns when the window has closed: the entry point
// for the viewer's "&Print" and the main window's "Print Current Image". Asks through prompts
// when there is no printer (and offers a PDF file instead). True when a page was printed.
bool ShowPrintPreview(const PrintPicture& picture, ProgramState& state, Settings& settings,
                      PromptService& prompts, QWidget* parent = nullptr);

class PrintPreviewWindow : public QDialog {
    Q_OBJECT
public:
    // Fills the boxes for a picture of pictureSize pixels; miniature is what the sheet shows.
    PrintPreviewWindow(PrintLayout& layout, QPrinter& printer, PrintPicture picture,
                       const QImage& miniature, QSize pictureSize, PromptService& prompts,
                       QWidget* parent = nullptr);
    ~PrintPreviewWindow() override;

    bool printed() const { return m_printed; }
    QLineEdit* box(PrintBox which) const;
    PreviewSheet* sheet() const { return m_sheet; }
    PrintRun& run() const { return *m_run; }

    // "&Print": the whole picture into the rectangle of the boxes, on a thread of its own.
    void printPicture();
    // "Print Settings": the printer dialog; the labels keep what they showed.
    void showPrinterSettings();

    // While printing, Cancel and the close box stop the job instead of closing.
    void reject() override;
    void done(int result) override; // keeps the window's position

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWidgets(const QImage& miniature);
    QWidget* buildInfoAndBoxes();
    void connectLayout();
    void printFinished(const PrintOutcome& outcome);
    void setPrinting(bool printing);
    bool keyForBox(QLineEdit* edit, QKeyEvent* key);

    PrintLayout& m_layout;
    QPrinter& m_printer;
    PrintPicture m_picture;
    PromptService& m_prompts;
    std::unique_ptr<PrintRun> m_run;
    std::unique_ptr<BusyGuard> m_busy;
    QString m_pdfPath; // when the printer writes a file: the file asked for

    PreviewSheet* m_sheet = nullptr;
    QLineEdit* m_boxes[5] = {};
    QCheckBox* m_preserve = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_settingsButton = nullptr;
    QPushButton* m_printButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    bool m_printed = false;
    bool m_positionSaved = false;
};

} // namespace q32
