#include "album/ui/PasswordWindow.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace q32 {

PasswordWindow::PasswordWindow(const QString& albumPath, QWidget* parent)
    : QDialog(parent), m_entry(new QLineEdit(this)) {
    setObjectName(QStringLiteral("Password"));
    setWindowTitle(QStringLiteral("SECURED DATABASE"));
    setProperty("helpPage", QStringLiteral("password.html#window"));
    setModal(true);

    auto* prompt = new QLineEdit(QStringLiteral("Enter password for ") + albumPath, this);
    prompt->setObjectName(QStringLiteral("Text2"));
    prompt->setReadOnly(true);
    prompt->setFrame(false);
    prompt->setCursorPosition(0);
    prompt->setFocusPolicy(Qt::NoFocus);

    m_entry->setObjectName(QStringLiteral("Text1"));
    m_entry->setEchoMode(QLineEdit::Password);
    // Enter with text is OK; with an empty box it is Cancel.
    connect(m_entry, &QLineEdit::returnPressed, this,
            [this] { finish(!m_entry->text().isEmpty()); });

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("SSCommand1"));
    ok->setAutoDefault(false);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("SSCommand2"));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, [this] { finish(true); });
    connect(cancel, &QPushButton::clicked, this, [this] { finish(false); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_entry);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

std::optional<QString> PasswordWindow::ask(const QString& albumPath, QWidget* parent) {
    PasswordWindow window(albumPath, parent);
    window.exec();
    return window.answer();
}

void PasswordWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the screen, whoever the parent is.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        adjustSize();
        QRect frame = frameGeometry();
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
    m_entry->setFocus();
}

void PasswordWindow::finish(bool ok) {
    m_answer = ok ? m_entry->text() : QString();
    accept();
}

void PasswordWindow::keyPressEvent(QKeyEvent* event) {
    // Escape answers like Cancel; only the frame's close button leaves no answer.
    if (event->key() == Qt::Key_Escape) {
        finish(false);
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace q32
