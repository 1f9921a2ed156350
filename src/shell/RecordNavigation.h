#pragma once
// Where the navigation buttons and keys go: first, previous, next, last.

#include <QtGlobal>
#include <optional>

namespace q32 {

enum class Step { First, Previous, Next, Last };

// The row (1-based) a step leads to from the grid's current row, or nothing when it leads past
// either end (the current record then stays shown).
std::optional<qint64> stepTarget(Step step, qint64 gridRow, qint64 recordCount);

} // namespace q32
