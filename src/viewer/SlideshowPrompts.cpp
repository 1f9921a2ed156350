#include "viewer/SlideshowPrompts.h"

#include "common/Settings.h"
#include "platform/prompt/PromptService.h"
#include "viewer/SlideshowValues.h"

namespace q32 {
namespace {

struct NumberPrompt {
    IntSetting value;
    QString prompt;
    QString title;
    QString what; // "delay", for the refusal
    QString unit; // "milliseconds"
    int low, high;
};

// Offers the value in force, asks again after an answer it cannot use, and stores what it took.
std::optional<int> askNumber(Settings& settings, PromptService& prompts, const NumberPrompt& p) {
    const int inForce = settings.get(p.value);
    for (;;) {
        const QString answer = prompts.input(p.prompt, p.title, QString::number(inForce));
        if (answer.isEmpty())
            return std::nullopt;
        bool whole = false;
        const int taken = answer.trimmed().toInt(&whole);
        if (whole && taken >= p.low && taken <= p.high) {
            settings.set(p.value, taken);
            return taken;
        }
        // The answer goes in last, so no "%" in it is taken for a place-holder.
        prompts.msgBox(QStringLiteral("\"%6\" cannot be used: the %1 is a whole number of %2 "
                                      "from %3 to %4.\n\nThe %1 stays %5 %2.")
                           .arg(p.what, p.unit)
                           .arg(p.low)
                           .arg(p.high)
                           .arg(inForce)
                           .arg(answer),
                       MsgIcon::Exclamation, QStringLiteral("WARNING"));
    }
}

} // namespace

std::optional<int> PromptEffectGrain(Settings& settings, PromptService& prompts,
                                     SlideshowValues& values) {
    const auto grain = askNumber(settings, prompts,
                                 {key::EffectGrain, QStringLiteral("Enter grain value (1-256):"),
                                  QStringLiteral("TRANSITIONAL EFFECT GRAIN SIZE"),
                                  QStringLiteral("grain"), QStringLiteral("pixels"), 1, 256});
    if (grain)
        values.EffectGrain = *grain;
    return grain;
}

std::optional<int> PromptEffectDelay(Settings& settings, PromptService& prompts,
                                     SlideshowValues& values) {
    // The same limit as the delay of a selected pattern.
    const auto delay =
        askNumber(settings, prompts,
                  {key::EffectDelay, QStringLiteral("Enter time delay (milliseconds):"),
                   QStringLiteral("TRANSITIONAL EFFECT DELAY"), QStringLiteral("delay"),
                   QStringLiteral("milliseconds"), 0, 32767});
    if (delay)
        values.EffectDelay = *delay;
    return delay;
}

std::optional<int> PromptSlideInterval(Settings& settings, PromptService& prompts,
                                       SlideshowValues& values) {
    // Up to a day: a picture frame may change once a day.
    const auto interval =
        askNumber(settings, prompts,
                  {key::SlideShowInterval, QStringLiteral("Enter Interval (seconds):"),
                   QStringLiteral("SLIDESHOW INTERVAL"), QStringLiteral("interval"),
                   QStringLiteral("seconds"), 0, 86400});
    if (interval)
        values.SlideInterval = *interval;
    return interval;
}

} // namespace q32
