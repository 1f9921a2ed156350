#include "album/add/AddRunJob.h"

#include "platform/jobs/HandOff.h"
#include "platform/prompt/PromptService.h"

#include <condition_variable>
#include <mutex>
#include <optional>

namespace q32 {

// Forwards each question to the real prompt service on the job's thread and waits for the
// answer. When the job is torn down first, the question gets the answer of Cancel.
class AddRunJob::Relay : public PromptService {
public:
    Relay(QObject* home, PromptService& target) : m_home(home), m_target(target) {}

    // Wakes a waiting question with the Cancel answer; later questions get it at once.
    void abandon() {
        {
            std::lock_guard lock(m_state->mutex);
            m_state->abandoned = true;
        }
        m_state->changed.notify_all();
    }

    MsgResult message(const MessageRequest& request) override {
        return ask<MsgResult>([request](PromptService& p) { return p.message(request); },
                              MsgResult::Cancel);
    }
    QString input(const QString& prompt, const QString& title,
                  const QString& defaultText) override {
        return ask<QString>([=](PromptService& p) { return p.input(prompt, title, defaultText); },
                            QString());
    }
    QString openFile(const FileDialogRequest& request) override {
        return ask<QString>([request](PromptService& p) { return p.openFile(request); }, {});
    }
    QString saveFile(const FileDialogRequest& request) override {
        return ask<QString>([request](PromptService& p) { return p.saveFile(request); }, {});
    }
    QString pickFolder(const QString& title, const QString& initialDir) override {
        return ask<QString>([=](PromptService& p) { return p.pickFolder(title, initialDir); }, {});
    }
    std::optional<QColor> chooseColor(const QColor& initial) override {
        return ask<std::optional<QColor>>([=](PromptService& p) { return p.chooseColor(initial); },
                                          std::nullopt);
    }
    std::optional<QFont> chooseFont(const QFont& initial) override {
        return ask<std::optional<QFont>>([=](PromptService& p) { return p.chooseFont(initial); },
                                         std::nullopt);
    }
    bool printSetup() override {
        return ask<bool>([](PromptService& p) { return p.printSetup(); }, false);
    }
    void beep() override {
        CallOnThreadOf(m_home, [&target = m_target] { target.beep(); });
    }
    std::optional<QString> askPassword(const QString& albumPath) override {
        return ask<std::optional<QString>>(
            [=](PromptService& p) { return p.askPassword(albumPath); }, QString());
    }
    std::optional<QString> askNewPassword(const QString& title, const QString& prompt) override {
        return ask<std::optional<QString>>(
            [=](PromptService& p) { return p.askNewPassword(title, prompt); }, std::nullopt);
    }

protected:
    void showBusy(bool busy) override {
        // The pointer belongs to the window's thread: one guard there while the job is busy.
        CallOnThreadOf(m_home, [this, busy] {
            if (busy)
                m_busy.emplace(m_target);
            else
                m_busy.reset();
        });
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        bool abandoned = false;
    };
    template <typename R, typename Question> R ask(Question question, R cancelled) {
        if (QThread::currentThread() == m_home->thread())
            return question(m_target);
        auto answer = std::make_shared<std::optional<R>>();
        std::shared_ptr<State> state = m_state;
        // A call to a job that is gone is dropped, so the target is never used late.
        CallOnThreadOf(m_home, [question, answer, state, &target = m_target] {
            R value = question(target);
            {
                std::lock_guard lock(state->mutex);
                *answer = std::move(value);
            }
            state->changed.notify_all();
        });
        std::unique_lock lock(state->mutex);
        state->changed.wait(lock, [&] { return answer->has_value() || state->abandoned; });
        return answer->has_value() ? std::move(**answer) : cancelled;
    }

    QObject* m_home;
    PromptService& m_target;
    std::shared_ptr<State> m_state = std::make_shared<State>();
    std::optional<BusyGuard> m_busy;
};

class AddRunJob::Listener : public AddRunListener {
public:
    explicit Listener(AddRunJob* job) : m_job(job) {}
    bool stopRequested() override { return m_job->m_job.stopRequested(); }
    // Sent through the courier rather than as queued signals, so the hand-over of each value is
    // one ThreadSanitizer sees, and it keeps its order with finished().
    void progress(const AddProgress& progress) override {
        CallOnThreadOf(m_job, [job = m_job, progress] { emit job->progress(progress); });
    }
    void reported(const QList<AddItemReport>& reports) override {
        CallOnThreadOf(m_job, [job = m_job, reports] { emit job->reported(reports); });
    }
    void setTitle(const QString& title) override {
        CallOnThreadOf(m_job, [job = m_job, title] { emit job->titleChanged(title); });
    }

private:
    AddRunJob* m_job;
};

AddRunJob::AddRunJob(AlbumStore& album, PromptService& prompts, QStringList files,
                     AddRunOptions options, QObject* parent)
    : QObject(parent), m_album(album), m_files(std::move(files)), m_options(std::move(options)),
      m_relay(std::make_unique<Relay>(this, prompts)) {
    qRegisterMetaType<q32::AddProgress>();
    qRegisterMetaType<q32::AddItemReport>();
    qRegisterMetaType<QList<q32::AddItemReport>>();
    connect(&m_job, &BackgroundJob::finished, this, &AddRunJob::finished);
}

AddRunJob::~AddRunJob() {
    // A question the worker waits on is answered first, so the job's own wait ends.
    m_job.requestStop();
    m_relay->abandon();
}

void AddRunJob::start() {
    if (m_started)
        return;
    m_started = true;
    m_job.start([this](const std::atomic<bool>&) {
        Listener listener(this);
        AddRun run(m_album, *m_relay, m_options);
        m_summary = run.run(m_files, &listener);
    });
}

} // namespace q32
