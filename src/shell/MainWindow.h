#pragma once
// The main window "Main": start-up, shutdown, layout of the album browser, and the command table.

#include "shell/CommandBar.h"
#include "shell/CommandDispatcher.h"

#include <QColor>
#include <QMainWindow>
#include <QStringList>

class QFrame;
class QLabel;
class QPushButton;
class QTableView;
class QStandardItemModel;
class QVideoWidget;

namespace q32 {

class CaptionBand;
class PromptService;
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

    // Commands and procedures other windows call.
    void SSActiveToolBars1_ToolClick(const QString& toolId);
    void OpenRecentAlbum(int n);
    void OpenAlbum();
    void EnableRecordTools();
    void RefreshCaption();
    void RestoreDefaultToolbar();
    void ChooseImageBackColor();
    void UpdateOptionFlags();

    bool newAlbumPending() const { return m_newAlbumPending; }
    QColor selImgBackColor() const { return m_selImgBackColor; }

protected:
    void closeEvent(QCloseEvent* event) override;   // Form_QueryUnload
    void resizeEvent(QResizeEvent* event) override; // Form_Resize

private:
    void buildWidgets();
    void registerCommands();
    void restoreColumnWidths();
    void saveOnExit();
    void customizeToolbar();

    ProgramState& m_state;
    Settings& m_settings;
    PromptService& m_prompts;
    QStringList m_arguments;

    CommandBar* m_commandBar = nullptr;
    CommandDispatcher m_dispatcher;

    CaptionBand* m_band = nullptr;
    QFrame* m_picture3 = nullptr;
    QFrame* m_picture6 = nullptr;
    QFrame* m_picture5 = nullptr;
    QLabel* m_lead2 = nullptr;
    QVideoWidget* m_video = nullptr;
    QPushButton* m_videoButtons[2] = {};
    QPushButton* m_navButtons[4] = {};
    QLabel* m_image4 = nullptr;
    QLabel* m_label2 = nullptr;
    QTableView* m_grid = nullptr;
    QStandardItemModel* m_gridModel = nullptr;

    bool m_newAlbumPending = false;
    QColor m_selImgBackColor;
    bool m_closing = false;
};

} // namespace q32
