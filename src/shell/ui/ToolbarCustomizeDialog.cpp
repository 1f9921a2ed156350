#include "shell/ui/ToolbarCustomizeDialog.h"

#include "platform/prompt/PromptService.h"
#include "shell/ui/CommandBar.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace q32 {

ToolbarCustomizeDialog::ToolbarCustomizeDialog(const ToolLayout& layout, PromptService& prompts,
                                               QWidget* parent)
    : QDialog(parent), m_layout(layout), m_prompts(prompts), m_list(new QListWidget(this)) {
    setObjectName(QStringLiteral("CustomizeToolbar"));
    setWindowTitle(QStringLiteral("Customize Toolbar"));
    setProperty("helpPage", QStringLiteral("toolbar.html"));

    // Tools on the bar first, in bar order, then every other command that could go there.
    auto addItem = [this](const Tool& t, bool onBar) {
        QString text = t.caption;
        auto* item = new QListWidgetItem(CommandBar::iconFor(t.icon, t.caption),
                                         text.remove(QLatin1Char('&')), m_list);
        item->setData(Qt::UserRole, t.id);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(onBar ? Qt::Checked : Qt::Unchecked);
    };
    for (const QString& id : m_layout.toolBar)
        if (const Tool* t = m_layout.find(id))
            addItem(*t, true);
    for (const Tool& t : m_layout.tools)
        if (t.kind != ToolKind::Menu && !m_layout.toolBar.contains(t.id))
            addItem(t, false);

    auto* up = new QPushButton(QStringLiteral("Move &Up"), this);
    auto* down = new QPushButton(QStringLiteral("Move &Down"), this);
    auto* rename = new QPushButton(QStringLiteral("&Rename..."), this);
    connect(up, &QPushButton::clicked, this, [this] { moveCurrent(-1); });
    connect(down, &QPushButton::clicked, this, [this] { moveCurrent(1); });
    connect(rename, &QPushButton::clicked, this, &ToolbarCustomizeDialog::renameCurrent);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* side = new QVBoxLayout;
    side->addWidget(up);
    side->addWidget(down);
    side->addWidget(rename);
    side->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(m_list);
    row->addLayout(side);
    auto* top = new QVBoxLayout(this);
    top->addLayout(row);
    top->addWidget(buttons);
    resize(420, 480);
}

void ToolbarCustomizeDialog::moveCurrent(int step) {
    const int row = m_list->currentRow();
    const int to = row + step;
    if (row < 0 || to < 0 || to >= m_list->count())
        return;
    QListWidgetItem* item = m_list->takeItem(row);
    m_list->insertItem(to, item);
    m_list->setCurrentRow(to);
}

void ToolbarCustomizeDialog::renameCurrent() {
    QListWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    Tool* t = m_layout.find(item->data(Qt::UserRole).toString());
    const QString caption = m_prompts.input(QStringLiteral("Caption:"),
                                            QStringLiteral("Customize Toolbar"), t->caption);
    if (caption.isEmpty())
        return;
    t->caption = caption;
    item->setText(QString(caption).remove(QLatin1Char('&')));
}

ToolLayout ToolbarCustomizeDialog::layout() const {
    ToolLayout out = m_layout;
    out.toolBar.clear();
    for (int i = 0; i < m_list->count(); ++i)
        if (m_list->item(i)->checkState() == Qt::Checked)
            out.toolBar << m_list->item(i)->data(Qt::UserRole).toString();
    return out;
}

} // namespace q32
