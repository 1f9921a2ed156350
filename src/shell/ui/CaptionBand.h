#pragma once
// The gradient band across the top of the main window carrying the album status text: the
// window manager owns the real title bar, so the program paints its own band. A filter in force
// shows at its right end with a button that clears it.

#include <QColor>
#include <QWidget>

class QLabel;
class QToolButton;

namespace q32 {

class CaptionBand : public QWidget {
    Q_OBJECT
public:
    explicit CaptionBand(QWidget* parent = nullptr);

    // Sets what the band shows; an empty text draws nothing.
    void showStatus(const QString& text, const QColor& startColour, const QColor& textColour);
    QString text() const { return m_text; }
    // The filter in force; empty hides it and its button.
    void showFilter(const QString& filter);
    QString filter() const;

    // The colour of step i (0..127): the start colour at the left fading towards black.
    static QColor stepColour(const QColor& start, int i);

signals:
    void clearFilterClicked();
    // The band could not be drawn (no drawing surface: the system is short of memory). Told
    // once until a drawing succeeds again.
    void drawingFailed();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QColor m_start;
    QColor m_textColour;
    QLabel* m_filter;
    QToolButton* m_clearFilter;
    bool m_failureTold = false;
};

} // namespace q32
