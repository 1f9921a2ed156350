#include "shell/MaintenanceFlow.h"

#include "album/AlbumFileDialog.h"
#include "common/AppPaths.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "common/Text.h"
#include "platform/prompt/PromptService.h"
#include "shell/AlbumBrowser.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QStorageInfo>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <memory>

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
      m_browser(browser) {}

void MaintenanceFlow::cancel() {
    if (!m_progress)
        return;
    m_progress->cancelled = true;
    m_cancelled = true;
}

bool MaintenanceFlow::runOffThread(const std::function<void(MaintenanceProgress&)>& work,
                                   const QString& what) {
    MaintenanceProgress progress;
    m_progress = &progress;
    m_cancelled = false;
    std::atomic<bool> done{false};
    QEventLoop loop;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        work(progress);
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    }));
    QTimer poll;
    poll.setInterval(100);
    connect(&poll, &QTimer::timeout, this, [&] { emit progressChanged(percentOf(progress)); });
    emit workStarted(what);
    emit progressChanged(-1);
    worker->start();
    poll.start();
    loop.exec();
    // Only the program closing ends the loop early: the work stops where it is, which leaves
    // the album as it was.
    if (!done)
        progress.cancelled = true;
    worker->wait();
    poll.stop();
    m_progress = nullptr;
    emit workFinished();
    return done;
}

void MaintenanceFlow::releaseAlbum() {
    if (m_release)
        m_release();
    m_browser.closeAlbum();
}

void MaintenanceFlow::reopen(const QString& path, const QString& password) {
    // The browser tries the open album's password first; closing the album forgot it.
    m_album.AlbumPassword = password;
    m_browser.openAlbum(path);
}

void MaintenanceFlow::compactAlbum() {
    const QString path = m_album.OpenAlbumPath;
    if (path.isEmpty() || !m_browser.album()) {
        m_prompts.msgBox(QStringLiteral("No Image Depository is open: open the one to compact "
                                        "first."),
                         MsgIcon::Information, QStringLiteral("FYI"));
        return;
    }
    BusyGuard busy(m_prompts);
    emit titleChanged(QStringLiteral("Compacting ") + path + QStringLiteral("..."));
    const QString password = m_album.AlbumPassword;
    releaseAlbum();

    CompactReport report;
    const bool finished = runOffThread(
        [&](MaintenanceProgress& progress) {
            report = CompactAlbumFile(path, password, &progress);
        },
        QStringLiteral("Compacting ") + FileNameOfPath(path) + QStringLiteral("..."));
    if (!finished)
        return;

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
    reopen(path, password);
}

bool MaintenanceFlow::repairAsking(const QString& path, QString& password, RepairReport& report) {
    for (int attempt = 0;; ++attempt) {
        if (!runOffThread(
                [&](MaintenanceProgress& progress) {
                    report = RepairAlbumFile(path, password, &progress);
                },
                QStringLiteral("Repairing ") + FileNameOfPath(path) + QStringLiteral("...")))
            return false;
        if (report.status.condition != AlbumCondition::WrongPassword || attempt == 2)
            return true;
        const std::optional<QString> answer = m_prompts.askPassword(path);
        if (!answer || answer->isEmpty())
            return true;
        password = *answer;
    }
}

void MaintenanceFlow::repairAlbum() {
    BusyGuard busy(m_prompts);
    emit titleChanged(QStringLiteral("Repairing ") + m_album.OpenAlbumPath + QStringLiteral("..."));
    const QString path =
        AskAlbumToOpen(m_prompts, ResolvePathCase(m_settings.get(key::AlbumsDir)));
    if (path.isEmpty())
        return;

    const QString openBefore = m_album.OpenAlbumPath;
    // Albums often share a password: the open album's is tried first.
    QString password = m_album.AlbumPassword;
    const QString passwordBefore = password;
    releaseAlbum();
    RepairReport report;
    if (!repairAsking(path, password, report))
        return;

    if (!report.status.ok() &&
        (report.status.condition == AlbumCondition::Cancelled || m_cancelled)) {
        m_prompts.msgBox(QStringLiteral("Repair cancelled. \"") + path +
                             QStringLiteral("\" is left as it was."),
                         MsgIcon::Information, QStringLiteral("FYI"));
        if (!openBefore.isEmpty())
            reopen(openBefore, passwordBefore);
        return;
    }
    if (!report.status.ok()) {
        m_prompts.beep();
        m_prompts.msgBox(report.status.text(), MsgIcon::Critical,
                         QStringLiteral("CRITICAL ERROR! (PELORUS: FixDatabase)"));
        return;
    }
    m_prompts.msgBox(report.message(path), MsgIcon::None, QString());
    reopen(path, password);
}

} // namespace q32
