#pragma once
// The "Contact Sheet" window: how many pictures across and down a page, file names or
// descriptions beneath, the page count; prints on the default printer or saves a PDF file.

#include "output/print/ContactSheet.h"

#include <QDialog>
#include <memory>

class QLabel;
class QPrinter;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace q32 {

class BusyGuard;
class PrintRun;
class PromptService;
class Settings;

// The records to put on the sheet and the album they are read from.
struct ContactSheetSource {
    QList<ContactSheetEntry> entries;
    QString albumPath;
    QString password;
};

// Shows the window for source; returns when it has closed. True when a sheet was made.
bool ShowContactSheet(ContactSheetSource source, Settings& settings, PromptService& prompts,
                      QWidget* parent = nullptr);

class ContactSheetWindow : public QDialog {
    Q_OBJECT
public:
    // printer may be null: the sheet can then only be saved as a PDF file.
    ContactSheetWindow(ContactSheetSource source, std::unique_ptr<QPrinter> printer,
                       Settings& settings, PromptService& prompts, QWidget* parent = nullptr);
    ~ContactSheetWindow() override;

    ContactSheetOptions options() const;
    int pageCount() const;
    bool made() const { return m_made; }
    PrintRun& run() const { return *m_run; }

    void printSheet();
    void saveAsPdf();

    // While printing, Cancel and the close box stop the job instead of closing.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWidgets();
    void showPageCount();
    void storeOptions();
    void start(std::shared_ptr<PageOutput> output);
    void setWorking(bool working);
    void finished(const PrintOutcome& outcome);

    ContactSheetSource m_source;
    std::unique_ptr<QPrinter> m_printer;
    Settings& m_settings;
    PromptService& m_prompts;
    std::unique_ptr<PrintRun> m_run;
    std::unique_ptr<BusyGuard> m_busy;
    bool m_made = false;

    QSpinBox* m_columns = nullptr;
    QSpinBox* m_rows = nullptr;
    QRadioButton* m_names = nullptr;
    QRadioButton* m_descriptions = nullptr;
    QLabel* m_pages = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_settingsButton = nullptr;
    QPushButton* m_printButton = nullptr;
    QPushButton* m_pdfButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

} // namespace q32
