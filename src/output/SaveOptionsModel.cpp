#include "output/SaveOptionsModel.h"

#include "common/Text.h"

namespace q32 {
namespace {

std::optional<int> WholeNumber(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

const QStringList& SaveOptionsModel::predefinedNames() {
    static const QStringList names = {QStringLiteral("PQ1"), QStringLiteral("PQ2"),
                                      QStringLiteral("QFS"), QStringLiteral("QMS"),
                                      QStringLiteral("QS"),  QStringLiteral("SQS"),
                                      QStringLiteral("SQT"), QStringLiteral("MCQ"),
                                      QStringLiteral("MC"),  QStringLiteral("CUSTOM")};
    return names;
}

SaveOptionsModel::SaveOptionsModel(int formatIndex, bool append, int pictureBits, QObject* parent)
    : QObject(parent), m_append(append), m_pictureBits(pictureBits) {
    int row = 0;
    for (int i = 0; i < formats().size(); ++i)
        if (formats().at(i).index == formatIndex)
            row = i;
    selectFormat(row);
}

void SaveOptionsModel::selectFormat(int row) {
    if (row < 0 || row >= formats().size())
        return;
    m_format = row;
    m_flavor = 0;
    m_bits = StartingBits(format(), m_pictureBits);
    m_stamp = false;
    if (format().quality) {
        // Each format starts from the custom factor 20: a visually clean photo.
        m_predef = kCustom;
        m_bar = 20;
        m_box = QStringLiteral("20");
    }
    emit changed();
}

void SaveOptionsModel::selectFlavor(int position) {
    if (position < 0 || position >= format().flavors.size())
        return;
    m_flavor = position;
    emit changed();
}

void SaveOptionsModel::clickBit(int bits) {
    if (!bitEnabled(bits))
        return;
    m_bits = bits;
    emit changed();
}

void SaveOptionsModel::selectPredefined(int position) {
    if (!qualityEnabled() || position < 0 || position > kCustom)
        return;
    m_predef = position;
    if (position == kCustom) {
        if (Val(m_box) < kBarMin)
            setBoxText(QStringLiteral("20"));
    } else {
        m_box = QString::number(-1 - position); // PQ1 -> -1 .. MC -> -9
    }
    emit changed();
}

void SaveOptionsModel::setBoxText(const QString& text) {
    m_box = text;
    // The bar follows only values it can show; others leave it where it is.
    if (const auto value = WholeNumber(text); value && *value >= kBarMin && *value <= kBarMax)
        m_bar = *value;
    emit changed();
}

void SaveOptionsModel::setBarValue(int value) {
    value = qBound(kBarMin, value, kBarMax);
    if (value == m_bar)
        return;
    m_bar = value;
    m_box = QString::number(value);
    emit changed();
}

Qt::CheckState SaveOptionsModel::appendState() const {
    if (!format().append)
        return Qt::PartiallyChecked;
    return m_append ? Qt::Checked : Qt::Unchecked;
}

void SaveOptionsModel::setAppend(bool on) {
    if (!format().append)
        return;
    m_append = on;
    emit changed();
}

Qt::CheckState SaveOptionsModel::stampState() const {
    if (!format().stamp)
        return Qt::PartiallyChecked;
    return m_stamp ? Qt::Checked : Qt::Unchecked;
}

void SaveOptionsModel::setStamp(bool on) {
    if (!format().stamp)
        return;
    m_stamp = on;
    emit changed();
}

bool SaveOptionsModel::accept(const std::function<std::optional<StampOptions>()>& askStamp) {
    m_refusal.clear();
    if (customEnabled()) {
        const auto factor = WholeNumber(m_box);
        if (!factor || *factor < kBarMin || *factor > kBarMax) {
            m_refusal = QStringLiteral("The quality factor must be a whole number from %1 (best "
                                       "picture) to %2 (smallest file): \"%4\" cannot be used."
                                       "\n\nThe factor stays %3.")
                            .arg(kBarMin)
                            .arg(kBarMax)
                            .arg(m_bar)
                            .arg(m_box);
            m_box = QString::number(m_bar);
            emit changed();
            return false;
        }
    }
    m_stampSize.reset();
    if (stampState() == Qt::Checked) {
        m_stampSize = askStamp ? askStamp() : std::nullopt;
        if (!m_stampSize)
            return false;
    }
    m_accepted = true;
    return true;
}

SaveChoice SaveOptionsModel::choice() const {
    SaveChoice c;
    c.accepted = m_accepted;
    c.formatIndex = format().index;
    c.save.formatCode = format().flavors.at(m_flavor).code;
    c.save.bitsPerPixel = m_bits;
    c.save.qualityFactor = qualityEnabled() ? int(RoundHalfEven(Val(m_box))) : 0;
    c.save.multiPage = format().append && m_append;
    c.append = m_append;
    if (m_accepted)
        c.stamp = m_stampSize;
    return c;
}

} // namespace q32
