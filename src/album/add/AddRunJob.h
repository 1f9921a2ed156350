#pragma once
// Runs an AddRun on a worker thread so the window stays responsive. The album is used only by the
// worker while the job runs. The run's questions (the naming prompts, its messages) are asked
// through the window's prompt service on the job's own thread while the worker waits for the
// answer. Signals arrive on the job's thread; requestStop() may be called from any thread.

#include "album/add/AddRun.h"

#include <QObject>
#include <atomic>
#include <memory>

class QThread;

namespace q32 {

class AddRunJob : public QObject {
    Q_OBJECT
public:
    AddRunJob(AlbumDb& album, PromptService& prompts, QStringList files, AddRunOptions options,
              QObject* parent = nullptr);
    // Stops a running job and waits for it; an unanswered question is answered with Cancel.
    ~AddRunJob() override;

    void start();
    // The run ends after the file in hand, once what it stored is committed.
    void requestStop() { m_stop = true; }
    bool isRunning() const;
    // Valid once finished() has been emitted.
    const AddRunSummary& summary() const { return m_summary; }

signals:
    void progress(const q32::AddProgress& progress);
    void reported(const QList<q32::AddItemReport>& reports);
    void titleChanged(const QString& title);
    void finished();

private:
    class Relay;
    class Listener;
    AlbumDb& m_album;
    QStringList m_files;
    AddRunOptions m_options;
    AddRunSummary m_summary;
    std::atomic<bool> m_stop{false};
    std::unique_ptr<Relay> m_relay;
    QThread* m_thread = nullptr;
};

} // namespace q32
