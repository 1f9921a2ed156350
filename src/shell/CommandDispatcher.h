#pragma once
// Maps tool identifiers to actions. One command runs at a time: a click that arrives while a
// command is still running (it may run nested event loops) is ignored.

#include <QHash>
#include <QString>
#include <functional>

namespace q32 {

class CommandDispatcher {
public:
    using Action = std::function<void()>;

    void add(const QString& toolId, Action action) { m_actions.insert(toolId, std::move(action)); }
    bool has(const QString& toolId) const { return m_actions.contains(toolId); }

    // Runs after every command that was not ignored.
    void setAfterCommand(Action after) { m_after = std::move(after); }

    // Runs the tool's action. Returns false when the click was ignored because a command is
    // running.
    bool run(const QString& toolId);
    bool busy() const { return m_busy; }

private:
    QHash<QString, Action> m_actions;
    Action m_after;
    bool m_busy = false;
};

} // namespace q32
