#pragma once
// The main window "Main": start-up, shutdown, layout of the album browser, and the command table.

#include "shell/CommandDispatcher.h"
#include "shell/RecordNavigation.h"
#include "shell/ui/CommandBar.h"

#include <QColor>
#include <QMainWindow>
#include <QStringList>
#include <memory>

class QLabel;
class QPushButton;
class QTableView;

namespace q32 {

class AddImagesCommands;
class AlbumBrowser;
class CaptionBand;
class FileBrowser;
class FullPicture;
class PreviewPane;
class PreviewPrefetcher;
class ViewerLink;
class PromptService;
class RecordCommands;
class RecordGrid;
class RecordGridModel;
class RecordWiring;
class Settings;
class ThumbnailPane;
struct ProgramState;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(ProgramState& state, Settings& settings, PromptService& prompts,
               QStringList arguments, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: settings, toolbar layout, geometry, and the album to open. Runs once before the
    // window is shown.
    void startUp();

    CommandBar& commandBar() { return *m_commandBar; }
    CommandDispatcher& dispatcher() { return m_dispatcher; }
    QTableView* grid() const;
    AlbumBrowser& browser() { return *m_browser; }
    PreviewPane& preview() { return *m_preview; }
    // Editing, deleting, sounds, export and the outside editor for the current record.
    RecordCommands& records();
    PreviewPrefetcher& previewsAhead() { return *m_ahead; }
    ThumbnailPane& thumbnails() { return *m_thumbnails; }

    // Runs the command of a tool (a menu entry, a button or a shortcut).
    void runCommand(const QString& toolId);
    void openRecentAlbum(int n);
    // Turns the tools on or off as the album and its current record allow.
    void enableRecordTools();
    // Repaints the status band and the window title.
    void refreshCaption();
    void restoreDefaultToolbar();
    void chooseImageBackColor();
    // Copies the option tools' checked states into the program-wide flags.
    void updateOptionFlags();
    // Makes grid row `row` (1-based) the current record.
    void selectRecord(qint64 row);
    void moveRecord(Step step);
    // Plays or stops the current record's sound.
    void toggleSound();
    // The full-screen viewer on the current record; the slideshow from the first record.
    void openViewer();
    void startSlideshow();
    FullPicture* viewer() const { return m_viewer; }

    // Adding pictures: the Add Images window, new albums and the file browser.
    AddImagesCommands& adding() { return *m_adding; }
    FileBrowser* fileBrowser() const;
    QColor selImgBackColor() const { return m_selImgBackColor; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWidgets();
    QWidget* buildNavigation();
    void registerCommands();
    // Applies a toolbar layout once the command that asked for it has finished: the command's
    // own action may be among those the new layout replaces.
    void applyLayoutLater(const ToolLayout& layout);
    void applyLayout(const ToolLayout& layout);
    // Tools whose window is not built yet are disabled and say so.
    void disableUnavailableTools();
    void restoreColumnWidths();
    void saveOnExit();
    void customizeToolbar();
    void connectBrowser();
    // A record the grid moved to by key or menu becomes current.
    void followGrid(qint64 row);
    // Recent entry n (1..4); a blank entry is disabled.
    void setRecentEntry(int n, const QString& entry);
    void openAlbumFromArguments();
    // A busy caption in the title and the status band; empty: the album's caption again.
    void showBusyCaption(const QString& caption);
    // Asks for the previews of the records around the current one.
    void decodeNeighboursAhead();
    void registerViewerCommands();
    void showViewer(bool slideshow);

    ProgramState& m_state;
    Settings& m_settings;
    PromptService& m_prompts;
    QStringList m_arguments;

    CommandBar* m_commandBar = nullptr;
    CommandDispatcher m_dispatcher;

    AlbumBrowser* m_browser = nullptr;
    CaptionBand* m_band = nullptr;
    PreviewPane* m_preview = nullptr;
    PreviewPrefetcher* m_ahead = nullptr;
    QPushButton* m_navButtons[4] = {};
    QLabel* m_statusLine = nullptr;
    RecordGrid* m_grid = nullptr;
    RecordWiring* m_records = nullptr;
    ThumbnailPane* m_thumbnails = nullptr;

    AddImagesCommands* m_adding = nullptr;
    QColor m_selImgBackColor;
    bool m_closing = false;
    std::unique_ptr<ViewerLink> m_viewerLink;
    FullPicture* m_viewer = nullptr; // open while not null
};

} // namespace q32
