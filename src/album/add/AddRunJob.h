#pragma once
// Runs an AddRun in the background so the window stays responsive. The album is used only by the
// worker while the job runs. The run's questions (the naming prompts, its messages) are asked
// through the window's prompt service on the job's own thread while the worker waits for the
// answer. Signals arrive on the job's thread; requestStop() may be called from any thread.

#include "album/add/AddRun.h"
#include "platform/jobs/BackgroundJob.h"

#include <QObject>
#include <memory>

namespace q32 {

class AddRunJob : public QObject {
    Q_OBJECT
public:
    AddRunJob(AlbumStore& album, PromptService& prompts, QStringList files, AddRunOptions options,
              QObject* parent = nullptr);
    // Stops a running job and waits for the file in hand to be committed; an unanswered
    // question is answered with Cancel.
    ~AddRunJob() override;

    void start();
    // The run ends after the file in hand, once what it stored is committed.
    void requestStop() { m_job.requestStop(); }
    bool isRunning() const { return m_job.isRunning(); }
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
    AlbumStore& m_album;
    QStringList m_files;
    AddRunOptions m_options;
    AddRunSummary m_summary;
    std::unique_ptr<Relay> m_relay;
    bool m_started = false;
    BackgroundJob m_job;
};

} // namespace q32
