#include "output/ValuePrompt.h"

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
    const double value = Val(boxText);
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
    // A typed 0 (or anything below 1) leaves the bar where it is.
    if (!boxText.isEmpty() && n >= 1 && value >= m_setup.minimum && value <= m_setup.maximum)
        return n;
    return std::nullopt;
}

bool ValuePromptRules::acceptable(const QString& boxText) const {
    if (boxText.trimmed().isEmpty())
        return false;
    const double value = Val(boxText);
    return value >= m_setup.minimum && value <= m_setup.maximum;
}

} // namespace q32
