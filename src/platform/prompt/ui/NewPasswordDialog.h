#pragma once
// A new password, typed hidden and then a second time to confirm: one typing slip must not lock
// an album for good. OK keeps the window open until both entries agree.

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;

namespace q32 {

class NewPasswordDialog : public QDialog {
    Q_OBJECT
public:
    NewPasswordDialog(const QString& title, const QString& prompt, QWidget* parent = nullptr);

    // Shows the window modally: the password, "" for OK with nothing typed, nullopt for Cancel.
    static std::optional<QString> ask(const QString& title, const QString& prompt,
                                      QWidget* parent = nullptr);
    std::optional<QString> answer() const { return m_answer; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void confirm();

    QLineEdit* m_entry;
    QLineEdit* m_again;
    QLabel* m_note;
    std::optional<QString> m_answer;
};

} // namespace q32
