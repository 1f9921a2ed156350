#pragma once
// The video pane's player: opens a clip or a sound by file name, plays it from the start, stops,
// closes, and reports the end of the media. GStreamer does the work underneath.

#include <QObject>
#include <QSize>
#include <QString>

class QAudioOutput;
class QMediaPlayer;
class QObject;

namespace q32 {

class VideoControl : public QObject {
    Q_OBJECT
public:
    explicit VideoControl(QObject* parent = nullptr);
    ~VideoControl() override;

    // Where the picture goes: a QVideoWidget or a QVideoSink; null for sound only.
    void setVideoOutput(QObject* output);

    // Opens the file at its start, ready to play.
    bool load(const QString& file);
    void rewind();
    void play();
    void playFromStart();
    void stop();
    void close();

    bool isOpen() const { return !m_file.isEmpty(); }
    bool isPlaying() const;
    QSize naturalSize() const;
    QString errorText() const;

    // Qt's media layer picks its backend once per process; ours is GStreamer.
    static void chooseBackend();

signals:
    // Playback reached the end of the media.
    void ended();

private:
    QMediaPlayer* m_player;
    QAudioOutput* m_audio;
    QString m_file;
};

} // namespace q32
