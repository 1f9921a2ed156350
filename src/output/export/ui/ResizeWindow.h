#pragma once
// The "Resize" window in its stamp set-up ("Stamp Dimensions"): shows a ResizeModel.

#include "output/export/ResizeModel.h"
#include "output/export/SaveOptionsModel.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QLineEdit;
class QScrollBar;

namespace q32 {

class PromptService;

class ResizeWindow : public QDialog {
    Q_OBJECT
public:
    // prompts says why OK cannot take the values.
    ResizeWindow(QSize picture, PromptService& prompts, QWidget* parent = nullptr);

    ResizeModel& model() { return m_model; }
    // Shows the window modally; the stamp's size and depth, or nothing after Cancel.
    static std::optional<StampOptions> Ask(QSize picture, PromptService& prompts, QWidget* parent);
    StampOptions stamp() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void sync();
    void confirm();

    ResizeModel m_model;
    PromptService& m_prompts;
    QScrollBar* m_bars[2];
    QLineEdit* m_boxes[2];
    QCheckBox* m_aspect;
    QCheckBox* m_option;
};

} // namespace q32
