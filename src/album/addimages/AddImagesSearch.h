#pragma once
// "&Search" and "Scan &Drive" of the Add Images window: the directory scan and collect step run
// on DirectoryScanJob's worker thread; the files arrive in the list while it runs, in batches
// small enough that the window never stalls, and "Stop" ends the run at once.

#include "platform/prompt/PromptService.h"

#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>

namespace q32 {

class AddImagesController;
class DirectoryScanJob;

class AddImagesSearch : public QObject {
    Q_OBJECT
public:
    explicit AddImagesSearch(AddImagesController& window);
    ~AddImagesSearch() override;

    // A click on button 0 ("&Search") or 1 ("Scan &Drive"); on "Stop" it stops the run.
    void click(int button);
    // Folders dropped on the list: their files are added to what the list holds.
    void addFolders(const QStringList& folders);
    void stop();
    bool running() const;
    QString caption(int button) const { return m_captions[button]; }
    static QString idleCaption(int button);

    // Paths put into the list per turn of the event loop.
    static constexpr qsizetype kBatch = 4000;

signals:
    void captionChanged(int button, const QString& caption);
    void runningChanged(bool running);
    void finished();

private:
    void start(int button, const QString& folder, bool recursive, bool driveScan);
    void restore();
    void jobFinished();
    void feedList();
    void nextDroppedFolder();

    AddImagesController& m_window;
    std::unique_ptr<DirectoryScanJob> m_job;
    std::optional<BusyGuard> m_busy; // from the click until the button reads its caption again
    QString m_captions[2];
    int m_button = -1; // the button showing "Stop"; -1 when none
    bool m_savedRecursive = false;
    bool m_restored = true;
    bool m_listFull = false;
    bool m_feeding = false;
    bool m_jobDone = false;
    bool m_searching = false; // from the click until the last batch is in the list
    QStringList m_found;      // what the run found
    qsizetype m_fed = 0;      // how many of them are in the list
    qint64 m_directories = 0;
    qsizetype m_startCount = 0;
    QStringList m_droppedFolders;
};

} // namespace q32
