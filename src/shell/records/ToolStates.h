#pragma once
// Which of the main window's tools can run, worked out from the open album and its current
// record; a tool that is off says why in its tip.

#include <QList>
#include <QString>
#include <span>

namespace q32 {

// What the tools' states depend on.
struct ToolContext {
    bool albumOpen = false;
    qint64 albumRows = 0;    // records in the album
    qint64 queryRows = 0;    // records the current order or filter lists
    bool hasCurrent = false; // the list has a current record
    bool currentIsClip = false;
};

struct ToolState {
    QString id;
    bool enabled = false;
    QString whyOff; // added to the tip while the tool is off; empty: the tip stays
};

// The states of the record, order and filter, print, web gallery and Find Similar tools.
// sortTools are the order and filter tools.
QList<ToolState> ComputeToolStates(const ToolContext& context,
                                   std::span<const char* const> sortTools);

} // namespace q32
