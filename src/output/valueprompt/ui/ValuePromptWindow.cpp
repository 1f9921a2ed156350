#include "output/valueprompt/ui/ValuePromptWindow.h"

#include "platform/prompt/PromptService.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

namespace q32 {

ValuePromptWindow::ValuePromptWindow(const ValuePromptSetup& setup, PromptService& prompts,
                                     QWidget* parent)
    : QDialog(parent), m_rules(setup), m_prompts(prompts) {
    setObjectName(QStringLiteral("GetValue"));
    setProperty("helpPage", QStringLiteral("wipe-patterns.html#delay"));
    setWindowTitle(setup.caption);
    m_type = new QLabel(setup.typeLabel, this);
    m_type->setObjectName(QStringLiteral("GetValueType"));
    m_box = new QLineEdit(this);
    m_box->setObjectName(QStringLiteral("GetValueBox"));
    m_bar = new QScrollBar(Qt::Horizontal, this);
    m_bar->setObjectName(QStringLiteral("GetValueBar"));
    m_bar->setMinimumWidth(220);
    m_resizeHorz = new QCheckBox(QStringLiteral("&Resize"), this);
    m_resizeHorz->setObjectName(QStringLiteral("Resize_Horz"));
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OK"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("Cancel"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_type, 0, 0, 1, 2);
    grid->addWidget(m_box, 1, 0);
    grid->addWidget(m_bar, 1, 1);
    grid->addWidget(m_resizeHorz, 2, 0, 1, 2);
    grid->addWidget(m_ok, 3, 0);
    grid->addWidget(m_cancel, 3, 1);

    m_bar->setRange(m_rules.minimum(), std::max(m_rules.minimum(), m_rules.maximum()));
    m_bar->setPageStep(setup.largeChange);
    m_bar->setSingleStep(setup.smallChange);
    m_bar->setValue(m_rules.initialBarValue());
    m_box->setText(QString::number(setup.initial));
    m_resizeHorz->setChecked(true);
    m_resizeHorz->setVisible(setup.showResizeHorz);

    connect(m_bar, &QScrollBar::valueChanged, this, &ValuePromptWindow::barChanged);
    connect(m_box, &QLineEdit::textChanged, this, &ValuePromptWindow::boxChanged);
    connect(m_ok, &QPushButton::clicked, this, &ValuePromptWindow::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<int> ValuePromptWindow::ask(const ValuePromptSetup& setup, PromptService& prompts,
                                          QWidget* parent) {
    ValuePromptWindow window(setup, prompts, parent);
    window.exec();
    if (!window.userResult())
        return std::nullopt;
    return window.amount();
}

bool ValuePromptWindow::resizeHorz() const {
    return m_resizeHorz->isChecked();
}

void ValuePromptWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
    }
    m_box->setFocus();
    m_box->selectAll();
}

void ValuePromptWindow::barChanged(int value) {
    if (m_barEcho) {
        m_barEcho = false;
        return;
    }
    const QString text = QString::number(value);
    if (text == m_box->text())
        return;
    m_boxEcho = true;
    m_box->setText(text);
}

void ValuePromptWindow::boxChanged(const QString& text) {
    if (m_boxEcho) {
        m_boxEcho = false;
        return;
    }
    const auto value = m_rules.barValueFor(text, m_prompts);
    if (!value || *value == m_bar->value())
        return;
    m_barEcho = true;
    m_bar->setValue(*value);
}

void ValuePromptWindow::confirm() {
    const QString refused = m_rules.refusal(m_box->text(), m_bar->value());
    if (!refused.isEmpty()) {
        // The window stays open with the value in force.
        m_prompts.msgBox(refused, MsgIcon::Exclamation, QStringLiteral("WARNING"));
        m_box->setText(QString::number(m_bar->value()));
        m_box->setFocus();
        m_box->selectAll();
        return;
    }
    m_accepted = true;
    m_amount = m_bar->value();
    accept();
}

} // namespace q32
