#include "shell/ui/PreviewPane.h"

#include "album/AlbumMedia.h"
#include "album/AlbumThumbnails.h"
#include "common/PreviewFit.h"
#include "platform/imaging/MovieFromBytes.h"
#include "platform/player/VideoControl.h"
#include "shell/ui/CommandBar.h"

#include <QEvent>
#include <QFile>
#include <QFutureWatcher>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QVideoWidget>
#include <QtConcurrent/QtConcurrentRun>

namespace q32 {

PreviewPane::Decoded PreviewPane::decode(const QByteArray& bytes, MediaKind kind,
                                         const QString& format, const QSize& frame) {
    Decoded out;
    if (kind == MediaKind::Gif || AlbumBrowser::isAnimatedWebp(format, bytes)) {
        out.movie = bytes;
        return out;
    }
    FittedPicture fitted = DecodeFittedBytes(bytes, frame);
    out.image = std::move(fitted.image);
    out.pictureSize = fitted.pictureSize;
    out.condition = fitted.condition;
    return out;
}

PreviewPane::PreviewPane(QWidget* parent)
    : QFrame(parent), m_player(new VideoControl(this)),
      m_decoded(new QFutureWatcher<Decoded>(this)) {
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
            if (i == 0) {
                m_player->stop();
                return;
            }
            // Not from an album closed since.
            if (!m_player->isOpen() && m_clip &&
                (!m_clip->source.expired() || !m_clip->path.isEmpty()))
                loadClip(*m_clip);
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
    connect(m_decoded, &QFutureWatcherBase::finished, this, [this] {
        const QFuture<Decoded> future = m_decoded->future();
        if (!m_decoding || future.isCanceled() || future.resultCount() == 0)
            return;
        showDecoded(future.result());
    });
}

PreviewPane::~PreviewPane() {
    cancelDecoding();
}

void PreviewPane::cancelDecoding() {
    m_decoding = false;
    m_reading.cancel();
    m_decoded->future().cancel();
    m_decoded->setFuture(QFuture<Decoded>());
}

void PreviewPane::dropMovie() {
    if (!m_movie)
        return;
    m_picture->setMovie(nullptr);
    delete m_movie; // and the buffer it plays from
    m_movie = nullptr;
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
    cancelDecoding(); // a picture still on its way is no longer wanted
    m_picture->hide();
    m_showingThumbnail = false;
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
    m_showingThumbnail = false;
    cancelDecoding();
    dropMovie();
    const std::shared_ptr<AlbumMedia> source = media.source.lock();
    if (media.kind == MediaKind::Video) {
        m_picture->hide();
        m_videoPane->show();
        showVideoButtons(true);
        loadClip(media);
        return;
    }
    m_clip.reset();
    m_player->close();
    m_videoPane->hide();
    showVideoButtons(false);
    if (media.isEmpty()) { // nothing to show
        hidePreview();
        return;
    }
    if (decodedAhead && media.kind == MediaKind::Still) {
        showPicture(decodedAhead->image, decodedAhead->pictureSize);
        emit pictureReady();
        return;
    }
    // The stored thumbnail at once, the sharp picture when it is decoded.
    if (source && media.kind != MediaKind::Video)
        showThumbnail(source->thumbnail(media.rowId));
    // Read, then decoded at the size the frame needs, both off this thread.
    const QString path = media.path;
    m_reading = source ? source->read(media.rowId, PictureField::Image) : QtConcurrent::run([path] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    });
    m_decodingMedia = media;
    m_decoding = true;
    m_decoded->setFuture(
        m_reading.then(QtFuture::Launch::Async, [kind = media.kind, format = media.format,
                                                 frame = m_frame->size()](const QByteArray& bytes) {
            return decode(bytes, kind, format, frame);
        }));
}

void PreviewPane::loadClip(const RecordMedia& media) {
    m_clip = media;
    if (const std::shared_ptr<AlbumMedia> source = media.source.lock())
        m_player->load(source->openStream(media.rowId, PictureField::Image), media.name);
    else
        m_player->load(media.path);
}

void PreviewPane::showDecoded(const Decoded& decoded) {
    m_decoding = false;
    m_showingThumbnail = false;
    const RecordMedia media = m_decodingMedia;
    if (!decoded.movie.isEmpty()) {
        showMovie(decoded.movie);
    } else if (!decoded.image.isNull()) {
        showPicture(decoded.image, decoded.pictureSize);
    } else {
        // Not a blank frame: the frame says why, and a click on it says it again.
        const QString reason =
            ConditionText(decoded.condition == ImagingCondition::None ? ImagingCondition::Failure
                                                                      : decoded.condition);
        m_picture->setGeometry(m_frame->rect());
        m_picture->setText(reason);
        m_picture->show();
        m_failed = media;
        emit pictureFailed(media, reason);
    }
    emit pictureReady();
}

void PreviewPane::showMovie(const QByteArray& bytes) {
    m_movie = MovieFromBytes(bytes, this);
    m_picture->setGeometry(PreviewPlace(m_movie->currentImage().size(), m_frame->size()));
    m_picture->setMovie(m_movie);
    m_movie->start();
    m_picture->show();
}

void PreviewPane::showThumbnail(const QImage& thumbnail) {
    m_showingThumbnail = !thumbnail.isNull();
    if (!m_showingThumbnail)
        return;
    m_picture->setGeometry(PreviewPlace(SizeThumbnailStandsFor(thumbnail.size()), m_frame->size()));
    m_picture->setPixmap(QPixmap::fromImage(thumbnail));
    m_picture->show();
}

void PreviewPane::showPicture(const QImage& image, const QSize& pictureSize) {
    m_showingThumbnail = false;
    m_failed.reset();
    m_picture->setGeometry(PreviewPlace(pictureSize, m_frame->size()));
    m_picture->setPixmap(QPixmap::fromImage(image));
    m_picture->show();
}

} // namespace q32
