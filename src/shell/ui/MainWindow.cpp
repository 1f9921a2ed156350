#include "shell/ui/MainWindow.h"

#include "album/addimages/AddImagesStartup.h"
#include "common/AppPaths.h"
#include "common/PrivateFiles.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "common/SharedServices.h"
#include "common/Text.h"
#include "platform/player/VideoControl.h"
#include "platform/prompt/PromptService.h"
#include "shell/AlbumBrowser.h"
#include "shell/PreviewPrefetcher.h"
#include "shell/RecentAlbums.h"
#include "shell/RecordGridModel.h"
#include "shell/RecordNavigation.h"
#include "shell/records/ToolStates.h"
#include "shell/ui/AboutWindow.h"
#include "shell/ui/AddImagesCommands.h"
#include "shell/ui/CaptionBand.h"
#include "shell/ui/HelpService.h"
#include "shell/ui/MaintenanceCommands.h"
#include "shell/ui/OutputCommands.h"
#include "shell/ui/PreviewPane.h"
#include "shell/ui/RecordGrid.h"
#include "shell/ui/RecordWiring.h"
#include "shell/ui/SimilarCommand.h"
#include "shell/ui/ThumbnailPane.h"
#include "shell/ui/ToolbarCustomizeDialog.h"
#include "shell/ui/ViewerLink.h"
#include "viewer/ui/FullPicture.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace q32 {
namespace {} // namespace

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
    m_preview->setFixedSize(302, 244);
    connect(m_preview, &PreviewPane::pictureClicked, this, &MainWindow::openViewer);
    connect(m_preview, &PreviewPane::soundClicked, this, &MainWindow::toggleSound);
    // A record whose picture can't be shown says why in the status line.
    connect(
        m_preview, &PreviewPane::pictureFailed, this,
        [this](const RecordMedia& media, const QString& reason) {
            if (media.rowId != 0 && m_browser->album() && media.rowId == m_browser->media().rowId)
                m_statusLine->setText(reason + QStringLiteral(" (") +
                                      m_browser->recordState().CurrentImageFile + QLatin1Char(')'));
        });

    m_statusLine = new QLabel(central);
    m_statusLine->setObjectName(QStringLiteral("Label2"));
    m_statusLine->setFrameShape(QFrame::Panel);
    m_statusLine->setFrameShadow(QFrame::Sunken);
    m_statusLine->setFixedHeight(22);

    m_grid = new RecordGrid(central);
    m_grid->hide();
    m_grid->toolOf = [this](const QString& id) { return m_commandBar->tool(id); };
    connect(m_grid, &RecordGrid::recordMoved, this, &MainWindow::followGrid);
    connect(m_grid, &QTableView::clicked, this,
            [this](const QModelIndex& index) { selectRecord(index.row() + 1); });
    connect(m_grid, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        followGrid(index.row() + 1);
        openViewer();
    });
    m_browser = new AlbumBrowser(m_state.playback, m_settings, m_prompts, this);
    m_browser->setPlayer(&m_preview->player());
    m_ahead = new PreviewPrefetcher(this);
    // Once the current picture is up, the ones around it are decoded while the window idles.
    connect(m_preview, &PreviewPane::pictureReady, this, &MainWindow::decodeNeighboursAhead,
            Qt::QueuedConnection);
    connectBrowser();
    m_thumbnails = new ThumbnailPane(*m_browser, *m_grid, *m_commandBar, m_settings, central);
    connect(m_thumbnails, &ThumbnailPane::recordChosen, this, &MainWindow::selectRecord);
    connect(m_thumbnails, &ThumbnailPane::viewRequested, this, &MainWindow::openViewer);

    // The preview and its buttons on the left; the grid, or the thumbnails in its place, takes
    // the rest of the window.
    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    left->addWidget(m_preview);
    left->addWidget(buildNavigation());
    left->addStretch();
    auto* records = new QGridLayout;
    records->addWidget(m_grid, 0, 0);
    records->addWidget(m_thumbnails->view(), 0, 0);
    auto* body = new QHBoxLayout;
    body->setContentsMargins(8, 6, 15, 6);
    body->setSpacing(8);
    body->addLayout(left);
    body->addLayout(records, 1);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_band);
    column->addLayout(body, 1);
    column->addWidget(m_statusLine);
}

QWidget* MainWindow::buildNavigation() {
    auto* row = new QWidget(centralWidget());
    auto* buttons = new QHBoxLayout(row);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(4);
    const QString tips[4] = {QStringLiteral("First Image"), QStringLiteral("Previous Image"),
                             QStringLiteral("Next Image"), QStringLiteral("Last Image")};
    const QString icons[4] = {
        QStringLiteral("go-first-symbolic"), QStringLiteral("go-previous-symbolic"),
        QStringLiteral("go-next-symbolic"), QStringLiteral("go-last-symbolic")};
    const Step steps[4] = {Step::First, Step::Previous, Step::Next, Step::Last};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(CommandBar::iconFor(icons[i], tips[i]), QString(), row);
        b->setObjectName(QStringLiteral("SSCommand2_%1").arg(i + 1));
        b->setToolTip(tips[i]);
        b->setFixedSize(40, 28);
        connect(b, &QPushButton::clicked, this, [this, step = steps[i]] { moveRecord(step); });
        buttons->addWidget(b);
        m_navButtons[i] = b;
    }
    buttons->addStretch();
    return row;
}

void MainWindow::decodeNeighboursAhead() {
    AlbumRecordset* rows = m_browser->recordset();
    AlbumDb* album = m_browser->album();
    if (rows && album && !m_state.playback.SlideshowRunning)
        m_ahead->prefetchAround(*rows, m_browser->albumState().CurrentRow - 1,
                                m_preview->frameSize(), album->changeStamp());
}

void MainWindow::connectBrowser() {
    AlbumBrowser* b = m_browser;
    connect(b, &AlbumBrowser::titleChanged, this, [this](const QString& title) {
        setWindowTitle(title + QStringLiteral(" - Quillon 32"));
    });
    connect(b, &AlbumBrowser::recordsetReset, this, [this] {
        m_grid->rows().setRecordset(m_browser->recordset());
        m_grid->setColumnWidth(1, 0);
        m_ahead->setAlbum(m_browser->albumState().OpenAlbumPath,
                          m_browser->albumState().AlbumPassword);
    });
    connect(b, &AlbumBrowser::rowsFound, &m_grid->rows(), &RecordGridModel::rowsFound);
    connect(b, &AlbumBrowser::previewHidden, m_preview, &PreviewPane::hidePreview);
    connect(b, &AlbumBrowser::recordShown, this, [this](const RecordMedia& media) {
        m_statusLine->setText(m_browser->recordState().CurrentDescription);
        m_grid->showRecord(m_browser->albumState().CurrentRow);
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
            m_state.playback.SoundPlaying = true;
        }
    });
    connect(b, &AlbumBrowser::recordCleared, this, [this] {
        m_statusLine->clear();
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
        connect(b, changed, this, &MainWindow::enableRecordTools);
    connect(b, &AlbumBrowser::recordShown, this, &MainWindow::enableRecordTools);
    connect(b, &AlbumBrowser::captionChanged, this, &MainWindow::refreshCaption);
}

void MainWindow::followGrid(qint64 row) {
    if (row != m_browser->albumState().CurrentRow)
        selectRecord(row);
}

QTableView* MainWindow::grid() const {
    return m_grid;
}

void MainWindow::selectRecord(qint64 row) {
    BusyGuard busy(m_prompts);
    m_preview->hidePreview();
    m_browser->albumState().CurrentRow = row;
    m_browser->showCurrentRecord();
    refreshCaption();
}

void MainWindow::moveRecord(Step step) {
    if (step == Step::Last)
        m_browser->findEveryRow();
    const QModelIndex current = m_grid->currentIndex();
    const qint64 gridRow =
        current.isValid() ? current.row() + 1 : m_browser->albumState().CurrentRow;
    // Past either end the current record stays shown.
    const auto target = stepTarget(step, gridRow, m_browser->albumState().RecordCount);
    if (!target)
        return;
    BusyGuard busy(m_prompts);
    m_preview->hidePreview();
    m_browser->albumState().CurrentRow = *target;
    m_grid->showRecord(*target);
    m_browser->showCurrentRecord();
}

void MainWindow::toggleSound() {
    m_state.playback.SoundPlaying = !m_state.playback.SoundPlaying;
    if (m_state.playback.SoundPlaying) {
        m_browser->playCurrentSound(m_preview->player());
    } else {
        m_preview->player().stop();
        m_preview->player().close();
    }
    m_preview->setSoundPlaying(m_state.playback.SoundPlaying);
}

void MainWindow::registerCommands() {
    auto& d = m_dispatcher;
    d.setAfterCommand([this] {
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
        RunFindSimilar(*m_browser, m_prompts, m_settings, m_browser->albumState().AlbumPassword,
                       this);
    });

    // Option tools copy their checked state into the program-wide flags.
    for (const char* id : {"ID_AudioCDAutoStart", "ID_AutoSound", "ID_RandomImages",
                           "ID_RandomWipes", "ID_OpeningScreen", "ID_ViewFit", "ID_ViewNormal",
                           "ID_CompressStorage", "ID_NativeStorage", "ID_DateTakenFromPhoto"})
        d.add(QLatin1String(id), [this] { updateOptionFlags(); });

    d.add(QStringLiteral("ID_ImageBackColor"), [this] { chooseImageBackColor(); });
    AddOutputCommands(d, *m_browser, m_settings, m_prompts, this);
    d.add(QStringLiteral("ID_CustomizeToolbar"), [this] { customizeToolbar(); });
    d.add(QStringLiteral("ID_DefaultToolbar"), [this] { restoreDefaultToolbar(); });
    d.add(QStringLiteral("ID_Exit"), [this] { close(); });
    m_adding = new AddImagesCommands(*m_browser, *m_preview, *m_statusLine, m_state.paths,
                                     m_state.options, m_settings, m_prompts, *this);
    m_adding->offeredAlbumName = [this] {
        return m_commandBar->caption(QStringLiteral("ID_DBFile1"));
    };
    connect(m_adding, &AddImagesCommands::finished, this, &MainWindow::refreshCaption);
    m_adding->registerTo(d);
    d.add(QStringLiteral("ID_ThumbnailView"), [this] {
        m_thumbnails->setOn(m_commandBar->checked(QStringLiteral("ID_ThumbnailView")));
    });
    registerViewerCommands();

    // Compaction and repair, the About window, and help (F1 on any window shows its page).
    const auto releaseAlbum = [this] {
        m_preview->player().stop();
        m_preview->player().close();
        m_preview->hidePreview();
        m_ahead->setAlbum({}, {});
    };
    AddMaintenanceCommands(d, *m_browser, releaseAlbum, *this, m_settings, m_prompts);
    d.add(QStringLiteral("ID_About"),
          [this] { AboutWindow::showModal(m_state.options, m_prompts, *m_commandBar, this); });
    setProperty("helpPage", QStringLiteral("main-window.html"));
    auto* help = new HelpService(m_prompts, this);
    d.add(QStringLiteral("ID_Contents"), [help] { help->showContents(); });
    m_records = new RecordWiring({*this, *centralWidget(), *m_browser, *m_preview, m_grid->rows(),
                                  *m_statusLine, m_dispatcher,
                                  [this](const QString& caption) { showBusyCaption(caption); }},
                                 m_state.paths, m_settings, m_prompts);
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
    if (m_browser)
        enableRecordTools();
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
    m_state.paths.AppDir = ComputeAppDir();
    CopyShippedFiles(m_state.paths.AppDir);
    KeepPrivate(m_state.paths.AppDir, true);
    KeepPrivate(QFileInfo(m_settings.filePath()).absolutePath(), true);
    PrivateFiles::removeLeftovers();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        m_state.paths.ScreenWidthPixels = screen->size().width();
        m_state.paths.ScreenHeightPixels = screen->size().height();
    }

    // The toolbar layout saved at the last exit; the factory layout stays when there is none.
    // Tools added since it was saved join it.
    if (auto layout = ToolLayout::load(m_state.paths.AppDir + QStringLiteral("Database.atb"))) {
        layout->addMissingTools(ToolLayout::factory());
        applyLayout(*layout);
    }
    for (int n = 1; n <= 4; ++n)
        setRecentEntry(n, m_commandBar->caption(QStringLiteral("ID_DBFile%1").arg(n)));

    // The option flags follow the tools' checked states.
    updateOptionFlags();
    // Never below the minimum size. Placed before any window of ours is made: the opening
    // screen makes the main window's own, and a move after that places the client area, not
    // the frame, at Left and Top.
    const QRect frame = m_settings.mainWindowFrame();
    move(frame.topLeft());
    resize(frame.size().expandedTo(minimumSize()));

    // The About window as the opening screen; start-up goes on once it has closed.
    if (m_state.options.OpeningScreen)
        AboutWindow::showModal(m_state.options, m_prompts, *m_commandBar, this);
    m_commandBar->setChecked(QStringLiteral("ID_OpeningScreen"), m_state.options.OpeningScreen);

    m_selImgBackColor = m_settings.get(key::SelImgBackColor);

    // The file browser, loaded hidden.
    m_adding->loadFileBrowser();

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

void MainWindow::openAlbumFromArguments() {
    // A new album with "KORALTE", an album named on the command line, or recent entry 1.
    // Pictures named on the command line go to the Add Images window once the window shows.
    const StartupRequest request = ParseStartupArguments(m_arguments);
    if (request.newAlbum) {
        QTimer::singleShot(
            0, this, [this, pictures = request.pictures] { m_adding->createNewAlbum(pictures); });
        return;
    }
    // The pictures go into the album once the open has ended.
    auto addPictures = [this, pictures = request.pictures](bool) {
        if (!pictures.isEmpty())
            QTimer::singleShot(0, this, [this, pictures] { m_adding->addImages(pictures); });
    };
    if (!request.album.isEmpty())
        m_browser->openAlbum(request.album, addPictures);
    else
        openRecentAlbum(1, addPictures);
}

void MainWindow::restoreColumnWidths() {
    const QList<int> widths = m_settings.gridColumnWidths(m_grid->rows().columnCount());
    for (int n = 0; n < widths.size(); ++n)
        m_grid->setColumnWidth(n, widths[n]);
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
    for (const ToolState& t :
         ComputeToolStates(ToolContextOf(*m_browser), AlbumBrowser::kSortTools))
        if (m_dispatcher.has(t.id))
            m_commandBar->setAvailable(t.id, t.enabled, t.whyOff);
}

void MainWindow::showBusyCaption(const QString& caption) {
    if (caption.isEmpty()) {
        refreshCaption();
        return;
    }
    setWindowTitle(caption);
    m_band->showStatus(caption, palette().color(QPalette::Active, QPalette::Highlight),
                       palette().color(QPalette::Active, QPalette::HighlightedText));
}

void MainWindow::refreshCaption() {
    if (!m_state.playback.SlideshowRunning && !m_closing && !isVisible())
        show();
    const QString text = m_browser->album() ? AlbumStatusText(m_browser->albumState())
                                            : QStringLiteral("No Image Depository open");
    m_band->showStatus(text, palette().color(QPalette::Active, QPalette::Highlight),
                       palette().color(QPalette::Active, QPalette::HighlightedText));
    m_band->showFilter(m_browser->activeFilter());
    m_grid->setNoAlbumHintVisible(!m_browser->album());
    setWindowTitle(m_browser->album() ? text + QStringLiteral(" - Quillon 32")
                                      : QStringLiteral("Quillon 32"));
    if (!m_viewer) // the full-screen viewer stays in front while it is open
        raise();
}

void MainWindow::restoreDefaultToolbar() {
    auto layout = ToolLayout::load(m_state.paths.AppDir + QStringLiteral("Database (default).atb"));
    if (layout)
        layout->addMissingTools(ToolLayout::factory());
    applyLayoutLater(layout ? *layout : ToolLayout::factory());
    const RecentEntries factory = FactoryRecentEntries();
    m_settings.setRecentAlbums(QStringList(factory.cbegin(), factory.cend()));
}

void MainWindow::chooseImageBackColor() {
    const auto colour = m_prompts.chooseColor(m_selImgBackColor);
    if (!colour)
        return;
    m_selImgBackColor = *colour;
    m_settings.set(key::SelImgBackColor, m_selImgBackColor);
}

void MainWindow::customizeToolbar() {
    ToolbarCustomizeDialog dialog(m_commandBar->snapshot(), m_prompts, this);
    if (dialog.exec() == QDialog::Accepted)
        applyLayoutLater(dialog.layout());
}

void MainWindow::saveOnExit() {
    // The window manager's last word on the frame may still be on its way (a quit right after
    // a start): taken first, so the frame is saved where it is, not where it was believed to be.
    QGuiApplication::sync();
    m_settings.setMainWindowFrame(QRect(pos(), size()));
    QList<int> widths;
    for (int n = 0; n < m_grid->rows().columnCount(); ++n)
        widths << m_grid->columnWidth(n);
    m_settings.setGridColumnWidths(widths);
    // The video pane lets go of its media; nothing handed to a program outside stays.
    m_preview->player().close();
    PrivateFiles::remove();
    m_commandBar->snapshot().save(m_state.paths.AppDir + QStringLiteral("Database.atb"));
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

FileBrowser* MainWindow::fileBrowser() const {
    return m_adding->fileBrowser();
}

} // namespace q32
