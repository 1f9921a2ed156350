#include "shell/ui/SimilarCommand.h"

#include "album/add/SimilarPictures.h"
#include "common/Settings.h"
#include "common/WhenReady.h"
#include "platform/jobs/BackgroundJob.h"
#include "platform/prompt/PromptService.h"
#include "shell/AlbumBrowser.h"

#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <memory>

namespace q32 {
namespace {

const char kSimilarTool[] = "ID_FindSimilar";
const char kTitle[] = "FIND SIMILAR";

struct SimilarOutcome {
    QList<SimilarMatch> found;
    AlbumStatus status;
    bool stopped = false;
};

} // namespace

QString FindSimilarUnavailableReason(const AlbumBrowser& browser) {
    for (const ToolState& tool : ComputeToolStates(ToolContextOf(browser), {}))
        if (tool.id == QLatin1String(kSimilarTool))
            return tool.whyOff;
    return {};
}

void RunFindSimilar(AlbumBrowser& browser, PromptService& prompts, Settings& settings,
                    const QString& password, QWidget* parent, std::function<void()> shown) {
    if (!FindSimilarUnavailableReason(browser).isEmpty())
        return;
    static_assert(key::SimilarDistance.fallback == kSimilarDistance);
    const QString kept = QString::number(settings.get(key::SimilarDistance));
    // Short: the box is as wide as its question.
    const QString answer = prompts.input(
        QStringLiteral("Largest difference from this picture, in bits of 64 (0: the same):"),
        QLatin1String(kTitle), kept);
    if (answer.isEmpty())
        return;
    bool ok = false;
    const int distance = answer.trimmed().toInt(&ok);
    if (!ok || distance < 0 || distance > kHashBits) {
        prompts.msgBox(QStringLiteral("\"%1\" is not a distance: give a whole number from 0 to %2.")
                           .arg(answer)
                           .arg(kHashBits),
                       MsgIcon::Exclamation, QLatin1String(kTitle));
        return;
    }
    settings.set(key::SimilarDistance, distance);

    AlbumRecordset& rows = *browser.recordset();
    const qint64 rowId = rows.currentRowId();
    const QString name = rows.current() ? rows.current()->imageFile : QString();
    AlbumDb& album = *browser.album();
    const auto show = [&browser, &prompts, name, distance,
                       shown = std::move(shown)](const SimilarOutcome& outcome) {
        if (!outcome.status.ok()) {
            prompts.msgBox(outcome.status.text(), MsgIcon::Critical,
                           QStringLiteral("UNEXPECTED ERROR! (Find Similar)"));
            return;
        }
        if (outcome.found.isEmpty()) {
            prompts.msgBox(QStringLiteral("\"%1\" holds no picture to compare.").arg(name),
                           MsgIcon::Information, QLatin1String(kTitle));
            return;
        }
        QList<qint64> ids;
        for (const SimilarMatch& match : outcome.found)
            ids << match.rowId;
        browser.showSimilar(ids, name, distance);
        if (shown)
            shown();
    };

    AlbumStatus status;
    const qsizetype missing = RecordsWithoutPictureHashes(album, &status).size();
    if (missing == 0 || !status.ok()) {
        SimilarOutcome outcome;
        {
            BusyGuard busy(prompts);
            outcome.found = FindSimilarRecords(album, rowId, distance, &outcome.status);
        }
        show(outcome);
        return;
    }

    // Hashing an album's pictures takes a while: a connection of its own does it on a worker.
    const QString path = album.path();
    auto stop = std::make_shared<std::atomic_bool>(false);
    auto looked = std::make_shared<std::atomic<qint64>>(0);
    QFuture<SimilarOutcome> work = RunLong([path, password, rowId, distance, stop, looked] {
        SimilarOutcome outcome;
        std::unique_ptr<AlbumDb> own =
            AlbumDb::open(path, OpenOptions{false, password, false}, &outcome.status);
        if (!own) // a read-only album: the hashes are made in memory
            own = AlbumDb::open(path, OpenOptions{true, password, false}, &outcome.status);
        if (!own)
            return outcome;
        outcome.status = {};
        FillPictureHashes(*own, nullptr, [&] {
            ++*looked;
            return stop->load();
        });
        if (stop->load()) {
            outcome.stopped = true;
            return outcome;
        }
        outcome.found = FindSimilarRecords(*own, rowId, distance, &outcome.status);
        return outcome;
    });
    auto* progress = new QProgressDialog(
        QStringLiteral("Looking at %1 pictures for the first time...").arg(missing),
        QStringLiteral("Cancel"), 0, int(missing), parent);
    progress->setObjectName(QStringLiteral("FindSimilarProgress"));
    progress->setWindowTitle(QLatin1String(kTitle));
    progress->setWindowModality(Qt::WindowModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setMinimumDuration(0);
    auto* tick = new QTimer(progress);
    QObject::connect(tick, &QTimer::timeout, progress, [progress, looked, missing] {
        progress->setValue(int(std::min<qint64>(*looked, missing)));
    });
    tick->start(100);
    QObject::connect(progress, &QProgressDialog::canceled, progress, [stop] { *stop = true; });
    // Gone with its window: the work is no longer wanted.
    QObject::connect(progress, &QObject::destroyed, [stop] { *stop = true; });
    WhenReady(progress, work, [progress, path, &browser, show](const SimilarOutcome& outcome) {
        progress->deleteLater();
        // Nothing changes when the search was stopped or another album is open by now.
        if (outcome.stopped || !browser.album() || browser.album()->path() != path)
            return;
        show(outcome);
    });
}

} // namespace q32
