#include "shell/ui/AddImagesCommands.h"

#include "album/AlbumMedia.h"
#include "album/addimages/AddImagesStartup.h"
#include "album/filebrowser/ui/FileBrowser.h"
#include "album/ui/AddImagesWindow.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "common/Text.h"
#include "formats/FormatTable.h"
#include "platform/player/VideoControl.h"
#include "shell/AlbumBrowser.h"
#include "shell/CommandDispatcher.h"
#include "shell/ui/PreviewPane.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QStandardPaths>

namespace q32 {

AddImagesCommands::AddImagesCommands(AlbumBrowser& browser, PreviewPane& preview,
                                     QLabel& statusLine, const ProgramPaths& paths,
                                     OptionFlags& options, Settings& settings,
                                     PromptService& prompts, QWidget& window)
    : QObject(&window), m_browser(browser), m_preview(preview), m_statusLine(statusLine),
      m_paths(paths), m_options(options), m_settings(settings), m_prompts(prompts),
      m_window(window) {}

void AddImagesCommands::registerTo(CommandDispatcher& d) {
    d.add(QStringLiteral("ID_CreateNewAlbum"), [this] { createNewAlbum(); });
    d.add(QStringLiteral("ID_AddImages"), [this] { addImages(); });
    d.add(QStringLiteral("ID_BrowseFolder"), [this] { browseFolder(); });
}

void AddImagesCommands::addImages(const QStringList& pictures) {
    // With no album open there is nothing to add to: the pictures start a new one.
    if (!m_browser.album()) {
        createNewAlbum(pictures);
        return;
    }
    m_newAlbumPending = false;
    showAddImages(m_browser.album()->path(), pictures);
}

void AddImagesCommands::createNewAlbum(const QStringList& pictures) {
    m_newAlbumPending = true;
    const QString chosen =
        AskAlbumFileName(m_prompts, offeredAlbumName ? offeredAlbumName() : QString(),
                         m_browser.album() ? m_browser.album()->path() : QString());
    if (!chosen.isEmpty())
        showAddImages(chosen, pictures);
}

void AddImagesCommands::showAddImages(const QString& albumPath, const QStringList& pictures) {
    // A clip read from the album meanwhile would keep the add run's writes waiting.
    m_preview.player().close();
    AddImagesResult result;
    {
        // Questions asked while it is up open over it: it is the topmost modal window.
        AddImagesWindow window(m_paths.AppDir, m_options, m_settings, m_prompts, albumPath,
                               &m_window);
        result = window.showModal(pictures);
    }
    if (m_newAlbumPending) {
        // A new album exists only once something was added to it.
        if (QFileInfo::exists(albumPath))
            m_browser.openAlbum(albumPath);
    } else if (result.albumRows >= 1) {
        // Opened again rather than re-read: a protect step puts a new file in the album's place.
        m_browser.openAlbum(albumPath);
    }
    emit finished();
}

void AddImagesCommands::loadFileBrowser() {
    // Loaded hidden on its remembered folder and pattern.
    m_fileBrowser = new FileBrowser(m_paths.AppDir, m_settings, &m_window);
    connect(m_fileBrowser, &FileBrowser::previewRequested, this, [this](const QString& path) {
        RecordMedia media;
        media.kind = MediaKindOfFile(path);
        media.path = path;
        m_preview.showMedia(media);
    });
    connect(m_fileBrowser, &FileBrowser::descriptionChanged, &m_statusLine, &QLabel::setText);
    m_fileBrowser->load();
}

void AddImagesCommands::browseFolder() {
    if (!m_fileBrowser)
        return;
    const QString statusLine = m_statusLine.text();
    const QRect preview(m_preview.mapToGlobal(QPoint(0, 0)), m_preview.size());
    const auto outcome = m_fileBrowser->browse(preview);
    if (outcome == FileBrowserSession::Outcome::Accepted)
        return;
    // Nothing was chosen: the main window shows what it showed before.
    if (m_browser.recordset() && m_browser.albumState().RecordCount >= 1) {
        m_browser.showCurrentRecord();
    } else {
        m_preview.player().close(); // a clip it previewed
        m_preview.hidePreview();
        m_preview.showMedia(RecordMedia{});
    }
    m_statusLine.setText(outcome == FileBrowserSession::Outcome::EmptyFolder
                             ? QStringLiteral("Empty directory!")
                             : statusLine);
}

} // namespace q32
