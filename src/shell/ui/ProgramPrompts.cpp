#include "shell/ui/ProgramPrompts.h"

#include "album/ui/PasswordWindow.h"

namespace q32 {

std::optional<QString> ProgramPrompts::askPassword(const QString& albumPath) {
    NormalPointer pointer;
    return PasswordWindow::ask(albumPath, owner());
}

} // namespace q32
