#pragma once
// The video pane's player: opens a clip or a sound, from a file or from a device that reads it
// where it is kept, plays it from the start, stops, closes, and reports the end of the media.
// GStreamer does the work underneath.

#include <QFuture>
#include <QObject>
#include <QSize>
#include <QString>
#include <memory>

class QAudioOutput;
class QIODevice;
class QMediaPlayer;
class QObject;
template <typename T> class QFutureWatcher;

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
    // Opens the media a device reads, once the device is ready (it is made off the interface
    // thread); name says what kind of file it is. Play and stop asked for meanwhile apply then;
    // a later load or close drops it. A device that could not be made opens nothing.
    void load(QFuture<std::shared_ptr<QIODevice>> device, const QString& name);
    void rewind();
    void play();
    void playFromStart();
    void stop();
    void close();

    bool isOpen() const { return !m_file.isEmpty() || m_device || m_waiting; }
    bool isPlaying() const;
    QSize naturalSize() const;
    QString errorText() const;

    // Qt's media layer picks its backend once per process; ours is GStreamer.
    static void chooseBackend();

signals:
    // The media are open: their size and length are known.
    void loaded();
    // Playback reached the end of the media.
    void ended();

private:
    void deviceReady();

    QMediaPlayer* m_player;
    QAudioOutput* m_audio;
    QString m_file;
    std::shared_ptr<QIODevice> m_device; // the device the player reads, kept while it does
    QFutureWatcher<std::shared_ptr<QIODevice>>* m_pending;
    QString m_pendingName;
    bool m_waiting = false;       // a device is being made
    bool m_playWhenReady = false; // play() came while it was
};

} // namespace q32
