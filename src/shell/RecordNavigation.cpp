#include "shell/RecordNavigation.h"

namespace q32 {

NavigationStep NavigateRecords(int button, qint64 gridRow, qint64 recordCount) {
    qint64 row = 0;
    switch (button) {
    case 1:
        row = 1;
        break;
    case 2:
        row = gridRow - 1;
        break;
    case 3:
        row = gridRow + 1;
        break;
    case 4:
        row = recordCount;
        break; // the grid's last data row
    default:
        return {gridRow, false};
    }
    if (row > recordCount)
        return {recordCount, false};
    if (row < 1)
        return {1, false};
    return {row, true};
}

} // namespace q32
