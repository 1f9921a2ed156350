#pragma once
// "GetValue": one number chosen with a scroll bar and a text box kept in step.

#include "output/valueprompt/ValuePrompt.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace q32 {

class ValuePromptWindow : public QDialog {
    Q_OBJECT
public:
    ValuePromptWindow(const ValuePromptSetup& setup, PromptService& prompts,
                      QWidget* parent = nullptr);

    // Shows the window modally; the amount when OK was accepted.
    static std::optional<int> ask(const ValuePromptSetup& setup, PromptService& prompts,
                                  QWidget* parent = nullptr);

    bool userResult() const { return m_accepted; }
    int amount() const { return m_amount; }
    bool resizeHorz() const;

    QLineEdit* box() const { return m_box; }
    QScrollBar* bar() const { return m_bar; }
    QPushButton* okButton() const { return m_ok; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void barChanged(int value);
    void boxChanged(const QString& text);
    void confirm();

    ValuePromptRules m_rules;
    PromptService& m_prompts;
    QLineEdit* m_box;
    QScrollBar* m_bar;
    QLabel* m_type;
    QCheckBox* m_resizeHorz;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    bool m_accepted = false;
    int m_amount = 0;
    // Set before one control writes into the other, so the echo does nothing.
    bool m_barEcho = false;
    bool m_boxEcho = false;
};

} // namespace q32
