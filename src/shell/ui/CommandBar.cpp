#include "shell/ui/CommandBar.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QToolBar>
#include <QToolButton>

namespace q32 {
namespace {

// The keys a desktop user expects; not part of the saved layout.
QKeySequence standardShortcut(const QString& id) {
    static const QHash<QString, QKeySequence> keys = {
        {QStringLiteral("ID_CreateNewAlbum"), QKeySequence::New},
        {QStringLiteral("ID_OpenAlbum"), QKeySequence::Open},
        {QStringLiteral("ID_Exit"), QKeySequence::Quit},
        {QStringLiteral("ID_Contents"), QKeySequence::HelpContents},
        {QStringLiteral("ID_AddImages"), QKeySequence(Qt::CTRL | Qt::Key_I)},
        {QStringLiteral("ID_DeleteImage"), QKeySequence::Delete},
        {QStringLiteral("ID_ExportImage"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E)},
        {QStringLiteral("ID_AttachSound"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {QStringLiteral("ID_PrintImage"), QKeySequence::Print},
        {QStringLiteral("ID_StartSlideshow"), QKeySequence(Qt::Key_F5)},
        {QStringLiteral("ID_ThumbnailView"), QKeySequence(Qt::CTRL | Qt::Key_T)},
    };
    return keys.value(id);
}

} // namespace

CommandBar::CommandBar(QMainWindow* window) : QObject(window), m_window(window) {
    m_toolBar = new QToolBar(QStringLiteral("Tools"), window);
    m_toolBar->setObjectName(QStringLiteral("SSActiveToolBars1"));
    m_toolBar->setIconSize(QSize(22, 22));
    window->addToolBar(Qt::TopToolBarArea, m_toolBar);
}

QIcon CommandBar::iconFor(const QString& themeName, const QString& caption) {
    if (!themeName.isEmpty()) {
        const QIcon icon = QIcon::fromTheme(themeName);
        if (!icon.isNull())
            return icon;
    }
    // Without a theme icon a tool still needs a face on the button bar: its first letter.
    QString letter = caption;
    letter.remove(QLatin1Char('&'));
    letter = letter.left(1).toUpper();
    QPixmap pm(22, 22);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x35, 0x84, 0xe4));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(1, 1, 20, 20), 4, 4);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(13);
    p.setFont(f);
    p.drawText(pm.rect(), Qt::AlignCenter, letter);
    return QIcon(pm);
}

void CommandBar::apply(const ToolLayout& layout) {
    m_window->menuBar()->clear();
    m_toolBar->clear();
    // Later, not now: a layout may be applied while one of the old actions is still delivering
    // its click.
    for (QObject* old : std::as_const(m_owned))
        old->deleteLater();
    m_owned.clear();
    m_actions.clear();
    m_menus.clear();
    m_unavailable.clear();
    m_layout = layout;

    QHash<QString, QActionGroup*> groups;
    for (const Tool& t : layout.tools) {
        if (t.kind == ToolKind::Menu) {
            auto* menu = new QMenu(t.caption, m_window);
            menu->setObjectName(t.id);
            menu->menuAction()->setObjectName(t.id);
            m_menus.insert(t.id, menu);
            m_actions.insert(t.id, menu->menuAction());
            m_owned << menu;
            continue;
        }
        auto* action = new QAction(iconFor(t.icon, t.caption), t.caption, this);
        action->setObjectName(t.id);
        action->setToolTip(t.tip);
        action->setStatusTip(t.tip);
        action->setIconVisibleInMenu(false);
        action->setShortcut(standardShortcut(t.id));
        if (t.kind == ToolKind::State) {
            action->setCheckable(true);
            action->setChecked(t.checked);
            if (!t.group.isEmpty()) {
                auto*& group = groups[t.group];
                if (!group) {
                    group = new QActionGroup(this);
                    group->setExclusive(true);
                    m_owned << group;
                }
                group->addAction(action);
            }
        }
        connect(action, &QAction::triggered, this, [this, id = t.id] { emit toolClicked(id); });
        m_actions.insert(t.id, action);
        m_owned << action;
    }

    for (auto it = layout.menus.cbegin(); it != layout.menus.cend(); ++it) {
        QMenu* menu = m_menus.value(it.key());
        for (const QString& entry : it.value()) {
            if (entry == QLatin1String("-"))
                menu->addSeparator();
            else if (QMenu* sub = m_menus.value(entry))
                menu->addMenu(sub);
            else
                menu->addAction(m_actions.value(entry));
        }
    }
    for (const QString& id : layout.menuBar)
        if (QMenu* menu = m_menus.value(id))
            m_window->menuBar()->addMenu(menu);

    for (const QString& id : layout.toolBar) {
        if (id == QLatin1String("-")) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* action = m_actions.value(id);
        const Tool* t = layout.find(id);
        if (t && t->kind == ToolKind::DropDown) {
            // The button runs the tool; its arrow pops up the filter menu.
            auto* button = new QToolButton(m_toolBar);
            button->setObjectName(id + QStringLiteral("_Button"));
            button->setDefaultAction(action);
            button->setMenu(m_menus.value(QStringLiteral("ID_mnuFilters")));
            button->setPopupMode(QToolButton::MenuButtonPopup);
            m_toolBar->addWidget(button);
        } else if (action) {
            m_toolBar->addAction(action);
        }
    }
}

ToolLayout CommandBar::snapshot() const {
    ToolLayout out = m_layout;
    for (Tool& t : out.tools) {
        QAction* a = m_actions.value(t.id);
        if (!a)
            continue;
        t.caption = a->text();
        if (t.kind != ToolKind::Menu && !m_unavailable.contains(t.id))
            t.tip = a->toolTip();
        t.checked = a->isCheckable() && a->isChecked();
        if (const QString picture = a->property("pictureOf").toString(); !picture.isEmpty())
            if (const Tool* from = m_layout.find(picture))
                t.icon = from->icon;
    }
    return out;
}

bool CommandBar::checked(const QString& id) const {
    const QAction* a = tool(id);
    return a && a->isChecked();
}

void CommandBar::setChecked(const QString& id, bool on) {
    if (QAction* a = tool(id))
        a->setChecked(on);
}

void CommandBar::setEnabled(const QString& id, bool on) {
    if (QAction* a = tool(id))
        a->setEnabled(on);
}

QString CommandBar::caption(const QString& id) const {
    const QAction* a = tool(id);
    return a ? a->text() : QString();
}

void CommandBar::setCaption(const QString& id, const QString& text) {
    if (QAction* a = tool(id))
        a->setText(text);
}

void CommandBar::setPictureAndTip(const QString& id, const QString& pictureOf, const QString& tip) {
    QAction* a = tool(id);
    const QAction* from = tool(pictureOf);
    if (!a)
        return;
    if (from) {
        a->setIcon(from->icon());
        a->setProperty("pictureOf", pictureOf);
    }
    a->setToolTip(tip);
    a->setStatusTip(tip);
}

void CommandBar::setUnavailable(const QString& id, const QString& reason) {
    QAction* a = tool(id);
    const Tool* t = m_layout.find(id);
    if (!a || !t)
        return;
    m_unavailable.insert(id);
    a->setEnabled(false);
    const QString tip =
        (t->tip.isEmpty() ? QString(t->caption).remove(QLatin1Char('&')) : t->tip) + reason;
    a->setToolTip(tip);
    a->setStatusTip(tip);
}

void CommandBar::setAvailable(const QString& id, bool on, const QString& reasonWhenOff) {
    if (!on && !reasonWhenOff.isEmpty()) {
        setUnavailable(id, reasonWhenOff);
        return;
    }
    QAction* a = tool(id);
    const Tool* t = m_layout.find(id);
    if (!a || !t)
        return;
    if (m_unavailable.remove(id)) {
        const QString tip =
            t->tip.isEmpty() ? QString(t->caption).remove(QLatin1Char('&')) : t->tip;
        a->setToolTip(tip);
        a->setStatusTip(tip);
    }
    a->setEnabled(on);
}

} // namespace q32
