#pragma once
// The program's prompt service: the Qt dialogs plus the "SECURED DATABASE" password window.

#include "platform/prompt/ui/QtPromptService.h"

namespace q32 {

class ProgramPrompts final : public QtPromptService {
public:
    using QtPromptService::QtPromptService;
    std::optional<QString> askPassword(const QString& albumPath) override;
};

} // namespace q32
