#include "output/ResizeModel.h"

#include "common/Text.h"

namespace q32 {

ResizeModel::ResizeModel(QSize picture, QObject* parent) : QObject(parent), m_picture(picture) {}

void ResizeModel::setBarValue(int which, int value) {
    moveBar(which, qBound(kMin, value, kMax), 1);
    emit changed();
}

void ResizeModel::setBoxText(int which, const QString& text) {
    m_box[which] = text;
    const double value = Val(text);
    if (!text.isEmpty() && value >= kMin && value <= kMax) {
        // The bar takes the typed value without writing it back, so the box keeps what was typed.
        m_bar[which] = int(RoundHalfEven(value));
        couple(which, 1);
    }
    emit changed();
}

void ResizeModel::setAspectLocked(bool on) {
    m_aspect = on;
    emit changed();
}

void ResizeModel::setOption(bool on) {
    m_option = on;
    emit changed();
}

bool ResizeModel::inputValid() const {
    for (const QString& box : m_box) {
        const double value = Val(box);
        if (box.isEmpty() || value < kMin || value > kMax)
            return false;
    }
    return true;
}

// A bar moved: its box shows the value and, with the lock, the other value follows. The other
// value's rounding never comes back to move the first one: typing 100 must stay 100.
void ResizeModel::moveBar(int which, int value, int couplings) {
    if (m_bar[which] == value)
        return;
    m_bar[which] = value;
    m_box[which] = QString::number(value);
    couple(which, couplings);
}

void ResizeModel::couple(int from, int couplings) {
    if (!m_aspect || couplings == 0 || m_picture.width() <= 0 || m_picture.height() <= 0)
        return;
    const double w = m_picture.width(), h = m_picture.height();
    const double exact = from == 0 ? h * m_bar[0] / w : w * m_bar[1] / h;
    const int other = int(qMin<long long>(RoundHalfEven(exact), 32767));
    const int to = 1 - from;
    if (other >= kMin && other <= kMax && other != m_bar[to])
        moveBar(to, other, couplings - 1);
}

} // namespace q32
