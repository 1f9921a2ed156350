#pragma once
// Compacting and repairing an album from the main window. Every handle on the album is let go
// first; the engine then works in the background while the window stays responsive and shows
// the progress it is told about; the report follows and the album is opened again. No widgets:
// every question goes through the prompt service.

#include "album/AlbumMaintenance.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

namespace q32 {

class AlbumBrowser;
class BusyGuard;
class PromptService;
class Settings;
struct OpenAlbumState;

class MaintenanceFlow : public QObject {
    Q_OBJECT
public:
    MaintenanceFlow(OpenAlbumState& album, Settings& settings, PromptService& prompts,
                    AlbumBrowser& browser, QObject* parent = nullptr);
    // Work still under way is told to stop and left to end on its own; the album stays as it
    // was.
    ~MaintenanceFlow() override;

    // Lets go of what the window holds outside the browser: the video pane's media, the
    // previews read ahead. Runs before the engine touches the file.
    void setReleaseHandles(std::function<void()> release) { m_release = std::move(release); }

    // "ID_CompactDatabase": compacts the open album, reports the sizes, opens it again.
    void compactAlbum();
    // "ID_RepairDatabase": asks for an album file, repairs it and opens it.
    void repairAlbum();
    // Both return once the work has started; ended() follows the last report. A command given
    // while one is under way is ignored.

    // Stops the compaction or repair under way; the album stays as it was.
    void cancel();
    // From the command until its last report.
    bool busy() const { return m_busy; }

signals:
    void titleChanged(const QString& title);
    // Long work started, described for the progress indication.
    void workStarted(const QString& what);
    // 0..100, or -1 while how far it is cannot be told.
    void progressChanged(int percent);
    void workFinished();
    // The command has ended, whichever way.
    void ended();

private:
    using Work = std::function<void(MaintenanceProgress&)>;
    // Runs work in the background while the event loop goes on, then calls then() on this
    // thread; never when the flow is gone by then.
    void runInBackground(Work work, const QString& what, std::function<void()> then);
    void releaseAlbum();
    // Opens path again with the password it was opened with, then ends the command.
    void reopenAndEnd(const QString& path, const QString& password);
    // Repairs path, asking for its password when the one tried does not open it, then
    // reports (repairReported).
    void repairAsking(const QString& path, const QString& password, int attempt);
    void repairReported(const QString& path, const QString& password, const RepairReport& report);
    void compactReported(const QString& path, const QString& password, const CompactReport& report);
    void end();

    OpenAlbumState& m_album;
    Settings& m_settings;
    PromptService& m_prompts;
    AlbumBrowser& m_browser;
    std::function<void()> m_release;
    std::shared_ptr<MaintenanceProgress> m_progress; // the work under way's, else null
    QTimer m_poll;
    bool m_cancelled = false; // the user stopped the work last run
    bool m_busy = false;
    std::unique_ptr<BusyGuard> m_busyGuard;
    QString m_openBefore; // the album open before a repair, and its password
    QString m_passwordBefore;
};

} // namespace q32
