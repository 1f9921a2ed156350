// The viewer's menus and the commands behind them.
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "output/print/ui/PrintPreviewWindow.h"
#include "platform/player/VideoControl.h"
#include "platform/prompt/PromptService.h"
#include "viewer/CaptionSettings.h"
#include "viewer/SlideshowPrompts.h"
#include "viewer/ui/CdPanel.h"
#include "viewer/ui/FullPicture.h"
#include "viewer/ui/ImageCaptionWindow.h"
#include "viewer/ui/PictureCanvas.h"
#include "viewer/ui/WipePatternsWindow.h"

#include <QAction>
#include <QAudioDevice>
#include <QLabel>
#include <QLineEdit>
#include <QMediaDevices>
#include <QMenu>
#include <QMenuBar>
#include <QMovie>
#include <QPointer>
#include <algorithm>

namespace q32 {

QAction* FullPicture::action(const char* name) const {
    return findChild<QAction*>(QLatin1String(name));
}

void FullPicture::buildMenus() {
    auto add = [this](QMenu* menu, const char* name, const QString& text, auto slot,
                      bool checkable = false) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QLatin1String(name));
        a->setCheckable(checkable);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenu* file = m_menuBar->addMenu(QStringLiteral("&File"));
    add(file, "mnuDeleteImage", QStringLiteral("Delete Current Image"),
        &FullPicture::deleteCurrentImage);
    add(file, "mnuPrint", QStringLiteral("&Print"), &FullPicture::printPicture);
    add(file, "mnuExit", QStringLiteral("E&xit"), [this] { reject(); });
    add(file, "mnuLastPicture", QStringLiteral("&Last picture"), &FullPicture::showPreviousPicture);
    add(file, "mnuNextPicture", QStringLiteral("&Next picture"), &FullPicture::showNextPicture);

    QMenu* operations = m_menuBar->addMenu(QStringLiteral("&Operations"));
    add(operations, "mnuSlideShow", QStringLiteral("&Start SlideShow"),
        &FullPicture::startSlideshow);
    add(operations, "mnuStop", QStringLiteral("S&top SlideShow"), &FullPicture::stopSlideshow);
    add(operations, "mnuPlayVideo", QStringLiteral("Play &Video"), &FullPicture::playVideo);
    add(operations, "mnuStopVideo", QStringLiteral("St&op Video"), &FullPicture::stopVideo);
    add(operations, "mnuFindSimilar", QStringLiteral("Find &Similar"),
        &FullPicture::findSimilarPictures);

    m_optionsMenu = m_menuBar->addMenu(QStringLiteral("&Options"));
    QMenu* o = m_optionsMenu;
    add(o, "mnuPlayCD", QStringLiteral("&CD Control Panel"), &FullPicture::toggleCdPanel);
    add(o, "mnuCDAutoStart", QStringLiteral("CD &Auto Start"), &FullPicture::toggleCdAutoStart,
        true);
    o->addSeparator();
    add(o, "mnuSelectWipePatterns", QStringLiteral("Select &Wipe Patterns"),
        &FullPicture::chooseWipePatterns);
    add(o, "mnuRandomWipe", QStringLiteral("Random &Wipe Patterns"),
        &FullPicture::toggleRandomWipes, true);
    add(o, "mnuEffectDelay", QStringLiteral("Effect &Delay"), &FullPicture::askEffectDelay);
    add(o, "mnuEffectGrain", QStringLiteral("Effect &Grain"), &FullPicture::askEffectGrain);
    o->addSeparator();
    add(o, "mnuRandomImage", QStringLiteral("Random &Images"), &FullPicture::toggleRandomImages,
        true);
    add(o, "mnuInterval", QStringLiteral("&Interval Between Slides"), &FullPicture::askInterval);
    o->addSeparator();
    add(o, "mnuShowMemo", QStringLiteral("Show &Annotation"), &FullPicture::toggleAnnotation);
    add(o, "mnuImageCaption", QStringLiteral("Image &Caption"), &FullPicture::editCaption);

    m_viewMenu = m_menuBar->addMenu(QStringLiteral("&View"));
    add(
        m_viewMenu, "mnuViewFit", QStringLiteral("&Fit To Screen"), [this] { setViewFit(true); },
        true);
    add(
        m_viewMenu, "mnuNormal", QStringLiteral("&Normal"), [this] { setViewFit(false); }, true);
}

void FullPicture::loadSettings() {
    m_values.SlideInterval = m_settings.get(key::SlideShowInterval);
    m_cdPanelShown = m_settings.get(key::ShowCDPanel);
    m_annotationShown = m_settings.get(key::ShowAnnotation);
    m_values.EffectDelay = m_settings.get(key::EffectDelay);
    m_values.EffectGrain = m_settings.get(key::EffectGrain);

    m_cdPanel->setVisible(m_cdPanelShown);
    action("mnuPlayCD")
        ->setText(m_cdPanelShown ? QStringLiteral("Hide CD Panel")
                                 : QStringLiteral("Show CD Panel"));
    action("mnuCDAutoStart")->setChecked(m_state.options.AudioCDAutoStart);
    if (m_state.options.AudioCDAutoStart && !QMediaDevices::audioOutputs().isEmpty())
        m_cdPanel->openAndPlay();
    action("mnuRandomWipe")->setChecked(m_state.options.RandomWipes);
    action("mnuRandomImage")->setChecked(m_state.options.RandomImages);

    applyCaption(GetCaptionProperties(m_settings, m_state.paths.ScreenWidthPixels > 0
                                                      ? m_state.paths.ScreenWidthPixels
                                                      : m_area.width()));
    m_annotation->setVisible(m_annotationShown);
    action("mnuShowMemo")
        ->setText(m_annotationShown ? QStringLiteral("Hide Annotation")
                                    : QStringLiteral("Show Annotation"));
    action("mnuViewFit")->setChecked(m_state.options.ViewFit);
    action("mnuNormal")->setChecked(!m_state.options.ViewFit);
}

void FullPicture::applyCaption(const CaptionProperties& c) {
    QPalette p = m_annotation->palette();
    p.setColor(QPalette::Text, c.foreColor);
    p.setColor(QPalette::Base, c.backColor);
    m_annotation->setPalette(p);
    m_annotation->setFont(c.font());
    // A box without a stored height is one line of its font high.
    const int height = c.height > 0 ? c.height : m_annotation->sizeHint().height();
    m_annotation->setGeometry(c.left, c.top, c.width, height);
    m_annotation->raise();
}

void FullPicture::startSlideshow() {
    m_sequence.start();
    enableViewerMenus(false);
    if (!m_state.record.CurrentImageFile.isEmpty())
        m_clock.resume();
}

void FullPicture::stopSlideshow() {
    m_clock.setEnabled(false);
    enableViewerMenus(true);
}

void FullPicture::pressStopIcon() {
    m_stopIcon->hide();
    m_clock.stop();
    if (m_clock.isEnabled()) {
        m_cdPanel->cd().stop();
        enableViewerMenus(true);
    }
}

void FullPicture::printPicture() {
    // The clock waits while the print window is open.
    const bool running = m_clock.isEnabled();
    m_clock.setEnabled(false);
    PrintPicture picture;
    if (m_movie)
        picture.image = m_movie->currentImage(); // a GIF prints as it is shown
    else
        picture.bytes = m_still;
    picture.name = m_state.record.CurrentImageFile;
    picture.description = m_state.record.CurrentDescription;
    ShowPrintPreview(picture, m_settings, m_prompts, this);
    m_clock.setEnabled(running);
}

void FullPicture::playVideo() {
    m_player->playFromStart();
}

void FullPicture::stopVideo() {
    m_player->stop();
}

void FullPicture::setViewFit(bool fit) {
    m_state.options.ViewFit = fit;
    if (setToolChecked)
        setToolChecked(fit ? QStringLiteral("ID_ViewFit") : QStringLiteral("ID_ViewNormal"), true);
    action("mnuViewFit")->setChecked(fit);
    action("mnuNormal")->setChecked(!fit);
    m_sequence.forgetAhead();
    if (m_media.kind != ViewerMedia::Kind::Video && !isMinimized())
        showCurrentPicture();
    else
        placeVideo();
}

void FullPicture::deleteCurrentImage() {
    const qint64 deleted = m_state.album.CurrentRow;
    if (!m_records.deleteCurrent())
        return; // Cancel: the same record stays on screen
    m_sequence.forgetAhead();
    if (m_state.album.RecordCount < 1) {
        reject();
        return;
    }
    // The album was opened again in the same order: the record before the deleted one keeps its
    // row, and at the start the next one has moved up to row 1.
    m_state.album.CurrentRow =
        qint32(std::clamp<qint64>(deleted - 1, 1, m_state.album.RecordCount));
    showCurrentPicture();
}

void FullPicture::findSimilarPictures() {
    m_records.findSimilar(this, [viewer = QPointer<FullPicture>(this)] {
        if (!viewer)
            return;
        // Row 1 is the picture the others look like: the viewer goes on from it.
        viewer->m_sequence.forgetAhead();
        viewer->m_state.album.CurrentRow = 1;
        viewer->showCurrentPicture();
    });
}

void FullPicture::storeAnnotation() {
    m_records.storeDescription(m_annotation->text());
}

void FullPicture::toggleAnnotation() {
    m_annotationShown = !m_annotationShown;
    m_annotation->setVisible(m_annotationShown);
    action("mnuShowMemo")
        ->setText(m_annotationShown ? QStringLiteral("Hide Annotation")
                                    : QStringLiteral("Show Annotation"));
    m_settings.set(key::ShowAnnotation, m_annotationShown);
}

void FullPicture::toggleCdPanel() {
    m_cdPanelShown = !m_cdPanelShown;
    if (m_cdPanelShown) {
        m_cdPanel->cd().open();
        m_cdPanel->show();
        m_cdPanel->raise();
    } else {
        m_cdPanel->cd().close();
        m_cdPanel->hide();
    }
    action("mnuPlayCD")
        ->setText(m_cdPanelShown ? QStringLiteral("Hide CD Panel")
                                 : QStringLiteral("Show CD Panel"));
    m_settings.set(key::ShowCDPanel, m_cdPanelShown);
}

void FullPicture::toggleCdAutoStart() {
    m_state.options.AudioCDAutoStart = !m_state.options.AudioCDAutoStart;
    m_cdPanel->setVisible(m_state.options.AudioCDAutoStart || m_cdPanelShown);
    action("mnuCDAutoStart")->setChecked(m_state.options.AudioCDAutoStart);
    if (setToolChecked)
        setToolChecked(QStringLiteral("ID_AudioCDAutoStart"), m_state.options.AudioCDAutoStart);
}

void FullPicture::toggleRandomWipes() {
    m_state.options.RandomWipes = !m_state.options.RandomWipes;
    action("mnuRandomWipe")->setChecked(m_state.options.RandomWipes);
    if (setToolChecked)
        setToolChecked(QStringLiteral("ID_RandomWipes"), m_state.options.RandomWipes);
    m_sequence.forgetAhead();
}

void FullPicture::toggleRandomImages() {
    m_state.options.RandomImages = !m_state.options.RandomImages;
    action("mnuRandomImage")->setChecked(m_state.options.RandomImages);
    if (setToolChecked)
        setToolChecked(QStringLiteral("ID_RandomImages"), m_state.options.RandomImages);
    m_sequence.forgetAhead();
}

WipeSelection& FullPicture::wipeSelection() {
    if (!m_selection) {
        m_selection.emplace();
        LoadWipePatterns(*m_selection, m_state.paths.AppDir, m_settings, m_values, nullptr);
    }
    return *m_selection;
}

void FullPicture::chooseWipePatterns() {
    setWindowTitle(QStringLiteral("BUSY: Loading wipe patterns..."));
    std::optional<BusyGuard> busy(std::in_place, m_prompts);
    WipePatternsWindow window(wipeSelection(), m_state.paths.AppDir, m_values, m_settings,
                              m_prompts, this);
    connect(this, &FullPicture::closedByClick, &window, &WipePatternsWindow::stop);
    window.setCaptionSink([this](const QString& text) { setWindowTitle(text); });
    busy.reset();
    window.run();
    m_sequence.forgetAhead();
    updateCaption();
}

void FullPicture::askEffectDelay() {
    PromptEffectDelay(m_settings, m_prompts, m_values);
    m_sequence.forgetAhead();
}

void FullPicture::askEffectGrain() {
    PromptEffectGrain(m_settings, m_prompts, m_values);
    m_sequence.forgetAhead();
}

void FullPicture::askInterval() {
    PromptSlideInterval(m_settings, m_prompts, m_values);
}

void FullPicture::editCaption() {
    ImageCaptionWindow window(m_settings, m_prompts,
                              m_state.paths.ScreenWidthPixels > 0 ? m_state.paths.ScreenWidthPixels
                                                                  : m_area.width(),
                              this);
    connect(&window, &ImageCaptionWindow::accepted, this,
            [this, &window] { applyCaption(window.properties()); });
    window.exec();
}

} // namespace q32
