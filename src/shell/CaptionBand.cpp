#include "shell/CaptionBand.h"

#include "common/Text.h"

#include <QPainter>

namespace q32 {

CaptionBand::CaptionBand(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CaptionBand"));
    setFixedHeight(22);
}

void CaptionBand::showStatus(const QString& text, const QColor& startColour,
                             const QColor& textColour) {
    m_text = text;
    m_start = startColour;
    m_textColour = textColour;
    update();
}

QColor CaptionBand::stepColour(const QColor& start, int i) {
    const double f = (128 - i) / 128.0;
    return QColor(int(RoundHalfEven(start.red() * f)), int(RoundHalfEven(start.green() * f)),
                  int(RoundHalfEven(start.blue() * f)));
}

void CaptionBand::paintEvent(QPaintEvent*) {
    if (m_text.isEmpty())
        return;
    QPainter p(this);
    p.setPen(Qt::NoPen);
    const int w = width();
    // 128 bands, each a little wider than its share so no seam shows between them.
    for (int i = 0; i < 128; ++i) {
        const int x0 = int(double(i) / 128 * w);
        const int x1 = int(double(i + 1) / 128 * w) + 2;
        p.fillRect(QRect(x0, 0, x1 - x0, height()), stepColour(m_start, i));
    }
    p.setPen(m_textColour);
    QFont f = font();
    f.setBold(true);
    p.setFont(f);
    p.drawText(rect().adjusted(4, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, m_text);
}

} // namespace q32
