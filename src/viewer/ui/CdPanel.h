#pragma once
// "MMControl1": the CD audio panel of the viewer: previous, play, pause, stop, next and the
// track playing.

#include "viewer/CdAudio.h"

#include <QFrame>

class QLabel;

namespace q32 {

class CdPanel : public QFrame {
    Q_OBJECT
public:
    explicit CdPanel(QWidget* parent = nullptr);

    CdAudio& cd() { return m_cd; }
    void openAndPlay();

private:
    void showState();

    CdAudio m_cd;
    QLabel* m_track;
};

} // namespace q32
