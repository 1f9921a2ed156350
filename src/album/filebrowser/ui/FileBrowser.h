#pragma once
// The file browser "DriveAssignments": a drive list, a folder tree and the folder's picture
// files filtered by the type boxes. A click on a file previews it in the main window with a
// one-line description; OK keeps the folder as the thumbnails folder.

#include "album/filebrowser/FileBrowserDrives.h"
#include "album/filebrowser/FileBrowserSession.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QListWidget;
class QPushButton;
class QTreeView;

namespace q32 {

class FileBrowser : public QDialog {
    Q_OBJECT
public:
    FileBrowser(ProgramState& state, Settings& settings, QWidget* parent = nullptr);

    // Start-up loads the window hidden on the remembered folder and pattern.
    void load();
    // Shows the window modally where it leaves keepClear (the preview it drives, in screen
    // coordinates) in sight; StatusWord tells how it ended too (0 accepted, 1 cancelled/empty).
    FileBrowserSession::Outcome browse(const QRect& keepClear = {});

    FileBrowserSession& session() { return m_session; }

signals:
    // The main window previews the file and shows the line under its grid.
    void previewRequested(const QString& path);
    void descriptionChanged(const QString& line);

public slots:
    // Escape cancels as the button does.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void chooseDrive(int index);
    void chooseFolder(const QString& folder);
    void showFiles();
    void previewFile(int row);
    void finish(bool accept);
    void setListsEnabled(bool on);
    void savePosition();

    ProgramState& m_state;
    Settings& m_settings;
    FileBrowserSession m_session;
    QList<Drive> m_drives;
    QComboBox* m_drive1;
    QTreeView* m_dir1;
    QFileSystemModel* m_folders;
    QListWidget* m_file1;
    QList<QCheckBox*> m_boxes;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    FileBrowserSession::Outcome m_outcome = FileBrowserSession::Outcome::Cancelled;
    bool m_ready = false;
    bool m_choosing = false; // the folder tree is being set, not clicked
};

} // namespace q32
