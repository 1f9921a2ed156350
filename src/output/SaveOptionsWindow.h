#pragma once
// The "File Save Options" window (SaveOpts): shows a SaveOptionsModel and hands back its choice.

#include "output/SaveOptionsModel.h"

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

class SaveOptionsWindow : public QDialog {
    Q_OBJECT
public:
    // picture: the size of the picture to save, for the stamp's proportions.
    SaveOptionsWindow(int formatIndex, bool append, QSize picture, QWidget* parent = nullptr);

    SaveOptionsModel& model() { return m_model; }
    // Shows the window modally and returns what the user chose (not accepted after Cancel).
    static SaveChoice Ask(int formatIndex, bool append, QSize picture, QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void sync();
    void confirm();

    SaveOptionsModel m_model;
    QSize m_picture;
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
