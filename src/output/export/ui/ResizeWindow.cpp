#include "output/export/ui/ResizeWindow.h"

#include "platform/prompt/PromptService.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

namespace q32 {

ResizeWindow::ResizeWindow(QSize picture, PromptService& prompts, QWidget* parent)
    : QDialog(parent), m_model(picture), m_prompts(prompts) {
    setObjectName(QStringLiteral("Resize"));
    setWindowTitle(m_model.title());
    setProperty("helpPage", QStringLiteral("export.html#stamp"));
    auto* layout = new QVBoxLayout(this);
    const QString frames[2] = {QStringLiteral("Width"), QStringLiteral("Height")};
    for (int i = 0; i < 2; ++i) {
        auto* frame = new QGroupBox(frames[i], this);
        auto* row = new QHBoxLayout(frame);
        m_bars[i] = new QScrollBar(Qt::Horizontal, frame);
        m_bars[i]->setObjectName(QStringLiteral("Value%1Bar").arg(i + 1));
        m_bars[i]->setRange(ResizeModel::kMin, ResizeModel::kMax);
        m_bars[i]->setSingleStep(1);
        m_bars[i]->setPageStep(10);
        m_bars[i]->setMinimumWidth(160);
        m_boxes[i] = new QLineEdit(frame);
        m_boxes[i]->setObjectName(QStringLiteral("Value%1Box").arg(i + 1));
        m_boxes[i]->setMaximumWidth(60);
        row->addWidget(m_bars[i], 1);
        row->addWidget(m_boxes[i]);
        layout->addWidget(frame);
        connect(m_bars[i], &QScrollBar::valueChanged, this,
                [this, i](int v) { m_model.setBarValue(i, v); });
        connect(m_boxes[i], &QLineEdit::textEdited, this,
                [this, i](const QString& t) { m_model.setBoxText(i, t); });
    }
    m_aspect = new QCheckBox(QStringLiteral("Maintain &Aspect-Ratio"), this);
    m_aspect->setObjectName(QStringLiteral("AspectRatioBox"));
    // The box resamples in general; the stamp set-up uses it for a reduction to 8 bits.
    m_option = new QCheckBox(QStringLiteral("&Resample"), this);
    m_option->setObjectName(QStringLiteral("ResampleBox"));
    m_option->setText(m_model.optionCaption());
    layout->addWidget(m_aspect);
    layout->addWidget(m_option);
    connect(m_aspect, &QCheckBox::toggled, &m_model, &ResizeModel::setAspectLocked);
    connect(m_option, &QCheckBox::toggled, &m_model, &ResizeModel::setOption);

    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &ResizeWindow::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_model, &ResizeModel::changed, this, &ResizeWindow::sync);
    sync();
}

void ResizeWindow::sync() {
    for (int i = 0; i < 2; ++i) {
        const QSignalBlocker barBlock(m_bars[i]);
        m_bars[i]->setValue(m_model.value(i));
        if (m_boxes[i]->text() != m_model.boxText(i)) {
            const QSignalBlocker boxBlock(m_boxes[i]);
            m_boxes[i]->setText(m_model.boxText(i));
        }
    }
    const QSignalBlocker aspectBlock(m_aspect);
    m_aspect->setChecked(m_model.aspectLocked());
    const QSignalBlocker optionBlock(m_option);
    m_option->setChecked(m_model.option());
}

void ResizeWindow::confirm() {
    // Values that cannot be used keep the window open, saying why.
    const QString refused = m_model.accept();
    if (refused.isEmpty()) {
        accept();
        return;
    }
    m_prompts.msgBox(refused, MsgIcon::Exclamation, QStringLiteral("WARNING"));
    m_boxes[0]->setFocus();
}

void ResizeWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    QTimer::singleShot(0, m_boxes[0], [box = m_boxes[0]] { box->setFocus(); });
}

StampOptions ResizeWindow::stamp() const {
    return StampOptions{m_model.value(0), m_model.value(1), m_model.option() ? 8 : 24};
}

std::optional<StampOptions> ResizeWindow::Ask(QSize picture, PromptService& prompts,
                                              QWidget* parent) {
    ResizeWindow window(picture, prompts, parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.stamp();
}

} // namespace q32
