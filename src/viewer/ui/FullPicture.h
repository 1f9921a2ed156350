#pragma once
// "FullPicture": the current record over the whole screen, fitted or at its own size, with its
// description in an annotation box; previous and next, deletion, clips, the slideshow with its
// transitions and sounds, and the CD panel.

#include "platform/prompt/PromptService.h"
#include "viewer/SlidePreparer.h"
#include "viewer/SlideshowSequence.h"
#include "viewer/ViewerRecords.h"
#include "viewer/WipePatterns.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QMovie;
class QTimer;
class QVideoWidget;

namespace q32 {

class CdPanel;
class PictureCanvas;
class Settings;
class VideoControl;
struct CaptionProperties;

class FullPicture : public QDialog {
    Q_OBJECT
public:
    FullPicture(ViewerState state, Settings& settings, PromptService& prompts,
                ViewerRecords& records, QWidget* parent = nullptr);
    ~FullPicture() override;

    // The main window's tools that mirror the viewer's options ("ID_ViewFit", ...).
    std::function<void(const QString& tool, bool checked)> setToolChecked;

    // Covers the screen of the given window and shows the current record; with slideshow the
    // clock runs from the start.
    void open(QWidget* onScreenOf, bool slideshow);

    void showCurrentPicture();
    void showPreviousPicture();
    void showNextPicture();

    void startSlideshow();
    void stopSlideshow();
    void pressStopIcon();

    SlideshowClock& clock() { return m_clock; }
    SlideshowValues& values() { return m_values; }
    SlideshowSequence& sequence() { return m_sequence; }
    PictureCanvas* canvas() const { return m_canvas; }
    QLineEdit* annotation() const { return m_annotation; }
    // The line across the bottom that says which record a slideshow passed over, and why.
    QLabel* notice() const { return m_notice; }
    VideoControl& player() { return *m_player; }
    CdPanel* cdPanel() const { return m_cdPanel; }
    QAction* action(const char* name) const;
    QSize area() const { return m_area; }
    // The selection the slideshow takes its patterns from, read on first use.
    WipeSelection& wipeSelection();
    // Nothing is being loaded or prepared (for tests and benchmarks).
    bool idle() const { return *m_pending == 0; }
    // The canvas shows the current record's thumbnail while its picture is decoded.
    bool showingThumbnail() const { return m_showingThumbnail; }

signals:
    void pictureShown();
    // A click on the picture closes the viewer; work it started stops.
    void closedByClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    // The menu commands.
    void enableViewerMenus(bool enabled);
    void closeByClick();
    void printPicture();
    void playVideo();
    void stopVideo();
    void setViewFit(bool fit);
    void deleteCurrentImage();
    void findSimilarPictures();
    void storeAnnotation();
    void toggleAnnotation();
    void toggleCdPanel();
    void toggleCdAutoStart();
    void toggleRandomWipes();
    void toggleRandomImages();
    void chooseWipePatterns();
    void askEffectDelay();
    void askEffectGrain();
    void askInterval();
    void editCaption();
    void applyCaption(const CaptionProperties& caption);

    void buildMenus();
    void loadSettings();
    // Reads the picture of row and makes it ready off the interface thread.
    QFuture<PreparedSlide> prepare(qint64 row, const Transition& transition);
    void showPrepared(quint64 generation, const PreparedSlide& slide, bool sliding,
                      const Transition& transition);
    void finishStill(quint64 generation, const PreparedSlide& slide, bool sliding);
    void skipRecord(const QString& why);
    void showGif(const QByteArray& bytes);
    void showVideo();
    void placeVideo();
    void prepareAhead();
    void showThumbnail(const ViewerThumbnail& thumbnail);
    void updateCaption();
    void setPrintEnabled(bool enabled);
    void videoEnded();
    void stopIconTick(bool clockEnabled);

    ViewerState m_state;
    Settings& m_settings;
    PromptService& m_prompts;
    ViewerRecords& m_records;

    QMenuBar* m_menuBar;
    QWidget* m_stage;
    PictureCanvas* m_canvas;
    QVideoWidget* m_video;
    QLineEdit* m_annotation;
    QLabel* m_stopIcon;
    QLabel* m_speaker;
    QLabel* m_notice;
    QTimer* m_noticeTimer;
    CdPanel* m_cdPanel;
    VideoControl* m_player;
    QMovie* m_movie = nullptr;
    QMenu* m_optionsMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    SlideshowSequence m_sequence;
    SlideshowValues& m_values;
    SlideshowClock& m_clock;
    QSize m_area;           // where pictures are painted: the screen below the menu bar
    int m_screenHeight = 0; // what their Normal place is reckoned from

    std::optional<WipeSelection> m_selection;
    ViewerMedia m_media;
    QByteArray m_still; // the file of the still on screen, for printing
    quint64 m_generation = 0;
    // Slides being prepared (see PendingSlide).
    std::shared_ptr<int> m_pending = std::make_shared<int>(0);
    bool m_showingThumbnail = false;
    std::optional<BusyGuard> m_loadingBusy; // while a picture decodes
    bool m_annotationShown = false;
    bool m_cdPanelShown = false;
};

} // namespace q32
