// The main window's way into the full-screen viewer and the slideshow commands.
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "platform/player/VideoControl.h"
#include "platform/prompt/PromptService.h"
#include "shell/AlbumBrowser.h"
#include "shell/records/RecordCommands.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/PreviewPane.h"
#include "shell/ui/RecordGrid.h"
#include "shell/ui/SimilarCommand.h"
#include "shell/ui/ViewerLink.h"
#include "viewer/SlideshowPrompts.h"
#include "viewer/SlideshowValues.h"
#include "viewer/WipePatterns.h"
#include "viewer/ui/FullPicture.h"
#include "viewer/ui/WipePatternsWindow.h"

#include <QLabel>

namespace q32 {

void MainWindow::registerViewerCommands() {
    m_viewerLink = std::make_unique<ViewerLink>(*m_browser, m_prompts);
    m_viewerLink->recordsChanged = [this] {
        // The grid reads its rows again and shows the record the viewer is on.
        emit m_browser->recordsetReset();
        m_statusLine->setText(m_browser->recordState().CurrentDescription);
        m_grid->showRecord(m_browser->albumState().CurrentRow);
    };
    m_viewerLink->deleteRecord = [this] { records().deleteCurrentRecord(); };
    m_viewerLink->similarFilter = [this](QWidget* over, std::function<void()> shown) {
        RunFindSimilar(*m_browser, m_prompts, m_settings, m_browser->albumState().AlbumPassword,
                       over, std::move(shown));
    };
    m_preview->picture()->setCursor(Qt::PointingHandCursor);

    auto& d = m_dispatcher;
    d.add(QStringLiteral("ID_StartSlideshow"), [this] { startSlideshow(); });
    d.add(QStringLiteral("ID_SlideInterval"), [this] {
        SlideshowValues values;
        PromptSlideInterval(m_settings, m_prompts, values);
    });
    d.add(QStringLiteral("ID_EffectDelay"), [this] {
        SlideshowValues values;
        PromptEffectDelay(m_settings, m_prompts, values);
    });
    d.add(QStringLiteral("ID_EffectGrainSize"), [this] {
        SlideshowValues values;
        PromptEffectGrain(m_settings, m_prompts, values);
    });
    d.add(QStringLiteral("ID_SelectWipePatterns"), [this] {
        WipeSelection selection;
        SlideshowValues values;
        WipePatternsWindow window(selection, m_state.paths.AppDir, values, m_settings, m_prompts,
                                  this);
        window.run();
    });
}

void MainWindow::openViewer() {
    if (m_viewer || m_browser->albumState().RecordCount < 1)
        return;
    if (m_browser->albumState().CurrentRow > m_browser->albumState().RecordCount)
        m_browser->albumState().CurrentRow = 1;
    showViewer(false);
}

void MainWindow::startSlideshow() {
    if (m_browser->albumState().RecordCount == 0) {
        m_prompts.msgBox(QStringLiteral("No images to play."), MsgIcon::Information,
                         QStringLiteral("WARNING"));
        return;
    }
    if (m_viewer)
        return;
    m_state.playback.SoundPlaying = false;
    if (m_browser->albumState().CurrentRow != 0)
        m_browser->albumState().CurrentRow = 1;
    if (!m_browser->recordState().CurrentImageFile.isEmpty())
        m_state.playback.SlideshowRunning = true;
    showViewer(true);
}

void MainWindow::showViewer(bool slideshow) {
    m_preview->hidePreview();
    m_preview->player().stop();
    m_preview->setSlideshowRunning(true); // the preview rests while the viewer shows records
    m_viewer = new FullPicture(ViewerState{m_state.paths, m_state.options, m_state.playback,
                                           m_browser->albumState(), m_browser->recordState()},
                               m_settings, m_prompts, *m_viewerLink, this);
    m_viewer->setAttribute(Qt::WA_DeleteOnClose);
    m_viewer->setWindowModality(Qt::ApplicationModal);
    m_viewer->setToolChecked = [this](const QString& tool, bool checked) {
        m_commandBar->setChecked(tool, checked);
    };
    // Questions asked while the viewer covers the screen open in front of it: it is the topmost
    // modal window.
    connect(m_viewer, &QDialog::finished, this, [this] {
        m_viewer = nullptr;
        m_state.playback.SlideshowRunning = false;
        m_preview->setSlideshowRunning(false);
        // Back on the record the viewer reached.
        if (m_browser->albumState().RecordCount > 0)
            m_browser->showCurrentRecord();
        refreshCaption();
    });
    m_viewer->open(this, slideshow);
    if (!m_viewer->isVisible())
        m_viewer->close(); // a record that could not be shown closes the viewer at once
}

} // namespace q32
