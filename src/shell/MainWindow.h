#pragma once
// The main window "Main": start-up, shutdown, layout of the album browser, and the command table.

#include "shell/CommandBar.h"
#include "shell/CommandDispatcher.h"

#include <QColor>
#include <QMainWindow>
#include <QStringList>
#include <functional>

class QLabel;
class QPushButton;
class QTableView;

namespace q32 {

class AlbumBrowser;
class CaptionBand;
class FileBrowser;
class PreviewPane;
class PromptService;
class RecordGridModel;
class Settings;
struct ProgramState;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(ProgramState& state, Settings& settings, PromptService& prompts,
               QStringList arguments, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up; runs once before the window is shown.
    void Form_Load();

    CommandBar& commandBar() { return *m_commandBar; }
    CommandDispatcher& dispatcher() { return m_dispatcher; }
    QTableView* grid() const { return m_grid; }
    AlbumBrowser& browser() { return *m_browser; }
    PreviewPane& preview() { return *m_preview; }
    // The password window; tests put a scripted answer here.
    void setPasswordAsker(std::function<QString()> asker);

    // Commands and procedures other windows call.
    void SSActiveToolBars1_ToolClick(const QString& toolId);
    void OpenRecentAlbum(int n);
    void OpenAlbum();
    void EnableRecordTools();
    void RefreshCaption();
    void RestoreDefaultToolbar();
    void ChooseImageBackColor();
    void UpdateOptionFlags();
    void MSFlexGrid1_Click(int row);
    void SSCommand2_Click(int index);
    void Image4_Click();
    void LEAD2_Click();

    // Adding pictures: the Add Images window over the open album (a new one when none is open),
    // a new album made through it, and the file browser.
    void addImages(const QStringList& pictures = {});
    void createNewAlbum(const QStringList& pictures = {});
    void showAddImages(const QStringList& pictures = {});
    void browseFolder();
    FileBrowser* fileBrowser() const { return m_fileBrowser; }

    bool newAlbumPending() const { return m_newAlbumPending; }
    QColor selImgBackColor() const { return m_selImgBackColor; }

protected:
    void closeEvent(QCloseEvent* event) override;   // Form_QueryUnload
    void resizeEvent(QResizeEvent* event) override; // Form_Resize
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWidgets();
    void registerCommands();
    void restoreColumnWidths();
    void saveOnExit();
    void customizeToolbar();
    void connectBrowser();
    void selectGridRow(qint64 row);

    ProgramState& m_state;
    Settings& m_settings;
    PromptService& m_prompts;
    QStringList m_arguments;

    CommandBar* m_commandBar = nullptr;
    CommandDispatcher m_dispatcher;

    AlbumBrowser* m_browser = nullptr;
    CaptionBand* m_band = nullptr;
    PreviewPane* m_preview = nullptr;
    QPushButton* m_navButtons[4] = {};
    QLabel* m_label2 = nullptr;
    QTableView* m_grid = nullptr;
    RecordGridModel* m_gridModel = nullptr;

    FileBrowser* m_fileBrowser = nullptr;
    bool m_newAlbumPending = false;
    QColor m_selImgBackColor;
    bool m_closing = false;
};

} // namespace q32
