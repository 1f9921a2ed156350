#pragma once
// The add run of the Add Images window ("&Add"): opens or creates the album, stores every listed
// file on a worker thread (the album library's AddRunJob, which commits in groups and reports a
// file only once it is committed), lets "&Cancel" stop it after any file, offers to protect the
// album, and closes the window. The buttons that change the list are disabled while it runs; the
// window stays live.

#include "album/add/AddRun.h"

#include <QElapsedTimer>
#include <QObject>
#include <memory>

namespace q32 {

class AddImagesController;
class AlbumDb;
class AddRunJob;

class AddImagesRun : public QObject {
    Q_OBJECT
public:
    explicit AddImagesRun(AddImagesController& window);
    ~AddImagesRun() override;

    void start();
    // "&Cancel" or the close box: the run ends after the file in hand.
    void requestStop();
    bool running() const { return m_running; }
    // The rows the album holds: those it had, and those the run has committed.
    qint64 albumRows() const { return m_albumRows; }

signals:
    // False when the run starts, true again when the window stays open after it.
    void buttonsEnabled(bool on);
    void selectAllCaption(const QString& caption);
    // The entry being stored, so the list shows it selected.
    void entrySelected(int row);
    // Files stored and committed, in list order.
    void stored(const QStringList& files);
    // The run is over: the window closes (closeRequested) or stays for another go.
    void finished();

private:
    enum class Next { Finish, End }; // step 6 (finish) or step 8 (end) of the run
    void itemHandled(const AddProgress& progress);
    void itemsReported(const QList<AddItemReport>& reports);
    void jobFinished();
    // How many files were stored, skipped and failed, and which were not stored (or left out of
    // the folders added) and why.
    void reportSummary();
    void finish(Next next);

    AddImagesController& m_window;
    std::unique_ptr<AlbumDb> m_album;
    std::unique_ptr<AddRunJob> m_job;
    QElapsedTimer m_sinceShown; // the file shown last, so a fast run does not redraw each one
    bool m_running = false;
    bool m_ran = false; // files were handed to the album: the run ends with its summary
    AddRunSummary m_summary;
    bool m_protectedAlbum = false;
    qint64 m_albumRows = 0;
    QStringList m_duplicates;   // "b.jpg: the same picture as record 1 (a.jpg)"
    QStringList m_skipped;      // other files skipped, "a.jpg: why"
    QStringList m_failed;       // "bad.png: why"
    int m_readOnlyFailures = 0; // the window's count: the second read-only failure ends it
};

} // namespace q32
