#pragma once
// Opening the album at the start of an add run: a missing album is created (with the
// duplicate question), a protected one asks for its password, a read-only file gets one retry,
// and a file of another program is refused. Also the protect question at the end of the run.

#include "album/AlbumDb.h"

#include <memory>

namespace q32 {

class PromptService;

struct AddRunAlbum {
    std::unique_ptr<AlbumDb> album; // null: the run ends without adding
    bool protectedAlbum = false;    // a password was asked for: no protect question at the end
    QString password;
    qint64 existingRows = 0;
    bool created = false;
};

// readOnlyFailures counts the read-only failures of this window; at 2 the run gives up.
AddRunAlbum OpenAlbumForAdding(const QString& path, PromptService& prompts, int& readOnlyFailures);

// Offers to protect an unprotected album that now holds rows. The album must be closed.
// Returns the condition of the change (None also when the user gave no password).
AlbumStatus ProtectAlbumStep(const QString& path, PromptService& prompts);

} // namespace q32
