#pragma once
// Turns a ToolLayout into the main window's menus and button bar. Every tool is one QAction
// whose object name is the tool identifier, shared by its menu entry and its button.

#include "shell/ToolLayout.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class QToolButton;

namespace q32 {

class CommandBar : public QObject {
    Q_OBJECT
public:
    explicit CommandBar(QMainWindow* window);

    void apply(const ToolLayout& layout);
    // The layout as it stands now: captions, tips, pictures and checked states included.
    ToolLayout snapshot() const;

    QAction* tool(const QString& id) const { return m_actions.value(id); }
    QMenu* menu(const QString& id) const { return m_menus.value(id); }
    QToolBar* toolBar() const { return m_toolBar; }

    bool checked(const QString& id) const;
    void setChecked(const QString& id, bool on);
    void setEnabled(const QString& id, bool on);
    QString caption(const QString& id) const;
    void setCaption(const QString& id, const QString& text);
    // The tool takes the picture of another tool and a new tip (the filter tool).
    void setPictureAndTip(const QString& id, const QString& pictureOf, const QString& tip);
    // Disables a tool whose command cannot run in this build; its tip says why. The saved layout
    // keeps the tool's own tip.
    void setUnavailable(const QString& id, const QString& reason);
    // Enables the tool with its own tip, or disables it; a reason is added to the tip meanwhile.
    void setAvailable(const QString& id, bool on, const QString& reasonWhenOff);

    static QIcon iconFor(const QString& themeName, const QString& caption);

signals:
    void toolClicked(const QString& id);

private:
    QMainWindow* m_window;
    QToolBar* m_toolBar;
    ToolLayout m_layout;
    QHash<QString, QAction*> m_actions;
    QHash<QString, QMenu*> m_menus;
    QList<QObject*> m_owned;
    QSet<QString> m_unavailable;
};

} // namespace q32
