#pragma once
// The three number prompts of the slideshow: effect grain, effect delay and the interval. Each
// offers the stored value, changes nothing on an empty answer, and stores what it took.

#include <optional>

namespace q32 {

class PromptService;
class Settings;
struct SlideshowValues;

// "Enter grain value (1-256):"; the answer is held to 1..256. Returns the new grain.
std::optional<int> PromptEffectGrain(Settings& settings, PromptService& prompts,
                                     SlideshowValues& values);
// "Enter time delay (milliseconds):"; below 0 becomes 0.
std::optional<int> PromptEffectDelay(Settings& settings, PromptService& prompts,
                                     SlideshowValues& values);
// "Enter Interval (seconds):"; taken as it is.
std::optional<int> PromptSlideInterval(Settings& settings, PromptService& prompts,
                                       SlideshowValues& values);

} // namespace q32
