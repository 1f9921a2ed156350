#include "shell/CommandDispatcher.h"

namespace q32 {

bool CommandDispatcher::run(const QString& toolId) {
    if (m_busy)
        return false;
    m_busy = true;
    // Clears the flag even when an action throws, so the program never locks up its commands.
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{m_busy};
    if (const auto it = m_actions.constFind(toolId); it != m_actions.cend())
        (*it)();
    if (m_after)
        m_after();
    return true;
}

} // namespace q32
