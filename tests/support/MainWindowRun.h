#pragma once
// One program run in the main window, over the test's own settings and program folder (header
// only: for tests that link the shell).

#include "ScriptedPromptService.h"
#include "TestFiles.h"
#include "common/ProgramState.h"
#include "common/Settings.h"
#include "shell/AlbumBrowser.h"
#include "shell/ui/MainWindow.h"

#include <QTest>
#include <memory>
#include <optional>

namespace q32::test {

// Opens an album as the window does and lets the events run until the open has ended; whether
// the album opened.
inline bool OpenAlbum(AlbumBrowser& browser, const QString& path) {
    auto opened = std::make_shared<std::optional<bool>>();
    browser.openAlbum(path, [opened](bool ok) { *opened = ok; });
    return QTest::qWaitFor([opened] { return opened->has_value(); }, 120000) && **opened;
}

struct MainWindowRun {
    ProgramState state;
    ScriptedPromptService prompts;
    Settings settings{Settings::defaultPath(), &prompts};
    MainWindow main{state, settings, prompts, {}};

    MainWindowRun() { state.paths.AppDir = QString::fromLocal8Bit(qgetenv("QUILLON32_HOME")); }
    OpenAlbumState& album() { return main.browser().albumState(); }
    CurrentRecordState& record() { return main.browser().recordState(); }
    // Runs a command and lets the events run until an album it opens is open (or refused).
    bool runToOpen(const char* command) {
        main.runCommand(QString::fromLatin1(command));
        return QTest::qWaitFor([this] { return !main.browser().opening(); }, 120000);
    }
};

} // namespace q32::test
