#include "shell/PreviewPane.h"

#include "common/PreviewFit.h"
#include "platform/player/VideoControl.h"
#include "shell/CommandBar.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QMovie>
#include <QPointer>
#include <QPushButton>
#include <QThreadPool>
#include <QVideoWidget>

namespace q32 {

PreviewPane::PreviewPane(QWidget* parent) : QFrame(parent), m_player(new VideoControl(this)) {
    setObjectName(QStringLiteral("Picture3"));
    setFrameShape(QFrame::StyledPanel);

    m_frameTop = new QFrame(this);
    m_frameTop->setObjectName(QStringLiteral("Picture5"));
    m_frameTop->setGeometry(37, 22, 240, 8);

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("Picture6"));
    m_frame->setGeometry(30, 30, 240, 180);

    m_picture = new QLabel(m_frame);
    m_picture->setObjectName(QStringLiteral("LEAD2"));
    m_picture->setScaledContents(true);
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setWordWrap(true);
    m_picture->installEventFilter(this);
    m_picture->hide();

    m_videoPane = new QVideoWidget(this);
    m_videoPane->setObjectName(QStringLiteral("LEADVid1"));
    m_videoPane->setGeometry(37, 30, 240, 180);
    m_videoPane->hide();
    m_player->setVideoOutput(m_videoPane);
    // At the end of a clip the pane lets go of it.
    connect(m_player, &VideoControl::ended, m_player, &VideoControl::close);

    const QString tips[2] = {QStringLiteral("Stop"), QStringLiteral("Play From Start")};
    const QString icons[2] = {QStringLiteral("media-playback-stop-symbolic"),
                              QStringLiteral("media-playback-start-symbolic")};
    for (int i = 0; i < 2; ++i) {
        auto* b = new QPushButton(CommandBar::iconFor(icons[i], tips[i]), QString(), this);
        b->setObjectName(QStringLiteral("SSCommand1_%1").arg(i));
        b->setToolTip(tips[i]);
        b->setGeometry(112 + i * 40, 214, 36, 26);
        b->hide();
        connect(b, &QPushButton::clicked, this, [this, i] {
            if (i == 0)
                m_player->stop();
            else
                m_player->playFromStart();
        });
        m_videoButtons[i] = b;
    }

    m_soundIndicator = new QLabel(this);
    m_soundIndicator->setObjectName(QStringLiteral("Image4"));
    m_soundIndicator->setToolTip(QStringLiteral("Play or stop the attached sound"));
    m_soundIndicator->setGeometry(8, 214, 24, 24);
    m_soundIndicator->setCursor(Qt::PointingHandCursor);
    m_soundIndicator->installEventFilter(this);
    setSoundPlaying(false);
    m_soundIndicator->hide();
}

PreviewPane::~PreviewPane() {
    // A decode still running must not call back into a pane that is gone.
    ++m_generation;
}

void PreviewPane::useLargeFontLayout() {
    m_frameTop->move(45, 22);
    m_frame->setGeometry(45, 30, 225, 180);
}

bool PreviewPane::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        // A picture that could not be shown has nothing for the viewer: the click says why.
        if (watched == m_picture && m_failed)
            emit pictureFailed(*m_failed, m_picture->text());
        else if (watched == m_picture)
            emit pictureClicked();
        else if (watched == m_soundIndicator)
            emit soundClicked();
    }
    return QFrame::eventFilter(watched, event);
}

void PreviewPane::setSoundPlaying(bool playing) {
    const QString icon = playing ? QStringLiteral("audio-volume-high-symbolic")
                                 : QStringLiteral("audio-volume-muted-symbolic");
    m_soundIndicator->setPixmap(CommandBar::iconFor(icon, QStringLiteral("S")).pixmap(22, 22));
}

void PreviewPane::hidePreview() {
    ++m_generation; // a decode still on its way is no longer wanted
    m_picture->hide();
    m_failed.reset();
}

void PreviewPane::showVideoButtons(bool visible) {
    if (m_slideshowRunning)
        return;
    for (QPushButton* b : m_videoButtons)
        b->setVisible(visible);
}

QSize PreviewPane::frameSize() const {
    return m_frame->size();
}

void PreviewPane::showMedia(const RecordMedia& media,
                            const std::optional<PreviewPrefetcher::Picture>& decodedAhead) {
    if (m_slideshowRunning)
        return;
    m_soundIndicator->setVisible(media.hasSound);
    m_failed.reset();
    if (m_movie) {
        m_picture->setMovie(nullptr);
        delete m_movie;
        m_movie = nullptr;
    }
    if (media.kind == MediaKind::Video) {
        ++m_generation;
        m_picture->hide();
        m_videoPane->show();
        showVideoButtons(true);
        m_player->load(media.path);
        return;
    }
    m_videoPane->hide();
    showVideoButtons(false);
    if (media.path.isEmpty()) { // nothing to show
        hidePreview();
        return;
    }
    const QSize frame = m_frame->size();
    if (media.kind == MediaKind::Gif) {
        ++m_generation;
        m_movie = new QMovie(media.path, QByteArray(), this);
        m_movie->jumpToFrame(0);
        const QRect r = ThumbNailRect(m_movie->currentImage().size(), frame);
        m_picture->setGeometry(r);
        m_picture->setMovie(m_movie);
        m_movie->start();
        m_picture->show();
        emit pictureReady();
        return;
    }
    if (decodedAhead) {
        ++m_generation;
        showPicture(decodedAhead->image, decodedAhead->pictureSize);
        emit pictureReady();
        return;
    }
    // Big photos decode on a worker at the size the frame needs; a newer record wins.
    const quint64 generation = ++m_generation;
    ++m_pending;
    QPointer<PreviewPane> self(this);
    QThreadPool::globalInstance()->start([self, generation, media, frame] {
        QSize size;
        ImagingCondition condition = ImagingCondition::None;
        const QImage image = DecodeFitted(media.path, frame, &size, &condition);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, generation, media, image, size, condition] {
                if (self)
                    self->showDecoded(generation, media, image, size, condition);
            },
            Qt::QueuedConnection);
    });
}

void PreviewPane::showDecoded(quint64 generation, const RecordMedia& media, const QImage& image,
                              const QSize& pictureSize, ImagingCondition condition) {
    --m_pending;
    if (generation != m_generation)
        return;
    if (!image.isNull()) {
        showPicture(image, pictureSize);
    } else {
        // Not a blank frame: the frame says why, and a click on it still opens the viewer.
        const QString reason = ConditionText(
            condition == ImagingCondition::None ? ImagingCondition::Failure : condition);
        m_picture->setGeometry(m_frame->rect());
        m_picture->setText(reason);
        m_picture->show();
        m_failed = media;
        emit pictureFailed(media, reason);
    }
    emit pictureReady();
}

void PreviewPane::showPicture(const QImage& image, const QSize& pictureSize) {
    m_failed.reset();
    m_picture->setGeometry(ThumbNailRect(pictureSize, m_frame->size()));
    m_picture->setPixmap(QPixmap::fromImage(image));
    m_picture->show();
}

} // namespace q32
