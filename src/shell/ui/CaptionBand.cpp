#include "shell/ui/CaptionBand.h"

#include "common/Text.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

namespace q32 {

CaptionBand::CaptionBand(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CaptionBand"));
    setFixedHeight(22);

    m_filter = new QLabel(this);
    m_filter->setObjectName(QStringLiteral("FilterInForce"));
    m_filter->setTextFormat(Qt::PlainText);
    m_clearFilter = new QToolButton(this);
    m_clearFilter->setObjectName(QStringLiteral("ClearFilter"));
    m_clearFilter->setText(QStringLiteral("Clear Filter"));
    m_clearFilter->setToolTip(QStringLiteral("Show every picture of the Depository again"));
    m_clearFilter->setFixedHeight(20);
    m_clearFilter->setCursor(Qt::PointingHandCursor);
    connect(m_clearFilter, &QToolButton::clicked, this, &CaptionBand::clearFilterClicked);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 1, 2, 1);
    layout->setSpacing(6);
    layout->addStretch(1);
    layout->addWidget(m_filter);
    layout->addWidget(m_clearFilter);
    showFilter({});
}

void CaptionBand::showStatus(const QString& text, const QColor& startColour,
                             const QColor& textColour) {
    m_text = text;
    m_start = startColour;
    m_textColour = textColour;
    QPalette p = m_filter->palette();
    p.setColor(QPalette::WindowText, textColour);
    m_filter->setPalette(p);
    update();
}

void CaptionBand::showFilter(const QString& filter) {
    m_filter->setText(filter.isEmpty() ? QString() : QStringLiteral("Filter: ") + filter);
    m_filter->setVisible(!filter.isEmpty());
    m_clearFilter->setVisible(!filter.isEmpty());
}

QString CaptionBand::filter() const {
    return m_filter->isVisibleTo(this) ? m_filter->text() : QString();
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
    if (!p.isActive()) {
        if (!m_failureTold)
            emit drawingFailed();
        m_failureTold = true;
        return;
    }
    m_failureTold = false;
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
    // The status text stops short of the filter shown at the right.
    const int right = m_filter->isVisibleTo(this) ? m_filter->x() - 8 : w - 2;
    p.drawText(QRect(4, 0, std::max(0, right - 4), height()), Qt::AlignLeft | Qt::AlignVCenter,
               m_text);
}

} // namespace q32
