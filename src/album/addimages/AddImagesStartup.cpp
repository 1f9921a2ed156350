#include "album/addimages/AddImagesStartup.h"

#include "common/FolderCheck.h"
#include "common/ProgramState.h"
#include "platform/prompt/PromptService.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace q32 {

QString AskAlbumFileName(ProgramState& state, PromptService& prompts, const QString& recentEntry,
                         const QString& openAlbum) {
    // "&1 /path/album.mdb": the path after the three-character prefix.
    QString offered = !openAlbum.isEmpty()                       ? openAlbum
                      : recentEntry.startsWith(QLatin1Char('&')) ? recentEntry.mid(3)
                                                                 : QString();
    FileDialogRequest request;
    if (!offered.isEmpty()) {
        const QString folder = offered.left(offered.lastIndexOf(QLatin1Char('/')) + 1);
        const FolderCheck check = CheckFolder(folder);
        if (check.result == FolderCheck::Result::Usable) {
            request.initialDir = folder;
        } else {
            // The recent album's folder is gone, or can't be read (which the user is told):
            // start in the working folder, with no name.
            if (check.result == FolderCheck::Result::Failed)
                prompts.msgBox(folder + QStringLiteral(": ") + check.reason, MsgIcon::Critical,
                               QStringLiteral("UNEXPECTED ERROR! (AddImages: GetAlbumName)"));
            offered.clear();
            request.initialDir = QDir::currentPath();
        }
    }
    request.title = QStringLiteral("Select A File Name For the Depository");
    request.filter = QStringLiteral("Quillon 32 Database Files (*.mdb)|*.mdb");
    request.defaultExt = QStringLiteral("mdb");
    request.fileName = offered;
    for (;;) {
        const QString chosen = prompts.saveFile(request);
        if (chosen.isEmpty()) {
            state.StatusWord = 1;
            return {};
        }
        // A file that does not exist yet is a new album, made by the first "&Add".
        const QString path = QFileInfo(chosen).absoluteFilePath();
        if (!QFileInfo::exists(path))
            return path;
        const MsgResult answer = prompts.msgBox(
            path + QStringLiteral(" already exists.\n\nDo you want to add the pictures to this "
                                  "Image Depository?  (No chooses another name.)"),
            MsgIcon::Question, QStringLiteral("WARNING"), MsgButtons::YesNoCancel);
        if (answer == MsgResult::Yes)
            return path;
        if (answer != MsgResult::No) {
            state.StatusWord = 1;
            return {};
        }
        request.initialDir = QFileInfo(path).absolutePath();
        request.fileName = path;
    }
}

StartupRequest ParseStartupArguments(const QStringList& arguments) {
    StartupRequest request;
    request.newAlbum = std::any_of(arguments.cbegin(), arguments.cend(), [](const QString& a) {
        return a.contains(QLatin1String("KORALTE"));
    });
    const QString line = arguments.join(QLatin1Char(' '));
    const qsizetype bar = line.indexOf(QLatin1Char('|'));
    if (bar >= 0) {
        QString picture = line.mid(bar + 1).trimmed();
        if (picture.size() >= 2 && picture.startsWith(QLatin1Char('"')) &&
            picture.endsWith(QLatin1Char('"')))
            picture = picture.mid(1, picture.size() - 2);
        if (!picture.isEmpty())
            request.pictures << QFileInfo(picture).absoluteFilePath();
        return request;
    }
    for (const QString& argument : arguments) {
        if (argument.startsWith(QLatin1Char('-')) || argument.contains(QLatin1String("KORALTE")))
            continue;
        QString path = argument;
        if (argument.startsWith(QLatin1String("file:")))
            path = QUrl(argument).toLocalFile();
        if (path.endsWith(QLatin1String(".mdb"), Qt::CaseInsensitive)) {
            if (request.album.isEmpty())
                request.album = QFileInfo(path).absoluteFilePath();
        } else if (QFileInfo(path).isFile()) {
            request.pictures << QFileInfo(path).absoluteFilePath();
        }
    }
    return request;
}

} // namespace q32
