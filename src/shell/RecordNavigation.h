#pragma once
// Where the navigation buttons go: first, previous, next, last.

#include <QtGlobal>

namespace q32 {

struct NavigationStep {
    qint64 row = 0;    // the new CurrentRow, 1-based
    bool show = false; // false: the row was clamped and the preview stays hidden
};

// button: 1 first, 2 previous, 3 next, 4 last; gridRow: the grid's current row (1-based);
// recordCount: rows in the query.
NavigationStep NavigateRecords(int button, qint64 gridRow, qint64 recordCount);

} // namespace q32
