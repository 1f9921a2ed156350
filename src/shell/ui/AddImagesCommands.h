#pragma once
// Adding pictures from the main window: the Add Images window over the open album (a new album
// when none is open), a new album made through it, and the file browser.

#include <QObject>
#include <QStringList>
#include <functional>

class QLabel;
class QWidget;

namespace q32 {

class AlbumBrowser;
class CommandDispatcher;
class FileBrowser;
class PreviewPane;
class PromptService;
class Settings;
struct OptionFlags;
struct ProgramPaths;

class AddImagesCommands : public QObject {
    Q_OBJECT
public:
    // statusLine shows the browsed file's description; window owns the windows opened.
    AddImagesCommands(AlbumBrowser& browser, PreviewPane& preview, QLabel& statusLine,
                      const ProgramPaths& paths, OptionFlags& options, Settings& settings,
                      PromptService& prompts, QWidget& window);

    // "ID_CreateNewAlbum", "ID_AddImages" and "ID_BrowseFolder".
    void registerTo(CommandDispatcher& commands);
    // The file browser, loaded hidden on its saved folder and pattern.
    void loadFileBrowser();

    void addImages(const QStringList& pictures = {});
    void createNewAlbum(const QStringList& pictures = {});
    void browseFolder();

    FileBrowser* fileBrowser() const { return m_fileBrowser; }
    bool newAlbumPending() const { return m_newAlbumPending; }

    // The file name a new album is offered (the first recent entry).
    std::function<QString()> offeredAlbumName;

signals:
    // The album shown may have changed: the caption is due again.
    void finished();

private:
    void showAddImages(const QString& albumPath, const QStringList& pictures);
    // Where the file browser starts before a folder was chosen in it: the image folder of Add
    // Images, else the user's pictures, else home.

    AlbumBrowser& m_browser;
    PreviewPane& m_preview;
    QLabel& m_statusLine;
    const ProgramPaths& m_paths;
    OptionFlags& m_options;
    Settings& m_settings;
    PromptService& m_prompts;
    QWidget& m_window;
    FileBrowser* m_fileBrowser = nullptr;
    bool m_newAlbumPending = false;
};

} // namespace q32
