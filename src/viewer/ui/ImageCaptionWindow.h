#pragma once
// "ImageCaption": font, colours, border, position and size of the viewer's annotation box.

#include "viewer/CaptionSettings.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace q32 {

class PromptService;
class Settings;

class ImageCaptionWindow : public QDialog {
    Q_OBJECT
public:
    ImageCaptionWindow(Settings& settings, PromptService& prompts, int screenWidth,
                       QWidget* parent = nullptr);

    // What the window shows now, as a caption setting.
    CaptionProperties properties() const;

    void spin(int entry, int step); // Spin1 up (+1) or down (-1)
    void chooseForeColour();
    void chooseBackColour();
    void chooseFont();
    void confirm(); // OK: store and hide
    void cancel();  // store the position only

    QLineEdit* entry(int i) const { return m_entries[i]; }

private:
    void paintSwatch(QLabel* swatch, const QColor& colour);
    void storePosition();

    Settings& m_settings;
    PromptService& m_prompts;
    CaptionProperties m_caption;
    QLineEdit* m_entries[4];
    QLabel* m_fore;
    QLabel* m_back;
    QLabel* m_name;
    QLabel* m_size;
    QCheckBox* m_bold;
    QCheckBox* m_italic;
    QRadioButton* m_border[2];
};

} // namespace q32
