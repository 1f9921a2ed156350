#include "platform/player/VideoControl.h"

#include <QAudioOutput>
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
    : QObject(parent), m_player(new QMediaPlayer(this)), m_audio(new QAudioOutput(this)) {
    m_player->setAudioOutput(m_audio);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) {
                if (status == QMediaPlayer::EndOfMedia)
                    emit ended();
            });
}

VideoControl::~VideoControl() = default;

void VideoControl::setVideoOutput(QObject* output) {
    m_player->setVideoOutput(output);
}

bool VideoControl::load(const QString& file) {
    m_player->stop();
    m_file = file;
    // A new URL for the same path still reloads: the work file was just rewritten.
    m_player->setSource(QUrl());
    m_player->setSource(QUrl::fromLocalFile(file));
    return m_player->error() == QMediaPlayer::NoError;
}

void VideoControl::rewind() {
    m_player->setPosition(0);
}

void VideoControl::play() {
    m_player->play();
}

void VideoControl::playFromStart() {
    rewind();
    play();
}

void VideoControl::stop() {
    m_player->stop();
}

void VideoControl::close() {
    m_player->stop();
    m_player->setSource(QUrl());
    m_file.clear();
}

bool VideoControl::isPlaying() const {
    return m_player->playbackState() == QMediaPlayer::PlayingState;
}

QSize VideoControl::naturalSize() const {
    return m_player->metaData().value(QMediaMetaData::Resolution).toSize();
}

QString VideoControl::errorText() const {
    return m_player->errorString();
}

} // namespace q32
