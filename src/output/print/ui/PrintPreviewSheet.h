#pragma once
// The miniature sheet of the Print Preview window ("Page") with the picture on it ("LEAD1"),
// which a person drags to a new place, and the small up/down spin buttons beside the boxes.

#include <QImage>
#include <QWidget>

class QToolButton;

namespace q32 {

class PreviewPicture;

class PreviewSheet : public QWidget {
    Q_OBJECT
public:
    explicit PreviewSheet(QWidget* parent = nullptr);

    void setPicture(const QImage& miniature);
    // Where the picture lies, in sheet pixels.
    void setPictureRect(const QRectF& rect);
    PreviewPicture* picture() const { return m_picture; }

signals:
    // The picture was dropped with its top-left corner at point (sheet pixels).
    void dropped(QPointF point);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    friend class PreviewPicture;
    void dragTo(const QPoint& point); // point in sheet pixels; outside: no outline
    void endDrag(const QPoint& point, bool drop);

    PreviewPicture* m_picture;
    QRect m_outline; // the picture's place under the mouse while it is dragged
};

class PreviewPicture : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPicture(PreviewSheet* sheet);
    void setImage(const QImage& image);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    PreviewSheet* m_sheet;
    QImage m_image;
    QPoint m_pressed; // in sheet pixels
    bool m_pressing = false;
    bool m_dragging = false;
};

// Two stacked arrow buttons that repeat while held.
class PrintSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit PrintSpinButton(const QString& name, QWidget* parent = nullptr);
    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

signals:
    void up();
    void down();

private:
    QToolButton* m_up;
    QToolButton* m_down;
};

} // namespace q32
