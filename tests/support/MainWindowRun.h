#pragma once
// One program run in the main window, over the test's own settings and program folder (header
// only: for tests that link the shell).

#include "ScriptedPromptService.h"
#include "TestFiles.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "shell/ui/MainWindow.h"

namespace q32::test {

struct MainWindowRun {
    ProgramState state;
    ScriptedPromptService prompts;
    Settings settings{Settings::defaultPath(), &prompts};
    MainWindow main{state, settings, prompts, {}};

    MainWindowRun() { state.AppDir = QString::fromLocal8Bit(qgetenv("QUILLON32_HOME")); }
};

} // namespace q32::test
