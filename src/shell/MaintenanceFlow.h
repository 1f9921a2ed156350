#pragma once
// Compacting and repairing an album from the main window. Every handle on the album is let go
// first; the engine then works on a worker thread while the window stays responsive and shows
// the progress it is told about; the report follows and the album is opened again. No widgets:
// every question goes through the prompt service.

#include "album/AlbumMaintenance.h"

#include <QObject>
#include <functional>

namespace q32 {

class AlbumBrowser;
class PromptService;
class Settings;
struct OpenAlbumState;

class MaintenanceFlow : public QObject {
    Q_OBJECT
public:
    MaintenanceFlow(OpenAlbumState& album, Settings& settings, PromptService& prompts,
                    AlbumBrowser& browser, QObject* parent = nullptr);

    // Lets go of what the window holds outside the browser: the video pane's media, the
    // previews read ahead. Runs before the engine touches the file.
    void setReleaseHandles(std::function<void()> release) { m_release = std::move(release); }

    // "ID_CompactDatabase": compacts the open album, reports the sizes, opens it again.
    void compactAlbum();
    // "ID_RepairDatabase": asks for an album file, repairs it and opens it.
    void repairAlbum();

    // Stops the compaction or repair under way; the album stays as it was.
    void cancel();
    bool running() const { return m_progress != nullptr; }

signals:
    void titleChanged(const QString& title);
    // Long work started, described for the progress indication.
    void workStarted(const QString& what);
    // 0..100, or -1 while how far it is cannot be told.
    void progressChanged(int percent);
    void workFinished();

private:
    // Runs work on a worker thread while the event loop goes on. False when the loop was ended
    // from outside (the program is closing): the work was stopped and nothing more may be
    // shown.
    bool runOffThread(const std::function<void(MaintenanceProgress&)>& work, const QString& what);
    void releaseAlbum();
    // Opens path again with the password it was opened with.
    void reopen(const QString& path, const QString& password);
    // Repairs path, asking for its password when the one tried does not open it.
    bool repairAsking(const QString& path, QString& password, RepairReport& report);

    OpenAlbumState& m_album;
    Settings& m_settings;
    PromptService& m_prompts;
    AlbumBrowser& m_browser;
    std::function<void()> m_release;
    MaintenanceProgress* m_progress = nullptr;
    bool m_cancelled = false; // the user stopped the work last run
};

} // namespace q32
