#include "album/ui/AddImagesWindow.h"

#include "album/addimages/AddImagesController.h"
#include "album/addimages/AddImagesList.h"
#include "album/addimages/AddImagesRun.h"
#include "album/addimages/AddImagesScanner.h"
#include "album/addimages/AddImagesSearch.h"
#include "album/filebrowser/FileBrowserPatterns.h"
#include "album/ui/AddImagesPreview.h"
#include "album/ui/AddImagesScannerDialog.h"
#include "common/ProgramState.h"
#include "common/Settings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStringListModel>
#include <QUrl>
#include <QVBoxLayout>

namespace q32 {
namespace {

// The type boxes in their fixed layout (box numbers follow the pattern table).
constexpr int kBoxOrder[] = {22, 21, 20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9,
                             8,  7,  6,  5,  4,  3,  2,  1,  23, 24, 0,  25, 26, 27};

QPushButton* button(const QString& caption, const QString& name, const QString& tip,
                    QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

} // namespace

AddImagesWindow::AddImagesWindow(ProgramState& state, Settings& settings, PromptService& prompts,
                                 const QString& albumPath, QWidget* parent)
    : QDialog(parent), m_state(state), m_settings(settings), m_prompts(prompts),
      m_controller(new AddImagesController(state, settings, prompts, this)) {
    setObjectName(QStringLiteral("AddImages"));
    setWindowTitle(QStringLiteral("Add Images to Depository"));
    setProperty("helpPage", QStringLiteral("add-images.html"));
    setModal(true);
    m_controller->setAlbumPath(albumPath);
    buildWidgets();
    connectController();
}

AddImagesWindow::~AddImagesWindow() = default;

void AddImagesWindow::buildWidgets() {
    m_folderLabel = new QLabel(this);
    m_folderLabel->setObjectName(QStringLiteral("Label9"));
    m_folderLabel->setFrameShape(QFrame::Panel);
    m_folderLabel->setFrameShadow(QFrame::Sunken);
    m_folderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_fileBox = new QListView(this);
    m_fileBox->setObjectName(QStringLiteral("File1"));
    m_fileBox->setModel(m_controller->folderFiles());
    m_fileBox->setSelectionModel(m_controller->folderSelection());
    m_fileBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_fileBox->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_fileBox->setUniformItemSizes(true);

    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setModel(m_controller->list());
    m_list->setSelectionModel(m_controller->listSelection());
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setUniformItemSizes(true);
    m_list->setAcceptDrops(true);
    m_list->viewport()->setAcceptDrops(true);
    m_list->viewport()->installEventFilter(this);
    m_list->setToolTip(QStringLiteral("Drop picture files and folders here"));

    auto* patternLabel = new QLabel(QStringLiteral("File To Search For:"), this);
    patternLabel->setObjectName(QStringLiteral("Label8"));
    m_patternBox = new QLineEdit(this);
    m_patternBox->setObjectName(QStringLiteral("Text2"));
    patternLabel->setBuddy(m_patternBox);

    m_select = button(QStringLiteral("S&elect"), QStringLiteral("SSCommand1"),
                      QStringLiteral("Select Current Image File"), this);
    m_selectAll = button(QStringLiteral("Select &All"), QStringLiteral("Command3D2"),
                         QStringLiteral("Select All Image Files"), this);
    m_add = button(QStringLiteral("&Add"), QStringLiteral("Command3D4"),
                   QStringLiteral("Add Selected Images to Database"), this);
    m_cancel = button(QStringLiteral("&Cancel"), QStringLiteral("Command3D3"),
                      QStringLiteral("Abort Adding Images"), this);
    m_scan = button(QString(), QStringLiteral("SSCommand2"),
                    QStringLiteral("Import Image From Scanner"), this);
    m_scan->setIcon(QIcon::fromTheme(QStringLiteral("scanner-symbolic")));
    m_scan->setText(QStringLiteral("Scanner"));
    m_scanSettings = button(QStringLiteral("..."), QStringLiteral("ScannerSettings"),
                            QStringLiteral("Scanner, Source and Resolution"), this);
    m_search[0] = button(AddImagesSearch::idleCaption(0), QStringLiteral("SSCommand3_0"),
                         QStringLiteral("Search Files From Current Path"), this);
    m_search[1] = button(AddImagesSearch::idleCaption(1), QStringLiteral("SSCommand3_1"),
                         QStringLiteral("Scan Entire Drive"), this);
    m_recursive = new QCheckBox(QStringLiteral("Recursive"), this);
    m_recursive->setObjectName(QStringLiteral("SSCheck2"));
    m_skipDuplicates = new QCheckBox(QStringLiteral("Skip pictures already in the album"), this);
    m_skipDuplicates->setObjectName(QStringLiteral("SkipDuplicates"));
    m_skipDuplicates->setToolTip(
        QStringLiteral("Do not add a file whose picture is already stored, byte for byte"));
    m_clearList = button(QStringLiteral("&Clear All Selection"), QStringLiteral("SSCommand4"),
                         QString(), this);
    m_retain =
        button(QStringLiteral("&Retain Selected"), QStringLiteral("SSCommand5"), QString(), this);
    m_changeFolder = button(QStringLiteral("Change Image Folder"), QStringLiteral("SSCommand6"),
                            QString(), this);

    m_preview = new AddImagesPreview(this);
    m_preview->setFixedSize(244, 184);

    auto* details = new QGridLayout;
    const QString captions[4] = {QStringLiteral("Image Type:"), QStringLiteral("File size:"),
                                 QStringLiteral("Resolution:"), QStringLiteral("Color depth:")};
    const QString names[4] = {QStringLiteral("Text1"), QStringLiteral("Label5"),
                              QStringLiteral("Label6"), QStringLiteral("Label7")};
    QLabel* fields[4];
    for (int i = 0; i < 4; ++i) {
        details->addWidget(new QLabel(captions[i], this), i, 0);
        fields[i] = new QLabel(this);
        fields[i]->setObjectName(names[i]);
        fields[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        fields[i]->setWordWrap(true);
        details->addWidget(fields[i], i, 1);
        m_detailLabels << fields[i];
    }
    m_typeText = fields[0];
    m_sizeText = fields[1];
    m_resolutionText = fields[2];
    m_depthText = fields[3];
    clearDetails();

    m_scanProgress = new QProgressBar(this);
    m_scanProgress->setObjectName(QStringLiteral("ScanProgress"));
    m_scanProgress->setFormat(QStringLiteral("Scanning... %p%"));
    m_scanProgress->hide();

    auto* types = new QGroupBox(QStringLiteral("File Types"), this);
    auto* typeGrid = new QGridLayout(types);
    const QList<TypeBox>& boxes = TypeBoxes(TypeBoxSet::AddImages);
    m_typeBoxes.resize(boxes.size());
    constexpr int kColumns = 7;
    // Today's kinds follow in their own order.
    QList<int> order(std::begin(kBoxOrder), std::end(kBoxOrder));
    for (int box = int(std::size(kBoxOrder)); box < boxes.size(); ++box)
        order << box;
    for (int place = 0; place < order.size(); ++place) {
        const int box = order[place];
        auto* check = new QCheckBox(boxes[box].caption, types);
        check->setObjectName(QStringLiteral("SSCheck1_%1").arg(box));
        typeGrid->addWidget(check, place / kColumns, place % kColumns);
        connect(check, &QCheckBox::clicked, this,
                [this, box](bool on) { m_controller->typeBoxClicked(box, on); });
        m_typeBoxes[box] = check;
    }

    // Left: the folder's files; middle: the list to add; right: the preview and the commands.
    auto* left = new QVBoxLayout;
    left->addWidget(m_fileBox, 1);
    left->addWidget(patternLabel);
    left->addWidget(m_patternBox);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(m_search[0]);
    searchRow->addWidget(m_search[1]);
    searchRow->addWidget(m_recursive);
    left->addLayout(searchRow);
    left->addWidget(m_changeFolder);

    auto* middle = new QVBoxLayout;
    middle->addWidget(m_list, 1);
    auto* listRow1 = new QHBoxLayout;
    listRow1->addWidget(m_select);
    listRow1->addWidget(m_selectAll);
    auto* listRow2 = new QHBoxLayout;
    listRow2->addWidget(m_clearList);
    listRow2->addWidget(m_retain);
    middle->addLayout(listRow1);
    middle->addLayout(listRow2);

    auto* rightPanel = new QWidget(this);
    rightPanel->setFixedWidth(260);
    auto* right = new QVBoxLayout(rightPanel);
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(m_preview, 0, Qt::AlignHCenter);
    right->addLayout(details);
    right->addWidget(m_scanProgress);
    right->addStretch(1);
    auto* scanRow = new QHBoxLayout;
    scanRow->addWidget(m_scan, 1);
    scanRow->addWidget(m_scanSettings);
    right->addLayout(scanRow);
    right->addWidget(m_skipDuplicates);
    right->addWidget(m_add);
    right->addWidget(m_cancel);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 3);
    columns->addLayout(middle, 4);
    columns->addWidget(rightPanel, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_folderLabel);
    layout->addLayout(columns, 1);
    layout->addWidget(types);
    // Rows of type boxes beyond the window's first four make it taller by as much, so everything
    // above them stays in its place.
    const int extraRows = (int(order.size()) + kColumns - 1) / kColumns - 4;
    const int rowStep =
        m_typeBoxes[0]->sizeHint().height() + std::max(0, typeGrid->verticalSpacing());
    resize(940, 640 + std::max(0, extraRows) * rowStep);

    connect(m_fileBox, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (m_controller->loaded())
            m_controller->showImageInfo(m_controller->folderFilePath(index.row()));
    });
    connect(m_fileBox, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        if (m_controller->loaded())
            m_controller->addFolderFile(index.row());
    });
    connect(m_list, &QListView::clicked, this,
            [this](const QModelIndex& index) { m_controller->showListEntry(index.row()); });
    connect(m_list, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { m_controller->removeEntry(index.row()); });
    connect(m_patternBox, &QLineEdit::textChanged, m_controller,
            &AddImagesController::setPatternText);
    connect(m_select, &QPushButton::clicked, m_controller, &AddImagesController::addSelectedFiles);
    connect(m_selectAll, &QPushButton::clicked, m_controller, &AddImagesController::addAllFiles);
    connect(m_clearList, &QPushButton::clicked, m_controller, &AddImagesController::clearList);
    connect(m_retain, &QPushButton::clicked, m_controller, &AddImagesController::retainSelected);
    connect(m_changeFolder, &QPushButton::clicked, m_controller,
            &AddImagesController::changeFolder);
    connect(m_recursive, &QCheckBox::clicked, m_controller, &AddImagesController::setRecursive);
    connect(m_skipDuplicates, &QCheckBox::clicked, m_controller,
            &AddImagesController::setSkipDuplicates);
    connect(m_add, &QPushButton::clicked, this, [this] { m_controller->run().start(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_controller->cancel(); });
    connect(m_scan, &QPushButton::clicked, this, [this] { m_controller->scanner().scan(); });
    connect(m_scanSettings, &QPushButton::clicked, this, &AddImagesWindow::scannerSettings);
    for (int b = 0; b < 2; ++b)
        connect(m_search[b], &QPushButton::clicked, this,
                [this, b] { m_controller->search().click(b); });
}

void AddImagesWindow::connectController() {
    AddImagesController* c = m_controller;
    connect(c, &AddImagesController::titleChanged, this, &QWidget::setWindowTitle);
    connect(c, &AddImagesController::folderLabelChanged, m_folderLabel, &QLabel::setText);
    connect(c, &AddImagesController::recursiveChanged, m_recursive, &QCheckBox::setChecked);
    connect(c, &AddImagesController::skipDuplicatesChanged, m_skipDuplicates,
            &QCheckBox::setChecked);
    connect(c, &AddImagesController::typeBoxesChanged, this, [this] {
        for (int b = 0; b < m_typeBoxes.size(); ++b)
            m_typeBoxes[b]->setChecked(m_controller->typeBoxes().value(b));
    });
    connect(c, &AddImagesController::detailsShown, this, &AddImagesWindow::showDetails);
    connect(c, &AddImagesController::detailsHidden, this, [this] { clearDetails(); });
    connect(c, &AddImagesController::previewRequested, m_preview, &AddImagesPreview::showPicture);
    connect(c, &AddImagesController::previewHidden, m_preview, &AddImagesPreview::hidePicture);
    connect(c, &AddImagesController::selectAllEnabled, m_selectAll, &QWidget::setEnabled);
    connect(c, &AddImagesController::closeRequested, this, &AddImagesWindow::finish);

    AddImagesRun& run = c->run();
    connect(&run, &AddImagesRun::buttonsEnabled, this, &AddImagesWindow::setListButtonsEnabled);
    connect(&run, &AddImagesRun::selectAllCaption, m_selectAll, &QPushButton::setText);
    connect(&run, &AddImagesRun::entrySelected, this,
            [this](int row) { m_list->scrollTo(m_controller->list()->index(row)); });

    AddImagesSearch& search = c->search();
    connect(&search, &AddImagesSearch::captionChanged, this,
            [this](int b, const QString& caption) { m_search[b]->setText(caption); });
    connect(&search, &AddImagesSearch::runningChanged, this, &AddImagesWindow::searchRunning);

    AddImagesScanner& scanner = c->scanner();
    connect(&scanner, &AddImagesScanner::runningChanged, this, [this](bool running) {
        m_scan->setEnabled(!running);
        m_scanSettings->setEnabled(!running);
        m_add->setEnabled(!running);
        m_scanProgress->setVisible(running);
    });
    connect(&scanner, &AddImagesScanner::progress, this, [this](int percent) {
        m_scanProgress->setRange(0, percent < 0 ? 0 : 100); // unknown length: a busy bar
        if (percent >= 0)
            m_scanProgress->setValue(percent);
    });
}

void AddImagesWindow::load(const QStringList& pictures) {
    move(m_settings.integer(QLatin1String(section::AddImages), QStringLiteral("Left")),
         m_settings.integer(QLatin1String(section::AddImages), QStringLiteral("Top")));
    m_controller->load(pictures);
}

AddImagesResult AddImagesWindow::showModal(const QStringList& pictures) {
    load(pictures);
    exec();
    return {m_controller->run().albumRows()};
}

void AddImagesWindow::showDetails(const ImageDetails& details) {
    m_typeText->setText(details.type);
    m_sizeText->setText(details.size);
    m_resolutionText->setText(details.resolution);
    m_depthText->setText(details.colours);
}

void AddImagesWindow::clearDetails() {
    // Emptied rather than hidden, so the window's layout does not jump.
    for (QLabel* l : m_detailLabels)
        l->clear();
}

void AddImagesWindow::setListButtonsEnabled(bool on) {
    for (QWidget* w : {static_cast<QWidget*>(m_select), static_cast<QWidget*>(m_scan),
                       static_cast<QWidget*>(m_selectAll), static_cast<QWidget*>(m_add),
                       static_cast<QWidget*>(m_clearList), static_cast<QWidget*>(m_retain),
                       static_cast<QWidget*>(m_search[0]), static_cast<QWidget*>(m_search[1]),
                       static_cast<QWidget*>(m_scanSettings)})
        w->setEnabled(on);
}

void AddImagesWindow::searchRunning(bool running) {
    // While the list fills, only "Stop" (the clicked button) and the folder view stay live.
    for (QWidget* w : {static_cast<QWidget*>(m_select), static_cast<QWidget*>(m_selectAll),
                       static_cast<QWidget*>(m_add), static_cast<QWidget*>(m_clearList),
                       static_cast<QWidget*>(m_retain)})
        w->setEnabled(!running);
    for (int b = 0; b < 2; ++b)
        m_search[b]->setEnabled(!running ||
                                m_controller->search().caption(b) == QLatin1String("Stop"));
}

void AddImagesWindow::scannerSettings() {
    AddImagesScannerDialog dialog(m_controller->scanner().savedSettings(), this);
    if (dialog.exec() == QDialog::Accepted)
        m_controller->scanner().saveSettings(dialog.settings());
}

bool AddImagesWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (drag->mimeData()->hasUrls() && m_add->isEnabled()) {
                drag->acceptProposedAction();
                return true;
            }
            break;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            QStringList paths;
            for (const QUrl& url : drop->mimeData()->urls())
                if (url.isLocalFile())
                    paths << url.toLocalFile();
            drop->acceptProposedAction();
            m_controller->addDropped(paths);
            return true;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void AddImagesWindow::savePosition() {
    m_settings.RegPutString(QLatin1String(section::AddImages), QStringLiteral("Left"),
                            QString::number(x()));
    m_settings.RegPutString(QLatin1String(section::AddImages), QStringLiteral("Top"),
                            QString::number(y()));
}

void AddImagesWindow::finish() {
    m_finishing = true;
    savePosition();
    accept();
}

void AddImagesWindow::closeEvent(QCloseEvent* event) {
    if (m_finishing || m_controller->closeBoxClicked()) {
        savePosition();
        event->accept();
        return;
    }
    event->ignore(); // the add run stops after its current item and closes the window itself
}

void AddImagesWindow::reject() {
    m_controller->cancel();
}

} // namespace q32
