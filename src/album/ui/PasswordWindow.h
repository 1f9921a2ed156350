#pragma once
// The "SECURED DATABASE" window: asks for the password of the album being opened.

#include <QDialog>
#include <optional>

class QLineEdit;
class QPushButton;

namespace q32 {

class PasswordWindow : public QDialog {
    Q_OBJECT
public:
    // Shows "Enter password for " + albumPath.
    explicit PasswordWindow(const QString& albumPath, QWidget* parent = nullptr);

    // Shows the window modally. The typed password, empty for Cancel, or nullopt when the
    // window was closed by its frame.
    static std::optional<QString> ask(const QString& albumPath, QWidget* parent = nullptr);
    std::optional<QString> answer() const { return m_answer; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void finish(bool ok);

    QLineEdit* m_entry;
    std::optional<QString> m_answer;
};

} // namespace q32
