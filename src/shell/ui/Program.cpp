#include "shell/ui/Program.h"

#include "common/ProgramState.h"
#include "common/Settings.h"
#include "platform/player/VideoControl.h"
#include "quillon/Version.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/ProgramPrompts.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>

namespace q32 {
namespace {

// --help and --version answer on the terminal and end, before any window (or display) is needed.
bool answeredOnTerminal(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::printf("Usage: quillon32 [ALBUM.mdb | PICTURE... | KORALTE]\n"
                        "Quillon 32, the photo album: browse, fill and show Image Depositories.\n\n"
                        "  ALBUM.mdb    open this album instead of the one used last\n"
                        "  PICTURE...   add these pictures to the open album (Add Images window)\n"
                        "  KORALTE      start a new album\n"
                        "  -h, --help   show this help and exit\n"
                        "  -v, --version  show the version and exit\n\n"
                        "q32 is the command-line tool for the same albums (q32 --help).\n");
            return true;
        }
        if (!std::strcmp(argv[i], "--version") || !std::strcmp(argv[i], "-v")) {
            std::printf("Quillon 32 %s\n", QUILLON_VERSION);
            return true;
        }
    }
    return false;
}

} // namespace

int RunProgram(int argc, char** argv) {
    if (answeredOnTerminal(argc, argv))
        return 0;
    VideoControl::chooseBackend();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon 32"));
    QApplication::setOrganizationName(QStringLiteral("Quillon 32"));
    QApplication::setApplicationVersion(QLatin1String(QUILLON_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quillon32"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillon32/quillon32.svg")));
    // Without a desktop session Qt knows no icon theme; the tools are drawn from Adwaita.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));

    ProgramState state;
    ProgramPrompts prompts;
    Settings settings(Settings::defaultPath(), &prompts);
    MainWindow main(state, settings, prompts, QApplication::arguments().mid(1));
    prompts.setParent(&main);
    main.startUp();
    main.show();
    return QApplication::exec();
}

} // namespace q32
