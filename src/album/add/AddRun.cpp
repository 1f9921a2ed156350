#include "album/add/AddRun.h"

#include "album/AlbumStore.h"
#include "album/add/ReadAhead.h"
#include "platform/prompt/PromptService.h"

#include <QElapsedTimer>
#include <optional>

namespace q32 {
namespace {

// The listener's title and the store's busy texts are the same channel.
class TitleRelay : public AddRunSink {
public:
    explicit TitleRelay(AddRunListener* listener) : m_listener(listener) {}
    void setTitle(const QString& title) override {
        if (m_listener)
            m_listener->setTitle(title);
    }

private:
    AddRunListener* m_listener;
};

// Conditions of a file that is there but cannot be read: the window names it and goes on.
bool isReadError(ImagingCondition condition) {
    const int n = ConditionNumber(condition);
    return n >= 20000 && n <= 20062;
}

} // namespace

AddRun::AddRun(AlbumStore& album, PromptService& prompts, AddRunOptions options)
    : m_album(album), m_prompts(prompts), m_options(std::move(options)) {}

AddRunSummary AddRun::run(const QStringList& files, AddRunListener* listener) {
    AddRunSummary summary;
    TitleRelay titles(listener);
    const StoreContext context{&m_album, &m_prompts, &titles, m_options.askNames,
                               m_options.skipDuplicates};
    if (m_options.skipDuplicates) {
        // Records stored by an earlier build get their hashes now, once: they are kept.
        titles.setTitle(QStringLiteral("BUSY: Checking the pictures already in the album..."));
        const AlbumStatus filled = m_album.completeContentHashes(
            [listener] { return listener && listener->stopRequested(); });
        if (filled.condition == AlbumCondition::Cancelled) {
            summary.end = AddRunSummary::End::Stopped;
            summary.notAttempted = files.size();
            return summary;
        }
    }
    PrepareOptions prepare;
    prepare.compressStorage = m_options.compressStorage;
    prepare.workFolder = m_options.workFolder;
    prepare.inMemoryLimit = m_options.inMemoryLimit;
    prepare.dateTaken = m_options.dateTaken;
    prepare.decodeThumbnail = m_options.decodeThumbnails;
    // Only skipping duplicates needs the hashes now; the others are made afterwards, in the
    // background (HashFiller), so the run stores at full speed.
    prepare.contentHash = m_options.skipDuplicates && m_album.hasContentHashes();
    // The naming questions come between reading a file and storing it: nothing to read ahead.
    ReadAhead ahead(files, prepare, m_options.askNames ? 0 : m_options.readAhead);

    const std::shared_ptr<void> tuned = m_album.beginAddRun();
    std::unique_ptr<WriteGroup> group;
    QList<AddItemReport> pending;
    qint64 groupBytes = 0;
    qint64 unwritten = 0; // stored since the album was last flushed
    QElapsedTimer groupAge;
    AddProgress progress;
    progress.total = files.size();

    // Makes the group durable and reports it; false when the commit failed.
    auto commitGroup = [&]() -> bool {
        AlbumStatus error;
        if (group) {
            error = group->commit();
            group.reset();
        }
        for (AddItemReport& report : pending) {
            if (report.result != AddResult::Stored)
                continue;
            if (error.ok()) {
                ++summary.stored;
            } else {
                report.result = AddResult::Failed;
                // A failing row (a full disk) takes its group with it: say why.
                report.reason = QStringLiteral("not stored: ") +
                                (summary.albumError.isEmpty() ? error.text() : summary.albumError);
                report.rowId = 0;
                ++summary.failed;
            }
        }
        if (listener && !pending.isEmpty())
            listener->reported(pending);
        pending.clear();
        groupBytes = 0;
        return error.ok();
    };

    qsizetype next = 0;
    for (; next < files.size(); ++next) {
        if (!group) {
            AlbumStatus begun;
            group = m_album.beginGroup(&begun);
            if (!group) {
                summary.end = AddRunSummary::End::AlbumFailed;
                summary.albumError = begun.text();
                break;
            }
            groupAge.start();
        }
        PreparedFile prepared = ahead.takeNext();
        const AddOutcome outcome = StorePreparedFile(context, prepared);

        AddItemReport report;
        report.index = next;
        report.file = files.at(next);
        report.result = outcome.result;
        report.reason = outcome.reason;
        report.rowId = outcome.rowId;
        report.sameAsRow = outcome.sameAsRow;
        report.bytes = prepared.size;
        ahead.recycle(std::move(prepared));
        if (outcome.result == AddResult::Cancelled) {
            summary.end = AddRunSummary::End::NameCancelled;
            ++next;
            break;
        }
        if (outcome.result == AddResult::Stored) {
            groupBytes += report.bytes;
            unwritten += report.bytes;
            if (unwritten >= m_options.flushBytes) {
                m_album.flushInBackground();
                unwritten = 0;
            }
        } else if (outcome.result == AddResult::Skipped)
            ++summary.skipped;
        else
            ++summary.failed;
        pending.append(report);

        progress.index = next;
        progress.file = report.file;
        progress.result = report.result;
        if (outcome.result == AddResult::Stored) {
            ++progress.storedSoFar;
            progress.bytesSoFar += report.bytes;
            titles.setTitle(
                QStringLiteral("Storing image %1 of %2...").arg(next).arg(files.size()));
        }
        if (listener)
            listener->progress(progress);

        // A failure of the album itself (disk full, damage) ends the run; a bad file does not.
        const bool albumFailed =
            outcome.result == AddResult::Failed && outcome.imaging == ImagingCondition::None;
        if (albumFailed) {
            summary.end = AddRunSummary::End::AlbumFailed;
            summary.albumError = outcome.reason;
            ++next;
            break;
        }
        // A file that vanished since it was listed is passed over without a word.
        if (m_options.fileErrorMessages && outcome.imaging != ImagingCondition::None &&
            outcome.imaging != ImagingCondition::FileNotFound) {
            if (isReadError(outcome.imaging)) {
                m_prompts.msgBox(
                    QStringLiteral("Error %1 reading/writing %2")
                        .arg(ConditionNumber(outcome.imaging))
                        .arg(report.file),
                    MsgIcon::Critical,
                    QStringLiteral("UNEXPECTED ERROR! (AddImages: Command3D4_Click #1)"));
            } else {
                m_prompts.beep();
                m_prompts.msgBox(
                    outcome.reason, MsgIcon::Critical,
                    QStringLiteral("UNEXPECTED ERROR! (AddImages: Command3D4_Click #3)"));
                summary.end = AddRunSummary::End::FileFailed;
                ++next;
                break;
            }
        }
        if (listener && listener->stopRequested()) {
            summary.end = AddRunSummary::End::Stopped;
            ++next;
            break;
        }
        if (groupBytes >= m_options.groupBytes || groupAge.elapsed() >= m_options.groupMilliseconds)
            if (!commitGroup()) {
                summary.end = AddRunSummary::End::AlbumFailed;
                ++next;
                break;
            }
    }
    if (!commitGroup() && summary.end != AddRunSummary::End::AlbumFailed)
        summary.end = AddRunSummary::End::AlbumFailed;
    summary.notAttempted = files.size() - next;
    return summary;
}

} // namespace q32
