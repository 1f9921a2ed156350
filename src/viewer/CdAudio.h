#pragma once
// Audio CD playback over GStreamer's CD source (cdiocddasrc, which also reads a CUE/BIN disc
// image named as its device). Headless; the panel in the viewer drives it.

#include <QObject>
#include <QString>
#include <QTimer>

typedef struct _GstElement GstElement;

namespace q32 {

class CdAudio : public QObject {
    Q_OBJECT
public:
    // NoDisc: the last look found no audio CD (no drive, no disc, or no audio tracks on it).
    enum class State { Closed, NoDisc, Stopped, Playing, Paused };

    explicit CdAudio(QObject* parent = nullptr);
    ~CdAudio() override;

    // The drive ("/dev/cdrom" unless $QUILLON_CD_DEVICE names another) or a CUE sheet.
    void setDevice(const QString& device) { m_device = device; }
    QString device() const { return m_device; }
    // The GStreamer sink the sound goes to; "autoaudiosink" unless $QUILLON_AUDIO_SINK says.
    void setSink(const QString& description) { m_sink = description; }

    // Reads the disc's table of contents; false (with errorText, state NoDisc) when there is no
    // audio CD.
    bool open();
    void close();
    bool play(int track = 0); // 0: the current track
    void pause();
    void stop();
    void next();
    void previous();

    State state() const { return m_state; }
    int track() const { return m_track; }
    int trackCount() const { return m_tracks; }
    QString errorText() const { return m_error; }

signals:
    void stateChanged(CdAudio::State state);
    void trackChanged(int track);
    // A track played to its end; the next one follows unless it was the last.
    void trackEnded(int track);
    void failed(const QString& text);

private:
    bool build(int track);
    void teardown();
    void pollBus();
    void setState(State state);
    bool noDisc(const QString& error);

    QString m_device;
    QString m_sink;
    QString m_error;
    GstElement* m_pipeline = nullptr;
    QTimer m_bus;
    State m_state = State::Closed;
    int m_track = 1;
    int m_tracks = 0;
};

} // namespace q32
