#pragma once
// The slideshow's one-second clock. A new picture is asked for once the tick counter has passed
// the interval (so every interval + 2 ticks); after the stop icon the next tick ends the show.

#include <QObject>
#include <QTimer>

namespace q32 {

struct ProgramState;
struct SlideshowValues;

class SlideshowClock : public QObject {
    Q_OBJECT
public:
    SlideshowClock(ProgramState& state, const SlideshowValues& values, QObject* parent = nullptr);

    void setEnabled(bool enabled);
    bool isEnabled() const { return m_timer.isActive(); }
    int counter() const { return m_counter; }
    // One tick, as the timer gives it (public for tests).
    void tick();

signals:
    void nextPicture();
    // The stop icon was pressed (StatusWord 2): hide the icon; close when still enabled.
    void stopIconTick(bool clockEnabled);

private:
    ProgramState& m_state;
    const SlideshowValues& m_values;
    QTimer m_timer;
    int m_counter = 0;
};

} // namespace q32
