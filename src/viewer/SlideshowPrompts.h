#pragma once
// The three number prompts of the slideshow: effect grain, effect delay and the interval. Each
// offers the value in force, changes nothing on an empty answer, refuses with a message what it
// cannot use (and asks again), and stores what it took.

#include <optional>

namespace q32 {

class PromptService;
class Settings;
struct SlideshowValues;

// "Enter grain value (1-256):"; 1..256. Returns the new grain.
std::optional<int> PromptEffectGrain(Settings& settings, PromptService& prompts,
                                     SlideshowValues& values);
// "Enter time delay (milliseconds):"; 0..32767.
std::optional<int> PromptEffectDelay(Settings& settings, PromptService& prompts,
                                     SlideshowValues& values);
// "Enter Interval (seconds):"; 0..86400.
std::optional<int> PromptSlideInterval(Settings& settings, PromptService& prompts,
                                       SlideshowValues& values);

} // namespace q32
