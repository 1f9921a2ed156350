#include "platform/prompt/ui/NewPasswordDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace q32 {

NewPasswordDialog::NewPasswordDialog(const QString& title, const QString& prompt, QWidget* parent)
    : QDialog(parent), m_entry(new QLineEdit(this)), m_again(new QLineEdit(this)),
      m_note(new QLabel(this)) {
    setObjectName(QStringLiteral("NewPassword"));
    setWindowTitle(title);
    setProperty("helpPage", QStringLiteral("password.html#window"));
    setModal(true);

    auto* promptLabel = new QLabel(prompt, this);
    promptLabel->setObjectName(QStringLiteral("Text2"));
    promptLabel->setWordWrap(true);
    promptLabel->setBuddy(m_entry);
    m_entry->setObjectName(QStringLiteral("Text1"));
    m_entry->setEchoMode(QLineEdit::Password);
    auto* againLabel = new QLabel(QStringLiteral("Type the password again to confirm it:"), this);
    againLabel->setBuddy(m_again);
    m_again->setObjectName(QStringLiteral("ConfirmText"));
    m_again->setEchoMode(QLineEdit::Password);
    m_note->setObjectName(QStringLiteral("MismatchNote"));
    m_note->setWordWrap(true);
    m_note->hide();

    // Enter in the first box goes on to the second; with nothing typed it answers "" at once.
    connect(m_entry, &QLineEdit::returnPressed, this, [this] {
        if (m_entry->text().isEmpty())
            confirm();
        else
            m_again->setFocus();
    });
    connect(m_again, &QLineEdit::returnPressed, this, &NewPasswordDialog::confirm);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("SSCommand1"));
    ok->setAutoDefault(false);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("SSCommand2"));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &NewPasswordDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(promptLabel);
    layout->addWidget(m_entry);
    layout->addWidget(againLabel);
    layout->addWidget(m_again);
    layout->addWidget(m_note);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

std::optional<QString> NewPasswordDialog::ask(const QString& title, const QString& prompt,
                                              QWidget* parent) {
    NewPasswordDialog dialog(title, prompt, parent);
    dialog.exec();
    return dialog.answer();
}

void NewPasswordDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_entry->setFocus();
}

void NewPasswordDialog::confirm() {
    if (m_entry->text() == m_again->text()) {
        m_answer = m_entry->text();
        accept();
        return;
    }
    if (m_again->text().isEmpty()) {
        m_note->setText(QStringLiteral("Type the same password a second time in the lower box."));
        m_again->setFocus();
    } else {
        // Either entry may hold the slip: both are typed again.
        m_note->setText(QStringLiteral("The two passwords differ. Type the password again in "
                                       "both boxes."));
        m_entry->clear();
        m_again->clear();
        m_entry->setFocus();
    }
    m_note->show();
}

} // namespace q32
