#include "viewer/SlideshowPrompts.h"

#include "common/Settings.h"
#include "common/Text.h"
#include "platform/prompt/PromptService.h"
#include "viewer/SlideshowValues.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace q32 {
namespace {

std::optional<int> askNumber(Settings& settings, PromptService& prompts, const char* value,
                             const QString& prompt, const QString& title, int low, int high) {
    const QString section = QLatin1String(section::SlideShow);
    const QString current = settings.RegGetString(section, QLatin1String(value));
    const QString answer = prompts.input(prompt, title, current);
    if (answer.isEmpty())
        return std::nullopt;
    // Text that is not a number counts as 0.
    const double number = std::clamp(Val(answer), double(low), double(high));
    const int taken = int(std::trunc(number));
    settings.RegPutString(section, QLatin1String(value), QString::number(taken));
    return taken;
}

} // namespace

std::optional<int> PromptEffectGrain(Settings& settings, PromptService& prompts,
                                     SlideshowValues& values) {
    const auto grain =
        askNumber(settings, prompts, "EffectGrain", QStringLiteral("Enter grain value (1-256):"),
                  QStringLiteral("TRANSITIONAL EFFECT GRAIN SIZE"), 1, 256);
    if (grain)
        values.EffectGrain = *grain;
    return grain;
}

std::optional<int> PromptEffectDelay(Settings& settings, PromptService& prompts,
                                     SlideshowValues& values) {
    // Far above any useful delay, and inside the widened counters.
    const auto delay = askNumber(
        settings, prompts, "EffectDelay", QStringLiteral("Enter time delay (milliseconds):"),
        QStringLiteral("TRANSITIONAL EFFECT DELAY"), 0, std::numeric_limits<int>::max());
    if (delay)
        values.EffectDelay = *delay;
    return delay;
}

std::optional<int> PromptSlideInterval(Settings& settings, PromptService& prompts,
                                       SlideshowValues& values) {
    const auto interval =
        askNumber(settings, prompts, "SlideShowInterval",
                  QStringLiteral("Enter Interval (seconds):"), QStringLiteral("SLIDESHOW INTERVAL"),
                  std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    if (interval)
        values.SlideInterval = *interval;
    return interval;
}

} // namespace q32
