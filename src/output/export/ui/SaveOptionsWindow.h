#pragma once
// The "File Save Options" window (SaveOpts): shows a SaveOptionsModel and hands back its choice.

#include "output/export/SaveOptionsModel.h"

#include <QDialog>
#include <QMap>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QScrollBar;

namespace q32 {

class PromptService;

class SaveOptionsWindow : public QDialog {
    Q_OBJECT
public:
    // picture: the picture to save; its depth is where the bits start, its size gives the
    // stamp's proportions. prompts says why OK cannot take a value.
    SaveOptionsWindow(int formatIndex, bool append, const ImageInfo& picture,
                      PromptService& prompts, QWidget* parent = nullptr);

    SaveOptionsModel& model() { return m_model; }
    // Shows the window modally and returns what the user chose (not accepted after Cancel).
    static SaveChoice Ask(int formatIndex, bool append, const ImageInfo& picture,
                          PromptService& prompts, QWidget* parent);

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void sync();
    void confirm();

    SaveOptionsModel m_model;
    QSize m_picture;
    PromptService& m_prompts;
    QListWidget* m_format;
    QLabel* m_flavorsLabel;
    QComboBox* m_flavors;
    QMap<int, QRadioButton*> m_bits;
    QGroupBox* m_qualityFrame;
    QComboBox* m_predef;
    QLineEdit* m_customBox;
    QScrollBar* m_customBar;
    QCheckBox* m_append;
    QCheckBox* m_stamp;
};

} // namespace q32
