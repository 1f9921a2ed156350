#include "shell/MainWindow.h"

#include "album/AlbumMedia.h"
#include "album/FormatTable.h"
#include "album/ui/AddImagesStartup.h"
#include "album/ui/AddImagesWindow.h"
#include "common/AppPaths.h"
#include "common/PrivateFiles.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "common/SharedServices.h"
#include "common/Text.h"
#include "common/WhenReady.h"
#include "gallery/ui/GalleryWindow.h"
#include "output/ContactSheetWindow.h"
#include "output/PrintPreviewWindow.h"
#include "platform/player/VideoControl.h"
#include "platform/prompt/PromptService.h"
#include "platform/prompt/QtPromptService.h"
#include "shell/AboutWindow.h"
#include "shell/AlbumBrowser.h"
#include "shell/CaptionBand.h"
#include "shell/HelpService.h"
#include "shell/MaintenanceCommands.h"
#include "shell/PreviewPane.h"
#include "shell/PreviewPrefetcher.h"
#include "shell/RecentAlbums.h"
#include "shell/RecordGridModel.h"
#include "shell/RecordNavigation.h"
#include "shell/RecordWiring.h"
#include "shell/SimilarCommand.h"
#include "shell/ThumbnailPane.h"
#include "shell/ToolbarCustomizeDialog.h"
#include "shell/ViewerLink.h"
#include "viewer/FileBrowser.h"
#include "viewer/ui/FullPicture.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace q32 {
namespace {

// Colours are stored as one number: red + 256 * green + 65536 * blue.
QColor colourFromNumber(qint64 n) {
    return QColor(int(n & 0xff), int((n >> 8) & 0xff), int((n >> 16) & 0xff));
}
qint64 numberFromColour(const QColor& c) {
    return c.red() + 256 * c.green() + 65536 * c.blue();
}

constexpr int kGridLeft = 318;
constexpr int kGridTop = 28;
constexpr int kStatusHeight = 22;
constexpr int kMargin = 15; // right margin of the grid

// Readable grid columns on a first start, before the user has widened any.
constexpr int kFirstStartColumnWidths[] = {90, 0, 190, 200, 240, 170, 260};

// The record commands offered on the grid's context menu.
const QStringList kGridMenuTools = {QStringLiteral("ID_AddImages"),
                                    QStringLiteral("ID_DeleteImage"),
                                    QStringLiteral("-"),
                                    QStringLiteral("ID_ExportImage"),
                                    QStringLiteral("ID_AttachSound"),
                                    QStringLiteral("ID_ImageProcessing"),
                                    QStringLiteral("ID_PrintImage"),
                                    QStringLiteral("ID_FindSimilar"),
                                    QStringLiteral("-"),
                                    QStringLiteral("ID_StartSlideshow")};

// The commands that work on the current record.
const QStringList kRecordTools = {
    QStringLiteral("ID_AttachSound"), QStringLiteral("ID_ExportImage"),
    QStringLiteral("ID_DeleteImage"), QStringLiteral("ID_ImageProcessing")};

} // namespace

MainWindow::MainWindow(ProgramState& state, Settings& settings, PromptService& prompts,
                       QStringList arguments, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_settings(settings), m_prompts(prompts),
      m_arguments(std::move(arguments)) {
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Quillon 32"));
    setMinimumSize(720, 480);
    m_commandBar = new CommandBar(this);
    connect(m_commandBar, &CommandBar::toolClicked, this, &MainWindow::runCommand);
    buildWidgets();
    registerCommands();
    applyLayout(ToolLayout::factory());
}

MainWindow::~MainWindow() {
    PrivateFiles::remove();
}

void MainWindow::buildWidgets() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Client"));
    setCentralWidget(central);

    m_band = new CaptionBand(central);
    m_band->move(0, 0);
    connect(m_band, &CaptionBand::clearFilterClicked, this,
            [this] { runCommand(QStringLiteral("ID_ClearFilter")); });
    // Asked after the paint, never from inside it.
    connect(
        m_band, &CaptionBand::drawingFailed, this,
        [this] {
            // clang-format off
            m_prompts.msgBox(QStringLiteral("An error has occured in the drawing routine.  This is probably due to low memory"),
                             MsgIcon::None, QString());
            // clang-format on
        },
        Qt::QueuedConnection);

    m_preview = new PreviewPane(central);
    m_preview->setGeometry(8, kGridTop, 302, 244);
    connect(m_preview, &PreviewPane::pictureClicked, this, &MainWindow::openViewer);
    connect(m_preview, &PreviewPane::soundClicked, this, &MainWindow::toggleSound);
    // A record whose picture can't be shown says why in the status line.
    connect(m_preview, &PreviewPane::pictureFailed, this,
            [this](const RecordMedia& media, const QString& reason) {
                if (media.rowId != 0 && m_browser->album() &&
                    media.rowId == m_browser->media().rowId)
                    m_label2->setText(reason + QStringLiteral(" (") +
                                      m_state.record.CurrentImageFile + QLatin1Char(')'));
            });

    const QString navTips[4] = {QStringLiteral("First Image"), QStringLiteral("Previous Image"),
                                QStringLiteral("Next Image"), QStringLiteral("Last Image")};
    const QString navIcons[4] = {
        QStringLiteral("go-first-symbolic"), QStringLiteral("go-previous-symbolic"),
        QStringLiteral("go-next-symbolic"), QStringLiteral("go-last-symbolic")};
    const Step steps[4] = {Step::First, Step::Previous, Step::Next, Step::Last};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(CommandBar::iconFor(navIcons[i], navTips[i]), QString(), central);
        b->setObjectName(QStringLiteral("SSCommand2_%1").arg(i + 1));
        b->setToolTip(navTips[i]);
        b->setGeometry(8 + i * 44, kGridTop + 250, 40, 28);
        connect(b, &QPushButton::clicked, this, [this, step = steps[i]] { moveRecord(step); });
        m_navButtons[i] = b;
    }

    m_label2 = new QLabel(central);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setFrameShape(QFrame::Panel);
    m_label2->setFrameShadow(QFrame::Sunken);

    m_gridModel = new RecordGridModel(this);
    m_grid = new QTableView(central);
    m_grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    m_grid->setModel(m_gridModel);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setWordWrap(false);
    m_grid->horizontalHeader()->setMinimumSectionSize(0);
    // Fixed row heights keep a grid of 100,000 rows as quick as one of 100.
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->verticalHeader()->hide();
    m_grid->move(kGridLeft, kGridTop);
    m_grid->hide();
    // With no album open the grid says how to get one.
    m_noAlbumHint = new QLabel(
        QStringLiteral("No Image Depository is open.\n\n"
                       "To make one and fill it with your pictures, choose\n"
                       "File > Create New Image Depository.\n\n"
                       "To open one, choose File > Open Existing Image Depository... (Ctrl+O)."),
        m_grid->viewport());
    m_noAlbumHint->setObjectName(QStringLiteral("NoAlbumHint"));
    m_noAlbumHint->setAlignment(Qt::AlignCenter);
    m_noAlbumHint->setWordWrap(true);
    (new QVBoxLayout(m_grid->viewport()))->addWidget(m_noAlbumHint);
    connect(m_grid, &QTableView::clicked, this,
            [this](const QModelIndex& index) { selectRecord(index.row() + 1); });
    connect(m_grid, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.row() + 1 != m_state.album.CurrentRow)
            selectRecord(index.row() + 1);
        openViewer();
    });
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this, &MainWindow::showGridMenu);
    // Arrow keys and Page Up/Down move the current record as clicks do.
    m_grid->installEventFilter(this);

    m_browser = new AlbumBrowser(m_state, m_settings, m_prompts, this);
    m_browser->setPlayer(&m_preview->player());
    m_ahead = new PreviewPrefetcher(this);
    // Once the current picture is up, the ones around it are decoded while the window idles.
    connect(m_preview, &PreviewPane::pictureReady, this, &MainWindow::decodeNeighboursAhead,
            Qt::QueuedConnection);
    connectBrowser();
    m_thumbnails = new ThumbnailPane(*this, m_state, m_settings, central);
}

void MainWindow::decodeNeighboursAhead() {
    AlbumRecordset* rows = m_browser->recordset();
    AlbumDb* album = m_browser->album();
    if (!rows || !album || m_state.SlideshowRunning)
        return;
    const qint64 current = m_state.album.CurrentRow - 1;
    QList<qint64> ids;
    // The likeliest next step first.
    for (const qint64 offset : {1, -1, 2, -2}) {
        const auto record = rows->recordAt(current + offset);
        if (record && AlbumBrowser::mediaKindOf(record->imageFormat) == MediaKind::Still)
            ids << record->rowId;
    }
    m_ahead->prefetch(ids, m_preview->frameSize(), album->changeStamp());
}

void MainWindow::showGridMenu(const QPoint& pos) {
    const QModelIndex index = m_grid->indexAt(pos);
    if (index.isValid() && index.row() + 1 != m_state.album.CurrentRow)
        selectRecord(index.row() + 1);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("GridMenu"));
    for (const QString& id : kGridMenuTools) {
        if (id == QLatin1String("-"))
            menu.addSeparator();
        else if (QAction* action = m_commandBar->tool(id))
            menu.addAction(action);
    }
    menu.exec(m_grid->viewport()->mapToGlobal(pos));
}

void MainWindow::connectBrowser() {
    AlbumBrowser* b = m_browser;
    connect(b, &AlbumBrowser::titleChanged, this, [this](const QString& title) {
        setWindowTitle(title + QStringLiteral(" - Quillon 32"));
    });
    connect(b, &AlbumBrowser::recordsetReset, this, [this] {
        m_gridModel->setRecordset(m_browser->recordset());
        m_grid->setColumnWidth(1, 0);
        m_ahead->setAlbum(m_state.album.OpenAlbumPath, m_state.album.AlbumPassword);
    });
    connect(b, &AlbumBrowser::previewHidden, m_preview, &PreviewPane::hidePreview);
    connect(b, &AlbumBrowser::recordShown, this, [this](const RecordMedia& media) {
        m_label2->setText(m_state.record.CurrentDescription);
        selectGridRow(m_state.album.CurrentRow);
        if (m_viewer)
            return; // the viewer shows the record and plays its sound
        std::optional<PreviewPrefetcher::Picture> ahead;
        if (media.kind == MediaKind::Still && m_browser->album())
            ahead = m_ahead->picture(media.rowId, m_preview->frameSize(),
                                     m_browser->album()->changeStamp());
        m_preview->showMedia(media, ahead);
        if (m_state.options.AutoSound && media.kind != MediaKind::Video) {
            m_browser->playCurrentSound(m_preview->player());
            m_preview->setSoundPlaying(true);
            m_state.SoundPlaying = true;
        }
    });
    connect(b, &AlbumBrowser::recordCleared, this, [this] {
        m_label2->clear();
        m_preview->hidePreview();
        m_preview->showMedia(RecordMedia{});
    });
    connect(b, &AlbumBrowser::filterToolChanged, this,
            [this](const QString& pictureOf, const QString& tip) {
                m_commandBar->setPictureAndTip(QStringLiteral("ID_DropDownFilters"), pictureOf,
                                               tip);
            });
    connect(b, &AlbumBrowser::recentEntriesChanged, this, [this](const RecentEntries& entries) {
        for (int n = 4; n >= 1; --n)
            setRecentEntry(n, entries[n - 1]);
    });
    connect(b, &AlbumBrowser::recordToolsChanged, this, &MainWindow::enableRecordTools);
    // Find Similar follows the current record: off for a clip.
    for (auto changed : {&AlbumBrowser::recordCleared, &AlbumBrowser::recordsetReset})
        connect(b, changed, this, [this] { UpdateFindSimilarTool(*m_commandBar, *m_browser); });
    connect(b, &AlbumBrowser::recordShown, this,
            [this] { UpdateFindSimilarTool(*m_commandBar, *m_browser); });
    connect(b, &AlbumBrowser::captionChanged, this, &MainWindow::refreshCaption);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        // Looked at once the grid has moved its current row for the key.
        QTimer::singleShot(0, this, [this] {
            const QModelIndex current = m_grid->currentIndex();
            if (current.isValid() && current.row() + 1 != m_state.album.CurrentRow)
                selectRecord(current.row() + 1);
        });
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::selectGridRow(qint64 row) {
    if (row < 1 || row > m_gridModel->rowCount())
        return;
    const QModelIndex index = m_gridModel->index(int(row - 1), 2);
    m_grid->setCurrentIndex(index);
    m_grid->selectRow(int(row - 1));
    m_grid->scrollTo(index);
}

void MainWindow::selectRecord(qint64 row) {
    BusyGuard busy(m_prompts);
    m_preview->hidePreview();
    m_state.album.CurrentRow = row;
    m_browser->showCurrentRecord();
    refreshCaption();
}

void MainWindow::moveRecord(Step step) {
    const QModelIndex current = m_grid->currentIndex();
    const qint64 gridRow = current.isValid() ? current.row() + 1 : m_state.album.CurrentRow;
    // Past either end the current record stays shown.
    const auto target = stepTarget(step, gridRow, m_state.album.RecordCount);
    if (!target)
        return;
    BusyGuard busy(m_prompts);
    m_preview->hidePreview();
    m_state.album.CurrentRow = *target;
    selectGridRow(*target);
    m_browser->showCurrentRecord();
}

void MainWindow::toggleSound() {
    m_state.SoundPlaying = !m_state.SoundPlaying;
    if (m_state.SoundPlaying) {
        m_browser->playCurrentSound(m_preview->player());
    } else {
        m_preview->player().stop();
        m_preview->player().close();
    }
    m_preview->setSoundPlaying(m_state.SoundPlaying);
}

void MainWindow::registerCommands() {
    auto& d = m_dispatcher;
    d.setAfterCommand([this] {
        m_state.StatusWord = 0;
        // A command still working off this thread (the editor, an export) keeps its busy caption.
        if (!records().busy())
            refreshCaption();
    });
    for (int n = 1; n <= 4; ++n)
        d.add(QStringLiteral("ID_DBFile%1").arg(n), [this, n] { openRecentAlbum(n); });
    d.add(QStringLiteral("ID_OpenAlbum"), [this] { m_browser->chooseAlbumToOpen(); });
    d.add(QStringLiteral("ID_Set/ChangePassword"), [this] { m_browser->setOrChangePassword(); });
    // Sorting by date ascending never asks; the others ask for their filter text.
    for (int order = 0; order < SortOrderCount; ++order)
        d.add(QLatin1String(AlbumBrowser::kSortTools[order]),
              [this, order] { m_browser->sortImages(order, order == DateAscending); });
    d.add(QStringLiteral("ID_DropDownFilters"), [this] { m_browser->nextSortOrder(); });
    // The status band's button.
    d.add(QStringLiteral("ID_ClearFilter"), [this] { m_browser->clearFilter(); });
    d.add(QStringLiteral("ID_FindSimilar"), [this] {
        RunFindSimilar(*m_browser, m_prompts, m_settings, m_state.album.AlbumPassword, this);
    });

    // Option tools copy their checked state into the program-wide flags.
    for (const char* id : {"ID_AudioCDAutoStart", "ID_AutoSound", "ID_RandomImages",
                           "ID_RandomWipes", "ID_OpeningScreen", "ID_ViewFit", "ID_ViewNormal",
                           "ID_CompressStorage", "ID_NativeStorage", "ID_DateTakenFromPhoto"})
        d.add(QLatin1String(id), [this] { updateOptionFlags(); });

    d.add(QStringLiteral("ID_ImageBackColor"), [this] { chooseImageBackColor(); });
    d.add(QStringLiteral("ID_PrintSetup"), [this] { m_prompts.printSetup(); });
    d.add(QStringLiteral("ID_PrintImage"), [this] { printCurrentImage(); });
    d.add(QStringLiteral("ID_PrintContactSheet"), [this] { printContactSheet(); });
    d.add(QStringLiteral("ID_ExportWebGallery"), [this] {
        if (m_browser->album() && m_browser->recordset())
            ShowGalleryWindow(*m_browser->album(), m_browser->recordset()->query(), m_prompts,
                              this);
    });
    d.add(QStringLiteral("ID_CustomizeToolbar"), [this] { customizeToolbar(); });
    d.add(QStringLiteral("ID_DefaultToolbar"), [this] { restoreDefaultToolbar(); });
    d.add(QStringLiteral("ID_Exit"), [this] { close(); });
    d.add(QStringLiteral("ID_CreateNewAlbum"), [this] { createNewAlbum(); });
    d.add(QStringLiteral("ID_AddImages"), [this] { addImages(); });
    d.add(QStringLiteral("ID_BrowseFolder"), [this] { browseFolder(); });
    d.add(QStringLiteral("ID_ThumbnailView"), [this] {
        m_thumbnails->setOn(m_commandBar->checked(QStringLiteral("ID_ThumbnailView")));
    });
    registerViewerCommands();

    // Compaction and repair, the About window, and help (F1 on any window shows its page).
    AddMaintenanceCommands(*this, m_state, m_settings, m_prompts);
    d.add(QStringLiteral("ID_About"),
          [this] { AboutWindow::showModal(m_state, m_prompts, *m_commandBar, this); });
    setProperty("helpPage", QStringLiteral("main-window.html"));
    auto* help = new HelpService(m_prompts, this);
    d.add(QStringLiteral("ID_Contents"), [help] { help->showContents(); });
    m_records = new RecordWiring(*this, m_state, m_settings, m_prompts);
}

RecordCommands& MainWindow::records() {
    return m_records->commands();
}

void MainWindow::disableUnavailableTools() {
    for (const Tool& t : m_commandBar->snapshot().tools)
        if (t.kind != ToolKind::Menu && !m_dispatcher.has(t.id))
            m_commandBar->setUnavailable(
                t.id, QStringLiteral(" (not available yet: its window is still being built)"));
}

void MainWindow::applyLayout(const ToolLayout& layout) {
    m_commandBar->apply(layout);
    // The view's state is kept in the settings, not in the layout.
    m_thumbnails->syncTool();
    disableUnavailableTools();
    enablePrintTools();
    if (m_browser)
        UpdateFindSimilarTool(*m_commandBar, *m_browser);
}

void MainWindow::applyLayoutLater(const ToolLayout& layout) {
    QTimer::singleShot(0, this, [this, layout] {
        applyLayout(layout);
        updateOptionFlags();
        enableRecordTools();
        // Blank recent entries are no albums.
        for (int n = 1; n <= 4; ++n)
            setRecentEntry(n, m_commandBar->caption(QStringLiteral("ID_DBFile%1").arg(n)));
    });
}

void MainWindow::setRecentEntry(int n, const QString& entry) {
    const QString id = QStringLiteral("ID_DBFile%1").arg(n);
    m_commandBar->setCaption(id, entry);
    m_commandBar->setEnabled(id, IsAlbumEntry(entry));
}

void MainWindow::runCommand(const QString& toolId) {
    m_dispatcher.run(toolId);
}

void MainWindow::updateOptionFlags() {
    const CommandBar& bar = *m_commandBar;
    OptionFlags& o = m_state.options;
    o.AudioCDAutoStart = bar.checked(QStringLiteral("ID_AudioCDAutoStart"));
    o.AutoSound = bar.checked(QStringLiteral("ID_AutoSound"));
    o.RandomImages = bar.checked(QStringLiteral("ID_RandomImages"));
    o.RandomWipes = bar.checked(QStringLiteral("ID_RandomWipes"));
    o.ViewFit = bar.checked(QStringLiteral("ID_ViewFit"));
    o.CompressStorage = bar.checked(QStringLiteral("ID_CompressStorage"));
    o.DateTakenFromPhoto = bar.checked(QStringLiteral("ID_DateTakenFromPhoto"));
    o.OpeningScreen = bar.checked(QStringLiteral("ID_OpeningScreen"));
}

void MainWindow::startUp() {
    // The program folder, with the shipped files copied in on first use; it and the settings
    // are the user's alone. Files a run that was killed handed to a program outside go.
    m_state.AppDir = ComputeAppDir();
    CopyShippedFiles(m_state.AppDir);
    KeepPrivate(m_state.AppDir, true);
    KeepPrivate(QFileInfo(m_settings.filePath()).absolutePath(), true);
    PrivateFiles::removeLeftovers();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        m_state.ScreenWidthPixels = screen->size().width();
        m_state.ScreenHeightPixels = screen->size().height();
    }

    // The toolbar layout saved at the last exit; the factory layout stays when there is none.
    // Tools added since it was saved join it.
    if (auto layout = ToolLayout::load(m_state.AppDir + QStringLiteral("Database.atb"))) {
        layout->addMissingTools(ToolLayout::factory());
        applyLayout(*layout);
    }
    for (int n = 1; n <= 4; ++n)
        setRecentEntry(n, m_commandBar->caption(QStringLiteral("ID_DBFile%1").arg(n)));

    // The option flags follow the tools' checked states.
    updateOptionFlags();
    if (m_dispatcher.has(QStringLiteral("ID_AddImages")))
        m_commandBar->setEnabled(QStringLiteral("ID_AddImages"), true);
    // Geometry, in the order Left, Top, Width, Height; never below the minimum size. Placed
    // before any window of ours is made: the opening screen makes the main window's own, and a
    // move after that places the client area, not the frame, at Left and Top.
    move(m_settings.integer(QLatin1String(section::Main), QStringLiteral("Left")),
         m_settings.integer(QLatin1String(section::Main), QStringLiteral("Top")));
    resize(std::max(m_settings.integer(QLatin1String(section::Main), QStringLiteral("Width")),
                    minimumWidth()),
           std::max(m_settings.integer(QLatin1String(section::Main), QStringLiteral("Height")),
                    minimumHeight()));

    // The About window as the opening screen; start-up goes on once it has closed.
    if (m_state.options.OpeningScreen)
        AboutWindow::showModal(m_state, m_prompts, *m_commandBar, this);
    m_commandBar->setChecked(QStringLiteral("ID_OpeningScreen"), m_state.options.OpeningScreen);

    // The file browser's folder, always ending in "/"; a folder that is gone falls back to
    // AppDir.
    m_state.ThumbNailsDir = m_settings.RegGetString(QLatin1String(section::Directories),
                                                    QStringLiteral("ThumbNailsDir"));
    // Until a folder is chosen the browser starts where the pictures are, not at "/".
    if (m_state.ThumbNailsDir.isEmpty())
        m_state.ThumbNailsDir = firstBrowseFolder();
    if (!m_state.ThumbNailsDir.endsWith(QLatin1Char('/')))
        m_state.ThumbNailsDir += QLatin1Char('/');
    if (!QDir(m_state.ThumbNailsDir).exists())
        m_state.ThumbNailsDir = m_state.AppDir;

    m_selImgBackColor = colourFromNumber(qint64(
        m_settings.number(QLatin1String(section::Options), QStringLiteral("SelImgBackColor"))));
    m_state.FilesPattern = m_settings.RegGetString(QLatin1String(section::FilesParameters),
                                                   QStringLiteral("FilesPattern"));

    // The file browser, loaded hidden on ThumbNailsDir and FilesPattern.
    m_fileBrowser = new FileBrowser(m_state, m_settings, this);
    connect(m_fileBrowser, &FileBrowser::previewRequested, this, [this](const QString& path) {
        const QString tail = path.right(3).toLower();
        RecordMedia media;
        media.kind = tail == QLatin1String("gif") ? MediaKind::Gif
                     : IsClipFileName(path)       ? MediaKind::Video
                                                  : MediaKind::Still;
        media.path = path;
        m_preview->showMedia(media);
    });
    connect(m_fileBrowser, &FileBrowser::descriptionChanged, m_label2, &QLabel::setText);
    m_fileBrowser->load();

    // Large system fonts (120 dpi) move the preview frames.
    if (logicalDpiX() >= 120)
        m_preview->useLargeFontLayout();

    openAlbumFromArguments();

    // Column widths; column 1 is always hidden.
    restoreColumnWidths();
    m_grid->show();
    m_grid->setColumnWidth(1, 0);
    m_thumbnails->restore();
    refreshCaption();
}

QString MainWindow::firstBrowseFolder() const {
    const QString images = m_settings.RegGetString(QLatin1String(section::Directories),
                                                   QStringLiteral("AddImgFromDir"));
    if (!images.isEmpty() && QFileInfo(images).isDir())
        return images;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return pictures;
    return QDir::homePath();
}

void MainWindow::openAlbumFromArguments() {
    // A new album with "KORALTE", an album named on the command line, or recent entry 1.
    // Pictures named on the command line go to the Add Images window once the window shows.
    const StartupRequest request = ParseStartupArguments(m_arguments);
    if (request.newAlbum) {
        m_newAlbumPending = true;
        QTimer::singleShot(0, this, [this, pictures = request.pictures] {
            createNewAlbum(pictures);
            m_state.StatusWord = 0;
        });
        return;
    }
    // The pictures go into the album once the open has ended.
    auto addPictures = [this, pictures = request.pictures](bool) {
        if (!pictures.isEmpty())
            QTimer::singleShot(0, this, [this, pictures] {
                addImages(pictures);
                m_state.StatusWord = 0;
            });
    };
    if (!request.album.isEmpty())
        m_browser->openAlbum(request.album, addPictures);
    else
        openRecentAlbum(1, addPictures);
}

void MainWindow::restoreColumnWidths() {
    for (int n = 0; n < m_gridModel->columnCount(); ++n) {
        const QString stored = m_settings.RegGetString(QLatin1String(section::Grid),
                                                       QStringLiteral("Column%1").arg(n));
        // A first start has no widths yet: columns wide enough to read.
        const int width = stored.isEmpty() && n < int(std::size(kFirstStartColumnWidths))
                              ? kFirstStartColumnWidths[n]
                              : m_settings.integer(QLatin1String(section::Grid),
                                                   QStringLiteral("Column%1").arg(n));
        m_grid->setColumnWidth(n, width);
    }
}

void MainWindow::openRecentAlbum(int n, std::function<void(bool)> done) {
    // A factory caption names no album: a first start opens none and reports nothing.
    const QString entry = m_commandBar->caption(QStringLiteral("ID_DBFile%1").arg(n));
    if (!IsAlbumEntry(entry)) {
        if (done)
            done(false);
        return;
    }
    m_browser->openAlbum(entry, std::move(done));
}

void MainWindow::enableRecordTools() {
    const bool enabled = m_state.album.RecordCount >= 1;
    for (const QString& id : kRecordTools)
        if (m_dispatcher.has(id))
            m_commandBar->setEnabled(id, enabled);
    // The orders and filters follow the album, not the query: a filter that matches nothing
    // must leave the way out of it open.
    const bool sortable = enabled || (m_browser->album() && m_browser->album()->rowCount() > 0);
    for (const char* id : AlbumBrowser::kSortTools)
        if (m_dispatcher.has(QLatin1String(id)))
            m_commandBar->setEnabled(QLatin1String(id), sortable);
    enablePrintTools();
    UpdateFindSimilarTool(*m_commandBar, *m_browser);
}

// The print tools need a record, the web gallery an album; while they are off their tips say why.
void MainWindow::enablePrintTools() {
    const bool hasRecord = m_state.album.RecordCount >= 1;
    const QString noRecord = QStringLiteral(" (no current image: open a Depository with pictures)");
    const QString noAlbum = QStringLiteral(" (no Depository open)");
    const std::tuple<QString, bool, QString> tools[] = {
        {QStringLiteral("ID_PrintImage"), hasRecord, noRecord},
        {QStringLiteral("ID_PrintContactSheet"), hasRecord, noRecord},
        {QStringLiteral("ID_ExportWebGallery"), m_browser->album() != nullptr, noAlbum}};
    for (const auto& [id, enabled, why] : tools) {
        QAction* tool = m_commandBar->tool(id);
        if (!tool)
            continue;
        if (!enabled) {
            m_commandBar->setUnavailable(id, why);
            continue;
        }
        QString tip = tool->toolTip();
        if (tip.endsWith(why))
            tip.chop(why.size());
        tool->setToolTip(tip);
        tool->setStatusTip(tip);
        m_commandBar->setEnabled(id, true);
    }
}

void MainWindow::printCurrentImage() {
    const RecordMedia& media = m_browser->media();
    PrintPicture picture;
    picture.name = media.name;
    picture.description = m_state.record.CurrentDescription;
    const std::shared_ptr<AlbumMedia> source = media.source.lock();
    // A clip has no picture to print; a GIF prints its first frame.
    if (media.kind == MediaKind::Video || !source) {
        ShowPrintPreview(picture, m_state, m_settings, m_prompts, this);
        return;
    }
    // The picture is printed from its bytes, read off this thread.
    WhenReady(this, source->read(media.rowId, PictureField::Image),
              [this, picture](const QByteArray& bytes) mutable {
                  picture.bytes = bytes;
                  ShowPrintPreview(picture, m_state, m_settings, m_prompts, this);
              });
}

void MainWindow::printContactSheet() {
    AlbumRecordset* records = m_browser->recordset();
    if (!records || records->recordCount() == 0)
        return;
    ContactSheetSource source;
    {
        BusyGuard busy(m_prompts);
        source = {ContactSheetEntries(*records), m_state.album.OpenAlbumPath,
                  m_state.album.AlbumPassword};
    }
    ShowContactSheet(std::move(source), m_settings, m_prompts, this);
}

void MainWindow::refreshCaption() {
    if (!m_state.SlideshowRunning && !m_closing && !isVisible())
        show();
    const QString text =
        m_browser->album() ? AlbumStatusText(m_state) : QStringLiteral("No Image Depository open");
    m_band->showStatus(text, palette().color(QPalette::Active, QPalette::Highlight),
                       palette().color(QPalette::Active, QPalette::HighlightedText));
    m_band->showFilter(m_browser->activeFilter());
    m_noAlbumHint->setVisible(!m_browser->album());
    setWindowTitle(m_browser->album() ? text + QStringLiteral(" - Quillon 32")
                                      : QStringLiteral("Quillon 32"));
    if (!m_viewer) // the full-screen viewer stays in front while it is open
        raise();
}

void MainWindow::restoreDefaultToolbar() {
    auto layout = ToolLayout::load(m_state.AppDir + QStringLiteral("Database (default).atb"));
    if (layout)
        layout->addMissingTools(ToolLayout::factory());
    applyLayoutLater(layout ? *layout : ToolLayout::factory());
    const RecentEntries factory = FactoryRecentEntries();
    for (int n = 4; n >= 1; --n)
        m_settings.RegPutString(QLatin1String(section::Recent), QStringLiteral("DBFile%1").arg(n),
                                factory[n - 1]);
}

void MainWindow::chooseImageBackColor() {
    const auto colour = m_prompts.chooseColor(m_selImgBackColor);
    if (!colour)
        return;
    m_selImgBackColor = *colour;
    m_settings.RegPutString(QLatin1String(section::Options), QStringLiteral("SelImgBackColor"),
                            QString::number(numberFromColour(m_selImgBackColor)));
}

void MainWindow::customizeToolbar() {
    ToolbarCustomizeDialog dialog(m_commandBar->snapshot(), m_prompts, this);
    if (dialog.exec() == QDialog::Accepted)
        applyLayoutLater(dialog.layout());
}

void MainWindow::saveOnExit() {
    m_settings.RegPutString(QLatin1String(section::Main), QStringLiteral("Left"),
                            QString::number(x()));
    m_settings.RegPutString(QLatin1String(section::Main), QStringLiteral("Top"),
                            QString::number(y()));
    m_settings.RegPutString(QLatin1String(section::Main), QStringLiteral("Width"),
                            QString::number(width()));
    m_settings.RegPutString(QLatin1String(section::Main), QStringLiteral("Height"),
                            QString::number(height()));
    for (int n = 0; n < m_gridModel->columnCount(); ++n)
        m_settings.RegPutString(QLatin1String(section::Grid), QStringLiteral("Column%1").arg(n),
                                QString::number(m_grid->columnWidth(n)));
    // The video pane lets go of its media; nothing handed to a program outside stays.
    m_preview->player().close();
    PrivateFiles::remove();
    m_commandBar->snapshot().save(m_state.AppDir + QStringLiteral("Database.atb"));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!m_closing) {
        m_closing = true;
        saveOnExit();
    }
    event->accept();
    // Closing the main window ends the process, whatever else is open.
    QCoreApplication::exit(0);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (windowState() & Qt::WindowMinimized)
        return;
    const QWidget* client = centralWidget();
    const int w = client->width();
    const int h = client->height();
    m_band->setGeometry(0, 0, w, m_band->height());
    m_label2->setGeometry(0, h - kStatusHeight, w, kStatusHeight);
    m_grid->setGeometry(kGridLeft, kGridTop, std::max(0, w - kGridLeft - kMargin),
                        std::max(0, h - kGridTop - kStatusHeight - 6));
}

// ---- Adding pictures (the Add Images window and the file browser)

void MainWindow::addImages(const QStringList& pictures) {
    // With no album open there is nothing to add to: the pictures start a new one.
    if (!m_browser->album()) {
        createNewAlbum(pictures);
        return;
    }
    m_newAlbumPending = false;
    showAddImages(m_browser->album()->path(), pictures);
}

void MainWindow::createNewAlbum(const QStringList& pictures) {
    m_newAlbumPending = true;
    const QString chosen =
        AskAlbumFileName(m_state, m_prompts, m_commandBar->caption(QStringLiteral("ID_DBFile1")),
                         m_browser->album() ? m_browser->album()->path() : QString());
    if (!chosen.isEmpty())
        showAddImages(chosen, pictures);
}

void MainWindow::showAddImages(const QString& albumPath, const QStringList& pictures) {
    // A clip read from the album meanwhile would keep the add run's writes waiting.
    m_preview->player().close();
    AddImagesResult result;
    {
        AddImagesWindow window(m_state, m_settings, m_prompts, albumPath, this);
        // Questions asked while the window is up belong to it.
        auto* dialogs = dynamic_cast<QtPromptService*>(&m_prompts);
        if (dialogs)
            dialogs->setParent(&window);
        result = window.showModal(pictures);
        if (dialogs)
            dialogs->setParent(this);
    }
    if (m_newAlbumPending) {
        // A new album exists only once something was added to it.
        if (QFileInfo::exists(albumPath))
            m_browser->openAlbum(albumPath);
    } else if (m_state.StatusWord == 0 && result.albumRows >= 1) {
        // Opened again rather than re-read: a protect step puts a new file in the album's place.
        m_browser->openAlbum(albumPath);
    }
    refreshCaption();
}

void MainWindow::browseFolder() {
    const QString statusLine = m_label2->text();
    const QRect preview(m_preview->mapToGlobal(QPoint(0, 0)), m_preview->size());
    const auto outcome = m_fileBrowser->browse(preview);
    if (outcome == FileBrowserSession::Outcome::Accepted)
        return;
    // Nothing was chosen: the main window shows what it showed before.
    if (m_browser->recordset() && m_state.album.RecordCount >= 1) {
        m_browser->showCurrentRecord();
    } else {
        m_preview->player().close(); // a clip it previewed
        m_preview->hidePreview();
        m_preview->showMedia(RecordMedia{});
    }
    m_label2->setText(outcome == FileBrowserSession::Outcome::EmptyFolder
                          ? QStringLiteral("Empty directory!")
                          : statusLine);
}

} // namespace q32
