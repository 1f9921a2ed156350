#include "viewer/ui/PictureCanvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace q32 {

PictureCanvas::PictureCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("LEAD1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PictureCanvas::step);
}

// By value: the end of a transition passes m_to, which is cleared here.
void PictureCanvas::setFrame(QImage frame) {
    m_timer.stop();
    const bool was = m_renderer != nullptr;
    m_renderer.reset();
    m_from = m_to = QImage();
    m_shown = std::move(frame);
    update();
    if (was)
        emit transitionFinished();
}

void PictureCanvas::startTransition(std::shared_ptr<const TransitionRenderer> renderer,
                                    const QImage& frame) {
    if (!renderer || m_shown.isNull() || m_shown.size() != frame.size() ||
        renderer->transition().durationMs() == 0) {
        setFrame(frame);
        return;
    }
    m_clock.start();
    m_timer.stop();
    m_from = m_shown;
    m_to = frame;
    m_renderer = std::move(renderer);
    m_firstPainted = false;
    m_firstFrameNs = -1;
    // One painting step every delay milliseconds; the screen shows the latest.
    m_timer.start(std::max(1, m_renderer->transition().delay));
    step();
    emit transitionStarted();
}

void PictureCanvas::step() {
    if (!m_renderer)
        return;
    const double duration = m_renderer->transition().durationMs();
    const int steps = Transition::kSteps;
    const double done = std::floor(double(m_clock.elapsed()) / duration * steps) / steps;
    if (done >= 1) {
        setFrame(m_to);
        return;
    }
    QImage next;
    m_renderer->render(m_from, m_to, std::max(done, 1.0 / steps), next);
    m_shown = next;
    repaint();
}

void PictureCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_shown.isNull())
        p.fillRect(rect(), Qt::black);
    else
        p.drawImage(0, 0, m_shown);
    if (m_renderer && !m_firstPainted) {
        m_firstPainted = true;
        m_firstFrameNs = m_clock.nsecsElapsed();
    }
}

void PictureCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit clicked();
}

} // namespace q32
