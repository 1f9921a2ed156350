#pragma once
// The file dialogs that choose an album file, with one title and filter for all of them.

#include "platform/prompt/PromptService.h"

#include <QString>

namespace q32 {

// A dialog for an album file ("Quillon 32 Database Files (*.mdb)") that starts in folder.
FileDialogRequest AlbumFileRequest(const QString& title, const QString& folder = QString());

// "Open Image Depository": an album file that exists, chosen from folder; "" when cancelled.
QString AskAlbumToOpen(PromptService& prompts, const QString& folder);

} // namespace q32
