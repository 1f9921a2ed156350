#include "viewer/ui/WipePatternsWindow.h"

#include "common/ProgramState.h"
#include "common/Settings.h"
#include "common/Text.h"
#include "output/valueprompt/ui/ValuePromptWindow.h"
#include "platform/prompt/PromptService.h"
#include "viewer/SlideshowValues.h"
#include "viewer/WipePatterns.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace q32 {
namespace {

const QString kSection = QStringLiteral("WipePatterns");

} // namespace

WipePatternsWindow::WipePatternsWindow(WipeSelection& selection, ProgramState& state,
                                       SlideshowValues& values, Settings& settings,
                                       PromptService& prompts, QWidget* parent)
    : QDialog(parent), m_selection(selection), m_state(state), m_values(values),
      m_settings(settings), m_prompts(prompts) {
    setObjectName(QStringLiteral("WipePatterns"));
    setWindowTitle(QStringLiteral("Select Wipe Patterns"));
    setProperty("helpPage", QStringLiteral("wipe-patterns.html"));
    m_list1 = new QListWidget(this);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list2 = new QListWidget(this);
    m_list2->setObjectName(QStringLiteral("List2"));
    m_check = new QCheckBox(
        QStringLiteral("Check this box and click on the desired pattern to set the time delay"),
        this);
    m_check->setObjectName(QStringLiteral("SSCheck1"));
    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    QPushButton* all = button("Command3D2", QStringLiteral("&Select All"));
    QPushButton* none = button("Command3D3", QStringLiteral("&Deselect All"));
    QPushButton* ok = button("Command3D1", QStringLiteral("&OK"));
    QPushButton* cancelButton = button("SSCommand1", QStringLiteral("&Cancel"));
    auto* hint = new QLabel(
        QStringLiteral("Click on the pattern(s) in the box above to be used in the slide show"),
        this);
    hint->setObjectName(QStringLiteral("Label3"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Available patterns"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Selected patterns"), this), 0, 1);
    grid->addWidget(m_list1, 1, 0);
    grid->addWidget(m_list2, 1, 1);
    grid->addWidget(hint, 2, 0);
    grid->addWidget(m_check, 2, 1);
    grid->addWidget(all, 3, 0);
    grid->addWidget(none, 3, 1);
    grid->addWidget(ok, 4, 0);
    grid->addWidget(cancelButton, 4, 1);
    resize(760, 520);

    connect(m_list1, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { selectCatalogueEntry(m_list1->row(item)); });
    connect(m_list2, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { selectionEntryClicked(m_list2->row(item)); });
    connect(all, &QPushButton::clicked, this, &WipePatternsWindow::selectAll);
    connect(none, &QPushButton::clicked, this, &WipePatternsWindow::deselectAll);
    connect(ok, &QPushButton::clicked, this, &WipePatternsWindow::save);
    connect(cancelButton, &QPushButton::clicked, this, &WipePatternsWindow::cancel);
}

void WipePatternsWindow::run() {
    move(m_settings.integer(kSection, QStringLiteral("Left")),
         m_settings.integer(kSection, QStringLiteral("Top")));
    if (m_selection.catalogueLines() == 0) {
        const bool loaded = LoadWipePatterns(m_selection, m_state, m_settings, m_values,
                                             [this](const QString& line) {
                                                 if (m_caption)
                                                     m_caption(line);
                                                 QCoreApplication::processEvents();
                                             });
        if (!loaded)
            return; // a click on the viewer stopped the loading
    }
    refresh();
    exec();
}

void WipePatternsWindow::refresh() {
    auto fill = [](QListWidget* list, const QList<WipeEntry>& entries) {
        list->clear();
        for (const WipeEntry& e : entries) {
            auto* item = new QListWidgetItem(e.text, list);
            item->setData(Qt::UserRole, e.pattern);
        }
    };
    fill(m_list1, m_selection.available());
    fill(m_list2, m_selection.selected());
}

void WipePatternsWindow::selectCatalogueEntry(int row) {
    m_selection.select(row, m_values.EffectDelay);
    refresh();
}

void WipePatternsWindow::selectionEntryClicked(int row) {
    if (row < 0 || row >= m_selection.selected().size())
        return;
    if (!m_check->isChecked()) {
        m_selection.remove(row);
        refresh();
        return;
    }
    const QString text = m_selection.selected()[row].text;
    const auto value = ValuePromptWindow::ask({QStringLiteral("Effect Delay"), QString(), 32767, 0,
                                               Val(ParseEffectDelay(text)), 10, 1, false},
                                              m_prompts, this);
    if (value) {
        m_selection.setDelay(row, *value);
        refresh();
    }
}

void WipePatternsWindow::selectAll() {
    m_selection.selectAll();
    refresh();
}

void WipePatternsWindow::deselectAll() {
    m_selection.deselectAll();
    refresh();
}

void WipePatternsWindow::storePosition() {
    m_settings.RegPutString(kSection, QStringLiteral("Left"), QString::number(x()));
    m_settings.RegPutString(kSection, QStringLiteral("Top"), QString::number(y()));
}

void WipePatternsWindow::save() {
    BusyGuard busy(m_prompts);
    if (m_caption)
        m_caption(QStringLiteral("BUSY: Saving configuration..."));
    if (!m_selection.writeSelection(m_state.AppDir + QStringLiteral("Effects2.txt")))
        m_prompts.msgBox(QStringLiteral("Unable to save the selected patterns in ") +
                             m_state.AppDir + QStringLiteral("Effects2.txt"),
                         MsgIcon::Critical, QStringLiteral("ERROR"));
    storePosition();
    m_state.StatusWord = 99;
    accept();
}

void WipePatternsWindow::cancel() {
    m_state.StatusWord = 99;
    reject();
}

void WipePatternsWindow::closeEvent(QCloseEvent* event) {
    storePosition();
    QDialog::closeEvent(event);
}

} // namespace q32
