#include "output/valueprompt/ValuePrompt.h"

#include "common/Text.h"
#include "platform/prompt/PromptService.h"

#include <algorithm>

namespace q32 {
namespace {

constexpr double kLow16 = -32768, kHigh16 = 32767;

int to16(double v) {
    return int(std::clamp<double>(double(RoundHalfEven(v)), kLow16, kHigh16));
}

} // namespace

ValuePromptRules::ValuePromptRules(const ValuePromptSetup& setup)
    : m_setup(setup), m_min(to16(setup.minimum)), m_max(to16(setup.maximum)) {}

int ValuePromptRules::initialBarValue() const {
    return std::clamp(to16(m_setup.initial), m_min, std::max(m_min, m_max));
}

std::optional<int> ValuePromptRules::barValueFor(const QString& boxText,
                                                 PromptService& prompts) const {
    bool overflow = false;
    const double value = Val(boxText, &overflow);
    if (overflow) {
        prompts.beep();
        prompts.msgBox(QStringLiteral("Overflow"), MsgIcon::Critical,
                       QStringLiteral("UNEXPECTED ERROR! (GetValue: GetValueBox_Change)"));
        return std::nullopt;
    }
    const double rounded = double(RoundHalfEven(value));
    if (rounded > kHigh16 || rounded < kLow16) {
        prompts.msgBox(QStringLiteral("Value too large."), MsgIcon::Exclamation,
                       QStringLiteral("WARNING"));
        return std::nullopt;
    }
    const int n = int(rounded);
    if (n < 0) {
        prompts.msgBox(QStringLiteral("Invalid value"), MsgIcon::Exclamation,
                       QStringLiteral("WARNING"));
        return std::nullopt;
    }
    // Every whole number the bar can show counts, 0 too; anything else leaves the bar alone.
    bool whole = false;
    const int typed = boxText.trimmed().toInt(&whole);
    if (whole && typed >= m_min && typed <= m_max)
        return typed;
    return std::nullopt;
}

QString ValuePromptRules::refusal(const QString& boxText, int inForce) const {
    bool whole = false;
    const int typed = boxText.trimmed().toInt(&whole);
    if (whole && typed >= m_min && typed <= m_max)
        return {};
    const QString what = m_setup.caption.isEmpty() ? QStringLiteral("The value") : m_setup.caption;
    return QStringLiteral("%1 must be a whole number from %2 to %3: \"%5\" cannot be used.\n\n"
                          "It stays %4.")
        .arg(what)
        .arg(m_min)
        .arg(m_max)
        .arg(inForce)
        .arg(boxText);
}

} // namespace q32
