#include "shell/MaintenanceFlow.h"

#include "album/AlbumFileDialog.h"
#include "common/AppPaths.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "common/Text.h"
#include "platform/jobs/BackgroundJob.h"
#include "platform/prompt/PromptService.h"
#include "shell/AlbumBrowser.h"

#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

namespace q32 {
namespace {

const QString kCompactTitle = QStringLiteral("COMPACT DATABASE");

// -1 while the engine does not know how much there is to do.
int percentOf(const MaintenanceProgress& progress) {
    const qint64 total = progress.total;
    return total > 0 ? int(std::clamp<qint64>(progress.done * 100 / total, 0, 100)) : -1;
}

} // namespace

MaintenanceFlow::MaintenanceFlow(OpenAlbumState& album, Settings& settings, PromptService& prompts,
                                 AlbumBrowser& browser, QObject* parent)
    : QObject(parent), m_album(album), m_settings(settings), m_prompts(prompts),
      m_browser(browser) {
    m_poll.setInterval(100);
    connect(&m_poll, &QTimer::timeout, this, [this] {
        if (m_progress)
            emit progressChanged(percentOf(*m_progress));
    });
}

MaintenanceFlow::~MaintenanceFlow() {
    // The engine stops where it is, which leaves the album as it was.
    if (m_progress)
        m_progress->cancelled = true;
}

void MaintenanceFlow::cancel() {
    if (!m_progress)
        return;
    m_progress->cancelled = true;
    m_cancelled = true;
}

void MaintenanceFlow::runInBackground(Work work, const QString& what, std::function<void()> then) {
    auto progress = std::make_shared<MaintenanceProgress>();
    m_progress = progress;
    m_cancelled = false;
    emit workStarted(what);
    emit progressChanged(-1);
    m_poll.start();
    auto* watcher = new QFutureWatcher<void>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, then = std::move(then)] {
        watcher->deleteLater();
        m_poll.stop();
        m_progress.reset();
        emit workFinished();
        then();
    });
    watcher->setFuture(RunLong([progress, work = std::move(work)] { work(*progress); }));
}

void MaintenanceFlow::end() {
    m_busy = false;
    m_busyGuard.reset();
    emit ended();
}

void MaintenanceFlow::releaseAlbum() {
    if (m_release)
        m_release();
    m_browser.closeAlbum();
}

void MaintenanceFlow::reopenAndEnd(const QString& path, const QString& password) {
    // The browser tries the open album's password first; closing the album forgot it.
    m_album.AlbumPassword = password;
    m_browser.openAlbum(path, [this](bool) { end(); });
}

void MaintenanceFlow::compactAlbum() {
    if (m_busy)
        return;
    const QString path = m_album.OpenAlbumPath;
    if (path.isEmpty() || !m_browser.album()) {
        m_prompts.msgBox(QStringLiteral("No Image Depository is open: open the one to compact "
                                        "first."),
                         MsgIcon::Information, QStringLiteral("FYI"));
        return;
    }
    m_busy = true;
    m_busyGuard = std::make_unique<BusyGuard>(m_prompts);
    emit titleChanged(QStringLiteral("Compacting ") + path + QStringLiteral("..."));
    const QString password = m_album.AlbumPassword;
    releaseAlbum();

    auto report = std::make_shared<CompactReport>();
    runInBackground(
        [path, password, report](MaintenanceProgress& progress) {
            *report = CompactAlbumFile(path, password, &progress);
        },
        QStringLiteral("Compacting ") + FileNameOfPath(path) + QStringLiteral("..."),
        [this, path, password, report] { compactReported(path, password, *report); });
}

void MaintenanceFlow::compactReported(const QString& path, const QString& password,
                                      const CompactReport& report) {
    if (report.status.ok()) {
        m_prompts.msgBox(report.message(), MsgIcon::Information, kCompactTitle);
    } else if (report.status.condition == AlbumCondition::Cancelled || m_cancelled) {
        m_prompts.msgBox(QStringLiteral("Compaction cancelled. \"") + path +
                             QStringLiteral("\" is left as it was."),
                         MsgIcon::Information, kCompactTitle);
    } else {
        m_prompts.beep();
        // The copy needs at most the album's size: with less room than that left, the disk was
        // what stopped it, whatever the engine's words for it.
        const bool diskFull =
            report.status.condition == AlbumCondition::DiskFull ||
            QStorageInfo(QFileInfo(path).absolutePath()).bytesAvailable() < report.oldSize;
        const QString reason = diskFull
                                   ? QStringLiteral("there is not enough free space on the disk.")
                                   : report.status.text();
        m_prompts.msgBox(QStringLiteral("\"") + path +
                             QStringLiteral("\" could not be compacted: ") + reason +
                             QStringLiteral("\nThe Image Depository is left as it was."),
                         MsgIcon::Exclamation, kCompactTitle);
        // The sizes follow as after every compaction: the same file, nothing gained.
        m_prompts.msgBox(report.message(), MsgIcon::Information, kCompactTitle);
    }
    reopenAndEnd(path, password);
}

void MaintenanceFlow::repairAsking(const QString& path, const QString& password, int attempt) {
    auto report = std::make_shared<RepairReport>();
    runInBackground(
        [path, password, report](MaintenanceProgress& progress) {
            *report = RepairAlbumFile(path, password, &progress);
        },
        QStringLiteral("Repairing ") + FileNameOfPath(path) + QStringLiteral("..."),
        [this, path, password, report, attempt] {
            if (report->status.condition == AlbumCondition::WrongPassword && attempt < 2) {
                const std::optional<QString> answer = m_prompts.askPassword(path);
                if (answer && !answer->isEmpty()) {
                    repairAsking(path, *answer, attempt + 1);
                    return;
                }
            }
            repairReported(path, password, *report);
        });
}

void MaintenanceFlow::repairAlbum() {
    if (m_busy)
        return;
    m_busy = true;
    m_busyGuard = std::make_unique<BusyGuard>(m_prompts);
    emit titleChanged(QStringLiteral("Repairing ") + m_album.OpenAlbumPath + QStringLiteral("..."));
    const QString path = AskAlbumToOpen(m_prompts, ResolvePathCase(m_settings.get(key::AlbumsDir)));
    if (path.isEmpty()) {
        end();
        return;
    }

    m_openBefore = m_album.OpenAlbumPath;
    // Albums often share a password: the open album's is tried first.
    m_passwordBefore = m_album.AlbumPassword;
    releaseAlbum();
    repairAsking(path, m_passwordBefore, 0);
}

void MaintenanceFlow::repairReported(const QString& path, const QString& password,
                                     const RepairReport& report) {
    if (!report.status.ok() &&
        (report.status.condition == AlbumCondition::Cancelled || m_cancelled)) {
        m_prompts.msgBox(QStringLiteral("Repair cancelled. \"") + path +
                             QStringLiteral("\" is left as it was."),
                         MsgIcon::Information, QStringLiteral("FYI"));
        if (!m_openBefore.isEmpty()) {
            reopenAndEnd(m_openBefore, m_passwordBefore);
            return;
        }
    } else if (!report.status.ok()) {
        m_prompts.beep();
        m_prompts.msgBox(report.status.text(), MsgIcon::Critical,
                         QStringLiteral("CRITICAL ERROR! (PELORUS: FixDatabase)"));
    } else {
        m_prompts.msgBox(report.message(path), MsgIcon::None, QString());
        reopenAndEnd(path, password);
        return;
    }
    end();
}

} // namespace q32
