#pragma once
// When each cell of a mask transition is revealed: one number per cell, larger is later.

#include "viewer/TransitionCatalogue.h"

#include <vector>

namespace q32 {

// Raw reveal times of a cols x rows grid of cells over a picture of the given aspect
// (width / height); the renderer scales them into its own range.
std::vector<float> RevealTimes(const TransitionStyle& style, int cols, int rows, double aspect);

} // namespace q32
