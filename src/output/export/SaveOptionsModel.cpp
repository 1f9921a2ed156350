#include "output/export/SaveOptionsModel.h"

#include "common/Text.h"
#include "formats/FormatTable.h"

namespace q32 {

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

QStringList SaveOptionsModel::predefinedList() const {
    if (leadBits())
        return {QStringLiteral("LEAD_0"), QStringLiteral("LEAD_1")};
    return predefinedNames();
}

void SaveOptionsModel::selectFormat(int row) {
    if (row < 0 || row >= formats().size())
        return;
    m_format = row;
    m_flavor = 0;
    // "LEAD" starts black and white, with its own coding choices.
    m_bits = isLead() ? 1 : StartingBits(format(), m_pictureBits);
    m_stamp = false;
    m_flashPixType = 0;
    if (format().quality)
        startQuality();
    emit changed();
}

void SaveOptionsModel::startQuality() {
    m_bar = 20;
    if (isLead()) {
        // "LEAD" starts from its first predefined choice; the others from the custom factor 20,
        // a visually clean photo.
        m_predef = 0;
        m_box = QString::number(leadBits() ? 0 : -1);
    } else {
        m_predef = kCustom;
        m_box = QStringLiteral("20");
    }
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
    if (isLead()) { // the predefined list and the stamp depend on the depth
        startQuality();
        m_stamp = false;
    }
    emit changed();
}

void SaveOptionsModel::selectPredefined(int position) {
    if (!predefinedEnabled() || position < 0 || position >= predefinedList().size())
        return;
    m_predef = position;
    if (leadBits()) {
        m_box = QString::number(position); // LEAD_0 -> 0, LEAD_1 -> 1
    } else if (position == kCustom) {
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
    if (const auto value = WholeNumber(text); value && *value >= barMin() && *value <= kBarMax)
        m_bar = *value;
    emit changed();
}

void SaveOptionsModel::setBarValue(int value) {
    value = qBound(barMin(), value, kBarMax);
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
    if (!format().stamp || leadBits())
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
        if (!factor || *factor < barMin() || *factor > kBarMax) {
            m_refusal = QStringLiteral("The quality factor must be a whole number from %1 (best "
                                       "picture) to %2 (smallest file): \"%4\" cannot be used."
                                       "\n\nThe factor stays %3.")
                            .arg(barMin())
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

const QString& SaveOptionsModel::flashPixTypeTitle() {
    static const QString title = QStringLiteral("KODAK FLASHPIX TYPE:");
    return title;
}

const QString& SaveOptionsModel::flashPixTypePrompt() {
    static const QString prompt =
        QStringLiteral("0...no compression\r1...compressed with the single color method\r"
                       "2...compressed with JPEG, using the default Q factor\r"
                       "3...compressed with JPEG, using the specified Q factor");
    return prompt;
}

SaveOptionsModel::TypeAnswer SaveOptionsModel::setFlashPixType(const QString& answer) {
    if (answer.isEmpty())
        return TypeAnswer::Empty;
    bool number = false;
    const double value = RoundHalfEven(answer.trimmed().toDouble(&number));
    if (!number || value < 0 || value > 3) {
        m_accepted = false;
        return TypeAnswer::Invalid;
    }
    m_flashPixType = int(value);
    return TypeAnswer::Valid;
}

int SaveOptionsModel::code() const {
    if (isLead())
        return leadBits() ? 26 : 20;
    if (format().index == kFlashPix) // one code for each kind of tile compression
        return format().flavors.at(m_flavor).code + m_flashPixType;
    return format().flavors.at(m_flavor).code;
}

bool SaveOptionsModel::writable() const {
    return CanWriteFormat(code());
}

QString SaveOptionsModel::nearestOffer() const {
    const auto near = NearestWritable(code(), m_bits);
    const ExportFormat* to = near ? ExportFormatByIndex(near->index) : nullptr;
    const QString kind = FormatName(code()).isEmpty() ? format().text : FormatName(code());
    if (!to)
        return kind + QStringLiteral(" files cannot be written on this system.");
    const QString flavor = to->flavors.at(near->flavor).text;
    return kind + QStringLiteral(" files cannot be written on this system.\n\nSave as %1%2 "
                                 "at %3 per pixel instead?")
                      .arg(to->text, flavor.isEmpty() ? QString() : QStringLiteral(" ") + flavor,
                           near->bits == 1 ? QStringLiteral("1 bit")
                                           : QStringLiteral("%1 bits").arg(near->bits));
}

bool SaveOptionsModel::useNearest() {
    const auto near = NearestWritable(code(), m_bits);
    if (!near)
        return false;
    const bool customFactor = qualityEnabled() && !leadBits() && m_predef == kCustom;
    const int predef = qualityEnabled() && !leadBits() ? m_predef : -1;
    const QString box = m_box;
    const bool stamp = m_stamp;
    const bool accepted = m_accepted;
    for (int row = 0; row < formats().size(); ++row)
        if (formats().at(row).index == near->index)
            selectFormat(row);
    selectFlavor(near->flavor);
    m_bits = near->bits;
    if (qualityEnabled() && predef >= 0) {
        selectPredefined(predef);
        if (customFactor)
            setBoxText(box);
    }
    if (format().stamp)
        m_stamp = stamp;
    m_accepted = accepted;
    emit changed();
    return true;
}

SaveChoice SaveOptionsModel::choice() const {
    SaveChoice c;
    c.accepted = m_accepted;
    c.formatIndex = format().index;
    c.save.formatCode = code();
    c.save.bitsPerPixel = m_bits;
    c.save.qualityFactor = 0;
    if (leadBits()) {
        c.save.qualityFactor = m_predef;
    } else if (qualityEnabled()) {
        c.save.qualityFactor = int(RoundHalfEven(Val(m_box)));
        if (isLead() && (c.save.qualityFactor == 0 || c.save.qualityFactor == 1))
            c.save.qualityFactor = 2;
    }
    c.save.multiPage = format().append && m_append;
    c.append = m_append;
    if (m_accepted)
        c.stamp = m_stampSize;
    return c;
}

} // namespace q32
