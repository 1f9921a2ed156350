#include "viewer/SlideshowClock.h"

#include "viewer/SlideshowValues.h"

namespace q32 {

SlideshowClock::SlideshowClock(const SlideshowValues& values, QObject* parent)
    : QObject(parent), m_values(values) {
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &SlideshowClock::tick);
}

void SlideshowClock::setEnabled(bool enabled) {
    if (enabled && !m_timer.isActive())
        m_timer.start();
    else if (!enabled)
        m_timer.stop();
}

void SlideshowClock::tick() {
    if (m_stopping) {
        emit stopIconTick(isEnabled());
        return;
    }
    if (m_counter > m_values.SlideInterval) {
        m_counter = 0;
        emit nextPicture();
    } else {
        ++m_counter;
    }
}

} // namespace q32
