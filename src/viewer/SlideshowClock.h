#pragma once
// The slideshow's one-second clock. A new picture is asked for once the tick counter has passed
// the interval (so every interval + 2 ticks); after the stop icon the next tick ends the show.

#include <QObject>
#include <QTimer>

namespace q32 {

struct SlideshowValues;

class SlideshowClock : public QObject {
    Q_OBJECT
public:
    explicit SlideshowClock(const SlideshowValues& values, QObject* parent = nullptr);

    void setEnabled(bool enabled);
    bool isEnabled() const { return m_timer.isActive(); }
    int counter() const { return m_counter; }
    // One tick, as the timer gives it (public for tests).
    void tick();
    // The stop icon was pressed: from the next tick on, ticks only report it.
    void stop() { m_stopping = true; }
    // A show started again counts pictures again.
    void resume() { m_stopping = false; }

signals:
    void nextPicture();
    // A tick after stop(): hide the icon; close when still enabled.
    void stopIconTick(bool clockEnabled);

private:
    const SlideshowValues& m_values;
    QTimer m_timer;
    int m_counter = 0;
    bool m_stopping = false;
};

} // namespace q32
