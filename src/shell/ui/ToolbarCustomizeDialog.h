#pragma once
// Lets the user choose which tools sit on the button bar, in which order, and rename them.

#include "shell/ToolLayout.h"

#include <QDialog>

class QListWidget;

namespace q32 {

class PromptService;

class ToolbarCustomizeDialog : public QDialog {
    Q_OBJECT
public:
    ToolbarCustomizeDialog(const ToolLayout& layout, PromptService& prompts,
                           QWidget* parent = nullptr);
    ToolLayout layout() const;

    void moveCurrent(int step);
    // Asks for a new caption of the selected tool.
    void renameCurrent();

private:
    ToolLayout m_layout;
    PromptService& m_prompts;
    QListWidget* m_list;
};

} // namespace q32
