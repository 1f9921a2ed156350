#include "output/export/ResizeModel.h"

#include "common/Text.h"

#include <algorithm>
#include <optional>

namespace q32 {
namespace {

const QString kSide[2] = {QStringLiteral("width"), QStringLiteral("height")};

bool Usable(const std::optional<int>& value) {
    return value && *value >= ResizeModel::kMin && *value <= ResizeModel::kMax;
}

} // namespace

ResizeModel::ResizeModel(QSize picture, QObject* parent) : QObject(parent), m_picture(picture) {
    const QSize start = proportional(kStart);
    m_bar[0] = start.width();
    m_bar[1] = start.height();
    for (int i = 0; i < 2; ++i)
        m_box[i] = QString::number(m_bar[i]);
}

QSize ResizeModel::proportional(int side) const {
    const double w = m_picture.width(), h = m_picture.height();
    if (w <= 0 || h <= 0)
        return {side, side};
    const auto scaled = [side](double a, double b) {
        return int(std::clamp<long long>(RoundHalfEven(a * side / b), kMin, side));
    };
    return w >= h ? QSize(side, scaled(h, w)) : QSize(scaled(w, h), side);
}

void ResizeModel::setBarValue(int which, int value) {
    if (which == m_coupled)
        m_coupled = -1;
    m_bar[which] = std::clamp(value, kMin, kMax);
    m_box[which] = QString::number(m_bar[which]);
    couple(which);
    emit changed();
}

void ResizeModel::setBoxText(int which, const QString& text) {
    m_box[which] = text;
    if (which == m_coupled)
        m_coupled = -1;
    // The bar takes a usable value without writing it back, so the box keeps what was typed.
    if (const auto value = WholeNumber(text); Usable(value)) {
        m_bar[which] = *value;
        couple(which);
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

void ResizeModel::couple(int from) {
    if (!m_aspect || m_picture.width() <= 0 || m_picture.height() <= 0)
        return;
    const double w = m_picture.width(), h = m_picture.height();
    const double exact = from == 0 ? h * m_bar[0] / w : w * m_bar[1] / h;
    const int other = int(std::clamp<long long>(RoundHalfEven(exact), kMin, 32767));
    const int to = 1 - from;
    m_box[to] = QString::number(other);
    m_coupled = to;
    // Beyond the bar, it waits at its end until OK says why.
    m_bar[to] = std::min(other, int(kMax));
}

QString ResizeModel::accept() {
    for (int i = 0; i < 2; ++i) {
        const auto value = WholeNumber(m_box[i]);
        if (Usable(value))
            continue;
        QString why;
        const int other = 1 - i;
        if (i == m_coupled) {
            // The lock made this value: the other one is too large for these proportions.
            const QSize largest = proportional(kMax);
            why = QStringLiteral("With the picture's proportions (%1 x %2), a %3 of %4 needs a %5 "
                                 "of %6, and a stamp is at most %7 x %7 pixels.\n\nThe largest "
                                 "stamp of these proportions, %8 x %9, is shown.")
                      .arg(m_picture.width())
                      .arg(m_picture.height())
                      .arg(kSide[other])
                      .arg(m_bar[other])
                      .arg(kSide[i])
                      .arg(m_box[i])
                      .arg(kMax)
                      .arg(largest.width())
                      .arg(largest.height());
            m_bar[0] = largest.width();
            m_bar[1] = largest.height();
            m_coupled = -1;
            for (int j = 0; j < 2; ++j)
                m_box[j] = QString::number(m_bar[j]);
        } else {
            // What was typed goes in last, so no "%" in it is taken for a place-holder.
            why = QStringLiteral("The stamp's %1 must be a whole number of pixels from %2 to %3: "
                                 "\"%5\" cannot be used.\n\nThe %1 stays %4.")
                      .arg(kSide[i])
                      .arg(kMin)
                      .arg(kMax)
                      .arg(m_bar[i])
                      .arg(m_box[i]);
            m_box[i] = QString::number(m_bar[i]);
            m_coupled = -1;
            // With the lock the other side follows the value in force again.
            couple(i);
        }
        emit changed();
        return why;
    }
    return {};
}

} // namespace q32
