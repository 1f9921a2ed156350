#include "output/print/ui/PrintPreviewWindow.h"

#include "output/print/PrintRun.h"
#include "output/print/ui/PrintPreviewSheet.h"
#include "platform/imaging/Imaging.h"
#include "platform/printer/DefaultPrinter.h"
#include "platform/prompt/PromptService.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <cmath>

namespace q32 {
namespace {

constexpr int kMiniatureSide = 600; // enough for the sheet; the page is printed from the file
constexpr int kMargin = 8;
constexpr int kButtonHeight = 28;

const char* const kBoxNames[5] = {"ShowLeft", "ShowTop", "ShowWidth", "ShowHeight", "Text1"};
const char* const kBoxCaptions[4] = {"Left", "Top", "Width", "Height"};

QLabel* valueLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

bool ShowPrintPreview(const PrintPicture& picture, ProgramState& state, Settings& settings,
                      PromptService& prompts, QWidget* parent) {
    std::unique_ptr<QPrinter> printer = OpenDefaultPrinter();
    if (!printer) {
        prompts.msgBox(QStringLiteral("Unable to open default printer"), MsgIcon::Critical,
                       QStringLiteral("PRINT ERROR"));
        if (prompts.msgBox(QStringLiteral("No printer is set up. Print to a PDF file instead?"),
                           MsgIcon::Question, QStringLiteral("PRINT TO FILE"),
                           MsgButtons::YesNo) != MsgResult::Yes)
            return false;
        printer = OpenPdfFilePrinter();
    }

    PrintLayout layout(settings, prompts, state);
    const PrinterFacts facts = FactsOf(*printer);
    if (!layout.takePrinterFacts(facts))
        return false;
    if (facts.resolution == 0 && layout.resolution() >= 1)
        printer->setResolution(int(layout.resolution())); // the resolution a person gave

    if (picture.isEmpty()) {
        prompts.msgBox(QStringLiteral("No current image to print!"), MsgIcon::Exclamation,
                       QStringLiteral("WARNING"));
        return false;
    }
    QImage miniature;
    QSize size;
    if (!picture.image.isNull()) {
        size = picture.image.size();
        miniature = picture.image.scaled(size.boundedTo(QSize(kMiniatureSide, kMiniatureSide)),
                                         Qt::KeepAspectRatio, Qt::SmoothTransformation);
    } else {
        ImageInfo info;
        LoadOptions options;
        options.fitInto = QSize(kMiniatureSide, kMiniatureSide);
        ImagingCondition c;
        {
            BusyGuard busy(prompts); // a large TIFF takes a moment even for the miniature
            c = DecodePrintPicture(picture, miniature, options, &info);
        }
        if (c == ImagingCondition::FileNotFound) {
            prompts.msgBox(QStringLiteral("No current image to print!"), MsgIcon::Exclamation,
                           QStringLiteral("WARNING"));
            return false;
        }
        if (c != ImagingCondition::None) {
            // A window with nothing on its sheet would only fail again at "&Print".
            prompts.beep();
            prompts.msgBox(ConditionText(c), MsgIcon::Critical,
                           QStringLiteral("UNEXPECTED ERROR! (PrintFrm: Form_Load)"));
            return false;
        }
        size = info.displaySize();
    }

    PrintPreviewWindow window(layout, *printer, picture, miniature, size, prompts, parent);
    window.move(layout.savedWindowPosition());
    window.exec();
    return window.printed();
}

PrintPreviewWindow::PrintPreviewWindow(PrintLayout& layout, QPrinter& printer, PrintPicture picture,
                                       const QImage& miniature, QSize pictureSize,
                                       PromptService& prompts, QWidget* parent)
    : QDialog(parent), m_layout(layout), m_printer(printer), m_picture(std::move(picture)),
      m_prompts(prompts), m_run(std::make_unique<PrintRun>()) {
    setObjectName(QStringLiteral("PrintFrm"));
    setWindowTitle(QStringLiteral("Print Preview"));
    setProperty("helpPage", QStringLiteral("print.html"));
    buildWidgets(miniature);
    connectLayout();
    connect(m_run.get(), &PrintRun::progress, m_progress, &QProgressBar::setValue);
    connect(m_run.get(), &PrintRun::finished, this, &PrintPreviewWindow::printFinished);
    m_layout.load(pictureSize);
    m_preserve->setChecked(m_layout.preserveRatio());
}

PrintPreviewWindow::~PrintPreviewWindow() = default;

QLineEdit* PrintPreviewWindow::box(PrintBox which) const {
    return m_boxes[int(which)];
}

void PrintPreviewWindow::buildWidgets(const QImage& miniature) {
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("SSPanel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    const QSize panelSize = m_layout.panelSize();
    panel->setGeometry(kMargin, kMargin, panelSize.width(), panelSize.height());
    m_sheet = new PreviewSheet(panel);
    const QSize sheetSize = m_layout.sheetSize();
    m_sheet->setGeometry((panelSize.width() - sheetSize.width()) / 2,
                         (panelSize.height() - sheetSize.height()) / 2, sheetSize.width(),
                         sheetSize.height());
    m_sheet->setPicture(miniature);
    connect(m_sheet, &PreviewSheet::dropped, this,
            [this](QPointF point) { m_layout.dropAt(point); });

    // The three buttons under the panel, as wide as it.
    auto button = [this, panelSize](const QString& caption, const char* name, int index) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(kMargin, 2 * kMargin + panelSize.height() + index * (kButtonHeight + 6),
                       panelSize.width(), kButtonHeight);
        return b;
    };
    m_settingsButton = button(QStringLiteral("Print Settings"), "SSCommand3", 0);
    m_printButton = button(QStringLiteral("&Print"), "SSCommand2", 1);
    m_cancelButton = button(QStringLiteral("&Cancel"), "SSCommand1", 2);
    m_printButton->setDefault(true);
    connect(m_settingsButton, &QPushButton::clicked, this,
            &PrintPreviewWindow::showPrinterSettings);
    connect(m_printButton, &QPushButton::clicked, this, &PrintPreviewWindow::printPicture);
    connect(m_cancelButton, &QPushButton::clicked, this, &PrintPreviewWindow::reject);

    QWidget* right = buildInfoAndBoxes();
    const int rightLeft = 2 * kMargin + panelSize.width() + 4;
    QSize size = m_layout.windowSize();
    right->adjustSize();
    size = size.expandedTo(
        QSize(rightLeft + right->sizeHint().width() + kMargin,
              std::max(m_cancelButton->geometry().bottom(), right->sizeHint().height()) + kMargin));
    right->setGeometry(rightLeft, kMargin, size.width() - rightLeft - kMargin,
                       size.height() - 2 * kMargin);
    setFixedSize(size);
}

QWidget* PrintPreviewWindow::buildInfoAndBoxes() {
    auto* right = new QWidget(this);
    auto* grid = new QGridLayout(right);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(4);
    int row = 0;
    auto info = [&](const QString& caption, QLabel* value, const QString& unit = {}) {
        grid->addWidget(new QLabel(caption, right), row, 0);
        if (unit.isEmpty()) {
            grid->addWidget(value, row, 1, 1, 3);
        } else {
            grid->addWidget(value, row, 1);
            grid->addWidget(new QLabel(unit, right), row, 2, 1, 2);
        }
        ++row;
    };
    QLabel* printerName = valueLabel("Label10", right);
    const QString name = m_layout.printerName();
    printerName->setText(fontMetrics().elidedText(name, Qt::ElideRight, 150));
    printerName->setToolTip(name);
    QLabel* dpi = valueLabel("DPI", right);
    dpi->setText(m_layout.resolutionText());
    QLabel* paper = valueLabel("Label17", right);
    paper->setText(m_layout.paperText());
    QLabel* orientation = valueLabel("Label13", right);
    orientation->setText(m_layout.orientationText());
    QLabel* copies = valueLabel("Label8", right);
    copies->setText(m_layout.copiesText());
    info(QStringLiteral("Printer:"), printerName);
    info(QStringLiteral("Print resolution:"), dpi, QStringLiteral("dpi"));
    info(QStringLiteral("Paper size:"), paper);
    info(QStringLiteral("Print orientation:"), orientation);
    info(QStringLiteral("Number of copie(s):"), copies);
    grid->setRowMinimumHeight(row++, 8);

    for (int i = 0; i <= int(PrintBox::Increment); ++i) {
        auto* edit = new QLineEdit(right);
        edit->setObjectName(QLatin1String(kBoxNames[i]));
        edit->setFixedWidth(96);
        edit->installEventFilter(this);
        m_boxes[i] = edit;
        const auto which = PrintBox(i);
        connect(edit, &QLineEdit::textEdited, this,
                [this, which](const QString& text) { m_layout.edit(which, text); });
        if (which == PrintBox::Increment) {
            grid->addWidget(new QLabel(QStringLiteral("Increment"), right), row, 0);
            grid->addWidget(edit, row, 1);
            grid->addWidget(new QLabel(QStringLiteral("dot(s)"), right), row++, 2, 1, 2);
            break;
        }
        grid->addWidget(new QLabel(QLatin1String(kBoxCaptions[i]), right), row, 0);
        grid->addWidget(edit, row, 1);
        auto* spin = new PrintSpinButton(QStringLiteral("SpinButton%1").arg(i + 1), right);
        connect(spin, &PrintSpinButton::up, this, [this, which] { m_layout.spinUp(which); });
        connect(spin, &PrintSpinButton::down, this, [this, which] { m_layout.spinDown(which); });
        grid->addWidget(spin, row++, 2);
    }
    m_preserve = new QCheckBox(QStringLiteral("Preserve aspect ratio"), right);
    m_preserve->setObjectName(QStringLiteral("Check2"));
    connect(m_preserve, &QCheckBox::clicked, this,
            [this](bool on) { m_layout.setPreserveRatio(on); });
    grid->addWidget(m_preserve, row++, 0, 1, 4);
    m_progress = new QProgressBar(right);
    m_progress->setObjectName(QStringLiteral("PrintProgress"));
    m_progress->setRange(0, 100);
    m_progress->hide();
    grid->addWidget(m_progress, row++, 0, 1, 4);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(3, 1);
    return right;
}

void PrintPreviewWindow::connectLayout() {
    m_layout.boxRewritten = [this](PrintBox which) {
        QLineEdit* edit = box(which);
        if (edit->text() != m_layout.text(which))
            edit->setText(m_layout.text(which));
    };
    m_layout.sheetChanged = [this] { m_sheet->setPictureRect(m_layout.sheetRect()); };
}

bool PrintPreviewWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress)
        if (auto* edit = qobject_cast<QLineEdit*>(watched))
            return keyForBox(edit, static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

bool PrintPreviewWindow::keyForBox(QLineEdit* edit, QKeyEvent* key) {
    // Enter stays in the box: it would otherwise press "&Print".
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        return true;
    const QString typed = key->text();
    if (edit == box(PrintBox::Increment) || typed.size() != 1 || typed[0] < QLatin1Char('0') ||
        typed[0] > QLatin1Char('9'))
        return false;
    QString prospective = edit->text();
    if (edit->hasSelectedText())
        prospective.replace(edit->selectionStart(), edit->selectedText().size(), typed);
    else
        prospective.insert(edit->cursorPosition(), typed);
    if (m_layout.acceptsDigit(prospective))
        return false;
    m_prompts.beep();
    return true;
}

void PrintPreviewWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_printButton->setFocus();
}

void PrintPreviewWindow::showPrinterSettings() {
    m_prompts.printerSettings(m_printer);
}

void PrintPreviewWindow::printPicture() {
    if (m_run->running())
        return;
    const QRectF target = m_layout.pageRect();
    if (std::lround(target.width()) < 1 || std::lround(target.height()) < 1) {
        // A page with nothing on it would only waste paper.
        m_prompts.msgBox(QStringLiteral("Width and Height must each be at least 1 dot."),
                         MsgIcon::Exclamation, QStringLiteral("WARNING"));
        return;
    }
    if (m_printer.outputFormat() == QPrinter::PdfFormat && m_printer.outputFileName().isEmpty()) {
        FileDialogRequest request;
        request.title = QStringLiteral("Print To PDF File");
        request.filter = QStringLiteral("PDF Files (*.pdf)|*.pdf");
        request.initialDir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        request.fileName = QFileInfo(m_picture.path.isEmpty() ? m_picture.title() : m_picture.path)
                               .completeBaseName() +
                           QStringLiteral(".pdf");
        request.defaultExt = QStringLiteral("pdf");
        request.confirmOverwrite = true;
        const QString path = m_prompts.saveFile(request);
        if (path.isEmpty())
            return;
        m_printer.setOutputFileName(path);
    }
    std::shared_ptr<PageOutput> output = OutputFor(m_printer, m_picture.title());
    const bool dither = m_layout.dither();
    setPrinting(true);
    m_run->start([output, picture = m_picture, target, dither](const PrintProgress& progress) {
        return PrintPictureOn(*output, picture, target, dither, progress);
    });
}

void PrintPreviewWindow::setPrinting(bool printing) {
    // The busy pointer for as long as the job runs, across the event loop.
    if (printing)
        m_busy = std::make_unique<BusyGuard>(m_prompts);
    else
        m_busy.reset();
    setWindowTitle(printing ? QStringLiteral("BUSY: Printing...")
                            : QStringLiteral("Print Preview"));
    for (QLineEdit* edit : m_boxes)
        edit->setEnabled(!printing);
    m_preserve->setEnabled(!printing);
    m_sheet->setEnabled(!printing);
    m_settingsButton->setEnabled(!printing);
    m_printButton->setEnabled(!printing);
    m_cancelButton->setText(printing ? QStringLiteral("&Stop") : QStringLiteral("&Cancel"));
    m_progress->setValue(0);
    m_progress->setVisible(printing);
}

void PrintPreviewWindow::printFinished(const PrintOutcome& outcome) {
    setPrinting(false);
    if (outcome.stopped)
        return; // nothing was printed; the window stays for another try
    if (!outcome.error.isEmpty()) {
        m_prompts.beep();
        m_prompts.msgBox(outcome.error, MsgIcon::Critical,
                         QStringLiteral("UNEXPECTED ERROR!  (PrintFrm: SSCommand2_Click"));
    } else {
        m_printed = true;
    }
    accept();
}

void PrintPreviewWindow::done(int result) {
    if (!m_positionSaved) {
        m_positionSaved = true;
        m_layout.saveWindowPosition(pos());
    }
    QDialog::done(result);
}

void PrintPreviewWindow::reject() {
    if (m_run->running()) {
        m_run->stop();
        return;
    }
    QDialog::reject();
}

void PrintPreviewWindow::closeEvent(QCloseEvent* event) {
    if (m_run->running()) {
        m_run->stop();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace q32
