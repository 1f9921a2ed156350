#pragma once
// The two-value prompt "Resize" in its stamp set-up: width and height, each a bar and a box kept
// in step, optionally coupled by the picture's aspect ratio, and the "8-bit" option box.
// No widgets: the window shows this state and forwards the user's edits.

#include <QObject>
#include <QSize>
#include <QString>

namespace q32 {

class ResizeModel : public QObject {
    Q_OBJECT
public:
    static constexpr int kMin = 1, kMax = 125, kStart = 64;

    // picture: the size whose proportions the aspect lock keeps.
    explicit ResizeModel(QSize picture, QObject* parent = nullptr);

    QString title() const { return QStringLiteral("Stamp Dimensions"); }
    int value(int which) const { return m_bar[which]; } // 0 width, 1 height
    const QString& boxText(int which) const { return m_box[which]; }
    bool aspectLocked() const { return m_aspect; }
    bool option() const { return m_option; } // the "8-bit" box

    void setBarValue(int which, int value);
    void setBoxText(int which, const QString& text);
    void setAspectLocked(bool on);
    void setOption(bool on);

    // OK: both boxes hold values within the bars' range.
    bool inputValid() const;

signals:
    void changed();

private:
    void moveBar(int which, int value, int couplings);
    void couple(int from, int couplings);

    QSize m_picture;
    int m_bar[2] = {kStart, kStart};
    QString m_box[2] = {QString::number(kStart), QString::number(kStart)};
    bool m_aspect = true;
    bool m_option = false;
};

} // namespace q32
