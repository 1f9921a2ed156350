#include "album/AlbumFileDialog.h"

namespace q32 {

FileDialogRequest AlbumFileRequest(const QString& title, const QString& folder) {
    FileDialogRequest request;
    request.title = title;
    request.filter = QStringLiteral("Quillon 32 Database Files (*.mdb)|*.mdb");
    request.initialDir = folder;
    return request;
}

QString AskAlbumToOpen(PromptService& prompts, const QString& folder) {
    FileDialogRequest request = AlbumFileRequest(QStringLiteral("Open Image Depository"), folder);
    request.applyFlags(4100); // the path and the file must exist
    return prompts.openFile(request);
}

} // namespace q32
