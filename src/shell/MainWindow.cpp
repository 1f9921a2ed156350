#include "shell/MainWindow.h"

#include "album/ui/AddImagesStartup.h"
#include "album/ui/AddImagesWindow.h"
#include "album/ui/PasswordWindow.h"
#include "common/AppPaths.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "common/SharedServices.h"
#include "common/Text.h"
#include "platform/player/VideoControl.h"
#include "platform/prompt/PromptService.h"
#include "platform/prompt/QtPromptService.h"
#include "shell/AlbumBrowser.h"
#include "shell/CaptionBand.h"
#include "shell/PreviewPane.h"
#include "shell/RecentAlbums.h"
#include "shell/RecordGridModel.h"
#include "shell/RecordNavigation.h"
#include "shell/ToolbarCustomizeDialog.h"
#include "viewer/FileBrowser.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>

namespace q32 {
namespace {

// Colours are stored as the classic number: red + 256 * green + 65536 * blue.
QColor colourFromNumber(qint64 n) {
    return QColor(int(n & 0xff), int((n >> 8) & 0xff), int((n >> 16) & 0xff));
}
qint64 numberFromColour(const QColor& c) {
    return c.red() + 256 * c.green() + 65536 * c.blue();
}

constexpr int kGridLeft = 318;
constexpr int kGridTop = 28;
constexpr int kStatusHeight = 22;
constexpr int kMargin = 15; // right margin of the grid, as the window has always kept it

const QStringList kRecordTools = {QStringLiteral("ID_SortByDate(Ascending)"),
                                  QStringLiteral("ID_SortByDate(Descending)"),
                                  QStringLiteral("ID_SortImageFile(Ascending)"),
                                  QStringLiteral("ID_SortImageFile(Descending)"),
                                  QStringLiteral("ID_SortImageFormat(Ascending)"),
                                  QStringLiteral("ID_SortImageFormat(Descending)"),
                                  QStringLiteral("ID_DisplayByKeywords(AscendingDate)"),
                                  QStringLiteral("ID_DisplayByKeywords(DescendingDate)"),
                                  QStringLiteral("ID_DisplayByDescription(AscendingDate)"),
                                  QStringLiteral("ID_DisplayByDescription(DescendingDate)"),
                                  QStringLiteral("ID_AttachSound"),
                                  QStringLiteral("ID_ExportImage"),
                                  QStringLiteral("ID_DeleteImage")};

} // namespace

MainWindow::MainWindow(ProgramState& state, Settings& settings, PromptService& prompts,
                       QStringList arguments, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_settings(settings), m_prompts(prompts),
      m_arguments(std::move(arguments)) {
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Quillon 32"));
    setMinimumSize(720, 480);
    m_commandBar = new CommandBar(this);
    m_commandBar->apply(ToolLayout::factory());
    connect(m_commandBar, &CommandBar::toolClicked, this, &MainWindow::SSActiveToolBars1_ToolClick);
    buildWidgets();
    registerCommands();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildWidgets() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Client"));
    setCentralWidget(central);

    m_band = new CaptionBand(central);
    m_band->move(0, 0);

    m_preview = new PreviewPane(central);
    m_preview->setGeometry(8, kGridTop, 302, 244);
    connect(m_preview, &PreviewPane::pictureClicked, this, &MainWindow::LEAD2_Click);
    connect(m_preview, &PreviewPane::soundClicked, this, &MainWindow::Image4_Click);

    const QString navTips[4] = {QStringLiteral("First Image"), QStringLiteral("Previous Image"),
                                QStringLiteral("Next Image"), QStringLiteral("Last Image")};
    const QString navIcons[4] = {
        QStringLiteral("go-first-symbolic"), QStringLiteral("go-previous-symbolic"),
        QStringLiteral("go-next-symbolic"), QStringLiteral("go-last-symbolic")};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(CommandBar::iconFor(navIcons[i], navTips[i]), QString(), central);
        b->setObjectName(QStringLiteral("SSCommand2_%1").arg(i + 1));
        b->setToolTip(navTips[i]);
        b->setGeometry(8 + i * 44, kGridTop + 250, 40, 28);
        connect(b, &QPushButton::clicked, this, [this, i] { SSCommand2_Click(i + 1); });
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
    connect(m_grid, &QTableView::clicked, this,
            [this](const QModelIndex& index) { MSFlexGrid1_Click(index.row() + 1); });
    // Arrow keys and Page Up/Down move the current record as clicks do.
    m_grid->installEventFilter(this);

    m_browser = new AlbumBrowser(m_state, m_settings, m_prompts, this);
    m_browser->setPlayer(&m_preview->player());
    setPasswordAsker([this] { return PasswordWindow::Ask(m_state, this); });
    connectBrowser();
}

void MainWindow::setPasswordAsker(std::function<QString()> asker) {
    m_browser->askPassword = std::move(asker);
}

void MainWindow::connectBrowser() {
    AlbumBrowser* b = m_browser;
    connect(b, &AlbumBrowser::titleChanged, this, [this](const QString& title) {
        setWindowTitle(title);
        // The title must show before a long query starts.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    connect(b, &AlbumBrowser::recordsetReset, this, [this] {
        m_gridModel->setRecordset(m_browser->recordset());
        m_grid->setColumnWidth(1, 0);
    });
    connect(b, &AlbumBrowser::previewHidden, m_preview, &PreviewPane::hidePreview);
    connect(b, &AlbumBrowser::recordShown, this, [this](const RecordMedia& media) {
        m_label2->setText(m_state.CurrentDescription);
        selectGridRow(m_state.CurrentRow);
        m_preview->ThumbNailInTV(media);
        if (m_state.AutoSound && media.kind != MediaKind::Video) {
            m_browser->GetOLESound(m_preview->player());
            m_preview->setSoundPlaying(true);
            m_state.SoundPlaying = true;
        }
    });
    connect(b, &AlbumBrowser::filterToolChanged, this,
            [this](const QString& pictureOf, const QString& tip) {
                m_commandBar->setPictureAndTip(QStringLiteral("ID_DropDownFilters"), pictureOf,
                                               tip);
            });
    connect(b, &AlbumBrowser::recentEntriesChanged, this, [this](const RecentEntries& entries) {
        for (int n = 4; n >= 1; --n)
            m_commandBar->setCaption(QStringLiteral("ID_DBFile%1").arg(n), entries[n - 1]);
    });
    connect(b, &AlbumBrowser::recordToolsChanged, this, &MainWindow::EnableRecordTools);
    connect(b, &AlbumBrowser::captionChanged, this, &MainWindow::RefreshCaption);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        // Looked at once the grid has moved its current row for the key.
        QTimer::singleShot(0, this, [this] {
            const QModelIndex current = m_grid->currentIndex();
            if (current.isValid() && current.row() + 1 != m_state.CurrentRow)
                MSFlexGrid1_Click(current.row() + 1);
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

void MainWindow::MSFlexGrid1_Click(int row) {
    BusyGuard busy(m_prompts);
    m_preview->hidePreview();
    m_state.CurrentRow = row;
    m_state.CurrentImageFile = m_gridModel->data(m_gridModel->index(row - 1, 2)).toString();
    m_browser->ShowRecord();
    RefreshCaption();
}

void MainWindow::SSCommand2_Click(int index) {
    if (m_state.RecordCount == 0)
        return;
    const qint64 gridRow =
        m_grid->currentIndex().isValid() ? m_grid->currentIndex().row() + 1 : m_state.CurrentRow;
    const NavigationStep step = NavigateRecords(index, gridRow, m_state.RecordCount);
    m_state.CurrentRow = qint32(step.row);
    m_preview->hidePreview();
    if (!step.show)
        return; // past either end the preview stays hidden
    selectGridRow(step.row);
    m_browser->ShowRecord();
}

void MainWindow::Image4_Click() {
    m_state.SoundPlaying = !m_state.SoundPlaying;
    if (m_state.SoundPlaying) {
        m_browser->GetOLESound(m_preview->player());
    } else {
        m_preview->player().stop();
        m_preview->player().close();
    }
    m_preview->setSoundPlaying(m_state.SoundPlaying);
}

void MainWindow::LEAD2_Click() {
    // Pending: the full-screen viewer opens here.
}

void MainWindow::registerCommands() {
    auto& d = m_dispatcher;
    d.setAfterCommand([this] {
        m_state.StatusWord = 0;
        RefreshCaption();
    });
    for (int n = 1; n <= 4; ++n)
        d.add(QStringLiteral("ID_DBFile%1").arg(n), [this, n] { OpenRecentAlbum(n); });
    d.add(QStringLiteral("ID_OpenAlbum"), [this] { m_browser->mnuOpenAlbums(); });
    d.add(QStringLiteral("ID_Set/ChangePassword"), [this] { m_browser->mnuSetPassword_Click(); });
    // Sorting by date ascending never asks; the others ask for their filter text.
    for (int index = 0; index < 10; ++index)
        d.add(QLatin1String(AlbumBrowser::kSortTools[index]),
              [this, index] { m_browser->SortImages(index, index == 0); });
    d.add(QStringLiteral("ID_DropDownFilters"), [this] { m_browser->NextSortOrder(); });

    // Option tools copy their checked state into the program-wide flags.
    for (const char* id : {"ID_AudioCDAutoStart", "ID_AutoSound", "ID_RandomImages",
                           "ID_RandomWipes", "ID_OpeningScreen", "ID_ViewFit", "ID_ViewNormal",
                           "ID_CompressStorage", "ID_NativeStorage"})
        d.add(QLatin1String(id), [this] { UpdateOptionFlags(); });

    d.add(QStringLiteral("ID_ImageBackColor"), [this] { ChooseImageBackColor(); });
    d.add(QStringLiteral("ID_PrintSetup"), [this] { m_prompts.printSetup(); });
    d.add(QStringLiteral("ID_Contents"), [this] { ShowHelp(m_state); });
    d.add(QStringLiteral("ID_CustomizeToolbar"), [this] { customizeToolbar(); });
    d.add(QStringLiteral("ID_DefaultToolbar"), [this] { RestoreDefaultToolbar(); });
    d.add(QStringLiteral("ID_Exit"), [this] { close(); });
    d.add(QStringLiteral("ID_CreateNewAlbum"), [this] { createNewAlbum(); });
    d.add(QStringLiteral("ID_AddImages"), [this] { addImages(); });
    d.add(QStringLiteral("ID_BrowseFolder"), [this] { browseFolder(); });

    // Pending: these commands land with their windows (album browsing, adding, editing,
    // maintenance, viewer, slideshow, About). Until then their tools are present and do nothing:
    // ID_CompactDatabase, ID_RepairDatabase, ID_AttachSound,
    // ID_ExportImage, ID_DeleteImage, ID_ImageProcessing, ID_StartSlideshow, ID_SlideInterval,
    // ID_EffectDelay, ID_EffectGrainSize, ID_SelectWipePatterns, ID_About.
}

void MainWindow::SSActiveToolBars1_ToolClick(const QString& toolId) {
    m_dispatcher.SSActiveToolBars1_ToolClick(toolId);
}

void MainWindow::UpdateOptionFlags() {
    const CommandBar& bar = *m_commandBar;
    m_state.AudioCDAutoStart = bar.checked(QStringLiteral("ID_AudioCDAutoStart"));
    m_state.AutoSound = bar.checked(QStringLiteral("ID_AutoSound"));
    m_state.RandomImages = bar.checked(QStringLiteral("ID_RandomImages"));
    m_state.RandomWipes = bar.checked(QStringLiteral("ID_RandomWipes"));
    m_state.ViewFit = bar.checked(QStringLiteral("ID_ViewFit"));
    m_state.CompressStorage = bar.checked(QStringLiteral("ID_CompressStorage"));
    m_state.OpeningScreen = bar.checked(QStringLiteral("ID_OpeningScreen"));
}

void MainWindow::Form_Load() {
    // 1. The program folder, seeded with the shipped files on first use.
    m_state.AppDir = ComputeAppDir();
    SeedAppDir(m_state.AppDir);

    // 2. Screen size.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        m_state.ScreenWidthPixels = screen->size().width();
        m_state.ScreenHeightPixels = screen->size().height();
    }

    // 3. The saved toolbar layout; the factory layout stays when there is none.
    if (auto layout = ToolLayout::load(m_state.AppDir + QStringLiteral("Database.atb")))
        m_commandBar->apply(*layout);

    // 4-5. Option flags from the tools.
    UpdateOptionFlags();
    m_commandBar->setEnabled(QStringLiteral("ID_AddImages"), true);
    // Pending: the About window shows here as the opening screen when OpeningScreen is set.
    m_commandBar->setChecked(QStringLiteral("ID_OpeningScreen"), m_state.OpeningScreen);

    // 7. Geometry, in the order Left, Top, Width, Height. A missing size leaves the minimum.
    move(m_settings.integer(QLatin1String(section::Main), QStringLiteral("Left")),
         m_settings.integer(QLatin1String(section::Main), QStringLiteral("Top")));
    resize(std::max(m_settings.integer(QLatin1String(section::Main), QStringLiteral("Width")),
                    minimumWidth()),
           std::max(m_settings.integer(QLatin1String(section::Main), QStringLiteral("Height")),
                    minimumHeight()));

    // 8. File browser folder, always ending in "/"; a folder that is gone falls back to AppDir.
    m_state.ThumbNailsDir = m_settings.RegGetString(QLatin1String(section::Directories),
                                                    QStringLiteral("ThumbNailsDir"));
    if (!m_state.ThumbNailsDir.endsWith(QLatin1Char('/')))
        m_state.ThumbNailsDir += QLatin1Char('/');
    if (!QDir(m_state.ThumbNailsDir).exists())
        m_state.ThumbNailsDir = m_state.AppDir;

    // 9-11.
    m_state.RecordCount = 0;
    m_state.SortDirection = QStringLiteral("ASC;");
    m_selImgBackColor = colourFromNumber(qint64(
        m_settings.number(QLatin1String(section::Options), QStringLiteral("SelImgBackColor"))));
    m_state.FilesPattern = m_settings.RegGetString(QLatin1String(section::FilesParameters),
                                                   QStringLiteral("FilesPattern"));

    // 12. The file browser, loaded hidden on ThumbNailsDir and FilesPattern.
    m_fileBrowser = new FileBrowser(m_state, m_settings, this);
    connect(m_fileBrowser, &FileBrowser::previewRequested, this, [this](const QString& path) {
        const QString tail = path.right(3).toLower();
        const MediaKind kind = tail == QLatin1String("gif") ? MediaKind::Gif
                               : tail == QLatin1String("mpg") || tail == QLatin1String("mov") ||
                                       tail == QLatin1String("avi")
                                   ? MediaKind::Video
                                   : MediaKind::Still;
        m_preview->ThumbNailInTV(RecordMedia{kind, path, false});
    });
    connect(m_fileBrowser, &FileBrowser::descriptionChanged, m_label2, &QLabel::setText);
    m_fileBrowser->load();

    // 13. A hand-shake file left by an image processor that did not finish.
    QFile::remove(m_state.AppDir + QStringLiteral("dbimfile.txt"));

    // 14. The video pane over the preview frame is placed by the preview itself.
    // 15. Large system fonts (120 dpi) move the preview frames.
    if (logicalDpiX() >= 120)
        m_preview->useLargeFontLayout();

    // 17. The album to open: a new one with "KORALTE", an album named on the command line, or
    // recent entry 1. Pictures named on the command line go to the Add Images window once the
    // main window shows.
    const StartupRequest request = ParseStartupArguments(m_arguments);
    if (request.newAlbum) {
        m_newAlbumPending = true;
        QTimer::singleShot(0, this, [this, pictures = request.pictures] {
            createNewAlbum(pictures);
            m_state.StatusWord = 0;
        });
    } else {
        if (!request.album.isEmpty()) {
            m_state.AlbumToOpen = request.album;
            m_state.OpenAlbumPath = m_state.AlbumToOpen;
            m_browser->OpenAlbum();
        } else {
            OpenRecentAlbum(1);
        }
        if (!request.pictures.isEmpty())
            QTimer::singleShot(0, this, [this, pictures = request.pictures] {
                addImages(pictures);
                m_state.StatusWord = 0;
            });
    }

    // 18-19. Column widths; column 1 is always hidden.
    restoreColumnWidths();
    m_grid->show();
    m_grid->setColumnWidth(1, 0);
    RefreshCaption();
}

void MainWindow::restoreColumnWidths() {
    for (int n = 0; n < m_gridModel->columnCount(); ++n)
        m_grid->setColumnWidth(
            n, m_settings.integer(QLatin1String(section::Grid), QStringLiteral("Column%1").arg(n)));
}

void MainWindow::OpenRecentAlbum(int n) {
    m_state.AlbumToOpen = m_commandBar->caption(QStringLiteral("ID_DBFile%1").arg(n));
    if (!m_state.AlbumToOpen.startsWith(QLatin1Char('&')))
        return;
    OpenAlbum();
}

void MainWindow::OpenAlbum() {
    m_browser->OpenAlbum();
}

void MainWindow::EnableRecordTools() {
    const bool enabled = m_state.RecordCount >= 1;
    for (const QString& id : kRecordTools)
        m_commandBar->setEnabled(id, enabled);
}

void MainWindow::RefreshCaption() {
    if (!m_state.SlideshowRunning && !m_closing && !isVisible())
        show();
    const QString text = AlbumStatusText(m_state);
    m_band->DrawGradientCaption(text, palette().color(QPalette::Active, QPalette::Highlight),
                                palette().color(QPalette::Active, QPalette::HighlightedText));
    setWindowTitle(m_browser->album() ? text : QStringLiteral("Quillon 32"));
    raise();
}

void MainWindow::RestoreDefaultToolbar() {
    if (auto layout = ToolLayout::load(m_state.AppDir + QStringLiteral("Database (default).atb")))
        m_commandBar->apply(*layout);
    else
        m_commandBar->apply(ToolLayout::factory());
    UpdateOptionFlags();
    const RecentEntries factory = FactoryRecentEntries();
    for (int n = 4; n >= 1; --n)
        m_settings.RegPutString(QLatin1String(section::Recent), QStringLiteral("DBFile%1").arg(n),
                                factory[n - 1]);
    EnableRecordTools();
}

void MainWindow::ChooseImageBackColor() {
    const auto colour = m_prompts.chooseColor(m_selImgBackColor);
    if (!colour)
        return;
    m_selImgBackColor = *colour;
    m_settings.RegPutString(QLatin1String(section::Options), QStringLiteral("SelImgBackColor"),
                            QString::number(numberFromColour(m_selImgBackColor)));
}

void MainWindow::customizeToolbar() {
    ToolbarCustomizeDialog dialog(m_commandBar->snapshot(), this);
    if (dialog.exec() == QDialog::Accepted) {
        m_commandBar->apply(dialog.layout());
        UpdateOptionFlags();
        EnableRecordTools();
    }
}

void MainWindow::saveOnExit() {
    // 1. Geometry.
    m_settings.RegPutString(QLatin1String(section::Main), QStringLiteral("Left"),
                            QString::number(x()));
    m_settings.RegPutString(QLatin1String(section::Main), QStringLiteral("Top"),
                            QString::number(y()));
    m_settings.RegPutString(QLatin1String(section::Main), QStringLiteral("Width"),
                            QString::number(width()));
    m_settings.RegPutString(QLatin1String(section::Main), QStringLiteral("Height"),
                            QString::number(height()));
    // 2. Column widths.
    for (int n = 0; n < m_gridModel->columnCount(); ++n)
        m_settings.RegPutString(QLatin1String(section::Grid), QStringLiteral("Column%1").arg(n),
                                QString::number(m_grid->columnWidth(n)));
    // 4. The video pane lets go of its media.
    m_preview->player().close();
    // 5. The toolbar layout.
    m_commandBar->snapshot().save(m_state.AppDir + QStringLiteral("Database.atb"));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!m_closing) {
        m_closing = true;
        saveOnExit();
    }
    event->accept();
    // 6. Closing the main window ends the process, whatever else is open.
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
    m_state.AlbumToOpen = m_browser->album()->path();
    showAddImages(pictures);
}

void MainWindow::createNewAlbum(const QStringList& pictures) {
    m_newAlbumPending = true;
    const QString openAlbum = m_browser->album() ? m_browser->album()->path() : QString();
    const QString chosen =
        AskAlbumFileName(m_state, m_prompts, m_commandBar->caption(QStringLiteral("ID_DBFile1")));
    if (chosen.isEmpty()) {
        m_state.AlbumToOpen = openAlbum;
        return;
    }
    showAddImages(pictures);
}

void MainWindow::showAddImages(const QStringList& pictures) {
    const QString openAlbum = m_browser->album() ? m_browser->album()->path() : QString();
    {
        AddImagesWindow window(m_state, m_settings, m_prompts, this);
        // Questions asked while the window is up belong to it.
        auto* dialogs = dynamic_cast<QtPromptService*>(&m_prompts);
        if (dialogs)
            dialogs->setParent(&window);
        window.showModal(pictures);
        if (dialogs)
            dialogs->setParent(this);
    }
    if (m_newAlbumPending) {
        // A new album exists only once something was added to it.
        if (!m_state.AlbumToOpen.isEmpty() && QFileInfo::exists(m_state.AlbumToOpen)) {
            m_state.OpenAlbumPath = m_state.AlbumToOpen;
            m_browser->OpenAlbum();
        } else {
            m_state.AlbumToOpen = openAlbum;
        }
    } else if (m_state.StatusWord == 0 && m_state.RecordCount >= 1) {
        // Opened again rather than re-read: a protect step has put a new file in its place.
        m_browser->OpenAlbum();
    }
    RefreshCaption();
}

void MainWindow::browseFolder() {
    m_fileBrowser->browse();
}

} // namespace q32
