#include "album/addimages/AddImagesRun.h"

#include "album/add/AddRunJob.h"
#include "album/add/AddRunOpen.h"
#include "album/addimages/AddImagesController.h"
#include "album/addimages/AddImagesList.h"
#include "common/ProgramState.h"
#include "common/Text.h"
#include "platform/prompt/PromptService.h"

#include <QItemSelectionModel>
#include <QStringListModel>

namespace q32 {
namespace {
// A person can't follow faster: the entry, its picture and its details follow the run this
// often, and the storing keeps the processor.
constexpr qint64 kShowEveryMs = 250;
// A message box taller than the screen helps no one: the rest of a list is counted.
constexpr int kDuplicateLines = 15;
} // namespace

AddImagesRun::AddImagesRun(AddImagesController& window) : m_window(window) {}

AddImagesRun::~AddImagesRun() = default;

void AddImagesRun::start() {
    if (m_running)
        return;
    ProgramState& state = m_window.state();
    PromptService& prompts = m_window.prompts();
    m_running = true;
    emit buttonsEnabled(false);
    state.StatusWord = 0;
    m_albumRows = 0;
    m_protectedAlbum = false;
    m_ran = false;
    m_summary = {};
    m_duplicates.clear();
    m_skipped.clear();
    m_failed.clear();
    if (m_window.list()->rowCount() == 0) {
        state.StatusWord = 2;
        finish(Next::Finish);
        return;
    }

    emit m_window.previewHidden();
    AddRunAlbum opened = OpenAlbumForAdding(m_window.albumPath(), prompts, m_readOnlyFailures);
    if (!opened.album) {
        finish(Next::Finish);
        return;
    }
    m_album = std::move(opened.album);
    m_protectedAlbum = opened.protectedAlbum;
    m_albumRows = opened.existingRows;
    emit selectAllCaption(QStringLiteral("Cancel"));

    AddRunOptions options;
    options.compressStorage = state.options.CompressStorage;
    options.dateTaken = state.options.DateTakenFromPhoto;
    options.skipDuplicates = m_window.skipDuplicates();
    options.workFolder = state.AppDir;
    options.askNames = m_window.list()->rowCount() == 1;
    options.fileErrorMessages = true;
    m_job = std::make_unique<AddRunJob>(*m_album, prompts, m_window.list()->paths(), options);
    connect(m_job.get(), &AddRunJob::progress, this, &AddImagesRun::itemHandled);
    connect(m_job.get(), &AddRunJob::reported, this, &AddImagesRun::itemsReported);
    connect(m_job.get(), &AddRunJob::titleChanged, &m_window, &AddImagesController::setTitle);
    connect(m_job.get(), &AddRunJob::finished, this, &AddImagesRun::jobFinished);
    m_sinceShown.invalidate();
    m_ran = true;
    m_job->start();
}

void AddImagesRun::requestStop() {
    if (m_job)
        m_job->requestStop();
}

void AddImagesRun::itemHandled(const AddProgress& progress) {
    const bool last = progress.index + 1 == progress.total;
    if (m_sinceShown.isValid() && m_sinceShown.elapsed() < kShowEveryMs && !last)
        return;
    m_sinceShown.start();
    const int row = int(progress.index);
    const QModelIndex index = m_window.list()->index(row);
    m_window.listSelection()->select(index, QItemSelectionModel::ClearAndSelect);
    m_window.listSelection()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    emit entrySelected(row);
    if (progress.result != AddResult::Stored)
        return;
    // The run has said what was wrong with a file; here only what it is.
    m_window.showImageInfo(progress.file, AddImagesController::Reporting::Quiet);
    if (IsVideoPath(progress.file))
        emit m_window.previewHidden();
}

void AddImagesRun::itemsReported(const QList<AddItemReport>& reports) {
    QStringList files;
    for (const AddItemReport& r : reports) {
        const QString line = FileNameOfPath(r.file) + QStringLiteral(": ") + r.reason;
        if (r.result == AddResult::Stored)
            files << r.file;
        else if (r.sameAsRow != 0)
            m_duplicates << line;
        else if (r.result == AddResult::Skipped)
            m_skipped << line;
        else
            m_failed << line;
    }
    m_albumRows += files.size();
    if (!files.isEmpty())
        emit stored(files);
}

void AddImagesRun::jobFinished() {
    const AddRunSummary summary = m_job->summary();
    m_summary = summary;
    m_job.reset();
    m_album.reset(); // closed before the protect step copies it
    if (summary.end == AddRunSummary::End::AlbumFailed && summary.albumError.isEmpty()) {
        // The commit itself failed (a full disk): what was stored before it stays.
        m_window.prompts().beep();
        m_window.prompts().msgBox(
            QStringLiteral("The album could not store the last pictures."), MsgIcon::Critical,
            QStringLiteral("UNEXPECTED ERROR! (AddImages: Command3D4_Click #3)"));
    }
    finish(summary.end == AddRunSummary::End::NameCancelled ? Next::End : Next::Finish);
}

void AddImagesRun::reportSummary() {
    QString text = QStringLiteral("%1 stored, %2 skipped, %3 failed.")
                       .arg(m_summary.stored)
                       .arg(m_summary.skipped)
                       .arg(m_summary.failed);
    if (m_summary.notAttempted > 0)
        text += QStringLiteral("\n%1 more were not tried: the run ended before them.")
                    .arg(m_summary.notAttempted);
    auto section = [&text](const QString& heading, const QStringList& entries, qint64 more = 0) {
        if (entries.isEmpty() && more == 0)
            return;
        QStringList lines = entries.mid(0, kDuplicateLines);
        more += std::max<qsizetype>(0, entries.size() - kDuplicateLines);
        if (more > 0)
            lines << QStringLiteral("... and %1 more").arg(more);
        text +=
            QStringLiteral("\n\n") + heading + QLatin1Char('\n') + lines.join(QLatin1Char('\n'));
    };
    section(QStringLiteral("These pictures are already in the album and were not added:"),
            m_duplicates);
    section(QStringLiteral("Skipped:"), m_skipped);
    section(QStringLiteral("Failed:"), m_failed);
    QStringList leftOut;
    for (const auto& [path, why] : m_window.leftOut())
        leftOut << path + QStringLiteral(": ") + why;
    section(QStringLiteral("Left out of the folders:"), leftOut, m_window.leftOutNotKept());
    m_window.prompts().msgBox(text, MsgIcon::Information, QStringLiteral("FYI"));
}

void AddImagesRun::finish(Next next) {
    ProgramState& state = m_window.state();
    PromptService& prompts = m_window.prompts();
    if (next == Next::Finish) {
        emit selectAllCaption(QStringLiteral("Add All"));
        if (m_ran)
            reportSummary();
        if (m_albumRows == 0)
            state.StatusWord = 9;
        m_window.deleteScannerFiles();
        if (m_albumRows == 0) {
            const MsgResult answer = prompts.msgBox(
                QStringLiteral("No image was selected.  Are you sure you want to exit?"),
                MsgIcon::Information, QStringLiteral("FYI"), MsgButtons::YesNo);
            if (answer != MsgResult::Yes) {
                m_running = false;
                emit buttonsEnabled(true);
                emit finished();
                return;
            }
        } else if (!m_protectedAlbum) {
            ProtectAlbumStep(m_window.albumPath(), prompts);
        }
    }

    // End of the run: the folder is kept and the window closes.
    const int files = m_window.folderFiles()->rowCount();
    m_window.setTitle(QString::number(files) +
                      (files < 2 ? QStringLiteral(" file") : QStringLiteral(" files")));
    m_window.storeFolder();
    state.StatusWord = 0;
    m_running = false;
    emit finished();
    emit m_window.closeRequested();
}

} // namespace q32
