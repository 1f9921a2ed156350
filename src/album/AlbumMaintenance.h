#pragma once
// Work on a whole album file: creation with the duplicate question, password changes,
// compaction and repair. Every handle on the album must be closed before these run.

#include "album/AlbumCondition.h"

#include <QString>
#include <atomic>

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

// Converts an album protected by the SQLCipher 3 build to the current format, keeping its
// password: a complete copy, checked, then renamed over it. Anything else is left as it is.
AlbumStatus MigrateToCurrentCipher(const QString& path, const QString& password);

// Lets a window follow a long compaction or repair from another thread, and stop it.
struct MaintenanceProgress {
    std::atomic<qint64> done{0};  // bytes of the new file so far, or rows copied by a repair
    std::atomic<qint64> total{0}; // the album's size, or the rows a repair will copy
    std::atomic<bool> cancelled{false};
};

struct CompactReport {
    AlbumStatus status;
    QString backupPath;
    qint64 oldSize = 0;
    qint64 newSize = 0;
    long long gain = 0; // percent, rounded half to even

    // Sets newSize, and the gain against oldSize.
    void setNewSize(qint64 size);

    // "Old size = ... bytes", "New size = ... bytes", "Gain = ...%", the lines parted by carriage
    // returns.
    QString message() const;
};

// Keeps the album as path minus its last three characters + "bak" and writes a compact copy,
// with the same password, at path. Until the copy is complete and checked the album stays at
// path as it was, so a full disk, a cancel or a killed process loses nothing.
CompactReport CompactAlbumFile(const QString& path, const QString& password,
                               MaintenanceProgress* progress = nullptr);

struct RepairReport {
    AlbumStatus status; // None when the album is usable afterwards
    bool wasDamaged = false;
    qint64 rowsSaved = 0;
    qint64 rowsLost = 0;

    QString message(const QString& path) const;
};

// Checks the album and, when it is damaged, rebuilds it from every row that can still be read.
// The damaged file is kept as path + ".damaged".
// A cancelled repair leaves the file as it was (Cancelled).
RepairReport RepairAlbumFile(const QString& path, const QString& password,
                             MaintenanceProgress* progress = nullptr);

} // namespace q32
