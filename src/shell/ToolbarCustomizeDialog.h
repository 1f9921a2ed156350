#pragma once
// Lets the user choose which tools sit on the button bar, in which order, and rename them.

#include "shell/ToolLayout.h"

#include <QDialog>

class QListWidget;

namespace q32 {

class ToolbarCustomizeDialog : public QDialog {
    Q_OBJECT
public:
    ToolbarCustomizeDialog(const ToolLayout& layout, QWidget* parent = nullptr);
    ToolLayout layout() const;

private:
    void moveCurrent(int step);
    void renameCurrent();

    ToolLayout m_layout;
    QListWidget* m_list;
};

} // namespace q32
