#include "viewer/ui/CdPanel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

namespace q32 {
namespace {

enum class MediaSign { Previous, Play, Pause, Stop, Next };

// Drawn in the buttons' text colours: icon themes' pale media signs look greyed even where they
// can be pressed.
QPixmap MediaSignPixmap(MediaSign sign, const QColor& colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    auto triangle = [&p](qreal from, qreal to) { // pointing from one side to the other
        p.drawPolygon(QPolygonF({QPointF(from, 3), QPointF(to, 8), QPointF(from, 13)}));
    };
    switch (sign) {
    case MediaSign::Previous:
        p.drawRect(QRectF(2, 3, 2, 10));
        triangle(14, 4);
        break;
    case MediaSign::Play:
        triangle(4, 13);
        break;
    case MediaSign::Pause:
        p.drawRect(QRectF(4, 3, 3, 10));
        p.drawRect(QRectF(9, 3, 3, 10));
        break;
    case MediaSign::Stop:
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
        break;
    case MediaSign::Next:
        triangle(2, 12);
        p.drawRect(QRectF(12, 3, 2, 10));
        break;
    }
    return pixmap;
}

QIcon MediaIcon(MediaSign sign, const QPalette& palette) {
    QIcon icon(MediaSignPixmap(sign, palette.color(QPalette::Active, QPalette::ButtonText)));
    icon.addPixmap(MediaSignPixmap(sign, palette.color(QPalette::Disabled, QPalette::ButtonText)),
                   QIcon::Disabled);
    return icon;
}

} // namespace

CdPanel::CdPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("MMControl1"));
    setFrameShape(QFrame::Panel);
    setAutoFillBackground(true);
    // The viewer around the panel is black: the panel keeps an ordinary window's colours, or
    // its text and buttons would be drawn black on black.
    QPalette ordinary = QApplication::palette();
    ordinary.setResolveMask(~QPalette::ResolveMask(0));
    setPalette(ordinary);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    auto button = [this, row](const char* name, MediaSign sign, const QString& tip, auto action) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setIcon(MediaIcon(sign, palette()));
        b->setToolTip(tip);
        connect(b, &QToolButton::clicked, this, action);
        row->addWidget(b);
        return b;
    };
    m_previous = button("Prev", MediaSign::Previous, QStringLiteral("Previous track"),
                        [this] { m_cd.previous(); });
    // Play also looks for a disc again, so one put in later can be played.
    button("Play", MediaSign::Play, QStringLiteral("Play"), [this] { m_cd.play(); });
    m_pause = button("Pause", MediaSign::Pause, QStringLiteral("Pause"), [this] { m_cd.pause(); });
    m_stop = button("Stop", MediaSign::Stop, QStringLiteral("Stop"), [this] { m_cd.stop(); });
    m_next = button("Next", MediaSign::Next, QStringLiteral("Next track"), [this] { m_cd.next(); });
    m_track = new QLabel(this);
    m_track->setObjectName(QStringLiteral("Track"));
    m_track->setMinimumWidth(
        m_track->fontMetrics().horizontalAdvance(QStringLiteral("No audio CD found")) + 8);
    row->addWidget(m_track);
    connect(&m_cd, &CdAudio::stateChanged, this, &CdPanel::showState);
    connect(&m_cd, &CdAudio::trackChanged, this, &CdPanel::showState);
    connect(&m_cd, &CdAudio::failed, this, [this](const QString& error) {
        // Without a disc the panel says so; the reason is in the tip.
        if (m_cd.state() == CdAudio::State::NoDisc)
            showState();
        else
            m_track->setText(error);
    });
    showState();
    adjustSize();
}

void CdPanel::showEvent(QShowEvent* event) {
    QFrame::showEvent(event);
    // A panel on the screen tells what is in the drive.
    if (m_cd.state() == CdAudio::State::Closed)
        m_cd.open();
}

void CdPanel::openAndPlay() {
    if (m_cd.open())
        m_cd.play();
    showState();
}

void CdPanel::showState() {
    const CdAudio::State state = m_cd.state();
    const bool disc = state != CdAudio::State::Closed && state != CdAudio::State::NoDisc;
    m_previous->setEnabled(disc);
    m_next->setEnabled(disc);
    m_pause->setEnabled(state == CdAudio::State::Playing);
    m_stop->setEnabled(state == CdAudio::State::Playing || state == CdAudio::State::Paused);
    m_track->setToolTip(state == CdAudio::State::NoDisc ? m_cd.errorText() : QString());
    switch (state) {
    case CdAudio::State::Closed:
        m_track->setText(QStringLiteral("No disc"));
        break;
    case CdAudio::State::NoDisc:
        m_track->setText(QStringLiteral("No audio CD found"));
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
