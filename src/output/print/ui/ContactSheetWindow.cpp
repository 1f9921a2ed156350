#include "output/print/ui/ContactSheetWindow.h"

#include "common/Settings.h"
#include "output/print/PrintRun.h"
#include "platform/printer/DefaultPrinter.h"
#include "platform/printer/PdfFileOutput.h"
#include "platform/prompt/PromptService.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace q32 {
namespace {

constexpr char kSection[] = "Contact Sheet";
constexpr int kPdfResolution = 300; // plenty for pictures a few centimetres wide

} // namespace

bool ShowContactSheet(ContactSheetSource source, Settings& settings, PromptService& prompts,
                      QWidget* parent) {
    ContactSheetWindow window(std::move(source), OpenDefaultPrinter(), settings, prompts, parent);
    window.exec();
    return window.made();
}

ContactSheetWindow::ContactSheetWindow(ContactSheetSource source, std::unique_ptr<QPrinter> printer,
                                       Settings& settings, PromptService& prompts, QWidget* parent)
    : QDialog(parent), m_source(std::move(source)), m_printer(std::move(printer)),
      m_settings(settings), m_prompts(prompts), m_run(std::make_unique<PrintRun>()) {
    setObjectName(QStringLiteral("ContactSheet"));
    setWindowTitle(QStringLiteral("Contact Sheet"));
    setProperty("helpPage", QStringLiteral("contact-sheet.html"));
    buildWidgets();
    connect(m_run.get(), &PrintRun::progress, m_progress, &QProgressBar::setValue);
    connect(m_run.get(), &PrintRun::finished, this, &ContactSheetWindow::finished);
    showPageCount();
}

ContactSheetWindow::~ContactSheetWindow() = default;

void ContactSheetWindow::buildWidgets() {
    const QString section = QLatin1String(kSection);
    auto spin = [this](const char* name, int max, int stored, int fallback) {
        auto* s = new QSpinBox(this);
        s->setObjectName(QLatin1String(name));
        s->setRange(1, max);
        s->setValue(stored >= 1 && stored <= max ? stored : fallback);
        connect(s, &QSpinBox::valueChanged, this, &ContactSheetWindow::showPageCount);
        return s;
    };
    m_columns = spin("Columns", 12, m_settings.integer(section, QStringLiteral("Columns")), 4);
    m_rows = spin("Rows", 16, m_settings.integer(section, QStringLiteral("Rows")), 5);
    m_names = new QRadioButton(QStringLiteral("File names"), this);
    m_names->setObjectName(QStringLiteral("CaptionFileNames"));
    m_descriptions = new QRadioButton(QStringLiteral("Descriptions"), this);
    m_descriptions->setObjectName(QStringLiteral("CaptionDescriptions"));
    (m_settings.integer(section, QStringLiteral("Captions")) == 1 ? m_descriptions : m_names)
        ->setChecked(true);
    auto* captions = new QHBoxLayout;
    captions->addWidget(m_names);
    captions->addWidget(m_descriptions);
    captions->addStretch();

    auto* printerName = new QLabel(this);
    printerName->setObjectName(QStringLiteral("PrinterName"));
    printerName->setText(m_printer ? FactsOf(*m_printer).deviceName
                                   : QStringLiteral("none set up: save the sheet as a PDF file"));
    m_pages = new QLabel(this);
    m_pages->setObjectName(QStringLiteral("PageCount"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Pictures across:"), m_columns);
    form->addRow(QStringLiteral("Pictures down:"), m_rows);
    form->addRow(QStringLiteral("Beneath each picture:"), captions);
    form->addRow(QStringLiteral("Printer:"), printerName);
    form->addRow(QStringLiteral("Pages:"), m_pages);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("SheetProgress"));
    m_progress->setRange(0, 100);
    m_progress->hide();

    auto button = [this](const QString& caption, const char* name) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    m_settingsButton = button(QStringLiteral("Print Settings"), "SheetSettings");
    m_printButton = button(QStringLiteral("&Print"), "SheetPrint");
    m_pdfButton = button(QStringLiteral("Save As P&DF..."), "SheetSavePdf");
    m_cancelButton = button(QStringLiteral("&Cancel"), "SheetCancel");
    if (!m_printer) {
        const QString tip = QStringLiteral("No printer is set up: save the sheet as a PDF file");
        for (QPushButton* b : {m_settingsButton, m_printButton}) {
            b->setEnabled(false);
            b->setToolTip(tip);
        }
        m_pdfButton->setDefault(true);
    } else {
        m_printButton->setDefault(true);
    }
    connect(m_settingsButton, &QPushButton::clicked, this,
            [this] { m_prompts.printerSettings(*m_printer); });
    connect(m_printButton, &QPushButton::clicked, this, &ContactSheetWindow::printSheet);
    connect(m_pdfButton, &QPushButton::clicked, this, &ContactSheetWindow::saveAsPdf);
    connect(m_cancelButton, &QPushButton::clicked, this, &ContactSheetWindow::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_settingsButton);
    buttons->addStretch();
    buttons->addWidget(m_printButton);
    buttons->addWidget(m_pdfButton);
    buttons->addWidget(m_cancelButton);

    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(m_progress);
    column->addStretch();
    column->addLayout(buttons);
}

ContactSheetOptions ContactSheetWindow::options() const {
    ContactSheetOptions o;
    o.columns = m_columns->value();
    o.rows = m_rows->value();
    o.caption = m_descriptions->isChecked() ? SheetCaption::Description : SheetCaption::FileName;
    o.albumName = QFileInfo(m_source.albumPath).fileName();
    return o;
}

int ContactSheetWindow::pageCount() const {
    return ContactSheetLayout::pageCount(m_source.entries.size(), m_columns->value(),
                                         m_rows->value());
}

void ContactSheetWindow::showPageCount() {
    m_pages->setText(QStringLiteral("%1 picture(s) on %2 page(s)")
                         .arg(m_source.entries.size())
                         .arg(pageCount()));
}

void ContactSheetWindow::storeOptions() {
    const QString section = QLatin1String(kSection);
    m_settings.RegPutString(section, QStringLiteral("Columns"),
                            QString::number(m_columns->value()));
    m_settings.RegPutString(section, QStringLiteral("Rows"), QString::number(m_rows->value()));
    m_settings.RegPutString(section, QStringLiteral("Captions"),
                            m_descriptions->isChecked() ? QStringLiteral("1")
                                                        : QStringLiteral("0"));
}

void ContactSheetWindow::printSheet() {
    if (!m_printer || m_run->running())
        return;
    start(OutputFor(*m_printer, options().albumName + QStringLiteral(" contact sheet")));
}

void ContactSheetWindow::saveAsPdf() {
    if (m_run->running())
        return;
    FileDialogRequest request;
    request.title = QStringLiteral("Save Contact Sheet As PDF");
    request.filter = QStringLiteral("PDF Files (*.pdf)|*.pdf");
    request.initialDir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    request.fileName =
        QFileInfo(m_source.albumPath).completeBaseName() + QStringLiteral(" contact sheet.pdf");
    request.defaultExt = QStringLiteral("pdf");
    request.confirmOverwrite = true;
    const QString path = m_prompts.saveFile(request);
    if (path.isEmpty())
        return;
    // The printer's paper when there is one, else the local paper.
    const QPageLayout page =
        m_printer ? m_printer->pageLayout() : OpenPdfFilePrinter()->pageLayout();
    start(std::make_shared<PdfFileOutput>(path, page, kPdfResolution,
                                          options().albumName + QStringLiteral(" contact sheet")));
}

void ContactSheetWindow::start(std::shared_ptr<PageOutput> output) {
    if (m_source.entries.isEmpty())
        return;
    storeOptions();
    setWorking(true);
    m_run->start([output, entries = m_source.entries, options = options(),
                  reader = AlbumPictureReader(m_source.albumPath, m_source.password)](
                     const PrintProgress& progress) {
        return PrintContactSheet(*output, entries, options, reader, progress);
    });
}

void ContactSheetWindow::setWorking(bool working) {
    // The busy pointer for as long as the job runs, across the event loop.
    if (working)
        m_busy = std::make_unique<BusyGuard>(m_prompts);
    else
        m_busy.reset();
    setWindowTitle(working ? QStringLiteral("BUSY: Making the contact sheet...")
                           : QStringLiteral("Contact Sheet"));
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_columns, m_rows, m_names, m_descriptions, m_pdfButton})
        w->setEnabled(!working);
    m_settingsButton->setEnabled(!working && m_printer);
    m_printButton->setEnabled(!working && m_printer);
    m_cancelButton->setText(working ? QStringLiteral("&Stop") : QStringLiteral("&Cancel"));
    m_progress->setValue(0);
    m_progress->setVisible(working);
}

void ContactSheetWindow::finished(const PrintOutcome& outcome) {
    setWorking(false);
    if (outcome.stopped)
        return;
    if (!outcome.error.isEmpty()) {
        m_prompts.beep();
        m_prompts.msgBox(outcome.error, MsgIcon::Critical, QStringLiteral("PRINT ERROR"));
        return;
    }
    m_made = true;
    accept();
}

void ContactSheetWindow::reject() {
    if (m_run->running()) {
        m_run->stop();
        return;
    }
    QDialog::reject();
}

void ContactSheetWindow::closeEvent(QCloseEvent* event) {
    if (m_run->running()) {
        m_run->stop();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace q32
