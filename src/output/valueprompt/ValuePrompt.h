#pragma once
// The rules of the single-value prompt "GetValue": a scroll bar and a text box kept in step,
// limits, and when OK may close. No widgets; the window asks these.

#include <QString>
#include <optional>

namespace q32 {

class PromptService;

struct ValuePromptSetup {
    QString caption;
    QString typeLabel;
    double maximum = 32767;
    double minimum = 0;
    double initial = 0;
    int largeChange = 10;
    int smallChange = 1;
    bool showResizeHorz = false;
};

class ValuePromptRules {
public:
    explicit ValuePromptRules(const ValuePromptSetup& setup);

    const ValuePromptSetup& setup() const { return m_setup; }
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    // The bar's first value: the initial value rounded to 16 bits and held to the limits.
    int initialBarValue() const;

    // The box was edited: the value the bar takes, if any. Warns through prompts about a
    // negative value ("Invalid value") or one beyond 16 bits ("Value too large.").
    std::optional<int> barValueFor(const QString& boxText, PromptService& prompts) const;
    // Why OK may not close with this box text (a whole number within the limits is needed),
    // naming the value in force; empty when it may.
    QString refusal(const QString& boxText, int inForce) const;

private:
    ValuePromptSetup m_setup;
    int m_min, m_max;
};

} // namespace q32
