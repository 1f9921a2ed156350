#include "shell/PreviewPane.h"

#include "common/PreviewFit.h"
#include "platform/imaging/Imaging.h"
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

    m_picture5 = new QFrame(this);
    m_picture5->setObjectName(QStringLiteral("Picture5"));
    m_picture5->setGeometry(37, 22, 240, 8);

    m_picture6 = new QFrame(this);
    m_picture6->setObjectName(QStringLiteral("Picture6"));
    m_picture6->setGeometry(30, 30, 240, 180);

    m_lead2 = new QLabel(m_picture6);
    m_lead2->setObjectName(QStringLiteral("LEAD2"));
    m_lead2->setScaledContents(true);
    m_lead2->setCursor(Qt::PointingHandCursor);
    m_lead2->installEventFilter(this);
    m_lead2->hide();

    m_video = new QVideoWidget(this);
    m_video->setObjectName(QStringLiteral("LEADVid1"));
    m_video->setGeometry(37, 30, 240, 180);
    m_video->hide();
    m_player->setVideoOutput(m_video);
    connect(m_player, &VideoControl::MMModeChange, this, &PreviewPane::LEADVid1_MMModeChange);

    const QString tips[2] = {QStringLiteral("Stop"), QStringLiteral("Play From Start")};
    const QString icons[2] = {QStringLiteral("media-playback-stop-symbolic"),
                              QStringLiteral("media-playback-start-symbolic")};
    for (int i = 0; i < 2; ++i) {
        auto* b = new QPushButton(CommandBar::iconFor(icons[i], tips[i]), QString(), this);
        b->setObjectName(QStringLiteral("SSCommand1_%1").arg(i));
        b->setToolTip(tips[i]);
        b->setGeometry(112 + i * 40, 214, 36, 26);
        b->hide();
        connect(b, &QPushButton::clicked, this, [this, i] { SSCommand1_Click(i); });
        m_videoButtons[i] = b;
    }

    m_image4 = new QLabel(this);
    m_image4->setObjectName(QStringLiteral("Image4"));
    m_image4->setToolTip(QStringLiteral("Play or stop the attached sound"));
    m_image4->setGeometry(8, 214, 24, 24);
    m_image4->setCursor(Qt::PointingHandCursor);
    m_image4->installEventFilter(this);
    setSoundPlaying(false);
    m_image4->hide();
}

PreviewPane::~PreviewPane() {
    // A decode still running must not call back into a pane that is gone.
    ++m_generation;
}

void PreviewPane::useLargeFontLayout() {
    m_picture5->move(45, 22);
    m_picture6->setGeometry(45, 30, 225, 180);
}

bool PreviewPane::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == m_lead2)
            emit pictureClicked();
        else if (watched == m_image4)
            emit soundClicked();
    }
    return QFrame::eventFilter(watched, event);
}

void PreviewPane::setSoundPlaying(bool playing) {
    const QString icon = playing ? QStringLiteral("audio-volume-high-symbolic")
                                 : QStringLiteral("audio-volume-muted-symbolic");
    m_image4->setPixmap(CommandBar::iconFor(icon, QStringLiteral("S")).pixmap(22, 22));
}

void PreviewPane::hidePreview() {
    ++m_generation; // a decode still on its way is no longer wanted
    m_lead2->hide();
}

void PreviewPane::ShowVideoButtons(bool visible) {
    if (m_slideshowRunning)
        return;
    for (QPushButton* b : m_videoButtons)
        b->setVisible(visible);
}

void PreviewPane::ThumbNailInTV(const RecordMedia& media) {
    if (m_slideshowRunning)
        return;
    m_image4->setVisible(media.hasSound);
    if (m_movie) {
        m_lead2->setMovie(nullptr);
        delete m_movie;
        m_movie = nullptr;
    }
    if (media.kind == MediaKind::Video) {
        ++m_generation;
        m_lead2->hide();
        m_video->show();
        ShowVideoButtons(true);
        m_player->MMLoad(media.path);
        m_player->setMMCurrentPos(m_player->MMClipStart());
        return;
    }
    m_video->hide();
    ShowVideoButtons(false);
    const QSize frame = m_picture6->size();
    if (media.kind == MediaKind::Gif) {
        ++m_generation;
        m_movie = new QMovie(media.path, QByteArray(), this);
        m_movie->jumpToFrame(0);
        const QRect r = ThumbNailRect(m_movie->currentImage().size(), frame);
        m_lead2->setGeometry(r);
        m_lead2->setMovie(m_movie);
        m_movie->start();
        m_lead2->show();
        emit pictureReady();
        return;
    }
    // Big photos decode on a worker at the size the frame needs; a newer record wins.
    const quint64 generation = ++m_generation;
    ++m_pending;
    QPointer<PreviewPane> self(this);
    const QString path = media.path;
    QThreadPool::globalInstance()->start([self, generation, path, frame] {
        ImageInfo info;
        QImage image;
        QSize fitted;
        if (ReadImageInfo(path, info) == ImagingCondition::None) {
            fitted = ThumbNailRect(info.displaySize(), frame).size();
            if (LoadImage(path, image, LoadOptions{fitted, false, 0, true}) !=
                ImagingCondition::None)
                image = QImage();
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, generation, image, size = info.displaySize()] {
                if (self)
                    self->showDecoded(generation, image, size);
            },
            Qt::QueuedConnection);
    });
}

void PreviewPane::showDecoded(quint64 generation, const QImage& image, const QSize& pictureSize) {
    --m_pending;
    if (generation != m_generation)
        return;
    if (!image.isNull()) {
        m_lead2->setGeometry(ThumbNailRect(pictureSize, m_picture6->size()));
        m_lead2->setPixmap(QPixmap::fromImage(image));
        m_lead2->show();
    }
    emit pictureReady();
}

void PreviewPane::SSCommand1_Click(int index) {
    if (index == 0) {
        m_player->stop();
    } else {
        m_player->setMMCurrentPos(m_player->MMClipStart());
        m_player->MMPlay();
    }
}

void PreviewPane::LEADVid1_MMModeChange(int mode) {
    if (mode == VideoControl::ModeEnded)
        m_player->close();
}

} // namespace q32
