#include "output/export/ui/SaveOptionsWindow.h"

#include "output/export/ui/ResizeWindow.h"
#include "platform/prompt/PromptService.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace q32 {
namespace {

const QList<std::pair<int, const char*>> kBitButtons = {
    {1, "&1 Bit"}, {4, "&4 Bit"}, {8, "&8 Bit"}, {16, "1&6 Bit"}, {24, "&24 Bit"}, {32, "&32 Bit"}};

void showCheck(QCheckBox* box, Qt::CheckState state) {
    const QSignalBlocker block(box);
    box->setCheckState(state);
    // Greyed means not available for this format.
    box->setEnabled(state != Qt::PartiallyChecked);
}

} // namespace

SaveOptionsWindow::SaveOptionsWindow(int formatIndex, bool append, const ImageInfo& picture,
                                     PromptService& prompts, QWidget* parent)
    : QDialog(parent), m_model(formatIndex, append, picture.bitsPerPixel),
      m_picture(picture.displaySize()), m_prompts(prompts) {
    setObjectName(QStringLiteral("SaveOpts"));
    setWindowTitle(QStringLiteral("File Save Options"));
    setProperty("helpPage", QStringLiteral("export.html#options"));
    build();
    connect(&m_model, &SaveOptionsModel::changed, this, &SaveOptionsWindow::sync);
    sync();
}

void SaveOptionsWindow::build() {
    auto* grid = new QGridLayout(this);

    auto* formatLabel = new QLabel(QStringLiteral("&Format:"), this);
    m_format = new QListWidget(this);
    m_format->setObjectName(QStringLiteral("Format"));
    for (const ExportFormat& f : m_model.formats())
        m_format->addItem(f.text);
    m_format->setMinimumHeight(220);
    formatLabel->setBuddy(m_format);
    grid->addWidget(formatLabel, 0, 0);
    grid->addWidget(m_format, 1, 0, 4, 1);
    connect(m_format, &QListWidget::currentRowChanged, &m_model, &SaveOptionsModel::selectFormat);

    m_flavorsLabel = new QLabel(QStringLiteral("Fla&vors:"), this);
    m_flavorsLabel->setObjectName(QStringLiteral("FlavorsLabel"));
    m_flavors = new QComboBox(this);
    m_flavors->setObjectName(QStringLiteral("Flavors"));
    m_flavorsLabel->setBuddy(m_flavors);
    auto* flavorRow = new QHBoxLayout;
    flavorRow->addWidget(m_flavorsLabel);
    flavorRow->addWidget(m_flavors, 1);
    grid->addLayout(flavorRow, 0, 1);
    connect(m_flavors, &QComboBox::activated, &m_model, &SaveOptionsModel::selectFlavor);

    auto* bitFrame = new QGroupBox(QStringLiteral("Save As"), this);
    auto* bitGrid = new QGridLayout(bitFrame);
    for (int i = 0; i < kBitButtons.size(); ++i) {
        const auto& [bits, caption] = kBitButtons[i];
        auto* b = new QRadioButton(QLatin1String(caption), bitFrame);
        b->setObjectName(QStringLiteral("Bit_%1").arg(bits));
        bitGrid->addWidget(b, i % 3, i / 3);
        m_bits.insert(bits, b);
        connect(b, &QRadioButton::clicked, this, [this, bits = bits] { m_model.clickBit(bits); });
    }
    grid->addWidget(bitFrame, 1, 1);

    m_qualityFrame = new QGroupBox(QStringLiteral("QFactor"), this);
    m_qualityFrame->setObjectName(QStringLiteral("QfactorFrame"));
    auto* q = new QGridLayout(m_qualityFrame);
    m_predef = new QComboBox(m_qualityFrame);
    m_predef->setObjectName(QStringLiteral("PredefQ"));
    m_predef->addItems(SaveOptionsModel::predefinedNames());
    m_customBox = new QLineEdit(m_qualityFrame);
    m_customBox->setObjectName(QStringLiteral("CustomQBox"));
    m_customBox->setMaximumWidth(60);
    m_customBar = new QScrollBar(Qt::Horizontal, m_qualityFrame);
    m_customBar->setObjectName(QStringLiteral("CustomQBar"));
    m_customBar->setRange(SaveOptionsModel::kBarMin, SaveOptionsModel::kBarMax);
    m_customBar->setSingleStep(1);
    m_customBar->setPageStep(10);
    q->addWidget(m_predef, 0, 0);
    q->addWidget(m_customBox, 0, 1);
    q->addWidget(m_customBar, 1, 0, 1, 2);
    grid->addWidget(m_qualityFrame, 2, 1);
    connect(m_predef, &QComboBox::activated, &m_model, &SaveOptionsModel::selectPredefined);
    connect(m_customBox, &QLineEdit::textEdited, &m_model, &SaveOptionsModel::setBoxText);
    connect(m_customBar, &QScrollBar::valueChanged, &m_model, &SaveOptionsModel::setBarValue);

    m_append = new QCheckBox(QStringLiteral("&Append"), this);
    m_append->setObjectName(QStringLiteral("MultipageCheck"));
    m_stamp = new QCheckBox(QStringLiteral("&Save Stamp"), this);
    m_stamp->setObjectName(QStringLiteral("SaveStampCheck"));
    auto* checks = new QHBoxLayout;
    checks->addWidget(m_append);
    checks->addWidget(m_stamp);
    grid->addLayout(checks, 3, 1);
    connect(m_append, &QCheckBox::clicked, &m_model, &SaveOptionsModel::setAppend);
    connect(m_stamp, &QCheckBox::clicked, &m_model, &SaveOptionsModel::setStamp);

    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 4, 1);
    connect(ok, &QPushButton::clicked, this, &SaveOptionsWindow::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void SaveOptionsWindow::sync() {
    const SaveOptionsModel& m = m_model;
    const ExportFormat& f = m.format();
    {
        const QSignalBlocker block(m_format);
        m_format->setCurrentRow(m.formatRow());
    }
    {
        const QSignalBlocker block(m_flavors);
        m_flavors->clear();
        if (f.hasFlavors())
            for (const ExportFlavor& flavor : f.flavors)
                m_flavors->addItem(flavor.text);
        m_flavors->setCurrentIndex(f.hasFlavors() ? m.flavor() : -1);
        m_flavors->setEnabled(f.hasFlavors());
        m_flavorsLabel->setEnabled(f.hasFlavors());
    }
    for (auto it = m_bits.cbegin(); it != m_bits.cend(); ++it) {
        const QSignalBlocker block(it.value());
        it.value()->setEnabled(m.bitEnabled(it.key()));
        // Radio buttons of one group: the checked one unchecks the others.
        if (it.key() == m.bits())
            it.value()->setChecked(true);
    }
    {
        m_qualityFrame->setEnabled(m.qualityEnabled());
        const QSignalBlocker predefBlock(m_predef);
        if (const QStringList names = m.predefinedList();
            names.size() != m_predef->count() || names.first() != m_predef->itemText(0)) {
            m_predef->clear();
            m_predef->addItems(names);
        }
        m_predef->setCurrentIndex(m.qualityEnabled() ? m.predefined() : -1);
        m_predef->setEnabled(m.predefinedEnabled());
        if (m_customBox->text() != m.boxText()) {
            const QSignalBlocker boxBlock(m_customBox);
            m_customBox->setText(m.boxText());
        }
        m_customBox->setEnabled(m.customEnabled());
        const QSignalBlocker barBlock(m_customBar);
        m_customBar->setMinimum(m.barMin());
        m_customBar->setValue(m.barValue());
        m_customBar->setEnabled(m.customEnabled());
    }
    showCheck(m_append, m.appendState());
    showCheck(m_stamp, m.stampState());
}

void SaveOptionsWindow::confirm() {
    if (m_model.format().index == SaveOptionsModel::kFlashPix) {
        const QString type = m_prompts.input(SaveOptionsModel::flashPixTypePrompt(),
                                             SaveOptionsModel::flashPixTypeTitle(), QString());
        switch (m_model.setFlashPixType(type)) {
        case SaveOptionsModel::TypeAnswer::Empty:
            return; // no type, nothing to save: the window stays for another choice
        case SaveOptionsModel::TypeAnswer::Invalid:
            m_prompts.msgBox(QStringLiteral("Invalid entry"), MsgIcon::Exclamation,
                             QStringLiteral("WARNING"));
            return;
        case SaveOptionsModel::TypeAnswer::Valid:
            break;
        }
    }
    const bool done =
        m_model.accept([this] { return ResizeWindow::Ask(m_picture, m_prompts, this); });
    if (!done) {
        if (!m_model.refusal().isEmpty()) {
            m_prompts.msgBox(m_model.refusal(), MsgIcon::Exclamation, QStringLiteral("WARNING"));
            m_customBox->setFocus();
            m_customBox->selectAll();
        }
        return;
    }
    if (!m_model.writable()) {
        const bool canSwitch = m_model.hasNearest();
        const MsgResult answer = m_prompts.msgBox(
            m_model.nearestOffer(), canSwitch ? MsgIcon::Question : MsgIcon::Exclamation,
            windowTitle(), canSwitch ? MsgButtons::YesNo : MsgButtons::Ok);
        if (answer != MsgResult::Yes || !m_model.useNearest()) {
            m_model.cancel();
            return; // stays open for another choice
        }
    }
    accept();
}

void SaveOptionsWindow::reject() {
    // Cancel, Escape and the frame's close box alike: nothing is saved.
    m_model.cancel();
    QDialog::reject();
}

void SaveOptionsWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    m_format->setFocus();
}

SaveChoice SaveOptionsWindow::Ask(int formatIndex, bool append, const ImageInfo& picture,
                                  PromptService& prompts, QWidget* parent) {
    SaveOptionsWindow window(formatIndex, append, picture, prompts, parent);
    window.exec();
    return window.model().choice();
}

} // namespace q32
