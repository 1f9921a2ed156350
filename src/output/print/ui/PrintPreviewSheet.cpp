#include "output/print/ui/PrintPreviewSheet.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace q32 {

PreviewSheet::PreviewSheet(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Page"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_picture = new PreviewPicture(this);
}

void PreviewSheet::setPicture(const QImage& miniature) {
    m_picture->setImage(miniature);
}

void PreviewSheet::setPictureRect(const QRectF& rect) {
    // At least one pixel, so even a tiny print can be seen and grabbed.
    const QRect shown(int(std::lround(rect.left())), int(std::lround(rect.top())),
                      std::max(1, int(std::lround(rect.width()))),
                      std::max(1, int(std::lround(rect.height()))));
    m_picture->setGeometry(shown);
    m_picture->update();
}

void PreviewSheet::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!m_outline.isNull()) {
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.drawRect(m_outline.adjusted(0, 0, -1, -1));
    }
}

void PreviewSheet::dragTo(const QPoint& point) {
    const QRect outline = rect().contains(point) ? QRect(point, m_picture->size()) : QRect();
    if (outline != m_outline) {
        m_outline = outline;
        update();
    }
}

void PreviewSheet::endDrag(const QPoint& point, bool drop) {
    m_outline = QRect();
    update();
    // A drop anywhere but on the sheet does nothing.
    if (drop && rect().contains(point))
        emit dropped(QPointF(point));
}

PreviewPicture::PreviewPicture(PreviewSheet* sheet) : QWidget(sheet), m_sheet(sheet) {
    setObjectName(QStringLiteral("LEAD1"));
    setCursor(Qt::OpenHandCursor);
    setToolTip(QStringLiteral("Drag the picture to place it on the page"));
}

void PreviewPicture::setImage(const QImage& image) {
    m_image = image;
    update();
}

void PreviewPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // The whole picture stretched over the whole control.
    p.drawImage(rect(), m_image);
}

void PreviewPicture::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_pressing = true;
    m_dragging = false;
    m_pressed = mapTo(m_sheet, event->position().toPoint());
}

void PreviewPicture::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressing)
        return;
    const QPoint at = mapTo(m_sheet, event->position().toPoint());
    // A click is not a drag: the picture only moves once the mouse has really moved.
    if (!m_dragging && (at - m_pressed).manhattanLength() < QApplication::startDragDistance())
        return;
    if (!m_dragging) {
        m_dragging = true;
        setCursor(Qt::ClosedHandCursor);
    }
    m_sheet->dragTo(at);
}

void PreviewPicture::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_pressing || event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    m_pressing = false;
    setCursor(Qt::OpenHandCursor);
    m_sheet->endDrag(mapTo(m_sheet, event->position().toPoint()), m_dragging);
    m_dragging = false;
}

PrintSpinButton::PrintSpinButton(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto make = [this, column](Qt::ArrowType arrow, const char* objectName) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(objectName));
        b->setArrowType(arrow);
        b->setAutoRepeat(true);
        b->setFixedSize(18, 12);
        b->setFocusPolicy(Qt::NoFocus);
        column->addWidget(b);
        return b;
    };
    m_up = make(Qt::UpArrow, "up");
    m_down = make(Qt::DownArrow, "down");
    connect(m_up, &QToolButton::clicked, this, &PrintSpinButton::up);
    connect(m_down, &QToolButton::clicked, this, &PrintSpinButton::down);
}

} // namespace q32
