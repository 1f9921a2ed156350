#pragma once
// The "SECURED DATABASE" window: asks for the password of the album being opened.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace q32 {

struct ProgramState;

class PasswordWindow : public QDialog {
    Q_OBJECT
public:
    // Shows "Enter password for " + PasswordAlbumPath; the answer goes to EnteredPassword.
    explicit PasswordWindow(ProgramState& state, QWidget* parent = nullptr);

    // Shows the window modally and returns EnteredPassword.
    static QString Ask(ProgramState& state, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void finish(bool ok);

    ProgramState& m_state;
    QLineEdit* m_entry;
    bool m_answered = false;
};

} // namespace q32
