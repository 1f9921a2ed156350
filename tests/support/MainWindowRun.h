#pragma once
// One program run in the main window, over the test's own settings and program folder (header
// only: for tests that link the shell).

#include "ScriptedPromptService.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "shell/MainWindow.h"

#include <QFile>

namespace q32::test {

struct MainWindowRun {
    ProgramState state;
    ScriptedPromptService prompts;
    Settings settings{Settings::defaultPath(), &prompts};
    MainWindow main{state, settings, prompts, {}};

    MainWindowRun() { state.AppDir = QString::fromLocal8Bit(qgetenv("QUILLON32_HOME")); }
};

// The whole file; empty when it cannot be read.
inline QByteArray BytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace q32::test
