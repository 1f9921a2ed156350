#include "shell/RecordNavigation.h"

namespace q32 {

std::optional<qint64> stepTarget(Step step, qint64 gridRow, qint64 recordCount) {
    if (recordCount < 1)
        return std::nullopt;
    qint64 row = 0;
    switch (step) {
    case Step::First:
        row = 1;
        break;
    case Step::Previous:
        row = gridRow - 1;
        break;
    case Step::Next:
        row = gridRow + 1;
        break;
    case Step::Last:
        row = recordCount;
        break;
    }
    if (row < 1 || row > recordCount)
        return std::nullopt;
    return row;
}

} // namespace q32
