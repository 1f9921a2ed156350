#pragma once
// The numbers the slideshow runs by, read from "Slide Show" when the viewer opens and changed
// by the prompts: the transition's delay (ms per painting step) and grain (cell size in pixels),
// and the interval between pictures (seconds).

namespace q32 {

struct SlideshowValues {
    int EffectDelay = 0;
    int EffectGrain = 0;
    int SlideInterval = 0;
};

} // namespace q32
