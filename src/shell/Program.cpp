#include "shell/Program.h"

#include "common/ProgramState.h"
#include "common/Settings.h"
#include "platform/player/VideoControl.h"
#include "platform/prompt/QtPromptService.h"
#include "shell/MainWindow.h"

#include <QApplication>
#include <QIcon>

namespace q32 {

int RunProgram(int argc, char** argv) {
    VideoControl::chooseBackend();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon 32"));
    QApplication::setOrganizationName(QStringLiteral("Quillon 32"));
    QApplication::setApplicationVersion(QStringLiteral("6.04"));
    QApplication::setDesktopFileName(QStringLiteral("quillon32"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillon32/quillon32.svg")));
    // Without a desktop session Qt knows no icon theme; the tools are drawn from Adwaita.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));

    ProgramState state;
    QtPromptService prompts;
    Settings settings(Settings::defaultPath(), &prompts);
    MainWindow main(state, settings, prompts, QApplication::arguments().mid(1));
    prompts.setParent(&main);
    main.Form_Load();
    main.show();
    return QApplication::exec();
}

} // namespace q32
