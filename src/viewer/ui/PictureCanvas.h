#pragma once
// The viewer's picture area ("LEAD1"): paints one prepared frame of the whole area, and plays a
// transition into the next one, one painting step every delay milliseconds.

#include "viewer/TransitionRenderer.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace q32 {

class PictureCanvas : public QWidget {
    Q_OBJECT
public:
    explicit PictureCanvas(QWidget* parent = nullptr);

    // Shows frame at once, ending a transition that is running.
    void setFrame(QImage frame);
    // Paints the way from what is shown now to frame.
    void startTransition(std::shared_ptr<const TransitionRenderer> renderer, const QImage& frame);
    bool inTransition() const { return m_renderer != nullptr; }
    const QImage& frame() const { return m_shown; }
    // Nanoseconds from the start of the last transition to its first frame on screen.
    qint64 firstFrameDelayNs() const { return m_firstFrameNs; }

signals:
    void clicked();
    void transitionStarted();
    void transitionFinished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void step();

    QImage m_shown; // what is on screen
    QImage m_from;  // a transition's start and end
    QImage m_to;
    std::shared_ptr<const TransitionRenderer> m_renderer;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_firstFrameNs = -1;
    bool m_firstPainted = false;
};

} // namespace q32
