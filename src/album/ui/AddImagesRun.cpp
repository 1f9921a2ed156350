#include "album/ui/AddImagesRun.h"

#include "album/AddRunOpen.h"
#include "album/ui/AddImagesController.h"
#include "album/ui/AddImagesList.h"
#include "common/ProgramState.h"
#include "platform/prompt/PromptService.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QStringListModel>

namespace q32 {
namespace {

const QString kItemError = QStringLiteral("UNEXPECTED ERROR! (AddImages: Command3D4_Click #1)");

} // namespace

AddImagesRun::AddImagesRun(AddImagesController& window) : m_window(window) {}

void AddImagesRun::setTitle(const QString& title) {
    m_window.setTitle(title);
}

void AddImagesRun::start() {
    if (m_running)
        return;
    ProgramState& state = m_window.state();
    PromptService& prompts = m_window.prompts();
    m_running = true;
    emit buttonsEnabled(false);
    state.StatusWord = 0;
    m_albumRows = 0;

    Next next = Next::Finish;
    bool protectedAlbum = false;
    if (m_window.list()->rowCount() == 0) {
        state.StatusWord = 2;
    } else {
        emit m_window.previewHidden();
        AddRunAlbum opened = OpenAlbumForAdding(m_window.albumPath(), prompts, m_readOnlyFailures);
        if (opened.album) {
            protectedAlbum = opened.protectedAlbum;
            m_albumRows = opened.existingRows;
            emit selectAllCaption(QStringLiteral("Cancel"));
            bool stored = false;
            next = storeAll(*opened.album, stored);
        }
    }

    if (next == Next::Finish) {
        emit selectAllCaption(QStringLiteral("Add All"));
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
                return;
            }
        } else if (!protectedAlbum) {
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
    emit m_window.closeRequested();
}

AddImagesRun::Next AddImagesRun::storeAll(AlbumDb& album, bool& stored) {
    ProgramState& state = m_window.state();
    PromptService& prompts = m_window.prompts();
    AddContext context;
    context.album = &album;
    context.prompts = &prompts;
    context.sink = this;
    context.appDir = state.AppDir;
    context.compressStorage = state.options.CompressStorage;
    context.listCount = m_window.list()->rowCount();

    const int count = m_window.list()->rowCount();
    for (int row = 0; row < count; ++row) {
        BusyGuard busy(prompts);
        emit m_window.previewHidden();
        const QString path = m_window.list()->path(row);
        m_window.listSelection()->select(m_window.list()->index(row),
                                         QItemSelectionModel::ClearAndSelect);
        m_window.listSelection()->setCurrentIndex(m_window.list()->index(row),
                                                  QItemSelectionModel::NoUpdate);
        emit entrySelected(row);
        m_window.showImageInfo(path);

        const AddOutcome outcome = AddRectoDB(context, path);
        switch (outcome.result) {
        case AddResult::Cancelled:
            return Next::End;
        case AddResult::Skipped:
            continue;
        case AddResult::Failed:
            if (outcome.imaging == ImagingCondition::None)
                return Next::Finish; // the album itself failed; AddRectoDB has said why
            // A file that cannot be read is reported; the run goes on with the next one.
            prompts.beep();
            prompts.msgBox(
                QStringLiteral("Error %1 reading/writing ").arg(ConditionNumber(outcome.imaging)) +
                    path,
                MsgIcon::Critical, kItemError);
            continue;
        case AddResult::Stored:
            break;
        }
        stored = true;
        if (!IsVideoPath(path))
            emit m_window.previewRequested(path);
        ++m_albumRows;
        m_window.setTitle(QStringLiteral("Storing image %1 of %2...").arg(row).arg(count));
        QCoreApplication::processEvents();
        if (state.StatusWord != 0)
            return Next::Finish; // "&Cancel" or the close box
    }
    return Next::Finish;
}

} // namespace q32
