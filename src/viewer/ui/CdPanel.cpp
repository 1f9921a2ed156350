#include "viewer/ui/CdPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace q32 {

CdPanel::CdPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("MMControl1"));
    setFrameShape(QFrame::Panel);
    setAutoFillBackground(true);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    auto button = [this, row](const char* name, const char* icon, const QString& tip, auto action) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setIcon(QIcon::fromTheme(QLatin1String(icon)));
        if (b->icon().isNull())
            b->setText(tip.left(2));
        b->setToolTip(tip);
        connect(b, &QToolButton::clicked, this, action);
        row->addWidget(b);
    };
    button("Prev", "media-skip-backward", QStringLiteral("Previous track"),
           [this] { m_cd.previous(); });
    button("Play", "media-playback-start", QStringLiteral("Play"), [this] {
        if (!m_cd.play())
            m_track->setText(m_cd.errorText());
    });
    button("Pause", "media-playback-pause", QStringLiteral("Pause"), [this] { m_cd.pause(); });
    button("Stop", "media-playback-stop", QStringLiteral("Stop"), [this] { m_cd.stop(); });
    button("Next", "media-skip-forward", QStringLiteral("Next track"), [this] { m_cd.next(); });
    m_track = new QLabel(this);
    m_track->setObjectName(QStringLiteral("Track"));
    m_track->setMinimumWidth(90);
    row->addWidget(m_track);
    connect(&m_cd, &CdAudio::stateChanged, this, &CdPanel::showState);
    connect(&m_cd, &CdAudio::trackChanged, this, &CdPanel::showState);
    connect(&m_cd, &CdAudio::failed, m_track, &QLabel::setText);
    showState();
    adjustSize();
}

void CdPanel::openAndPlay() {
    if (m_cd.open())
        m_cd.play();
    showState();
}

void CdPanel::showState() {
    switch (m_cd.state()) {
    case CdAudio::State::Closed:
        m_track->setText(m_cd.errorText().isEmpty() ? QStringLiteral("No disc") : m_cd.errorText());
        break;
    case CdAudio::State::Stopped:
        m_track->setText(QStringLiteral("Track %1 of %2").arg(m_cd.track()).arg(m_cd.trackCount()));
        break;
    case CdAudio::State::Playing:
        m_track->setText(
            QStringLiteral("Playing %1 of %2").arg(m_cd.track()).arg(m_cd.trackCount()));
        break;
    case CdAudio::State::Paused:
        m_track->setText(QStringLiteral("Paused at %1").arg(m_cd.track()));
        break;
    }
}

} // namespace q32
