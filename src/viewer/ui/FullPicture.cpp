#include "viewer/ui/FullPicture.h"

#include "common/ProgramState.h"
#include "common/Settings.h"
#include "common/WhenReady.h"
#include "platform/imaging/ImagingCondition.h"
#include "platform/imaging/MovieFromBytes.h"
#include "platform/player/VideoControl.h"
#include "platform/prompt/PromptService.h"
#include "viewer/ViewerLayout.h"
#include "viewer/ui/CdPanel.h"
#include "viewer/ui/PictureCanvas.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMovie>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVideoWidget>

namespace q32 {
namespace {

// The stop icon: a white square on a red disc.
QPixmap stopIcon() {
    QPixmap icon(24, 24);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(200, 30, 30));
    p.setPen(Qt::NoPen);
    p.drawEllipse(1, 1, 22, 22);
    p.setBrush(Qt::white);
    p.drawRect(8, 8, 8, 8);
    return icon;
}

// Shown while a picture's sound plays: a white loudspeaker.
QPixmap speakerIcon() {
    QPixmap icon(24, 24);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(3, 8, 5, 8);
    p.drawPolygon(QPolygon({QPoint(8, 8), QPoint(15, 2), QPoint(15, 22), QPoint(8, 16)}));
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(13, 6, 8, 12, -60 * 16, 120 * 16);
    return icon;
}

// Counts a slide as being prepared for as long as the work that prepares it is watched: until
// its result has been handled, or until it ended cancelled (its album was closed under it).
class PendingSlide {
public:
    explicit PendingSlide(std::shared_ptr<int> count) : m_count(std::move(count)) { ++*m_count; }
    ~PendingSlide() { --*m_count; }
    PendingSlide(const PendingSlide&) = delete;
    PendingSlide& operator=(const PendingSlide&) = delete;

private:
    std::shared_ptr<int> m_count;
};

} // namespace

FullPicture::FullPicture(ViewerState state, Settings& settings, PromptService& prompts,
                         ViewerRecords& records, QWidget* parent)
    : QDialog(parent), m_state(state), m_settings(settings), m_prompts(prompts), m_records(records),
      m_sequence(state.playback, state.album, state.options,
                 [this]() -> WipeSelection& { return wipeSelection(); }),
      m_values(m_sequence.values()), m_clock(m_sequence.clock()) {
    setObjectName(QStringLiteral("FullPicture"));
    setProperty("helpPage", QStringLiteral("viewer.html"));
    setWindowFlag(Qt::FramelessWindowHint);
    m_menuBar = new QMenuBar(this);
    m_stage = new QWidget(this);
    m_stage->setObjectName(QStringLiteral("Stage"));
    m_stage->setAutoFillBackground(true);
    QPalette black = m_stage->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_stage->setPalette(black);
    m_canvas = new PictureCanvas(m_stage);
    m_video = new QVideoWidget(m_stage);
    m_video->setObjectName(QStringLiteral("LEADVid1"));
    m_video->hide();
    m_player = new VideoControl(this);
    m_player->setVideoOutput(m_video);

    m_annotation = new QLineEdit(m_stage);
    m_annotation->setObjectName(QStringLiteral("Text1"));
    m_annotation->installEventFilter(this);
    m_stopIcon = new QLabel(m_stage);
    m_stopIcon->setObjectName(QStringLiteral("Image1"));
    m_stopIcon->setToolTip(QStringLiteral("Stop the slideshow"));
    m_stopIcon->setPixmap(stopIcon());
    m_stopIcon->resize(24, 24);
    m_stopIcon->setCursor(Qt::PointingHandCursor);
    m_stopIcon->installEventFilter(this);
    m_stopIcon->hide();
    m_speaker = new QLabel(m_stage);
    m_speaker->setObjectName(QStringLiteral("SoundIndicator"));
    m_speaker->setPixmap(speakerIcon());
    m_speaker->resize(24, 24);
    m_speaker->hide();
    m_cdPanel = new CdPanel(m_stage);
    m_cdPanel->hide();
    m_notice = new QLabel(m_stage);
    m_notice->setObjectName(QStringLiteral("SkipNotice"));
    m_notice->setStyleSheet(QStringLiteral(
        "QLabel { color: white; background-color: rgba(0, 0, 0, 160); padding: 4px 8px; }"));
    m_notice->hide();
    m_noticeTimer = new QTimer(this);
    m_noticeTimer->setSingleShot(true);
    m_noticeTimer->setInterval(10000);
    connect(m_noticeTimer, &QTimer::timeout, m_notice, &QWidget::hide);

    connect(m_canvas, &PictureCanvas::clicked, this, &FullPicture::closeByClick);
    connect(&m_clock, &SlideshowClock::nextPicture, this, &FullPicture::showNextPicture);
    connect(&m_clock, &SlideshowClock::stopIconTick, this, &FullPicture::stopIconTick);
    connect(m_player, &VideoControl::ended, this, &FullPicture::videoEnded);
    // The clip's size is known once it is open.
    connect(m_player, &VideoControl::loaded, this, &FullPicture::placeVideo);
    buildMenus();
}

FullPicture::~FullPicture() {
    ++m_generation; // a slide still being prepared is no longer wanted
}

void FullPicture::open(QWidget* onScreenOf, bool slideshow) {
    const QScreen* screen = onScreenOf && onScreenOf->screen() ? onScreenOf->screen()
                                                               : QGuiApplication::primaryScreen();
    const QRect s = screen->geometry();
    setGeometry(s);
    const int menuHeight = m_menuBar->sizeHint().height();
    m_menuBar->setGeometry(0, 0, s.width(), menuHeight);
    // Pictures are painted below the menu bar, and placed by the screen's height.
    m_area = QSize(s.width(), s.height() - menuHeight);
    m_screenHeight = s.height();
    m_stage->setGeometry(0, menuHeight, m_area.width(), m_area.height());
    m_canvas->setGeometry(0, 0, m_area.width(), m_area.height());
    m_stopIcon->move(m_area.width() - 30, 4);
    m_speaker->move(m_area.width() - 60, 4);
    m_cdPanel->move(m_area.width() - m_cdPanel->width(),
                    std::max(0, s.height() - 110 - menuHeight));
    loadSettings();
    m_sequence.begin(slideshow);
    enableViewerMenus(!slideshow);
    showFullScreen();
    m_canvas->setFocus();
    showCurrentPicture();
}

void FullPicture::enableViewerMenus(bool enabled) {
    for (const char* name : {"mnuLastPicture", "mnuNextPicture"})
        action(name)->setEnabled(enabled);
    m_optionsMenu->setEnabled(enabled);
    m_viewMenu->setEnabled(enabled);
    setPrintEnabled(enabled);
    m_annotation->setEnabled(enabled);
}

void FullPicture::setPrintEnabled(bool enabled) {
    // A clip has no picture to print.
    action("mnuPrint")->setEnabled(enabled && m_media.kind != ViewerMedia::Kind::Video);
}

void FullPicture::showCurrentPicture() {
    const quint64 generation = ++m_generation;
    BusyGuard busy(m_prompts);
    action("mnuViewFit")->setChecked(m_state.options.ViewFit);
    action("mnuNormal")->setChecked(!m_state.options.ViewFit);

    const bool sliding = m_clock.isEnabled();
    Transition transition;
    std::optional<QFuture<PreparedSlide>> ready;
    if (sliding) {
        m_stopIcon->setEnabled(true);
        m_stopIcon->show();
        m_stopIcon->raise();
        SlideshowSequence::Plan plan = m_sequence.planCurrent();
        transition = plan.transition;
        ready = std::move(plan.ready);
        setPrintEnabled(false);
    } else {
        m_sequence.forgetAhead();
        setPrintEnabled(true);
    }

    if (!m_records.loadCurrent(m_media))
        return;
    setPrintEnabled(!sliding && m_optionsMenu->isEnabled());
    action("mnuFindSimilar")->setEnabled(!sliding && m_media.kind != ViewerMedia::Kind::Video);
    m_annotation->clear();
    if (!m_state.record.CurrentDescription.isEmpty())
        m_annotation->setText(m_state.record.CurrentDescription);

    if (m_movie) {
        delete m_movie;
        m_movie = nullptr;
    }
    if (m_media.kind == ViewerMedia::Kind::Video) {
        showVideo();
        return;
    }
    // The clock waits while the picture is read and decoded.
    m_sequence.loading();
    // Stepping by hand, a fitted picture's thumbnail shows at once, in its place.
    if (!sliding && m_state.options.ViewFit)
        showThumbnail(m_records.thumbnail(m_state.album.CurrentRow));
    const QFuture<PreparedSlide> slide =
        ready ? *ready : prepare(m_state.album.CurrentRow, sliding ? transition : Transition{});
    m_loadingBusy.emplace(m_prompts);
    WhenReady(this, slide,
              [this, generation, sliding, transition,
               pending = std::make_shared<PendingSlide>(m_pending)](const PreparedSlide& prepared) {
                  m_loadingBusy.reset();
                  showPrepared(generation, prepared, sliding, sliding ? transition : Transition{});
              });
}

void FullPicture::showThumbnail(const ViewerThumbnail& thumbnail) {
    m_showingThumbnail = !thumbnail.image.isNull();
    if (!m_showingThumbnail)
        return;
    m_player->stop();
    m_video->hide();
    m_canvas->show();
    m_canvas->setFrame(
        ThumbnailSlide(thumbnail.image, thumbnail.standsFor, m_area, m_screenHeight));
}

QFuture<PreparedSlide> FullPicture::prepare(qint64 row, const Transition& transition) {
    return m_records.readPicture(row).then(
        QtFuture::Launch::Async,
        [area = m_area, screenHeight = m_screenHeight, fit = m_state.options.ViewFit,
         transition](const ViewerPicture& picture) {
            if (picture.animated) {
                PreparedSlide movie;
                movie.bytes = picture.bytes;
                movie.animated = true;
                return movie;
            }
            return PrepareSlide(picture.bytes, area, fit, transition, screenHeight);
        });
}

void FullPicture::showPrepared(quint64 generation, const PreparedSlide& slide, bool sliding,
                               const Transition& transition) {
    if (generation != m_generation)
        return; // a newer picture was asked for meanwhile
    if (slide.animated) {
        showGif(slide.bytes);
        return;
    }
    // A slide made ready for another area is made again.
    if (slide.condition == ImagingCondition::None && slide.frame.size() != m_area) {
        WhenReady(
            this, prepare(m_state.album.CurrentRow, transition),
            [this, generation, sliding, pending = std::make_shared<PendingSlide>(m_pending)](
                const PreparedSlide& prepared) { finishStill(generation, prepared, sliding); });
        return;
    }
    finishStill(generation, slide, sliding);
}

void FullPicture::finishStill(quint64 generation, const PreparedSlide& slide, bool sliding) {
    if (generation != m_generation)
        return; // a newer picture was asked for meanwhile
    // A picture that cannot be shown leaves no thumbnail standing for it.
    if (std::exchange(m_showingThumbnail, false) && slide.condition != ImagingCondition::None)
        m_canvas->setFrame(QImage());
    if (slide.condition == ImagingCondition::FileNotFound) {
        m_prompts.beep();
        m_prompts.msgBox(QStringLiteral("File not found!"), MsgIcon::Exclamation,
                         QStringLiteral("ERROR! (PELORUS: ShowFullPicture #1)"));
        QTimer::singleShot(0, this, &QDialog::reject);
        return;
    }
    if (slide.condition != ImagingCondition::None) {
        const QString why = ConditionText(slide.condition) + QStringLiteral(" (") +
                            QFileInfo(m_state.record.CurrentImageFile).fileName() +
                            QLatin1Char(')');
        // A show nobody watches must not wait for an answer.
        if (sliding) {
            skipRecord(why);
            return;
        }
        m_notice->hide(); // the message says it
        m_prompts.beep();
        m_prompts.msgBox(why, MsgIcon::Critical,
                         QStringLiteral("UNEXPECTED ERROR! (PELORUS: ShowFullPicture #2)"));
    }
    m_sequence.shown();
    updateCaption();
    m_player->stop();
    m_video->hide();
    m_canvas->show();
    if (slide.condition == ImagingCondition::None) {
        if (sliding && slide.renderer)
            m_canvas->startTransition(slide.renderer, slide.frame);
        else
            m_canvas->setFrame(slide.frame);
        m_still = slide.bytes;
    }
    m_annotation->setVisible(m_annotationShown);
    m_annotation->raise();
    bool playing = false;
    if (m_sequence.soundDue(m_media.hasSound)) {
        m_state.playback.SoundPlaying = true;
        playing = m_records.playSound(*m_player);
        if (!playing)
            m_state.playback.SoundPlaying = false;
    }
    m_speaker->setVisible(playing);
    m_speaker->raise();
    emit pictureShown();
    if (sliding)
        prepareAhead();
}

// The picture before stays on screen; the line at the bottom names the record passed over, and
// the show goes straight on to the next one unless every record has just failed.
void FullPicture::skipRecord(const QString& why) {
    m_notice->setText(QStringLiteral("Skipped: %1").arg(why));
    m_notice->adjustSize();
    m_notice->move(0, m_area.height() - m_notice->height());
    m_notice->show();
    m_notice->raise();
    m_noticeTimer->start();
    if (!m_sequence.skipped())
        return; // the clock tries again after the interval
    QTimer::singleShot(0, this, [this] {
        if (m_clock.isEnabled())
            showNextPicture();
    });
}

void FullPicture::showGif(const QByteArray& bytes) {
    m_player->stop();
    m_video->hide();
    if (m_movie)
        delete m_movie;
    m_movie = MovieFromBytes(bytes, this);
    const QSize natural = m_movie->currentImage().size();
    const QRectF place = PicturePlacement(natural, m_area, m_state.options.ViewFit, m_screenHeight);
    auto paintFrame = [this, place] {
        QImage frame(m_area, QImage::Format_RGB32);
        frame.fill(Qt::black);
        QPainter p(&frame);
        p.drawImage(place, m_movie->currentImage());
        p.end();
        m_canvas->setFrame(frame);
    };
    connect(m_movie, &QMovie::frameChanged, this, paintFrame);
    paintFrame();
    m_movie->start();
    m_sequence.shown();
    updateCaption();
    m_canvas->show();
    m_annotation->setVisible(m_annotationShown);
    m_annotation->raise();
    emit pictureShown();
}

void FullPicture::showVideo() {
    m_records.playClip(*m_player);
    updateCaption();
    // The clock waits for the clip to end.
    m_sequence.clipStarted();
    m_canvas->setFrame(QImage());
    placeVideo();
    m_video->show();
    m_video->raise();
    m_annotation->setVisible(m_annotationShown);
    m_annotation->raise();
    m_player->play();
    emit pictureShown();
}

void FullPicture::placeVideo() {
    const QSize natural = m_player->naturalSize();
    if (!natural.isValid()) {
        m_video->setGeometry(QRect(QPoint(0, 0), m_area));
        return;
    }
    m_video->setGeometry(
        VideoPlacement(natural, m_area, m_state.options.ViewFit, m_screenHeight).toRect());
}

void FullPicture::videoEnded() {
    m_player->stop();
    m_speaker->hide();
    m_sequence.clipEnded();
}

void FullPicture::prepareAhead() {
    // A future still waiting for the work it follows is not yet "valid": only its presence counts.
    const std::optional<QFuture<PreparedSlide>> slide = m_sequence.prepareAhead(
        [this](qint64 row, const Transition& transition) { return prepare(row, transition); });
    if (!slide)
        return;
    WhenReady(this, *slide,
              [pending = std::make_shared<PendingSlide>(m_pending)](const PreparedSlide&) {});
}

void FullPicture::updateCaption() {
    setWindowTitle(m_state.record.CurrentProperties + QStringLiteral(" (%1-%2-%3)")
                                                          .arg(m_sequence.pattern())
                                                          .arg(m_values.EffectDelay)
                                                          .arg(m_values.EffectGrain));
}

void FullPicture::showPreviousPicture() {
    m_sequence.stepPrevious();
    showCurrentPicture();
}

void FullPicture::showNextPicture() {
    m_sequence.stepNext();
    showCurrentPicture();
}

void FullPicture::stopIconTick(bool clockEnabled) {
    m_stopIcon->setEnabled(false);
    m_stopIcon->hide();
    if (clockEnabled)
        reject();
}

void FullPicture::closeByClick() {
    m_state.playback.SlideshowRunning = false;
    m_clock.setEnabled(false);
    emit closedByClick();
    reject();
}

void FullPicture::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        reject();
        return;
    case Qt::Key_PageUp:
    case Qt::Key_Right:
    case Qt::Key_Down:
        showNextPicture();
        return;
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Up:
        showPreviousPicture();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

bool FullPicture::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_stopIcon && event->type() == QEvent::MouseButtonRelease) {
        pressStopIcon();
        return true;
    }
    if (watched == m_annotation && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            storeAnnotation();
            return true;
        }
        if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            keyPressEvent(static_cast<QKeyEvent*>(event));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FullPicture::done(int result) {
    // However the viewer closes, its clock, clip and sound end with it.
    ++m_generation;
    m_sequence.end();
    m_player->close();
    if (m_movie)
        m_movie->stop();
    QDialog::done(result);
}

void FullPicture::closeEvent(QCloseEvent* event) {
    m_state.playback.SlideshowRunning = false;
    QDialog::closeEvent(event);
}

} // namespace q32
