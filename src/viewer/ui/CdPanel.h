#pragma once
// "MMControl1": the CD audio panel of the viewer: previous, play, pause, stop, next and the
// track playing, or that no audio CD was found.

#include "viewer/CdAudio.h"

#include <QFrame>

class QLabel;
class QToolButton;

namespace q32 {

class CdPanel : public QFrame {
    Q_OBJECT
public:
    explicit CdPanel(QWidget* parent = nullptr);

    CdAudio& cd() { return m_cd; }
    void openAndPlay();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showState();

    CdAudio m_cd;
    QToolButton* m_previous;
    QToolButton* m_pause;
    QToolButton* m_stop;
    QToolButton* m_next;
    QLabel* m_track;
};

} // namespace q32
