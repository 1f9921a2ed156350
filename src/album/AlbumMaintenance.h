#pragma once
// Work on a whole album file: creation with the duplicate question, password changes,
// compaction and repair. Every handle on the album must be closed before these run.

#include "album/AlbumCondition.h"

#include <QString>

namespace q32 {

class PromptService;

// Asks whether duplicate file names are allowed, then creates the album. FileExists (nothing
// asked, nothing created) when the file is already there.
AlbumStatus CreateAlbumAsking(const QString& path, PromptService& prompts);
// The duplicate question's text for an album at path.
QString DuplicateQuestionText(const QString& path);

// Protect (oldPassword empty), change, or remove (newPassword empty) the album's password.
// The album is copied into a new file beside it and renamed over it: a crash leaves the old
// album or the new one, never a mixture. WrongPassword when oldPassword does not open it.
AlbumStatus ChangeAlbumPassword(const QString& path, const QString& oldPassword,
                                const QString& newPassword);

struct CompactReport {
    AlbumStatus status;
    QString backupPath;
    qint64 oldSize = 0;
    qint64 newSize = 0;
    long long gain = 0; // percent, rounded half to even

    // "Old size = ... bytes", "New size = ... bytes", "Gain = ...%", one per line.
    QString message() const;
};

// Keeps the album as path minus its last three characters + "bak" and writes a compact copy,
// with the same password, at path.
CompactReport CompactAlbumFile(const QString& path, const QString& password);

struct RepairReport {
    AlbumStatus status; // None when the album is usable afterwards
    bool wasDamaged = false;
    qint64 rowsSaved = 0;
    qint64 rowsLost = 0;

    QString message(const QString& path) const;
};

// Checks the album and, when it is damaged, rebuilds it from every row that can still be read.
// The damaged file is kept as path + ".damaged".
RepairReport RepairAlbumFile(const QString& path, const QString& password);

} // namespace q32
