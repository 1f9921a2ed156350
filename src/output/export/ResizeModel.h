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

    // picture: the size whose proportions the aspect lock keeps. The stamp starts with the
    // picture's proportions, its longer side kStart.
    explicit ResizeModel(QSize picture, QObject* parent = nullptr);

    QString title() const { return QStringLiteral("Stamp Dimensions"); }
    QString optionCaption() const { return QStringLiteral("8-bit"); }
    // The value in force: what the bar shows and OK hands back. 0 width, 1 height.
    int value(int which) const { return m_bar[which]; }
    // The box may hold what cannot be used yet: typed text, or a coupled value beyond the bar.
    const QString& boxText(int which) const { return m_box[which]; }
    bool aspectLocked() const { return m_aspect; }
    bool option() const { return m_option; } // the "8-bit" box

    void setBarValue(int which, int value);
    void setBoxText(int which, const QString& text);
    void setAspectLocked(bool on);
    void setOption(bool on);

    // OK: empty when both boxes hold usable values. Otherwise why not, for a message, and the
    // boxes show values in force again.
    QString accept();

signals:
    void changed();

private:
    // With the lock, the other value follows the one at from; it is shown even when the bar
    // cannot take it, and OK then says why.
    void couple(int from);
    // The stamp of the picture's proportions whose longer side is side.
    QSize proportional(int side) const;

    QSize m_picture;
    int m_bar[2] = {kStart, kStart};
    QString m_box[2] = {QString::number(kStart), QString::number(kStart)};
    bool m_aspect = true;
    bool m_option = false;
    int m_coupled = -1; // the box the lock wrote last, until the user changes it
};

} // namespace q32
