#include "platform/player/VideoControl.h"

#include <QAudioOutput>
#include <QFutureWatcher>
#include <QIODevice>
#include <QMediaMetaData>
#include <QMediaPlayer>
#include <QUrl>

namespace q32 {

void VideoControl::chooseBackend() {
    // The FFmpeg backend of this Qt crashes on machines without a sound device.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
}

VideoControl::VideoControl(QObject* parent)
    : QObject(parent), m_player(new QMediaPlayer(this)), m_audio(new QAudioOutput(this)),
      m_pending(new QFutureWatcher<std::shared_ptr<QIODevice>>(this)) {
    m_player->setAudioOutput(m_audio);
    connect(m_pending, &QFutureWatcherBase::finished, this, &VideoControl::deviceReady);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) {
                if (status == QMediaPlayer::LoadedMedia)
                    emit loaded();
                if (status == QMediaPlayer::EndOfMedia)
                    emit ended();
            });
}

VideoControl::~VideoControl() {
    m_pending->future().cancel();
    // The player lets go of the device before the device goes.
    m_player->setSource(QUrl());
}

void VideoControl::setVideoOutput(QObject* output) {
    m_player->setVideoOutput(output);
}

bool VideoControl::load(const QString& file) {
    close();
    m_file = file;
    m_player->setSource(QUrl::fromLocalFile(file));
    return m_player->error() == QMediaPlayer::NoError;
}

void VideoControl::load(QFuture<std::shared_ptr<QIODevice>> device, const QString& name) {
    close();
    m_waiting = true;
    m_pendingName = name;
    m_pending->setFuture(device);
}

void VideoControl::deviceReady() {
    const QFuture<std::shared_ptr<QIODevice>> future = m_pending->future();
    if (!m_waiting || future.isCanceled() || future.resultCount() == 0)
        return;
    m_waiting = false;
    m_device = future.result();
    m_pending->setFuture(QFuture<std::shared_ptr<QIODevice>>());
    if (!m_device)
        return;
    // The player reads nothing from a device whose source names no file.
    m_player->setSourceDevice(
        m_device.get(), QUrl(m_pendingName.isEmpty() ? QStringLiteral("media") : m_pendingName));
    if (m_playWhenReady)
        m_player->play();
    m_playWhenReady = false;
}

void VideoControl::rewind() {
    m_player->setPosition(0);
}

void VideoControl::play() {
    if (m_waiting)
        m_playWhenReady = true;
    else
        m_player->play();
}

void VideoControl::playFromStart() {
    rewind();
    play();
}

void VideoControl::stop() {
    m_playWhenReady = false;
    m_player->stop();
}

void VideoControl::close() {
    m_waiting = false;
    m_playWhenReady = false;
    m_pending->future().cancel();
    m_pending->setFuture(QFuture<std::shared_ptr<QIODevice>>());
    m_player->stop();
    m_player->setSource(QUrl());
    m_device.reset();
    m_file.clear();
}

bool VideoControl::isPlaying() const {
    return m_playWhenReady || m_player->playbackState() == QMediaPlayer::PlayingState;
}

QSize VideoControl::naturalSize() const {
    return m_player->metaData().value(QMediaMetaData::Resolution).toSize();
}

QString VideoControl::errorText() const {
    return m_player->errorString();
}

} // namespace q32
